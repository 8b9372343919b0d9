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

// The same path on a Windows machine: it is native there, so only a path
// rooted with one backslash gets `drive` put before it ("D:" or "D:\some\dir",
// either separator, trailing separators dropped); an empty `drive` leaves it
// rooted at the current drive. Relative paths and UNC paths stay as they are.
std::string windows_local_path(std::string_view system_path, std::string_view drive);

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_LOCAL_PATH_H_
