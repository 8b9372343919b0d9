#ifndef TALLOWGATE_RUN_STOPS_H_
#define TALLOWGATE_RUN_STOPS_H_

#include <string>

namespace tallowgate {

// Ends the run from any stage: run() writes `message` (when there is one) on
// the error stream, settles the output file and returns `exit_status`.
struct RunStop {
  std::string message;
  int exit_status = 1;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_RUN_STOPS_H_
