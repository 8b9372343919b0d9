#include "grid_order.h"

#include <gtest/gtest.h>

#include <vector>

namespace tallowgate {
namespace {

// The file positions (from 1) a 4 x 3 grid's dump lists, row after row.
std::vector<int> dump_sequence(const ScanOrder& order) {
  std::vector<int> sequence;
  for (int j = 0; j < 3; ++j) {
    RowWalk walk = row_walk(order, 4, 3, j);
    for (int i = 0; i < 4; ++i) sequence.push_back(static_cast<int>(walk.start + i * walk.step) + 1);
  }
  return sequence;
}

TEST(RowWalk, ListsRowsWestToEastFromTheSouth) {
  struct Case {
    const char* scanning_mode;
    ScanOrder order;
    std::vector<int> sequence;
  };
  // The first six are what wgrib2 wrote for a 4 x 3 field holding 1 to 12 in file order.
  const Case cases[] = {
      {"0", {}, {9, 10, 11, 12, 5, 6, 7, 8, 1, 2, 3, 4}},
      {"16", {.alternative_row_scanning = true}, {9, 10, 11, 12, 8, 7, 6, 5, 1, 2, 3, 4}},
      {"32", {.j_points_are_consecutive = true}, {3, 6, 9, 12, 2, 5, 8, 11, 1, 4, 7, 10}},
      {"64", {.j_scans_positively = true}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
      {"128", {.i_scans_negatively = true}, {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
      {"192",
       {.i_scans_negatively = true, .j_scans_positively = true},
       {4, 3, 2, 1, 8, 7, 6, 5, 12, 11, 10, 9}},
      {"80",
       {.j_scans_positively = true, .alternative_row_scanning = true},
       {1, 2, 3, 4, 8, 7, 6, 5, 9, 10, 11, 12}},
      {"96",
       {.j_scans_positively = true, .j_points_are_consecutive = true},
       {1, 4, 7, 10, 2, 5, 8, 11, 3, 6, 9, 12}},
      // Westward and alternating: the odd file rows come back east to west twice over.
      {"208",
       {.i_scans_negatively = true, .j_scans_positively = true, .alternative_row_scanning = true},
       {4, 3, 2, 1, 5, 6, 7, 8, 12, 11, 10, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scanning_mode);
    EXPECT_EQ(dump_sequence(c.order), c.sequence);
  }
}

}  // namespace
}  // namespace tallowgate
