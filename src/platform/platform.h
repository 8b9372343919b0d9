#ifndef TALLOWGATE_PLATFORM_PLATFORM_H_
#define TALLOWGATE_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tallowgate {

// A failed read or write that ends the run: `path` as it stands on this
// machine, `reason` the system's words. Only run() catches it.
struct IoError {
  std::string path;
  std::string reason;
};

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Lines of a text file, read from its start.
class TextReader {
 public:
  virtual ~TextReader() = default;
  // Reads the next line into *line without its line end ("\n" or "\r\n").
  // Returns false at the end of the file or on a read error.
  virtual bool read_line(std::string* line) = 0;
  // Reads the next line as read_line does, without copying it: *line views
  // the reader's own buffer and stays valid until the next read or rewind.
  virtual bool read_line_view(std::string_view* line) = 0;
  // Goes back to the first line; false when the file cannot be re-read.
  virtual bool rewind() = 0;
};

// A text file written from its start or appended to. Every failure throws
// IoError naming the file: a lost write would lose data silently.
class TextWriter {
 public:
  virtual ~TextWriter() = default;
  virtual void write(std::string_view bytes) = 0;
  void write_line(std::string_view line) {
    write(line);
    write("\n");
  }
  // Writes out what is buffered and closes the file.
  virtual void close() = 0;
};

// The run's r2c file. It is written into a temporary file beside the target,
// so the target only ever holds a whole run's output or what it held before.
class OutputFile : public TextWriter {
 public:
  // Moves the temporary file over the target when anything was written;
  // otherwise removes it, leaving an existing target as it was and creating a
  // missing one empty. Throws IoError when the move fails.
  virtual void commit() = 0;
  // Removes the temporary file; the target stays as it was before the run.
  virtual void discard() = 0;
  // True once a write has failed: such a file is discarded, never committed.
  virtual bool failed() const = 0;
};

// One regular file of the working directory, symbolic links followed.
struct DirectoryEntry {
  std::string name;
  std::uint64_t size = 0;
  LocalTime modified;  // local time
};

// What became of taking the run lock.
enum class LockResult { kTaken, kHeldElsewhere, kFailed };

// All the run asks of the system. Paths are the system's own: "\" separates
// directories and a leading "\" roots a path at the drive; relative paths are
// relative to the working directory.
class Platform {
 public:
  virtual ~Platform() = default;

  // One console line on standard output; the line end is added.
  virtual void write_out(std::string_view line) = 0;
  // One line on the error stream; the line end is added.
  virtual void write_err(std::string_view line) = 0;
  // Reads one line typed by the operator, without its line end. Returns false
  // at the end of standard input.
  virtual bool read_input(std::string* line) = 0;

  // The local date and time.
  virtual LocalTime now() = 0;

  // The path as it stands on this machine, for messages.
  virtual std::string local_path(std::string_view path) = 0;
  virtual bool file_exists(std::string_view path) = 0;
  // Null when the file cannot be opened, with the reason in *err.
  virtual std::unique_ptr<TextReader> open_read(std::string_view path, std::string* err) = 0;
  // Creates or empties the file. Null when it cannot, with the reason in *err.
  virtual std::unique_ptr<TextWriter> open_write(std::string_view path, std::string* err) = 0;
  // Opens for appending, creating a missing file; every write lands at the
  // end, after lines other runs appended meanwhile. *ends_mid_line tells
  // whether the file's last byte is something other than a line end.
  virtual std::unique_ptr<TextWriter> open_append(std::string_view path, bool* ends_mid_line,
                                                  std::string* err) = 0;
  // Prepares the run's output at `path`: fails, with the reason in *err, when
  // the target could not be written (missing directory, a directory in its
  // place, no permission). Nothing at `path` changes until commit().
  virtual std::unique_ptr<OutputFile> open_output(std::string_view path, std::string* err) = 0;
  virtual bool remove_file(std::string_view path, std::string* err) = 0;
  // Takes an exclusive lock on the file at `path`, creating it when missing,
  // held until the process ends and released by the system if the process
  // dies. kHeldElsewhere: another process holds it. kFailed: it could not be
  // taken, with the reason in *err.
  virtual LockResult lock_file(std::string_view path, std::string* err) = 0;

  // The regular files of the working directory, in no particular order.
  virtual bool list_directory(std::vector<DirectoryEntry>* files, std::string* err) = 0;
  // The absolute path of the working directory, as this machine writes it.
  virtual std::string working_directory() = 0;
  // Free bytes of the file system holding the working directory.
  virtual std::uint64_t free_bytes() = 0;

  // Runs `command` through the command interpreter with the console shared,
  // and waits for it. Returns false when the interpreter could not be started.
  virtual bool run_shell(std::string_view command) = 0;
  // Runs the program `name`, looked for first in the working directory and
  // then on the search path, with `args`, no interpreter between, and waits
  // for it; its exit status is not looked at. Returns false, with the reason
  // in *err, when it could not be started.
  virtual bool run_program(std::string_view name, const std::vector<std::string>& args, std::string* err) = 0;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_PLATFORM_H_
