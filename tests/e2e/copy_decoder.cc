// A decoder for the end-to-end tests, called as the real one is:
// `copy_decoder -text DUMP FILE`. The test's "GRIB2" file holds the dump text
// itself, so the decoder copies FILE to DUMP. A FILE whose text starts with
// "#no-dump" leaves no dump at all; "#empty-dump" leaves an empty one.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Its console lines end in LF, as the program's own do.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc != 4 || std::strcmp(argv[1], "-text") != 0) {
    std::cerr << "usage: copy_decoder -text DUMP FILE\n";
    return 8;
  }
  std::ifstream in(argv[3], std::ios::binary);
  if (!in) {
    std::cerr << "copy_decoder: cannot open " << argv[3] << "\n";
    return 8;
  }
  std::stringstream contents;
  contents << in.rdbuf();
  const std::string text = contents.str();
  if (text.rfind("#no-dump", 0) == 0) return 0;
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  if (text.rfind("#empty-dump", 0) != 0) out << text;
  std::cout << "1:0:d=2025082400\n";
  return out ? 0 : 8;
}
