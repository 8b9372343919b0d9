#ifndef TALLOWGATE_R2C_HEADER_H_
#define TALLOWGATE_R2C_HEADER_H_

#include "platform/platform.h"
#include "run/run_state.h"

namespace tallowgate {

// Writes the r2c header of state->code into state->output for a grid of
// state->xcount columns and state->ycount rows: the opening lines with the
// creation date of a fresh clock query, the product's ":Name" line (none for
// RDPA_prelim and rdrP), its grid geometry, the units and ":EndHeader".
// Refreshes CDAY and TIME and writes the two "Info:" console lines from them. The counts are written as they
// are. A failed write throws IoError.
void write_r2c_header(Platform* platform, RunState* state);

}  // namespace tallowgate

#endif  // TALLOWGATE_R2C_HEADER_H_
