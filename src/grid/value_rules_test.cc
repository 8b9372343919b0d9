#include "grid/value_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "driver/command_line.h"

namespace tallowgate {
namespace {

TEST(ValueRules, EveryCodeHasARule) {
  for (AppCode code : kAllAppCodes) {
    SCOPED_TRACE(std::string(app_code_text(code)));
    EXPECT_NE(find_value_rule(code), nullptr);
  }
}

TEST(ValueRules, PrecipitationTemperatureAndDumpOrderRows) {
  struct Case {
    AppCode code;
    float cap;
    int decimals;
    RowOrder order;
  } cases[] = {
      {AppCode::kCapa, 99.0f, 4, RowOrder::kLastRowFirst},
      {AppCode::kRdpaPrelim, 99.0f, 4, RowOrder::kLastRowFirst},
      {AppCode::kRdrP, 99.0f, 4, RowOrder::kLastRowFirst},
      {AppCode::kGlbSP, 99.0f, 4, RowOrder::kLastRowFirst},
      {AppCode::kCapa10, 99.0f, 4, RowOrder::kDumpOrder},
      {AppCode::kCapa15, 99.0f, 4, RowOrder::kDumpOrder},
      {AppCode::kRegT, 400.0f, 2, RowOrder::kLastRowFirst},
      {AppCode::kRdpsTmpHc, 400.0f, 2, RowOrder::kLastRowFirst},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(app_code_text(c.code)));
    const ValueRule* rule = find_value_rule(c.code);
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->cap, c.cap);
    EXPECT_EQ(rule->decimals, c.decimals);
    EXPECT_EQ(rule->row_order, c.order);
  }
}

TEST(ValueRules, CapLimitsFromAboveOnly) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(capped(9.999e20f, 99.0f), 99.0f);
  EXPECT_EQ(capped(99.0f, 99.0f), 99.0f);
  EXPECT_EQ(capped(98.99999f, 99.0f), 98.99999f);
  EXPECT_EQ(capped(-100.0f, 99.0f), -100.0f);
  EXPECT_EQ(capped(inf, 400.0f), 400.0f);
  EXPECT_EQ(capped(-inf, 400.0f), -inf);
  EXPECT_EQ(capped(std::numeric_limits<float>::quiet_NaN(), 400.0f), 400.0f);
  EXPECT_EQ(capped(-std::numeric_limits<float>::quiet_NaN(), 99.0f), 99.0f);
}

}  // namespace
}  // namespace tallowgate
