// Writes each argument it was given, as its C runtime split the command
// line, one per line between brackets, to the file named by its first
// argument: the other side of the platform's argument quoting.
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 3;
  for (int i = 2; i < argc; ++i) std::fprintf(out, "[%s]\n", argv[i]);
  return std::fclose(out) == 0 ? 0 : 4;
}
