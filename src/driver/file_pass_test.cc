#include "driver/file_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

// The output without its header lines, wherever the header stands.
std::string without_header(const std::string& r2c) {
  const std::size_t start = r2c.find(std::string(40, '#') + "\n");
  const std::string end_line = ":EndHeader          \n";
  const std::size_t end = r2c.find(end_line);
  if (start == std::string::npos || end == std::string::npos) return r2c;
  return r2c.substr(0, start) + r2c.substr(end + end_line.size());
}

// A product directory in memory whose decoder copies each "GRIB2" file, which
// holds the dump text, to the dump; "#no-dump" leaves none.
class FilePassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_.on_program = [](FakePlatform* p, const FakePlatform::ProgramRun& run) {
      const std::string& text = p->files.at(run.args[2]);
      if (text != "#no-dump") p->files[run.args[1]] = text;
    };
    state_.code = AppCode::kRegP;
    state_.decoder_name = "wgrib2";
    state_.decoder_option = " -text";
    std::string err;
    state_.output = platform_.open_output("out.r2c", &err);
  }

  // Adds file `name` with its valid time; `dump` is what its decoder leaves.
  void add_file(const std::string& name, const std::string& dump, int hour) {
    platform_.files[name] = dump;
    state_.FLN[static_cast<std::size_t>(state_.file_count)].assign(name);
    hours_.push_back(hour);
    ++state_.file_count;
  }

  // Runs the loop; returns first_frame as each file's step left it.
  std::vector<bool> convert_all() {
    std::vector<bool> first_frame;
    for (state_.file_index = 1; state_.file_index <= state_.file_count; ++state_.file_index) {
      state_.file_year = 2025;
      state_.file_month = 8;
      state_.file_day = 24;
      state_.file_hour = hours_[static_cast<std::size_t>(state_.file_index - 1)];
      convert_file(&platform_, &state_);
      first_frame.push_back(state_.first_frame);
    }
    state_.output->commit();
    return first_frame;
  }

  FakePlatform platform_;
  RunState state_;
  std::vector<int> hours_;
};

TEST_F(FilePassTest, ABadDumpBetweenGoodOnesLeavesNoGapInTheFrameNumbers) {
  add_file("a.grib2", "1 2\n1\n2\n", 0);
  add_file("b.grib2", "0 0\n", 6);
  add_file("c.grib2", "1 2\n3\n4\n", 12);
  EXPECT_EQ(convert_all(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(without_header(platform_.files.at("out.r2c")),
            ":frame    1    1     \"2025/08/24  00:00\"\n  2.0000\n  1.0000\nEndFrame\n"
            "EndFrame\n"
            ":frame    2    2     \"2025/08/24  12:00\"\n  4.0000\n  3.0000\nEndFrame\n");
  EXPECT_EQ(platform_.files.count("temp_20250824006.txt"), 1u) << "the bad dump stays";
  EXPECT_EQ(platform_.files.count("temp_20250824000.txt"), 0u);
  bool echoed_third = false;
  for (const std::string& line : platform_.out_lines) {
    echoed_third = echoed_third || line == ":frame    3    3     \"2025/08/24  12:00\"";
  }
  EXPECT_TRUE(echoed_third) << "the console shows the file index";
}

// Passes before the first frame leave the output empty: the header comes
// with that frame, and "EndFrame" closes every pass from it on.
TEST_F(FilePassTest, NothingStandsBeforeTheHeaderOfTheFirstFrame) {
  add_file("gone.grib2", "", 0);
  platform_.files.erase("gone.grib2");
  add_file("none.grib2", "#no-dump", 3);
  add_file("short.grib2", "1 2\n5\n", 6);
  add_file("good.grib2", "1 2\n7\n8\n", 9);
  add_file("short2.grib2", "1 2\n5\n", 12);
  add_file("bad.grib2", "0 0\n", 15);
  EXPECT_EQ(convert_all(), (std::vector<bool>{true, true, true, false, false, false}));
  const std::string r2c = platform_.files.at("out.r2c");
  EXPECT_EQ(r2c.rfind(std::string(40, '#') + "\n", 0), 0u) << r2c;
  EXPECT_EQ(without_header(r2c),
            ":frame    1    1     \"2025/08/24  09:00\"\n  8.0000\n  7.0000\nEndFrame\n"
            "EndFrame\nEndFrame\n");
  const std::vector<std::string>& out = platform_.out_lines;
  EXPECT_EQ(std::count(out.begin(), out.end(), " error"), 2);
  EXPECT_EQ(platform_.programs.size(), 5u) << "no decoder for the missing file";
  // The header's console lines come right before the frame's echo.
  const auto frame = std::find(out.begin(), out.end(), ":frame    4    4     \"2025/08/24  09:00\"");
  ASSERT_NE(frame, out.end());
  ASSERT_GE(frame - out.begin(), 3);
  EXPECT_EQ(frame[-2].rfind("    Info:   runtime", 0), 0u) << frame[-2];
  EXPECT_EQ(frame[-1].rfind("    Info:   rundate", 0), 0u) << frame[-1];
  EXPECT_EQ(std::count_if(out.begin(), out.end(),
                          [](const std::string& line) { return line.rfind("    Info:", 0) == 0; }),
            2);
}

TEST_F(FilePassTest, ARunWithoutAFrameWritesNothing) {
  add_file("none.grib2", "#no-dump", 3);
  add_file("short.grib2", "1 2\n5\n", 6);
  add_file("bad.grib2", "0 0\n", 9);
  EXPECT_EQ(convert_all(), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(platform_.files.at("out.r2c"), "");
}

// A grid of another size is refused once a frame has fixed the header; before
// that, an incomplete dump fixes nothing.
TEST_F(FilePassTest, TheFirstFrameFixesTheGridSize) {
  add_file("short.grib2", "2 2\n1\n", 0);
  add_file("good.grib2", "1 2\n7\n8\n", 3);
  add_file("other.grib2", "2 2\n1\n2\n3\n4\n", 6);
  convert_all();
  EXPECT_EQ(without_header(platform_.files.at("out.r2c")),
            ":frame    1    1     \"2025/08/24  03:00\"\n  8.0000\n  7.0000\nEndFrame\nEndFrame\n");
  const std::string r2c = platform_.files.at("out.r2c");
  EXPECT_NE(r2c.find(":xCount                            1\n"), std::string::npos) << r2c;
  EXPECT_NE(r2c.find(":yCount                            2\n"), std::string::npos) << r2c;
  EXPECT_EQ(platform_.files.count("temp_20250824006.txt"), 1u) << "the refused dump stays";
}

}  // namespace
}  // namespace tallowgate
