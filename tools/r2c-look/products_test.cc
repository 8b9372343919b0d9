#include "products.h"

#include <gtest/gtest.h>

#include <string>

namespace tallowgate::look {
namespace {

struct ProductCase {
  const char* name;
  const char* written_by;
  const char* header_name;
  const char* units;
  bool extent;
  double y_delta;
  Variable variable;
  bool has_cap;
  float cap;
  FirstRow first_row;
};

// The converter writes every product northern row first, with a positive :yDelta on the polar
// stereographic grids, except the CaPA 10 km and 15 km analyses, whose headers alone have extents.
const ProductCase kCases[] = {
    {"RegionalTemperature", "tallowgate.exe", "Regl tmp", "dKelvin", false, 10000, Variable::kTemperature,
     true, 400.0f, FirstRow::kNorth},
    {"Capa", "tallowgate.exe", "rdps apcp", "1 kg/(m^2)", false, 10000, Variable::kPrecipitation, true, 99.0f,
     FirstRow::kNorth},
    {"CapaWithExtent", "tallowgate.exe", "rdps apcp", "1 kg/(m^2)", true, 15000, Variable::kPrecipitation,
     true, 99.0f, FirstRow::kSouth},
    {"UnnamedPrecipitation", "tallowgate.exe", "", "1 kg/(m^2)", false, -0.15, Variable::kPrecipitation, true,
     99.0f, FirstRow::kNorth},
    {"OtherWriterNorthOrigin", "EnSim", "Precipitation", "mm", false, -0.5, Variable::kPrecipitation, false,
     0, FirstRow::kNorth},
    {"OtherWriterSouthOrigin", "", "", "K", false, 0.5, Variable::kTemperature, false, 0, FirstRow::kSouth},
    {"OtherWriterUnknownUnits", "", "", "m/s", false, 1, Variable::kOther, false, 0, FirstRow::kSouth},
};

TEST(Products, HeaderTellsVariableCapAndNorthernRow) {
  for (const ProductCase& c : kCases) {
    SCOPED_TRACE(c.name);
    R2cHeader header;
    header.written_by = c.written_by;
    header.name = c.header_name;
    header.units = c.units;
    header.has_extent = c.extent;
    header.y_delta = c.y_delta;
    const Product product = product_of(header);
    EXPECT_EQ(product.variable, c.variable);
    EXPECT_EQ(product.cap.has_value(), c.has_cap);
    if (c.has_cap && product.cap) {
      EXPECT_EQ(*product.cap, c.cap);
    }
    EXPECT_EQ(product.first_row, c.first_row);
  }
}

}  // namespace
}  // namespace tallowgate::look
