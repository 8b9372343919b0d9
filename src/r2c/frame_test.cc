#include "r2c/frame.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

TEST(NormaliseValidTime, CarriesWholeDaysOfTheHourIntoTheDate) {
  struct Case {
    int year, month, day, hour;
    int want_year, want_month, want_day, want_hour;
  } cases[] = {
      {2025, 8, 31, 30, 2025, 9, 1, 6},  {2024, 12, 31, 24, 2025, 1, 1, 0},
      {2024, 2, 28, 24, 2024, 2, 29, 0}, {2023, 12, 31, 48, 2024, 1, 2, 0},
      {2024, 2, 28, 30, 2024, 2, 29, 6}, {2025, 8, 24, 23, 2025, 8, 24, 23},
      {2025, 8, 24, 0, 2025, 8, 24, 0},  {2025, 3, 1, 240, 2025, 3, 11, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day) + " " +
                 std::to_string(c.hour));
    RunState state;
    state.file_year = c.year;
    state.file_month = c.month;
    state.file_day = c.day;
    state.file_hour = c.hour;
    normalise_valid_time(&state);
    EXPECT_EQ(state.file_year, c.want_year);
    EXPECT_EQ(state.file_month, c.want_month);
    EXPECT_EQ(state.file_day, c.want_day);
    EXPECT_EQ(state.file_hour, c.want_hour);
  }
}

TEST(FrameLine, IsFortyCharactersWithAsterisksForNumbersTooWide) {
  RunState state;
  state.file_year = 2025;
  state.file_month = 9;
  state.file_day = 1;
  state.file_hour = 6;
  std::string line;
  append_frame_line(&line, 3, state);
  EXPECT_EQ(line, ":frame    3    3     \"2025/09/01  06:00\"");
  EXPECT_EQ(line.size(), 40u);
  line.clear();
  append_frame_line(&line, 123456, state);
  EXPECT_EQ(line, ":frame**********     \"2025/09/01  06:00\"");
}

class FrameTest : public ::testing::Test {
 protected:
  // A grid of `rows` rows of `columns` values, row by row.
  void set_grid(AppCode code, int columns, int rows, const std::vector<float>& values) {
    state_.code = code;
    std::string err;
    state_.output = platform_.open_output("out.r2c", &err);
    ASSERT_TRUE(state_.VAL.allocate(columns, rows));
    std::copy(values.begin(), values.end(), state_.VAL.data());
    state_.xcount = columns;
    state_.ycount = rows;
    state_.file_year = 2025;
    state_.file_month = 8;
    state_.file_day = 31;
    state_.file_hour = 30;
  }
  std::string output() {
    state_.output->commit();
    return platform_.files.at("out.r2c");
  }

  FakePlatform platform_;
  RunState state_;
};

TEST_F(FrameTest, PrecipitationFrameIsCappedAndWrittenLastRowFirst) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  set_grid(AppCode::kRegP, 3, 3,
           {0.25f, 99.0f, 9.999e20f, nan, -100.0f, -inf, 0.03125f, -0.00001f, 98.99995f});
  state_.file_index = 7;
  state_.frame_counter = 1;
  write_frame(&platform_, &state_);
  write_end_frame(&state_);
  EXPECT_EQ(output(),
            ":frame    2    2     \"2025/09/01  06:00\"\n"
            // 98.99995f is 98.9999465...: the float's exact value is rounded.
            "  0.0312 -0.0000 98.9999\n"
            " 99.0000****************\n"
            "  0.2500 99.0000 99.0000\n"
            "EndFrame\n");
  EXPECT_EQ(state_.frame_counter, 2);
  EXPECT_EQ(platform_.out_lines, (std::vector<std::string>{":frame    7    7     \"2025/09/01  06:00\"",
                                                           " Finished writing frame           7"}));
  EXPECT_EQ(state_.file_day, 1) << "the valid time is normalised in place";
  EXPECT_EQ(state_.file_hour, 6);
}

TEST_F(FrameTest, TemperatureHasTwoDecimalsAndCapa10KeepsDumpOrder) {
  set_grid(AppCode::kRegT, 2, 3, {288.1f, 273.15f, 400.0f, 400.01f, -40.5f, 1e30f});
  state_.file_index = 1;
  write_frame(&platform_, &state_);
  EXPECT_EQ(output(),
            ":frame    1    1     \"2025/09/01  06:00\"\n"
            "  -40.50  400.00\n"
            "  400.00  400.00\n"
            "  288.10  273.15\n");

  platform_.files.clear();
  state_ = RunState();
  set_grid(AppCode::kCapa10, 1, 3, {1.0f, 2.0f, 3.0f});
  write_frame(&platform_, &state_);
  EXPECT_EQ(output(), ":frame    1    1     \"2025/09/01  06:00\"\n  1.0000\n  2.0000\n  3.0000\n");
}

// Each product's rows for a grid of one column, 1e9 in row 1 and 0.5 in row 2:
// precipitation capped at 99 with four decimals, temperature at 400 with two,
// the northern row first except for the CaPA 10 km and 15 km analyses.
TEST_F(FrameTest, EveryProductCapsRoundsAndOrdersItsRows) {
  constexpr const char* kPrecipitation = "  0.5000\n 99.0000\n";
  constexpr const char* kPrecipitationDumpOrder = " 99.0000\n  0.5000\n";
  constexpr const char* kTemperature = "    0.50\n  400.00\n";
  const struct {
    AppCode code;
    const char* rows;
  } cases[] = {
      {AppCode::kCapa15, kPrecipitationDumpOrder},
      {AppCode::kCapa10, kPrecipitationDumpOrder},
      {AppCode::kCapa, kPrecipitation},
      {AppCode::kRdpa, kPrecipitation},
      {AppCode::kRdpsTmpHc, kTemperature},
      {AppCode::kRdpsPcpFc, kPrecipitation},
      {AppCode::kRdpsTmpFc, kTemperature},
      {AppCode::kRdpaPrelim, kPrecipitation},
      {AppCode::kRglT, kTemperature},
      {AppCode::kRegP, kPrecipitation},
      {AppCode::kRegT, kTemperature},
      {AppCode::kGlbP, kPrecipitation},
      {AppCode::kGlbT, kTemperature},
      {AppCode::kGlbSP, kPrecipitation},
      {AppCode::kGlbST, kTemperature},
      {AppCode::kHreP, kPrecipitation},
      {AppCode::kHreT, kTemperature},
      {AppCode::kRdrP, kPrecipitation},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(app_code_text(c.code)));
    platform_.files.clear();
    state_ = RunState();
    set_grid(c.code, 1, 2, {1e9f, 0.5f});
    state_.file_index = 1;
    write_frame(&platform_, &state_);
    EXPECT_EQ(output(), std::string(":frame    1    1     \"2025/09/01  06:00\"\n") + c.rows);
  }
}

}  // namespace
}  // namespace tallowgate
