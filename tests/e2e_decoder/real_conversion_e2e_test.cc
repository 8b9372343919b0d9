// Real product files converted by the real program with the project's GRIB2
// decoder: each frame must hold the first grid of the reference decoder's
// dump of the same file, capped and laid out with printf, in the product's
// row order. So an r2c file made here equals one made with the reference
// decoder.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "e2e_tree.h"
#include "r2c_frames.h"

namespace tallowgate::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kRealDir = fs::path(TALLOWGATE_SHARED_DATA) / "decoder" / "real";

struct RealCase {
  const char* file;
  const char* code;
  const char* output;  // below the drive root, for the date key 20250824
  float cap;
  int decimals;
  // The frame time: the forecast hour counted from the run's hour, or the
  // analysis time.
  int year, month, day, hour;
  int grids;  // in the reference dump
};

const RealCase kCases[] = {
    {"CMC_reg_TMP_TGL_2_ps10km_2019081112_P024.grib2", "regT", "kestrano/CMC/regl/regl_tmp.r2c", 400.0f, 2,
     2019, 8, 12, 12, 1},
    {"CMC_glb_TMP_TGL_2_latlon.15x.15_2020081000_P000.grib2", "glbT", "kestrano/CMC/glb/glb_tmp.r2c", 400.0f,
     2, 2020, 8, 10, 0, 1},
    {"CMC_hrdps_east_TMP_TGL_2_ps2.5km_2019081112_P024-00.grib2", "hreT", "kestrano/CMC/hrdps/hrdps_tmp.r2c",
     400.0f, 2, 2019, 8, 12, 12, 1},
    {"CMC_reg_APCP_SFC_0_ps10km_2024061200_P001.grib2", "regP", "kestrano/CMC/regl/regl_apcp.r2c", 99.0f, 4,
     2024, 6, 12, 1, 1},
    // Two messages, of which the converter reads the first grid: "cutoff" at
    // 23-28, the analysis time at 43-52.
    {"CMC_RDPA_APCP-024-0100cutoff_SFC_0_ps10km_2023121806_000.grib2", "capa",
     "kestrano/CMC/CaPA/20250801_capa.r2c", 99.0f, 4, 2023, 12, 18, 6, 2},
};

// The reference dump's first grid: its counts and values in dump order
// (southern row first), with how many grids the dump holds.
struct ReferenceGrid {
  int ni = 0;
  int nj = 0;
  std::vector<float> values;
  int grids = 0;
  std::string error;
};

std::string gunzip(const fs::path& path) {
  const std::string command = "gunzip -c '" + path.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string text;
  std::array<char, 1 << 16> buffer{};
  std::size_t got = 0;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) text.append(buffer.data(), got);
  pclose(pipe);
  return text;
}

ReferenceGrid read_reference(const fs::path& dump_gz) {
  ReferenceGrid grid;
  const std::string text = gunzip(dump_gz);
  const char* at = text.c_str();
  char* end = nullptr;
  while (*at != '\0') {
    const long ni = std::strtol(at, &end, 10);
    const long nj = std::strtol(end, &end, 10);
    if (ni < 1 || nj < 1 || ni > 100000 || nj > 100000) {
      grid.error = "no counts line at byte " + std::to_string(at - text.c_str());
      return grid;
    }
    ++grid.grids;
    const bool first = grid.grids == 1;
    if (first) {
      grid.ni = static_cast<int>(ni);
      grid.nj = static_cast<int>(nj);
      grid.values.reserve(static_cast<std::size_t>(ni * nj));
    }
    for (long n = 0; n < ni * nj; ++n) {
      const char* value_at = end;
      const float value = std::strtof(value_at, &end);
      if (end == value_at) {
        grid.error = "grid " + std::to_string(grid.grids) + " ends after " + std::to_string(n) + " values";
        return grid;
      }
      if (first) grid.values.push_back(value);
    }
    while (std::isspace(static_cast<unsigned char>(*end))) ++end;
    at = end;
  }
  if (grid.grids == 0) grid.error = "empty dump";
  return grid;
}

class RealConversion : public ::testing::TestWithParam<RealCase> {};

std::string case_name(const ::testing::TestParamInfo<RealCase>& info) { return info.param.code; }
void PrintTo(const RealCase& c, std::ostream* os) { *os << c.file; }

TEST_P(RealConversion, FrameHoldsTheReferenceDumpsFirstGrid) {
  const RealCase& c = GetParam();
  const fs::path grib = kRealDir / c.file;
  if (!E2eTree::exists(grib)) GTEST_SKIP() << grib << " is not here";
  const ReferenceGrid reference = read_reference(kRealDir / (fs::path(c.file).stem().string() + ".dump.gz"));
  ASSERT_EQ(reference.error, "");
  EXPECT_EQ(reference.grids, c.grids);

  E2eTree tree;
  tree.set_env("PATH", "/usr/bin:/bin");
  tree.install_decoder_from(DECODER_BINARY);
  tree.make_dir(tree.in_drive(fs::path(c.output).parent_path().string()));
  fs::create_symlink(grib, tree.in_work(c.file));

  const RunResult r = tree.run({c.code});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Found bad frame"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find(" error\n"), std::string::npos) << r.out;

  const std::string text = E2eTree::read_file(tree.in_drive(c.output));
  const R2cFile r2c = read_r2c(text);
  EXPECT_EQ(header_line(r2c, ":xCount"), count_line(":xCount", reference.ni));
  EXPECT_EQ(header_line(r2c, ":yCount"), count_line(":yCount", reference.nj));
  EXPECT_EQ(r2c.bare_end_lines, 0);
  EXPECT_TRUE(r2c.stray.empty()) << r2c.stray.front();
  ASSERT_EQ(r2c.frames.size(), 1u);
  const R2cFrame& frame = r2c.frames.front();
  const std::string line = frame_line(1, c.year, c.month, c.day, c.hour);
  EXPECT_EQ(frame.line, line);
  EXPECT_NE(r.out.find("\n" + line + "\n"), std::string::npos) << "console echo of the frame";
  EXPECT_TRUE(frame.ended);
  ASSERT_EQ(frame.rows.size(), static_cast<std::size_t>(reference.nj));

  // Dump order for CaPA 10 and 15 km only; these products write the northern row first.
  std::string expected;
  int rows_differing = 0;
  for (int row = 0; row < reference.nj; ++row) {
    const int j = reference.nj - 1 - row;
    expected.clear();
    const float* values = reference.values.data() + static_cast<std::ptrdiff_t>(j) * reference.ni;
    for (int i = 0; i < reference.ni; ++i) append_expected_field(&expected, values[i], c.cap, c.decimals);
    const std::string differences =
        row_differences(frame.rows[static_cast<std::size_t>(row)], expected,
                        "row " + std::to_string(row) + " (dump row " + std::to_string(j) + ")");
    if (!differences.empty() && ++rows_differing <= 3) ADD_FAILURE() << differences;
  }
  EXPECT_EQ(rows_differing, 0) << "rows differing from the reference dump";
}

INSTANTIATE_TEST_SUITE_P(Files, RealConversion, ::testing::ValuesIn(kCases), case_name);

}  // namespace
}  // namespace tallowgate::e2e
