#include "input/file_time.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/stops.h"
#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

const std::string kStars = " " + std::string(54, '*');

struct FileTimeTest : testing::Test {
  FakePlatform platform;
  RunState state;

  FileTimeTest() {
    state.file_year = 2025;
    state.file_month = 8;
    state.file_day = 24;
    state.file_hour = 12;
  }

  void extract(AppCode code, const std::string& name) {
    state.code = code;
    state.FLN[2].assign(name);
    state.file_index = 3;
    extract_file_time(&platform, &state);
  }
};

TEST_F(FileTimeTest, ReadsTheValidTimeOfEveryProduct) {
  struct Case {
    AppCode code;
    const char* name;
    int year, month, day, hour;
  } cases[] = {
      {AppCode::kCapa15, "2023121806_000_CMC_RDPA_APCP-024-0100cutoff.grib2", 2023, 12, 18, 6},
      {AppCode::kCapa10, "2019081112x.grib2", 2019, 8, 11, 12},
      // The analyses never look at character 9.
      {AppCode::kRdpa, "20231218T06Z_MSC_RDPA_APCP-Accum24h_Sfc.grib2", 2023, 12, 18, 6},
      {AppCode::kRdpaPrelim, "20231218_18Z_MSC_RDPA_APCP-Accum6h_Sfc.grib2", 2023, 12, 18, 18},
      {AppCode::kRdpsTmpHc, "20240612T06Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT007H.grib2", 2024, 6, 12, 13},
      {AppCode::kRdpsTmpFc, "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT048H.grib2", 2024, 6, 12, 48},
      {AppCode::kRdpsTmpFc, "20240612T18Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT048H.grib2", 2024, 6, 12, 66},
      // Forecast hours count from 00 of the run's date: hour 84 of the 12Z run is hour 96.
      {AppCode::kRdpsPcpFc, "20240612T12Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT084H.grib2", 2024, 6, 12,
       96},
      {AppCode::kRegP, "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2", 2024, 6, 12, 1},
      {AppCode::kRegP, "CMC_reg_APCP_SFC_0_ps10km_2024061206_P001.grib2", 2024, 6, 12, 7},
      {AppCode::kRegT, "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2", 2019, 8, 11, 36},
      {AppCode::kRglT, "CMC_reg_TMP_TGL_2_ps10km_2019081118_P000.grib2", 2019, 8, 11, 18},
      // Three-digit forecast hours; 048 gives 48, carried into the date later.
      {AppCode::kGlbP, "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P048.grib2", 2020, 8, 10, 48},
      {AppCode::kGlbP, "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081023_P048.grib2", 2020, 8, 10, 71},
      {AppCode::kGlbT, "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P240.grib2", 2020, 8, 10, 240},
      {AppCode::kGlbT, "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081012_P999.grib2", 2020, 8, 10, 1011},
      {AppCode::kGlbSP, "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081012_P003.grib2", 2020, 8, 10, 15},
      {AppCode::kGlbST, "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081018_P006.grib2", 2020, 8, 10, 24},
      {AppCode::kHreP, "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2", 2019, 8, 11, 36},
      {AppCode::kHreT, "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081106_P048-00.grib2", 2019, 8, 11, 54},
      {AppCode::kRdrP, "CMC_RADAR_PRECIPRATE_201908111200_x.grib2", 2019, 8, 11, 12},
      // The precipitation analysis in its three name layouts.
      {AppCode::kCapa, "CMC_RDPA_APCP-024-0100cutoff_SFC_0_ps10km_2023121806_000.grib2", 2023, 12, 18, 6},
      {AppCode::kCapa, "CMC_RDPA_APCP-006_SFC_0_ps10km_2023121812_000.grib2", 2023, 12, 18, 12},
      {AppCode::kCapa, "2023121800_000_CMC_RDPA_APCP-024-0100cutoff.grib2", 2023, 12, 18, 0},
      // "CMC" at 16-18 without "cutoff" at 38-43 reads its first ten characters too.
      {AppCode::kCapa, "2023121818_000_CMC_RDPA_APCP-006_SFC_0_ps10km.grib2", 2023, 12, 18, 18},
  };
  std::set<AppCode> covered;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform.out_lines.clear();
    extract(c.code, c.name);
    covered.insert(c.code);
    EXPECT_EQ(state.file_year, c.year);
    EXPECT_EQ(state.file_month, c.month);
    EXPECT_EQ(state.file_day, c.day);
    EXPECT_EQ(state.file_hour, c.hour);
    EXPECT_EQ(platform.out_lines, std::vector<std::string>{kStars});
  }
  EXPECT_EQ(covered.size(), std::size(kAllAppCodes));
}

