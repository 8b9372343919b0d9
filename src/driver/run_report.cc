#include "driver/run_report.h"

#include <string>

#include "run/clock.h"
#include "text/fields.h"

namespace tallowgate {

void write_report_entry(Platform* platform, RunState* state, ReportEntry entry) {
  const std::string_view path = state->report_path.trimmed();
  bool ends_mid_line = false;
  std::string err;
  // Opened for appending: runs that add their entries at the same moment
  // never write over each other's lines.
  const auto report = platform->open_append(path, &ends_mid_line, &err);
  if (!report) throw IoError{platform->local_path(path), err};
  if (ends_mid_line) report->write("\n");

  if (entry == ReportEntry::kNormalEnding) platform->write_out("");
  query_clock(platform, state);

  std::string line;
  FreeLine(&line)
      .text(entry == ReportEntry::kStarted ? "tallowgate.exe - started       "
                                           : "tallowgate.exe - normal ending ")
      .text(state->TIME.columns(1, 2))
      .text(":")
      .text(state->TIME.columns(3, 4))
      .text(":")
      .text(state->TIME.columns(5, 6))
      .text("  ")
      .text(state->APP.columns(1, 11));
  report->write_line(line);
  report->close();
}

}  // namespace tallowgate
