#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

TEST(FetchArguments, CutsArgumentsTo72AndTakesTodayWithoutADate) {
  FakePlatform platform;
  RunState state;
  state.CDAY = "20250824";
  const std::vector<std::string> args{std::string(80, 'x'), "20250415"};
  fetch_arguments(&platform, args, &state);
  EXPECT_EQ(state.BUF.view(), std::string(72, 'x'));
  EXPECT_EQ(state.code_length, 72);
  EXPECT_EQ(state.DATE_KEY.view(), "202504  ");

  RunState today;
  today.CDAY = "20250824";
  fetch_arguments(&platform, std::vector<std::string>{"regT"}, &today);
  EXPECT_EQ(today.DATE_KEY.view(), "20250824");
  EXPECT_TRUE(today.BUF1.blank());
}

}  // namespace
}  // namespace tallowgate
