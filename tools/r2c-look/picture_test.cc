#include "picture.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tallowgate::look {

void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "(" << int{c.r} << "," << int{c.g} << "," << int{c.b} << ")";
}

namespace {

// A PNG read back, its pixels as colours.
class ReadBack {
 public:
  explicit ReadBack(const std::string& path)
      : surface_(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy) {}
  bool ok() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_.get()); }
  int height() const { return cairo_image_surface_get_height(surface_.get()); }
  Rgb at(int x, int y) const {
    const unsigned char* data = cairo_image_surface_get_data(surface_.get());
    const int stride = cairo_image_surface_get_stride(surface_.get());
    const std::uint32_t p = *reinterpret_cast<const std::uint32_t*>(
        data + static_cast<std::ptrdiff_t>(y) * stride + 4 * static_cast<std::ptrdiff_t>(x));
    return Rgb{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
               static_cast<std::uint8_t>(p)};
  }
  // Pixels in the box darker than mid grey: drawn text.
  int dark_pixels(int x0, int y0, int x1, int y1) const {
    int dark = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        const Rgb c = at(x, y);
        if (c.r + c.g + c.b < 3 * 100) ++dark;
      }
    }
    return dark;
  }

 private:
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
};

class Picture : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(path_); }

  // Draws a 3 x 2 temperature frame whose first file row is 250 K but for a cell at the cap, the second
  // row 300 K.
  ReadBack draw(FirstRow first_row, const ColourRange& range) {
    header_.x_count = 3;
    header_.y_count = 2;
    header_.units = "dKelvin";
    product_ = Product{Variable::kTemperature, 400.0f, 2, first_row};
    FrameInfo frame;
    frame.number = 7;
    frame.time.text = "2025/08/24  06:00";
    const std::vector<float> values = {250.0f, 250.0f, 400.0f, 300.0f, 300.0f, 300.0f};
    std::string err;
    EXPECT_TRUE(write_frame_png(header_, product_, frame, values, range, "Regl tmp", path_, &err)) << err;
    return ReadBack(path_);
  }

  R2cHeader header_;
  Product product_;
  // Named after the process: the tests of this fixture run side by side.
  const std::string path_ = (std::filesystem::temp_directory_path() /
                             ("r2c_look_picture_test_" + std::to_string(getpid()) + ".png"))
                                .string();
};

TEST_F(Picture, SmallGridIsScaledAndFirstRowDrawnWhereItLies) {
  const ColourRange range = fitting_range(Variable::kTemperature, 250, 300);
  const Rgb cold = colour_of(Variable::kTemperature, range, 250);
  const Rgb warm = colour_of(Variable::kTemperature, range, 300);
  const PictureLayout p = picture_layout(3, 2);
  ASSERT_EQ(p.scale, 160);
  struct Case {
    const char* name;
    FirstRow first_row;
    Rgb top, bottom;
  };
  const Case cases[] = {{"NorthRowFirst", FirstRow::kNorth, cold, warm},
                        {"SouthRowFirst", FirstRow::kSouth, warm, cold}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ReadBack png = draw(c.first_row, range);
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(png.width(), p.width);
    EXPECT_EQ(png.height(), p.height);
    EXPECT_EQ(png.at(p.map_x, p.map_y), c.top);
    EXPECT_EQ(png.at(p.map_x + 159, p.map_y + 159), c.top);
    EXPECT_EQ(png.at(p.map_x, p.map_y + 160), c.bottom);
    EXPECT_EQ(png.at(p.map_x + 159, p.map_y + 319), c.bottom);
    // The cell at the cap, the first row's last, in the no-data grey.
    const int cap_row = c.first_row == FirstRow::kNorth ? 0 : 1;
    EXPECT_EQ(png.at(p.map_x + 2 * 160 + 80, p.map_y + cap_row * 160 + 80), kNoData);
  }
  EXPECT_NE(cold, warm);
  EXPECT_GT(cold.b, cold.r);
  EXPECT_GT(warm.r, warm.b);
}

TEST_F(Picture, LegendBarNoDataSwatchAndTexts) {
  const ColourRange range{260, 290};
  const ReadBack png = draw(FirstRow::kNorth, range);
  ASSERT_TRUE(png.ok());
  const PictureLayout p = picture_layout(3, 2);
  const double half = 0.5 / p.bar_height;
  EXPECT_EQ(png.at(p.bar_x + 10, p.bar_y),
            colour_of(Variable::kTemperature, range, value_at(Variable::kTemperature, range, 1 - half)));
  EXPECT_EQ(png.at(p.bar_x + 10, p.bar_y + p.bar_height - 1),
            colour_of(Variable::kTemperature, range, value_at(Variable::kTemperature, range, half)));
  // Freezing in the middle of the bar, though the range is not symmetric about it.
  const Rgb middle = png.at(p.bar_x + 10, p.bar_y + p.bar_height / 2);
  EXPECT_GE(std::min({middle.r, middle.g, middle.b}), 240) << "white, for 273.15";
  EXPECT_EQ(png.at(p.no_data_x + 8, p.no_data_y + 8), kNoData);
  // Labels beside the bar, the units above it, "no data" beside the swatch, the title on top.
  EXPECT_GT(png.dark_pixels(p.bar_x + p.bar_width + 6, p.bar_y - 6, p.width, p.bar_y + 8), 10);
  EXPECT_GT(png.dark_pixels(p.bar_x + p.bar_width + 6, p.bar_y + p.bar_height - 8, p.width,
                            p.bar_y + p.bar_height + 6),
            10);
  EXPECT_GT(png.dark_pixels(p.bar_x, p.map_y, p.width, p.bar_y - 2), 10);
  EXPECT_GT(
      png.dark_pixels(p.no_data_x + p.no_data_size + 4, p.no_data_y, p.width, p.no_data_y + p.no_data_size),
      10);
  EXPECT_GT(png.dark_pixels(0, 0, p.width, p.map_y - 4), 50);
}

