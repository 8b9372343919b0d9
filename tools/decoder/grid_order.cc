#include "grid_order.h"

namespace tallowgate {

RowWalk row_walk(const ScanOrder& order, std::int64_t ni, std::int64_t nj, std::int64_t j) {
  std::int64_t file_row = order.j_scans_positively ? j : nj - 1 - j;
  // Alternative scanning turns the odd rows of the file round; a westward scan turns every row.
  bool reversed = (order.alternative_row_scanning && file_row % 2 == 1) != order.i_scans_negatively;
  std::int64_t first_column = reversed ? ni - 1 : 0;
  std::int64_t column_step = reversed ? -1 : 1;
  if (order.j_points_are_consecutive) {
    return {file_row + first_column * nj, column_step * nj};
  }
  return {first_column + file_row * ni, column_step};
}

}  // namespace tallowgate
