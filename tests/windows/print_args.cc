// Writes each argument it was given, as the system split its command line,
// one per line between brackets and in UTF-8, to the file named by its first
// argument: the other side of the platform's argument quoting.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 2;
  std::string text;
  for (int i = 2; i < argc; ++i) {
    char utf8[4096];
    const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8, sizeof utf8, nullptr, nullptr);
    text += "[" + std::string(utf8, n > 0 ? static_cast<std::size_t>(n - 1) : 0) + "]\n";
  }
  const HANDLE out =
      CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const bool ok = WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
  CloseHandle(out);
  return ok ? 0 : 4;
}
