#ifndef TALLOWGATE_GRID_DECODER_H_
#define TALLOWGATE_GRID_DECODER_H_

#include "platform/platform.h"
#include "run/run_state.h"
#include "text/fixed_text.h"

namespace tallowgate {

// The decoder command holds this many characters; a GRIB2 file name may
// have at most kMaxDecodedNameLength of them.
inline constexpr std::size_t kDecoderCommandLength = 116;
inline constexpr std::size_t kMaxDecodedNameLength = 79;

// Sets the fixed pieces of the decoder command: decoder_name "wgrib2" and
// decoder_option " -text".
void set_decoder_parts(RunState* state);

// The name of the dump the decoder writes for a file of this valid time,
// "temp_" yyyymmdd hhh ".txt": 2025-08-24 hour 12 gives "temp_20250824012.txt".
// The hour is the file's own, 24 and more included.
Text<20> dump_name(int year, int month, int day, int hour);

// The decoder command as it is echoed: the first 6 characters of
// decoder_name, a blank, decoder_option, two blanks, the dump name, two
// blanks, the file name without its trailing blanks, blanks up to 116
// characters. Throws IoError naming the file when its name has more than 79
// characters.
Text<kDecoderCommandLength> decoder_command(Platform* platform, const RunState& state, const Text<20>& dump,
                                            const Text<256>& file_name);

// Announces file state.file_index of state.file_count with its valid time
// and, when the GRIB2 file FLN[file_index - 1] exists, echoes the decoder
// parts and the command, removes a dump of the same name left from an earlier
// run, and runs the decoder (decoder_name, trimmed) with the arguments "-text",
// the dump name and the file name, without a shell, waiting for it to end.
// A decoder that cannot be started gets one error-stream line and the run
// goes on as if it had left no dump. Returns whether the GRIB2 file exists.
// Throws IoError for a file name the command cannot hold and for a stale dump
// that cannot be removed.
bool run_decoder(Platform* platform, const RunState& state, const Text<20>& dump);

}  // namespace tallowgate

#endif  // TALLOWGATE_GRID_DECODER_H_
