// Runs against a hostile working directory, hostile signals and a second run
// in the same directory: the real program with the copying test decoder, the
// files it leaves compared byte for byte.
#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_tree.h"
#include "expected_console.h"

namespace tallowgate::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kRegT = "CMC_reg_TMP_TGL_2_ps10km_2025082400_P000.grib2";
const std::string kRegTTarget = "kestrano/CMC/regl/regl_tmp.r2c";
const std::string kOldFrames = "old frames\n";

class HardeningE2e : public ::testing::Test {
 protected:
  HardeningE2e() {
    tree_.make_dir(tree_.in_drive("kestrano/CMC/regl"));
    tree_.set_env("PATH", "/usr/bin:/bin");
    tree_.install_decoder();
  }
  void add(const std::string& name, const std::string& contents) {
    tree_.write_file(tree_.in_work(name), contents);
  }
  std::string target() const { return E2eTree::read_file(tree_.in_drive(kRegTTarget)); }
  std::vector<std::string> output_dir() const { return E2eTree::list(tree_.in_drive("kestrano/CMC/regl")); }

  E2eTree tree_;
};

// A link at the listing's or the dump's name must never carry a write out of
// the working directory: the listing replaces the link, the dump's link is
// removed unfollowed before the decoder runs.
TEST_F(HardeningE2e, LinksAtTheListingAndDumpNamesAreReplacedNotWrittenThrough) {
#ifdef TALLOWGATE_UNDER_WINE
  GTEST_SKIP() << "symbolic links are the POSIX file system's; the Windows program meets none";
#endif
  const std::string dump = dump_name(2025, 8, 24, 0);
  const struct {
    const char* name;
    std::string link;
    bool outside_exists;
  } cases[] = {
      {"listing, link to a file", "grib_list.txt", true},
      {"listing, dangling link", "grib_list.txt", false},
      {"dump, link to a file", dump, true},
      {"dump, dangling link", dump, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    E2eTree tree;
    tree.make_dir(tree.in_drive("kestrano/CMC/regl"));
    tree.set_env("PATH", "/usr/bin:/bin");
    tree.install_decoder();
    tree.write_file(tree.in_work(kRegT), "1 1\n5\n");
    const fs::path outside = tree.root() / "outside.txt";
    if (c.outside_exists) tree.write_file(outside, "precious\n");
    fs::create_symlink(outside, tree.in_work(c.link));

    const RunResult r = tree.run({"regT"});
    EXPECT_EQ(r.err, "Normal ending\n");
    EXPECT_EQ(r.status, 0);
    if (c.outside_exists) {
      EXPECT_EQ(E2eTree::read_file(outside), "precious\n");
    } else {
      EXPECT_FALSE(E2eTree::exists(outside));
    }
    EXPECT_FALSE(fs::is_symlink(tree.in_work("grib_list.txt")));
    EXPECT_NE(E2eTree::read_file(tree.in_work("grib_list.txt")).find(" " + kRegT + "\n"), std::string::npos);
    EXPECT_FALSE(E2eTree::exists(tree.in_work(dump)));
    EXPECT_NE(E2eTree::read_file(tree.in_drive(kRegTTarget)).find("EndFrame\n"), std::string::npos);
  }
}

// Files at the names a temporary output file could have, left by a killed
// run or planted, never block a run, and a run removes none of them.
TEST_F(HardeningE2e, LeftoverAndPlantedTemporaryNamesDoNotBlockTheRun) {
  add(kRegT, "1 1\n5\n");
  tree_.plant_at_start("kestrano/CMC/regl/.regl_tmp.r2c.{pid}.tmp");
  tree_.write_file(tree_.in_drive("kestrano/CMC/regl/.regl_tmp.r2c.tallowgate-AbC123"), "killed run\n");

  const RunResult r = tree_.run({"regT"});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(target().find("EndFrame\n"), std::string::npos);
  std::vector<std::string> left = output_dir();
  ASSERT_EQ(left.size(), 3u) << ::testing::PrintToString(left);
  std::erase(left, ".regl_tmp.r2c.tallowgate-AbC123");
  std::erase(left, "regl_tmp.r2c");
  ASSERT_EQ(left.size(), 1u) << ::testing::PrintToString(left);
  EXPECT_EQ(left[0].rfind(".regl_tmp.r2c.", 0), 0u);  // the planted one
  EXPECT_EQ(left[0].substr(left[0].size() - 4), ".tmp");
}

// A run ended by a signal, or by a closed standard output, leaves the target
// as it was and no temporary file; no decoder outlives it.
TEST_F(HardeningE2e, SignalsEndTheRunAndItsDecoderLeavingTheTargetAsItWas) {
#ifdef TALLOWGATE_UNDER_WINE
  GTEST_SKIP()
      << "Wine turns these signals into a plain kill; the Windows platform tests check the Ctrl-C cleanup";
#endif
  tree_.write_file(tree_.in_drive(kRegTTarget), kOldFrames);
  add(kRegT, "1 1\n5\n");
  add("CMC_reg_TMP_TGL_2_ps10km_2025082400_P003.grib2", "#sleep\n");
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(signal_number);
    const RunResult r = tree_.run_and_signal_at({"regT"}, "copy_decoder sleeping as ", signal_number);
    EXPECT_EQ(r.status, 128 + signal_number);
    EXPECT_EQ(target(), kOldFrames);
    EXPECT_EQ(output_dir(), std::vector<std::string>{"regl_tmp.r2c"});
    const std::size_t at = r.out.find("copy_decoder sleeping as ");
    ASSERT_NE(at, std::string::npos) << r.out;
    const pid_t decoder = static_cast<pid_t>(std::stol(r.out.substr(at + 25)));
    const bool decoder_gone = kill(decoder, 0) != 0 && errno == ESRCH;
    EXPECT_TRUE(decoder_gone) << "decoder " << decoder << " still runs";
    if (!decoder_gone) kill(decoder, SIGKILL);
  }
}

