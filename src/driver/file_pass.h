#ifndef TALLOWGATE_DRIVER_FILE_PASS_H_
#define TALLOWGATE_DRIVER_FILE_PASS_H_

#include "platform/platform.h"
#include "run/run_state.h"

namespace tallowgate {

// Converts file state->file_index of FLN, whose valid time is in the
// file_* fields: announces it, runs the decoder when the GRIB2 file exists and
// reads its dump. The first dump of the run that passes the count check has
// the r2c header written (first_frame is then cleared, even when the dump
// turns out incomplete); a complete dump becomes the next frame, an
// incomplete one the console line "error". The step always ends with
// "EndFrame" in the output. state->output must be open.
void convert_file(Platform* platform, RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_DRIVER_FILE_PASS_H_
