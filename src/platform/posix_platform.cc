#include "platform/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/buffered_file.h"
#include "platform/local_path.h"
#include "platform/system_platform.h"

extern char** environ;

namespace tallowgate {
namespace {

std::string reason(int error) { return std::strerror(error); }

// The temporary output file a signal must remove. A fixed buffer, as the
// handler may not allocate.
char g_temporary_output[4096];
volatile std::sig_atomic_t g_temporary_output_set = 0;

extern "C" void remove_temporary_output_and_die(int signal_number) {
  if (g_temporary_output_set) unlink(g_temporary_output);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void remember_temporary_output(const std::string& path) {
  g_temporary_output_set = 0;
  if (path.size() >= sizeof g_temporary_output) return;
  std::memcpy(g_temporary_output, path.c_str(), path.size() + 1);
  g_temporary_output_set = 1;
}

void forget_temporary_output() { g_temporary_output_set = 0; }

bool write_all(int fd, const char* data, std::size_t size, int* error) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = errno;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// A file descriptor as the shared line reader and writers use it.
class FdFile : public RawFile {
 public:
  explicit FdFile(int fd) : fd_(fd) {}
  ~FdFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  std::ptrdiff_t read(char* data, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      return n;
    }
  }

  bool write(const char* data, std::size_t size, std::string* err) override {
    int error = 0;
    if (write_all(fd_, data, size, &error)) return true;
    *err = reason(error);
    return false;
  }

  bool rewind() override { return ::lseek(fd_, 0, SEEK_SET) == 0; }

  bool close(std::string* err) override {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) == 0) return true;
    *err = reason(errno);
    return false;
  }

 private:
  int fd_;
};

