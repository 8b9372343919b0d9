#ifndef TALLOWGATE_DRIVER_RUN_H_
#define TALLOWGATE_DRIVER_RUN_H_

#include <span>
#include <string>

#include "platform/platform.h"

namespace tallowgate {

// Converts the GRIB2 files of the working directory for the application code
// in args[0] (args[1]: an optional yyyymm). Returns the exit status: 0 after
// "Normal ending", 1 after every other stop. Whatever the stop, the output
// file holds either what the run wrote or what it held before.
int run(Platform* platform, std::span<const std::string> args);

}  // namespace tallowgate

#endif  // TALLOWGATE_DRIVER_RUN_H_
