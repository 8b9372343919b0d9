#include "message_scan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "decoder_fatal.h"

namespace tallowgate {
namespace {

constexpr unsigned char kGrib[4] = {'G', 'R', 'I', 'B'};
constexpr std::uint64_t kHeaderLength = 16;
// A message is read in pieces that start small and double up to the largest, so a length octet gone
// wrong costs little more memory than the file holds: at most twice that, and 64 KiB at the least.
constexpr std::size_t kFirstReadPiece = std::size_t{64} << 10;
constexpr std::size_t kLargestReadPiece = std::size_t{16} << 20;

std::uint32_t big_endian(const unsigned char* bytes, int count) {
  std::uint32_t n = 0;
  for (int i = 0; i < count; ++i) n = n << 8 | bytes[i];
  return n;
}

}  // namespace

MessageScanner::MessageScanner(std::FILE* file, std::string name, std::function<void(std::string_view)> warn)
    : file_(file), name_(std::move(name)), warn_(std::move(warn)) {}

int MessageScanner::next_byte() {
  if (pending_count_ > 0) {
    ++position_;
    return pending_[--pending_count_];
  }
  int c = std::getc(file_);
  if (c == EOF) {
    if (std::ferror(file_)) fail_to_read();
    return EOF;
  }
  ++position_;
  return c;
}

void MessageScanner::put_back(const unsigned char* bytes, int count) {
  for (int i = count - 1; i >= 0; --i) pending_[pending_count_++] = bytes[i];
  position_ -= static_cast<std::uint64_t>(count);
}

void MessageScanner::fail_to_read() const {
  throw DecoderFatal{"cannot read " + name_ + ": " + std::strerror(errno)};
}

void MessageScanner::fail(std::uint64_t offset, const std::string& what) const {
  throw DecoderFatal{name_ + ": message at byte " + std::to_string(offset) + ": " + what};
}

bool MessageScanner::next(GribMessage* message) {
  for (;;) {
    // "GRIB" has no letter twice, so a mismatch can only restart the match at a 'G'.
    int matched = 0;
    while (matched < 4) {
      int c = next_byte();
      if (c == EOF) return false;
      if (c == kGrib[matched]) {
        ++matched;
      } else {
        matched = c == 'G' ? 1 : 0;
      }
    }
    std::uint64_t start = position_ - 4;
    unsigned char header[kHeaderLength];
    std::memcpy(header, kGrib, 4);
    for (int i = 4; i < 8; ++i) {
      int c = next_byte();
      if (c == EOF) return false;
      header[i] = static_cast<unsigned char>(c);
    }
    if (header[7] == 1) {
      warn_(name_ + ": GRIB1 message at byte " + std::to_string(start) + " ignored");
      continue;
    }
    if (header[7] != 2) {
      put_back(header + 4, 4);
      continue;
    }
    for (std::uint64_t i = 8; i < kHeaderLength; ++i) {
      int c = next_byte();
      if (c == EOF) fail(start, "file ends inside the message");
      header[i] = static_cast<unsigned char>(c);
    }
    std::uint64_t length = std::uint64_t{big_endian(header + 8, 4)} << 32 | big_endian(header + 12, 4);
    if (length < kHeaderLength + 4) {
      fail(start, "length " + std::to_string(length) + " is shorter than a message");
    }
    std::vector<unsigned char>& bytes = message->bytes;
    bytes.assign(header, header + kHeaderLength);
    for (std::size_t next_piece = kFirstReadPiece; bytes.size() < length;
         next_piece = std::min(next_piece * 2, kLargestReadPiece)) {
      std::size_t have = bytes.size();
      std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(length - have, next_piece));
      bytes.resize(have + piece);
      std::size_t got = std::fread(bytes.data() + have, 1, piece, file_);
      position_ += got;
      if (got < piece) {
        if (std::ferror(file_)) fail_to_read();
        fail(start, "file ends after " + std::to_string(have + got) + " of its " + std::to_string(length) +
                        " bytes");
      }
    }
    if (std::memcmp(bytes.data() + length - 4, "7777", 4) != 0) {
      fail(start, "it does not end in 7777");
    }
    message->offset = start;
    return true;
  }
}

int count_fields(const GribMessage& message) {
  const std::vector<unsigned char>& bytes = message.bytes;
  std::size_t at = kHeaderLength;
  int fields = 0;
  while (at + 4 <= bytes.size()) {
    if (std::memcmp(bytes.data() + at, "7777", 4) == 0) {
      return at + 4 == bytes.size() ? fields : 0;
    }
    if (at + 5 > bytes.size()) return 0;
    std::uint32_t length = big_endian(bytes.data() + at, 4);
    if (length < 5 || length > bytes.size() - at) return 0;
    if (bytes[at + 4] == 7) ++fields;
    at += length;
  }
  return 0;
}

}  // namespace tallowgate
