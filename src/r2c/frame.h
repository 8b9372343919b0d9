#ifndef TALLOWGATE_R2C_FRAME_H_
#define TALLOWGATE_R2C_FRAME_H_

#include <string>

#include "platform/platform.h"
#include "run/run_state.h"

namespace tallowgate {

// Carries whole days of file_hour into the date, leaving an hour of 0 to 23:
// 2025-08-31 hour 30 becomes 2025-09-01 hour 6. An hour of 0 to 23 leaves the
// valid time as it is.
void normalise_valid_time(RunState* state);

// Appends the 40-character frame line: ":frame", `number` twice in 5 columns
// each (asterisks when it does not fit), five blanks and the quoted valid time
// "yyyy/mm/dd  hh:00".
void append_frame_line(std::string* out, int number, const RunState& state);

// Writes the frame of the current file from state->VAL into state->output:
// raises the frame counter, normalises the valid time, echoes the frame line
// with the file index on the console, writes it with the frame counter, then
// one value row per grid row in the code's row order (xcount fields of 8
// columns, each value capped, with the code's decimals) and the console line
// "Finished writing frame". A code without a value rule gets no rows. A failed
// write throws IoError.
void write_frame(Platform* platform, RunState* state);

// The line that closes every file's step in the output, "EndFrame".
void write_end_frame(RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_R2C_FRAME_H_
