#include "platform/windows_command_line.h"

namespace tallowgate {

void append_windows_argument(std::string* line, std::string_view argument) {
  if (!line->empty()) line->push_back(' ');
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
    line->append(argument);
    return;
  }
  line->push_back('"');
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      // Backslashes before a quote are doubled, and the quote escaped.
      line->append(2 * backslashes + 1, '\\');
    } else {
      // Elsewhere backslashes stand for themselves.
      line->append(backslashes, '\\');
    }
    backslashes = 0;
    line->push_back(c);
  }
  // Before the closing quote they are doubled, so it still closes.
  line->append(2 * backslashes, '\\');
  line->push_back('"');
}

}  // namespace tallowgate
