#include "input/listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

// Product files of several kinds, in the order the directory command lists them.
const std::vector<std::string> kNames = {
    "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2",
    "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2",
    "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2",
    "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2",
    "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2",
    "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2",
    "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2",
    "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2",
};

// A listing as the Windows directory command writes it, with a date column of
// ten characters ("08/24/2025", names from column 40) or of eight ("08/24/25",
// names from column 38), and its own line ends.
std::string windows_listing(const std::vector<std::string>& names, bool short_date) {
  const std::string date = short_date ? "08/24/25" : "08/24/2025";
  std::string s =
      " Volume in drive D is DATA\r\n Volume Serial Number is 1A2B-3C4D\r\n\r\n"
      " Directory of D:\\GRIB2\\prod\\202508\r\n\r\n";
  for (const std::string& name : names) s += date + "  01:05 PM         1,234,567 " + name + "\r\n";
  s += "               8 File(s)      9,876,536 bytes\r\n";
  s += "               0 Dir(s)  12,345,678,912 bytes free\r\n";
  return s;
}

// Columns `first` to `last` (1-based) of `text`, blank padded.
std::string cols(const std::string& text, std::size_t first, std::size_t last) {
  std::string s = first <= text.size() ? text.substr(first - 1, last - first + 1) : "";
  s.resize(last - first + 1, ' ');
  return s;
}

struct ListingTest : testing::Test {
  FakePlatform platform;
  RunState state;

  void read(AppCode code, const std::string& listing) {
    platform.files[std::string(kListingPath)] = listing;
    state.code = code;
    read_listing(&platform, &state);
  }
};

