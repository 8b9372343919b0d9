#include "run/pause.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

TEST(Pause, TypedLinesGoToTheShellUntilAnEmptyLine) {
  FakePlatform platform;
  platform.input = {"dir", " ", ""};
  pause(&platform, "hit enter");
  EXPECT_EQ(platform.shell_commands, (std::vector<std::string>{"dir", " "}));
  EXPECT_EQ(platform.out_lines, (std::vector<std::string>{" hit enter", " hit enter", " hit enter"}));
}

TEST(Pause, EndOfInputResumes) {
  FakePlatform platform;
  platform.input = {"echo x"};
  pause(&platform, "hit enter");
  EXPECT_EQ(platform.shell_commands.size(), 1u);
  EXPECT_EQ(platform.out_lines.size(), 2u);
}

}  // namespace
}  // namespace tallowgate
