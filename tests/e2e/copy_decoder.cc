// A decoder for the end-to-end tests, called as the real one is:
// `copy_decoder -text DUMP FILE`. The test's "GRIB2" file holds the dump text
// itself, so the decoder copies FILE to DUMP. A FILE whose text starts with
// "#no-dump" leaves no dump at all; "#empty-dump" leaves an empty one.
// "#sleep" says "copy_decoder sleeping as PID" on standard output and waits
// for a signal. "#long-line N" leaves the counts of a 1 x 1 grid and one value
// line of N digits, written piece by piece.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
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
  if (text.rfind("#sleep", 0) == 0) {
    std::cout << "copy_decoder sleeping as " << getpid() << std::endl;
#ifdef _WIN32
    for (;;) Sleep(INFINITE);
#else
    for (;;) pause();
#endif
  }
  if (text.rfind("#long-line ", 0) == 0) {
    long long length = std::atoll(text.c_str() + 11);
    std::FILE* dump = std::fopen(argv[2], "wb");
    if (dump == nullptr) return 8;
    std::fputs("1 1\n", dump);
    const std::string piece(1 << 16, '7');
    for (; length > 0; length -= static_cast<long long>(piece.size())) {
      std::fwrite(piece.data(), 1, std::min<std::size_t>(piece.size(), static_cast<std::size_t>(length)),
                  dump);
    }
    std::fputs("\n", dump);
    return std::fclose(dump) == 0 ? 0 : 8;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  if (text.rfind("#empty-dump", 0) != 0) out << text;
  std::cout << "1:0:d=2025082400\n";
  return out ? 0 : 8;
}
