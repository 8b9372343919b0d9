#ifndef TALLOWGATE_TOOLS_DECODER_DECODER_RUN_H_
#define TALLOWGATE_TOOLS_DECODER_DECODER_RUN_H_

#include <cstdio>

namespace tallowgate {

// What the decoder returns after a usage message or a fatal error.
inline constexpr int kDecoderFailed = 8;

// Runs `wgrib2 -text DUMP FILE` (argv[0] is the program's name): creates or empties DUMP first, then
// writes into it every field of every GRIB2 message of FILE in turn, each as a count line "ni nj"
// ("points 1" for a grid without rows and columns) and ni * nj value lines, west to east and south
// to north. `out` gets one line per field, "N:OFFSET:d=YYYYMMDDHH" (N.M for field M of a message
// holding several); `err` gets warnings and errors.
// Returns 0, also when FILE holds no GRIB2 message. Returns kDecoderFailed after a usage message for
// any other arguments, or after "*** FATAL ERROR: <what> ***" when DUMP cannot be written, FILE cannot
// be opened or read, a message is cut short or lacks its "7777", or a field fails the checks of
// field_check.h or cannot be decoded; the fields of the messages before stay complete in DUMP, and
// nothing of the failing message is there.
int run_decoder(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_DECODER_RUN_H_