// Publishing the temporary r2c file: rename() replaces the target in one step.
class PosixTemporaryFiles : public TemporaryFiles {
 public:
  bool replace(const std::string& temporary, const std::string& target, std::string* err) override {
    if (std::rename(temporary.c_str(), target.c_str()) == 0) return true;
    *err = reason(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  void remove(const std::string& temporary) override { ::unlink(temporary.c_str()); }
  bool create_if_missing(const std::string& target, std::string* err) override {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
      *err = reason(errno);
      return false;
    }
    ::close(fd);
    return true;
  }
  void forget(const std::string&) override { forget_temporary_output(); }
};

PosixTemporaryFiles g_temporary_files;

LocalTime to_local_time(std::time_t seconds, long nanoseconds) {
  std::tm tm{};
  localtime_r(&seconds, &tm);
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.millisecond = static_cast<int>(nanoseconds / 1000000);
  return t;
}

bool is_executable_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Where a program name is found: the working directory first, then the
// search path, as the Windows command interpreter looks for it.
std::string find_program(std::string_view name) {
  const std::string program(name);
  if (program.find('/') != std::string::npos) return program;
  if (is_executable_file("./" + program)) return "./" + program;
  const char* search = std::getenv("PATH");
  std::string_view path = search != nullptr ? search : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const std::size_t colon = path.find(':');
    std::string dir(path.substr(0, colon));
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + program;
    if (is_executable_file(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    path.remove_prefix(colon + 1);
  }
  return {};
}

bool spawn_and_wait(const std::string& path, const std::vector<std::string>& argv_strings, int* error) {
  std::vector<char*> argv;
  for (const std::string& a : argv_strings) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int status = ::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (status != 0) {
    *error = status;
    return false;
  }
  int wait_status = 0;
  while (::waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace

PosixPlatform::PosixPlatform() {
  const char* root = std::getenv("TALLOWGATE_DRIVE");
  drive_root_ = root != nullptr ? root : "";
  umask_ = ::umask(0);
  ::umask(umask_);
  std::signal(SIGINT, remove_temporary_output_and_die);
  std::signal(SIGTERM, remove_temporary_output_and_die);
}

PosixPlatform::~PosixPlatform() { flush_console(); }

void PosixPlatform::flush_console() {
  int error = 0;
  if (!out_buffer_.empty()) write_all(STDOUT_FILENO, out_buffer_.data(), out_buffer_.size(), &error);
  out_buffer_.clear();
}

void PosixPlatform::write_out(std::string_view line) {
  out_buffer_.append(line);
  out_buffer_.push_back('\n');
  if (out_buffer_.size() >= (1 << 16)) flush_console();
}

void PosixPlatform::write_err(std::string_view line) {
  flush_console();
  std::string text(line);
  text.push_back('\n');
  int error = 0;
  write_all(STDERR_FILENO, text.data(), text.size(), &error);
}

bool PosixPlatform::read_input(std::string* line) {
  flush_console();
  line->clear();
  for (;;) {
    const int c = std::fgetc(stdin);
    if (c == EOF) {
      if (line->empty()) return false;
      break;
    }
    if (c == '\n') break;
    line->push_back(static_cast<char>(c));
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

LocalTime PosixPlatform::now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return to_local_time(ts.tv_sec, ts.tv_nsec);
}

std::string PosixPlatform::local_path(std::string_view path) {
  return tallowgate::local_path(path, drive_root_);
}

bool PosixPlatform::file_exists(std::string_view path) {
  struct stat st {};
  return ::stat(local_path(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::unique_ptr<TextReader> PosixPlatform::open_read(std::string_view path, std::string* err) {
  const int fd = ::open(local_path(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *err = reason(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    *err = reason(EISDIR);
    return nullptr;
  }
  return make_line_reader(std::make_unique<FdFile>(fd));
}

std::unique_ptr<TextWriter> PosixPlatform::open_write(std::string_view path, std::string* err) {
  const std::string local = local_path(path);
  const int fd = ::open(local.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *err = reason(errno);
    return nullptr;
  }
  return make_buffered_writer(std::make_unique<FdFile>(fd), local);
}

std::unique_ptr<TextWriter> PosixPlatform::open_append(std::string_view path, bool* ends_mid_line,
                                                       std::string* err) {
  const std::string local = local_path(path);
  const int fd = ::open(local.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    *err = reason(errno);
    return nullptr;
  }
  struct stat st {};
  char last = '\n';
  *ends_mid_line =
      ::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
  return make_buffered_writer(std::make_unique<FdFile>(fd), local);
}

std::unique_ptr<OutputFile> PosixPlatform::open_output(std::string_view path, std::string* err) {
  const std::string target = local_path(path);
  struct stat st {};
  mode_t mode = static_cast<mode_t>(0666 & ~umask_);
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      *err = reason(EISDIR);
      return nullptr;
    }
    if (::access(target.c_str(), W_OK) != 0) {
      *err = reason(errno);
      return nullptr;
    }
    mode = st.st_mode & 07777;
  }
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const std::string temporary = dir + "." + name + "." + std::to_string(::getpid()) + ".tmp";
  remember_temporary_output(temporary);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    *err = reason(errno);
    forget_temporary_output();
    return nullptr;
  }
  // The replaced file keeps its permissions; a new one gets the usual ones.
  ::fchmod(fd, mode);
  return make_temporary_output(std::make_unique<FdFile>(fd), temporary, target, &g_temporary_files);
}

bool PosixPlatform::remove_file(std::string_view path, std::string* err) {
  if (::unlink(local_path(path).c_str()) != 0) {
    *err = reason(errno);
    return false;
  }
  return true;
}

LockResult PosixPlatform::lock_file(std::string_view path, std::string* err) {
  const int fd = ::open(local_path(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    *err = reason(errno);
    return LockResult::kFailed;
  }
  // The descriptor stays open, unnamed, until the process ends: the system
  // drops the lock with it, also when the process is killed.
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return LockResult::kHeldElsewhere;
    *err = reason(error);
    return LockResult::kFailed;
  }
  return LockResult::kTaken;
}

bool PosixPlatform::list_directory(std::vector<DirectoryEntry>* files, std::string* err) {
  DIR* dir = ::opendir(".");
  if (dir == nullptr) {
    *err = reason(errno);
    return false;
  }
  while (const dirent* entry = ::readdir(dir)) {
    struct stat st {};
    if (::stat(entry->d_name, &st) != 0 || !S_ISREG(st.st_mode)) continue;
    files->push_back({entry->d_name, static_cast<std::uint64_t>(st.st_size),
                      to_local_time(st.st_mtim.tv_sec, st.st_mtim.tv_nsec)});
  }
  ::closedir(dir);
  return true;
}

std::string PosixPlatform::working_directory() {
  std::string path(4096, '\0');
  if (::getcwd(path.data(), path.size()) == nullptr) return ".";
  path.resize(std::strlen(path.c_str()));
  return path;
}

std::uint64_t PosixPlatform::free_bytes() {
  struct statvfs fs {};
  if (::statvfs(".", &fs) != 0) return 0;
  return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

bool PosixPlatform::run_shell(std::string_view command) {
  flush_console();
  int error = 0;
  return spawn_and_wait("/bin/sh", {"sh", "-c", std::string(command)}, &error);
}

bool PosixPlatform::run_program(std::string_view name, const std::vector<std::string>& args,
                                std::string* err) {
  flush_console();
  const std::string path = find_program(name);
  if (path.empty()) {
    *err = "not found in the working directory or on PATH";
    return false;
  }
  std::vector<std::string> argv{std::string(name)};
  argv.insert(argv.end(), args.begin(), args.end());
  int error = 0;
  if (!spawn_and_wait(path, argv, &error)) {
    *err = reason(error);
    return false;
  }
  return true;
}

std::unique_ptr<Platform> make_system_platform() { return std::make_unique<PosixPlatform>(); }

std::vector<std::string> command_line_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace tallowgate
