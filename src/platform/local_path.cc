#include "platform/local_path.h"

namespace tallowgate {

std::string local_path(std::string_view system_path, std::string_view drive_root) {
  std::string path;
  if (!system_path.empty() && system_path.front() == '\\') {
    path = drive_root.empty() ? "/" : std::string(drive_root);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path == "/") path.clear();
  }
  for (char c : system_path) path.push_back(c == '\\' ? '/' : c);
  return path;
}

std::string windows_local_path(std::string_view system_path, std::string_view drive) {
  const bool rooted = !system_path.empty() && system_path.front() == '\\' &&
                      (system_path.size() < 2 || system_path[1] != '\\');
  std::string path;
  if (rooted) {
    for (char c : drive) path.push_back(c == '/' ? '\\' : c);
    while (!path.empty() && path.back() == '\\') path.pop_back();
  }
  path.append(system_path);
  return path;
}

}  // namespace tallowgate
