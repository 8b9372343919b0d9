#include "dump_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "decoder_fatal.h"
#include "g_format.h"
#include "grid_order.h"

namespace tallowgate {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;
constexpr float kMissingFloat = 9.999e20f;

// The float the dump shows for a decoded value.
float dump_float(double value) {
  float f = static_cast<float>(value);
  if (!std::isfinite(f)) return kMissingFloat;
  return f == 0.0f ? 0.0f : f;
}

}  // namespace

DumpWriter::DumpWriter(const std::string& path) : path_(path), block_(new char[kBlockSize]) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd_ < 0) throw DecoderFatal{"cannot open the dump " + path + ": " + std::strerror(errno)};
}

DumpWriter::~DumpWriter() {
  if (fd_ < 0) return;
  try {
    flush();
  } catch (const DecoderFatal&) {
  }
  ::close(fd_);
}

void DumpWriter::flush() {
  const char* at = block_.get();
  std::size_t left = used_;
  while (left > 0) {
    ssize_t n = ::write(fd_, at, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw DecoderFatal{"cannot write the dump " + path_ + ": " + std::strerror(errno)};
    at += n;
    left -= static_cast<std::size_t>(n);
  }
  written_ += used_;
  used_ = 0;
}

char* DumpWriter::room(std::size_t bytes) {
  if (kBlockSize - used_ < bytes) flush();
  return block_.get() + used_;
}

void DumpWriter::write_field(const GribField& field) {
  // A value line is at most kMaxGChars and a newline; it is copied as a whole 16-byte piece.
  constexpr std::size_t kPiece = 16;
  static_assert(kMaxGChars + 1 <= kPiece && kGScratchChars <= kPiece);
  char* out = room(48);
  out = std::to_chars(out, out + 24, field.ni).ptr;
  *out++ = ' ';
  out = std::to_chars(out, out + 24, field.nj).ptr;
  *out++ = '\n';
  used_ = static_cast<std::size_t>(out - block_.get());

  // Fields repeat values (zeros, the missing value), so the text of the last one is kept.
  std::uint32_t last_bits = std::bit_cast<std::uint32_t>(kMissingFloat);
  char last_text[kPiece];
  std::size_t last_length = static_cast<std::size_t>(append_g(kMissingFloat, last_text) - last_text);
  last_text[last_length++] = '\n';

  const double* values = field.values.data();
  for (std::int64_t j = 0; j < field.nj; ++j) {
    RowWalk walk = row_walk(field.order, field.ni, field.nj, j);
    std::int64_t k = walk.start;
    for (std::int64_t i = 0; i < field.ni; ++i, k += walk.step) {
      float value = dump_float(values[k]);
      std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
      out = room(kPiece);
      if (bits != last_bits) {
        char* end = append_g(value, last_text);
        *end++ = '\n';
        last_length = static_cast<std::size_t>(end - last_text);
        last_bits = bits;
      }
      std::memcpy(out, last_text, kPiece);
      used_ += last_length;
    }
  }
}

void DumpWriter::cut_back(std::uint64_t length) {
  if (length >= written_) {
    used_ = static_cast<std::size_t>(length - written_);
    return;
  }
  if (::ftruncate(fd_, static_cast<off_t>(length)) != 0 ||
      ::lseek(fd_, static_cast<off_t>(length), SEEK_SET) < 0) {
    throw DecoderFatal{"cannot cut back the dump " + path_ + ": " + std::strerror(errno)};
  }
  written_ = length;
  used_ = 0;
}

void DumpWriter::close() {
  flush();
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw DecoderFatal{"cannot close the dump " + path_ + ": " + std::strerror(errno)};
}

}  // namespace tallowgate
