#include "run/clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

TEST(Clock, ZeroFillsTheDateAndTimeAndShowsThemInTheInfoLines) {
  const struct {
    const char* name;
    LocalTime now;
    const char* cday;
    const char* time;
    const char* runtime_line;
    const char* rundate_line;
  } cases[] = {
      {"small fields",
       {2024, 1, 5, 7, 3, 9, 42},
       "20240105",
       "070309.042",
       "    Info:   runtime    07:03:09",
       "    Info:   rundate  2024-01-05"},
      {"last moment of a year",
       {2025, 12, 31, 23, 59, 59, 999},
       "20251231",
       "235959.999",
       "    Info:   runtime    23:59:59",
       "    Info:   rundate  2025-12-31"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    platform.clock = c.now;
    RunState state;
    query_clock(&platform, &state);
    EXPECT_EQ(state.CDAY.view(), c.cday);
    EXPECT_EQ(state.TIME.view(), c.time);
    write_info_lines(&platform, state);
    EXPECT_EQ(platform.out_lines, (std::vector<std::string>{c.runtime_line, c.rundate_line}));
  }
}

}  // namespace
}  // namespace tallowgate
