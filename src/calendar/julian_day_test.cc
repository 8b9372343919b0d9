#include "calendar/julian_day.h"

#include <gtest/gtest.h>

namespace tallowgate {
namespace {

struct Date {
  int year, month, day;
  bool operator==(const Date&) const = default;
};

Date from_day(int julian_day) {
  Date d{};
  julian_day_to_ymd(julian_day, &d.year, &d.month, &d.day);
  return d;
}

TEST(JulianDay, KnownDayNumbers) {
  EXPECT_EQ(ymd_to_julian_day(2000, 1, 1), 2451545);
  EXPECT_EQ(ymd_to_julian_day(1970, 1, 1), 2440588);
  EXPECT_EQ(from_day(2451545), (Date{2000, 1, 1}));
  EXPECT_EQ(from_day(0), (Date{-4713, 11, 24}));
  EXPECT_EQ(ymd_to_julian_day(-4713, 11, 24), 0);
}

TEST(JulianDay, LeapDayAndMonthEnds) {
  const int leap = ymd_to_julian_day(2024, 2, 29);
  EXPECT_EQ(ymd_to_julian_day(2024, 3, 1), leap + 1);
  EXPECT_EQ(from_day(leap), (Date{2024, 2, 29}));
  EXPECT_EQ(ymd_to_julian_day(2023, 3, 1) - ymd_to_julian_day(2023, 2, 28), 1);
  EXPECT_EQ(ymd_to_julian_day(1900, 3, 1) - ymd_to_julian_day(1900, 2, 28), 1);
  EXPECT_EQ(ymd_to_julian_day(2000, 3, 1) - ymd_to_julian_day(2000, 2, 28), 2);
}

TEST(JulianDay, CarriesOutOfRangeDaysAndMonths) {
  struct Case {
    Date in, want;
  } cases[] = {
      {{2024, 2, 31}, {2024, 3, 2}}, {{2024, 1, 0}, {2023, 12, 31}}, {{2024, 13, 1}, {2025, 1, 1}},
      {{2024, 4, 31}, {2024, 5, 1}}, {{2024, 2, 40}, {2024, 3, 11}}, {{2023, 12, 32}, {2024, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in.year * 10000 + c.in.month * 100 + c.in.day);
    EXPECT_EQ(from_day(ymd_to_julian_day(c.in.year, c.in.month, c.in.day)), c.want);
  }
}

TEST(JulianDay, RoundTripsEveryDayOfFourCenturies) {
  const int first = ymd_to_julian_day(1800, 1, 1);
  const int last = ymd_to_julian_day(2200, 12, 31);
  Date previous = from_day(first - 1);
  for (int j = first; j <= last; ++j) {
    const Date d = from_day(j);
    ASSERT_EQ(ymd_to_julian_day(d.year, d.month, d.day), j);
    const bool next_day = d.year == previous.year && d.month == previous.month && d.day == previous.day + 1;
    const bool next_month =
        d.day == 1 && ((d.year == previous.year && d.month == previous.month + 1) ||
                       (d.year == previous.year + 1 && d.month == 1 && previous.month == 12));
    ASSERT_TRUE(next_day || next_month) << j;
    previous = d;
  }
}

}  // namespace
}  // namespace tallowgate