TEST_F(HardeningE2e, ClosedStandardOutputEndsTheRunAsAFailedWrite) {
  tree_.write_file(tree_.in_drive(kRegTTarget), kOldFrames);
  add(kRegT, "1 1\n5\n");
  const RunResult r = tree_.run_with_closed_output({"regT"});
  EXPECT_EQ(r.err, "tallowgate: standard output: " + system_words(SystemWords::kBrokenPipe) + "\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(target(), kOldFrames);
  EXPECT_EQ(output_dir(), std::vector<std::string>{"regl_tmp.r2c"});
}

// A dump line far longer than memory allows holds no number: one message and
// one pause, "error" for the frame, and the run goes on to its normal end.
TEST_F(HardeningE2e, EndlessDumpLineIsAValueLineWithoutANumber) {
#ifdef TALLOWGATE_UNDER_WINE
  GTEST_SKIP() << "the memory limit would hold Wine itself, which needs far more address space";
#endif
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer's own memory does not fit an address space limit";
#endif
  add(kRegT, "#long-line 200000000\n");
  add("CMC_reg_TMP_TGL_2_ps10km_2025082400_P003.grib2", "1 1\n7\n");
  tree_.set_memory_limit(std::size_t{96} << 20);
  const RunResult r = tree_.run({"regT"}, "\n");
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(" Error: " + dump_name(2025, 8, 24, 0)), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("PAUSE 88888\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" error\n"), std::string::npos) << r.out;
  EXPECT_NE(target().find("\"2025/08/24  03:00\"\n    7.00\nEndFrame\n"), std::string::npos) << target();
  EXPECT_FALSE(E2eTree::exists(tree_.in_work(dump_name(2025, 8, 24, 0))));
}

// Two runs in one directory would share the listing and the dumps: the second
// stops at once and writes nothing, the first converts as if alone.
TEST_F(HardeningE2e, SecondRunInTheDirectoryStopsWhileTheFirstConverts) {
  tree_.write_file(tree_.in_drive(kRegTTarget), kOldFrames);
  add(kRegT, "2 1\n5\n");  // one value short: the first run pauses at it
  E2eTree::Started first = tree_.start_in_background({"regT"});
  tree_.wait_for_output(first, "PAUSE 88888");
  const std::string report_before = E2eTree::read_file(tree_.work() / ".." / "runReport.txt");

  const RunResult second = tree_.run({"regT"});
  EXPECT_EQ(second.err, "tallowgate: another run is converting in " + shown_path(tree_.work()) + "\n");
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(target(), kOldFrames);
  EXPECT_EQ(E2eTree::read_file(tree_.work() / ".." / "runReport.txt"), report_before);
  EXPECT_EQ(output_dir().size(), 2u);  // the target and the first run's temporary file

  const RunResult r = tree_.finish(&first, "\n");
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(" error\n"), std::string::npos);
  EXPECT_EQ(output_dir(), std::vector<std::string>{"regl_tmp.r2c"});

  // Released with the first run, the lock lets the next run convert.
  const RunResult third = tree_.run({"regT"}, "\n");
  EXPECT_EQ(third.err, "Normal ending\n");
}

// A name holding a line end would read back as listing lines of its own, the
// tail passing for a file of the product.
TEST_F(HardeningE2e, NameWithALineEndIsLeftOutOfTheListing) {
#ifdef TALLOWGATE_UNDER_WINE
  GTEST_SKIP() << "a Windows file name cannot hold a line end";
#endif
  add(kRegT, "1 1\n5\n");
  const std::string injected = "CMC_reg_TMP_TGL_2_ps10km_2025082406_P006.grib2";
  // The tail has the columns of a listing line (a name holds no "/").
  add("x\n08.24.2025  01:05 PM                 6 " + injected, "1 1\n9\n");

  const RunResult r = tree_.run({"regT"});
  EXPECT_EQ(r.err,
            "tallowgate: 1 file name holds a control character and cannot be one line of grib_list.txt: "
            "left out\nNormal ending\n");
  EXPECT_EQ(r.status, 0);
  const std::vector<std::string> listing = lines_of(E2eTree::read_file(tree_.in_work("grib_list.txt")));
  ASSERT_EQ(listing.size(), 8u);
  EXPECT_EQ(listing[5].substr(39), kRegT);
  EXPECT_EQ(r.out.find("P006"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Processing file #    1/    1"), std::string::npos);
}

}  // namespace
}  // namespace tallowgate::e2e
