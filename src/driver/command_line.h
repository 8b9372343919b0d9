#ifndef TALLOWGATE_DRIVER_COMMAND_LINE_H_
#define TALLOWGATE_DRIVER_COMMAND_LINE_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "run/run_state.h"
#include "text/fixed_text.h"

namespace tallowgate {

// The opening banner and the usage lines; the closing banner.
void write_banner(Platform* platform);
void write_closing_banner(Platform* platform);

// Takes the first two arguments into BUF and BUF1 (cut to 72 characters),
// derives APP and DATE_KEY (today's CDAY when no date is given) and echoes
// them. CDAY must hold the clock's date already.
void fetch_arguments(Platform* platform, std::span<const std::string> args, RunState* state);

// Writes the list of codes an operator can use, and APP as typed.
void write_help_list(Platform* platform, const RunState& state);

}  // namespace tallowgate

#endif  // TALLOWGATE_DRIVER_COMMAND_LINE_H_
