#ifndef TALLOWGATE_RUN_STOPS_H_
#define TALLOWGATE_RUN_STOPS_H_

#include <string>

namespace tallowgate {

// The two ways a stage ends the run. Only run() catches them: it settles the
// output file, writes the message and returns the exit status.

// A stop the program makes: run() writes `message` (when there is one) on the
// error stream and returns `exit_status`.
struct RunStop {
  std::string message;
  int exit_status = 1;
};

// A failed read or write: `path` as it stands on this machine, `reason` the
// system's words. run() writes "tallowgate: <path>: <reason>" and returns 1.
struct IoError {
  std::string path;
  std::string reason;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_RUN_STOPS_H_
