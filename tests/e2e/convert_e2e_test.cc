// Whole product directories converted by the real program with the copying
// test decoder: console, error stream, exit status, r2c file and the files
// left in the working directory, byte for byte.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "e2e_tree.h"
#include "expected_console.h"

namespace tallowgate::e2e {
namespace {

class ConvertE2e : public ::testing::Test {
 protected:
  ConvertE2e() {
    tree_.make_dir(tree_.in_drive("kestrano/CMC/regl"));
    tree_.make_dir(tree_.in_drive("kestrano/CMC/CaPA"));
    tree_.make_dir(tree_.in_drive("kestrano/CMC/RDPA"));
    tree_.set_env("PATH", "/usr/bin:/bin");
  }
  void add(const std::string& name, const std::string& contents) {
    tree_.write_file(tree_.in_work(name), contents);
  }
  std::string r2c(const std::string& relative) { return E2eTree::read_file(tree_.in_drive(relative)); }

  E2eTree tree_;
};

TEST_F(ConvertE2e, TemperatureDirectoryWithHoursCarriedIntoTheDate) {
  tree_.install_decoder();
  const std::string leap = "CMC_reg_TMP_TGL_2_ps10km_2024022800_P024.grib2";
  const std::string new_year = "CMC_reg_TMP_TGL_2_ps10km_2024123100_P024.grib2";
  const std::string month_end = "CMC_reg_TMP_TGL_2_ps10km_2025083100_P030.grib2";
  // Rows 1 (south) to 3 (north); a second grid after the first, trailing text.
  add(leap, dump_text(2, 3, {"288.1", "273.15", "400", "400.004", "9.999e+20 trailing text", "NaN"}) +
                dump_text(2, 3, {"1", "2", "3", "4", "5", "6"}));
  add(new_year, dump_text(2, 3, {"-100", "-40.5", "1d2", "-1.004", "INF", "-0.001"}));
  add(month_end, dump_text(2, 3, {"0", "0", "0", "0", "0", "0"}));
  add("CMC_reg_APCP_SFC_0_ps10km_2025083100_P030.grib2", "not this product");

  const RunResult r = tree_.run({"regT"});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out), announce(1, 3, 2024, 2, 28, 24, leap) + counts(2, 3) + kHeaderInfo +
                                        frame_line(1, 2024, 2, 29, 0) + finished(1) +
                                        announce(2, 3, 2024, 12, 31, 24, new_year) + counts(2, 3) +
                                        frame_line(2, 2025, 1, 1, 0) + finished(2) +
                                        announce(3, 3, 2025, 8, 31, 30, month_end) + counts(2, 3) +
                                        frame_line(3, 2025, 9, 1, 6) + finished(3) + kClosing);
  const R2cParts parts = split_r2c(r2c("kestrano/CMC/regl/regl_tmp.r2c"));
  EXPECT_EQ(parts.before_header, "");
  ASSERT_TRUE(parts.has_header);
  EXPECT_EQ(parts.after_header, frame_line(1, 2024, 2, 29, 0) +
                                    "  400.00  400.00\n"
                                    "  400.00  400.00\n"
                                    "  288.10  273.15\n"
                                    "EndFrame\n" +
                                    frame_line(2, 2025, 1, 1, 0) +
                                    "  400.00   -0.00\n"
                                    "  100.00   -1.00\n"
                                    " -100.00  -40.50\n"
                                    "EndFrame\n" +
                                    frame_line(3, 2025, 9, 1, 6) +
                                    "    0.00    0.00\n"
                                    "    0.00    0.00\n"
                                    "    0.00    0.00\n"
                                    "EndFrame\n");
  for (const std::string& name : E2eTree::list(tree_.work())) {
    EXPECT_EQ(name.rfind("temp_", 0), std::string::npos) << name << ": every good dump is deleted";
  }
}

