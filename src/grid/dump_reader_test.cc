#include "grid/dump_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

const Text<20> kDump = "temp_20250824012.txt";
const std::string kBadFrame = " Found bad frame in temp_20250824012.txt";

std::string counts_line(int x, int y) {
  char line[64];
  std::snprintf(line, sizeof line, " xcount= %12d  ycount= %12d", x, y);
  return line;
}

std::vector<float> grid_values(const RunState& state) {
  return std::vector<float>(state.VAL.data(), state.VAL.data() + state.VAL.size());
}

class DumpReaderTest : public ::testing::Test {
 protected:
  DumpOutcome read(const std::string& dump) {
    platform_.files[std::string(kDump.trimmed())] = dump;
    platform_.out_lines.clear();
    return read_dump(kDump, &platform_, &state_);
  }
  bool dump_on_disk() const { return platform_.files.count(std::string(kDump.trimmed())) != 0; }

  FakePlatform platform_;
  RunState state_;
};

TEST_F(DumpReaderTest, ReadsAGridRowByRowAndDeletesTheDump) {
  EXPECT_EQ(read("3 2\n1\n2.5\n-3\n\n   \n4e1 trailing text\n5,6\n 6\t7\n"), DumpOutcome::kComplete);
  EXPECT_EQ(platform_.out_lines, std::vector<std::string>{counts_line(3, 2)});
  EXPECT_EQ(state_.xcount, 3);
  EXPECT_EQ(state_.ycount, 2);
  EXPECT_EQ(grid_values(state_), (std::vector<float>{1.0f, 2.5f, -3.0f, 40.0f, 5.0f, 6.0f}));
  EXPECT_FALSE(dump_on_disk());
}

TEST_F(DumpReaderTest, CountsMaySpreadOverLinesAndAfterThemASecondGridIsNeverRead) {
  EXPECT_EQ(read(" 2,\n\n 1 ignored\n7\n8\n2 1\nnot a number\n"), DumpOutcome::kComplete);
  EXPECT_EQ(grid_values(state_), (std::vector<float>{7.0f, 8.0f}));
  EXPECT_TRUE(platform_.input.empty());
  EXPECT_FALSE(dump_on_disk());
}

