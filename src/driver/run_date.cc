#include "driver/run_date.h"

#include <string>

#include "calendar/julian_day.h"
#include "run/console.h"
#include "run/pause.h"
#include "text/fields.h"
#include "text/free_read.h"

namespace tallowgate {
namespace {

// Year, month and day: the first three values of the file, separated by
// blanks, commas or line ends; anything after them is not read.
void read_override(Platform* platform, int values[3]) {
  std::string err;
  const auto reader = platform->open_read(kOverridePath, &err);
  if (!reader) throw IoError{platform->local_path(kOverridePath), err};
  int found = 0;
  std::string line;
  while (found < 3 && reader->read_line(&line)) {
    std::string_view rest = line;
    std::string_view item;
    while (found < 3 && next_item(&rest, &item)) {
      if (!read_int_field(item, &values[found])) {
        throw IoError{platform->local_path(kOverridePath),
                      "\"" + std::string(item) + "\" is not an integer (the file holds year, month and day)"};
      }
      ++found;
    }
  }
  if (reader->line_too_long()) {
    throw IoError{platform->local_path(kOverridePath),
                  "a line longer than " + std::to_string(kMaxLineLength) + " bytes"};
  }
  if (found < 3) {
    throw IoError{platform->local_path(kOverridePath), "the file ends before its year, month and day"};
  }
}

void write_day_number(Platform* platform, int day_number, int year, int month, int day) {
  std::string line;
  FreeLine(&line).integer(day_number).integer(year).integer(month).integer(day);
  platform->write_out(line);
}

}  // namespace

void fix_run_date(Platform* platform, RunState* state) {
  int year = 0, month = 0, day = 0, hour = 0;
  read_int_field(state->TIME.columns(1, 2), &hour);
  if (platform->file_exists(kOverridePath)) {
    int values[3] = {0, 0, 0};
    read_override(platform, values);
    year = values[0];
    month = values[1];
    day = values[2];
    std::string key;
    append_int(&key, year, 4);
    append_int(&key, month, 2, 2);
    append_int(&key, day, 2, 2);
    state->DATE_KEY.assign(key);

    write_free_line(platform, "Warning: file today.txt found");
    std::string line;
    FreeLine(&line).text("this will run :").integer(year).integer(month).integer(day);
    platform->write_out(line);
    line.clear();
    FreeLine(&line).text("revised date_Key    = ").text(state->DATE_KEY);
    platform->write_out(line);
    platform->write_out("");
    pause(platform, "hit enter to continue with this date");
    write_free_line(platform, "At this point, copy the files you want into the ");
    write_free_line(platform, "CMC_regl or CMC_glb dir depending on which app you are running");
    write_free_line(platform, "To NOT use this data, delete or rename the `today.txt` file");
    pause(platform, "hit enter to continue with this data or ctrl-C to quit");
  } else {
    const bool year_read = read_int_field(state->DATE_KEY.columns(1, 4), &year);
    const bool month_read = read_int_field(state->DATE_KEY.columns(5, 6), &month);
    if (!year_read || !month_read) {
      throw IoError{"date argument \"" + std::string(state->BUF1.trimmed()) + "\"",
                    "it does not begin with a year and month (yyyymm)"};
    }
    read_int_field(state->CDAY.columns(7, 8), &day);
  }

  int day_number = ymd_to_julian_day(year, month, day);
  write_day_number(platform, day_number, year, month, day);
  julian_day_to_ymd(day_number, &year, &month, &day);
  write_day_number(platform, day_number, year, month, day);
  day_number = ymd_to_julian_day(year, month, day);
  write_day_number(platform, day_number, year, month, day);

  state->file_year = year;
  state->file_month = month;
  state->file_day = day;
  state->file_hour = hour;
}

}  // namespace tallowgate