TEST_F(ConvertE2e, PrecipitationFramesAreNumberedWithoutGapsAroundABadDump) {
  tree_.install_decoder();
  const std::string f1 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2";
  const std::string f2 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P012.grib2";
  const std::string f3 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P018.grib2";
  add(f1, dump_text(3, 2, {"0.25", "99", "99.5", "9.999e+20", "nan", "-100"}));
  add(f2, "0 0\n");
  add(f3, dump_text(3, 2, {"98.5", "0", "-99.99", "1.5E-3", "0.00005", "0.00015"}));

  const RunResult r = tree_.run({"regP"});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out),
            announce(1, 3, 2025, 8, 24, 6, f1) + counts(3, 2) + kHeaderInfo + frame_line(1, 2025, 8, 24, 6) +
                finished(1) + announce(2, 3, 2025, 8, 24, 12, f2) + counts(0, 0) +
                " Found bad frame in temp_20250824012.txt\n" + announce(3, 3, 2025, 8, 24, 18, f3) +
                counts(3, 2) + frame_line(3, 2025, 8, 24, 18) + finished(3) + kClosing);
  const R2cParts parts = split_r2c(r2c("kestrano/CMC/regl/regl_apcp.r2c"));
  EXPECT_EQ(parts.before_header, "");
  EXPECT_EQ(parts.after_header, frame_line(1, 2025, 8, 24, 6) +
                                    " 99.0000 99.0000********\n"
                                    "  0.2500 99.0000 99.0000\n"
                                    "EndFrame\n"
                                    "EndFrame\n" +
                                    frame_line(2, 2025, 8, 24, 18) +
                                    "  0.0015  0.0000  0.0002\n"
                                    " 98.5000  0.0000-99.9900\n"
                                    "EndFrame\n");
  EXPECT_EQ(E2eTree::read_file(tree_.in_work("temp_20250824012.txt")), "0 0\n") << "the bad dump stays";
}

TEST_F(ConvertE2e, Capa10WritesItsHeaderInTheSecondPassAndKeepsDumpRowOrder) {
  tree_.install_decoder();
  add("2025082406_capa10.grib2", "#empty-dump\n");
  add("2025082412_capa10.grib2", dump_text(2, 2, {"1", "2", "3", "4"}));

  const RunResult r = tree_.run({"capa10"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out), announce(1, 2, 2025, 8, 24, 6, "2025082406_capa10.grib2") + counts(0, 0) +
                                        " Found bad frame in temp_20250824006.txt\n" +
                                        announce(2, 2, 2025, 8, 24, 12, "2025082412_capa10.grib2") +
                                        counts(2, 2) + kHeaderInfo + frame_line(2, 2025, 8, 24, 12) +
                                        finished(2) + kClosing);
  // The pass without a grid leaves nothing before the header.
  EXPECT_EQ(r2c("kestrano/CMC/CaPA/20250824_capa.r2c"), golden_header("capa10", 2, 2) +
                                                            frame_line(1, 2025, 8, 24, 12) +
                                                            "  1.0000  2.0000\n  3.0000  4.0000\nEndFrame\n");
  EXPECT_EQ(E2eTree::read_file(tree_.in_work("temp_20250824006.txt")), "");
}

TEST_F(ConvertE2e, AnIncompleteFirstDumpLeavesTheHeaderToTheFirstFrame) {
  tree_.install_decoder();
  const std::string f1 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2";
  const std::string f2 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P012.grib2";
  add(f1, dump_text(2, 2, {"1", "2"}));
  add(f2, dump_text(2, 2, {"5", "6", "7", "8"}));

  const RunResult r = tree_.run({"regP"});  // the pause resumes at the end of input
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out),
            announce(1, 2, 2025, 8, 24, 6, f1) + counts(2, 2) + " Error: temp_20250824006.txt incomplete\n" +
                " PAUSE 88888\n error\n" + announce(2, 2, 2025, 8, 24, 12, f2) + counts(2, 2) + kHeaderInfo +
                frame_line(2, 2025, 8, 24, 12) + finished(2) + kClosing);
  EXPECT_EQ(r2c("kestrano/CMC/regl/regl_apcp.r2c"), golden_header("regP", 2, 2) +
                                                        frame_line(1, 2025, 8, 24, 12) +
                                                        "  7.0000  8.0000\n  5.0000  6.0000\nEndFrame\n");
  EXPECT_FALSE(E2eTree::exists(tree_.in_work("temp_20250824006.txt")));
}

