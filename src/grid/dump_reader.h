#ifndef TALLOWGATE_GRID_DUMP_READER_H_
#define TALLOWGATE_GRID_DUMP_READER_H_

#include "driver/run_state.h"
#include "platform/platform.h"
#include "text/fixed_text.h"

namespace tallowgate {

enum class DumpOutcome {
  kBad,         // no usable grid size: nothing read, the dump stays on disk
  kComplete,    // every value read, the last one well; the dump is deleted
  kIncomplete,  // the last value could not be read; the dump is deleted
};

// Reads one decoder dump into state->VAL and deletes it.
//
// The dump holds the column and row counts (integers separated by blanks,
// commas or line ends), then one value per line, row by row; the first item
// of a line is the value, blank lines are skipped, and whatever follows the
// last value is never read. The counts go into state->xcount and ycount as
// they are read and are echoed. Returns kBad, leaving the dump on disk, when
// a count is missing, unreadable or below 1, when the run has written a frame
// and the grid differs from it, or when the grid cannot be held (with a
// message naming the reason). The grid store is obtained at the first good
// dump, and again for a dump of another size while no frame has been
// written. A value line holding no number gets the line "Error: <dump>
// incomplete" and the "88888" pause, and reading goes on with the next line;
// the outcome is kIncomplete when it was the last value. A dump that ends
// early gets that line and pause once, and nothing more is read: kIncomplete.
// An absent dump reads as an empty one, which is left on disk. Throws IoError
// when a dump that exists cannot be opened.
DumpOutcome read_dump(const Text<20>& dump_name, Platform* platform, RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_GRID_DUMP_READER_H_
