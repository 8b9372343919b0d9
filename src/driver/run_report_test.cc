#include "driver/run_report.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

class RunReportTest : public ::testing::Test {
 protected:
  RunReportTest() {
    state_.APP.assign("RDPS-TMP-HC");
    state_.report_path.assign("..\\..\\runReport.txt");
    platform_.clock = {2025, 8, 24, 7, 5, 9, 120};
  }

  FakePlatform platform_;
  RunState state_;
};

TEST_F(RunReportTest, CreatesTheReportWithTheStartEntry) {
  write_report_entry(&platform_, &state_, ReportEntry::kStarted);
  EXPECT_EQ(platform_.files["..\\..\\runReport.txt"],
            " tallowgate.exe - started       07:05:09  RDPS-TMP-HC\n");
  EXPECT_TRUE(platform_.out_lines.empty());
  EXPECT_EQ(state_.TIME, "070509.120");
}

TEST_F(RunReportTest, EndEntryFollowsAnEmptyConsoleLineAndTheExistingLines) {
  platform_.files["..\\..\\runReport.txt"] = " tallowgate.exe - started       06:00:00  capa       \n";
  write_report_entry(&platform_, &state_, ReportEntry::kNormalEnding);
  EXPECT_EQ(platform_.files["..\\..\\runReport.txt"],
            " tallowgate.exe - started       06:00:00  capa       \n"
            " tallowgate.exe - normal ending 07:05:09  RDPS-TMP-HC\n");
  EXPECT_EQ(platform_.out_lines, std::vector<std::string>{""});
}

TEST_F(RunReportTest, EntryIs53CharactersWithTheCodePaddedOrCutTo11) {
  for (const auto& [app, field] : {std::pair{"capa", "capa       "}, {"glbSP_spinup_run", "glbSP_spinu"}}) {
    SCOPED_TRACE(app);
    FakePlatform platform;
    platform.clock = platform_.clock;
    state_.APP.assign(app);
    write_report_entry(&platform, &state_, ReportEntry::kStarted);
    const std::string& report = platform.files["..\\..\\runReport.txt"];
    EXPECT_EQ(report, std::string(" tallowgate.exe - started       07:05:09  ") + field + "\n");
    EXPECT_EQ(report.size(), 54u);
  }
}

TEST_F(RunReportTest, ReportEndingMidLineGetsItsLineEndFirst) {
  platform_.files["..\\..\\runReport.txt"] = "typed by hand";
  write_report_entry(&platform_, &state_, ReportEntry::kStarted);
  EXPECT_EQ(platform_.files["..\\..\\runReport.txt"],
            "typed by hand\n tallowgate.exe - started       07:05:09  RDPS-TMP-HC\n");
}

TEST_F(RunReportTest, ReportThatCannotBeOpenedOrWrittenThrowsIoError) {
  platform_.fail_opens_of("..\\..\\runReport.txt");
  EXPECT_THROW(write_report_entry(&platform_, &state_, ReportEntry::kStarted), IoError);
  FakePlatform full;
  full.files["..\\..\\runReport.txt"] = "old\n";
  full.fail_writes_to("..\\..\\runReport.txt");
  EXPECT_THROW(write_report_entry(&full, &state_, ReportEntry::kStarted), IoError);
  EXPECT_EQ(full.files["..\\..\\runReport.txt"], "old\n");
}

}  // namespace
}  // namespace tallowgate
