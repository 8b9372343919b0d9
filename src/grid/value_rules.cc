#include "grid/value_rules.h"

namespace tallowgate {
namespace {

struct ValueRuleRow {
  AppCode code;
  ValueRule rule;
};

constexpr ValueRule kPrecipitation{99.0f, 4, RowOrder::kLastRowFirst};
// The CaPA 10 km and 15 km analysis frames keep the dump's row order, southern row first.
constexpr ValueRule kPrecipitationDumpOrder{99.0f, 4, RowOrder::kDumpOrder};
constexpr ValueRule kTemperature{400.0f, 2, RowOrder::kLastRowFirst};

// clang-format off
constexpr ValueRuleRow kValueRuleRows[] = {
    {AppCode::kCapa15,     kPrecipitationDumpOrder},
    {AppCode::kCapa10,     kPrecipitationDumpOrder},
    {AppCode::kCapa,       kPrecipitation},
    {AppCode::kRdpa,       kPrecipitation},
    {AppCode::kRdpsTmpHc,  kTemperature},
    {AppCode::kRdpsPcpFc,  kPrecipitation},
    {AppCode::kRdpsTmpFc,  kTemperature},
    // The preliminary analysis and the radar accumulation are precipitation
    // grids like the final analysis.
    {AppCode::kRdpaPrelim, kPrecipitation},
    {AppCode::kRglT,       kTemperature},
    {AppCode::kRegP,       kPrecipitation},
    {AppCode::kRegT,       kTemperature},
    {AppCode::kGlbP,       kPrecipitation},
    {AppCode::kGlbT,       kTemperature},
    {AppCode::kGlbSP,      kPrecipitation},
    {AppCode::kGlbST,      kTemperature},
    {AppCode::kHreP,       kPrecipitation},
    {AppCode::kHreT,       kTemperature},
    {AppCode::kRdrP,       kPrecipitation},
};
// clang-format on
static_assert(one_row_per_code(kValueRuleRows),
              "kValueRuleRows needs one row per application code, in code order");

}  // namespace

const ValueRule& value_rule(AppCode code) { return row_for(kValueRuleRows, code).rule; }

}  // namespace tallowgate
