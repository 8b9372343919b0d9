#ifndef TALLOWGATE_PLATFORM_LOCAL_PATH_H_
#define TALLOWGATE_PLATFORM_LOCAL_PATH_H_

#include <string>
#include <string_view>

namespace tallowgate {

// Maps a path of the system ("\kestrano\CMC\glb\glb_tmp.r2c", "..\runReport.txt")
// onto this machine: backslashes become "/", and a path rooted with a
// backslash lies under `drive_root` ("/" when it is empty). Relative paths
// stay relative to the working directory.
std::string local_path(std::string_view system_path, std::string_view drive_root);

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_LOCAL_PATH_H_
