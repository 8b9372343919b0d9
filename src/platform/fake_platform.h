#ifndef TALLOWGATE_PLATFORM_FAKE_PLATFORM_H_
#define TALLOWGATE_PLATFORM_FAKE_PLATFORM_H_

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tallowgate {

// The system in memory, for stage tests. Files live in `files`, keyed by the
// path exactly as the stage spells it; the working directory holds the keys
// without a directory separator. Typed lines are replayed from `input`.
class FakePlatform : public Platform {
 public:
  struct ProgramRun {
    std::string name;
    std::vector<std::string> args;
  };

  // What the console and the error stream received, one entry per line.
  std::vector<std::string> out_lines, err_lines;
  // Lines the operator types, in order; the end of input follows them.
  std::deque<std::string> input;
  std::map<std::string, std::string> files;
  LocalTime clock{2025, 8, 24, 12, 30, 45, 250};
  std::vector<std::string> shell_commands;
  std::vector<ProgramRun> programs;
  // Called when a program runs, to leave what it would write in `files`.
  std::function<void(FakePlatform*, const ProgramRun&)> on_program;
  // Programs that cannot be started.
  std::set<std::string> missing_programs;
  std::uint64_t free_space = 123456789;
  // Files locked by this run, and what the next lock gives.
  std::vector<std::string> locked;
  LockResult lock_result = LockResult::kTaken;

  // Writes to `path` fail from the first one on; opens of `path` fail with
  // "Permission denied".
  void fail_writes_to(const std::string& path) { failing_writes_.insert(path); }
  void fail_opens_of(const std::string& path) { failing_opens_.insert(path); }

  void write_out(std::string_view line) override;
  void write_err(std::string_view line) override;
  bool read_input(std::string* line) override;
  LocalTime now() override { return clock; }
  std::string local_path(std::string_view path) override { return std::string(path); }
  bool file_exists(std::string_view path) override;
  std::unique_ptr<TextReader> open_read(std::string_view path, std::string* err) override;
  std::unique_ptr<TextWriter> open_write(std::string_view path, std::string* err) override;
  std::unique_ptr<TextWriter> open_append(std::string_view path, bool* ends_mid_line,
                                          std::string* err) override;
  std::unique_ptr<OutputFile> open_output(std::string_view path, std::string* err) override;
  bool remove_file(std::string_view path, std::string* err) override;
  LockResult lock_file(std::string_view path, std::string* err) override;
  bool list_directory(std::vector<DirectoryEntry>* files, std::string* err) override;
  std::string working_directory() override { return "/data/GRIB2/prod/202508"; }
  std::uint64_t free_bytes() override { return free_space; }
  bool run_shell(std::string_view command) override;
  bool run_program(std::string_view name, const std::vector<std::string>& args, std::string* err) override;

 private:
  std::set<std::string> failing_writes_, failing_opens_;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_FAKE_PLATFORM_H_
