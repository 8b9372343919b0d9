#include "r2c/header.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "run/clock.h"
#include "text/fields.h"

namespace tallowgate {
namespace {

// A header text as it is stored: the text, then blanks up to its stored
// length. Stored lengths decide where a right-aligned value starts.
struct StoredText {
  std::string_view text;
  std::size_t length;
};

struct NameRow {
  AppCode code;
  StoredText name;  // empty: the product's header has no ":Name" line
  std::string_view units;
};

constexpr std::string_view kPrecipitation = "1 kg/(m^2)";
constexpr std::string_view kTemperature = "dKelvin";

// clang-format off
constexpr NameRow kNameRows[] = {
    // code                 name, stored length   units
    {AppCode::kCapa15,     {"rdps apcp", 13},   kPrecipitation},
    {AppCode::kCapa10,     {"rdps apcp", 13},   kPrecipitation},
    {AppCode::kCapa,       {"rdps apcp", 13},   kPrecipitation},
    {AppCode::kRdpa,       {"RDPA", 13},        kPrecipitation},
    {AppCode::kRdpsTmpHc,  {"RDPS-TMP-HC", 13}, kTemperature},
    {AppCode::kRdpsPcpFc,  {"RDPS-PCP-FC", 13}, kPrecipitation},
    {AppCode::kRdpsTmpFc,  {"RDPS-TMP-FC", 13}, kTemperature},
    {AppCode::kRdpaPrelim, {"", 0},             kPrecipitation},  // no ":Name" line
    {AppCode::kRglT,       {"Regl tmp", 13},    kTemperature},
    {AppCode::kRegP,       {"Regl apcp", 14},   kPrecipitation},  // one column wider than the others
    {AppCode::kRegT,       {"Regl tmp", 13},    kTemperature},
    {AppCode::kGlbP,       {"glb apcp", 13},    kPrecipitation},
    {AppCode::kGlbT,       {"glb tmp", 13},     kTemperature},
    {AppCode::kGlbSP,      {"glb apcp", 13},    kPrecipitation},
    {AppCode::kGlbST,      {"glb tmp", 13},     kTemperature},
    {AppCode::kHreP,       {"HRDPS apcp", 13},  kPrecipitation},
    {AppCode::kHreT,       {"HRDPS tmp", 13},   kTemperature},
    {AppCode::kRdrP,       {"", 0},             kPrecipitation},  // no ":Name" line
};
// clang-format on
static_assert(one_row_per_code(kNameRows), "kNameRows needs one row per application code, in code order");

// One grid geometry. Blocks without a centre omit the centre lines; blocks
// without an extent omit the extent lines.
struct Geometry {
  StoredText projection, ellipsoid;
  bool has_centre;
  int centre_latitude, centre_longitude;
  float x_origin, y_origin, x_delta, y_delta;
  bool has_extent;
  float x_extent, y_extent;
};

// clang-format off
// Global latitude-longitude grids and the radar product.
constexpr Geometry kBlockA = {{"LatLong", 18}, {"Sphere", 18}, false, 0, 0,
                              -180.0f, 90.0f, 0.15f, -0.15f, false, 0.0f, 0.0f};
// Rotated latitude-longitude: RDPA and the RDPS products. 92.4f prints 92.400002.
constexpr Geometry kBlockB = {{"RLatLon", 18}, {"Sphere", 18}, false, 0, 0,
                              -31.76f, 92.4f, 0.15f, -0.15f, false, 0.0f, 0.0f};
// HRDPS east, 2.5 km polar stereographic.
constexpr Geometry kBlockC = {{"PolarStereographic", 18}, {"Sphere", 6}, true, 60, 280,
                              -1122822.875f, -41747228.0f, 2500.0f, 2500.0f, false, 0.0f, 0.0f};
// CaPA and the regional products, 10 km polar stereographic.
constexpr Geometry kBlockD = {{"PolarStereographic", 18}, {"Sphere", 6}, true, 60, 249,
                              -4556441.5f, 920682.125f, 10000.0f, 10000.0f, false, 0.0f, 0.0f};
// CaPA 10 km, with its extent.
constexpr Geometry kBlockE = {{"PolarStereographic", 18}, {"Sphere", 6}, true, 60, 249,
                              -4551441.5f, 915682.125f, 10000.0f, 10000.0f, true, 9340000.0f, 8230000.0f};
// CaPA 15 km, with its extent. 8.8081808f prints 8.808181.
constexpr Geometry kBlockF = {{"PolarStereographic", 18}, {"Sphere", 6}, true, 60, 249,
                              -2610655.5f, 8.8081808f, 15000.0f, 15000.0f, true, 7380000.0f, 5970000.0f};

struct GeometryRow {
  AppCode code;
  const Geometry* block;
};

constexpr GeometryRow kGeometryRows[] = {
    {AppCode::kCapa15,     &kBlockF},
    {AppCode::kCapa10,     &kBlockE},
    {AppCode::kCapa,       &kBlockD},
    {AppCode::kRdpa,       &kBlockB},
    {AppCode::kRdpsTmpHc,  &kBlockB},
    {AppCode::kRdpsPcpFc,  &kBlockB},
    {AppCode::kRdpsTmpFc,  &kBlockB},
    {AppCode::kRdpaPrelim, &kBlockB},
    {AppCode::kRglT,       &kBlockD},
    {AppCode::kRegP,       &kBlockD},
    {AppCode::kRegT,       &kBlockD},
    {AppCode::kGlbP,       &kBlockA},
    {AppCode::kGlbT,       &kBlockA},
    {AppCode::kGlbSP,      &kBlockA},
    {AppCode::kGlbST,      &kBlockA},
    {AppCode::kHreP,       &kBlockC},
    {AppCode::kHreT,       &kBlockC},
    {AppCode::kRdrP,       &kBlockA},
};
// clang-format on
static_assert(one_row_per_code(kGeometryRows),
              "kGeometryRows needs one row per application code, in code order");

constexpr std::size_t kLabelWidth = 20;
constexpr std::size_t kValueWidth = 20;
constexpr int kIntegerWidth = 16;

// Writes one header record at a time; each keeps its trailing blanks.
class HeaderLines {
 public:
  explicit HeaderLines(TextWriter* output) : output_(output) { line_.reserve(64); }

