// The real r2c-look on r2c files: the converter's own output of every application code, checked, summed
// up and drawn north up, and the tool's command line, exit status and console on small files.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_tree.h"
#include "look_fixtures.h"
#include "picture.h"
#include "sample_products.h"

namespace tallowgate::look {
namespace {

namespace fs = std::filesystem;
using e2e::E2eTree;

struct ToolResult {
  std::string out, err;
  int status = -1;
};

// Runs r2c-look with `args` in `dir`, its output and error stream redirected to files, so neither is a
// terminal.
ToolResult run_look(const fs::path& dir, const std::string& args) {
  const fs::path out = dir / "look.out", err = dir / "look.err";
  const std::string command = "cd '" + dir.string() + "' && '" R2C_LOOK_BINARY "' " + args + " >'" +
                              out.string() + "' 2>'" + err.string() + "' </dev/null";
  const int raw = std::system(command.c_str());
  ToolResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = E2eTree::read_file(out);
  result.err = E2eTree::read_file(err);
  fs::remove(out);
  fs::remove(err);
  return result;
}

// The first pixel of each of the map's top and bottom rows of a picture.
struct MapEdges {
  bool read = false;
  int width = 0, height = 0;
  Rgb top, bottom;
};

MapEdges map_edges(const fs::path& png, int x_count, int y_count) {
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create_from_png(png.string().c_str()), cairo_surface_destroy);
  MapEdges edges;
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return edges;
  const PictureLayout p = picture_layout(x_count, y_count);
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  auto at = [&](int x, int y) {
    const std::uint32_t v = *reinterpret_cast<const std::uint32_t*>(
        data + static_cast<std::ptrdiff_t>(y) * stride + 4 * static_cast<std::ptrdiff_t>(x));
    return Rgb{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
               static_cast<std::uint8_t>(v)};
  };
  edges.read = true;
  edges.width = cairo_image_surface_get_width(surface.get());
  edges.height = cairo_image_surface_get_height(surface.get());
  edges.top = at(p.map_x + 1, p.map_y);
  edges.bottom = at(p.map_x + 1, p.map_y + y_count * p.scale - 1);
  return edges;
}

// Every r2c file below `dir`.
std::vector<fs::path> r2c_files(const fs::path& dir) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file() && entry.path().extension() == ".r2c") found.push_back(entry.path());
  }
  return found;
}

// The output directories of every code below the drive root.
constexpr const char* kOutputDirs[] = {"CaPA",     "RDPA", "RDPS_tmp", "regl",    "RDPA_RLatLon",
                                       "regl_tmp", "glb",  "glb_apcp", "glb_tmp", "hrdps"};

// A decoder dump of `columns` x `rows`, southern row first as the decoder writes it: the southern row
// holds `south`, the northern `north`, the rows between `middle`, and the second row's first point is
// missing.
std::string marked_dump(int columns, int rows, const char* south, const char* middle, const char* north) {
  std::string text = std::to_string(columns) + " " + std::to_string(rows) + "\n";
  for (int j = 0; j < rows; ++j) {
    const char* value = j == 0 ? south : j == rows - 1 ? north : middle;
    for (int i = 0; i < columns; ++i) {
      text += j == 1 && i == 0 ? "9.999e+20" : value;
      text += "\n";
    }
  }
  return text;
}

// Every product the converter writes, checked sound, summed up and drawn with its northern row on top.
TEST(LookAtConverterOutput, EveryCodeIsSoundAndDrawnNorthUp) {
  for (const std::string_view code : sample_product_codes()) {
    SCOPED_TRACE(std::string(code));
    E2eTree tree;
    tree.install_decoder();
    for (const char* dir : kOutputDirs) tree.make_dir(tree.in_drive("kestrano/CMC/" + std::string(dir)));
    const std::vector<SampleFile> files = sample_files(code, 2);
    ASSERT_EQ(files.size(), 2u);
    const bool temperature = files[0].family.variable == SampleVariable::kAirTemperature;
    // The CaPA 10 km and 15 km headers state the extent of their grids, so they get their real sizes.
    int columns = 6, rows = 4;
    if (code == "capa10" || code == "capa15") {
      const SampleGridSize size = sample_grid_size(files[0].family.grid);
      columns = size.ni;
      rows = size.nj;
    }
    for (const SampleFile& file : files) {
      tree.write_file(tree.in_work(file.name), temperature ? marked_dump(columns, rows, "300", "280", "250")
                                                           : marked_dump(columns, rows, "0", "3", "12"));
    }
    const e2e::RunResult run = tree.run({std::string(code)});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const std::vector<fs::path> outputs = r2c_files(tree.drive());
    ASSERT_EQ(outputs.size(), 1u);
    const std::string r2c = outputs[0].string();

    const ToolResult check = run_look(tree.root(), "check '" + r2c + "'");
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out, r2c + ": sound: 2 frames of " + std::to_string(columns) + " x " +
                             std::to_string(rows) + " cells\n");
    EXPECT_EQ(check.err, "");

    const ToolResult csv = run_look(tree.root(), "summary --csv '" + r2c + "'");
    EXPECT_EQ(csv.status, 0) << csv.err;
    const std::vector<std::string> lines = e2e::lines_of(csv.out);
    ASSERT_EQ(lines.size(), 3u) << csv.out;
    // The missing point is counted at the cap and left out of the figures.
    const std::string figures = temperature ? "250.00,300.00," : "0.0000,12.0000,";
    EXPECT_NE(lines[1].find(figures), std::string::npos) << lines[1];
    EXPECT_TRUE(lines[1].ends_with(",1,0")) << lines[1];

    const ToolResult png = run_look(tree.root(), "png '" + r2c + "' --last -o last.png");
    EXPECT_EQ(png.status, 0) << png.err;
    const MapEdges edges = map_edges(tree.root() / "last.png", columns, rows);
    ASSERT_TRUE(edges.read);
    const PictureLayout layout = picture_layout(columns, rows);
    EXPECT_EQ(edges.width, layout.width);
    EXPECT_EQ(edges.height, layout.height);
    const Variable variable = temperature ? Variable::kTemperature : Variable::kPrecipitation;
    const ColourRange range =
        temperature ? fitting_range(variable, 250, 300) : fitting_range(variable, 0, 12);
    EXPECT_EQ(edges.top, colour_of(variable, range, temperature ? 250 : 12)) << "the northern row on top";
    EXPECT_EQ(edges.bottom, colour_of(variable, range, temperature ? 300 : 0));
  }
}

