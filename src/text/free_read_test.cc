#include "text/free_read.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace tallowgate {
namespace {

TEST(ReadIntField, AcceptsBlanksAroundAndOneSign) {
  struct Case {
    const char* field;
    bool ok;
    int want;
  } cases[] = {
      {"2024", true, 2024},
      {" 07", true, 7},
      {"12 ", true, 12},
      {"+5", true, 5},
      {"-5", true, -5},
      {" -048 ", true, -48},
      {"", false, 0},
      {"  ", false, 0},
      {"1 2", false, 0},
      {"1\t2", false, 0},
      {"12a", false, 0},
      {"1.5", false, 0},
      {"+-1", false, 0},
      {"- 1", false, 0},
      {"+", false, 0},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.field + "'");
    int value = 31;
    EXPECT_EQ(read_int_field(c.field, &value), c.ok);
    EXPECT_EQ(value, c.ok ? c.want : 31) << "a failed read keeps the previous value";
  }
}

TEST(NextItem, SplitsOnBlanksTabsCommasAndCarriageReturns) {
  std::string_view rest = " 2023,\t7 ,, 4\r";
  std::vector<std::string_view> items;
  std::string_view item;
  while (next_item(&rest, &item)) items.push_back(item);
  EXPECT_EQ(items, (std::vector<std::string_view>{"2023", "7", "4"}));
}

TEST(ReadRealItem, ReadsTheDecoderNumberForms) {
  struct Case {
    const char* item;
    float want;
  } cases[] = {
      {"288.15", 288.15f},
      {"-5", -5.0f},
      {"+5", 5.0f},
      {"9.999e+20", 9.999e+20f},
      {"9.999E+20", 9.999e20f},
      {"1.5d3", 1500.0f},
      {"-2.5D-1", -0.25f},
      {".5", 0.5f},
      {"5.", 5.0f},
      {"0", 0.0f},
      {"1e5", 100000.0f},
      {"00012.50", 12.5f},
      // Halfway between two floats: ties go to the even one.
      {"16777217", 16777216.0f},
      {"16777219", 16777220.0f},
      // Correct rounding of a long decimal, not double rounding via a double.
      {"1.00000005960464477539062500000001", 1.00000011920928955078125f},
      {"3.4028235e38", std::numeric_limits<float>::max()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    float value = -1.0f;
    ASSERT_TRUE(read_real_item(c.item, &value));
    EXPECT_EQ(value, c.want);
  }
}

TEST(ReadRealItem, AgreesWithCorrectRoundingOnDecoderOutput) {
  // Numbers as the decoder prints them, and longer ones, across many
  // magnitudes: every one must read as the correctly rounded float.
  std::uint32_t seed = 7;
  char text[64];
  for (int n = 0; n < 200000; ++n) {
    seed = seed * 1664525u + 1013904223u;
    float bits_value;
    const std::uint32_t bits =
        (seed & 0x807fffffu) | ((((seed >> 23) % 90) + 90) << 23);  // about 1e-11 to 1e15
    std::memcpy(&bits_value, &bits, sizeof bits);
    const int precision = 3 + static_cast<int>(seed % 7);
    std::snprintf(text, sizeof text, "%.*g", precision, static_cast<double>(bits_value));
    float want = 0.0f;
    const char* end = text + std::strlen(text);
    ASSERT_EQ(std::from_chars(text, end, want).ec, std::errc()) << text;
    float got = -1.0f;
    ASSERT_TRUE(read_real_item(text, &got)) << text;
    ASSERT_EQ(got, want) << text;
  }
}

TEST(ReadRealItem, RoundsBelowTheNormalRangeInsteadOfRefusing) {
  float value = -1.0f;
  ASSERT_TRUE(read_real_item("1e-40", &value));
  EXPECT_EQ(value, 1e-40f);
  EXPECT_LT(value, std::numeric_limits<float>::min());
  ASSERT_TRUE(read_real_item("1.4e-45", &value));
  EXPECT_EQ(value, std::numeric_limits<float>::denorm_min());
  ASSERT_TRUE(read_real_item("1e-50", &value));
  EXPECT_EQ(value, 0.0f);
  ASSERT_TRUE(read_real_item("-1d-400", &value));
  EXPECT_EQ(value, 0.0f);
  EXPECT_TRUE(std::signbit(value));
}

TEST(ReadRealItem, ReadsNanAndInfinityInAnyCaseWithASign) {
  for (const char* item : {"NaN", "nan", "-NAN", "+nAn"}) {
    SCOPED_TRACE(item);
    float value = 0.0f;
    ASSERT_TRUE(read_real_item(item, &value));
    EXPECT_TRUE(std::isnan(value));
  }
  struct Case {
    const char* item;
    bool negative;
  } infinities[] = {
      {"Inf", false}, {"INFINITY", false}, {"-inf", true}, {"+Infinity", false}, {"-INF", true}};
  for (const Case& c : infinities) {
    SCOPED_TRACE(c.item);
    float value = 0.0f;
    ASSERT_TRUE(read_real_item(c.item, &value));
    EXPECT_TRUE(std::isinf(value));
    EXPECT_EQ(std::signbit(value), c.negative);
  }
}

TEST(ReadRealItem, RefusesWhatIsNoFloat) {
  for (const char* item : {"", "+", "-", ".", "e5", "1e", "1e+", "1.5x", "x1", "1..5", "1.5e3.2", "--1",
                           "1,5", "0x10", "infin", "nana", "1e39", "-3.5e38", "1d99999999999"}) {
    SCOPED_TRACE(item);
    float value = 7.0f;
    EXPECT_FALSE(read_real_item(item, &value));
    EXPECT_EQ(value, 7.0f) << "a failed read keeps the previous value";
  }
}

}  // namespace
}  // namespace tallowgate
