#ifndef TALLOWGATE_SAMPLE_DATA_SAMPLE_VALUES_H_
#define TALLOWGATE_SAMPLE_DATA_SAMPLE_VALUES_H_

// The grids and the field values of the sample product files, as pure functions, so that a test of the
// converter can tell what any grid point of a sample file holds without decoding it.
//
// Grid points are numbered as the GRIB2 messages store them: every grid is scanned with i growing eastward
// (columns 0 to ni - 1, fastest) and j growing northward (rows 0 to nj - 1), so row 0 is the southern edge.
// A decoder dump lists row 0 first; the converter writes the precipitation and temperature frames of most
// products northern row first and the two CaPA analysis grids (capa10, capa15) southern row first.

namespace tallowgate {

enum class SampleGrid {
  kRegional10km,  // polar-stereographic 10 km, 935 x 824, true at 60 N, oriented along 249 E
  kCapa10km,      // the same projection, 934 x 823, from the same first point: the CaPA 10 km analysis grid
  kCapa15km,      // the same projection at 15 km, 492 x 398: the CaPA 15 km analysis grid
  kHrdpsEast,     // polar-stereographic 2.5 km, 765 x 570, true at 60 N, oriented along 280 E
  kGlobal,        // latitude-longitude 0.15 degree, 2400 x 1201, from 90 S 180 E northward
  kRotated,       // rotated latitude-longitude 0.15 degree, 600 x 560
};

enum class SampleVariable {
  kAirTemperature,  // 2 m temperature, K
  kPrecipitation,   // accumulated precipitation, kg m-2
};

struct SampleFamily {
  SampleGrid grid;
  SampleVariable variable;
};

struct SampleGridSize {
  int ni = 0;
  int nj = 0;
};

SampleGridSize sample_grid_size(SampleGrid grid);

// Hours are counted from the sample base time, 2025-08-24 00 UTC: `step` is the valid time of a file in
// hours after it (the forecast hour for the forecasts of the 00 UTC run of that day).
constexpr int kSampleBaseYear = 2025;
constexpr int kSampleBaseMonth = 8;
constexpr int kSampleBaseDay = 24;

// True for the points a bitmap leaves out, in the files that have one (SampleFile::bitmap): a block of
// 16 x 8 points in the south-west corner and one in the north-east corner of the grid. A decoder reports
// them as missing (the decoder dump holds 9.999e+20).
bool sample_missing(SampleGrid grid, int i, int j);

// The value stored at point (i, j) of a file of `family` valid `step` hours after the base time; for a
// missing point, the value the point would have held. Every value is a multiple of 1/4 K for temperature
// and of 1/16 kg m-2 for precipitation, held exactly in single precision and kept exactly by the packing,
// so a decoded value equals it bit for bit and prints with 2 (temperature) or 4 (precipitation) decimals
// without rounding.
//
// Temperature falls from about 310 K on the southern row to about 250 K on the northern row, with a
// slow ripple along i and j (-1.5 K to +1.25 K) and a shift of 0, 1, 2 or 3 K by the 6-hour slot of
// `step`; it lies between 248.5 K and 314.25 K.
// Precipitation is zero but in round patches 40 points across, centred in one cell in four of a 64-point
// lattice, each patch rising in rings of 5/16, 10/16 or 15/16 kg m-2 to at most 15 kg m-2 at its centre;
// the whole pattern drifts one point east per hour of `step` (0 to 1000).
float sample_value(SampleFamily family, int i, int j, int step);

}  // namespace tallowgate

#endif  // TALLOWGATE_SAMPLE_DATA_SAMPLE_VALUES_H_
