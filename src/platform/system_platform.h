#ifndef TALLOWGATE_PLATFORM_SYSTEM_PLATFORM_H_
#define TALLOWGATE_PLATFORM_SYSTEM_PLATFORM_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tallowgate {

// The platform of the system the program was built for. Each system's
// platform file defines it; the build compiles exactly one of them.
std::unique_ptr<Platform> make_system_platform();

// The program's arguments after its own name, in UTF-8. `argc` and `argv`
// are main()'s; a system whose own command line is wide reads that instead.
std::vector<std::string> command_line_arguments(int argc, char** argv);

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_SYSTEM_PLATFORM_H_
