#include "field_check.h"

#include <openjpeg.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "decoder_fatal.h"

namespace tallowgate {
namespace {

constexpr std::size_t kHeaderLength = 16;

// One section as it stands in the message, its length octets included; octet 1 is bytes[0].
struct Section {
  const unsigned char* bytes = nullptr;
  std::size_t length = 0;
};

// The big-endian number in octets `first` to `last` (1-based, inclusive) of `section`.
std::uint64_t octets(const Section& section, std::size_t first, std::size_t last) {
  std::uint64_t n = 0;
  for (std::size_t i = first; i <= last; ++i) n = n << 8 | section.bytes[i - 1];
  return n;
}

// What the checks of one field read: its grid's points and the sections that describe its values.
struct FieldSections {
  std::uint64_t points = 0;
  std::uint64_t packed_values = 0;
  Section packing;                      // section 5
  const unsigned char* data = nullptr;  // section 7 after its 5 octets
  std::size_t data_length = 0;
};

std::string text(std::uint64_t n) { return std::to_string(n); }

// Bits a value, octet 20 of every packing that has a reference value.
std::uint64_t bits_per_value(const FieldSections& f) { return octets(f.packing, 20, 20); }

bool is_constant(const FieldSections& f) { return bits_per_value(f) == 0 && f.data_length == 0; }

std::string check_simple(const FieldSections& f) {
  std::uint64_t bits = bits_per_value(f);
  std::uint64_t needed = (f.packed_values * bits + 7) / 8;
  if (needed > f.data_length) {
    return "its data section holds " + text(f.data_length) + " bytes where " + text(f.packed_values) +
           " values of " + text(bits) + " bits need " + text(needed);
  }
  return "";
}

// Reads unsigned numbers of a given width, most significant bit first, from a run of bytes.
class BitReader {
 public:
  BitReader(const unsigned char* bytes, std::size_t length)
      : bytes_(bytes), bits_(std::uint64_t{length} * 8) {}
  // The next `width` bits (at most 32); false, reading nothing, when fewer are left.
  bool read(std::uint64_t width, std::uint64_t* value) {
    if (width > bits_ - at_) return false;
    *value = 0;
    for (std::uint64_t i = 0; i < width; ++i, ++at_) {
      *value = *value << 1 | ((bytes_[at_ / 8] >> (7 - at_ % 8)) & 1u);
    }
    return true;
  }
  // Skips `width` bits; false when fewer are left.
  bool skip(std::uint64_t width) {
    if (width > bits_ - at_) return false;
    at_ += width;
    return true;
  }
  // Moves to the start of the next octet, as each block of complex packing's data starts on one.
  void to_octet() { at_ = (at_ + 7) / 8 * 8; }

