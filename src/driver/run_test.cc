#include "driver/run.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

constexpr char kReport[] = "..\\runReport.txt";
constexpr char kGlbOutput[] = "\\kestrano\\CMC\\glb\\glb_tmp.r2c";

int run_with(FakePlatform* platform, std::vector<std::string> args) { return run(platform, args); }

TEST(Run, ValidCodeEndsNormallyWithBothReportEntries) {
  FakePlatform platform;
  platform.files["CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"] = "";  // not a global file
  EXPECT_EQ(run_with(&platform, {"glbT"}), 0);
  EXPECT_EQ(platform.err_lines, std::vector<std::string>{"Normal ending"});
  EXPECT_EQ(platform.files[kReport],
            " tallowgate.exe - started       12:30:45  glbT       \n"
            " tallowgate.exe - normal ending 12:30:45  glbT       \n");
  EXPECT_EQ(platform.files[kGlbOutput], "");
  EXPECT_EQ(platform.out_lines.back(), " ***************************");
}

TEST(Run, FailedReportWriteEndsWithTheErrorLineAndKeepsTheOldOutput) {
  FakePlatform platform;
  platform.files[kGlbOutput] = "old frames\n";
  platform.files[kReport] = "old entry\n";
  platform.fail_writes_to(kReport);
  EXPECT_EQ(run_with(&platform, {"glbT"}), 1);
  EXPECT_EQ(platform.err_lines,
            std::vector<std::string>{"tallowgate: ..\\runReport.txt: No space left on device"});
  EXPECT_EQ(platform.files[kGlbOutput], "old frames\n");
  EXPECT_EQ(platform.files[kReport], "old entry\n");
}

// A full disk while frames are written: the run ends with the error line and
// the r2c file keeps what it held before, however far the run had come.
TEST(Run, FailedOutputWriteKeepsTheOldOutput) {
  FakePlatform platform;
  platform.files["CMC_glb_TMP_TGL_2_latlon.15x.15_2025082400_P000.grib2"] = "";
  platform.on_program = [](FakePlatform* p, const FakePlatform::ProgramRun& run) {
    p->files[run.args[1]] = "2 1\n273.15\n280\n";
  };
  platform.files[kGlbOutput] = "old frames\n";
  platform.fail_writes_to(kGlbOutput);
  EXPECT_EQ(run_with(&platform, {"glbT"}), 1);
  EXPECT_EQ(
      platform.err_lines,
      std::vector<std::string>{"tallowgate: \\kestrano\\CMC\\glb\\glb_tmp.r2c: No space left on device"});
  EXPECT_EQ(platform.files[kGlbOutput], "old frames\n");
  EXPECT_EQ(platform.files[kReport], " tallowgate.exe - started       12:30:45  glbT       \n");
}

TEST(Run, OutputThatCannotBeOpenedStopsBeforeTheReport) {
  const struct {
    const char* app;
    const char* path;
    const char* err;
  } cases[] = {
      {"RDPS-TMP-FC", "\\kestrano\\CMC\\regl\\RDPS_tmp.r2c", "tallowgate aborted @ 259"},
      {"glbT", kGlbOutput, "tallowgate: \\kestrano\\CMC\\glb\\glb_tmp.r2c: No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.app);
    FakePlatform platform;
    platform.fail_opens_of(c.path);
    EXPECT_EQ(run_with(&platform, {c.app}), 1);
    EXPECT_EQ(platform.err_lines, std::vector<std::string>{c.err});
    EXPECT_TRUE(platform.files.empty());
  }
}

// A run in a directory where another run converts would share its listing
// and dumps: it stops before anything is written.
TEST(Run, SecondRunInTheDirectoryStopsBeforeWritingAnything) {
  FakePlatform platform;
  platform.files[kGlbOutput] = "old frames\n";
  platform.locks_held_elsewhere.insert("tallowgate.lock");
  EXPECT_EQ(run_with(&platform, {"glbT"}), 1);
  EXPECT_EQ(platform.err_lines,
            std::vector<std::string>{"tallowgate: another run is converting in /data/GRIB2/prod/202508"});
  EXPECT_EQ(platform.files, (std::map<std::string, std::string>{{kGlbOutput, "old frames\n"}}));
  EXPECT_TRUE(platform.shell_commands.empty());
}

TEST(Run, RunHoldsTheDirectoryLock) {
  FakePlatform platform;
  platform.files["CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"] = "";
  EXPECT_EQ(run_with(&platform, {"glbT"}), 0);
  EXPECT_EQ(platform.locks_taken, std::set<std::string>{"tallowgate.lock"});
}

// Out of memory, or any other failure of the library, ends the run as an
// input/output error does: one line naming the cause, the output settled.
TEST(Run, LibraryFailureEndsWithOneLineAndKeepsTheOldOutput) {
  const struct {
    const char* name;
    std::function<void()> fail;
    const char* err;
  } cases[] = {
      {"out of memory", [] { throw std::bad_alloc(); }, "tallowgate: out of memory"},
      {"other", [] { throw std::length_error("string too long"); }, "tallowgate: string too long"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    platform.files["CMC_glb_TMP_TGL_2_latlon.15x.15_2025082400_P000.grib2"] = "";
    platform.files[kGlbOutput] = "old frames\n";
    platform.on_program = [&c](FakePlatform*, const FakePlatform::ProgramRun&) { c.fail(); };
    EXPECT_EQ(run_with(&platform, {"glbT"}), 1);
    EXPECT_EQ(platform.err_lines, std::vector<std::string>{c.err});
    EXPECT_EQ(platform.files[kGlbOutput], "old frames\n");
    EXPECT_EQ(platform.files[kReport], " tallowgate.exe - started       12:30:45  glbT       \n");
  }
}

}  // namespace
}  // namespace tallowgate