  void text_line(std::string_view text) {
    line_.clear();
    append_left(&line_, text, 40);
    output_->write_line(line_);
  }
  void text_item(std::string_view label, StoredText value) {
    start(label);
    line_.append(kValueWidth - value.length, ' ');
    line_.append(value.text);
    line_.append(value.length - value.text.size(), ' ');
    output_->write_line(line_);
  }
  void real_item(std::string_view label, float value) {
    start(label);
    append_fixed(&line_, value, static_cast<int>(kValueWidth), 6);
    output_->write_line(line_);
  }
  void integer_item(std::string_view label, int value) {
    start(label);
    append_int(&line_, value, kIntegerWidth);
    output_->write_line(line_);
  }
  void creation_date(const Text<8>& day, const Text<10>& time) {
    start(":CreationDate");
    line_.append(day.columns(1, 4))
        .append("-")
        .append(day.columns(5, 6))
        .append("-")
        .append(day.columns(7, 8));
    line_.append("  ").append(time.columns(1, 2)).append(":").append(time.columns(3, 4));
    output_->write_line(line_);
  }
  void end_line() {
    line_.clear();
    append_left(&line_, ":EndHeader", kLabelWidth);
    output_->write_line(line_);
  }

 private:
  void start(std::string_view label) {
    line_.clear();
    append_left(&line_, label, kLabelWidth);
  }

  TextWriter* output_;
  std::string line_;
};

}  // namespace

void write_r2c_header(Platform* platform, RunState* state) {
  const NameRow& name = row_for(kNameRows, *state->code);
  const Geometry& geometry = *row_for(kGeometryRows, *state->code).block;

  query_clock(platform, state);
  write_info_lines(platform, *state);

  HeaderLines header(state->output.get());
  header.text_line(std::string(40, '#'));
  header.text_line(":FileType r2c  ASCII  EnSim 1.0");
  header.text_line("#");
  header.text_line("# DataType               2D Rect Cell");
  header.text_line("#");
  header.text_line(":application             KESTRANO");
  header.text_line(":Version                 2.1.23");
  header.text_line(":WrittenBy               tallowgate.exe");
  header.creation_date(state->CDAY, state->TIME);
  header.text_line("#");
  header.text_line("#" + std::string(39, '-'));
  header.text_line("#");

  if (!name.name.text.empty()) header.text_item(":Name", name.name);
  header.text_line("#");

  header.text_item(":Projection", geometry.projection);
  header.text_item(":Ellipsoid", geometry.ellipsoid);
  if (geometry.has_centre) {
    header.integer_item(":CentreLatitude", geometry.centre_latitude);
    header.integer_item(":CentreLongitude", geometry.centre_longitude);
  }
  header.text_line("#");
  header.real_item(":xOrigin", geometry.x_origin);
  header.real_item(":yOrigin", geometry.y_origin);
  header.integer_item(":xCount", state->xcount);
  header.integer_item(":yCount", state->ycount);
  header.real_item(":xDelta", geometry.x_delta);
  header.real_item(":yDelta", geometry.y_delta);
  if (geometry.has_extent) {
    header.real_item(":xExtent", geometry.x_extent);
    header.real_item(":yExtent", geometry.y_extent);
  }
  header.text_line("#");
  header.text_item(":SourceFile", {"grib2", 17});
  header.text_line("#");
  header.text_item(":AttributeUnits", {name.units, 10});
  header.text_line("#");
  header.end_line();
}

}  // namespace tallowgate
