#ifndef TALLOWGATE_TOOLS_DECODER_DECODER_FATAL_H_
#define TALLOWGATE_TOOLS_DECODER_DECODER_FATAL_H_

#include <string>

namespace tallowgate {

// Ends the decoder's run: run_decoder writes "*** FATAL ERROR: <what> ***" on the error stream and
// returns 8. Thrown for what makes a file unusable: it cannot be opened or read, a message is cut
// short or lacks its closing "7777", a field contradicts its own sections, or ecCodes cannot decode
// a field.
struct DecoderFatal {
  std::string what;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_TOOLS_DECODER_DECODER_FATAL_H_
