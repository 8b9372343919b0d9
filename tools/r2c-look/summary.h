// The figures of each frame and of the file's time axis, as the summary prints them.
#ifndef TALLOWGATE_TOOLS_R2C_LOOK_SUMMARY_H_
#define TALLOWGATE_TOOLS_R2C_LOOK_SUMMARY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "products.h"
#include "r2c_scan.h"

namespace tallowgate::look {

// One frame's figures. Minimum, maximum and mean are those of the values below the cap, which are the
// field's own; `valued` counts them. Values that were not numbers are left out of every figure.
struct FrameStats {
  int number = 0;
  FrameTime time;
  std::int64_t valued = 0;
  double minimum = 0, maximum = 0, mean = 0;
  std::int64_t at_cap = 0;  // values at the product's cap, where the decoder's missing points land
  std::int64_t negative = 0;
};

FrameStats frame_stats(const FrameInfo& frame, const std::vector<float>& values, const Product& product);

// A stretch of the time axis where frames are missing: `missing` steps between the two frames.
struct TimeGap {
  std::string from, to;
  std::int64_t missing = 0;
};

// The time axis: its span, its usual step (the most frequent distance between frames, in seconds) and
// the gaps longer than the step. Frames without a readable time are left out.
struct TimeAxis {
  std::string first, last;
  std::int64_t step = 0;
  std::vector<TimeGap> gaps;
};

TimeAxis time_axis(const std::vector<FrameStats>& frames);

// The plain summary: a line on the file, one line per frame, then the span, the step and the gaps.
std::string summary_text(const R2cHeader& header, const Product& product,
                         const std::vector<FrameStats>& frames);

// The frames as a table for a spreadsheet: a heading row, then one row per frame.
std::string summary_csv(const Product& product, const std::vector<FrameStats>& frames);

}  // namespace tallowgate::look

#endif  // TALLOWGATE_TOOLS_R2C_LOOK_SUMMARY_H_
