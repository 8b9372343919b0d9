#ifndef TALLOWGATE_TOOLS_DECODER_GRIB_FIELD_H_
#define TALLOWGATE_TOOLS_DECODER_GRIB_FIELD_H_

#include <eccodes.h>

#include <cstdint>
#include <string>
#include <vector>

#include "grid_order.h"

namespace tallowgate {

// What the dump writes for a point the bitmap masks.
inline constexpr double kMissingValue = 9.999e20;

// One decoded field: its grid and its values in the order of the message.
struct GribField {
  std::int64_t ni = 0;  // points in a row; all the points for a grid without rows and columns
  std::int64_t nj = 0;  // rows; 1 for a grid without rows and columns
  ScanOrder order;
  std::vector<double> values;  // ni * nj, kMissingValue where the bitmap masks a point
  long date = 0;               // YYYYMMDD of the reference time
  long hour = 0;               // of the reference time
};

// Decodes the field `handle` holds into *field, reusing its storage. Points the bitmap masks become
// kMissingValue. Two readings follow wgrib2's rather than ecCodes': a constant CCSDS field with a
// decimal scale factor D has the reference value times (1/10)^D (every other constant field the
// bare reference value), and a subnormal 32-bit IEEE value, exponent bits 0 and mantissa bits m,
// reads as (2^23 + m) x 2^-150, the leading 1 of a normal number put in front of it.
// Throws DecoderFatal naming `what` (the message and field) when ecCodes cannot decode the values or
// the grid's point count and its value count disagree.
void decode_field(codes_handle* handle, const std::string& what, GribField* field);

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_GRIB_FIELD_H_