 private:
  const unsigned char* bytes_;
  std::uint64_t bits_;
  std::uint64_t at_ = 0;
};

// Complex packing splits the values into groups, each with a reference, a width and a length, the
// last group's length given whole in the packing section. The group lengths must add up to the
// packed values and the data section must hold every group, or ecCodes decodes past its values.
std::string check_complex(const FieldSections& f) {
  if (is_constant(f)) return "";
  std::uint64_t groups = octets(f.packing, 32, 35);
  if (groups > f.packed_values) {
    return "it packs " + text(f.packed_values) + " values in " + text(groups) + " groups";
  }
  std::uint64_t reference_bits = bits_per_value(f);
  std::uint64_t width_reference = octets(f.packing, 36, 36);
  std::uint64_t width_bits = octets(f.packing, 37, 37);
  std::uint64_t length_reference = octets(f.packing, 38, 41);
  std::uint64_t length_increment = octets(f.packing, 42, 42);
  std::uint64_t last_length = octets(f.packing, 43, 46);
  std::uint64_t length_bits = octets(f.packing, 47, 47);
  const std::string too_short = "its data section is too short for its " + text(groups) + " groups";
  if (reference_bits > 32 || width_bits > 32 || length_bits > 32) {
    return "its groups are described in numbers of " + text(reference_bits) + ", " + text(width_bits) +
           " and " + text(length_bits) + " bits";
  }
  BitReader data(f.data, f.data_length);
  if (octets(f.packing, 10, 11) == 3) {
    // Spatial differencing of order 1 or 2 puts its first values and the overall minimum before the
    // groups, each in the same number of octets; ecCodes writes order 0 for none.
    std::uint64_t order = octets(f.packing, 48, 48);
    std::uint64_t extra_octets = octets(f.packing, 49, 49);
    if (order > 2 || (order > 0 && (extra_octets < 1 || extra_octets > 4))) {
      return "its spatial differencing of order " + text(order) + " has descriptors of " +
             text(extra_octets) + " octets";
    }
    if (order > 0 && !data.skip((order + 1) * extra_octets * 8)) return too_short;
  }
  if (!data.skip(groups * reference_bits)) return too_short;
  data.to_octet();
  BitReader widths = data;
  if (!data.skip(groups * width_bits)) return too_short;
  data.to_octet();
  BitReader lengths = data;
  if (!data.skip(groups * length_bits)) return too_short;
  data.to_octet();
  std::uint64_t values = 0;
  std::uint64_t value_bits = 0;
  for (std::uint64_t g = 0; g < groups; ++g) {
    std::uint64_t width = 0, scaled_length = 0;
    widths.read(width_bits, &width);
    lengths.read(length_bits, &scaled_length);
    std::uint64_t length =
        g + 1 == groups ? last_length : length_reference + scaled_length * length_increment;
    values += length;
    if (values > f.packed_values) break;
    value_bits += length * (width_reference + width);
  }
  if (values != f.packed_values) {
    return "its groups hold " + std::string(values > f.packed_values ? "at least " : "") + text(values) +
           " values where it packs " + text(f.packed_values);
  }
  if (!data.skip(value_bits)) return too_short;
  return "";
}

std::string check_ieee(const FieldSections& f) {
  std::uint64_t precision = octets(f.packing, 12, 12);
  if (precision != 1 && precision != 2) return "";  // a precision ecCodes refuses itself
  std::uint64_t needed = f.packed_values * (precision == 1 ? 4 : 8);
  if (needed > f.data_length) {
    return "its data section holds " + text(f.data_length) + " bytes where " + text(f.packed_values) +
           " IEEE values need " + text(needed);
  }
  return "";
}

// OpenJPEG reads the code stream from the message's bytes in place.
struct MemoryStream {
  const unsigned char* data;
  std::size_t length;
  std::size_t at;
};

OPJ_SIZE_T read_memory(void* buffer, OPJ_SIZE_T bytes, void* user) {
  MemoryStream* stream = static_cast<MemoryStream*>(user);
  if (stream->at >= stream->length) return static_cast<OPJ_SIZE_T>(-1);
  std::size_t n = std::min<std::size_t>(bytes, stream->length - stream->at);
  std::memcpy(buffer, stream->data + stream->at, n);
  stream->at += n;
  return n;
}

OPJ_OFF_T skip_memory(OPJ_OFF_T bytes, void* user) {
  MemoryStream* stream = static_cast<MemoryStream*>(user);
  if (bytes < 0) return -1;
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(bytes), stream->length - stream->at);
  stream->at += n;
  return static_cast<OPJ_OFF_T>(n);
}

OPJ_BOOL seek_memory(OPJ_OFF_T to, void* user) {
  MemoryStream* stream = static_cast<MemoryStream*>(user);
  if (to < 0 || static_cast<std::uint64_t>(to) > stream->length) return OPJ_FALSE;
  stream->at = static_cast<std::size_t>(to);
  return OPJ_TRUE;
}

void ignore_message(const char*, void*) {}

struct Jpeg2000Header {
  bool read = false;
  std::uint32_t components = 0;
  std::uint64_t width = 0;  // of the first component
  std::uint64_t height = 0;
  std::uint32_t precision = 0;
  bool is_signed = false;
};

// The main header of a JPEG 2000 code stream, as OpenJPEG reads it before any tile is decoded.
Jpeg2000Header read_jpeg2000_header(const unsigned char* data, std::size_t length) {
  Jpeg2000Header header;
  MemoryStream memory{data, length, 0};
  opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
  opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_J2K);
  if (stream == nullptr || codec == nullptr) {
    if (stream != nullptr) opj_stream_destroy(stream);
    if (codec != nullptr) opj_destroy_codec(codec);
    return header;
  }
  opj_stream_set_user_data(stream, &memory, nullptr);
  opj_stream_set_user_data_length(stream, length);
  opj_stream_set_read_function(stream, read_memory);
  opj_stream_set_skip_function(stream, skip_memory);
  opj_stream_set_seek_function(stream, seek_memory);
  opj_set_error_handler(codec, ignore_message, nullptr);
  opj_set_warning_handler(codec, ignore_message, nullptr);
  opj_set_info_handler(codec, ignore_message, nullptr);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  opj_image_t* image = nullptr;
  if (opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &image) && image != nullptr) {
    header.read = true;
    header.components = image->numcomps;
    if (image->numcomps > 0 && image->comps != nullptr) {
      header.width = image->comps[0].w;
      header.height = image->comps[0].h;
      header.precision = image->comps[0].prec;
      header.is_signed = image->comps[0].sgnd != 0;
    }
  }
  if (image != nullptr) opj_image_destroy(image);
  opj_destroy_codec(codec);
  opj_stream_destroy(stream);
  return header;
}

