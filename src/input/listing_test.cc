#include "input/listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/command_line.h"
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

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  for (std::string& line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return lines;
}

// Columns `first` to `last` (1-based) of `text`, blank padded.
std::string cols(const std::string& text, std::size_t first, std::size_t last) {
  std::string s = first <= text.size() ? text.substr(first - 1, last - first + 1) : "";
  s.resize(last - first + 1, ' ');
  return s;
}

std::string trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
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

TEST_F(ListingTest, EverySelectionRowOnBothNameColumns) {
  for (bool short_date : {false, true}) {
    const std::string listing = windows_listing(kNames, short_date);
    const std::size_t column = short_date ? 37 : 39;
    // What follows the name column on every line the selection reads: the
    // eight file lines, then the two summary lines.
    std::vector<std::string> tail;
    for (const std::string& line : lines_of(listing)) {
      if (tail.size() < 5 + 10) tail.push_back(line.size() > column ? line.substr(column) : "");
    }
    tail.erase(tail.begin(), tail.begin() + 5);

    const auto every = [&](auto echo) {
      std::vector<std::string> out;
      for (const std::string& t : tail) {
        for (const std::string& line : echo(t)) out.push_back(line);
      }
      return out;
    };
    const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    // The two MSC rows echo every line free-form before the test, and a kept
    // one again after it.
    std::vector<std::string> air_temp_echo, precip_echo;
    for (std::size_t i = 0; i < tail.size(); ++i) {
      air_temp_echo.push_back(" " + cols(tail[i], 1, 72));
      air_temp_echo.push_back(" " + cols(tail[i], 14, 29));
      if (i == 0) air_temp_echo.push_back(cols(tail[0], 1, 72));
      precip_echo.push_back(" " + cols(tail[i], 1, 72));
      if (i == 1) precip_echo.push_back(cols(tail[1], 1, 72));
    }
    struct Case {
      AppCode code;
      std::size_t width;
      std::vector<int> kept;  // lines read whose name is stored, in order
      int count;
      std::vector<std::string> echo;
      bool count_line;
    };
    const auto fixed = [](std::size_t w) {
      return [w](const std::string& t) { return std::vector<std::string>{cols(t, 1, w)}; };
    };
    const auto trimmed = [](const std::string& t) { return std::vector<std::string>{trim(cols(t, 1, 256))}; };
    const Case cases[] = {
        {AppCode::kCapa15, 62, all, 8, every(fixed(62)), true},
        {AppCode::kCapa10, 62, all, 8, every(fixed(62)), true},
        {AppCode::kCapa, 62, all, 8, every(fixed(62)), true},
        {AppCode::kRdpa, 256, all, 8, every(trimmed), true},
        {AppCode::kRdpsTmpHc, 256, all, 8, every(trimmed), true},
        {AppCode::kRdpsTmpFc, 72, {0}, 1, air_temp_echo, true},
        {AppCode::kRdpsPcpFc, 72, {1}, 1, precip_echo, true},
        {AppCode::kRdpaPrelim, 68, all, 8, every(fixed(68)), true},
        {AppCode::kRglT, 62, all, 8, every(fixed(46)), false},
        {AppCode::kRegP, 47, {6}, 1, {cols(tail[6], 1, 47)}, false},
        {AppCode::kRegT, 46, {7}, 1, {cols(tail[7], 1, 46)}, false},
        {AppCode::kGlbP, 54, {2}, 1, {cols(tail[2], 1, 54)}, false},
        {AppCode::kGlbT, 53, {3}, 1, {cols(tail[3], 1, 53)}, false},
        {AppCode::kGlbSP, 54, {2}, 1, {cols(tail[2], 1, 54)}, false},
        {AppCode::kGlbST, 53, {3}, 1, {cols(tail[3], 1, 53)}, false},
        {AppCode::kHreP, 58, {4}, 1, {cols(tail[4], 1, 53)}, false},
        {AppCode::kHreT, 57, {5}, 1, {"    " + cols(tail[5], 1, 53)}, false},
        {AppCode::kRdrP, 41, all, 8, every(fixed(41)), true},
    };
    ASSERT_EQ(std::size(cases), std::size(kAllAppCodes));
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(app_code_text(c.code)) +
                   (short_date ? " 8-character date" : " 10-character date"));
      platform = FakePlatform();
      state = RunState();
      read(c.code, listing);
      std::vector<std::string> want = {short_date ? "   " : " 25"};
      want.insert(want.end(), c.echo.begin(), c.echo.end());
      if (c.count_line) want.push_back(" # files =" + std::string(11, ' ') + std::to_string(c.count));
      EXPECT_EQ(platform.out_lines, want);
      EXPECT_EQ(state.file_count, c.count);
      for (std::size_t k = 0; k < c.kept.size(); ++k) {
        EXPECT_EQ(state.FLN[k].view(), cols(tail[static_cast<std::size_t>(c.kept[k])], 1, c.width) +
                                           std::string(256 - c.width, ' '))
            << "entry " << k + 1;
      }
      EXPECT_TRUE(state.FLN[c.kept.size()].blank());
      EXPECT_EQ(state.FLN.size(), static_cast<std::size_t>(kMaxFiles));
    }
  }
}

// The same selections spelled out, so the expectations above cannot share a
// fault with the helpers that build them.
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
