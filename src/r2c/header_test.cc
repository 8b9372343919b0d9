#include "r2c/header.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

std::string read_golden(const std::string& name) {
  std::ifstream in(std::string(TALLOWGATE_GOLDEN_DIR) + "/header/" + name, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

class HeaderTest : public ::testing::Test {
 protected:
  HeaderTest() { platform_.clock = {2024, 1, 5, 7, 3, 9, 42}; }

  // The header of `app` for one grid, as the output file holds it.
  std::string header_of(std::string_view app, int xcount, int ycount) {
    RunState state;
    state.APP.assign(app);
    state.code = match_app_code(state.APP);
    state.xcount = xcount;
    state.ycount = ycount;
    std::string err;
    state.output = platform_.open_output("out.r2c", &err);
    write_r2c_header(&platform_, &state);
    state.output->commit();
    return platform_.files["out.r2c"];
  }

  FakePlatform platform_;
};

// The golden headers were written out by hand from the header tables.
TEST_F(HeaderTest, MatchesGoldenHeaderOfEveryCode) {
  for (const AppCodeRow& code : kAppCodes) {
    const std::string app(code.text);
    for (const auto& [xcount, ycount, size] : {std::tuple{935, 824, "935x824"}, {2881, 1441, "2881x1441"}}) {
      SCOPED_TRACE(app + " " + size);
      const std::string golden = read_golden(app + "_" + size + ".r2c");
      ASSERT_FALSE(golden.empty());
      EXPECT_EQ(header_of(app, xcount, ycount), golden);
    }
  }
}

TEST_F(HeaderTest, CodeAcceptedByItsFirstFiveCharactersIsGlbSP) {
  EXPECT_EQ(header_of("glbSP2", 935, 824), read_golden("glbSP_935x824.r2c"));
}

TEST_F(HeaderTest, WritesInfoLinesFromAFreshClockQuery) {
  RunState state;
  state.APP.assign("regT");
  state.code = AppCode::kRegT;
  state.CDAY.assign("20231231");
  state.TIME.assign("235959.999");
  std::string err;
  state.output = platform_.open_output("out.r2c", &err);
  platform_.clock = {2024, 1, 1, 0, 0, 5, 7};
  write_r2c_header(&platform_, &state);
  EXPECT_EQ(platform_.out_lines,
            (std::vector<std::string>{"    Info:   runtime    00:00:05", "    Info:   rundate  2024-01-01"}));
  EXPECT_EQ(state.CDAY, "20240101");
  EXPECT_EQ(state.TIME, "000005.007");
  state.output->commit();
  EXPECT_NE(platform_.files["out.r2c"].find(":CreationDate       2024-01-01  00:00\n"), std::string::npos);
}

TEST_F(HeaderTest, FailedWriteThrowsIoError) {
  platform_.fail_writes_to("out.r2c");
  RunState state;
  state.APP.assign("glbT");
  state.code = AppCode::kGlbT;
  std::string err;
  state.output = platform_.open_output("out.r2c", &err);
  EXPECT_THROW(write_r2c_header(&platform_, &state), IoError);
  EXPECT_TRUE(state.output->failed());
}

}  // namespace
}  // namespace tallowgate
