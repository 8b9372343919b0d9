#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

TEST(MatchAppCode, WholeCodesExactlyAndGlbSPByItsFirstFive) {
  struct Case {
    const char* typed;
    std::optional<AppCode> want;
  } cases[] = {
      {"capa15", AppCode::kCapa15},
      {"capa10", AppCode::kCapa10},
      {"capa", AppCode::kCapa},
      {"RDPA", AppCode::kRdpa},
      {"RDPA_prelim", AppCode::kRdpaPrelim},
      {"glbSP", AppCode::kGlbSP},
      {"glbSP2", AppCode::kGlbSP},
      {"glbSPxyz", AppCode::kGlbSP},
      {"glbST", AppCode::kGlbST},
      {"glbST2", std::nullopt},
      {"HRET", std::nullopt},
      {"capa1", std::nullopt},
      {"capa150", std::nullopt},
      {"", std::nullopt},
      {"regT   ", AppCode::kRegT},
      {" regT", std::nullopt},
      {"rdrp", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(match_app_code(Text<72>(c.typed)), c.want);
  }
}

TEST(MatchAppCode, EveryCodeIsFoundByItsOwnText) {
  for (AppCode code : kAllAppCodes) {
    SCOPED_TRACE(std::string(app_code_text(code)));
    EXPECT_EQ(match_app_code(Text<72>(app_code_text(code))), code);
  }
}

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
