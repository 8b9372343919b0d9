#include "sample_values.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tallowgate {
namespace {

constexpr SampleGrid kGrids[] = {SampleGrid::kRegional10km, SampleGrid::kCapa10km, SampleGrid::kCapa15km,
                                 SampleGrid::kHrdpsEast,    SampleGrid::kGlobal,   SampleGrid::kRotated};

bool is_multiple_of(float value, float quantum) {
  const float units = value / quantum;
  return units == std::floor(units);
}

// Every value prints exactly with the converter's decimals and lies in the promised range, on every grid
// and for every step a sample file can have.
TEST(SampleValues, StayOnTheirQuantumAndRange) {
  for (SampleGrid grid : kGrids) {
    const SampleGridSize size = sample_grid_size(grid);
    SCOPED_TRACE(size.ni);
    for (int step : {0, 7, 18, 48}) {
      float t_min = 1e9f, t_max = -1e9f, p_max = 0.0f;
      long wet = 0;
      for (int j = 0; j < size.nj; j += 3) {
        for (int i = 0; i < size.ni; i += 3) {
          const float t = sample_value({grid, SampleVariable::kAirTemperature}, i, j, step);
          const float p = sample_value({grid, SampleVariable::kPrecipitation}, i, j, step);
          ASSERT_TRUE(is_multiple_of(t, 0.25f)) << i << "," << j;
          ASSERT_TRUE(is_multiple_of(p, 0.0625f)) << i << "," << j;
          t_min = std::min(t_min, t);
          t_max = std::max(t_max, t);
          p_max = std::max(p_max, p);
          ASSERT_GE(p, 0.0f);
          if (p > 0.0f) ++wet;
        }
      }
      EXPECT_GE(t_min, 248.5f);
      EXPECT_LE(t_max, 314.25f);
      EXPECT_LE(p_max, 15.0f);
      EXPECT_GT(p_max, 0.0f);
      const long points = static_cast<long>((size.ni + 2) / 3) * ((size.nj + 2) / 3);
      EXPECT_LT(wet, points / 5);  // mostly dry
      EXPECT_GT(wet, points / 50);
    }
  }
}

TEST(SampleValues, TemperatureFallsFromSouthToNorth) {
  for (SampleGrid grid : kGrids) {
    const SampleGridSize size = sample_grid_size(grid);
    SCOPED_TRACE(size.ni);
    const SampleFamily family{grid, SampleVariable::kAirTemperature};
    EXPECT_GT(sample_value(family, 0, 0, 0) - sample_value(family, 0, size.nj - 1, 0), 55.0f);
    EXPECT_EQ(sample_value(family, 0, 0, 0), 310.0f - 1.5f);
    // The six-hour slot shifts the whole field by 1 K.
    EXPECT_EQ(sample_value(family, 5, 9, 6) - sample_value(family, 5, 9, 0), 1.0f);
  }
}

TEST(SampleValues, PrecipitationDriftsEastOnePointPerHour) {
  const SampleFamily family{SampleGrid::kGlobal, SampleVariable::kPrecipitation};
  int compared_wet = 0;
  for (int j = 0; j < 200; ++j) {
    for (int i = 0; i < 300; ++i) {
      const float now = sample_value(family, i, j, 10);
      ASSERT_EQ(sample_value(family, i + 5, j, 15), now) << i << "," << j;
      if (now > 0.0f) ++compared_wet;
    }
  }
  EXPECT_GT(compared_wet, 0);
  // A patch centre: lattice cell (16, 0) lies at x = 1024, so i = 32 at step 0, 1 + (16 + 0) % 3 = 2.
  EXPECT_EQ(sample_value(family, 32, 32, 0), 16 * 10 / 16.0f);
}

TEST(SampleValues, MissingPointsAreTheTwoCornerBlocks) {
  for (SampleGrid grid : kGrids) {
    const SampleGridSize size = sample_grid_size(grid);
    SCOPED_TRACE(size.ni);
    long missing = 0;
    for (int j = 0; j < size.nj; ++j) {
      for (int i = 0; i < size.ni; ++i) missing += sample_missing(grid, i, j) ? 1 : 0;
    }
    EXPECT_EQ(missing, 2 * 16 * 8);
    EXPECT_TRUE(sample_missing(grid, 0, 0));
    EXPECT_TRUE(sample_missing(grid, 15, 7));
    EXPECT_FALSE(sample_missing(grid, 16, 0));
    EXPECT_FALSE(sample_missing(grid, 0, 8));
    EXPECT_TRUE(sample_missing(grid, size.ni - 1, size.nj - 1));
    EXPECT_FALSE(sample_missing(grid, size.ni - 17, size.nj - 1));
  }
}

}  // namespace
}  // namespace tallowgate
