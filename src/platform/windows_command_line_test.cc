#include "platform/windows_command_line.h"

#include <gtest/gtest.h>

namespace tallowgate {
namespace {

TEST(WindowsCommandLine, QuotesWhatTheRuntimeWouldSplitOrUnescape) {
  struct Case {
    const char* name;
    const char* argument;
    const char* want;
  } cases[] = {
      {"plain", "-text", "-text"},
      {"plain with backslashes", "C:\\data\\a.grib2", "C:\\data\\a.grib2"},
      {"blank", "a b.grib2", "\"a b.grib2\""},
      {"tab", "a\tb", "\"a\tb\""},
      {"empty", "", "\"\""},
      {"embedded quote", "say \"hi\"", "\"say \\\"hi\\\"\""},
      {"quote alone", "\"", "\"\\\"\""},
      {"backslashes before a quote", "a\\\\\"b", "\"a\\\\\\\\\\\"b\""},
      {"trailing backslash", "dir name\\", "\"dir name\\\\\""},
      {"trailing backslashes, no blank", "dir\\\\", "dir\\\\"},
      {"interpreter characters", "a&b|c^d%e%(f)<g>.grib2", "a&b|c^d%e%(f)<g>.grib2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string line;
    append_windows_argument(&line, c.argument);
    EXPECT_EQ(line, c.want);
  }
}

TEST(WindowsCommandLine, SeparatesArgumentsWithOneBlank) {
  std::string line;
  for (const char* a : {"wgrib2.exe", "-text", "", "x y"}) append_windows_argument(&line, a);
  EXPECT_EQ(line, "wgrib2.exe -text \"\" \"x y\"");
}

}  // namespace
}  // namespace tallowgate
