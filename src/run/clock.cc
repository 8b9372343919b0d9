#include "run/clock.h"

#include <string>

#include "text/fields.h"

namespace tallowgate {

void query_clock(Platform* platform, RunState* state) {
  const LocalTime t = platform->now();
  std::string day;
  append_int(&day, t.year, 4, 4);
  append_int(&day, t.month, 2, 2);
  append_int(&day, t.day, 2, 2);
  state->CDAY.assign(day);
  std::string time;
  append_int(&time, t.hour, 2, 2);
  append_int(&time, t.minute, 2, 2);
  append_int(&time, t.second, 2, 2);
  time.push_back('.');
  append_int(&time, t.millisecond, 3, 3);
  state->TIME.assign(time);
}

void write_info_lines(Platform* platform, const RunState& state) {
  std::string line = "    Info:   runtime    ";
  line.append(state.TIME.columns(1, 2)).append(":").append(state.TIME.columns(3, 4));
  line.append(":").append(state.TIME.columns(5, 6));
  platform->write_out(line);
  line = "    Info:   rundate  ";
  line.append(state.CDAY.columns(1, 4)).append("-").append(state.CDAY.columns(5, 6));
  line.append("-").append(state.CDAY.columns(7, 8));
  platform->write_out(line);
}

}  // namespace tallowgate
