#ifndef TALLOWGATE_DRIVER_FILE_PASS_H_
#define TALLOWGATE_DRIVER_FILE_PASS_H_

#include "driver/run_state.h"
#include "platform/platform.h"

namespace tallowgate {

// Converts file state->file_index of FLN, whose valid time is in the
// file_* fields: announces it, runs the decoder when the GRIB2 file exists and
// reads its dump. A complete dump becomes the next frame, an incomplete one
// the console line "error". The r2c header, with its two console lines, is
// written just before the run's first frame (first_frame is then cleared);
// from that frame on every step ends with "EndFrame" in the output, and the
// steps before it write nothing there. state->output must be open.
void convert_file(Platform* platform, RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_DRIVER_FILE_PASS_H_
