// One frame of an r2c file as a PNG picture: the grid north up, one pixel per cell (more for small grids),
// coloured on a scale fit for the variable, cells at the cap in the "no data" grey, a legend bar with its
// values and units, and a title with the product's name, the frame number and its time.
#ifndef TALLOWGATE_TOOLS_R2C_LOOK_PICTURE_H_
#define TALLOWGATE_TOOLS_R2C_LOOK_PICTURE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "products.h"
#include "r2c_scan.h"

namespace tallowgate::look {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Cells at the cap, and values that were not numbers.
constexpr Rgb kNoData{160, 160, 160};

// The values the colour scale spans; values outside take its end colours.
struct ColourRange {
  double low = 0, high = 1;
};

// The range that fits values from `minimum` to `maximum` (those below the cap) for the variable:
// precipitation from 0 (or a lower minimum) to the maximum, temperature symmetric about 273.15 K, any
// other variable from its minimum to its maximum. An empty span is widened so the scale stays readable.
ColourRange fitting_range(Variable variable, double minimum, double maximum);

// The colour of `value` on the variable's scale over `range`: for precipitation white at the low end
// deepening to purple by the square root of the amount, for temperature blue below 273.15 K, white at it
// and red above, for other variables dark violet through green to yellow.
Rgb colour_of(Variable variable, const ColourRange& range, double value);

// The value at `where` along the scale, 0 (its low end) to 1: the legend bar is laid out by it.
double value_at(Variable variable, const ColourRange& range, double where);

// Where the parts of a picture lie, in pixels, for tests that read it back.
struct PictureLayout {
  int width = 0, height = 0;
  int scale = 1;                                            // pixels per cell along each side
  int map_x = 0, map_y = 0;                                 // top-left corner of the grid
  int bar_x = 0, bar_y = 0, bar_width = 0, bar_height = 0;  // the legend bar, high values on top
  int no_data_x = 0, no_data_y = 0, no_data_size = 0;       // the "no data" swatch
};

PictureLayout picture_layout(int x_count, int y_count);

// Draws the frame and writes it to `path`. `values` are the frame's values in file order; the file's
// first row is drawn on top or at the bottom as `product.first_row` says. `title` opens the title line.
// False, with the reason in *err, when the picture cannot be written.
bool write_frame_png(const R2cHeader& header, const Product& product, const FrameInfo& frame,
                     const std::vector<float>& values, const ColourRange& range, const std::string& title,
                     const std::string& path, std::string* err);

}  // namespace tallowgate::look

#endif  // TALLOWGATE_TOOLS_R2C_LOOK_PICTURE_H_
