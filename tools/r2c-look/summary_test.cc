#include "summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "look_fixtures.h"

namespace tallowgate::look {
namespace {

struct Collector : R2cVisitor {
  void on_header(const R2cHeader& h) override {
    header = h;
    product = product_of(h);
  }
  void on_frame(const FrameInfo& frame, const std::vector<float>& values) override {
    frames.push_back(frame_stats(frame, values, product));
  }
  R2cHeader header;
  Product product;
  std::vector<FrameStats> frames;
};

// Four frames 6 hours apart but for a missing 18:00: frame 1 holds 0.25, the cap, 1, 2, 3 and -0.5
// (below the cap: minimum -0.5, maximum 3, mean 5.75 / 5 = 1.15); frame 2 the cap alone; frame 3 a cap,
// 0.0625 and four zeros (mean 0.0125); frame 4 -0.0001 and five 99.5 written as 99.
std::string small_file() {
  std::string text = converter_file();
  text = text.substr(0, text.find(":frame    2"));
  text +=
      ":frame    2    2     \"2025/08/24  12:00\"\n"
      " 99.0000 99.0000 99.0000\n 99.0000 99.0000 99.0000\nEndFrame\n"
      ":frame    3    3     \"2025/08/25  00:00\"\n"
      " 99.0000  0.0625  0.0000\n  0.0000  0.0000  0.0000\nEndFrame\n"
      ":frame    4    4     \"2025/08/25  06:00\"\n"
      " -0.0001 99.0000 99.0000\n 99.0000 99.0000 99.0000\nEndFrame\n";
  return text;
}

TEST(Summary, FiguresOfASmallFileByHand) {
  Collector c;
  ASSERT_TRUE(scan_r2c_text(small_file(), &c).problems.empty());
  EXPECT_EQ(summary_text(c.header, c.product, c.frames),
            "Regl apcp: 3 x 2 cells, units 1 kg/(m^2), cap 99.0000\n"
            "frame  time                     minimum     maximum        mean      at cap    negative\n"
            "    1  2025/08/24  06:00        -0.5000      3.0000      1.1500           1           1\n"
            "    2  2025/08/24  12:00              -           -           -           6           0\n"
            "    3  2025/08/25  00:00         0.0000      0.0625      0.0125           1           0\n"
            "    4  2025/08/25  06:00        -0.0001     -0.0001     -0.0001           5           1\n"
            "4 frames from 2025/08/24  06:00 to 2025/08/25  06:00, every 6 hours\n"
            "gap: 1 frame missing between 2025/08/24  12:00 and 2025/08/25  00:00\n");
}

TEST(Summary, CsvForASpreadsheet) {
  Collector c;
  scan_r2c_text(small_file(), &c);
  EXPECT_EQ(summary_csv(c.product, c.frames),
            "frame,time,minimum,maximum,mean,at_cap,negative\n"
            "1,2025-08-24 06:00:00,-0.5000,3.0000,1.1500,1,1\n"
            "2,2025-08-24 12:00:00,,,,6,0\n"
            "3,2025-08-25 00:00:00,0.0000,0.0625,0.0125,1,0\n"
            "4,2025-08-25 06:00:00,-0.0001,-0.0001,-0.0001,5,1\n");
}

struct AxisCase {
  const char* name;
  std::vector<const char*> times;
  std::int64_t step;
  std::vector<std::int64_t> missing;  // per gap
};

constexpr std::int64_t kSixHours = std::int64_t{6} * 3600;

TEST(Summary, TimeAxisStepAndGaps) {
  const AxisCase cases[] = {
      {"Regular", {"2025/08/24 00:00", "2025/08/24 06:00", "2025/08/24 12:00"}, kSixHours, {}},
      {"OneHourSteps", {"2025/08/31 22:00", "2025/08/31 23:00", "2025/09/01 00:00"}, 3600, {}},
      {"TwoGaps",
       {"2025/08/24 00:00", "2025/08/24 06:00", "2025/08/24 12:00", "2025/08/25 06:00", "2025/08/25 12:00",
        "2025/08/26 00:00"},
       kSixHours,
       {2, 1}},
      {"AcrossLeapDay", {"2024/02/28 18:00", "2024/02/29 00:00", "2024/03/01 00:00"}, kSixHours, {3}},
      {"OneFrame", {"2025/08/24 00:00"}, 0, {}},
  };
  for (const AxisCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text =
        ":Projection LatLong\n:xOrigin 0\n:yOrigin 0\n:xCount 1\n:yCount 1\n:xDelta 1\n:yDelta "
        "1\n:EndHeader\n";
    int number = 0;
    for (const char* time : c.times) {
      ++number;
      text += ":Frame " + std::to_string(number) + " " + std::to_string(number) + " \"" + time +
              "\"\n1\n:EndFrame\n";
    }
    Collector collector;
    scan_r2c_text(text, &collector);
    const TimeAxis axis = time_axis(collector.frames);
    EXPECT_EQ(axis.first, c.times.front());
    EXPECT_EQ(axis.step, c.step);
    std::vector<std::int64_t> missing;
    for (const TimeGap& gap : axis.gaps) missing.push_back(gap.missing);
    EXPECT_EQ(missing, c.missing);
  }
}

}  // namespace
}  // namespace tallowgate::look