// Only two digits giving 0 to 23 are a run hour; anything else there counts
// as the 00 run, and the analyses never look for one.
TEST_F(FileTimeTest, ARunHourCountsOnlyWhenItIsAnHour) {
  struct Case {
    AppCode code;
    const char* name;
    int hour;
  } cases[] = {
      {AppCode::kRdpsTmpFc, "20240612T23Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2", 24},
      {AppCode::kRdpsTmpFc, "20240612T24Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2", 1},
      {AppCode::kRdpsTmpFc, "20240612TxxZ_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2", 1},
      {AppCode::kRdpsTmpFc, "20240612T 6Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2", 1},
      {AppCode::kRdpsTmpFc, "20240612T+6Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2", 1},
      {AppCode::kRdpsPcpFc, "20240612_06Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT084H.grib2", 90},
      {AppCode::kRegT, "CMC_reg_TMP_TGL_2_ps10km_20190811_6_P024.grib2", 24},
      {AppCode::kHreT, "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081199_P048-00.grib2", 48},
      // The analyses read their own hour and nothing more.
      {AppCode::kRdpa, "20231218T18Z_MSC_RDPA_APCP-Accum6h_Sfc.grib2", 18},
      {AppCode::kRdpaPrelim, "20231218T12Z_MSC_RDPA-Prelim_APCP-Accum6h_Sfc.grib2", 12},
      {AppCode::kCapa15, "2023121806_000_CMC_RDPA_APCP-024-0100cutoff.grib2", 6},
      {AppCode::kRdrP, "CMC_RADAR_PRECIPRATE_201908111812_x.grib2", 18},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    extract(c.code, c.name);
    EXPECT_EQ(state.file_hour, c.hour);
  }
}

TEST_F(FileTimeTest, DecoderPartsAreFixed) {
  set_decoder_parts(&state);
  EXPECT_EQ(state.decoder_name.view(), "wgrib2" + std::string(17, ' '));
  EXPECT_EQ(state.decoder_option.view(), " -text");
}

TEST_F(FileTimeTest, ACapaNameWithoutCmcStopsAt343) {
  try {
    extract(AppCode::kCapa, "xyzRDPA_APCP-024-0100cutoff_SFC_0_ps10km_2023121806_000.grib2");
    ADD_FAILURE() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.message, "");
    EXPECT_EQ(stop.exit_status, 1);
  }
  EXPECT_EQ(platform.out_lines, (std::vector<std::string>{
                                    " Error:",
                                    " Filename incorrect",
                                    " 1st 3 chrs xyz not= `CMC`",
                                    " tallowgat aborted @ 343",
                                }));
  EXPECT_EQ(state.file_year, 2025);
  EXPECT_TRUE(platform.err_lines.empty());
}

// Names whose fields cannot all be read; every field is still read, and a
// failed one keeps the value it had.
TEST_F(FileTimeTest, AnUnreadableFieldStopsAfterThe390Pause) {
  struct Case {
    AppCode code;
    const char* name;
    const char* values;  // the four values the failure line shows
  } cases[] = {
      // A non-numeric year with a numeric hour.
      {AppCode::kCapa10, "abcd081112.grib2", "        2025           8          11          12"},
      {AppCode::kRegT, "CMC_reg_TMP_TGL_2_ps10km_2019081112_Pxx4.grib2",
       "        2019           8          11          12"},
      // A blank between digits, a decimal point.
      {AppCode::kRdpa, "20 31218T06Z.grib2", "        2025          12          18           6"},
      {AppCode::kRdpa, "2023121.T06Z.grib2", "        2023          12          24           6"},
      // A name too short for its positions leaves blank fields.
      {AppCode::kGlbP, "CMC_glb_APCP_SFC_0.grib2", "        2025           8          24          12"},
      // An RDPA name of another product.
      {AppCode::kCapa15, "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2",
       "        2025           8          24          12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform = FakePlatform();
    platform.input = {"echo", ""};
    state = RunState();
    state.file_year = 2025;
    state.file_month = 8;
    state.file_day = 24;
    state.file_hour = 12;
    state.APP = "anything typed as the code, longer than fifty characters in all";
    try {
      extract(c.code, c.name);
      ADD_FAILURE() << "no stop";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.message, "");
      EXPECT_EQ(stop.exit_status, 1);
    }
    Text<256> name(c.name);
    EXPECT_EQ(platform.out_lines, (std::vector<std::string>{
                                      "",
                                      " Error:",
                                      " Aplication = anything typed as the code, longer than fifty char",
                                      " filename = " + std::string(name.view()),
                                      " Check is this is correct",
                                      std::string(" Error reading yyyymmdd  hh:") + c.values,
                                      " @ 390  -  hit Enter to abort",
                                      " @ 390  -  hit Enter to abort",
                                  }));
    EXPECT_EQ(platform.shell_commands, std::vector<std::string>{"echo"});
  }
}

TEST_F(FileTimeTest, SignsAndBlanksAroundDigitsAreRead) {
  extract(AppCode::kCapa10, " 201+8-1 2x.grib2");
  EXPECT_EQ(state.file_year, 201);
  EXPECT_EQ(state.file_month, 8);
  EXPECT_EQ(state.file_day, -1);
  EXPECT_EQ(state.file_hour, 2);
}

}  // namespace
}  // namespace tallowgate
