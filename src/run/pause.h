#ifndef TALLOWGATE_RUN_PAUSE_H_
#define TALLOWGATE_RUN_PAUSE_H_

#include <string_view>

#include "platform/platform.h"

namespace tallowgate {

// Shows `prompt` as a console line and waits for the operator. An empty line
// resumes, as does the end of standard input (a batch run never hangs here);
// any other line is run by the command interpreter and the prompt comes again.
void pause(Platform* platform, std::string_view prompt);

}  // namespace tallowgate

#endif  // TALLOWGATE_RUN_PAUSE_H_