std::string jpeg2000_size_problem(std::uint64_t width, std::uint64_t height, std::uint64_t values) {
  if (width * height == values) return "";
  return "its JPEG 2000 image of " + text(width) + " x " + text(height) + " points holds " + text(values) +
         " values";
}

std::string check_jpeg2000(const FieldSections& f) {
  if (is_constant(f)) return "";
  // The image size stands in the SIZ marker segment right after the code stream's start. OpenJPEG
  // sets up every tile of the image while it reads the header, so an image far larger than the
  // field is refused before it is asked.
  constexpr unsigned char kStart[] = {0xff, 0x4f, 0xff, 0x51};
  if (f.data_length < 42 || std::memcmp(f.data, kStart, sizeof kStart) != 0) {
    return "its JPEG 2000 code stream has no readable header";
  }
  Section size{f.data, 42};
  std::uint64_t x1 = octets(size, 9, 12), y1 = octets(size, 13, 16);
  std::uint64_t x0 = octets(size, 17, 20), y0 = octets(size, 21, 24);
  std::string problem = jpeg2000_size_problem(x1 > x0 ? x1 - x0 : 0, y1 > y0 ? y1 - y0 : 0, f.packed_values);
  if (!problem.empty()) return problem;

  Jpeg2000Header header = read_jpeg2000_header(f.data, f.data_length);
  if (!header.read) return "its JPEG 2000 code stream has no readable header";
  if (header.components != 1) {
    return "its JPEG 2000 image has " + text(header.components) + " components, not 1";
  }
  problem = jpeg2000_size_problem(header.width, header.height, f.packed_values);
  if (!problem.empty()) return problem;
  // The packed values are unsigned integers, and ecCodes masks them in a 32-bit integer.
  if (header.is_signed || header.precision < 1 || header.precision > 31) {
    return "its JPEG 2000 image holds " + std::string(header.is_signed ? "signed" : "unsigned") + " " +
           text(header.precision) + "-bit samples";
  }
  return "";
}

std::string check_png(const FieldSections& f) {
  if (is_constant(f)) return "";
  constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                                          0,    0,   0,   13,  'I',  'H',  'D',  'R'};
  if (f.data_length < 24 || std::memcmp(f.data, kSignature, sizeof kSignature) != 0) {
    return "its PNG image has no header";
  }
  Section ihdr{f.data + 16, 8};
  std::uint64_t width = octets(ihdr, 1, 4);
  std::uint64_t height = octets(ihdr, 5, 8);
  if (width * height != f.packed_values) {
    return "its PNG image of " + text(width) + " x " + text(height) + " points holds " +
           text(f.packed_values) + " values";
  }
  return "";
}

// The sample flags of CCSDS packing, as the entropy decoder takes them.
constexpr std::uint64_t kCcsdsRestricted = 16;
constexpr std::uint64_t kCcsdsNotEnforced = 64;

std::string check_ccsds(const FieldSections& f) {
  if (is_constant(f)) return "";
  std::uint64_t bits = bits_per_value(f);
  std::uint64_t flags = octets(f.packing, 22, 22);
  std::uint64_t block = octets(f.packing, 23, 23);
  std::uint64_t interval = octets(f.packing, 24, 25);
  bool standard_block = block == 8 || block == 16 || block == 32 || block == 64;
  bool block_taken = (flags & kCcsdsNotEnforced) != 0 ? block != 0 && block % 2 == 0 : standard_block;
  std::string what;
  if (bits < 1 || bits > 32) {
    what = text(bits) + " bits a sample";
  } else if (!block_taken) {
    what = "a block size of " + text(block);
  } else if (interval < 1 || interval > 4096) {
    what = text(interval) + " blocks between reference samples";
  } else if ((flags & kCcsdsRestricted) != 0 && bits > 4) {
    what = "restricted coding of " + text(bits) + "-bit samples";
  }
  return what.empty() ? "" : "its CCSDS packing has " + what;
}

struct PackingRow {
  std::uint64_t template_number;
  std::size_t section_length;  // the octets of section 5 the check reads
  std::string (*check)(const FieldSections&);
};

// Packings whose data a damaged section would have the decoding library read or write out of bounds.
// Any other packing gets the checks of points and counts only.
constexpr PackingRow kPackingRows[] = {
    // template  octets  check
    {0, 21, check_simple},     // simple packing
    {2, 47, check_complex},    // complex packing
    {3, 49, check_complex},    // complex packing and spatial differencing
    {4, 12, check_ieee},       // IEEE floats
    {40, 23, check_jpeg2000},  // JPEG 2000 code stream
    {41, 21, check_png},       // PNG image
    {42, 25, check_ccsds},     // CCSDS entropy coding
};

