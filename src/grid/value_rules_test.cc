#include "grid/value_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tallowgate {
namespace {

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
