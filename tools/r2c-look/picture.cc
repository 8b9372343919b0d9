#include "picture.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>

namespace tallowgate::look {
namespace {

constexpr double kFreezing = 273.15;

// A colour scale as stops along 0 to 1, evenly spaced.
using Stops = std::array<Rgb, 5>;

constexpr Stops kPrecipitationStops = {
    {{255, 255, 255}, {189, 215, 238}, {66, 146, 198}, {8, 69, 148}, {63, 0, 125}}};
constexpr Stops kTemperatureStops = {
    {{5, 48, 97}, {67, 147, 195}, {247, 247, 247}, {214, 96, 77}, {103, 0, 31}}};
constexpr Stops kOtherStops = {{{68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}}};

const Stops& stops_of(Variable variable) {
  switch (variable) {
    case Variable::kPrecipitation:
      return kPrecipitationStops;
    case Variable::kTemperature:
      return kTemperatureStops;
    case Variable::kOther:
      break;
  }
  return kOtherStops;
}

Rgb along(const Stops& stops, double t) {
  t = std::clamp(t, 0.0, 1.0) * static_cast<double>(stops.size() - 1);
  const std::size_t i = std::min(static_cast<std::size_t>(t), stops.size() - 2);
  const double f = t - static_cast<double>(i);
  auto mix = [f](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>(std::lround(a + (b - a) * f));
  };
  return Rgb{mix(stops[i].r, stops[i + 1].r), mix(stops[i].g, stops[i + 1].g),
             mix(stops[i].b, stops[i + 1].b)};
}

// Where `value` lies on the scale, 0 to 1. Temperature puts 273.15 K at the middle whatever the range,
// so white always means freezing. Precipitation goes by the square root of the amount: a field of light
// rain with one downpour keeps its light rain in sight.
double position(Variable variable, const ColourRange& range, double value) {
  const double span = range.high - range.low;
  if (!(span > 0)) return 0.5;
  if (variable == Variable::kTemperature) {
    if (range.high <= kFreezing) return 0.5 * (value - range.low) / span;
    if (range.low >= kFreezing) return 0.5 + 0.5 * (value - range.low) / span;
    if (value < kFreezing) return 0.5 * (value - range.low) / (kFreezing - range.low);
    return 0.5 + 0.5 * (value - kFreezing) / (range.high - kFreezing);
  }
  if (variable == Variable::kPrecipitation)
    return std::sqrt(std::clamp((value - range.low) / span, 0.0, 1.0));
  return (value - range.low) / span;
}

std::uint32_t pixel(Rgb c) { return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }

std::string label(Variable variable, const ColourRange& range, double value) {
  const double span = range.high - range.low;
  const int decimals = variable == Variable::kTemperature ? 2 : span >= 50 ? 0 : span >= 5 ? 1 : 2;
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

}  // namespace

ColourRange fitting_range(Variable variable, double minimum, double maximum) {
  ColourRange range{minimum, maximum};
  if (variable == Variable::kPrecipitation) {
    range.low = std::min(0.0, minimum);
    range.high = std::max(maximum, range.low + 1.0);
  } else if (variable == Variable::kTemperature) {
    const double reach = std::max({std::fabs(minimum - kFreezing), std::fabs(maximum - kFreezing), 1.0});
    range = ColourRange{kFreezing - reach, kFreezing + reach};
  } else if (!(maximum > minimum)) {
    range = ColourRange{minimum - 0.5, minimum + 0.5};
  }
  return range;
}

Rgb colour_of(Variable variable, const ColourRange& range, double value) {
  return along(stops_of(variable), position(variable, range, value));
}

double value_at(Variable variable, const ColourRange& range, double where) {
  const double span = range.high - range.low;
  where = std::clamp(where, 0.0, 1.0);
  if (variable == Variable::kTemperature && range.low < kFreezing && range.high > kFreezing) {
    if (where < 0.5) return range.low + (kFreezing - range.low) * where / 0.5;
    return kFreezing + (range.high - kFreezing) * (where - 0.5) / 0.5;
  }
  if (variable == Variable::kPrecipitation) return range.low + span * where * where;
  return range.low + span * where;
}

PictureLayout picture_layout(int x_count, int y_count) {
  constexpr int kMargin = 12, kTitle = 36, kGap = 24, kLegend = 130, kLeast = 280;
  PictureLayout p;
  p.scale = std::max(1, 480 / std::max(1, std::max(x_count, y_count)));
  const int map_width = x_count * p.scale, map_height = y_count * p.scale;
  const int content = std::max(map_height, kLeast);
  p.map_x = kMargin;
  p.map_y = kTitle;
  p.width = kMargin + map_width + kGap + kLegend;
  p.height = kTitle + content + kMargin;
  p.bar_x = p.map_x + map_width + kGap;
  p.bar_y = p.map_y + 30;
  p.bar_width = 20;
  p.no_data_size = 16;
  p.bar_height = content - 30 - 16 - 2 * p.no_data_size;
  p.no_data_x = p.bar_x + 2;
  p.no_data_y = p.bar_y + p.bar_height + 16;
  return p;
}

bool write_frame_png(const R2cHeader& header, const Product& product, const FrameInfo& frame,
                     const std::vector<float>& values, const ColourRange& range, const std::string& title,
                     const std::string& path, std::string* err) {
  const int nx = header.x_count, ny = header.y_count;
  const PictureLayout p = picture_layout(nx, ny);
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, p.width, p.height), cairo_surface_destroy);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    *err = cairo_status_to_string(cairo_surface_status(surface.get()));
    return false;
  }
  Context cr(cairo_create(surface.get()), cairo_destroy);
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_paint(cr.get());
  cairo_surface_flush(surface.get());

  // The cells and the bar go straight into the pixels: a national grid is most of a million cells.
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  auto row_pixels = [&](int y) {
    return reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
  };
  // Shades along the scale, so that a cell costs its position on the scale and one look-up. The ends
  // are the scale's own end colours.
  constexpr int kShades = 4096;
  const Stops& stops = stops_of(product.variable);
  std::vector<std::uint32_t> shades(kShades);
  for (int i = 0; i < kShades; ++i) {
    shades[static_cast<std::size_t>(i)] = pixel(along(stops, static_cast<double>(i) / (kShades - 1)));
  }
  const bool has_cap = product.cap.has_value();
  const float cap = product.cap.value_or(0.0f);
  const std::uint32_t no_data = pixel(kNoData);
  const std::size_t cells = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
  for (int r = 0; r < ny; ++r) {
    const int drawn_row = product.first_row == FirstRow::kNorth ? r : ny - 1 - r;
    for (int s = 0; s < p.scale; ++s) {
      std::uint32_t* out = row_pixels(p.map_y + drawn_row * p.scale + s) + p.map_x;
      const std::size_t start = static_cast<std::size_t>(r) * static_cast<std::size_t>(nx);
      for (int c = 0; c < nx; ++c) {
        const std::size_t at = start + static_cast<std::size_t>(c);
        const float value = at < cells && at < values.size() ? values[at] : std::nanf("");
        std::uint32_t colour = no_data;
        if (!std::isnan(value) && !(has_cap && value >= cap)) {
          const double where =
              std::clamp(position(product.variable, range, static_cast<double>(value)), 0.0, 1.0);
          colour = shades[static_cast<std::size_t>(std::lround(where * (kShades - 1)))];
        }
        for (int k = 0; k < p.scale; ++k) *out++ = colour;
      }
    }
  }
  for (int k = 0; k < p.bar_height; ++k) {
    const double value = value_at(product.variable, range, 1.0 - (k + 0.5) / p.bar_height);
    const std::uint32_t colour = pixel(colour_of(product.variable, range, value));
    std::uint32_t* out = row_pixels(p.bar_y + k) + p.bar_x;
    for (int i = 0; i < p.bar_width; ++i) out[i] = colour;
  }
  for (int k = 0; k < p.no_data_size; ++k) {
    std::uint32_t* out = row_pixels(p.no_data_y + k) + p.no_data_x;
    for (int i = 0; i < p.no_data_size; ++i) out[i] = no_data;
  }
  cairo_surface_mark_dirty(surface.get());

  cairo_t* c = cr.get();
  cairo_select_font_face(c, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(c, 15);
  cairo_set_source_rgb(c, 0, 0, 0);
  std::string heading = title + "   frame " + std::to_string(frame.number);
  if (!frame.time.text.empty()) heading += "   " + frame.time.text;
  cairo_move_to(c, p.map_x, 24);
  cairo_show_text(c, heading.c_str());

  cairo_select_font_face(c, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(c, 12);
  cairo_move_to(c, p.bar_x, p.bar_y - 14);
  cairo_show_text(c, header.units.empty() ? "(no units)" : header.units.c_str());
  cairo_set_line_width(c, 1);
  // A frame around the grid, so that a dry white field keeps its edge.
  cairo_rectangle(c, p.map_x - 0.5, p.map_y - 0.5, nx * p.scale + 1, ny * p.scale + 1);
  cairo_stroke(c);
  cairo_rectangle(c, p.bar_x - 0.5, p.bar_y - 0.5, p.bar_width + 1, p.bar_height + 1);
  cairo_stroke(c);
  constexpr int kTicks = 5;
  for (int i = 0; i < kTicks; ++i) {
    const double value = value_at(product.variable, range, 1.0 - static_cast<double>(i) / (kTicks - 1));
    const double y = p.bar_y + static_cast<double>(p.bar_height) * i / (kTicks - 1);
    cairo_move_to(c, p.bar_x + p.bar_width, std::round(y) + 0.5);
    cairo_line_to(c, p.bar_x + p.bar_width + 4, std::round(y) + 0.5);
    cairo_stroke(c);
    cairo_move_to(c, p.bar_x + p.bar_width + 7, y + 4);
    cairo_show_text(c, label(product.variable, range, value).c_str());
  }
  cairo_move_to(c, p.no_data_x + p.no_data_size + 6, p.no_data_y + 12);
  cairo_show_text(c, "no data");

  cairo_surface_flush(surface.get());
  const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    *err = cairo_status_to_string(status);
    return false;
  }
  return true;
}

}  // namespace tallowgate::look
