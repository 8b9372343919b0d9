#include "grid/decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

RunState state_for(const std::string& file_name, int index = 1, int count = 24) {
  RunState state;
  set_decoder_parts(&state);
  state.FLN[static_cast<std::size_t>(index - 1)].assign(file_name);
  state.file_index = index;
  state.file_count = count;
  state.file_year = 2025;
  state.file_month = 8;
  state.file_day = 24;
  state.file_hour = 12;
  return state;
}

TEST(DumpName, ZeroFillsEveryFieldAndKeepsTheHourAsRead) {
  EXPECT_EQ(dump_name(2025, 8, 24, 12).view(), "temp_20250824012.txt");
  EXPECT_EQ(dump_name(2025, 8, 24, 6).view(), "temp_20250824006.txt");
  EXPECT_EQ(dump_name(2025, 8, 31, 30).view(), "temp_20250831030.txt");
  EXPECT_EQ(dump_name(2025, 8, 24, 144).view(), "temp_20250824144.txt");
  EXPECT_EQ(dump_name(999, 1, 2, 0).view(), "temp_09990102000.txt");
}

TEST(RunDecoder, AnnouncesEchoesAndRunsTheDecoderWithoutAShell) {
  FakePlatform platform;
  const std::string file = "CMC_reg_TMP_TGL_2_ps10km_2025082400_P012.grib2";
  platform.files[file] = "grib";
  platform.files["temp_20250824012.txt"] = "stale";
  RunState state = state_for(file);

  ASSERT_TRUE(run_decoder(&platform, state, dump_name(2025, 8, 24, 12)));

  const std::string command = "wgrib2  -text  temp_20250824012.txt  " + file;
  const std::vector<std::string> want = {
      "Processing file #    1/   24  2025 08 24 12Z",
      " wgrib2                 ",
      "  -text",
      " temp_20250824012.txt",
      "            1",
      " " + file + std::string(72 - file.size(), ' '),
      " " + command + std::string(116 - command.size(), ' '),
  };
  EXPECT_EQ(platform.out_lines, want);
  ASSERT_EQ(platform.programs.size(), 1u);
  EXPECT_EQ(platform.programs[0].name, "wgrib2");
  EXPECT_EQ(platform.programs[0].args, (std::vector<std::string>{"-text", "temp_20250824012.txt", file}));
  EXPECT_EQ(platform.files.count("temp_20250824012.txt"), 0u) << "the stale dump is removed before the run";
}

TEST(RunDecoder, ProgressLineFieldsAndTheirOverflow) {
  struct Case {
    const char* name;
    int index, count, year, month, day, hour;
    const char* want;
  } cases[] = {
      {"hour 48", 3, 40, 2025, 8, 24, 48, "Processing file #    3/   40  2025 08 24 48Z"},
      {"hour 6", 1, 1, 2025, 8, 24, 6, "Processing file #    1/    1  2025 08 24 06Z"},
      {"hour 144", 12, 999, 2025, 12, 1, 144, "Processing file #   12/  999  2025 12 01144Z"},
      {"year 999", 1, 2, 999, 1, 1, 0, "Processing file #    1/    2  0999 01 01 00Z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    RunState state = state_for("absent.grib2", c.index, c.count);
    state.file_year = c.year;
    state.file_month = c.month;
    state.file_day = c.day;
    state.file_hour = c.hour;
    EXPECT_FALSE(run_decoder(&platform, state, dump_name(c.year, c.month, c.day, c.hour)));
    EXPECT_EQ(platform.out_lines, std::vector<std::string>{c.want})
        << "an absent file shows only its progress line";
    EXPECT_TRUE(platform.programs.empty());
  }
}

TEST(RunDecoder, ANameOf79CharactersFillsTheCommandAndOneMoreEndsTheRun) {
  FakePlatform platform;
  const std::string name79 = std::string(73, 'a') + ".grib2";
  platform.files[name79] = "grib";
  RunState state = state_for(name79);
  ASSERT_TRUE(run_decoder(&platform, state, dump_name(2025, 8, 24, 12)));
  EXPECT_EQ(platform.out_lines.back(), " wgrib2  -text  temp_20250824012.txt  " + name79);

  const std::string name80 = "b" + name79;
  platform.files[name80] = "grib";
  state = state_for(name80);
  platform.programs.clear();
  try {
    run_decoder(&platform, state, dump_name(2025, 8, 24, 12));
    FAIL() << "an 80-character name must end the run";
  } catch (const IoError& e) {
    EXPECT_EQ(e.path, name80);
    EXPECT_NE(e.reason.find("79"), std::string::npos);
  }
  EXPECT_TRUE(platform.programs.empty());
}

TEST(RunDecoder, ShellCharactersStayPartOfOneArgument) {
  FakePlatform platform;
  const std::string file = "x;rm -rf ~ $(id) `id`.grib2";
  platform.files[file] = "grib";
  RunState state = state_for(file);
  ASSERT_TRUE(run_decoder(&platform, state, dump_name(2025, 8, 24, 12)));
  ASSERT_EQ(platform.programs.size(), 1u);
  EXPECT_EQ(platform.programs[0].args.back(), file);
  EXPECT_TRUE(platform.shell_commands.empty());
}

TEST(RunDecoder, ADecoderThatCannotStartGetsOneErrorLineAndTheRunGoesOn) {
  FakePlatform platform;
  platform.files["f.grib2"] = "grib";
  platform.missing_programs.insert("wgrib2");
  RunState state = state_for("f.grib2");
  EXPECT_TRUE(run_decoder(&platform, state, dump_name(2025, 8, 24, 12)));
  EXPECT_EQ(platform.err_lines,
            std::vector<std::string>{"tallowgate: cannot start the decoder wgrib2: not found in "
                                     "the working directory or on PATH"});
}

}  // namespace
}  // namespace tallowgate
