#ifndef TALLOWGATE_GRID_GRID_STORE_H_
#define TALLOWGATE_GRID_GRID_STORE_H_

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace tallowgate {

// The values of one grid, rows in the order the dump delivers them, columns
// within a row in dump order. Storage is obtained once, for the first good
// grid of the run, and reused for every later grid of the same size.
class GridStore {
 public:
  // The most values a grid may have.
  static constexpr long long kMaxValues = 2147483647;

  // Obtains storage for `rows` rows of `columns` values, every value 0.0.
  // Returns false, holding nothing, when a count is below 1, the grid has more
  // than kMaxValues values or the storage cannot be obtained.
  bool allocate(int columns, int rows);

  bool allocated() const { return values_ != nullptr; }
  int columns() const { return columns_; }
  int rows() const { return rows_; }
  std::size_t size() const { return static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_); }

  // All values, row by row.
  float* data() { return values_.get(); }
  const float* data() const { return values_.get(); }
  // Row j (1-based) of the grid.
  const float* row(int j) const {
    return values_.get() + static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(columns_);
  }

 private:
  struct Free {
    void operator()(float* p) const { std::free(p); }
  };
  // Zero-filled by the allocator: pages of a large grid cost nothing until a
  // dump writes them.
  std::unique_ptr<float[], Free> values_;
  int columns_ = 0;
  int rows_ = 0;
};

inline bool GridStore::allocate(int columns, int rows) {
  values_.reset();
  columns_ = rows_ = 0;
  if (columns < 1 || rows < 1) return false;
  if (static_cast<long long>(columns) * rows > kMaxValues) return false;
  const std::size_t count = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
  values_.reset(static_cast<float*>(std::calloc(count, sizeof(float))));
  if (!values_) return false;
  columns_ = columns;
  rows_ = rows;
  return true;
}

}  // namespace tallowgate

#endif  // TALLOWGATE_GRID_GRID_STORE_H_