TEST(PictureLayout, NationalGridOnePixelPerCell) {
  const PictureLayout p = picture_layout(935, 824);
  EXPECT_EQ(p.scale, 1);
  EXPECT_EQ(p.bar_x, p.map_x + 935 + 24);
  EXPECT_EQ(p.height, p.map_y + 824 + 12);
}

TEST(PictureLayout, UnwritablePathIsReported) {
  R2cHeader header;
  header.x_count = 1;
  header.y_count = 1;
  std::string err;
  EXPECT_FALSE(write_frame_png(header, Product{}, FrameInfo{}, {1.0f}, ColourRange{0, 1}, "t",
                               "/nonexistent/dir/out.png", &err));
  EXPECT_FALSE(err.empty());
}

TEST(ColourScale, EndsAndCentre) {
  const ColourRange rain{0, 20};
  EXPECT_EQ(colour_of(Variable::kPrecipitation, rain, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(colour_of(Variable::kPrecipitation, rain, -5), (Rgb{255, 255, 255}));
  EXPECT_EQ(colour_of(Variable::kPrecipitation, rain, 20), (Rgb{63, 0, 125}));
  const Rgb heavy = colour_of(Variable::kPrecipitation, rain, 15),
            light = colour_of(Variable::kPrecipitation, rain, 5);
  EXPECT_LT(heavy.r + heavy.g + heavy.b, light.r + light.g + light.b) << "more rain, deeper colour";
  // Freezing is white whether or not the range is symmetric about it.
  for (const ColourRange range : {ColourRange{253.15, 293.15}, ColourRange{263.15, 313.15}}) {
    EXPECT_EQ(colour_of(Variable::kTemperature, range, 273.15), (Rgb{247, 247, 247}));
    EXPECT_EQ(colour_of(Variable::kTemperature, range, range.low), (Rgb{5, 48, 97}));
    EXPECT_EQ(colour_of(Variable::kTemperature, range, range.high), (Rgb{103, 0, 31}));
  }
}

TEST(ColourScale, ValueAtUndoesThePosition) {
  struct Case {
    const char* name;
    Variable variable;
    ColourRange range;
  };
  const Case cases[] = {
      {"Rain", Variable::kPrecipitation, {0, 50}},
      {"TemperatureAcrossFreezing", Variable::kTemperature, {250, 280}},
      {"TemperatureAboveFreezing", Variable::kTemperature, {280, 300}},
      {"Other", Variable::kOther, {-3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(value_at(c.variable, c.range, 0.0), c.range.low, 1e-9);
    EXPECT_NEAR(value_at(c.variable, c.range, 1.0), c.range.high, 1e-9);
    double previous = c.range.low;
    for (const double where : {0.1, 0.3, 0.5, 0.8}) {
      const double value = value_at(c.variable, c.range, where);
      EXPECT_GT(value, previous) << where;
      previous = value;
    }
  }
  EXPECT_NEAR(value_at(Variable::kTemperature, ColourRange{250, 280}, 0.5), 273.15, 1e-9);
  // Light rain stands out from none: a twenty-fifth of the range is a fifth of the way along the scale.
  EXPECT_NEAR(value_at(Variable::kPrecipitation, ColourRange{0, 50}, 0.2), 2.0, 1e-9);
}

TEST(ColourScale, FittingRanges) {
  struct Case {
    const char* name;
    Variable variable;
    double minimum, maximum, low, high;
  };
  const Case cases[] = {
      {"RainFromZero", Variable::kPrecipitation, 0.5, 12, 0, 12},
      {"DryField", Variable::kPrecipitation, 0, 0, 0, 1},
      {"NegativeRain", Variable::kPrecipitation, -0.25, 3, -0.25, 3},
      {"TemperatureSymmetric", Variable::kTemperature, 250.15, 283.15, 250.15, 296.15},
      {"AllAboveFreezing", Variable::kTemperature, 280.15, 300.15, 246.15, 300.15},
      {"Other", Variable::kOther, 2, 5, 2, 5},
      {"OtherFlat", Variable::kOther, 2, 2, 1.5, 2.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ColourRange range = fitting_range(c.variable, c.minimum, c.maximum);
    EXPECT_NEAR(range.low, c.low, 1e-9);
    EXPECT_NEAR(range.high, c.high, 1e-9);
  }
}

}  // namespace
}  // namespace tallowgate::look
