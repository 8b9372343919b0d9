#include "driver/run.h"

#include <exception>
#include <new>
#include <string>

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

// Held by one run at a time in each working directory.
constexpr std::string_view kRunLockPath = "tallowgate.lock";

// Two runs in one directory would share the listing and the dump names and
// delete each other's dumps. The lock comes before anything is written, so a
// refused run leaves every file as it was.
void take_run_lock(Platform* platform) {
  std::string err;
  switch (platform->lock_file(kRunLockPath, &err)) {
    case LockResult::kTaken:
      return;
    case LockResult::kHeldElsewhere:
      throw RunStop{"tallowgate: another run is converting in " + platform->working_directory()};
    case LockResult::kFailed:
      throw IoError{platform->local_path(kRunLockPath), err};
  }
}

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
  take_run_lock(platform);
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

// An input/output error keeps what was written, as a stop does; an output
// that cannot be kept is thrown away.
void settle_after_error(RunState* state) {
  try {
    settle_output(state, true);
  } catch (const std::exception&) {
    settle_output(state, false);
  } catch (const IoError&) {
    settle_output(state, false);
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
    settle_after_error(&state);
    report_io_error(platform, e);
    return 1;
  } catch (const std::bad_alloc&) {
    settle_after_error(&state);
    platform->write_err("tallowgate: out of memory");
    return 1;
  } catch (const std::exception& e) {
    settle_after_error(&state);
    platform->write_err(std::string("tallowgate: ") + e.what());
    return 1;
  }
  platform->write_err("Normal ending");
  return 0;
}

}  // namespace tallowgate
