#ifndef TALLOWGATE_PLATFORM_WINDOWS_COMMAND_LINE_H_
#define TALLOWGATE_PLATFORM_WINDOWS_COMMAND_LINE_H_

#include <string>
#include <string_view>

namespace tallowgate {

// Appends `argument` to a Windows command line, after one blank when the
// line is not empty, quoted so that the program's C runtime (and
// CommandLineToArgvW) hands it back as one argument exactly as given:
// blanks, tabs, quotes, backslashes before a quote and at the end, and the
// empty argument. Characters the command interpreter treats specially
// (& | ^ % < > ( )) need nothing, as no interpreter reads the line.
void append_windows_argument(std::string* line, std::string_view argument);

}  // namespace tallowgate

#endif  // TALLOWGATE_PLATFORM_WINDOWS_COMMAND_LINE_H_
