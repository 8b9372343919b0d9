// Holds the file named by its argument open the way a viewer does (read
// sharing only, so it cannot be deleted or replaced), writes "held" on its
// standard output once it does, and lets go when its standard input ends.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD n = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held\n", 5, &n, nullptr);
  char c = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &n, nullptr) && n == 1) {
  }
  CloseHandle(file);
  return 0;
}
