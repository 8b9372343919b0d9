// What r2c-look knows of the variable in a file: how to colour it, where its cap lies, how many decimals
// its values carry, and which of its rows lies north.
#ifndef TALLOWGATE_TOOLS_R2C_LOOK_PRODUCTS_H_
#define TALLOWGATE_TOOLS_R2C_LOOK_PRODUCTS_H_

#include <optional>
#include <string_view>

#include "r2c_scan.h"

namespace tallowgate::look {

enum class Variable {
  kPrecipitation,  // accumulations: a sequential scale from white
  kTemperature,    // kelvin: a diverging scale centred on 273.15 K
  kOther,          // anything else: a sequential scale
};

enum class FirstRow {
  kNorth,  // the file's first row is the northern edge of the grid
  kSouth,  // the first row is the southern edge
};

struct Product {
  Variable variable = Variable::kOther;
  // The value the converter writes in place of larger ones and of the decoder's missing points; none for
  // files from other writers.
  std::optional<float> cap;
  int decimals = 4;
  FirstRow first_row = FirstRow::kSouth;
};

// The product a header describes: the converter's own products by their name, units and geometry, other
// writers' files by their units and by the sign of :yDelta (a negative one walks the rows southward from
// an origin on the northern edge, a positive one northward from the southern edge).
Product product_of(const R2cHeader& header);

}  // namespace tallowgate::look

#endif  // TALLOWGATE_TOOLS_R2C_LOOK_PRODUCTS_H_
