#include "sample_values.h"

namespace tallowgate {

namespace {

constexpr int kMissingBlockColumns = 16;
constexpr int kMissingBlockRows = 8;

// 0 at multiples of `period`, rising by 1 per point to period / 2 halfway between them.
int triangle(int x, int period) {
  const int t = x % period;
  return t < period / 2 ? t : period - t;
}

// Integer arithmetic throughout, so that a value is the same on every machine and easy to recompute.
int temperature_quarter_kelvin(int j, int nj, int i, int step) {
  const int south_to_north = 4 * 310 - (4 * 60 * j) / (nj - 1);
  // Two slow triangle waves, which JPEG 2000 packs far smaller than a point-by-point ripple.
  const int ripple = triangle(i, 96) / 8 + triangle(j, 80) / 7 - 6;
  const int six_hour_slot = 4 * ((step / 6) % 4);
  return south_to_north + ripple + six_hour_slot;
}

int precipitation_sixteenths(int i, int j, int step) {
  constexpr int kCell = 64;
  constexpr int kRadiusSquared = 20 * 20;
  // Kept positive for every step a sample file can have, so % and / never see a negative operand.
  const int x = i - step + 16 * kCell;
  const int cell_i = x / kCell;
  const int cell_j = j / kCell;
  if ((cell_i + 2 * cell_j) % 4 != 0) return 0;
  const int di = x % kCell - kCell / 2;
  const int dj = j % kCell - kCell / 2;
  const int d2 = di * di + dj * dj;
  if (d2 >= kRadiusSquared) return 0;
  // Sixteen rings of 5/16, 10/16 or 15/16 each, so that four decimals are needed to write them.
  const int ring = (kRadiusSquared - d2) / 25;
  return 5 * ring * (1 + (cell_i + cell_j) % 3);
}

}  // namespace

SampleGridSize sample_grid_size(SampleGrid grid) {
  switch (grid) {
    case SampleGrid::kRegional10km:
      return {935, 824};
    case SampleGrid::kCapa10km:
      return {934, 823};
    case SampleGrid::kCapa15km:
      return {492, 398};
    case SampleGrid::kHrdpsEast:
      return {765, 570};
    case SampleGrid::kGlobal:
      return {2400, 1201};
    case SampleGrid::kRotated:
      return {600, 560};
  }
  return {};
}

bool sample_missing(SampleGrid grid, int i, int j) {
  const SampleGridSize size = sample_grid_size(grid);
  const bool south_west = i < kMissingBlockColumns && j < kMissingBlockRows;
  const bool north_east = i >= size.ni - kMissingBlockColumns && j >= size.nj - kMissingBlockRows;
  return south_west || north_east;
}

float sample_value(SampleFamily family, int i, int j, int step) {
  if (family.variable == SampleVariable::kAirTemperature) {
    const int nj = sample_grid_size(family.grid).nj;
    return static_cast<float>(temperature_quarter_kelvin(j, nj, i, step)) / 4.0f;
  }
  return static_cast<float>(precipitation_sixteenths(i, j, step)) / 16.0f;
}

}  // namespace tallowgate
