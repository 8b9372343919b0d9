// Message scanning on arbitrary bytes: every message the scanner hands out is whole, ends in "7777"
// and has its fields counted; a broken one ends in DecoderFatal, never in a read out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "decoder_fatal.h"
#include "message_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // fmemopen refuses an empty buffer; an empty file holds no message anyway.
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  tallowgate::MessageScanner scanner(file, "fuzz.grib2", [](std::string_view) {});
  tallowgate::GribMessage message;
  try {
    while (scanner.next(&message)) {
      if (message.bytes.size() < 20 ||
          std::memcmp(message.bytes.data() + message.bytes.size() - 4, "7777", 4) != 0) {
        std::abort();
      }
      if (message.offset + message.bytes.size() > size) std::abort();
      tallowgate::count_fields(message);
    }
  } catch (const tallowgate::DecoderFatal&) {
  }
  std::fclose(file);
  return 0;
}
