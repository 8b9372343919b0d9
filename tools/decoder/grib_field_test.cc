#include "grib_field.h"

#include <eccodes.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "decoder_fatal.h"
#include "g_format.h"
#include "test_messages.h"

namespace tallowgate {
namespace {

GribField decode(const Bytes& message) {
  GribField field;
  codes_handle* handle = codes_handle_new_from_message(nullptr, message.data(), message.size());
  if (handle == nullptr) {
    ADD_FAILURE() << "ecCodes cannot read the test message";
    return field;
  }
  try {
    decode_field(handle, "test field", &field);
  } catch (...) {
    codes_handle_delete(handle);
    throw;
  }
  codes_handle_delete(handle);
  return field;
}

std::string dump_text(double value) {
  char text[kGScratchChars];
  return std::string(text, append_g(static_cast<float>(value), text));
}

TEST(DecodeField, ReadsGridOrderDateAndValuesInFileOrder) {
  GribField field = decode(make_message({.scanning_mode = 208, .date = 20231218, .time = 600}));
  EXPECT_EQ(field.ni, 4);
  EXPECT_EQ(field.nj, 3);
  EXPECT_TRUE(field.order.i_scans_negatively);
  EXPECT_TRUE(field.order.j_scans_positively);
  EXPECT_FALSE(field.order.j_points_are_consecutive);
  EXPECT_TRUE(field.order.alternative_row_scanning);
  EXPECT_EQ(field.values, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(field.date, 20231218);
  EXPECT_EQ(field.hour, 6);
}

TEST(DecodeField, GivesMaskedPointsTheMissingValue) {
  const double x = kMissingValue;
  const std::vector<double> values = {x, 2.5, 3, 4, 5, 6, 7, 8, 9, 10, 11, x};
  for (const char* packing : {"grid_simple", "grid_ccsds", "grid_jpeg"}) {
    SCOPED_TRACE(packing);
    GribField field = decode(make_message({.packing = packing, .values = values, .bitmap = true}));
    EXPECT_EQ(field.values, values);
  }
}

TEST(DecodeField, ReadsConstantFieldsAsWgrib2Does) {
  struct Case {
    const char* packing;
    long decimal_scale;
    const char* dump_text;
  };
  // ecCodes stores a constant field's value as its reference value whatever the scale factor.
  const Case cases[] = {
      {"grid_simple", 2, "2.7315"},  {"grid_jpeg", 2, "2.7315"},   {"grid_ccsds", 0, "2.7315"},
      {"grid_ccsds", 2, "0.027315"}, {"grid_ccsds", -1, "27.315"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.packing) + " D=" + std::to_string(c.decimal_scale));
    GribField field = decode(make_message(
        {.packing = c.packing, .decimal_scale = c.decimal_scale, .values = std::vector<double>(12, 2.7315)}));
    ASSERT_EQ(field.values.size(), 12u);
    for (double value : field.values) EXPECT_EQ(dump_text(value), c.dump_text);
  }
}

TEST(DecodeField, KeepsMaskedPointsOfAConstantCcsdsField) {
  const double x = kMissingValue;
  GribField field = decode(make_message({.packing = "grid_ccsds",
                                         .decimal_scale = 2,
                                         .values = {x, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5},
                                         .bitmap = true}));
  EXPECT_EQ(field.values[0], kMissingValue);
  EXPECT_EQ(dump_text(field.values[1]), "0.05");
}

TEST(DecodeField, ReadsSubnormalIeeeFloatsWithALeadingOne) {
  // 71362 x 2^-149 is subnormal; with the leading 1 it is (2^23 + 71362) x 2^-150.
  const double subnormal = 71362 * 0x1p-149;
  const double read = (0x1p23 + 71362) * 0x1p-150;
  std::vector<double> values = {subnormal, -subnormal, 0x1p-149, FLT_MIN, 0, 1.5, 1, 1, 1, 1, 1, 1};
  struct Case {
    long precision;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {1, {read, -read, (0x1p23 + 1) * 0x1p-150, FLT_MIN, 0, 1.5, 1, 1, 1, 1, 1, 1}},
      {2, values},  // 64-bit values are read as they are
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.precision);
    GribField field =
        decode(make_message({.packing = "grid_ieee", .ieee_precision = c.precision, .values = values}));
    EXPECT_EQ(field.values, c.expected);
  }
}

TEST(DecodeField, TakesAGridWithoutRowsForOneRow) {
  GribField field = decode(make_message({.grid_template = 101, .values = {1, 2, 3, 4, 5}}));
  EXPECT_EQ(field.ni, 5);
  EXPECT_EQ(field.nj, 1);
  EXPECT_EQ(field.values, (std::vector<double>{1, 2, 3, 4, 5}));
}

TEST(DecodeField, RefusesAGridWhosePointsAndValuesDisagree) {
  // Ni is octets 31 to 34 of a latitude/longitude grid section: 4 becomes 5.
  Bytes message = with_section(make_message({}), 3, [](unsigned char* section) { section[33] = 5; });
  try {
    decode(message);
    ADD_FAILURE() << "decoded";
  } catch (const DecoderFatal& fatal) {
    EXPECT_EQ(fatal.what, "test field: a grid of 5 x 3 points holds 12 values");
  }
}

}  // namespace
}  // namespace tallowgate
