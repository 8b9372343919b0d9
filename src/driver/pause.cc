#include "driver/pause.h"

#include <string>

#include "text/fields.h"

namespace tallowgate {

void pause(Platform* platform, std::string_view prompt) {
  std::string line;
  FreeLine(&line).text(prompt);
  std::string typed;
  for (;;) {
    platform->write_out(line);
    if (!platform->read_input(&typed) || typed.empty()) return;
    platform->run_shell(typed);
  }
}

}  // namespace tallowgate