class LookCommands : public ::testing::Test {
 protected:
  void SetUp() override { tree_.write_file(tree_.root() / "good.r2c", converter_file()); }
  E2eTree tree_;
};

TEST_F(LookCommands, CheckListsProblemsWithLineNumbersAndFails) {
  std::string bad = converter_file();
  bad.replace(bad.find(":frame    2    2"), 16, ":frame    3    3");
  bad.replace(bad.find("  3.0000 -0.5000"), 16, "  3.0000");
  tree_.write_file(tree_.root() / "bad.r2c", bad);
  const ToolResult r = run_look(tree_.root(), "check bad.r2c");
  EXPECT_EQ(r.out,
            "bad.r2c:32: frame 1 is short: 5 values where 3 x 2 = 6 are due\n"
            "bad.r2c:36: frame number 3 where 2 was due\n"
            "bad.r2c: 2 problems\n");
  EXPECT_EQ(r.status, 1);
}

TEST_F(LookCommands, SummaryPngAndAllWithoutProgressWhenRedirected) {
  const ToolResult summary = run_look(tree_.root(), "summary good.r2c");
  EXPECT_EQ(summary.status, 0);
  EXPECT_EQ(summary.err, "");
  EXPECT_TRUE(summary.out.starts_with("Regl apcp: 3 x 2 cells, units 1 kg/(m^2), cap 99.0000\n"))
      << summary.out;

  const ToolResult one = run_look(tree_.root(), "png good.r2c --frame 2");
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out, "good_2.png\n");
  EXPECT_TRUE(E2eTree::exists(tree_.root() / "good_2.png"));

  const ToolResult all = run_look(tree_.root(), "png good.r2c --range 0:5 --all pictures");
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out, "2 pictures in pictures\n");
  EXPECT_EQ(all.err, "");
  EXPECT_EQ(E2eTree::list(tree_.root() / "pictures"),
            (std::vector<std::string>{"good_0001.png", "good_0002.png"}));
}

// On a terminal, a file of more than a few frames gets a progress line, cleared at the end.
TEST_F(LookCommands, ProgressLineOnATerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1) for a terminal";
  std::string text = converter_file();
  for (int f = 3; f <= 5; ++f) {
    text += ":frame    " + std::to_string(f) + "    " + std::to_string(f) + "     \"2025/08/25  0" +
            std::to_string(f) + ":00\"\n  0.0000  0.0000  0.0000\n  0.0000  0.0000  0.0000\nEndFrame\n";
  }
  tree_.write_file(tree_.root() / "five.r2c", text);
  const std::string command = "cd '" + tree_.root().string() +
                              "' && script -qec \"'" R2C_LOOK_BINARY
                              "' summary five.r2c >summary.txt\" /dev/null >terminal.txt 2>&1 </dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string terminal = E2eTree::read_file(tree_.root() / "terminal.txt");
  EXPECT_NE(terminal.find("\rsummary five.r2c: 100% (5 frames)\033[K"), std::string::npos) << terminal;
  EXPECT_TRUE(terminal.ends_with("\r\033[K")) << terminal;
  EXPECT_NE(E2eTree::read_file(tree_.root() / "summary.txt").find("5 frames from"), std::string::npos);
}

TEST_F(LookCommands, MistakesAndMissingThings) {
  struct Case {
    const char* name;
    const char* args;
    int status;
    const char* err_start;
  };
  const Case cases[] = {
      {"NoCommand", "", 2, "usage: r2c-look check FILE.r2c\n"},
      {"UnknownCommand", "draw good.r2c", 2, "usage:"},
      {"FrameAndLast", "png good.r2c --frame 1 --last", 2, "usage:"},
      {"BadRange", "png good.r2c --range 5:1", 2, "usage:"},
      {"AllWithOutput", "png good.r2c --all d -o x.png", 2, "usage:"},
      {"NoSuchFrame", "png good.r2c --frame 3", 1, "r2c-look: good.r2c: no frame 3 (the file has 2)\n"},
      {"MissingFile", "check missing.r2c", 1, "r2c-look: missing.r2c: cannot open\n"},
      {"UnwritablePicture", "png good.r2c -o /nonexistent/dir/x.png", 1,
       "r2c-look: /nonexistent/dir/x.png: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ToolResult r = run_look(tree_.root(), c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(r.err.starts_with(c.err_start)) << r.err;
  }
}

}  // namespace
}  // namespace tallowgate::look
