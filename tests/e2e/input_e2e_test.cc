#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "e2e_tree.h"
#include "expected_console.h"

namespace tallowgate::e2e {
namespace {

namespace fs = std::filesystem;

// Output directories of the products these tests run, so the runs get past
// their output targets.
void make_output_dirs(const E2eTree& tree) {
  for (const char* dir :
       {"kestrano/CMC/regl", "kestrano/CMC/RDPA", "kestrano/CMC/CaPA", "kestrano/CMC/glb"}) {
    tree.make_dir(tree.in_drive(dir));
  }
}

// A product file of `size` bytes, last modified at `when` (UTC, as the runs' TZ).
void put_file(const E2eTree& tree, const std::string& name, std::size_t size = 0,
              std::chrono::sys_seconds when = std::chrono::sys_days{std::chrono::August / 24 / 2025} +
                                              std::chrono::hours(13) + std::chrono::minutes(5)) {
  tree.write_file(tree.in_work(name), std::string(size, 'g'));
  fs::last_write_time(tree.in_work(name), std::chrono::file_clock::from_sys(when));
}

// The console from the listing's first line on; the lines before it belong to
// the run's earlier stages.
std::string from_listing(const RunResult& r) {
  const std::size_t at = r.out.find("\n 25\n");
  if (at == std::string::npos) return "(no listing echo in)\n" + r.out;
  return r.out.substr(at + 1);
}

// The kept files are converted in name order, each with the valid time its
// name gives (the forecast hour counted from 00 of the run's date); the
// copying decoder turns these empty files into empty dumps.
TEST(InputE2e, TestedRowKeepsOnlyItsProductInNameOrder) {
  E2eTree tree;
  make_output_dirs(tree);
  tree.install_decoder();
  put_file(tree, "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2");
  put_file(tree, "CMC_reg_TMP_TGL_2_ps10km_2019081100_P003.grib2");
  put_file(tree, "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2");
  put_file(tree, "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2");
  put_file(tree, "notes.txt");
  tree.make_dir(tree.in_work("CMC_reg_TMP_TGL_2_ps10km_2019081106_P000.grib2"));
  fs::create_symlink("CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2",
                     tree.in_work("CMC_reg_TMP_TGL_2_ps10km_2019081118_P006.grib2"));

  const RunResult r = tree.run({"regT"});
  const std::string first = "CMC_reg_TMP_TGL_2_ps10km_2019081100_P003.grib2";
  const std::string second = "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2";
  const std::string third = "CMC_reg_TMP_TGL_2_ps10km_2019081118_P006.grib2";
  EXPECT_EQ(from_listing(r),
            " 25\n" + first + "\n" + second + "\n" + third + "\n" + announce(1, 3, 2019, 8, 11, 3, first) +
                no_grid(2019, 8, 11, 3) + announce(2, 3, 2019, 8, 11, 36, second) + no_grid(2019, 8, 11, 36) +
                announce(3, 3, 2019, 8, 11, 24, third) + no_grid(2019, 8, 11, 24) + kClosing);
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
}

// Without a name test every line is kept, other products' files included,
// and the count leaves out the two summary lines, which are never converted.
TEST(InputE2e, UntestedRowKeepsEveryFile) {
  E2eTree tree;
  make_output_dirs(tree);
  tree.install_decoder();
  put_file(tree, "20231218T06Z_MSC_RDPA_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2", 1234567);
  put_file(tree, "20231218T12Z_MSC_RDPA_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2", 1000);
  put_file(tree, "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2");
  put_file(tree, "readme.txt");

  const RunResult r = tree.run({"RDPA"});
  const std::string first = "20231218T06Z_MSC_RDPA_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2";
  const std::string second = "20231218T12Z_MSC_RDPA_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2";
  const std::string third = "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2";
  EXPECT_EQ(from_listing(r), " 25\n" + first + "\n" + second + "\n" + third + "\n" +
                                 " bytes\n"
                                 " bytes free\n"
                                 " # files =           3\n" +
                                 announce(1, 3, 2023, 12, 18, 6, first) + no_grid(2023, 12, 18, 6) +
                                 announce(2, 3, 2023, 12, 18, 12, second) + no_grid(2023, 12, 18, 12) +
                                 announce(3, 3, 2024, 6, 12, 0, third) + no_grid(2024, 6, 12, 0) + kClosing);
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
}

TEST(InputE2e, ADirectoryWithoutGrib2FilesEndsWithTheReport) {
  E2eTree tree;
  make_output_dirs(tree);
  put_file(tree, "notes.txt", 10);
  const RunResult r = tree.run({"regP"});
  EXPECT_EQ(r.err,
            "tallowgate: grib_list.txt: fewer than six lines: the working directory holds no *.grib2 file\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.find("\n 25\n"), std::string::npos);
  EXPECT_EQ(lines_of(E2eTree::read_file(tree.in_work("grib_list.txt"))).size(), 5u);
}

TEST(InputE2e, ASelectionThatKeepsNothingEndsNormally) {
  E2eTree tree;
  make_output_dirs(tree);
  tree.write_file(tree.in_drive("kestrano/CMC/regl/regl_apcp.r2c"), "an earlier run's output\n");
  put_file(tree, "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2");
  put_file(tree, "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2");

  const RunResult r = tree.run({"regP"});
  EXPECT_EQ(from_listing(r), " 25\n" + kClosing);
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(E2eTree::read_file(tree.in_drive("kestrano/CMC/regl/regl_apcp.r2c")),
            "an earlier run's output\n");
}

// The first name, with "CMC" after its date, is converted; the second stops
// the run.
TEST(InputE2e, ACapaNameWithoutCmcStopsAt343) {
  E2eTree tree;
  make_output_dirs(tree);
  tree.install_decoder();
  put_file(tree, "2023121800_000_CMC_RDPA_APCP-024-0100cutoff.grib2");
  put_file(tree, "2023121806_MSC_CaPA_APCP-Accum6h.grib2");

  const RunResult r = tree.run({"capa"});
  EXPECT_EQ(from_listing(r),
            " 25\n" + padded("2023121800_000_CMC_RDPA_APCP-024-0100cutoff.grib2", 62) + "\n" +
                padded("2023121806_MSC_CaPA_APCP-Accum6h.grib2", 62) + "\n" + padded(" bytes", 62) + "\n" +
                padded(" bytes free", 62) + "\n" + " # files =           2\n" +
                announce(1, 2, 2023, 12, 18, 0, "2023121800_000_CMC_RDPA_APCP-024-0100cutoff.grib2") +
                no_grid(2023, 12, 18, 0) +
                " Error:\n"
                " Filename incorrect\n"
                " 1st 3 chrs 202 not= `CMC`\n"
                " tallowgat aborted @ 343\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 1);
}

TEST(InputE2e, AnUnreadableTimeStopsAfterThe390Pause) {
  E2eTree tree;
  make_output_dirs(tree);
  tree.install_decoder();
  put_file(tree, "CMC_RADAR_PRECIPRATE_201908111200_x.grib2");
  put_file(tree, "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2");

  // The radar file's time is read and the file converted, then the foreign
  // name's readable fields (its day and hour) replace that time, the others
  // keep it.
  // A command typed at the pause runs and the prompt comes again; the end of
  // input then resumes, and the run stops.
  const RunResult r = tree.run({"rdrP"}, "echo typed at the pause\n");
  EXPECT_EQ(from_listing(r),
            " 25\n"
            "CMC_RADAR_PRECIPRATE_201908111200_x.grib2\n"
            "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001\n"
            " bytes                                   \n"
            " bytes free                              \n"
            " # files =           2\n" +
                announce(1, 2, 2019, 8, 11, 12, "CMC_RADAR_PRECIPRATE_201908111200_x.grib2") +
                no_grid(2019, 8, 11, 12) +
                "\n"
                " Error:\n"
                " Aplication = rdrP" +
                std::string(46, ' ') +
                "\n"
                " filename = " +
                padded("CMC_reg_APCP_SFC_0_ps10km_2024061200_P001", 256) +
                "\n"
                " Check is this is correct\n"
                " Error reading yyyymmdd  hh:        2019           8           2          40\n"
                " @ 390  -  hit Enter to abort\n" +
                shell_echo("typed at the pause") + " @ 390  -  hit Enter to abort\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 1);
}

// Without a name test the two summary lines take entries too: 998 files and
// the first summary line fill the file list, and the second summary line,
// which would need a 1000th entry, is not echoed before the run ends.
TEST(InputE2e, TheLineThatWouldNeedA1000thEntryIsNotEchoed) {
  E2eTree tree;
  make_output_dirs(tree);
  std::string echoes;
  for (int i = 0; i < 998; ++i) {
    const std::string name = "f" + std::to_string(1000 + i) + ".grib2";
    put_file(tree, name);
    echoes += name + "\n";
  }

  const RunResult r = tree.run({"RDPA"});
  EXPECT_EQ(from_listing(r), " 25\n" + echoes + " bytes\n");
  EXPECT_EQ(r.err, "tallowgate: grib_list.txt: more than 999 entries for the file list\n");
  EXPECT_EQ(r.status, 1);
}

TEST(InputE2e, WritesItsOwnListingInTheDirectoryCommandsLayout) {
  E2eTree tree;
  make_output_dirs(tree);
  using namespace std::chrono;
  put_file(tree, "b_second.grib2", 1234567, sys_days{August / 3 / 2025} + minutes(7));
  put_file(tree, "A_first.GRIB2", 999, sys_days{December / 31 / 2024} + hours(12));
  put_file(tree, "_under.grib2", 1000, sys_days{January / 1 / 2025} + hours(23) + minutes(59));
  put_file(tree, "c.grib2.idx", 5);
  put_file(tree, "grib2", 5);
  tree.write_file(tree.in_work("grib_list.txt"), "an earlier listing, longer than the new one\n");

  tree.run({"regP"});
  const std::vector<std::string> lines = lines_of(E2eTree::read_file(tree.in_work("grib_list.txt")));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9),
            (std::vector<std::string>{
                " Volume in drive C has no label.",
                " Volume Serial Number is 0000-0000",
                "",
                " Directory of " + shown_path(fs::canonical(tree.work())),
                "",
                "01/01/2025  11:59 PM             1,000 _under.grib2",
                "12/31/2024  12:00 PM               999 A_first.GRIB2",
                "08/03/2025  12:07 AM         1,234,567 b_second.grib2",
                "               3 File(s)      1,236,566 bytes",
            }));
  EXPECT_TRUE(std::regex_match(
      lines[9], std::regex("               0 Dir\\(s\\) {1,15}[0-9]{1,3}(,[0-9]{3})* bytes free")))
      << lines[9];
  EXPECT_EQ(lines[9].size(), 16u + 8u + 15u + 11u) << lines[9];
}

TEST(InputE2e, AListingThatCannotBeWrittenPausesThenEnds) {
  E2eTree tree;
  make_output_dirs(tree);
  put_file(tree, "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2");
  tree.make_dir(tree.in_work("grib_list.txt"));

  const RunResult r = tree.run({"regP"});
  EXPECT_EQ(r.err, "tallowgate: cannot write grib_list.txt: " + system_words(SystemWords::kIsADirectory) +
                       "\n" + "tallowgate: grib_list.txt: " + system_words(SystemWords::kIsADirectory) +
                       "\n");
  const std::string tail =
      " Error: problem opening grib_list.txt\n"
      "  tallowgat paused trying to open this file\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace tallowgate::e2e
