// Small r2c files for the tests of r2c-look.
#ifndef TALLOWGATE_TOOLS_R2C_LOOK_LOOK_FIXTURES_H_
#define TALLOWGATE_TOOLS_R2C_LOOK_LOOK_FIXTURES_H_

#include <string>

namespace tallowgate::look {

// A file laid out as the converter writes it: a regional precipitation header for 3 x 2 cells (lines
// 1 to 31) and two frames (lines 32 to 35 and 36 to 39). Frame 1 holds 0.25, the cap, 1, 2, 3, -0.5.
inline std::string converter_file() {
  return "########################################\n"
         ":FileType r2c  ASCII  EnSim 1.0         \n"
         "#                                       \n"
         "# DataType               2D Rect Cell   \n"
         "#                                       \n"
         ":application             KESTRANO       \n"
         ":Version                 2.1.23         \n"
         ":WrittenBy               tallowgate.exe \n"
         ":CreationDate        2025-08-24  12:30\n"
         "#                                       \n"
         "#---------------------------------------\n"
         "#                                       \n"
         ":Name                      Regl apcp     \n"
         "#                                       \n"
         ":Projection          PolarStereographic\n"
         ":Ellipsoid                       Sphere\n"
         ":CentreLatitude                   60\n"
         ":CentreLongitude                 249\n"
         "#                                       \n"
         ":xOrigin                -4556441.500000\n"
         ":yOrigin                  920682.125000\n"
         ":xCount                            3\n"
         ":yCount                            2\n"
         ":xDelta                    10000.000000\n"
         ":yDelta                    10000.000000\n"
         "#                                       \n"
         ":SourceFile             grib2            \n"
         "#                                       \n"
         ":AttributeUnits               1 kg/(m^2)\n"
         "#                                       \n"
         ":EndHeader          \n"
         ":frame    1    1     \"2025/08/24  06:00\"\n"
         "  0.2500 99.0000  1.0000\n"
         "  2.0000  3.0000 -0.5000\n"
         "EndFrame\n"
         ":frame    2    2     \"2025/08/24  12:00\"\n"
         "  0.0000  0.0000  0.0000\n"
         "  0.0000  0.0000  0.0000\n"
         "EndFrame\n";
}

}  // namespace tallowgate::look

#endif  // TALLOWGATE_TOOLS_R2C_LOOK_LOOK_FIXTURES_H_
