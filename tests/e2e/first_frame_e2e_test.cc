// The r2c file begins with its header and the header comes with the first
// frame: passes before that frame (file gone, bad dump, incomplete dump)
// write nothing into it, and from that frame on every pass ends with
// "EndFrame". Real program, copying test decoder, bytes compared.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_tree.h"
#include "expected_console.h"

namespace tallowgate::e2e {
namespace {

namespace fs = std::filesystem;

constexpr char kApcp[] = "kestrano/CMC/regl/regl_apcp.r2c";

// The regional precipitation file of forecast hour `hour` (below 100) of the
// 24 August 00Z run.
std::string regp_file(int hour) { return "CMC_reg_APCP_SFC_0_ps10km_2025082400_P0" + two(hour) + ".grib2"; }

std::string incomplete(int hour) {
  return " Error: " + dump_name(2025, 8, 24, hour) + " incomplete\n PAUSE 88888\n";
}

class FirstFrameE2e : public ::testing::Test {
 protected:
  FirstFrameE2e() {
    tree_.make_dir(tree_.in_drive("kestrano/CMC/regl"));
    tree_.install_decoder();
  }
  void add(const std::string& name, const std::string& contents) {
    tree_.write_file(tree_.in_work(name), contents);
  }
  std::string r2c(const std::string& relative) { return E2eTree::read_file(tree_.in_drive(relative)); }

  E2eTree tree_;
};

// The first listed name is cut to the selection's 46 characters, so the file
// it names is not there: the pass shows only its progress line.
TEST_F(FirstFrameE2e, AMissingFirstFileLeavesNothingBeforeTheHeader) {
  const std::string gone = "CMC_reg_TMP_TGL_2_ps10km_2025082400_P000.grib2";
  const std::string f2 = "CMC_reg_TMP_TGL_2_ps10km_2025082400_P006.grib2";
  const std::string f3 = "CMC_reg_TMP_TGL_2_ps10km_2025082400_P012.grib2";
  add(gone + ".grib2", dump_text(1, 1, {"1"}));
  add(f2, dump_text(1, 1, {"288.5"}));
  add(f3, dump_text(1, 1, {"290"}));

  const RunResult r = tree_.run({"regT"});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out), progress(1, 3, 2025, 8, 24, 0) + announce(2, 3, 2025, 8, 24, 6, f2) +
                                        counts(1, 1) + kHeaderInfo + frame_line(2, 2025, 8, 24, 6) +
                                        finished(2) + announce(3, 3, 2025, 8, 24, 12, f3) + counts(1, 1) +
                                        frame_line(3, 2025, 8, 24, 12) + finished(3) + kClosing);
  EXPECT_EQ(r2c("kestrano/CMC/regl/regl_tmp.r2c"),
            golden_header("regT", 1, 1) + frame_line(1, 2025, 8, 24, 6) + "  288.50\nEndFrame\n" +
                frame_line(2, 2025, 8, 24, 12) + "  290.00\nEndFrame\n");
}

