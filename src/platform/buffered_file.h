#ifndef TALLOWGATE_PLATFORM_BUFFERED_FILE_H_
#define TALLOWGATE_PLATFORM_BUFFERED_FILE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tallowgate {

// One open file as the system hands it out: unbuffered reads and writes.
// Destroying it closes the file when close() has not.
class RawFile {
 public:
  virtual ~RawFile() = default;
  // Reads up to `size` bytes into `data`. Returns the number read, 0 at the
  // end of the file, -1 on a read error.
  virtual std::ptrdiff_t read(char* data, std::size_t size) = 0;
  // Writes all `size` bytes; false, with the system's reason in *err, when
  // it cannot.
  virtual bool write(const char* data, std::size_t size, std::string* err) = 0;
  // Goes back to the start of the file for reading.
  virtual bool rewind() = 0;
  // Closes the file; false, with the reason in *err, when the system reports
  // that written bytes did not reach it.
  virtual bool close(std::string* err) = 0;
};

// Lines of `file`, LF or CRLF ended, read through one buffer.
std::unique_ptr<TextReader> make_line_reader(std::unique_ptr<RawFile> file);

// A writer that gathers bytes in a buffer and hands them to `file` in large
// pieces. A failed write or close throws IoError naming `path`.
std::unique_ptr<TextWriter> make_buffered_writer(std::unique_ptr<RawFile> file, std::string path);

// The file-system calls that publish or drop a temporary output file.
class TemporaryFiles {
 public:
  virtual ~TemporaryFiles() = default;
  // Moves `temporary` over `target`, replacing an existing target. On
  // failure returns false with the reason in *err; what is left of the
  // temporary file is this call's to decide, and *err says where it is.
  virtual bool replace(const std::string& temporary, const std::string& target, std::string* err) = 0;
  // Removes `temporary`, whatever it holds.
  virtual void remove(const std::string& temporary) = 0;
  // Creates `target` empty when it is missing; an existing one is left as
  // it is.
  virtual bool create_if_missing(const std::string& target, std::string* err) = 0;
  // The temporary file is published or removed: an interrupt no longer has
  // to remove it.
  virtual void forget(const std::string& temporary) = 0;
};

// An OutputFile written into `file`, the temporary file at `temporary`
// beside `target`. Errors name the target, which is what the operator knows.
// `files` must outlive the output.
std::unique_ptr<OutputFile> make_temporary_output(std::unique_ptr<RawFile> file, std::string temporary,
                                                  std::string target, TemporaryFiles* files);

// Standard output, gathered in a buffer and written in large pieces through
// `write`, which returns false with the system's reason in *err when the
// bytes cannot be written (a pipe whose reader has gone). The first failure
// is thrown once, as IoError naming "standard output"; what is written after
// it is dropped.
class ConsoleOutput {
 public:
  using Write = bool (*)(std::string_view bytes, std::string* err);
  explicit ConsoleOutput(Write write) : write_(write) {}

  // Adds `line` and its line end; a full buffer is written out.
  void write_line(std::string_view line);
  // Writes out what is buffered; throws IoError when standard output has
  // failed and no earlier call has said so.
  void flush();
  // Writes out what is buffered and never throws: false once standard output
  // has failed, which the next write_line() or flush() then tells.
  bool write_out();

 private:
  Write write_;
  std::string buffer_;
  std::string error_;
  bool failed_ = false;
  bool reported_ = false;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_BUFFERED_FILE_H_
