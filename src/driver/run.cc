#include "driver/run.h"

#include "driver/command_line.h"
#include "driver/file_pass.h"
#include "driver/run_date.h"
#include "driver/run_report.h"
#include "grid/decoder.h"
#include "input/file_time.h"
#include "input/listing.h"
#include "r2c/output_target.h"
#include "run/clock.h"
#include "run/run_state.h"
#include "run/stops.h"

namespace tallowgate {
namespace {

void run_stages(Platform* platform, std::span<const std::string> args, RunState* state) {
  write_banner(platform);
  query_clock(platform, state);
  fetch_arguments(platform, args, state);
  write_info_lines(platform, *state);
  fix_run_date(platform, state);

  state->code = match_app_code(state->APP);
  if (!state->code) {
    write_help_list(platform, *state);
    throw RunStop{"program aborted @ 154"};
  }
  open_output_target(platform, state);
  write_report_entry(platform, state, ReportEntry::kStarted);

  list_and_select(platform, state);

  set_decoder_parts(state);
  state->frame_counter = 0;
  state->first_frame = true;
  for (state->file_index = 1; state->file_index <= state->file_count; ++state->file_index) {
    extract_file_time(platform, state);
    convert_file(platform, state);
  }

  state->output->commit();
  write_report_entry(platform, state, ReportEntry::kNormalEnding);
  write_closing_banner(platform);
}

// A stop the program makes keeps what was written; an output whose own write
// failed is thrown away, so the target stays as it was before the run.
void settle_output(RunState* state, bool keep) {
  if (!state->output) return;
  if (keep && !state->output->failed()) {
    state->output->commit();
  } else {
    state->output->discard();
  }
}

void report_io_error(Platform* platform, const IoError& e) {
  platform->write_err("tallowgate: " + e.path + ": " + e.reason);
}

}  // namespace

int run(Platform* platform, std::span<const std::string> args) {
  RunState state;
  try {
    run_stages(platform, args, &state);
  } catch (const RunStop& stop) {
    try {
      settle_output(&state, true);
    } catch (const IoError& e) {
      report_io_error(platform, e);
      return 1;
    }
    if (!stop.message.empty()) platform->write_err(stop.message);
    return stop.exit_status;
  } catch (const IoError& e) {
    try {
      settle_output(&state, true);
    } catch (const IoError&) {
      settle_output(&state, false);
    }
    report_io_error(platform, e);
    return 1;
  }
  platform->write_err("Normal ending");
  return 0;
}

}  // namespace tallowgate
