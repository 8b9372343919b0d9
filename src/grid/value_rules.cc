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

constexpr ValueRuleRow kValueRuleRows[] = {
    {AppCode::kCapa, kPrecipitation},
    {AppCode::kRdpa, kPrecipitation},
    {AppCode::kRdpsPcpFc, kPrecipitation},
    {AppCode::kRegP, kPrecipitation},
    {AppCode::kGlbP, kPrecipitation},
    {AppCode::kHreP, kPrecipitation},
    {AppCode::kGlbSP, kPrecipitation},
    // The preliminary analysis and the radar accumulation are precipitation
    // grids like the final analysis.
    {AppCode::kRdpaPrelim, kPrecipitation},
    {AppCode::kRdrP, kPrecipitation},
    {AppCode::kCapa10, kPrecipitationDumpOrder},
    {AppCode::kCapa15, kPrecipitationDumpOrder},
    {AppCode::kHreT, kTemperature},
    {AppCode::kGlbST, kTemperature},
    {AppCode::kGlbT, kTemperature},
    {AppCode::kRegT, kTemperature},
    {AppCode::kRglT, kTemperature},
    {AppCode::kRdpsTmpFc, kTemperature},
    {AppCode::kRdpsTmpHc, kTemperature},
};

}  // namespace

const ValueRule* find_value_rule(AppCode code) {
  for (const ValueRuleRow& row : kValueRuleRows) {
    if (row.code == code) return &row.rule;
  }
  return nullptr;
}

}  // namespace tallowgate
