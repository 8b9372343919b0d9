#ifndef TALLOWGATE_RUN_RUN_STATE_H_
#define TALLOWGATE_RUN_RUN_STATE_H_

#include <memory>
#include <optional>
#include <vector>

#include "grid/grid_store.h"
#include "platform/platform.h"
#include "run/app_code.h"
#include "text/fixed_text.h"

namespace tallowgate {

// The file list holds at most this many names.
inline constexpr int kMaxFiles = 999;

// The run-wide items, alive from the start of the run to its end. Each stage
// reads what earlier stages left and writes its own fields.
struct RunState {
  // The command line: first and second argument, the code as typed.
  Text<72> BUF, BUF1, APP;
  int code_length = 0;
  // The product, once the code has been recognised.
  std::optional<AppCode> code;
  // Date text of the dated output names: "yyyymm  " or "yyyymmdd".
  Text<8> DATE_KEY;
  // The latest clock query: yyyymmdd and hhmmss.sss.
  Text<8> CDAY;
  Text<10> TIME;

  // Valid time of the current file; the run date before the first file.
  int file_year = 0, file_month = 0, file_day = 0, file_hour = 0;

  // The r2c file and where the run report lies.
  std::unique_ptr<OutputFile> output;
  Text<20> report_path;

  // Selected GRIB2 names in listing order: entries 1 to file_count are used
  // (FLN[0] is entry 1). Created full, never grows.
  std::vector<Text<256>> FLN = std::vector<Text<256>>(kMaxFiles);
  int file_count = 0;
  Text<72> JUNK;

  // The file loop.
  int file_index = 0;
  int frame_counter = 0;
  bool first_frame = true;
  Text<23> decoder_name;
  Text<6> decoder_option;

  // The latest dump's counts and the grid store.
  int xcount = 0, ycount = 0;
  GridStore VAL;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_RUN_RUN_STATE_H_