std::uint64_t bitmap_kept_points(const Section& bitmap, std::uint64_t points) {
  const unsigned char* bits = bitmap.bytes + 6;
  std::uint64_t whole = points / 8;
  std::uint64_t kept = 0;
  for (std::uint64_t i = 0; i < whole; ++i) kept += static_cast<std::uint64_t>(std::popcount(bits[i]));
  if (points % 8 != 0) {
    unsigned last = static_cast<unsigned>(bits[whole]) >> (8 - points % 8);
    kept += static_cast<std::uint64_t>(std::popcount(last));
  }
  return kept;
}

// Why the field whose last sections are `grid`, `packing`, `bitmap` and `data` cannot be decoded
// safely, or "" when it can.
std::string field_problem(const Section& grid, const Section& packing, const Section& bitmap,
                          const Section& data) {
  FieldSections f;
  f.points = octets(grid, 7, 10);
  if (f.points > kMaxFieldPoints) {
    return "its grid of " + text(f.points) + " points is larger than any product (at most " +
           text(kMaxFieldPoints) + ")";
  }
  f.packed_values = octets(packing, 6, 9);
  if (bitmap.bytes == nullptr) {
    if (f.packed_values != f.points) {
      return "it packs " + text(f.packed_values) + " values for a grid of " + text(f.points) + " points";
    }
  } else {
    std::uint64_t bitmap_points = (bitmap.length - 6) * 8;
    if (bitmap_points < f.points) {
      return "its bitmap covers " + text(bitmap_points) + " of its grid's " + text(f.points) + " points";
    }
    std::uint64_t kept = bitmap_kept_points(bitmap, f.points);
    if (f.packed_values != kept) {
      return "it packs " + text(f.packed_values) + " values where its bitmap keeps " + text(kept) + " of " +
             text(f.points) + " points";
    }
  }
  f.packing = packing;
  f.data = data.bytes + 5;
  f.data_length = data.length - 5;
  std::uint64_t packing_template = octets(packing, 10, 11);
  for (const PackingRow& row : kPackingRows) {
    if (row.template_number != packing_template) continue;
    if (packing.length < row.section_length) {
      return "its packing section of " + text(packing.length) + " bytes is too short for template " +
             text(packing_template);
    }
    return row.check(f);
  }
  return "";
}

}  // namespace

void check_fields(const GribMessage& message, const std::string& place) {
  const std::vector<unsigned char>& bytes = message.bytes;
  const int fields = count_fields(message);
  if (fields == 0) throw DecoderFatal{place + ": its sections do not add up to its length"};
  Section grid, packing, bitmap, defined_bitmap;
  bool has_grid = false, has_packing = false, has_bitmap_section = false;
  int field = 0;
  auto fail = [&](const std::string& what) {
    throw DecoderFatal{place + (fields > 1 ? ", field " + std::to_string(field) : "") + ": " + what};
  };
  // count_fields has seen the sections chain up to the "7777" at the end.
  for (std::size_t at = kHeaderLength; std::memcmp(bytes.data() + at, "7777", 4) != 0;) {
    Section section{bytes.data() + at, static_cast<std::size_t>(octets({bytes.data() + at, 4}, 1, 4))};
    switch (bytes[at + 4]) {
      case 3:
        if (section.length < 14) fail("its grid section is " + text(section.length) + " bytes long");
        grid = section;
        has_grid = true;
        break;
      case 5:
        if (section.length < 11) fail("its packing section is " + text(section.length) + " bytes long");
        packing = section;
        has_packing = true;
        break;
      case 6: {
        if (section.length < 6) fail("its bitmap section is " + text(section.length) + " bytes long");
        std::uint64_t indicator = octets(section, 6, 6);
        if (indicator == 0) {
          bitmap = defined_bitmap = section;
        } else if (indicator == 254) {
          if (defined_bitmap.bytes == nullptr) fail("it reuses a bitmap the message does not define");
          bitmap = defined_bitmap;
        } else if (indicator == 255) {
          bitmap = Section{};
        } else {
          fail("it names the predefined bitmap " + text(indicator));
        }
        has_bitmap_section = true;
        break;
      }
      case 7: {
        ++field;
        if (!has_grid) fail("it has no grid section");
        if (!has_packing) fail("it has no packing section");
        if (!has_bitmap_section) fail("it has no bitmap section");
        std::string problem = field_problem(grid, packing, bitmap, section);
        if (!problem.empty()) fail(problem);
        has_packing = has_bitmap_section = false;
        break;
      }
      default:
        break;
    }
    at += section.length;
  }
}

}  // namespace tallowgate
