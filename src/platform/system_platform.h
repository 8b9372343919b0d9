#ifndef TALLOWGATE_PLATFORM_SYSTEM_PLATFORM_H_
#define TALLOWGATE_PLATFORM_SYSTEM_PLATFORM_H_

#include <memory>

#include "platform/platform.h"

namespace tallowgate {

// The platform of the system the program was built for. Each system's
// platform file defines it; the build compiles exactly one of them.
std::unique_ptr<Platform> make_system_platform();

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_SYSTEM_PLATFORM_H_
