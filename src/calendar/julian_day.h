#ifndef TALLOWGATE_CALENDAR_JULIAN_DAY_H_
#define TALLOWGATE_CALENDAR_JULIAN_DAY_H_

namespace tallowgate {

// Day numbers of the proleptic Gregorian calendar (astronomical years: year 0
// precedes year 1), in 32-bit arithmetic with divisions truncating toward zero.
// Day 0 is 24 November -4713; 2451545 is 1 January 2000. Inputs are not
// checked: a day or month beyond its range is carried into the following
// days, so day 31 of February gives a day of March. Exact inverses of each
// other for day numbers from 0 upward.
int ymd_to_julian_day(int year, int month, int day);
void julian_day_to_ymd(int julian_day, int* year, int* month, int* day);

}  // namespace tallowgate

#endif  // TALLOWGATE_CALENDAR_JULIAN_DAY_H_
