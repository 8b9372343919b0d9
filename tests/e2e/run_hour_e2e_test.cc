// Forecast files of every model run converted by the real program with the
// copying test decoder: the forecast hour counts from the hour of its run, so
// the dump name, the progress line and the frame time all count from 00 of
// the run's date. Console and r2c file byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_tree.h"
#include "expected_console.h"

namespace tallowgate::e2e {
namespace {

// The runs of one day in one directory, the 12Z and 18Z ones past the end of
// the month: each frame at its own hour, none stamped like another.
TEST(RunHourE2e, RunsOfOneDayGetFramesAtTheirOwnHoursAcrossAMonthEnd) {
  E2eTree tree;
  tree.make_dir(tree.in_drive("kestrano/CMC/regl"));
  tree.install_decoder();
  const std::string run00 = "CMC_reg_TMP_TGL_2_ps10km_2025083100_P018.grib2";
  const std::string run12 = "CMC_reg_TMP_TGL_2_ps10km_2025083112_P012.grib2";
  const std::string run18 = "CMC_reg_TMP_TGL_2_ps10km_2025083118_P009.grib2";
  tree.write_file(tree.in_work(run00), dump_text(2, 1, {"280.5", "281"}));
  tree.write_file(tree.in_work(run12), dump_text(2, 1, {"282.25", "283"}));
  tree.write_file(tree.in_work(run18), dump_text(2, 1, {"284", "285.75"}));

  const RunResult r = tree.run({"regT"});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(from_first_file(r.out), announce(1, 3, 2025, 8, 31, 18, run00) + counts(2, 1) + kHeaderInfo +
                                        frame_line(1, 2025, 8, 31, 18) + finished(1) +
                                        announce(2, 3, 2025, 8, 31, 24, run12) + counts(2, 1) +
                                        frame_line(2, 2025, 9, 1, 0) + finished(2) +
                                        announce(3, 3, 2025, 8, 31, 27, run18) + counts(2, 1) +
                                        frame_line(3, 2025, 9, 1, 3) + finished(3) + kClosing);
  EXPECT_EQ(E2eTree::read_file(tree.in_drive("kestrano/CMC/regl/regl_tmp.r2c")),
            golden_header("regT", 2, 1) + frame_line(1, 2025, 8, 31, 18) + "  280.50  281.00\nEndFrame\n" +
                frame_line(2, 2025, 9, 1, 0) + "  282.25  283.00\nEndFrame\n" + frame_line(3, 2025, 9, 1, 3) +
                "  284.00  285.75\nEndFrame\n");
}

// One file of each forecast family from a run other than 00Z; names whose
// run-hour characters hold no hour of the day count as the 00Z run; the
// analyses read their hour as before.
TEST(RunHourE2e, EveryForecastFamilyCountsFromItsRunHour) {
  const struct {
    const char* app;
    const char* file;
    const char* output;  // below the drive root, for the date key 20250824
    int hour;            // as the progress line and the dump name show it
    int day, frame_hour;
    const char* row;
  } cases[] = {
      {"RDPS-PCP-FC", "20250824T06Z_MSC_RDPS_Precip-Accum6h_Sfc_RLatLon0.09_PT006H.grib2",
       "kestrano/CMC/regl/RDPS_apcp.r2c", 12, 24, 12, "  1.5000"},
      {"RDPS-TMP-HC", "20250824T12Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT003H.grib2",
       "kestrano/CMC/RDPS_tmp/20250801_tmp.r2c", 15, 24, 15, "    1.50"},
      {"RDPS-TMP-FC", "20250824T18Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT012H.grib2",
       "kestrano/CMC/regl/RDPS_tmp.r2c", 30, 25, 6, "    1.50"},
      {"regP", "CMC_reg_APCP_SFC_0_ps10km_2025082406_P006.grib2", "kestrano/CMC/regl/regl_apcp.r2c", 12, 24,
       12, "  1.5000"},
      {"rglT", "CMC_reg_TMP_TGL_2_ps10km_2025082418_P000.grib2", "kestrano/CMC/regl_tmp/20250801_tmp.r2c", 18,
       24, 18, "    1.50"},
      {"glbP", "CMC_glb_APCP_SFC_0_latlon.15x.15_2025082412_P048.grib2", "kestrano/CMC/glb/glb_apcp.r2c", 60,
       26, 12, "  1.5000"},
      {"glbT", "CMC_glb_TMP_TGL_2_latlon.15x.15_2025082406_P003.grib2", "kestrano/CMC/glb/glb_tmp.r2c", 9, 24,
       9, "    1.50"},
      {"glbSP", "CMC_glb_APCP_SFC_0_latlon.15x.15_2025082418_P006.grib2",
       "kestrano/CMC/glb_apcp/20250801_Glb_apcp.r2c", 24, 25, 0, "  1.5000"},
      {"glbST", "CMC_glb_TMP_TGL_2_latlon.15x.15_2025082412_P240.grib2",
       "kestrano/CMC/glb_tmp/20250801_Glb_tmp.r2c", 252, 3, 12, "    1.50"},
      {"hreP", "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2025082406_P001-00.grib2",
       "kestrano/CMC/hrdps/hrdps_apcp.r2c", 7, 24, 7, "  1.5000"},
      {"hreT", "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2025082418_P048-00.grib2",
       "kestrano/CMC/hrdps/hrdps_tmp.r2c", 66, 26, 18, "    1.50"},
      // Characters 10-11 that are no hour of the day: the 00Z run.
      {"RDPS-TMP-FC", "20250824TxxZ_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT012H.grib2",
       "kestrano/CMC/regl/RDPS_tmp.r2c", 12, 24, 12, "    1.50"},
      {"RDPS-TMP-FC", "20250824T24Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT012H.grib2",
       "kestrano/CMC/regl/RDPS_tmp.r2c", 12, 24, 12, "    1.50"},
      // An analysis reads its own hour, nothing is added.
      {"RDPA", "20250824T18Z_MSC_RDPA_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2",
       "kestrano/CMC/RDPA/20250801_RDPA.r2c", 18, 24, 18, "  1.5000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.app) + " " + c.file);
    E2eTree tree;
    tree.make_dir(tree.in_drive(std::filesystem::path(c.output).parent_path().string()));
    tree.install_decoder();
    tree.write_file(tree.in_work(c.file), dump_text(1, 1, {"1.5"}));

    const RunResult r = tree.run({c.app});
    EXPECT_EQ(r.err, "Normal ending\n");
    EXPECT_EQ(r.status, 0);
    const int month = c.day < 24 ? 9 : 8;
    EXPECT_EQ(from_first_file(r.out), announce(1, 1, 2025, 8, 24, c.hour, c.file) + counts(1, 1) +
                                          kHeaderInfo + frame_line(1, 2025, month, c.day, c.frame_hour) +
                                          finished(1) + kClosing);
    EXPECT_EQ(E2eTree::read_file(tree.in_drive(c.output)),
              golden_header(c.app, 1, 1) + frame_line(1, 2025, month, c.day, c.frame_hour) + c.row +
                  "\nEndFrame\n");
  }
}

}  // namespace
}  // namespace tallowgate::e2e
