#ifndef TALLOWGATE_TOOLS_DECODER_MESSAGE_SCAN_H_
#define TALLOWGATE_TOOLS_DECODER_MESSAGE_SCAN_H_

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowgate {

// One GRIB2 message as it stands in the file, from "GRIB" to "7777".
struct GribMessage {
  std::vector<unsigned char> bytes;
  std::uint64_t offset = 0;  // of its "GRIB" in the file
};

// Finds the GRIB2 messages of a file one after the other, reading it byte by byte from the start:
// each "GRIB" whose edition octet (the 8th) is 2 opens a message whose length is the big-endian
// number in octets 9 to 16. Anything between messages is passed over: junk, text, and GRIB1
// messages, which are reported to `warn` and skipped by their first 8 bytes only. A "GRIB" followed
// by any other edition is taken for junk and the search goes on right after it.
class MessageScanner {
 public:
  // Reads `file`, which stays owned by the caller, from its current position; `name` is the file's
  // name for messages.
  MessageScanner(std::FILE* file, std::string name, std::function<void(std::string_view)> warn);

  // Reads the next GRIB2 message into *message and returns true; returns false when the file ends
  // before one starts (the end of the file inside octets 1 to 8 counts as such an end). Throws
  // DecoderFatal when the file cannot be read, or the message is shorter than its length, shorter
  // than its 16-byte header, or does not end in "7777".
  bool next(GribMessage* message);

 private:
  int next_byte();
  void put_back(const unsigned char* bytes, int count);
  [[noreturn]] void fail(std::uint64_t offset, const std::string& what) const;
  [[noreturn]] void fail_to_read() const;

  std::FILE* file_;
  std::string name_;
  std::function<void(std::string_view)> warn_;
  std::uint64_t position_ = 0;  // of the next byte next_byte() returns
  unsigned char pending_[8] = {};
  int pending_count_ = 0;  // put-back bytes, returned last first
};

// The number of fields in a GRIB2 message: how many times sections 2 or 3 to 7 come round before
// "7777". 0 when its sections do not chain up to the "7777" at its end.
int count_fields(const GribMessage& message);

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_MESSAGE_SCAN_H_
