#ifndef TALLOWGATE_INPUT_FILE_TIME_H_
#define TALLOWGATE_INPUT_FILE_TIME_H_

#include "driver/run_state.h"
#include "platform/platform.h"

namespace tallowgate {

// Sets the fixed pieces of the decoder command: decoder_name "wgrib2" and
// decoder_option " -text".
void set_decoder_parts(RunState* state);

// Reads the valid time of FLN[state->file_index - 1] into file_year,
// file_month, file_day and file_hour from the character positions of the
// run's product (state->code must be set), and writes the line of asterisks
// that opens the file's pass. A field that cannot be read keeps its value.
// A forecast name also carries the hour of its model run: when it reads as two
// digits giving 0 to 23 it is added to file_hour, so the forecast hour counts
// from 00 of the run's date; anything else there counts as 00.
// Ends the run with RunStop (exit status 1, no message) after its console
// lines when a "capa" name has "CMC" neither at its start nor at character
// 16, and after the lines and the "@ 390" pause when a field cannot be read.
void extract_file_time(Platform* platform, RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_INPUT_FILE_TIME_H_
