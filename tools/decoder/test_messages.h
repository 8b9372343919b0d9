#ifndef TALLOWGATE_TOOLS_DECODER_TEST_MESSAGES_H_
#define TALLOWGATE_TOOLS_DECODER_TEST_MESSAGES_H_

#include <functional>
#include <string>
#include <vector>

// Small GRIB2 messages made with ecCodes from its GRIB2 sample, for the decoder's tests and fuzz seeds.
namespace tallowgate {

using Bytes = std::vector<unsigned char>;

struct TestGrid {
  long grid_template = 0;  // 101: an unstructured grid of values.size() points, no ni or nj
  long ni = 4;
  long nj = 3;
  long scanning_mode = 64;  // rows west to east, from the south
  std::string packing = "grid_simple";
  long decimal_scale = 0;
  long ieee_precision = 1;  // 32 bits, for grid_ieee
  long date = 20240612;
  long time = 1800;
  // ni * nj values in file order; with `bitmap`, points holding kMissingValue are masked.
  std::vector<double> values = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  bool bitmap = false;
};

// One GRIB2 message holding `grid`. Fails the current test when ecCodes refuses a key.
Bytes make_message(const TestGrid& grid);

// A message holding the fields of `first` and then those of `second`'s sections 4 to 7, both with
// the grid of `first`: two fields in one message.
Bytes join_fields(const Bytes& first, const Bytes& second);

// The message with its section `section` (the first one of that number) handed to `change` as the
// section's bytes, length octets included.
Bytes with_section(const Bytes& message, int section,
                   const std::function<void(unsigned char* bytes)>& change);

// The message with the `occurrence`-th (from 1) section numbered `section` replaced by `replacement`,
// its total length corrected.
Bytes replace_section(const Bytes& message, int section, int occurrence, const Bytes& replacement);

Bytes concatenate(const std::vector<Bytes>& parts);
Bytes text_bytes(const std::string& text);

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_TEST_MESSAGES_H_
