// The start of every run: banner, argument echo, Info lines, run date with
// its override file, and the help list for a code that is not known.
#include <gtest/gtest.h>

#include <string>

#include "e2e_tree.h"
#include "expected_console.h"

namespace tallowgate::e2e {
namespace {

const std::string kUsage =
    " Run in the GRIB2\\****\\yyyymm  directory\n"
    " commands:\n"
    " tallowgate capa           for current data\n"
    " tallowgate capa yyyymm for old data\n";

// The argument echo for a first argument `code` and a second argument `date`.
std::string argument_echo(const std::string& code, const std::string& date, const std::string& date_key,
                          const std::string& final_key) {
  std::string length = std::to_string(padded(code, 72).find_last_not_of(' ') + 1);
  if (code.empty()) length = "0";
  return " Buffer =  " + padded(code, 20) + "\n" + " strLength=  " + std::string(12 - length.size(), ' ') +
         length + "\n" + " app =" + padded(code, 40) + "\n" + " " + padded(date, 72) + "\n" + " " +
         padded(date, 72) + "\n" + " date_key =" + date_key + "\n" + " date_Key    = " + final_key + "\n";
}

const std::string kInfoLines =
    "    Info:   runtime    12:30:45\n"
    "    Info:   rundate  2025-08-24\n";

std::string day_echo(const std::string& line) { return line + "\n" + line + "\n" + line + "\n"; }

std::string help_list(const std::string& app) {
  return " Forgot argument?\n"
         " capa: CaPA\n"
         " capa: capa15\n"
         " RDPA: RDPA\n"
         " RDPA: RDPAyyyymmdd  for a previous month only\n"
         " RDPA: RDPA_prelim\n"
         " rglT: Regl tmp monthly record\n"
         " rglTyyyymmdd for a previous month only\n"
         " regP: regl forecast apcp\n"
         " regT: regl forecast tmp\n"
         " glbP: glb  forecast apcp\n"
         " glbT: glb  forecast tmp\n"
         " glbSP: glb  spinup apcp\n"
         " glbST: glb  spinup tmp\n"
         " hreP: HRDPS-east apcp\n"
         " hreT: HRDPS-east tmp\n"
         " " +
         padded(app, 72) + "\n";
}

const std::string kToday = "      2460912        2025           8          24";

TEST(CommandLineE2e, NoArgumentsEndsInTheHelpList) {
  E2eTree tree;
  const RunResult r = tree.run({});
  EXPECT_EQ(r.out, kBanner + kUsage + argument_echo("", "", "        ", "20250824") + kInfoLines +
                       day_echo(kToday) + help_list(""));
  EXPECT_EQ(r.err, "program aborted @ 154\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(E2eTree::list(tree.work()), std::vector<std::string>{});
  EXPECT_FALSE(E2eTree::exists(tree.work() / ".." / "runReport.txt"));
}

TEST(CommandLineE2e, UnknownCodesEndInTheHelpListWithTheCodeAsTyped) {
  const std::string long_code =
      "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefgh";
  ASSERT_EQ(long_code.size(), 80u);
  for (const std::string code : {"HRET", "hret", "glbST2", "capa 15", "capa1", long_code.c_str()}) {
    SCOPED_TRACE(code);
    E2eTree tree;
    const RunResult r = tree.run({code});
    std::string trimmed = code.substr(0, 72);
    trimmed = trimmed.substr(0, trimmed.find_last_not_of(' ') + 1);
    EXPECT_EQ(r.out, kBanner + kUsage + argument_echo(trimmed, "", "        ", "20250824") + kInfoLines +
                         day_echo(kToday) + help_list(trimmed));
    EXPECT_EQ(r.err, "program aborted @ 154\n");
    EXPECT_EQ(r.status, 1);
  }
}

TEST(CommandLineE2e, DateArgumentGivesTheYearAndMonthWithTodaysDay) {
  struct Case {
    const char* date;
    const char* key;
    const char* echo;
  } cases[] = {
      {"202504", "202504  ", "      2460790        2025           4          24"},
      {"20250415", "202504  ", "      2460790        2025           4          24"},
      {"202504 and more", "202504  ", "      2460790        2025           4          24"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    E2eTree tree;
    const RunResult r = tree.run({"nocode", c.date});
    EXPECT_EQ(r.out, kBanner + kUsage + argument_echo("nocode", c.date, c.key, c.key) + kInfoLines +
                         day_echo(c.echo) + help_list("nocode"));
    EXPECT_EQ(r.status, 1);
  }
}

TEST(CommandLineE2e, DayBeyondTheMonthIsCarriedIntoTheNextMonth) {
  E2eTree tree;
  tree.set_clock("2025-08-31 06:00:00");
  const RunResult r = tree.run({"nocode", "202504"});
  EXPECT_NE(r.out.find("      2460797        2025           4          31\n"
                       "      2460797        2025           5           1\n"
                       "      2460797        2025           5           1\n"),
            std::string::npos)
      << r.out;
}

TEST(CommandLineE2e, DateArgumentWithoutYearAndMonthEndsTheRun) {
  for (const char* date : {"abcdef", "2025", "2025x1", "20 501"}) {
    SCOPED_TRACE(date);
    E2eTree tree;
    const RunResult r = tree.run({"regT", date});
    const std::string key = padded(std::string(date).substr(0, 6), 8);
    EXPECT_EQ(r.out, kBanner + kUsage + argument_echo("regT", date, key, key) + kInfoLines);
    EXPECT_EQ(r.err, std::string("tallowgate: date argument \"") + date +
                         "\": it does not begin with a year and month (yyyymm)\n");
    EXPECT_EQ(r.status, 1);
  }
}

const std::string kOverrideNotice =
    " At this point, copy the files you want into the \n"
    " CMC_regl or CMC_glb dir depending on which app you are running\n"
    " To NOT use this data, delete or rename the `today.txt` file\n";

TEST(CommandLineE2e, OverrideFileSetsTheDateAfterTwoPauses) {
  E2eTree tree;
  tree.write_file(tree.in_drive("grib2/today.txt"), "2023 7 4\n");
  // At the first pause a typed command runs and the prompt comes again; the
  // end of input resumes the second pause.
  const RunResult r = tree.run({"nocode", "202504"}, "echo typed at the pause\n\n");
  EXPECT_EQ(r.out, kBanner + kUsage + argument_echo("nocode", "202504", "202504  ", "202504  ") + kInfoLines +
                       " Warning: file today.txt found\n"
                       " this will run :        2023           7           4\n"
                       " revised date_Key    = 20230704\n"
                       "\n"
                       " hit enter to continue with this date\n" +
                       shell_echo("typed at the pause") + " hit enter to continue with this date\n" +
                       kOverrideNotice + " hit enter to continue with this data or ctrl-C to quit\n" +
                       day_echo("      2460130        2023           7           4") + help_list("nocode"));
  EXPECT_EQ(r.status, 1);
}

TEST(CommandLineE2e, OverrideFileFormsAndFaults) {
  struct Case {
    const char* contents;
    const char* key;  // empty: the run ends with the input error
    const char* echo;
  } cases[] = {
      {"2023,7,4 and the rest is ignored", "20230704", "      2460130        2023           7           4"},
      {"2023\n7\n4\n", "20230704", "      2460130        2023           7           4"},
      {"999 1 5", " 9990105", "      2085942         999           1           5"},
      {"2023 7", "", ""},
      {"2023 July 4", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    E2eTree tree;
    tree.write_file(tree.in_drive("grib2/today.txt"), c.contents);
    const RunResult r = tree.run({"nocode"});
    if (std::string(c.key).empty()) {
      EXPECT_EQ(r.out, kBanner + kUsage + argument_echo("nocode", "", "        ", "20250824") + kInfoLines);
      EXPECT_EQ(r.err.rfind("tallowgate: " + shown_path(tree.in_drive("grib2/today.txt")) + ": ", 0), 0u)
          << r.err;
      EXPECT_EQ(r.status, 1);
      continue;
    }
    EXPECT_NE(r.out.find(std::string(" revised date_Key    = ") + c.key + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(day_echo(c.echo)), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "program aborted @ 154\n");
  }
}

}  // namespace
}  // namespace tallowgate::e2e
