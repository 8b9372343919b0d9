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

// Marks a temporary output file as this program's: ".NAME.tallowgate-" and
// six random characters.
constexpr char kTemporaryMark[] = ".tallowgate-";

std::string reason(int error) { return std::strerror(error); }

// What a signal that ends the run must clean up: the temporary output files
// (the r2c file's and the listing's may be open at once) and the decoder
// still running. Fixed buffers, as the handler may not allocate.
constexpr int kTemporarySlots = 4;
char g_temporary_output[kTemporarySlots][4096];
volatile std::sig_atomic_t g_temporary_output_set[kTemporarySlots] = {};
volatile std::sig_atomic_t g_child = 0;

// The signals that end a run: Ctrl-C, kill, a closed terminal, Ctrl-\.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void end_run_on_signal(int signal_number) {
  const pid_t child = static_cast<pid_t>(g_child);
  if (child > 0) {
    // The decoder would otherwise go on as an orphan, writing its dump.
    ::kill(child, signal_number);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
  for (int slot = 0; slot < kTemporarySlots; ++slot) {
    if (g_temporary_output_set[slot]) unlink(g_temporary_output[slot]);
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// Returns the slot that names `path` for the handler, or -1 when none is free
// (the caller then refuses the file: it could be left behind).
int remember_temporary_output(const std::string& path) {
  if (path.size() >= sizeof g_temporary_output[0]) return -1;
  for (int slot = 0; slot < kTemporarySlots; ++slot) {
    if (g_temporary_output_set[slot]) continue;
    std::memcpy(g_temporary_output[slot], path.c_str(), path.size() + 1);
    g_temporary_output_set[slot] = 1;
    return slot;
  }
  return -1;
}

// The slot naming `path`, cleared once the file is published or removed.
void forget_temporary_output(const std::string& path) {
  for (int slot = 0; slot < kTemporarySlots; ++slot) {
    if (g_temporary_output_set[slot] && path == g_temporary_output[slot]) g_temporary_output_set[slot] = 0;
  }
}

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

bool write_standard_output(std::string_view bytes, std::string* err) {
  int error = 0;
  if (write_all(STDOUT_FILENO, bytes.data(), bytes.size(), &error)) return true;
  *err = reason(error);
  return false;
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
  void forget(const std::string& temporary) override { forget_temporary_output(temporary); }
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

// Starts the child with the ending signals blocked, so that a signal cannot
// fall between its start and g_child naming it; the child gets the signal
// mask of the run and the default action for SIGPIPE, which the run ignores.
bool spawn_and_wait(const std::string& path, const std::vector<std::string>& argv_strings, int* error) {
  std::vector<char*> argv;
  for (const std::string& a : argv_strings) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  sigset_t ending, before;
  sigemptyset(&ending);
  for (const int signal_number : kEndingSignals) sigaddset(&ending, signal_number);
  sigset_t pipe_signal;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  ::sigprocmask(SIG_BLOCK, &ending, &before);
  posix_spawnattr_setsigmask(&attributes, &before);
  posix_spawnattr_setsigdefault(&attributes, &pipe_signal);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int status = ::posix_spawn(&pid, path.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (status == 0) g_child = pid;
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
  if (status != 0) {
    *error = status;
    return false;
  }
  int wait_status = 0;
  while (::waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
  }
  g_child = 0;
  return true;
}

}  // namespace

PosixPlatform::PosixPlatform() : console_(write_standard_output) {
  const char* root = std::getenv("TALLOWGATE_DRIVE");
  drive_root_ = root != nullptr ? root : "";
  umask_ = ::umask(0);
  ::umask(umask_);
  for (const int signal_number : kEndingSignals) std::signal(signal_number, end_run_on_signal);
  // A closed standard output (a pipe whose reader has gone) then fails the
  // console write, which ends the run and settles its output.
  std::signal(SIGPIPE, SIG_IGN);
}

PosixPlatform::~PosixPlatform() { console_.write_out(); }

void PosixPlatform::flush_console() { console_.flush(); }

void PosixPlatform::write_out(std::string_view line) { console_.write_line(line); }

void PosixPlatform::write_err(std::string_view line) {
  // A console failure found here is told by the next console write.
  console_.write_out();
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
  // A link at the target is replaced by the new file, never written through.
  if (::lstat(target.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
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
  // An unpredictable name, created exclusively and tried anew on a clash:
  // no leftover of a killed run and no planted file can block a run.
  std::string temporary = dir + "." + name + kTemporaryMark + "XXXXXX";
  // The signal handler is told the name before the file exists; it may
  // then find nothing to remove, never miss a file.
  sigset_t ending, before;
  sigemptyset(&ending);
  for (const int signal_number : kEndingSignals) sigaddset(&ending, signal_number);
  ::sigprocmask(SIG_BLOCK, &ending, &before);
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  int error = errno;
  int slot = -1;
  if (fd >= 0) {
    slot = remember_temporary_output(temporary);
    if (slot < 0) {
      ::close(fd);
      ::unlink(temporary.c_str());
      fd = -1;
      error = ENAMETOOLONG;
    }
  }
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
  if (fd < 0) {
    *err = reason(error);
    return nullptr;
  }
  // The replaced file keeps its permissions; a new one gets the usual ones.
  ::fchmod(fd, mode);
  return make_temporary_output(std::make_unique<FdFile>(fd), temporary, target, &g_temporary_files);
}

bool PosixPlatform::remove_file(std::string_view path, std::string* err) {
  if (::unlink(local_path(path).c_str()) != 0 && errno != ENOENT) {
    *err = reason(errno);
    return false;
  }
  return true;
}

LockResult PosixPlatform::lock_file(std::string_view path, std::string* err) {
  // Not inherited by the decoder, so that an orphaned one holds no lock.
  const int fd = ::open(local_path(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    *err = reason(errno);
    return LockResult::kFailed;
  }
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    ::close(fd);
    if (error == EWOULDBLOCK) return LockResult::kHeldElsewhere;
    *err = reason(error);
    return LockResult::kFailed;
  }
  // The descriptor stays open, and the lock held, until the process ends.
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
