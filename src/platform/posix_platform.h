#ifndef TALLOWGATE_PLATFORM_POSIX_PLATFORM_H_
#define TALLOWGATE_PLATFORM_POSIX_PLATFORM_H_

#include <string>

#include "platform/buffered_file.h"
#include "platform/platform.h"

namespace tallowgate {

// The system as a POSIX machine offers it. Rooted paths lie under the
// directory named by TALLOWGATE_DRIVE (or "/"). Standard output is buffered
// and written out before every pause, child process and error line. SIGINT,
// SIGTERM, SIGHUP and SIGQUIT end the running decoder (the signal is passed on
// and the decoder waited for) and remove the run's temporary output file
// before the process ends; SIGPIPE is ignored.
class PosixPlatform : public Platform {
 public:
  PosixPlatform();
  ~PosixPlatform() override;

  void write_out(std::string_view line) override;
  void write_err(std::string_view line) override;
  bool read_input(std::string* line) override;
  LocalTime now() override;
  std::string local_path(std::string_view path) override;
  bool file_exists(std::string_view path) override;
  std::unique_ptr<TextReader> open_read(std::string_view path, std::string* err) override;
  std::unique_ptr<TextWriter> open_write(std::string_view path, std::string* err) override;
  std::unique_ptr<TextWriter> open_append(std::string_view path, bool* ends_mid_line,
                                          std::string* err) override;
  std::unique_ptr<OutputFile> open_output(std::string_view path, std::string* err) override;
  bool remove_file(std::string_view path, std::string* err) override;
  LockResult lock_file(std::string_view path, std::string* err) override;
  bool list_directory(std::vector<DirectoryEntry>* files, std::string* err) override;
  std::string working_directory() override;
  std::uint64_t free_bytes() override;
  bool run_shell(std::string_view command) override;
  bool run_program(std::string_view name, const std::vector<std::string>& args, std::string* err) override;

  // Writes out buffered console lines. Throws IoError, once, when standard
  // output cannot be written.
  void flush_console();

 private:
  ConsoleOutput console_;
  std::string drive_root_;
  unsigned umask_ = 022;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_POSIX_PLATFORM_H_
