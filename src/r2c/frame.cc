#include "r2c/frame.h"

#include "calendar/julian_day.h"
#include "grid/value_rules.h"
#include "text/fields.h"

namespace tallowgate {
namespace {

// Columns of one value in a value row.
constexpr int kValueWidth = 8;

}  // namespace

void normalise_valid_time(RunState* state) {
  const int first_day = ymd_to_julian_day(state->file_year, state->file_month, state->file_day);
  const int day = first_day + state->file_hour / 24;
  julian_day_to_ymd(day, &state->file_year, &state->file_month, &state->file_day);
  state->file_hour -= 24 * (day - first_day);
}

void append_frame_line(std::string* out, int number, const RunState& state) {
  out->append(":frame");
  append_int(out, number, 5);
  append_int(out, number, 5);
  out->append("     \"");
  append_int(out, state.file_year, 4, 4);
  out->push_back('/');
  append_int(out, state.file_month, 2, 2);
  out->push_back('/');
  append_int(out, state.file_day, 2, 2);
  out->append("  ");
  append_int(out, state.file_hour, 2, 2);
  out->append(":00\"");
}

void write_frame(Platform* platform, RunState* state) {
  ++state->frame_counter;
  normalise_valid_time(state);

  std::string line;
  append_frame_line(&line, state->file_index, *state);
  platform->write_out(line);
  line.clear();
  append_frame_line(&line, state->frame_counter, *state);
  state->output->write_line(line);

  const ValueRule& rule = value_rule(*state->code);
  const GridStore& grid = state->VAL;
  const int columns = state->xcount;
  const int rows = state->ycount;
  // One buffer for every row: a row of the national grid is 7.5 kB.
  line.assign(static_cast<std::size_t>(columns) * kValueWidth + 1, '\n');
  for (int n = 0; n < rows; ++n) {
    const int j = rule.row_order == RowOrder::kLastRowFirst ? rows - n : n + 1;
    const float* row = grid.row(j);
    char* field = line.data();
    for (int k = 0; k < columns; ++k, field += kValueWidth) {
      put_fixed(field, capped(row[k], rule.cap), kValueWidth, rule.decimals);
    }
    state->output->write(line);
  }

  line.clear();
  FreeLine(&line).text("Finished writing frame").integer(state->file_index);
  platform->write_out(line);
}

void write_end_frame(RunState* state) { state->output->write_line("EndFrame"); }

}  // namespace tallowgate
