#ifndef TALLOWGATE_R2C_OUTPUT_TARGET_H_
#define TALLOWGATE_R2C_OUTPUT_TARGET_H_

#include "platform/platform.h"
#include "run/run_state.h"

namespace tallowgate {

// Opens the r2c file of state->code (fixed, or dated from DATE_KEY) into
// state->output and sets state->report_path, after the product's "writing"
// line where it has one. Nothing on disk changes until the output is
// committed. When the file cannot be written, RDPS-TMP-HC, RDPS-PCP-FC and
// RDPS-TMP-FC write their three failure lines and throw RunStop ("tallowgate
// aborted @ 236", "@ 247", "@ 259"); every other code throws IoError naming
// the file. state->code must be set.
void open_output_target(Platform* platform, RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_R2C_OUTPUT_TARGET_H_
