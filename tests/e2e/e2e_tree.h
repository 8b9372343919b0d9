#ifndef TALLOWGATE_TESTS_E2E_E2E_TREE_H_
#define TALLOWGATE_TESTS_E2E_E2E_TREE_H_

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tallowgate::e2e {

// What a run of the program left: its console, error stream and exit status
// (128 + the signal number when a signal ended it).
struct RunResult {
  std::string out;
  std::string err;
  int status = -1;
};

// A scratch tree for one run of the real program:
//   root/drive/                 the drive root (TALLOWGATE_DRIVE): kestrano/CMC/..., grib2/
//   root/top/GRIB2/prod/yyyymm/ the working directory, so that "..\runReport.txt"
//                               and "..\..\runReport.txt" stay inside the tree.
// The program runs with a frozen clock, TZ=UTC and the given standard input.
class E2eTree {
 public:
  explicit E2eTree(const std::string& month_dir = "202508");
  ~E2eTree();
  E2eTree(const E2eTree&) = delete;
  E2eTree& operator=(const E2eTree&) = delete;

  const std::filesystem::path& root() const { return root_; }
  const std::filesystem::path& drive() const { return drive_; }
  const std::filesystem::path& work() const { return work_; }

  // Paths relative to the drive root or the working directory.
  std::filesystem::path in_drive(const std::string& relative) const { return drive_ / relative; }
  std::filesystem::path in_work(const std::string& relative) const { return work_ / relative; }

  // Creates a directory with its parents.
  void make_dir(const std::filesystem::path& dir) const;
  // Writes a file, creating its directory.
  void write_file(const std::filesystem::path& path, const std::string& contents) const;
  static std::string read_file(const std::filesystem::path& path);
  static bool exists(const std::filesystem::path& path);
  // Names of the entries of a directory, sorted.
  static std::vector<std::string> list(const std::filesystem::path& dir);

  // Puts the test decoder into the working directory under `name`, where the
  // program looks for its decoder first.
  void install_decoder(const std::string& name = "wgrib2") const;
  // Puts a copy of the program `binary` into the working directory under `name`:
  // the project's GRIB2 decoder in place of the test decoder.
  void install_decoder_from(const std::filesystem::path& binary, const std::string& name = "wgrib2") const;

  // Environment of the next runs, on top of the fixed one.
  void set_env(const std::string& name, const std::string& value) { env_[name] = value; }
  // Local time of the frozen clock, "YYYY-MM-DD hh:mm:ss".
  void set_clock(const std::string& clock) { clock_ = clock; }

  // Limits the address space of the next runs (0: no limit).
  void set_memory_limit(std::size_t bytes) { memory_limit_ = bytes; }
  // Before each next run starts, creates an empty file at this path under the
  // drive root, "{pid}" replaced by the process id the run will have.
  void plant_at_start(const std::string& pattern) { planted_.push_back(pattern); }

  // Runs the program in the working directory and waits for it.
  RunResult run(const std::vector<std::string>& args, const std::string& input = "") const;
  // Runs the program with a standard output whose reader has gone; `out` of
  // the result stays empty.
  RunResult run_with_closed_output(const std::vector<std::string>& args) const;

  // A run going on in the background, its standard input a pipe kept open.
  struct Started {
    pid_t pid = -1;
    int input = -1;
    std::filesystem::path out, err;
  };
  Started start_in_background(const std::vector<std::string>& args) const;
  // Waits until the console of `run` shows `text`.
  void wait_for_output(const Started& run, const std::string& text) const;
  // Types `input`, ends standard input and waits for the end of `run`.
  RunResult finish(Started* run, const std::string& input) const;

  // Starts the program with a standard input that stays open, waits until its
  // console shows `text`, sends `signal_number`, and waits for the end.
  RunResult run_and_signal_at(const std::vector<std::string>& args, const std::string& text,
                              int signal_number) const;

 private:
  pid_t start(const std::vector<std::string>& args, int stdin_fd, int stdout_fd, int stderr_fd) const;

  std::filesystem::path root_, drive_, work_;
  std::map<std::string, std::string> env_;
  std::string clock_ = "2025-08-24 12:30:45";
  std::size_t memory_limit_ = 0;
  std::vector<std::string> planted_;
};

// The library that freezes the clock of a program it is preloaded into.
const std::string& faketime_library();

// Lines of a text, each without its line end.
std::vector<std::string> lines_of(const std::string& text);

// Where the program's output shows the system's own words or ways, the
// Linux program and the Windows one (run under Wine) differ; in these alone.
// A path as the program writes it in messages: "/tmp/..." and "../x" on
// Linux, "Z:\tmp\..." and "..\x" on Windows.
std::string shown_path(const std::filesystem::path& path);
// The system's reason for a failed open or write.
enum class SystemWords { kNoSuchDirectory, kIsADirectory, kDiskFull, kBrokenPipe };
std::string system_words(SystemWords words);
// The signals that interrupt a run: Windows knows only Ctrl-C (SIGINT under
// Wine); SIGTERM ends a Wine process as if it were killed.
std::vector<int> interrupt_signals();
// The exit status of a run ended by `signal_number`: 128 + the number on
// Linux, the low byte of STATUS_CONTROL_C_EXIT under Wine.
int interrupted_status(int signal_number);
// What the command interpreter's echo writes for `text`: Windows' cmd.exe
// ends its lines in CRLF.
std::string shell_echo(const std::string& text);
// The decoder's file name: "wgrib2" on Linux, "wgrib2.exe" on Windows.
std::string program_file(const std::string& name);

}  // namespace tallowgate::e2e

#endif  // TALLOWGATE_TESTS_E2E_E2E_TREE_H_
