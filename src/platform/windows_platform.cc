#include "platform/windows_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which they need.
#include <bcrypt.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/buffered_file.h"
#include "platform/local_path.h"
#include "platform/system_platform.h"
#include "platform/windows_command_line.h"

namespace tallowgate {
namespace {

// The exit status of a console program ended by Ctrl-C.
constexpr DWORD kControlCExit = 0xC000013A;
// The largest piece handed to one ReadFile or WriteFile.
constexpr std::size_t kMaxPiece = 1 << 30;

std::wstring widen(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), n, nullptr, nullptr);
  return text;
}

// The system's words for `error`: English where the system has them, else
// its default language, without the line end the system puts after them.
std::string reason(DWORD error) {
  constexpr DWORD kFlags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(kFlags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                           reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (n == 0) {
    n = FormatMessageW(kFlags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  }
  if (n == 0) return "system error " + std::to_string(error);
  std::wstring words(text, n);
  LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) {
    words.pop_back();
  }
  return narrow(words);
}

std::string last_reason() { return reason(GetLastError()); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE open_handle(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileW(widen(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

bool write_all(HANDLE handle, const char* data, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    const auto piece = static_cast<DWORD>(std::min(size, kMaxPiece));
    if (!WriteFile(handle, data, piece, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// Console lines go to a console as wide text, so any code page shows them
// right; to a file or pipe they go as the bytes themselves, LF untranslated.
// False, with the reason in GetLastError(), when the bytes could not be
// written (a pipe whose reader has gone).
bool write_console(HANDLE handle, std::string_view bytes) {
  if (bytes.empty() || handle == nullptr || handle == INVALID_HANDLE_VALUE) return true;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = widen(bytes);
    std::size_t done = 0;
    while (done < wide.size()) {
      DWORD written = 0;
      const auto piece = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 1 << 14));
      if (!WriteConsoleW(handle, wide.data() + done, piece, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return true;
  }
  return write_all(handle, bytes.data(), bytes.size());
}

bool write_standard_output(std::string_view bytes, std::string* err) {
  if (write_console(GetStdHandle(STD_OUTPUT_HANDLE), bytes)) return true;
  const DWORD error = GetLastError();
  *err = reason(error != 0 ? error : ERROR_WRITE_FAULT);
  return false;
}

// A file handle as the shared line reader and writers use it.
class HandleFile : public RawFile {
 public:
  explicit HandleFile(HANDLE handle) : handle_(handle) {}
  ~HandleFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  std::ptrdiff_t read(char* data, std::size_t size) override {
    DWORD got = 0;
    if (!ReadFile(handle_, data, static_cast<DWORD>(std::min(size, kMaxPiece)), &got, nullptr)) {
      return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<std::ptrdiff_t>(got);
  }

  bool write(const char* data, std::size_t size, std::string* err) override {
    if (write_all(handle_, data, size)) return true;
    *err = last_reason();
    return false;
  }

  bool rewind() override {
    LARGE_INTEGER start{};
    return SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN) != 0;
  }

  bool close(std::string* err) override {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (CloseHandle(handle)) return true;
    *err = last_reason();
    return false;
  }

 private:
  HANDLE handle_;
};

// What the console-event handler needs, kept where it may read it without
// taking a lock: the temporary output files (the r2c file's and the
// listing's may be open at once) and the decoder still running.
constexpr int kTemporarySlots = 4;
wchar_t g_temporary_output[kTemporarySlots][4096];
std::atomic<bool> g_temporary_output_set[kTemporarySlots] = {};
std::atomic<HANDLE> g_child{nullptr};

// Returns the slot that names `path` for the handler, or -1 when none is free
// (the caller then refuses the file: it could be left behind).
int remember_temporary_output(const std::wstring& path) {
  if (path.size() >= sizeof g_temporary_output[0] / sizeof g_temporary_output[0][0]) return -1;
  for (int slot = 0; slot < kTemporarySlots; ++slot) {
    if (g_temporary_output_set[slot]) continue;
    std::memcpy(g_temporary_output[slot], path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    g_temporary_output_set[slot] = true;
    return slot;
  }
  return -1;
}

// The slot naming `path`, cleared once the file is published or removed.
void forget_temporary_output(const std::wstring& path) {
  for (int slot = 0; slot < kTemporarySlots; ++slot) {
    if (g_temporary_output_set[slot] && path == g_temporary_output[slot])
      g_temporary_output_set[slot] = false;
  }
}

// Ctrl-C, Ctrl-Break, a closed console, a log-off or a shutdown: the
// target keeps what it held before the run, the run report gets no end entry.
BOOL WINAPI end_on_console_event(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  if (const HANDLE child = g_child.load()) {
    TerminateProcess(child, kControlCExit);
    WaitForSingleObject(child, INFINITE);
  }
  // Opened with delete sharing, the file goes although its handle is still
  // open; the handle closes as the process ends.
  for (int slot = 0; slot < kTemporarySlots; ++slot) {
    if (g_temporary_output_set[slot]) DeleteFileW(g_temporary_output[slot]);
  }
  TerminateProcess(GetCurrentProcess(), kControlCExit);
  return TRUE;
}

// Publishing the temporary r2c file. A target that another program holds
// open cannot be replaced; the run's output then stays in the temporary file
// and the error says where.
class WindowsTemporaryFiles : public TemporaryFiles {
 public:
  bool replace(const std::string& temporary, const std::string& target, std::string* err) override {
    if (MoveFileExW(widen(temporary).c_str(), widen(target).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    *err = last_reason() + "; the new output is kept in " + temporary;
    return false;
  }
  void remove(const std::string& temporary) override { DeleteFileW(widen(temporary).c_str()); }
  bool create_if_missing(const std::string& target, std::string* err) override {
    const HANDLE handle = open_handle(target, GENERIC_WRITE, kShareAll, CREATE_NEW);
    if (handle != INVALID_HANDLE_VALUE) {
      CloseHandle(handle);
      return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return true;
    *err = reason(error);
    return false;
  }
  void forget(const std::string& temporary) override { forget_temporary_output(widen(temporary)); }
};

WindowsTemporaryFiles g_temporary_files;

// Eight hex digits no other run can guess: the temporary file's name must
// not be one that a leftover file or another program already holds.
std::string random_suffix() {
  static std::uint32_t counter = 0;
  std::uint32_t value = 0;
  if (BCryptGenRandom(nullptr, reinterpret_cast<UCHAR*>(&value), sizeof value,
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
    LARGE_INTEGER ticks{};
    QueryPerformanceCounter(&ticks);
    value =
        static_cast<std::uint32_t>(ticks.QuadPart) ^ (GetCurrentProcessId() << 16) ^ ++counter * 2654435761u;
  }
  constexpr char kHex[] = "0123456789abcdef";
  std::string suffix(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) suffix[static_cast<std::size_t>(i)] = kHex[value & 15];
  return suffix;
}

LocalTime to_local_time(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

// A file's time as the local clock showed it then, summer time included.
LocalTime to_local_time(const FILETIME& written) {
  SYSTEMTIME utc{}, local{};
  FileTimeToSystemTime(&written, &utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  return to_local_time(local);
}

std::uint64_t to_size(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

std::wstring environment(const wchar_t* name) {
  const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), n));
  return value;
}

bool is_file(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool has_extension(std::wstring_view name) {
  const std::size_t dot = name.rfind(L'.');
  return dot != std::wstring_view::npos && name.find_first_of(L"\\/", dot) == std::wstring_view::npos;
}

// Where a program name is found: the working directory, then each folder of
// PATH, trying ".exe" before ".com" in each. Neither the program's own folder
// nor the system folders are searched unless PATH names them.
std::wstring find_program(std::string_view name) {
  const std::wstring program = widen(name);
  std::vector<std::wstring> names;
  if (has_extension(program)) {
    names.push_back(program);
  } else {
    names.push_back(program + L".exe");
    names.push_back(program + L".com");
  }
  if (program.find_first_of(L"\\/:") != std::wstring::npos) {
    for (const std::wstring& candidate : names) {
      if (is_file(candidate)) return candidate;
    }
    return {};
  }
  std::vector<std::wstring> dirs{L"."};
  const std::wstring search = environment(L"PATH");
  std::size_t start = 0;
  while (start <= search.size()) {
    std::size_t end = search.find(L';', start);
    if (end == std::wstring::npos) end = search.size();
    std::wstring dir = search.substr(start, end - start);
    std::erase(dir, L'"');
    if (!dir.empty()) dirs.push_back(dir);
    start = end + 1;
  }
  for (std::wstring& dir : dirs) {
    if (dir.back() != L'\\' && dir.back() != L'/') dir.push_back(L'\\');
    for (const std::wstring& candidate : names) {
      if (is_file(dir + candidate)) return dir + candidate;
    }
  }
  return {};
}

// Standard input, output and error reach the child; no other handle of the
// run is inheritable.
bool spawn_and_wait(const std::wstring& application, std::wstring command_line, std::string* err) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  for (const HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
      SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), command_line.data(), nullptr,
                      nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    *err = last_reason();
    return false;
  }
  CloseHandle(process.hThread);
  g_child = process.hProcess;
  WaitForSingleObject(process.hProcess, INFINITE);
  g_child = nullptr;
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

WindowsPlatform::WindowsPlatform() : console_(write_standard_output) {
  // A missing drive is an error to report, never a dialog box to click.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  drive_ = narrow(environment(L"TALLOWGATE_DRIVE"));
  SetConsoleCtrlHandler(end_on_console_event, TRUE);
}

WindowsPlatform::~WindowsPlatform() {
  console_.write_out();
  for (void* lock : locks_) CloseHandle(lock);
}

void WindowsPlatform::flush_console() { console_.flush(); }

void WindowsPlatform::write_out(std::string_view line) { console_.write_line(line); }

void WindowsPlatform::write_err(std::string_view line) {
  // A console failure found here is told by the next console write.
  console_.write_out();
  std::string text(line);
  text.push_back('\n');
  write_console(GetStdHandle(STD_ERROR_HANDLE), text);
}

bool WindowsPlatform::read_input(std::string* line) {
  flush_console();
  line->clear();
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(input, &mode)) {
    std::wstring typed;
    for (;;) {
      wchar_t piece[512];
      DWORD got = 0;
      const bool read = ReadConsoleW(input, piece, 512, &got, nullptr) != 0;
      // Ctrl-C ends the read with nothing in it, or as an aborted read; the
      // console-event handler ends the process, and the run must not go on
      // meanwhile (a pause before the run report's start entry leaves none).
      if ((read && got == 0) || (!read && GetLastError() == ERROR_OPERATION_ABORTED)) Sleep(INFINITE);
      if (!read) {
        if (typed.empty()) return false;
        break;
      }
      typed.append(piece, got);
      if (typed.back() == L'\n') break;
    }
    while (!typed.empty() && (typed.back() == L'\n' || typed.back() == L'\r')) typed.pop_back();
    // Ctrl-Z at the start of a line is the console's end of input.
    if (!typed.empty() && typed.front() == L'\x1a') return false;
    *line = narrow(typed);
    return true;
  }
  for (;;) {
    if (in_start_ == in_buffer_.size()) {
      char piece[4096];
      DWORD got = 0;
      if (!ReadFile(input, piece, sizeof piece, &got, nullptr) || got == 0) {
        if (line->empty()) return false;
        break;
      }
      in_buffer_.assign(piece, got);
      in_start_ = 0;
    }
    const char c = in_buffer_[in_start_++];
    if (c == '\n') break;
    line->push_back(c);
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

LocalTime WindowsPlatform::now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return to_local_time(t);
}

std::string WindowsPlatform::local_path(std::string_view path) { return windows_local_path(path, drive_); }

bool WindowsPlatform::file_exists(std::string_view path) { return is_file(widen(local_path(path))); }

std::unique_ptr<TextReader> WindowsPlatform::open_read(std::string_view path, std::string* err) {
  const HANDLE handle = open_handle(local_path(path), GENERIC_READ, kShareAll, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE) {
    *err = last_reason();
    return nullptr;
  }
  return make_line_reader(std::make_unique<HandleFile>(handle));
}

std::unique_ptr<TextWriter> WindowsPlatform::open_write(std::string_view path, std::string* err) {
  const std::string local = local_path(path);
  const HANDLE handle = open_handle(local, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE) {
    *err = last_reason();
    return nullptr;
  }
  return make_buffered_writer(std::make_unique<HandleFile>(handle), local);
}

std::unique_ptr<TextWriter> WindowsPlatform::open_append(std::string_view path, bool* ends_mid_line,
                                                         std::string* err) {
  const std::string local = local_path(path);
  // Without FILE_WRITE_DATA every write lands at the end of the file as it
  // is at that moment, after what other runs appended meanwhile.
  const HANDLE handle =
      open_handle(local, FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE, kShareAll, OPEN_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE) {
    *err = last_reason();
    return nullptr;
  }
  LARGE_INTEGER size{};
  char last = '\n';
  DWORD got = 0;
  OVERLAPPED at{};
  if (GetFileSizeEx(handle, &size) && size.QuadPart > 0) {
    const auto offset = static_cast<std::uint64_t>(size.QuadPart - 1);
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    if (!ReadFile(handle, &last, 1, &got, &at)) got = 0;
  }
  *ends_mid_line = got == 1 && last != '\n';
  return make_buffered_writer(std::make_unique<HandleFile>(handle), local);
}

std::unique_ptr<OutputFile> WindowsPlatform::open_output(std::string_view path, std::string* err) {
  const std::string target = local_path(path);
  const std::wstring wide_target = widen(target);
  const DWORD attributes = GetFileAttributesW(wide_target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      *err = reason(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    // The move at the end replaces the target: a program holding it open
    // without delete sharing (a viewer) or a read-only target would make it
    // fail after the whole run's work, so it is found out now.
    const HANDLE probe = CreateFileW(wide_target.c_str(), DELETE | FILE_WRITE_DATA, kShareAll, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
      *err = last_reason();
      return nullptr;
    }
    CloseHandle(probe);
  }
  const std::size_t slash = target.find_last_of("\\/:");
  const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = dir + "." + name + ".tallowgate-" + random_suffix();
    const std::wstring wide = widen(temporary);
    // Known to the console-event handler before it exists, so no moment
    // leaves it behind.
    if (remember_temporary_output(wide) < 0) {
      *err = reason(ERROR_FILENAME_EXCED_RANGE);
      return nullptr;
    }
    const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      return make_temporary_output(std::make_unique<HandleFile>(handle), temporary, target,
                                   &g_temporary_files);
    }
    const DWORD error = GetLastError();
    forget_temporary_output(wide);
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      *err = reason(error);
      return nullptr;
    }
  }
  *err = "no free name for the temporary file beside it";
  return nullptr;
}

bool WindowsPlatform::remove_file(std::string_view path, std::string* err) {
  // A link is removed itself, never what it points to; nothing at the path
  // counts as removed.
  if (!DeleteFileW(widen(local_path(path)).c_str())) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    *err = reason(error);
    return false;
  }
  return true;
}

LockResult WindowsPlatform::lock_file(std::string_view path, std::string* err) {
  const HANDLE handle = open_handle(local_path(path), GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE) {
    *err = last_reason();
    return LockResult::kFailed;
  }
  // The handle stays open until the process ends: the system drops the lock
  // with it, also when the process is killed.
  OVERLAPPED whole{};
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                  &whole)) {
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return LockResult::kHeldElsewhere;
    *err = reason(error);
    return LockResult::kFailed;
  }
  locks_.push_back(handle);
  return LockResult::kTaken;
}

bool WindowsPlatform::list_directory(std::vector<DirectoryEntry>* files, std::string* err) {
  // Every name, not a "*.grib2" pattern: the system matches a pattern
  // against short names too.
  WIN32_FIND_DATAW found{};
  const HANDLE find = FindFirstFileExW(L"*", FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return true;
    *err = reason(error);
    return false;
  }
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::uint64_t size = to_size(found.nFileSizeHigh, found.nFileSizeLow);
    FILETIME written = found.ftLastWriteTime;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      // A link counts as what it points at; a dangling one is no file.
      const HANDLE handle =
          CreateFileW(found.cFileName, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
      if (handle == INVALID_HANDLE_VALUE) continue;
      BY_HANDLE_FILE_INFORMATION info{};
      const bool known = GetFileInformationByHandle(handle, &info) != 0;
      CloseHandle(handle);
      if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      size = to_size(info.nFileSizeHigh, info.nFileSizeLow);
      written = info.ftLastWriteTime;
    }
    files->push_back({narrow(found.cFileName), size, to_local_time(written)});
  } while (FindNextFileW(find, &found));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) {
    *err = reason(error);
    return false;
  }
  return true;
}

std::string WindowsPlatform::working_directory() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring path(n, L'\0');
  path.resize(GetCurrentDirectoryW(n, path.data()));
  return path.empty() ? "." : narrow(path);
}

std::uint64_t WindowsPlatform::free_bytes() {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(widen(working_directory()).c_str(), &available, nullptr, nullptr)) return 0;
  return available.QuadPart;
}

bool WindowsPlatform::run_shell(std::string_view command) {
  flush_console();
  std::wstring interpreter = environment(L"COMSPEC");
  if (interpreter.empty()) interpreter = L"cmd.exe";
  // With /s the interpreter takes everything between the first and the last
  // quote as the line, whatever quotes the line holds; /d skips AutoRun.
  const std::wstring line = L"\"" + interpreter + L"\" /d /s /c \"" + widen(command) + L"\"";
  const bool has_folder = interpreter.find_first_of(L"\\/:") != std::wstring::npos;
  std::string err;
  return spawn_and_wait(has_folder ? interpreter : std::wstring(), line, &err);
}

bool WindowsPlatform::run_program(std::string_view name, const std::vector<std::string>& args,
                                  std::string* err) {
  flush_console();
  const std::wstring path = find_program(name);
  if (path.empty()) {
    *err = "not found in the working directory or on PATH";
    return false;
  }
  std::string line;
  append_windows_argument(&line, narrow(path));
  for (const std::string& arg : args) append_windows_argument(&line, arg);
  return spawn_and_wait(path, widen(line), err);
}

std::unique_ptr<Platform> make_system_platform() { return std::make_unique<WindowsPlatform>(); }

std::vector<std::string> command_line_arguments(int, char**) {
  // The wide command line: the narrow argv holds only the code page's letters.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(narrow(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace tallowgate
