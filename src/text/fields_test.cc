#include "text/fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace tallowgate {
namespace {

TEST(AppendInt, RightAlignsZeroFillsAndOverflows) {
  struct Case {
    long long value;
    int width;
    int min_digits;
    const char* want;
  } cases[] = {
      {7, 5, 1, "    7"},
      {12, 3, 2, " 12"},
      {6, 3, 2, " 06"},
      {2025, 6, 4, "  2025"},
      {48, 3, 3, "048"},
      {-5, 4, 1, "  -5"},
      {-5, 4, 3, "-005"},
      {123456, 5, 1, "*****"},
      {-1000, 5, 1, "-1000"},
      {-10000, 5, 1, "*****"},
      {0, 3, 1, "  0"},
      {0, 12, 1, "           0"},
      {-2147483648LL, 12, 1, " -2147483648"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want);
    std::string out = "|";
    append_int(&out, c.value, c.width, c.min_digits);
    EXPECT_EQ(out, std::string("|") + c.want);
  }
}

TEST(AppendFixed, RoundsTheExactFloatTiesToEven) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float value;
    int width;
    int decimals;
    const char* want;
  } cases[] = {
      {0.5f, 8, 4, "  0.5000"},
      {0.25f, 8, 4, "  0.2500"},
      {288.1f, 8, 2, "  288.10"},
      {273.15f, 8, 2, "  273.15"},
      {400.0f, 8, 2, "  400.00"},
      {99.0f, 8, 4, " 99.0000"},
      {0.03125f, 8, 4, "  0.0312"},   // an exact tie goes to the even digit
      {0.09375f, 8, 4, "  0.0938"},   // and up when the even digit is above
      {-0.00001f, 8, 4, " -0.0000"},  // a negative value keeps its sign
      {0.00001f, 8, 4, "  0.0000"},
      {0.0f, 8, 4, "  0.0000"},
      {-0.0f, 8, 4, " -0.0000"},  // a stored negative zero too
      {-0.0f, 8, 2, "   -0.00"},
      {-0.0f, 20, 6, "           -0.000000"},
      {-99.5f, 8, 4, "-99.5000"},
      {-100.0f, 8, 4, "********"},
      {1000.0f, 8, 4, "********"},
      {999.99994f, 8, 4, "999.9999"},
      {-0.5f, 7, 4, "-0.5000"},
      {-0.5f, 6, 4, "-.5000"},  // no room for the leading zero
      {0.5f, 5, 4, ".5000"},
      {0.5f, 4, 4, "****"},
      {92.4f, 20, 6, "           92.400002"},
      {-41747228.0f, 20, 6, "    -41747228.000000"},
      {8.8081808f, 20, 6, "            8.808181"},
      {0.15f, 20, 6, "            0.150000"},
      {-0.15f, 20, 6, "           -0.150000"},
      {-180.0f, 20, 6, "         -180.000000"},
      {9.999e20f, 8, 4, "********"},
      {inf, 8, 2, "********"},
      {-inf, 8, 2, "********"},
      {std::numeric_limits<float>::quiet_NaN(), 8, 2, "********"},
      {2.5f, 3, 0, "  2"},
      {3.5f, 3, 0, "  4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want);
    std::string out;
    append_fixed(&out, c.value, c.width, c.decimals);
    EXPECT_EQ(out, c.want);
  }
}

// The frame fields against the C library's rounding of the same exact values:
// equal wherever the number fits, asterisks where it does not.
TEST(AppendFixed, AgreesWithPrintfOverAWideSweep) {
  std::mt19937 random(20250824);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<float> near(-1200.0f, 1200.0f);
  for (int n = 0; n < 2000000; ++n) {
    float value = near(random);
    if (n % 4 == 1) value = std::ldexp(near(random), -static_cast<int>(bits(random) % 24));
    if (n % 4 == 2) value = static_cast<float>(bits(random) % 2000000) / 1024.0f;  // many exact ties
    if (n % 4 == 3) {
      const std::uint32_t b = bits(random);
      std::memcpy(&value, &b, sizeof value);
    }
    if (!std::isfinite(value) || value == 0.0f) continue;
    for (int decimals : {2, 4}) {
      char want[64];
      std::snprintf(want, sizeof want, "%8.*f", decimals, static_cast<double>(value));
      std::string got;
      append_fixed(&got, value, 8, decimals);
      if (std::strlen(want) > 8) {
        ASSERT_EQ(got, "********") << value;
      } else {
        ASSERT_EQ(got, want) << value;
      }
    }
  }
}

TEST(AppendText, PadsCutsAndRightAligns) {
  std::string out;
  append_left(&out, "abc", 5);
  append_left(&out, "abcdef", 4);
  append_right(&out, "Sphere", 8);
  append_right(&out, "Sphere  ", 10);
  EXPECT_EQ(out, "abc  abcd  Sphere  Sphere  ");
}

TEST(FreeLine, SeparatesItemsAsTheConsoleShowsThem) {
  std::string out;
  FreeLine(&out).text("Finished writing frame").integer(3);
  EXPECT_EQ(out, " Finished writing frame           3");
  out.clear();
  FreeLine(&out).text("xcount= ").integer(935).text(" ycount= ").integer(824);
  EXPECT_EQ(out, " xcount=          935  ycount=          824");
  out.clear();
  FreeLine(&out).integer(2451545).integer(2000).integer(1).integer(1);
  EXPECT_EQ(out, "      2451545        2000           1           1");
  out.clear();
  FreeLine(&out).text(Text<6>("ab")).text("c");
  EXPECT_EQ(out, " ab    c");
}

TEST(Text, CutsPadsAndComparesWithoutTrailingBlanks) {
  Text<8> key("202401");
  EXPECT_EQ(key.view(), "202401  ");
  EXPECT_EQ(key.trimmed_length(), 6u);
  EXPECT_TRUE(key == "202401");
  EXPECT_TRUE(key == Text<72>("202401"));
  EXPECT_FALSE(key == "20240");
  EXPECT_EQ(Text<4>("abcdef").view(), "abcd");
  EXPECT_EQ(key.columns(5, 6), "01");
  EXPECT_EQ(key.columns(7, 12), "  ");
  EXPECT_TRUE(Text<3>().blank());
}

}  // namespace
}  // namespace tallowgate
