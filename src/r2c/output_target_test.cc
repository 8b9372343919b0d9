#include "r2c/output_target.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "run/stops.h"

namespace tallowgate {
namespace {

class OutputTargetTest : public ::testing::Test {
 protected:
  RunState state_for(std::string_view app, std::string_view date_key) {
    RunState state;
    state.APP.assign(app);
    state.code = match_app_code(state.APP);
    state.DATE_KEY.assign(date_key);
    return state;
  }

  FakePlatform platform_;
};

TEST_F(OutputTargetTest, EveryCodeOpensItsTargetAndSetsTheReportPath) {
  const struct {
    const char* app;
    const char* path;
    const char* report;
    bool writing_line;
  } cases[] = {
      {"capa15", "\\kestrano\\CMC\\CaPA\\20240115_capa.r2c", "..\\..\\runReport.txt", true},
      {"capa10", "\\kestrano\\CMC\\CaPA\\20240115_capa.r2c", "..\\..\\runReport.txt", true},
      {"capa", "\\kestrano\\CMC\\CaPA\\20240101_capa.r2c", "..\\..\\runReport.txt", true},
      {"RDPA", "\\kestrano\\CMC\\RDPA\\20240101_RDPA.r2c", "..\\..\\runReport.txt", true},
      {"RDPS-TMP-HC", "\\kestrano\\CMC\\RDPS_tmp\\20240101_tmp.r2c", "..\\..\\runReport.txt", true},
      {"RDPS-PCP-FC", "\\kestrano\\CMC\\regl\\RDPS_apcp.r2c", "..\\runReport.txt", true},
      {"RDPS-TMP-FC", "\\kestrano\\CMC\\regl\\RDPS_tmp.r2c", "..\\runReport.txt", true},
      {"RDPA_prelim", "\\kestrano\\CMC\\RDPA_RLatLon\\20240101_RDPA.r2c", "..\\..\\runReport.txt", true},
      {"rglT", "\\kestrano\\CMC\\regl_tmp\\20240101_tmp.r2c", "..\\..\\runReport.txt", true},
      {"regP", "\\kestrano\\CMC\\regl\\regl_apcp.r2c", "..\\runReport.txt", false},
      {"regT", "\\kestrano\\CMC\\regl\\regl_tmp.r2c", "..\\runReport.txt", false},
      {"glbP", "\\kestrano\\CMC\\glb\\glb_apcp.r2c", "..\\runReport.txt", false},
      {"glbT", "\\kestrano\\CMC\\glb\\glb_tmp.r2c", "..\\runReport.txt", false},
      {"glbSP", "\\kestrano\\CMC\\glb_apcp\\20240101_Glb_apcp.r2c", "..\\runReport.txt", false},
      {"glbSP2", "\\kestrano\\CMC\\glb_apcp\\20240101_Glb_apcp.r2c", "..\\runReport.txt", false},
      {"glbST", "\\kestrano\\CMC\\glb_tmp\\20240101_Glb_tmp.r2c", "..\\runReport.txt", false},
      {"hreP", "\\kestrano\\CMC\\hrdps\\hrdps_apcp.r2c", "..\\runReport.txt", false},
      {"hreT", "\\kestrano\\CMC\\hrdps\\hrdps_tmp.r2c", "..\\runReport.txt", false},
      {"rdrP", "\\kestrano\\CMC\\junk.r2c", "..\\runReport.txt", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.app);
    FakePlatform platform;
    RunState state = state_for(c.app, "20240115");
    open_output_target(&platform, &state);
    ASSERT_NE(state.output, nullptr);
    EXPECT_EQ(state.report_path, c.report);
    EXPECT_EQ(platform.out_lines.size(), c.writing_line ? 1u : 0u);
    // Nothing reaches the disk before the output is committed.
    EXPECT_TRUE(platform.files.empty());
    state.output->commit();
    EXPECT_EQ(platform.files.count(c.path), 1u);
  }
}

TEST_F(OutputTargetTest, WritingLineShowsDatedPathsPaddedTo60AndFixedPathsAsTheyAre) {
  RunState state = state_for("capa10", "202401  ");
  open_output_target(&platform_, &state);
  state = state_for("RDPS-PCP-FC", "202401  ");
  open_output_target(&platform_, &state);
  const std::string capa_path = "\\kestrano\\CMC\\CaPA\\202401  _capa.r2c";
  EXPECT_EQ(platform_.out_lines, (std::vector<std::string>{
                                     " writing " + capa_path + std::string(60 - capa_path.size(), ' '),
                                     " writing \\kestrano\\CMC\\regl\\RDPS_apcp.r2c",
                                 }));
}

TEST_F(OutputTargetTest, RdpsCodesWriteFailureLinesAndStop) {
  const struct {
    const char* app;
    const char* path;
    std::vector<std::string> lines;
    const char* stop;
  } cases[] = {
      {"RDPS-TMP-HC",
       "\\kestrano\\CMC\\RDPS_tmp\\20240101_tmp.r2c",
       {" writing \\kestrano\\CMC\\RDPS_tmp\\20240101_tmp.r2c" + std::string(21, ' '),
        " Unable to write the file:", " \\kestrano\\CMC\\RDPS_tmp\\20240101_tmp.r2c" + std::string(21, ' '),
        " Check if    \\kestrano\\CMC\\RDPS_tmp\\   exists"},
       "tallowgate aborted @ 236"},
      {"RDPS-PCP-FC",
       "\\kestrano\\CMC\\regl\\RDPS_apcp.r2c",
       {" writing \\kestrano\\CMC\\regl\\RDPS_apcp.r2c", " Unable to write the file:",
        " \\kestrano\\CMC\\regl\\RDPS_apcp.r2c", " Check if    \\kestrano\\CMC\\regl\\   exists"},
       "tallowgate aborted @ 247"},
      {"RDPS-TMP-FC",
       "\\kestrano\\CMC\\regl\\RDPS_tmp.r2c",
       {" writing \\kestrano\\CMC\\regl\\RDPS_tmp.r2c", " Unable to write the file:",
        " \\kestrano\\CMC\\regl\\RDPS_tmp.r2c", " Check if    \\kestrano\\CMC\\regl   exists"},
       "tallowgate aborted @ 259"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.app);
    FakePlatform platform;
    platform.fail_opens_of(c.path);
    RunState state = state_for(c.app, "20240115");
    try {
      open_output_target(&platform, &state);
      ADD_FAILURE() << "no stop";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.message, c.stop);
      EXPECT_EQ(stop.exit_status, 1);
    }
    EXPECT_EQ(platform.out_lines, c.lines);
    EXPECT_TRUE(state.report_path.blank());
  }
}

TEST_F(OutputTargetTest, OtherCodesEndWithAnIoErrorNamingTheFile) {
  for (const char* app : {"capa", "glbST", "glbSP2", "rdrP"}) {
    SCOPED_TRACE(app);
    FakePlatform platform;
    RunState state = state_for(app, "20240115");
    // Fail whatever path the code opens: find it with a first, good open.
    open_output_target(&platform, &state);
    state.output->commit();
    const std::string path = platform.files.begin()->first;
    platform.files.clear();
    platform.fail_opens_of(path);
    try {
      open_output_target(&platform, &state);
      ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
      EXPECT_EQ(e.path, path);
      EXPECT_EQ(e.reason, "No such file or directory");
    }
  }
}

}  // namespace
}  // namespace tallowgate
