#ifndef TALLOWGATE_PLATFORM_WINDOWS_PLATFORM_H_
#define TALLOWGATE_PLATFORM_WINDOWS_PLATFORM_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/buffered_file.h"
#include "platform/platform.h"

namespace tallowgate {

// The system as a Windows machine offers it, through the wide-character
// calls; texts are UTF-8 inside the program. Paths are native: rooted ones
// lie on the current drive, or under TALLOWGATE_DRIVE ("D:" or "D:\dir")
// when it is set. Every file and console line the program writes ends in a
// bare LF; standard output is buffered and written out before every pause,
// child process and error line. Ctrl-C, Ctrl-Break and closing the console
// remove the run's temporary output file, end a decoder still running, and
// end the process with STATUS_CONTROL_C_EXIT.
class WindowsPlatform : public Platform {
 public:
  WindowsPlatform();
  ~WindowsPlatform() override;

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
  std::string drive_;
  ConsoleOutput console_;
  // Bytes read ahead from a standard input that is not a console.
  std::string in_buffer_;
  std::size_t in_start_ = 0;
  // Handles of the files this run holds locked, closed as the process ends.
  std::vector<void*> locks_;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_WINDOWS_PLATFORM_H_
