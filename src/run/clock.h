#ifndef TALLOWGATE_RUN_CLOCK_H_
#define TALLOWGATE_RUN_CLOCK_H_

#include "platform/platform.h"
#include "run/run_state.h"

namespace tallowgate {

// Fills CDAY (yyyymmdd) and TIME (hhmmss.sss) from the local clock.
void query_clock(Platform* platform, RunState* state);

// The "Info:" lines with the time and date of CDAY and TIME.
void write_info_lines(Platform* platform, const RunState& state);

}  // namespace tallowgate

#endif  // TALLOWGATE_RUN_CLOCK_H_