TEST_F(DumpReaderTest, BadCountsLeaveTheDumpOnDisk) {
  struct Case {
    const char* name;
    const char* dump;
    int x, y;
  } cases[] = {
      {"empty dump", "", 0, 0},
      {"zero counts", "0 0\n", 0, 0},
      {"a single zero and a value", "0\n5\n", 0, 5},
      {"only one count, then the end", "5\n", 5, 0},
      {"negative count", "-3 2\n1\n", -3, 2},
      {"both negative", "-1 -1\n", -1, -1},
      {"real count", "3.0 2\n", 0, 0},
      {"text", "xcount ycount\n", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(read(c.dump), DumpOutcome::kBad);
    EXPECT_EQ(platform_.out_lines, (std::vector<std::string>{counts_line(c.x, c.y), kBadFrame}));
    EXPECT_TRUE(dump_on_disk());
    EXPECT_FALSE(state_.VAL.allocated());
  }
}

TEST_F(DumpReaderTest, AnAbsentDumpReadsAsAnEmptyOneLeftOnDisk) {
  EXPECT_EQ(read_dump(kDump, &platform_, &state_), DumpOutcome::kBad);
  EXPECT_EQ(platform_.out_lines, (std::vector<std::string>{counts_line(0, 0), kBadFrame}));
  EXPECT_EQ(platform_.files.at(std::string(kDump.trimmed())), "");
}

TEST_F(DumpReaderTest, ADumpThatCannotBeOpenedEndsTheRun) {
  platform_.files[std::string(kDump.trimmed())] = "1 1\n5\n";
  platform_.fail_opens_of(std::string(kDump.trimmed()));
  EXPECT_THROW(read_dump(kDump, &platform_, &state_), IoError);
}

TEST_F(DumpReaderTest, AShortDumpGivesOneMessageAndOnePauseAndStopsReading) {
  platform_.input = {"", ""};
  EXPECT_EQ(read("3 3\n1\n2\n3\n4\n"), DumpOutcome::kIncomplete);
  EXPECT_EQ(platform_.out_lines,
            (std::vector<std::string>{counts_line(3, 3), " Error: temp_20250824012.txt incomplete",
                                      " PAUSE 88888"}));
  EXPECT_EQ(platform_.input.size(), 1u) << "exactly one pause";
  EXPECT_FALSE(dump_on_disk());
}

TEST_F(DumpReaderTest, AnUnreadableLineGetsItsMessageAndReadingGoesOn) {
  EXPECT_EQ(read("2 2\n1\nabc\n3\n1e39\n"), DumpOutcome::kIncomplete) << "the last value failed";
  EXPECT_EQ(
      platform_.out_lines,
      (std::vector<std::string>{counts_line(2, 2), " Error: temp_20250824012.txt incomplete", " PAUSE 88888",
                                " Error: temp_20250824012.txt incomplete", " PAUSE 88888"}));

  // The same with a good last value: the frame is written, the unread element holds 0.
  RunState fresh;
  state_ = std::move(fresh);
  EXPECT_EQ(read("2 2\n1\n\nabc\n3\n4\n"), DumpOutcome::kComplete);
  EXPECT_EQ(grid_values(state_), (std::vector<float>{1.0f, 0.0f, 3.0f, 4.0f}));
}

TEST_F(DumpReaderTest, SpecialValuesAreStoredAsRead) {
  EXPECT_EQ(read("5 1\n9.999e+20\nNaN\n-Inf\n1e-40\n-100\n"), DumpOutcome::kComplete);
  const std::vector<float> v = grid_values(state_);
  EXPECT_EQ(v[0], 9.999e20f);
  EXPECT_TRUE(std::isnan(v[1]));
  EXPECT_EQ(v[2], -std::numeric_limits<float>::infinity());
  EXPECT_EQ(v[3], 1e-40f);
  EXPECT_EQ(v[4], -100.0f);
}

TEST_F(DumpReaderTest, TheFirstFramesGridFixesTheSizeForTheRun) {
  ASSERT_EQ(read("2 2\n1\n2\n3\n4\n"), DumpOutcome::kComplete);
  state_.first_frame = false;  // its frame is written
  const float* storage = state_.VAL.data();

  EXPECT_EQ(read("2 2\n5\n6\n7\n8\n"), DumpOutcome::kComplete);
  EXPECT_EQ(state_.VAL.data(), storage) << "the storage is reused";
  EXPECT_EQ(grid_values(state_), (std::vector<float>{5.0f, 6.0f, 7.0f, 8.0f}));

  for (const char* other : {"2 1\n1\n2\n", "1 2\n1\n2\n", "3 3\n1\n"}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(read(other), DumpOutcome::kBad);
    EXPECT_EQ(platform_.out_lines[1], " Error: grid differs from the first grid of this run");
    EXPECT_EQ(platform_.out_lines[2], kBadFrame);
    EXPECT_TRUE(dump_on_disk());
    EXPECT_EQ(grid_values(state_), (std::vector<float>{5.0f, 6.0f, 7.0f, 8.0f}));
  }
}

// Only a written frame fixes the size: before it, a grid of another size
// gets storage of its own.
TEST_F(DumpReaderTest, BeforeTheFirstFrameAGridOfAnotherSizeIsRead) {
  ASSERT_EQ(read("3 3\n1\n"), DumpOutcome::kIncomplete);
  EXPECT_EQ(read("2 1\n5\n6\n"), DumpOutcome::kComplete);
  EXPECT_EQ(state_.VAL.columns(), 2);
  EXPECT_EQ(state_.VAL.rows(), 1);
  EXPECT_EQ(grid_values(state_), (std::vector<float>{5.0f, 6.0f}));

  state_.first_frame = false;  // its frame is written
  EXPECT_EQ(read("3 3\n1\n2\n3\n4\n5\n6\n7\n8\n9\n"), DumpOutcome::kBad);
  EXPECT_EQ(platform_.out_lines[1], " Error: grid differs from the first grid of this run");
}

TEST_F(DumpReaderTest, AGridTooLargeToHoldIsRefused) {
  EXPECT_EQ(read("65536 32768\n1\n"), DumpOutcome::kBad);
  EXPECT_EQ(platform_.out_lines, (std::vector<std::string>{counts_line(65536, 32768),
                                                           " Error: grid too large to hold", kBadFrame}));
  EXPECT_FALSE(state_.VAL.allocated());
  EXPECT_TRUE(dump_on_disk());
  // A later grid that can be held becomes the run's first grid.
  EXPECT_EQ(read("1 1\n3\n"), DumpOutcome::kComplete);
}

}  // namespace
}  // namespace tallowgate
