#include "calendar/julian_day.h"

namespace tallowgate {

// The grouping of each line decides the result under truncating division.
int ymd_to_julian_day(int year, int month, int day) {
  const int a = (month - 14) / 12;
  int j = (day - 32075) + (1461 * (year + 4800 + a)) / 4;
  j = j + (367 * (month - 2 - 12 * a)) / 12;
  j = j - (3 * ((year + 4900 + a) / 100)) / 4;
  return j;
}

void julian_day_to_ymd(int julian_day, int* year, int* month, int* day) {
  int l = julian_day + 68569;
  const int n = (4 * l) / 146097;
  l = l - (146097 * n + 3) / 4;
  const int i = (4000 * (l + 1)) / 1461001;
  l = l - (1461 * i) / 4 + 31;
  const int k = (80 * l) / 2447;
  *day = l - (2447 * k) / 80;
  l = k / 11;
  *month = k + 2 - 12 * l;
  *year = 100 * (n - 49) + i + l;
}

}  // namespace tallowgate
