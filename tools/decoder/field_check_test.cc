#include "field_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "decoder_fatal.h"
#include "grib_field.h"
#include "test_messages.h"

namespace tallowgate {
namespace {

// Octet `octet` (1-based, as the section's layout counts) of a section handed to with_section.
unsigned char& at(unsigned char* section, std::size_t octet) { return section[octet - 1]; }

void set_octets(unsigned char* section, std::size_t first, std::size_t last, std::uint64_t value) {
  for (std::size_t i = last; i >= first; --i) {
    at(section, i) = static_cast<unsigned char>(value & 0xff);
    value >>= 8;
  }
}

// Changes octets `first` to `last` of the first section numbered `section` to `value`.
Bytes with_octets(const Bytes& message, int section, std::size_t first, std::size_t last,
                  std::uint64_t value) {
  return with_section(message, section,
                      [first, last, value](unsigned char* bytes) { set_octets(bytes, first, last, value); });
}

// The first `keep` bytes of the first section numbered `section`, its length octets set to `keep`.
Bytes cut_section(const Bytes& message, int section, std::size_t keep) {
  Bytes cut;
  with_section(message, section, [&cut, keep](unsigned char* bytes) { cut.assign(bytes, bytes + keep); });
  set_octets(cut.data(), 1, 4, keep);
  return cut;
}

// A simple-packed message of 4 x 3 points made into a PNG-packed one (both packings lay out the
// same 21 octets) whose data section holds the start of a PNG image of `width` x `height` pixels:
// its signature and header chunk, all the checks read.
Bytes png_message(std::uint64_t width, std::uint64_t height) {
  Bytes data = {0, 0, 0, 0, 7, 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  data.resize(data.size() + 17);  // width, height, depth, colour type, methods, checksum
  set_octets(data.data(), 22, 25, width);
  set_octets(data.data(), 26, 29, height);
  data[29] = 8;  // bits a pixel
  set_octets(data.data(), 1, 4, data.size());
  return replace_section(with_octets(make_message({}), 5, 10, 11, 41), 7, 1, data);
}

// What check_fields says of `bytes`: "" when it lets the message through.
std::string refusal(const Bytes& bytes) {
  try {
    check_fields(GribMessage{bytes, 0}, "in.grib2: message 1 at byte 0");
  } catch (const DecoderFatal& fatal) {
    return fatal.what;
  }
  return "";
}

const double x = kMissingValue;
const std::vector<double> kMasked = {x, 2.5, 3, 4, 5, 6, 7, 8, 9, 10, 11, x};
const std::vector<double> kConstant(12, 273.15);

TEST(CheckFields, LetsThroughEveryPackingOfTheProducts) {
  const Bytes first = make_message({.values = kMasked, .bitmap = true});
  const Bytes second =
      make_message({.values = {x, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, x}, .bitmap = true});
  struct Case {
    const char* name;
    Bytes message;
  };
  const Case cases[] = {
      {"simple", make_message({})},
      {"simple, bitmap", make_message({.values = kMasked, .bitmap = true})},
      {"simple, constant", make_message({.values = kConstant})},
      {"JPEG 2000", make_message({.packing = "grid_jpeg"})},
      {"JPEG 2000, bitmap", make_message({.packing = "grid_jpeg", .values = kMasked, .bitmap = true})},
      {"JPEG 2000, constant",
       make_message({.packing = "grid_jpeg", .decimal_scale = 2, .values = kConstant})},
      {"CCSDS", make_message({.packing = "grid_ccsds"})},
      {"CCSDS, bitmap", make_message({.packing = "grid_ccsds", .values = kMasked, .bitmap = true})},
      {"CCSDS, constant", make_message({.packing = "grid_ccsds", .decimal_scale = 2, .values = kConstant})},
      {"IEEE 32 bits", make_message({.packing = "grid_ieee"})},
      {"IEEE 64 bits", make_message({.packing = "grid_ieee", .ieee_precision = 2})},
      {"complex", make_message({.packing = "grid_complex"})},
      {"complex, spatial differencing", make_message({.packing = "grid_complex_spatial_differencing"})},
      {"PNG", png_message(4, 3)},
      {"grid without rows", make_message({.grid_template = 101, .values = {1, 2, 3, 4, 5}})},
      {"two fields", join_fields(make_message({}), make_message({.packing = "grid_jpeg"}))},
      // Bitmap indicator 254: the second field takes the bitmap of the first.
      {"bitmap reused", replace_section(join_fields(first, second), 6, 2, {0, 0, 0, 6, 6, 254})},
      // CCSDS block sizes outside the standard's four, where the message says it does not hold to them.
      {"CCSDS, block size not enforced", with_section(make_message({.packing = "grid_ccsds"}), 5,
                                                      [](unsigned char* s) {
                                                        at(s, 22) |= 64;
                                                        at(s, 23) = 10;
                                                      })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(refusal(c.message), "");
  }
}

TEST(CheckFields, RefusesFieldsTheirOwnSectionsContradict) {
  const Bytes simple = make_message({});
  const Bytes masked = make_message({.values = kMasked, .bitmap = true});
  const Bytes jpeg = make_message({.packing = "grid_jpeg"});
  const Bytes ccsds = make_message({.packing = "grid_ccsds", .values = kMasked, .bitmap = true});
  // The JPEG 2000 code stream starts after section 7's 5 octets; its SIZ segment holds the image's
  // width at bytes 9 to 12 and the first component's sample size and subsampling at bytes 43 to 45.
  constexpr std::size_t kStream = 5;
  struct Case {
    const char* name;
    Bytes message;
    const char* refusal;
  };
  const Case cases[] = {
      {"grid beyond any product", with_octets(simple, 3, 7, 10, 200'000'000),
       "its grid of 200000000 points is larger than any product (at most 100000000)"},
      {"more values than points", with_octets(simple, 5, 6, 9, 13),
       "it packs 13 values for a grid of 12 points"},
      {"far more values than the bitmap keeps", with_octets(ccsds, 5, 6, 9, 0xff00000a),
       "it packs 4278190090 values where its bitmap keeps 10 of 12 points"},
      {"fewer values than the bitmap keeps", with_octets(masked, 5, 6, 9, 9),
       "it packs 9 values where its bitmap keeps 10 of 12 points"},
      {"bitmap shorter than the grid", with_octets(masked, 3, 7, 10, 17),
       "its bitmap covers 16 of its grid's 17 points"},
      {"bitmap reused before one is defined", replace_section(simple, 6, 1, {0, 0, 0, 6, 6, 254}),
       "it reuses a bitmap the message does not define"},
      {"predefined bitmap", replace_section(simple, 6, 1, {0, 0, 0, 6, 6, 7}),
       "it names the predefined bitmap 7"},
      {"no bitmap section", replace_section(simple, 6, 1, {}), "it has no bitmap section"},
      {"packing section too short for its template", with_octets(simple, 5, 10, 11, 40),
       "its packing section of 21 bytes is too short for template 40"},
      {"simple packing, wider values than its data", with_octets(simple, 5, 20, 20, 32),
       "its data section holds 36 bytes where 12 values of 32 bits need 48"},
      {"IEEE, 64-bit values in 32-bit data",
       with_octets(make_message({.packing = "grid_ieee"}), 5, 12, 12, 2),
       "its data section holds 48 bytes where 12 IEEE values need 96"},
      {"complex packing, more groups than values",
       with_octets(make_message({.packing = "grid_complex"}), 5, 32, 35, 13),
       "it packs 12 values in 13 groups"},
      {"complex packing, a last group beyond the values",
       with_octets(make_message({.packing = "grid_complex"}), 5, 43, 46, 169),
       "its groups hold at least 179 values where it packs 12"},
      {"complex packing, groups short of the values",
       with_octets(make_message({.packing = "grid_complex"}), 5, 43, 46, 0),
       "its groups hold 10 values where it packs 12"},
      {"complex packing, data cut short",
       replace_section(make_message({.packing = "grid_complex"}), 7, 1,
                       cut_section(make_message({.packing = "grid_complex"}), 7, 8)),
       "its data section is too short for its 6 groups"},
      {"spatial differencing of order 1 in descriptors of 0 octets",
       with_octets(make_message({.packing = "grid_complex_spatial_differencing"}), 5, 48, 48, 1),
       "its spatial differencing of order 1 has descriptors of 0 octets"},
      {"spatial differencing of order 3",
       with_octets(make_message({.packing = "grid_complex_spatial_differencing"}), 5, 48, 48, 3),
       "its spatial differencing of order 3 has descriptors of 0 octets"},
      {"JPEG 2000 image wider than the field", with_octets(jpeg, 7, kStream + 9, kStream + 12, 400),
       "its JPEG 2000 image of 400 x 3 points holds 12 values"},
      {"JPEG 2000 component subsampled",
       with_section(jpeg, 7, [](unsigned char* s) { at(s, kStream + 44) = 2; }),
       "its JPEG 2000 image of 2 x 3 points holds 12 values"},
      {"JPEG 2000 signed samples",
       with_section(jpeg, 7, [](unsigned char* s) { at(s, kStream + 43) |= 0x80; }),
       "its JPEG 2000 image holds signed 24-bit samples"},
      {"JPEG 2000 stream cut after its SIZ segment",
       replace_section(jpeg, 7, 1, cut_section(jpeg, 7, kStream + 45)),
       "its JPEG 2000 code stream has no readable header"},
      {"JPEG 2000 stream not a code stream", with_octets(jpeg, 7, kStream + 1, kStream + 2, 0x4749),
       "its JPEG 2000 code stream has no readable header"},
      {"PNG image larger than the field", png_message(5, 3), "its PNG image of 5 x 3 points holds 12 values"},
      {"CCSDS block size 0", with_octets(ccsds, 5, 23, 23, 0), "its CCSDS packing has a block size of 0"},
      {"CCSDS block size outside the standard", with_octets(ccsds, 5, 23, 23, 12),
       "its CCSDS packing has a block size of 12"},
      {"CCSDS odd block size, standard not enforced",
       with_section(ccsds, 5,
                    [](unsigned char* s) {
                      at(s, 22) |= 64;
                      at(s, 23) = 9;
                    }),
       "its CCSDS packing has a block size of 9"},
      {"CCSDS 33-bit samples", with_octets(ccsds, 5, 20, 20, 33), "its CCSDS packing has 33 bits a sample"},
      {"CCSDS no blocks between reference samples", with_octets(ccsds, 5, 24, 25, 0),
       "its CCSDS packing has 0 blocks between reference samples"},
      {"CCSDS too many blocks between reference samples", with_octets(ccsds, 5, 24, 25, 4097),
       "its CCSDS packing has 4097 blocks between reference samples"},
      {"CCSDS restricted coding of wide samples",
       with_section(ccsds, 5, [](unsigned char* s) { at(s, 22) |= 16; }),
       "its CCSDS packing has restricted coding of 24-bit samples"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(refusal(c.message), std::string("in.grib2: message 1 at byte 0: ") + c.refusal);
  }
}

TEST(CheckFields, NamesTheFieldOfAMessageOfSeveral) {
  const Bytes good = make_message({});
  const Bytes damaged = with_octets(make_message({.packing = "grid_ccsds"}), 5, 23, 23, 0);
  EXPECT_EQ(refusal(join_fields(good, damaged)),
            "in.grib2: message 1 at byte 0, field 2: its CCSDS packing has a block size of 0");
}

}  // namespace
}  // namespace tallowgate
