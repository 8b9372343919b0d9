// Temporary stand-in until the header writer lands: writes nothing.
#include "r2c/header.h"

namespace tallowgate {

void write_r2c_header(Platform*, RunState*) {}

}  // namespace tallowgate
