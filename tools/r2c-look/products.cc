#include "products.h"

#include <string>

namespace tallowgate::look {
namespace {

// The converter's products, told apart by their header. First match wins.
struct ConverterRow {
  std::string_view units;  // the ":AttributeUnits" text, trimmed
  std::string_view name;   // the ":Name" text, trimmed; empty matches any
  bool extent;             // matches only headers with (true) or without (false) extent lines
  Product product;
};

constexpr Product kPrecipitation{Variable::kPrecipitation, 99.0f, 4, FirstRow::kNorth};
constexpr Product kTemperature{Variable::kTemperature, 400.0f, 2, FirstRow::kNorth};
// The CaPA 10 km and 15 km analyses keep the analysis' own row order: the southern row first. Their
// headers alone carry extent lines.
constexpr Product kAnalysisRows{Variable::kPrecipitation, 99.0f, 4, FirstRow::kSouth};

// clang-format off
constexpr ConverterRow kConverterRows[] = {
    // units         name          extent  product
    {"1 kg/(m^2)",  "rdps apcp",  true,   kAnalysisRows},
    {"1 kg/(m^2)",  "",           false,  kPrecipitation},
    {"dKelvin",     "",           false,  kTemperature},
};
// clang-format on

// Other writers' units, compared without regard to case.
struct UnitsRow {
  std::string_view units;
  Variable variable;
};

constexpr UnitsRow kUnitsRows[] = {
    {"mm", Variable::kPrecipitation},
    {"kg/m2", Variable::kPrecipitation},
    {"kg/m^2", Variable::kPrecipitation},
    {"kg/(m^2)", Variable::kPrecipitation},
    {"1 kg/(m^2)", Variable::kPrecipitation},
    {"kg m-2", Variable::kPrecipitation},
    {"k", Variable::kTemperature},
    {"kelvin", Variable::kTemperature},
    {"dkelvin", Variable::kTemperature},
};

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

Product product_of(const R2cHeader& header) {
  if (header.written_by.starts_with("tallowgate")) {
    for (const ConverterRow& row : kConverterRows) {
      if (header.units == row.units && (row.name.empty() || header.name == row.name) &&
          header.has_extent == row.extent) {
        return row.product;
      }
    }
  }
  Product product;
  product.first_row = header.y_delta < 0 ? FirstRow::kNorth : FirstRow::kSouth;
  const std::string units = lower(header.units);
  for (const UnitsRow& row : kUnitsRows) {
    if (units == row.units) product.variable = row.variable;
  }
  product.decimals = product.variable == Variable::kTemperature ? 2 : 4;
  return product;
}

}  // namespace tallowgate::look
