#include "run/pause.h"

#include <string>

#include "run/console.h"

namespace tallowgate {

void pause(Platform* platform, std::string_view prompt) {
  std::string typed;
  for (;;) {
    write_free_line(platform, prompt);
    if (!platform->read_input(&typed) || typed.empty()) return;
    platform->run_shell(typed);
  }
}

}  // namespace tallowgate
