#ifndef TALLOWGATE_DRIVER_RUN_REPORT_H_
#define TALLOWGATE_DRIVER_RUN_REPORT_H_

#include "platform/platform.h"
#include "run/run_state.h"

namespace tallowgate {

enum class ReportEntry { kStarted, kNormalEnding };

// Appends one entry line to the run report at state->report_path, creating a
// missing report: the entry text, the time of a fresh clock query (CDAY and
// TIME are refreshed) and the first 11 characters of APP. Lines already in
// the report stay as they are; one that lacks its line end gets one first.
// The normal-ending entry is preceded by an empty console line. Throws
// IoError when the report cannot be opened or written.
void write_report_entry(Platform* platform, RunState* state, ReportEntry entry);

}  // namespace tallowgate

#endif  // TALLOWGATE_DRIVER_RUN_REPORT_H_