TEST_F(FirstFrameE2e, FromTheFirstFrameOnEveryPassEndsWithEndFrame) {
  add(regp_file(3), "0 0\n");
  add(regp_file(6), dump_text(1, 2, {"1"}));
  add(regp_file(9), dump_text(1, 2, {"0.5", "2"}));
  add(regp_file(12), "#empty-dump\n");
  add(regp_file(15), dump_text(1, 2, {"3", "4.25"}));

  const RunResult r = tree_.run({"regP"});  // each pause resumes at the end of input
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out),
            announce(1, 5, 2025, 8, 24, 3, regp_file(3)) + no_grid(2025, 8, 24, 3) +
                announce(2, 5, 2025, 8, 24, 6, regp_file(6)) + counts(1, 2) + incomplete(6) + " error\n" +
                announce(3, 5, 2025, 8, 24, 9, regp_file(9)) + counts(1, 2) + kHeaderInfo +
                frame_line(3, 2025, 8, 24, 9) + finished(3) + announce(4, 5, 2025, 8, 24, 12, regp_file(12)) +
                no_grid(2025, 8, 24, 12) + announce(5, 5, 2025, 8, 24, 15, regp_file(15)) + counts(1, 2) +
                frame_line(5, 2025, 8, 24, 15) + finished(5) + kClosing);
  EXPECT_EQ(r2c(kApcp), golden_header("regP", 1, 2) + frame_line(1, 2025, 8, 24, 9) +
                            "  2.0000\n  0.5000\nEndFrame\nEndFrame\n" + frame_line(2, 2025, 8, 24, 15) +
                            "  4.2500\n  3.0000\nEndFrame\n");
  // The bad dumps stay for a look, the read ones are gone.
  for (int hour : {3, 12}) EXPECT_TRUE(E2eTree::exists(tree_.in_work(dump_name(2025, 8, 24, hour)))) << hour;
  for (int hour : {6, 9, 15})
    EXPECT_FALSE(E2eTree::exists(tree_.in_work(dump_name(2025, 8, 24, hour)))) << hour;
}

TEST_F(FirstFrameE2e, ARunWithoutAFrameLeavesAnExistingTargetAsItWas) {
  const fs::path target = tree_.in_drive(kApcp);
  tree_.write_file(target, "frames of an earlier run\n");
  const auto old_time = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(target, old_time);
  add(regp_file(6), dump_text(2, 1, {"1"}));
  add(regp_file(12), "0 0\n");

  const RunResult r = tree_.run({"regP"});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out),
            announce(1, 2, 2025, 8, 24, 6, regp_file(6)) + counts(2, 1) + incomplete(6) + " error\n" +
                announce(2, 2, 2025, 8, 24, 12, regp_file(12)) + no_grid(2025, 8, 24, 12) + kClosing);
  EXPECT_EQ(E2eTree::read_file(target), "frames of an earlier run\n");
  EXPECT_EQ(fs::last_write_time(target), old_time);
  EXPECT_EQ(E2eTree::list(target.parent_path()), std::vector<std::string>{"regl_apcp.r2c"});
  EXPECT_EQ(E2eTree::read_file(tree_.work().parent_path() / "runReport.txt"),
            " tallowgate.exe - started       12:30:45  regP       \n"
            " tallowgate.exe - normal ending 12:30:45  regP       \n");
}

// A value line that holds no number gets the "incomplete" line and its pause,
// and reading goes on with the next line: the frame is written when the last
// value reads well (the unread value, never written by any dump, is 0), and
// not when the last line is the unreadable one.
TEST_F(FirstFrameE2e, AValueLineWithoutANumberIsReportedAsIncomplete) {
  add(regp_file(6), dump_text(2, 2, {"1", "abc", "3", "4"}));
  add(regp_file(12), dump_text(2, 2, {"5", "6", "7", "-"}));

  const RunResult r = tree_.run({"regP"}, "\n\n");
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out), announce(1, 2, 2025, 8, 24, 6, regp_file(6)) + counts(2, 2) +
                                        incomplete(6) + kHeaderInfo + frame_line(1, 2025, 8, 24, 6) +
                                        finished(1) + announce(2, 2, 2025, 8, 24, 12, regp_file(12)) +
                                        counts(2, 2) + incomplete(12) + " error\n" + kClosing);
  EXPECT_EQ(r2c(kApcp), golden_header("regP", 2, 2) + frame_line(1, 2025, 8, 24, 6) +
                            "  3.0000  4.0000\n  1.0000  0.0000\nEndFrame\nEndFrame\n");
  for (int hour : {6, 12}) EXPECT_FALSE(E2eTree::exists(tree_.in_work(dump_name(2025, 8, 24, hour)))) << hour;
}

}  // namespace
}  // namespace tallowgate::e2e
