#ifndef TALLOWGATE_RUN_APP_CODE_H_
#define TALLOWGATE_RUN_APP_CODE_H_

#include <cstddef>
#include <iterator>
#include <optional>
#include <string_view>

#include "text/fixed_text.h"

namespace tallowgate {

// The application codes: one product each, in the order codes are compared.
enum class AppCode {
  kCapa15,
  kCapa10,
  kCapa,
  kRdpa,
  kRdpsTmpHc,
  kRdpsPcpFc,
  kRdpsTmpFc,
  kRdpaPrelim,
  kRglT,
  kRegP,
  kRegT,
  kGlbP,
  kGlbT,
  kGlbSP,
  kGlbST,
  kHreP,
  kHreT,
  kRdrP,
};

// How a typed code is compared with a row's text.
enum class CodeMatch {
  kWholeCode,  // the whole code, trailing blanks ignored
  kFirstFive,  // any text beginning with the row's five characters
};

struct AppCodeRow {
  AppCode code;
  std::string_view text;  // as operators type it
  CodeMatch match;
};

// The list of codes. Every per-code table of the stages has one row per entry
// here, in this order, and the build checks it.
// clang-format off
inline constexpr AppCodeRow kAppCodes[] = {
    {AppCode::kCapa15,     "capa15",      CodeMatch::kWholeCode},
    {AppCode::kCapa10,     "capa10",      CodeMatch::kWholeCode},
    {AppCode::kCapa,       "capa",        CodeMatch::kWholeCode},
    {AppCode::kRdpa,       "RDPA",        CodeMatch::kWholeCode},
    {AppCode::kRdpsTmpHc,  "RDPS-TMP-HC", CodeMatch::kWholeCode},
    {AppCode::kRdpsPcpFc,  "RDPS-PCP-FC", CodeMatch::kWholeCode},
    {AppCode::kRdpsTmpFc,  "RDPS-TMP-FC", CodeMatch::kWholeCode},
    {AppCode::kRdpaPrelim, "RDPA_prelim", CodeMatch::kWholeCode},
    {AppCode::kRglT,       "rglT",        CodeMatch::kWholeCode},
    {AppCode::kRegP,       "regP",        CodeMatch::kWholeCode},
    {AppCode::kRegT,       "regT",        CodeMatch::kWholeCode},
    {AppCode::kGlbP,       "glbP",        CodeMatch::kWholeCode},
    {AppCode::kGlbT,       "glbT",        CodeMatch::kWholeCode},
    {AppCode::kGlbSP,      "glbSP",       CodeMatch::kFirstFive},  // "glbSP2", "glbSPxyz" too
    {AppCode::kGlbST,      "glbST",       CodeMatch::kWholeCode},
    {AppCode::kHreP,       "hreP",        CodeMatch::kWholeCode},
    {AppCode::kHreT,       "hreT",        CodeMatch::kWholeCode},
    {AppCode::kRdrP,       "rdrP",        CodeMatch::kWholeCode},
};
// clang-format on

inline constexpr std::size_t kAppCodeCount = std::size(kAppCodes);

// True when `table` has exactly one row per application code, in the order of
// the enum and of kAppCodes: a missing, doubled or misplaced row fails. Each
// per-code table is checked where it is defined, so a new code does not build
// until every table has its row:
//   static_assert(one_row_per_code(kFooRows), "kFooRows needs one row per application code, in code order");
template <typename Row, std::size_t N>
constexpr bool one_row_per_code(const Row (&table)[N]) {
  if (N != kAppCodeCount) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(table[i].code) != i) return false;
  }
  return true;
}

// The row of `code` in a table that passes one_row_per_code.
template <typename Row, std::size_t N>
constexpr const Row& row_for(const Row (&table)[N], AppCode code) {
  return table[static_cast<std::size_t>(code)];
}

static_assert(one_row_per_code(kAppCodes), "kAppCodes needs one row per application code, in code order");

// The code as operators type it: "capa15", "RDPS-TMP-HC", "glbSP".
inline std::string_view app_code_text(AppCode code) { return row_for(kAppCodes, code).text; }

// The code `app` names: exact and case-sensitive, trailing blanks ignored,
// except that any text beginning with "glbSP" is glbSP. Empty when none.
std::optional<AppCode> match_app_code(const Text<72>& app);

}  // namespace tallowgate

#endif  // TALLOWGATE_RUN_APP_CODE_H_
