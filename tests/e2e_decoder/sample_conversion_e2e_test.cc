// Generated product directories converted by the real program with the
// project's GRIB2 decoder: every value of every frame is compared with the
// generator's value function, capped and laid out with printf, in the
// product's row order.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_tree.h"
#include "r2c_frames.h"
#include "sample_products.h"
#include "sample_values.h"
#include "sample_writer.h"

namespace tallowgate::e2e {
namespace {

// The creation date of the golden headers.
constexpr const char* kClock = "2024-01-05 07:03:30";

struct SampleCase {
  const char* code;
  // Positions among the code's first kMaxSampleFiles sample files, in name order.
  std::vector<int> picks;
  const char* output;  // below the drive root, for the date key 20240105
  const char* name;
  std::size_t name_stored;
  float cap;
  int decimals;
  bool north_first;
  const char* cap_text;
};

const SampleCase kCases[] = {
    // Forecast hour 30 of the 24 August run is 25 August 06:00.
    {"regT", {0, 1, 5}, "kestrano/CMC/regl/regl_tmp.r2c", "Regl tmp", 13, 400.0f, 2, true, "  400.00"},
    {"regP", {0, 3}, "kestrano/CMC/regl/regl_apcp.r2c", "Regl apcp", 14, 99.0f, 4, true, " 99.0000"},
    // CaPA 10 km keeps the dump's row order: the southern row first.
    {"capa10",
     {1, 4, 5},
     "kestrano/CMC/CaPA/20240105_capa.r2c",
     "rdps apcp",
     13,
     99.0f,
     4,
     false,
     " 99.0000"},
    {"RDPA", {0, 3}, "kestrano/CMC/RDPA/20240101_RDPA.r2c", "RDPA", 13, 99.0f, 4, true, " 99.0000"},
    {"RDPS-TMP-FC", {0, 4}, "kestrano/CMC/regl/RDPS_tmp.r2c", "RDPS-TMP-FC", 13, 400.0f, 2, true, "  400.00"},
    {"hreP", {0, 3}, "kestrano/CMC/hrdps/hrdps_apcp.r2c", "HRDPS apcp", 13, 99.0f, 4, true, " 99.0000"},
    // The global grid is the largest: one file.
    {"glbT", {4}, "kestrano/CMC/glb/glb_tmp.r2c", "glb tmp", 13, 400.0f, 2, true, "  400.00"},
};

class SampleConversion : public ::testing::TestWithParam<SampleCase> {};

std::string case_name(const ::testing::TestParamInfo<SampleCase>& info) {
  std::string name;
  for (const char c : std::string(info.param.code)) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  }
  return name;
}

void PrintTo(const SampleCase& c, std::ostream* os) { *os << c.code; }

TEST_P(SampleConversion, EveryValueOfEveryFrameMatchesTheGenerator) {
  const SampleCase& c = GetParam();
  E2eTree tree;
  tree.set_clock(kClock);
  tree.set_env("PATH", "/usr/bin:/bin");
  tree.install_decoder_from(DECODER_BINARY);
  tree.make_dir(tree.in_drive(std::filesystem::path(c.output).parent_path().string()));

  const std::vector<SampleFile> all = sample_files(c.code, kMaxSampleFiles);
  std::vector<SampleFile> files;
  for (const int pick : c.picks) {
    ASSERT_LT(static_cast<std::size_t>(pick), all.size());
    files.push_back(all[static_cast<std::size_t>(pick)]);
    std::string message, err;
    ASSERT_TRUE(encode_sample_file(files.back(), &message, &err)) << files.back().name << ": " << err;
    tree.write_file(tree.in_work(files.back().name), message);
  }

  const RunResult r = tree.run({c.code});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Found bad frame"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find(" error\n"), std::string::npos) << r.out;
  for (const std::string& name : E2eTree::list(tree.work())) {
    EXPECT_NE(name.rfind("temp_", 0), 0u) << name << ": every dump is read and deleted";
  }

  const SampleGrid grid = files.front().family.grid;
  const SampleGridSize size = sample_grid_size(grid);
  const std::string text = E2eTree::read_file(tree.in_drive(c.output));
  const R2cFile r2c = read_r2c(text);
  EXPECT_TRUE(r2c.ends_with_line_end);
  EXPECT_EQ(header_line(r2c, ":Name"), name_line(c.name, c.name_stored));
  EXPECT_EQ(header_line(r2c, ":xCount"), count_line(":xCount", size.ni));
  EXPECT_EQ(header_line(r2c, ":yCount"), count_line(":yCount", size.nj));
  const std::filesystem::path golden =
      std::filesystem::path(TALLOWGATE_GOLDEN_DIR) / "header" /
      (std::string(c.code) + "_" + std::to_string(size.ni) + "x" + std::to_string(size.nj) + ".r2c");
  if (E2eTree::exists(golden)) {
    const std::string header = E2eTree::read_file(golden);
    EXPECT_EQ(text.substr(0, header.size()), header) << "header differs from " << golden;
  }
  EXPECT_EQ(r2c.bare_end_lines, 0);
  EXPECT_TRUE(r2c.stray.empty()) << r2c.stray.front();
  ASSERT_EQ(r2c.frames.size(), files.size());

  std::string expected;
  for (std::size_t f = 0; f < files.size(); ++f) {
    const SampleFile& file = files[f];
    SCOPED_TRACE(file.name);
    const R2cFrame& frame = r2c.frames[f];
    const SampleTime valid = sample_time(file.step());
    const int number = static_cast<int>(f) + 1;
    const std::string line = frame_line(number, valid.year, valid.month, valid.day, valid.hour);
    EXPECT_EQ(frame.line, line);
    EXPECT_NE(r.out.find("\n" + line + "\n"), std::string::npos) << "console echo of frame " << number;
    EXPECT_TRUE(frame.ended);
    ASSERT_EQ(frame.rows.size(), static_cast<std::size_t>(size.nj));

    int rows_differing = 0;
    for (int row = 0; row < size.nj; ++row) {
      const int j = c.north_first ? size.nj - 1 - row : row;
      expected.clear();
      for (int i = 0; i < size.ni; ++i) {
        const float value =
            file.bitmap && sample_missing(grid, i, j) ? c.cap : sample_value(file.family, i, j, file.step());
        append_expected_field(&expected, value, c.cap, c.decimals);
      }
      const std::string differences =
          row_differences(frame.rows[static_cast<std::size_t>(row)], expected,
                          "row " + std::to_string(row) + " (j " + std::to_string(j) + ")");
      if (!differences.empty() && ++rows_differing <= 3) ADD_FAILURE() << differences;
    }
    EXPECT_EQ(rows_differing, 0) << "rows differing from the generator's values";

    // The corner points the bitmap leaves out show the cap: the south-west one
    // opens the southern row, the north-east one closes the northern row.
    if (file.bitmap) {
      const std::string_view south = frame.rows[c.north_first ? frame.rows.size() - 1 : 0];
      const std::string_view north = frame.rows[c.north_first ? 0 : frame.rows.size() - 1];
      EXPECT_EQ(south.substr(0, 8), std::string_view(c.cap_text));
      EXPECT_EQ(north.substr(north.size() - 8), std::string_view(c.cap_text));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Products, SampleConversion, ::testing::ValuesIn(kCases), case_name);

}  // namespace
}  // namespace tallowgate::e2e