// A stored negative zero keeps its sign, as a negative value that rounds to
// zero does.
TEST_F(ConvertE2e, ANegativeZeroIsWrittenWithItsSign) {
  const struct {
    const char* app;
    const char* file;
    const char* output;
    const char* rows;
  } cases[] = {
      {"regT", "CMC_reg_TMP_TGL_2_ps10km_2025082400_P006.grib2", "kestrano/CMC/regl/regl_tmp.r2c",
       "   -0.00   -0.00\n   -0.00    0.00\n"},
      {"regP", "CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2", "kestrano/CMC/regl/regl_apcp.r2c",
       " -0.0000 -0.0000\n -0.0000  0.0000\n"},
  };
  tree_.install_decoder();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.app);
    add(c.file, dump_text(2, 2, {"-0", "0", "-0.0", "-0e3"}));
    const RunResult r = tree_.run({c.app});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r2c(c.output),
              golden_header(c.app, 2, 2) + frame_line(1, 2025, 8, 24, 6) + c.rows + "EndFrame\n");
  }
}

TEST_F(ConvertE2e, ADumpLargerThanTheReadBufferIsReadWhole) {
  tree_.install_decoder();
  constexpr int kColumns = 1000, kRows = 300;
  std::vector<std::string> values;
  std::string rows_north_first;
  for (int j = 0; j < kRows; ++j) {
    std::string row;
    for (int k = 0; k < kColumns; ++k) {
      const int eighths = (j * kColumns + k) % 800;  // 0 to 99.875, exact in a float
      char value[16];
      std::snprintf(value, sizeof value, "%g", eighths / 8.0);
      values.push_back(value);
      std::snprintf(value, sizeof value, "%8.4f", eighths / 8.0 > 99.0 ? 99.0 : eighths / 8.0);
      row += value;
    }
    rows_north_first = row + "\n" + rows_north_first;
  }
  add("CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2", dump_text(kColumns, kRows, values));

  const RunResult r = tree_.run({"regP"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(split_r2c(r2c("kestrano/CMC/regl/regl_apcp.r2c")).after_header,
            frame_line(1, 2025, 8, 24, 6) + rows_north_first + "EndFrame\n");
}

TEST_F(ConvertE2e, AStaleDumpIsNeverReadAsTheFilesGrid) {
  tree_.install_decoder();
  const std::string f1 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2";
  add(f1, "#no-dump\n");
  add("temp_20250824006.txt", dump_text(1, 1, {"5"}));

  const RunResult r = tree_.run({"regP"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out), announce(1, 1, 2025, 8, 24, 6, f1, false) + counts(0, 0) +
                                        " Found bad frame in temp_20250824006.txt\n" + kClosing);
  EXPECT_EQ(r2c("kestrano/CMC/regl/regl_apcp.r2c"), "");
  EXPECT_EQ(E2eTree::read_file(tree_.in_work("temp_20250824006.txt")), "");
}

TEST_F(ConvertE2e, AGridOfAnotherSizeIsRefusedAndTheRunGoesOn) {
  tree_.install_decoder();
  const std::string f1 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2";
  const std::string f2 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P012.grib2";
  const std::string f3 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P018.grib2";
  add(f1, dump_text(1, 2, {"1", "2"}));
  add(f2, dump_text(2, 2, {"1", "2", "3", "4"}));
  add(f3, dump_text(1, 2, {"3", "4"}));

  const RunResult r = tree_.run({"regP"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out),
            announce(1, 3, 2025, 8, 24, 6, f1) + counts(1, 2) + kHeaderInfo + frame_line(1, 2025, 8, 24, 6) +
                finished(1) + announce(2, 3, 2025, 8, 24, 12, f2) + counts(2, 2) +
                " Error: grid differs from the first grid of this run\n" +
                " Found bad frame in temp_20250824012.txt\n" + announce(3, 3, 2025, 8, 24, 18, f3) +
                counts(1, 2) + frame_line(3, 2025, 8, 24, 18) + finished(3) + kClosing);
  EXPECT_EQ(split_r2c(r2c("kestrano/CMC/regl/regl_apcp.r2c")).after_header,
            frame_line(1, 2025, 8, 24, 6) + "  2.0000\n  1.0000\nEndFrame\nEndFrame\n" +
                frame_line(2, 2025, 8, 24, 18) + "  4.0000\n  3.0000\nEndFrame\n");
  EXPECT_TRUE(E2eTree::exists(tree_.in_work("temp_20250824012.txt")));
}

TEST_F(ConvertE2e, AMissingDecoderIsReportedAndNoFrameIsWritten) {
  const std::string f1 = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2";
  add(f1, dump_text(1, 1, {"1"}));

  const RunResult r = tree_.run({"regP"});
  EXPECT_EQ(r.err,
            "tallowgate: cannot start the decoder wgrib2: not found in the working directory or on PATH\n"
            "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out), announce(1, 1, 2025, 8, 24, 6, f1, false) + counts(0, 0) +
                                        " Found bad frame in temp_20250824006.txt\n" + kClosing);
  EXPECT_EQ(r2c("kestrano/CMC/regl/regl_apcp.r2c"), "");
}

TEST_F(ConvertE2e, AFileNameWithShellCharactersIsOnlyAName) {
  tree_.install_decoder();
  const std::string name = "20250824_12;touch pwned;$(touch pwned2)`touch pwned3`.grib2";
  add(name, dump_text(1, 1, {"2.5"}));

  const RunResult r = tree_.run({"RDPA"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(from_first_file(r.out).find(announce(1, 1, 2025, 8, 24, 12, name)), std::string::npos) << r.out;
  EXPECT_EQ(split_r2c(r2c("kestrano/CMC/RDPA/20250801_RDPA.r2c")).after_header,
            frame_line(1, 2025, 8, 24, 12) + "  2.5000\nEndFrame\n");
  for (const char* planted : {"pwned", "pwned2", "pwned3"}) {
    EXPECT_FALSE(E2eTree::exists(tree_.in_work(planted))) << planted;
  }
}

TEST_F(ConvertE2e, AFileNameTooLongForTheDecoderCommandEndsTheRun) {
  tree_.install_decoder();
  const std::string name = "20250824_12" + std::string(63, 'x') + ".grib2";  // 80 characters
  add(name, dump_text(1, 1, {"2.5"}));

  const RunResult r = tree_.run({"RDPA"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("tallowgate: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Normal ending"), std::string::npos);
}

TEST_F(ConvertE2e, InterruptAtAPauseLeavesTheTargetAsItWas) {
  tree_.install_decoder();
  tree_.write_file(tree_.in_drive("kestrano/CMC/regl/regl_apcp.r2c"), "last run\n");
  add("CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2", dump_text(2, 2, {"1"}));

  for (int signal_number : interrupt_signals()) {
    SCOPED_TRACE(signal_number);
    const RunResult r = tree_.run_and_signal_at({"regP"}, "PAUSE 88888", signal_number);
    EXPECT_EQ(r.status, interrupted_status(signal_number));
    EXPECT_EQ(r2c("kestrano/CMC/regl/regl_apcp.r2c"), "last run\n");
    EXPECT_EQ(E2eTree::list(tree_.in_drive("kestrano/CMC/regl")), std::vector<std::string>{"regl_apcp.r2c"});
  }
}

// No interpreter stands between the program and its decoder: characters
// that a shell or cmd.exe would act on, and blanks, stay in the one argument.
TEST_F(ConvertE2e, NamesWithBlanksAndInterpreterCharactersReachTheDecoderWhole) {
  tree_.install_decoder();
  const std::string name = "20231218T06Z_MSC_RDPA a&b^c%PATH%(d)!e;f,g=h 'i'.grib2";
  add(name, dump_text(2, 2, {"1", "2", "3", "4"}));

  const RunResult r = tree_.run({"RDPA"});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(announce(1, 1, 2023, 12, 18, 6, name) + counts(2, 2)), std::string::npos) << r.out;
  const R2cParts parts = split_r2c(r2c("kestrano/CMC/RDPA/20250801_RDPA.r2c"));
  ASSERT_TRUE(parts.has_header);
  EXPECT_EQ(parts.after_header.rfind(frame_line(1, 2023, 12, 18, 6), 0), 0u) << parts.after_header;
  EXPECT_EQ(E2eTree::list(tree_.work()),
            (std::vector<std::string>{name, "grib_list.txt", "tallowgate.lock", program_file("wgrib2")}));
}

}  // namespace
}  // namespace tallowgate::e2e
