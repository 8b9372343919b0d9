#ifndef TALLOWGATE_RUN_CONSOLE_H_
#define TALLOWGATE_RUN_CONSOLE_H_

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "text/fields.h"

namespace tallowgate {

// Writes `text` as a free-form console line: one leading blank, then the text
// at its full length.
inline void write_free_line(Platform* platform, std::string_view text) {
  std::string line;
  FreeLine(&line).text(text);
  platform->write_out(line);
}

}  // namespace tallowgate

#endif  // TALLOWGATE_RUN_CONSOLE_H_
