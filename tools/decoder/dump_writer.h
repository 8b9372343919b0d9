#ifndef TALLOWGATE_TOOLS_DECODER_DUMP_WRITER_H_
#define TALLOWGATE_TOOLS_DECODER_DUMP_WRITER_H_

#include <cstdint>
#include <memory>
#include <string>

#include "grib_field.h"

namespace tallowgate {

// The dump file: for each field a count line "ni nj" and then one value a line, rows west to east
// from the southmost row up, each value rounded to a float and written as printf's "%g" writes it.
// Text is gathered in 1 MiB blocks before it is written.
class DumpWriter {
 public:
  // Creates `path`, or empties it. Throws DecoderFatal when it cannot be opened for writing.
  explicit DumpWriter(const std::string& path);
  // Writes out what is still gathered, silently: only close() reports failures.
  ~DumpWriter();
  DumpWriter(const DumpWriter&) = delete;
  DumpWriter& operator=(const DumpWriter&) = delete;

  // Adds `field`'s count line and values. A value that is not finite as a float is written as the
  // missing value 9.999e+20; -0 is written as 0.
  void write_field(const GribField& field);

  // The dump's length so far, counting text not yet written out.
  std::uint64_t length() const { return written_ + used_; }
  // Drops everything added after the dump was `length` long, so that a message that fails halfway
  // leaves nothing of itself in the dump.
  void cut_back(std::uint64_t length);

  // Writes out all text and closes the file. Throws DecoderFatal when the system refuses.
  void close();

 private:
  void flush();
  char* room(std::size_t bytes);

  std::string path_;
  int fd_ = -1;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;       // bytes gathered in block_
  std::uint64_t written_ = 0;  // bytes already in the file
};

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_DUMP_WRITER_H_
