#include "e2e_tree.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tallowgate::e2e {
namespace fs = std::filesystem;

namespace {

constexpr int kTimeoutSeconds = 120;

std::string read_fd_file(const fs::path& path) { return E2eTree::read_file(path); }

int wait_with_timeout(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

// Found on disk, not asked of the faketime wrapper: the wrapper names a
// semaphore and a shared memory segment after its process id and refuses to
// start when one is left over ("sem_open: File exists"), as after a killed
// wrapper or from a wrapper of the same id in another process namespace
// sharing /dev/shm. Under parallel load that failed whichever test came first.
const std::string& faketime_library() {
  static const std::string library = [] {
    std::vector<fs::path> candidates;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib", ec)) {
      candidates.push_back(entry.path() / "faketime" / "libfaketime.so.1");
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.push_back("/usr/lib/faketime/libfaketime.so.1");
    candidates.push_back("/usr/local/lib/faketime/libfaketime.so.1");
    for (const fs::path& candidate : candidates) {
      if (fs::is_regular_file(candidate, ec)) return candidate.string();
    }
    throw std::runtime_error("no libfaketime.so.1 under /usr/lib (install the faketime package)");
  }();
  return library;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

#ifdef TALLOWGATE_UNDER_WINE
std::string shown_path(const fs::path& path) {
  std::string shown = (path.is_absolute() ? "Z:" : "") + path.string();
  std::replace(shown.begin(), shown.end(), '/', '\\');
  return shown;
}

std::string system_words(SystemWords words) {
  switch (words) {
    case SystemWords::kNoSuchDirectory:
      return "Path not found.";
    case SystemWords::kIsADirectory:
      return "Access denied.";
    case SystemWords::kDiskFull:
      return "Disk full.";
    case SystemWords::kBrokenPipe:
      return "Pipe not connected.";
  }
  return {};
}

std::vector<int> interrupt_signals() { return {SIGINT}; }

int interrupted_status(int) { return 0xC000013A & 0xFF; }

std::string shell_echo(const std::string& text) { return text + "\r\n"; }

std::string program_file(const std::string& name) { return name + ".exe"; }
#else
std::string shown_path(const fs::path& path) { return path.string(); }

std::string system_words(SystemWords words) {
  switch (words) {
    case SystemWords::kNoSuchDirectory:
      return "No such file or directory";
    case SystemWords::kIsADirectory:
      return "Is a directory";
    case SystemWords::kDiskFull:
      return "No space left on device";
    case SystemWords::kBrokenPipe:
      return "Broken pipe";
  }
  return {};
}

std::vector<int> interrupt_signals() { return {SIGINT, SIGTERM}; }

int interrupted_status(int signal_number) { return 128 + signal_number; }

std::string shell_echo(const std::string& text) { return text + "\n"; }

std::string program_file(const std::string& name) { return name; }
#endif

E2eTree::E2eTree(const std::string& month_dir) {
  std::string pattern = (fs::temp_directory_path() / "tallowgate-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  drive_ = root_ / "drive";
  work_ = root_ / "top" / "GRIB2" / "prod" / month_dir;
  fs::create_directories(drive_);
  fs::create_directories(work_);
}

E2eTree::~E2eTree() {
  std::error_code ec;
  // A test may have taken permissions away; give them back before removing.
  for (auto it = fs::recursive_directory_iterator(root_, ec); it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(root_, ec);
}

void E2eTree::make_dir(const fs::path& dir) const { fs::create_directories(dir); }

void E2eTree::write_file(const fs::path& path, const std::string& contents) const {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string E2eTree::read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

bool E2eTree::exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

std::vector<std::string> E2eTree::list(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void E2eTree::install_decoder(const std::string& name) const {
  install_decoder_from(COPY_DECODER_BINARY, name);
}

void E2eTree::install_decoder_from(const fs::path& binary, const std::string& name) const {
  const fs::path target = work_ / program_file(name);
  fs::copy_file(binary, target, fs::copy_options::overwrite_existing);
  fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
}

pid_t E2eTree::start(const std::vector<std::string>& args, int stdin_fd, int stdout_fd, int stderr_fd) const {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::size_t eq = entry.find('=');
    if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  env["LD_PRELOAD"] = faketime_library();
  env["FAKETIME"] = clock_;
  env["NO_FAKE_STAT"] = "1";
  env["FAKETIME_DONT_RESET"] = "1";
  env["TZ"] = "UTC";
  env["TALLOWGATE_DRIVE"] = shown_path(drive_);
  env["ASAN_OPTIONS"] = "verify_asan_link_order=0:detect_leaks=0";
#ifdef TALLOWGATE_UNDER_WINE
  // Wine's own timers run on the monotonic clock, which stays real.
  env["FAKETIME_DONT_FAKE_MONOTONIC"] = "1";
  env["WINEDEBUG"] = "-all";
#endif
  for (const auto& [name, value] : env_) env[name] = value;

  std::vector<std::string> env_strings;
  for (const auto& [name, value] : env) env_strings.push_back(name + "=" + value);
#ifdef TALLOWGATE_UNDER_WINE
  std::vector<std::string> argv_strings{TALLOWGATE_UNDER_WINE, TALLOWGATE_BINARY};
#else
  std::vector<std::string> argv_strings{TALLOWGATE_BINARY};
#endif
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    std::vector<char*> argv, envp;
    for (auto& a : argv_strings) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env_strings) envp.push_back(e.data());
    envp.push_back(nullptr);
    dup2(stdin_fd, 0);
    dup2(stdout_fd, 1);
    dup2(stderr_fd, 2);
    for (const std::string& pattern : planted_) {
      std::string path = (drive_ / pattern).string();
      const std::size_t at = path.find("{pid}");
      if (at != std::string::npos) path.replace(at, 5, std::to_string(getpid()));
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0) _exit(125);
      close(fd);
    }
    if (memory_limit_ != 0) {
      const rlimit limit{memory_limit_, memory_limit_};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(124);
    }
    if (chdir(work_.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  return pid;
}

RunResult E2eTree::run(const std::vector<std::string>& args, const std::string& input) const {
  const fs::path in_path = root_ / ".stdin", out_path = root_ / ".stdout", err_path = root_ / ".stderr";
  write_file(in_path, input);
  const int in = open(in_path.c_str(), O_RDONLY);
  const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t pid = start(args, in, out, err);
  close(in);
  close(out);
  close(err);
  RunResult result;
  result.status = wait_with_timeout(pid);
  result.out = read_fd_file(out_path);
  result.err = read_fd_file(err_path);
  fs::remove(in_path);
  fs::remove(out_path);
  fs::remove(err_path);
  return result;
}

RunResult E2eTree::run_with_closed_output(const std::vector<std::string>& args) const {
  const fs::path in_path = root_ / ".stdin", err_path = root_ / ".stderr";
  write_file(in_path, "");
  int output[2];
  if (pipe(output) != 0) throw std::runtime_error("pipe failed");
  close(output[0]);
  const int in = open(in_path.c_str(), O_RDONLY);
  const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // The test itself must not die of the closed pipe it hands on.
  const auto before = signal(SIGPIPE, SIG_IGN);
  const pid_t pid = start(args, in, output[1], err);
  close(in);
  close(output[1]);
  close(err);
  RunResult result;
  result.status = wait_with_timeout(pid);
  signal(SIGPIPE, before);
  result.err = read_fd_file(err_path);
  fs::remove(in_path);
  fs::remove(err_path);
  return result;
}

E2eTree::Started E2eTree::start_in_background(const std::vector<std::string>& args) const {
  Started run;
  int input[2];
  if (pipe(input) != 0) throw std::runtime_error("pipe failed");
  // Each background run has its own console files: others may run meanwhile.
  static int serial = 0;
  const std::string tag = std::to_string(++serial);
  run.out = root_ / (".stdout-" + tag);
  run.err = root_ / (".stderr-" + tag);
  const int out = open(run.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(run.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  fcntl(input[1], F_SETFD, FD_CLOEXEC);
  run.pid = start(args, input[0], out, err);
  close(input[0]);
  close(out);
  close(err);
  run.input = input[1];
  return run;
}

void E2eTree::wait_for_output(const Started& run, const std::string& text) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
  while (read_fd_file(run.out).find(text) == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

RunResult E2eTree::finish(Started* run, const std::string& input) const {
  if (!input.empty() && write(run->input, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
    throw std::runtime_error("cannot type the input");
  }
  close(run->input);
  RunResult result;
  result.status = wait_with_timeout(run->pid);
  result.out = read_fd_file(run->out);
  result.err = read_fd_file(run->err);
  fs::remove(run->out);
  fs::remove(run->err);
  return result;
}

RunResult E2eTree::run_and_signal_at(const std::vector<std::string>& args, const std::string& text,
                                     int signal_number) const {
  const fs::path out_path = root_ / ".stdout", err_path = root_ / ".stderr";
  int input[2];
  if (pipe(input) != 0) throw std::runtime_error("pipe failed");
  const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t pid = start(args, input[0], out, err);
  close(input[0]);
  close(out);
  close(err);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
  while (read_fd_file(out_path).find(text) == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(pid, signal_number);
  RunResult result;
  result.status = wait_with_timeout(pid);
  close(input[1]);
  result.out = read_fd_file(out_path);
  result.err = read_fd_file(err_path);
  fs::remove(out_path);
  fs::remove(err_path);
  return result;
}

}  // namespace tallowgate::e2e
