#include "driver/file_pass.h"

#include <string>

#include "driver/console.h"
#include "grid/decoder.h"
#include "grid/dump_reader.h"
#include "r2c/frame.h"
#include "r2c/header.h"

namespace tallowgate {

void convert_file(Platform* platform, RunState* state) {
  const Text<20> dump = dump_name(state->file_year, state->file_month, state->file_day, state->file_hour);
  if (run_decoder(platform, *state, dump)) {
    const DumpOutcome outcome = read_dump(dump, platform, state);
    if (outcome == DumpOutcome::kComplete) {
      // The model's reader takes the file's first lines for the header: nothing
      // may stand before it, and a header without a frame is never written.
      if (state->first_frame) {
        write_r2c_header(platform, state);
        state->first_frame = false;
      }
      write_frame(platform, state);
    } else if (outcome == DumpOutcome::kIncomplete) {
      write_free_line(platform, "error");
    }
  }
  if (!state->first_frame) write_end_frame(state);
}

}  // namespace tallowgate
