#include "run/app_code.h"

namespace tallowgate {

std::optional<AppCode> match_app_code(const Text<72>& app) {
  for (const AppCodeRow& row : kAppCodes) {
    const bool matches = row.match == CodeMatch::kFirstFive ? app.starts_with(row.text) : app == row.text;
    if (matches) return row.code;
  }
  return std::nullopt;
}

}  // namespace tallowgate