// What every selection row keeps and echoes from one listing of the eight
// product files. The names are read from their own column whatever the width
// of the date column; the echoes are those of the 10-character dates.
TEST_F(ListingTest, EverySelectionRowKeepsAndEchoesItsProduct) {
  struct Case {
    std::vector<AppCode> codes;
    std::vector<std::string> echo;  // the 10-character dates' console lines
    std::vector<std::string> kept;  // FLN entries 1 to file_count
  };
  // clang-format off
  const Case cases[] = {
      {{AppCode::kCapa15, AppCode::kCapa10, AppCode::kCapa},
       {" 25",
        "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2 ",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.gr",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2        ",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2         ",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2    ",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2     ",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2               ",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2                ",
        " bytes                                                        ",
        " bytes free                                                   ",
        " # files =           8"},
       {"20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.gr",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"}},
      {{AppCode::kRdpa, AppCode::kRdpsTmpHc},
       {" 25",
        "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2",
        " bytes",
        " bytes free",
        " # files =           8"},
       {"20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"}},
      {{AppCode::kRdpsPcpFc},
       {" 25",
        " 20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2           ",
        " 20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2       ",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2       ",
        " CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2                  ",
        " CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2                   ",
        " CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2              ",
        " CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2               ",
        " CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2                         ",
        " CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2                          ",
        "  bytes                                                                  ",
        "  bytes free                                                             ",
        " # files =           1"},
       {"20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2"}},
      {{AppCode::kRdpsTmpFc},
       {" 25",
        " 20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2           ",
        " MSC_RDPS_AirTemp",
        "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2           ",
        " 20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2       ",
        " MSC_RDPS_Precip-",
        " CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2                  ",
        " SFC_0_latlon.15x",
        " CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2                   ",
        " GL_2_latlon.15x.",
        " CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2              ",
        " t_APCP_SFC_0_ps2",
        " CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2               ",
        " t_TMP_TGL_2_ps2.",
        " CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2                         ",
        " SFC_0_ps10km_202",
        " CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2                          ",
        " GL_2_ps10km_2019",
        "  bytes                                                                  ",
        "                 ",
        "  bytes free                                                             ",
        "                 ",
        " # files =           1"},
       {"20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2"}},
      {{AppCode::kRdpaPrelim},
       {" 25",
        "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2       ",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2   ",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2              ",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2               ",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2          ",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2           ",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2                     ",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2                      ",
        " bytes                                                              ",
        " bytes free                                                         ",
        " # files =           8"},
       {"20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"}},
      {{AppCode::kRglT},
       {" 25",
        "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatL",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P0",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P00",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P0",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2",
        " bytes                                        ",
        " bytes free                                   "},
       {"20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT001H.grib2",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.gr",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"}},
      {{AppCode::kRegP},
       {" 25",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2"},
       {"CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2"}},
      {{AppCode::kRegT},
       {" 25",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"},
       {"CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2"}},
      {{AppCode::kGlbP, AppCode::kGlbSP},
       {" 25",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2"},
       {"CMC_glb_APCP_SFC_0_latlon.15x.15_2020081000_P024.grib2"}},
      {{AppCode::kGlbT, AppCode::kGlbST},
       {" 25",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2"},
       {"CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2"}},
      {{AppCode::kHreP},
       {" 25",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00."},
       {"CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081112_P024-00.grib2"}},
      {{AppCode::kHreT},
       {" 25",
        "    CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.g"},
       {"CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2"}},
      {{AppCode::kRdrP},
       {" 25",
        "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLat",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_20200810",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_202008100",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_20190811",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.",
        " bytes                                   ",
        " bytes free                              ",
        " # files =           8"},
       {"20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLat",
        "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_",
        "CMC_glb_APCP_SFC_0_latlon.15x.15_20200810",
        "CMC_glb_TMP_TGL_2_latlon.15x.15_202008100",
        "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2019081",
        "CMC_hrdps_east_TMP_TGL_2_ps2.5km_20190811",
        "CMC_reg_APCP_SFC_0_ps10km_2024061200_P001",
        "CMC_reg_TMP_TGL_2_ps10km_2019081112_P024."}},
  };
  // clang-format on
  std::size_t codes_seen = 0;
  for (const Case& c : cases) {
    for (AppCode code : c.codes) {
      ++codes_seen;
      for (bool short_date : {false, true}) {
        SCOPED_TRACE(std::string(app_code_text(code)) +
                     (short_date ? " 8-character date" : " 10-character date"));
        platform = FakePlatform();
        state = RunState();
        read(code, windows_listing(kNames, short_date));
        if (!short_date) {
          EXPECT_EQ(platform.out_lines, c.echo);
        }
        ASSERT_EQ(state.file_count, static_cast<int>(c.kept.size()));
        for (std::size_t k = 0; k < c.kept.size(); ++k) {
          EXPECT_EQ(state.FLN[k], c.kept[k]) << "entry " << k + 1;
        }
        EXPECT_EQ(state.FLN.size(), static_cast<std::size_t>(kMaxFiles));
      }
    }
  }
  EXPECT_EQ(codes_seen, kAppCodeCount);
}

// Cuts, indents and the summary lines of a keep-all row, on both date columns.
TEST_F(ListingTest, CutsNamesAndEchoesAsLaidOut) {
  read(AppCode::kHreT, windows_listing(kNames, false));
  EXPECT_EQ(platform.out_lines, (std::vector<std::string>{
                                    " 25",
                                    "    CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.g",
                                }));
  EXPECT_EQ(state.FLN[0], "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2");

  platform = FakePlatform();
  state = RunState();
  read(AppCode::kRdrP, windows_listing(kNames, true));
  EXPECT_EQ(platform.out_lines[1], "20240612T00Z_MSC_RDPS_AirTemp_AGL-2m_RLat");
  // The summary lines are read as entries too, from the same column.
  EXPECT_EQ(platform.out_lines[9], "36 bytes                                 ");
  EXPECT_EQ(platform.out_lines[10], "12 bytes free                            ");
  EXPECT_EQ(platform.out_lines[11], " # files =           8");
  EXPECT_EQ(state.FLN[8], "36 bytes");

  platform = FakePlatform();
  state = RunState();
  read(AppCode::kRdpsPcpFc, windows_listing(kNames, false));
  EXPECT_EQ(platform.out_lines[3],
            "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2       ");
  EXPECT_EQ(state.FLN[0], "20240612T00Z_MSC_RDPS_Precip-Accum1h_Sfc_RLatLon0.09_PT001H.grib2");
}

TEST_F(ListingTest, KeptEntriesAreContiguousAndANameTestThatKeepsNothingCountsZero) {
  read(AppCode::kRegP, windows_listing({"CMC_reg_APCP_a.grib2", "CMC_reg_TMP_b.grib2", "CMC_reg_APCP_c.grib2",
                                        "cmc_reg_APCP_d.grib2"},
                                       false));
  EXPECT_EQ(state.file_count, 2);
  EXPECT_EQ(state.FLN[0], "CMC_reg_APCP_a.grib2");
  EXPECT_EQ(state.FLN[1], "CMC_reg_APCP_c.grib2");

  for (AppCode code : {AppCode::kRdpsTmpFc, AppCode::kGlbT}) {
    platform = FakePlatform();
    state = RunState();
    read(code, windows_listing({"CMC_reg_APCP_a.grib2"}, false));
    EXPECT_EQ(state.file_count, 0);
    if (code == AppCode::kGlbT) {
      EXPECT_EQ(platform.out_lines, std::vector<std::string>{" 25"});
    } else {
      ASSERT_FALSE(platform.out_lines.empty());
      EXPECT_EQ(platform.out_lines.back(), " # files =           0");
    }
  }
}

std::string many_names(int n, const std::string& prefix) {
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back(prefix + std::to_string(1000 + i) + ".grib2");
  return windows_listing(names, false);
}

TEST_F(ListingTest, TheFileListHoldsNineHundredNinetyNineEntries) {
  read(AppCode::kRegP, many_names(999, "CMC_reg_APCP_"));
  EXPECT_EQ(state.file_count, 999);
  EXPECT_EQ(state.FLN[998], "CMC_reg_APCP_1998.grib2");

  // A selection without a name test stores the summary lines too.
  platform = FakePlatform();
  state = RunState();
  read(AppCode::kCapa, many_names(997, "x"));
  EXPECT_EQ(state.file_count, 997);

  // The line that would need a 1000th entry gets no echo: for capa the second
  // summary line, for regP the 1000th name.
  const struct {
    AppCode code;
    std::string listing;
    std::size_t echo_width;
  } full[] = {
      {AppCode::kRegP, many_names(1000, "CMC_reg_APCP_"), 47},
      {AppCode::kCapa, many_names(998, "x"), 62},
  };
  for (const auto& c : full) {
    platform = FakePlatform();
    state = RunState();
    try {
      read(c.code, c.listing);
      ADD_FAILURE() << "a 1000th entry was accepted";
    } catch (const IoError& e) {
      EXPECT_EQ(e.path, "grib_list.txt");
      EXPECT_EQ(e.reason, "more than 999 entries for the file list");
    }
    EXPECT_EQ(state.FLN.size(), static_cast<std::size_t>(kMaxFiles));
    ASSERT_EQ(platform.out_lines.size(), 1u + 999u);  // the name column's echo, then entries 1 to 999
    EXPECT_EQ(platform.out_lines.back(), state.FLN[998].columns(1, c.echo_width));
  }
}

TEST_F(ListingTest, AListingOfFewerThanSixLinesMeansNoGrib2File) {
  try {
    read(AppCode::kRegP,
         " Volume in drive C has no label.\n Volume Serial Number is 0000-0000\n\n Directory of /x\n\n");
    ADD_FAILURE() << "no error";
  } catch (const IoError& e) {
    EXPECT_EQ(e.path, "grib_list.txt");
    EXPECT_EQ(e.reason, "fewer than six lines: the working directory holds no *.grib2 file");
  }
  EXPECT_TRUE(platform.out_lines.empty());
}

TEST_F(ListingTest, AListingThatCannotBeOpenedPausesThenEnds) {
  platform.input = {"ls", ""};
  state.code = AppCode::kRegP;
  try {
    read_listing(&platform, &state);
    ADD_FAILURE() << "no error";
  } catch (const IoError& e) {
    EXPECT_EQ(e.path, "grib_list.txt");
    EXPECT_EQ(e.reason, "No such file or directory");
  }
  EXPECT_EQ(platform.out_lines, (std::vector<std::string>{
                                    " Error: problem opening grib_list.txt",
                                    "  tallowgat paused trying to open this file",
                                    "  tallowgat paused trying to open this file",
                                }));
  EXPECT_EQ(platform.shell_commands, std::vector<std::string>{"ls"});
}

// The fake lists every file with the modification time 2025-08-24 13:05.
TEST_F(ListingTest, WritesTheListingInTheDirectoryCommandsLayout) {
  platform.files = {
      {"b.grib2", std::string(1234567, 'x')},  {"a.GRIB2", "12"},    {"A.grib2", ""},
      {"_x.grib2", std::string(1234, 'x')},    {"notes.txt", "x"},   {"b.grib2.idx", "x"},
      {"grib_list.txt", "an earlier listing"}, {"sub/c.grib2", "x"},
  };
  std::string err;
  ASSERT_TRUE(write_listing(&platform, &err));
  EXPECT_EQ(platform.files["grib_list.txt"],
            " Volume in drive C has no label.\n"
            " Volume Serial Number is 0000-0000\n"
            "\n"
            " Directory of /data/GRIB2/prod/202508\n"
            "\n"
            "08/24/2025  01:05 PM             1,234 _x.grib2\n"
            "08/24/2025  01:05 PM                 0 A.grib2\n"
            "08/24/2025  01:05 PM                 2 a.GRIB2\n"
            "08/24/2025  01:05 PM         1,234,567 b.grib2\n"
            "               4 File(s)      1,235,803 bytes\n"
            "               0 Dir(s)     123,456,789 bytes free\n");
  EXPECT_TRUE(platform.err_lines.empty());

  platform.files = {{"notes.txt", "x"}};
  ASSERT_TRUE(write_listing(&platform, &err));
  EXPECT_EQ(platform.files["grib_list.txt"],
            " Volume in drive C has no label.\n Volume Serial Number is 0000-0000\n\n"
            " Directory of /data/GRIB2/prod/202508\n\n");
}

// A name holding a line end would read back as two listing lines, its tail
// passing for a file of its own.
TEST_F(ListingTest, NamesHoldingControlCharactersAreLeftOutAndCounted) {
  platform.files = {
      {"a.grib2", "12"},
      {"b\n08.24.2025  01:05 PM                 0 CMC_reg_TMP_x.grib2", ""},
      {std::string("c\r\td\x7f.grib2"), ""},
      {"d\x01.grib2", ""},
      {"e\x01.txt", ""},  // not listed anyway, so not counted
  };
  std::string err;
  ASSERT_TRUE(write_listing(&platform, &err));
  EXPECT_EQ(platform.files["grib_list.txt"],
            " Volume in drive C has no label.\n Volume Serial Number is 0000-0000\n\n"
            " Directory of /data/GRIB2/prod/202508\n\n"
            "08/24/2025  01:05 PM                 2 a.grib2\n"
            "               1 File(s)              2 bytes\n"
            "               0 Dir(s)     123,456,789 bytes free\n");
  EXPECT_EQ(
      platform.err_lines,
      std::vector<std::string>{"tallowgate: 3 file names hold a control character and cannot be one line "
                               "of grib_list.txt: left out"});
}

TEST_F(ListingTest, AnOverlongListingLineEndsTheRun) {
  const std::string overlong(kMaxLineLength + 1, 'x');
  const std::string head = "h1\nh2\nh3\nh4\nh5\n08/24/2025  01:05 PM                 0 CMC_reg_TMP_a.grib2\n";
  const struct {
    const char* name;
    std::string listing;
  } cases[] = {
      {"among the header lines", "h1\n" + overlong + "\nh3\nh4\nh5\nline 6\n"},
      {"among the file lines", head + overlong + "\n" + "08/24/2025  01:05 PM    0 CMC_reg_TMP_b.grib2\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform.files = {{"grib_list.txt", c.listing}};
    platform.out_lines.clear();
    state.code = AppCode::kRegT;
    try {
      read_listing(&platform, &state);
      ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
      EXPECT_EQ(e.path, "grib_list.txt");
      EXPECT_EQ(e.reason, "a line longer than 1048576 bytes");
    }
  }
}

TEST_F(ListingTest, AListingThatCannotBeWrittenIsNeverRead) {
  platform.files = {{"CMC_reg_APCP_a.grib2", ""}};
  platform.fail_writes_to("grib_list.txt");
  state.code = AppCode::kRegP;
  try {
    list_and_select(&platform, &state);
    ADD_FAILURE() << "no error";
  } catch (const IoError& e) {
    EXPECT_EQ(e.path, "grib_list.txt");
    EXPECT_EQ(e.reason, "No space left on device");
  }
  EXPECT_EQ(platform.err_lines,
            std::vector<std::string>{"tallowgate: cannot write grib_list.txt: No space left on device"});
  EXPECT_EQ(platform.files.count("grib_list.txt"), 0u) << "no half-written listing is left";
  EXPECT_EQ(platform.out_lines, (std::vector<std::string>{
                                    " Error: problem opening grib_list.txt",
                                    "  tallowgat paused trying to open this file",
                                }));
  EXPECT_EQ(state.file_count, 0);
}

TEST_F(ListingTest, ListsAndSelectsTheWorkingDirectory) {
  platform.files = {{"CMC_reg_TMP_b.grib2", ""}, {"CMC_reg_TMP_a.grib2", ""}, {"CMC_glb_TMP_c.grib2", ""}};
  state.code = AppCode::kRegT;
  list_and_select(&platform, &state);
  EXPECT_EQ(platform.out_lines, (std::vector<std::string>{" 25", cols("CMC_reg_TMP_a.grib2", 1, 46),
                                                          cols("CMC_reg_TMP_b.grib2", 1, 46)}));
  EXPECT_EQ(state.file_count, 2);
}

}  // namespace
}  // namespace tallowgate
