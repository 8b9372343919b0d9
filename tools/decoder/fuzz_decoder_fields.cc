// The field checks and the decoding behind them on arbitrary files: each message the scanner finds
// is checked and, when its fields pass, each message of one field is decoded by ecCodes and written
// to a dump thrown away. A damaged field must end in DecoderFatal, never in a fault inside ecCodes or
// the libraries it uses. Messages of several fields are checked only: ecCodes keeps its place in
// such a message from call to call, and after a failure the next input would start from that place,
// where a run of the decoder would have ended.
#include <eccodes.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "decoder_fatal.h"
#include "dump_writer.h"
#include "field_check.h"
#include "grib_field.h"
#include "message_scan.h"

// ecCodes keeps the state of a message it could not finish in blocks nothing frees; the leak
// checker is not to take them for the decoder's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libeccodes.so\n"; }

namespace {

// ecCodes reports each damaged message on the error stream; the fuzzer's own lines are what matter.
void ignore_log(const codes_context*, int, const char*) {}

struct HandleDeleter {
  void operator()(codes_handle* handle) const { codes_handle_delete(handle); }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  codes_context_set_logging_proc(nullptr, ignore_log);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) std::abort();
  try {
    tallowgate::DumpWriter dump("/dev/null");
    tallowgate::MessageScanner scanner(file, "fuzz.grib2", [](std::string_view) {});
    tallowgate::GribMessage message;
    tallowgate::GribField field;
    while (scanner.next(&message)) {
      tallowgate::check_fields(message, "fuzz.grib2");
      if (tallowgate::count_fields(message) != 1) continue;
      std::unique_ptr<codes_handle, HandleDeleter> handle(
          codes_handle_new_from_message(nullptr, message.bytes.data(), message.bytes.size()));
      if (handle == nullptr) break;
      tallowgate::decode_field(handle.get(), "fuzz.grib2", &field);
      dump.write_field(field);
    }
    dump.close();
  } catch (const tallowgate::DecoderFatal&) {
  }
  std::fclose(file);
  return 0;
}
