#include "run/app_code.h"

#include <gtest/gtest.h>

#include <string>

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
  for (const AppCodeRow& row : kAppCodes) {
    SCOPED_TRACE(std::string(row.text));
    EXPECT_EQ(match_app_code(Text<72>(row.text)), row.code);
    EXPECT_EQ(app_code_text(row.code), row.text);
  }
}

}  // namespace
}  // namespace tallowgate
