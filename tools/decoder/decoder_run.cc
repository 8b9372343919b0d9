#include "decoder_run.h"

#include <eccodes.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "decoder_fatal.h"
#include "dump_writer.h"
#include "field_check.h"
#include "grib_field.h"
#include "message_scan.h"

namespace tallowgate {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
struct HandleDeleter {
  void operator()(codes_handle* handle) const { codes_handle_delete(handle); }
};
using HandlePtr = std::unique_ptr<codes_handle, HandleDeleter>;

void write_usage(std::FILE* err) {
  std::fputs(
      "usage: wgrib2 -text DUMP FILE\n"
      "  writes every field of the GRIB2 file FILE to the text file DUMP: a line \"ni nj\",\n"
      "  then one value a line, west to east and south to north\n",
      err);
}

// Writes the fields of one message to the dump, leaving nothing of it there when one fails.
void decode_message(const std::string& file_name, int number, GribMessage* message, GribField* field,
                    DumpWriter* dump, std::FILE* out) {
  std::string place =
      file_name + ": message " + std::to_string(number) + " at byte " + std::to_string(message->offset);
  int fields = count_fields(*message);
  if (fields == 0) throw DecoderFatal{place + ": its sections do not add up to its length"};
  // ecCodes and the libraries behind it trust the counts and sizes a message states; a damaged one
  // is refused here before they are asked for a value.
  check_fields(*message, place);

  std::uint64_t dump_start = dump->length();
  try {
    // ecCodes hands the fields out one call at a time and ends each message with a null handle.
    void* data = message->bytes.data();
    std::size_t left = message->bytes.size();
    for (int m = 1; m <= fields + 1; ++m) {
      int error = CODES_SUCCESS;
      HandlePtr handle(codes_grib_handle_new_from_multi_message(nullptr, &data, &left, &error));
      if (m > fields) {
        if (handle != nullptr) throw DecoderFatal{place + ": ecCodes finds more fields than it holds"};
        break;
      }
      if (handle == nullptr) {
        throw DecoderFatal{place + ": ecCodes cannot read field " + std::to_string(m) + ": " +
                           codes_get_error_message(error)};
      }
      std::string label = std::to_string(number);
      if (fields > 1) label += "." + std::to_string(m);
      decode_field(handle.get(), place + (fields > 1 ? ", field " + std::to_string(m) : ""), field);
      std::fprintf(out, "%s:%llu:d=%08ld%02ld\n", label.c_str(),
                   static_cast<unsigned long long>(message->offset), field->date, field->hour);
      dump->write_field(*field);
    }
  } catch (const DecoderFatal&) {
    dump->cut_back(dump_start);
    throw;
  }
}

}  // namespace

int run_decoder(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  if (argc != 4 || std::string_view(argv[1]) != "-text") {
    write_usage(err);
    return kDecoderFailed;
  }
  const std::string dump_path = argv[2];
  const std::string file_name = argv[3];
  try {
    DumpWriter dump(dump_path);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(file_name.c_str(), "rb"));
    if (file == nullptr) {
      throw DecoderFatal{"cannot open " + file_name + ": " + std::strerror(errno)};
    }
    MessageScanner scanner(file.get(), file_name, [err](std::string_view warning) {
      std::fprintf(err, "%.*s\n", static_cast<int>(warning.size()), warning.data());
    });
    // One message may hold several fields; ecCodes then hands them out one by one.
    codes_grib_multi_support_on(nullptr);
    GribMessage message;
    GribField field;
    for (int number = 1; scanner.next(&message); ++number) {
      decode_message(file_name, number, &message, &field, &dump, out);
    }
    dump.close();
    std::fflush(out);
    return 0;
  } catch (const DecoderFatal& fatal) {
    std::fflush(out);
    std::fprintf(err, "*** FATAL ERROR: %s ***\n", fatal.what.c_str());
    return kDecoderFailed;
  }
}

}  // namespace tallowgate
