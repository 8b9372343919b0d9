#ifndef TALLOWGATE_GRID_GRID_STORE_H_
#define TALLOWGATE_GRID_GRID_STORE_H_

#include <cstddef>
#include <vector>

namespace tallowgate {

// The values of one grid, rows in the order the dump delivers them. Storage
// is obtained once, for the first good grid of the run, and reused after.
struct GridStore {
  std::vector<float> values;
  int columns = 0;
  int rows = 0;

  bool allocated() const { return columns > 0; }
  // Row j (1-based) of the grid.
  float* row(int j) { return values.data() + static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(columns); }
  const float* row(int j) const {
    return values.data() + static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(columns);
  }
};

}  // namespace tallowgate

#endif  // TALLOWGATE_GRID_GRID_STORE_H_
