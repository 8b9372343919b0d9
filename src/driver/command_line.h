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

// Every application code, in the order codes are compared (first match wins).
inline constexpr AppCode kAllAppCodes[] = {
    AppCode::kCapa15,    AppCode::kCapa10,    AppCode::kCapa,       AppCode::kRdpa,  AppCode::kRdpsTmpHc,
    AppCode::kRdpsPcpFc, AppCode::kRdpsTmpFc, AppCode::kRdpaPrelim, AppCode::kRglT,  AppCode::kRegP,
    AppCode::kRegT,      AppCode::kGlbP,      AppCode::kGlbT,       AppCode::kGlbSP, AppCode::kGlbST,
    AppCode::kHreP,      AppCode::kHreT,      AppCode::kRdrP,
};

// The code as operators type it: "capa15", "RDPS-TMP-HC", "glbSP".
std::string_view app_code_text(AppCode code);

// The code `app` names: exact and case-sensitive, trailing blanks ignored,
// except that any text beginning with "glbSP" is glbSP. Empty when none.
std::optional<AppCode> match_app_code(const Text<72>& app);

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
