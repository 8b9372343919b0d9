#ifndef TALLOWGATE_DRIVER_RUN_DATE_H_
#define TALLOWGATE_DRIVER_RUN_DATE_H_

#include "platform/platform.h"
#include "run/run_state.h"

namespace tallowgate {

// Where an operator forces the date of a run.
inline constexpr char kOverridePath[] = "\\grib2\\today.txt";

// Fixes the run date into the valid-time fields. With the override file, its
// year, month and day replace DATE_KEY, after two operator pauses; without
// it, DATE_KEY's year and month go with today's day and hour. An impossible
// day is carried into the next month by the day-number echo. Throws IoError
// when the override file does not start with three integers or DATE_KEY has
// no year and month.
void fix_run_date(Platform* platform, RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_DRIVER_RUN_DATE_H_
