#ifndef TALLOWGATE_INPUT_LISTING_H_
#define TALLOWGATE_INPUT_LISTING_H_

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "run/run_state.h"

namespace tallowgate {

// The listing of the working directory's GRIB2 files, in the working directory.
inline constexpr std::string_view kListingPath = "grib_list.txt";

// Writes grib_list.txt afresh, in the layout of the Windows directory command
// with a ten-character date column: five header lines, one line per regular
// file whose name ends in ".grib2" (letter case ignored) in name order with
// letter case ignored, the name from column 40, then the two summary lines.
// With no such file only the header lines are written. A name holding a
// control character is left out, and their number told in one line on the
// error stream. The listing is written beside grib_list.txt and renamed over
// it, so a link in its place is replaced. Returns false, after
// one line on the error stream and with the reason in *err, when the listing
// could not be written whole; what is then on disk must not be read.
bool write_listing(Platform* platform, std::string* err);

// Writes the listing and reads it back with read_listing. Ends the run as
// read_listing does for a listing that cannot be opened when the listing
// could not be written.
void list_and_select(Platform* platform, RunState* state);

// Reads grib_list.txt as it stands, written by this program or by the Windows
// directory command: finds the name column from its sixth line, then stores
// the names the code's selection keeps in FLN (entry 1 in FLN[0]) in listing
// order and their number in state->file_count, with the code's console echo. state->code must be set. Ends
// the run with IoError when the listing cannot be opened (after a message and a pause), has fewer than six
// lines (the directory holds no *.grib2 file), holds a line longer than kMaxLineLength, or needs more than
// kMaxFiles entries.
void read_listing(Platform* platform, RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_INPUT_LISTING_H_
