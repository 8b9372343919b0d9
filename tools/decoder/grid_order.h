#ifndef TALLOWGATE_TOOLS_DECODER_GRID_ORDER_H_
#define TALLOWGATE_TOOLS_DECODER_GRID_ORDER_H_

#include <cstdint>

namespace tallowgate {

// How a field's points follow one another in its message: the flags of the scanning mode.
struct ScanOrder {
  bool i_scans_negatively = false;        // rows run east to west
  bool j_scans_positively = false;        // rows run south to north
  bool j_points_are_consecutive = false;  // the file holds columns, not rows
  bool alternative_row_scanning = false;  // every odd row runs the other way
};

// Where the points of one dump row sit in the file-order values: point i (0 = westmost) of the row
// is at start + i * step.
struct RowWalk {
  std::int64_t start;
  std::int64_t step;
};

// The file-order positions of dump row j (0 = southmost) of an ni x nj grid. The dump lists rows
// west to east and from south to north whatever the order of the file.
RowWalk row_walk(const ScanOrder& order, std::int64_t ni, std::int64_t nj, std::int64_t j);

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_GRID_ORDER_H_
