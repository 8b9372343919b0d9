#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_tree.h"
#include "expected_console.h"

namespace tallowgate::e2e {
namespace {
namespace fs = std::filesystem;

// The tree's frozen clock is 2025-08-24 12:30:45.
constexpr char kStarted[] = " tallowgate.exe - started       12:30:45  ";
constexpr char kEnded[] = " tallowgate.exe - normal ending 12:30:45  ";

constexpr const char* kOutputDirs[] = {"CaPA",     "RDPA", "RDPS_tmp", "regl",    "RDPA_RLatLon",
                                       "regl_tmp", "glb",  "glb_apcp", "glb_tmp", "hrdps"};

// Product files, as the download directory holds them.
constexpr char kCapaFile[] = "2025082400_000_CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km.grib2";
constexpr char kRdpsTmpFile[] = "20250824T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT000H.grib2";
constexpr char kRdpsPcpFile[] = "20250824T00Z_MSC_RDPS_Precip-Accum6h_Sfc_RLatLon0.09_PT006H.grib2";
constexpr char kRegTFile[] = "CMC_reg_TMP_TGL_2_ps10km_2025082400_P000.grib2";
constexpr char kRegPFile[] = "CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2";
constexpr char kGlbTFile[] = "CMC_glb_TMP_TGL_2_latlon.15x.15_2025082400_P000.grib2";
constexpr char kGlbPFile[] = "CMC_glb_APCP_SFC_0_latlon.15x.15_2025082400_P006.grib2";
constexpr char kHreTFile[] = "CMC_hrdps_east_TMP_TGL_2_ps2.5km_2025082400_P000-00.grib2";
constexpr char kHrePFile[] = "CMC_hrdps_east_APCP_SFC_0_ps2.5km_2025082400_P006-00.grib2";

// `hour` of a file its code's selection drops.
constexpr int kDropped = -1;

// Where each code writes: {D6} and {D8} stand for the first 6 and all 8
// characters of the date key. `shown`: how the writing line shows the path
// (0: no line, 60: padded to 60 characters, -1: as it is). `up`: levels from
// the working directory to the run report. `file`: the one file of the run's
// working directory; codes that keep every file get one of their product,
// read as 2025-08-24 at `hour`; codes with a name test get one of a
// neighbouring product, which they drop.
struct Target {
  const char* app;
  const char* path;
  int shown;
  int up;
  const char* file;
  int hour;
};

constexpr Target kTargets[] = {
    {"capa15", "\\kestrano\\CMC\\CaPA\\{D8}_capa.r2c", 60, 2, kCapaFile, 0},
    {"capa10", "\\kestrano\\CMC\\CaPA\\{D8}_capa.r2c", 60, 2, kCapaFile, 0},
    {"capa", "\\kestrano\\CMC\\CaPA\\{D6}01_capa.r2c", 60, 2,
     "CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km_2025082406_000.grib2", 6},
    {"RDPA", "\\kestrano\\CMC\\RDPA\\{D6}01_RDPA.r2c", 60, 2,
     "20250824T00Z_MSC_RDPA_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2", 0},
    {"RDPS-TMP-HC", "\\kestrano\\CMC\\RDPS_tmp\\{D6}01_tmp.r2c", 60, 2, kRdpsTmpFile, 0},
    {"RDPS-PCP-FC", "\\kestrano\\CMC\\regl\\RDPS_apcp.r2c", -1, 1, kRdpsTmpFile, kDropped},
    {"RDPS-TMP-FC", "\\kestrano\\CMC\\regl\\RDPS_tmp.r2c", -1, 1, kRdpsPcpFile, kDropped},
    {"RDPA_prelim", "\\kestrano\\CMC\\RDPA_RLatLon\\{D6}01_RDPA.r2c", 60, 2,
     "20250824T00Z_MSC_RDPA-Prelim_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2", 0},
    {"rglT", "\\kestrano\\CMC\\regl_tmp\\{D6}01_tmp.r2c", 60, 2, kRegTFile, 0},
    {"regP", "\\kestrano\\CMC\\regl\\regl_apcp.r2c", 0, 1, kRegTFile, kDropped},
    {"regT", "\\kestrano\\CMC\\regl\\regl_tmp.r2c", 0, 1, kRegPFile, kDropped},
    {"glbP", "\\kestrano\\CMC\\glb\\glb_apcp.r2c", 0, 1, kGlbTFile, kDropped},
    {"glbT", "\\kestrano\\CMC\\glb\\glb_tmp.r2c", 0, 1, kGlbPFile, kDropped},
    {"glbSP", "\\kestrano\\CMC\\glb_apcp\\{D6}01_Glb_apcp.r2c", 0, 1, kGlbTFile, kDropped},
    {"glbSP2", "\\kestrano\\CMC\\glb_apcp\\{D6}01_Glb_apcp.r2c", 0, 1, kGlbTFile, kDropped},
    {"glbST", "\\kestrano\\CMC\\glb_tmp\\{D6}01_Glb_tmp.r2c", 0, 1, kGlbPFile, kDropped},
    {"hreP", "\\kestrano\\CMC\\hrdps\\hrdps_apcp.r2c", 0, 1, kHreTFile, kDropped},
    {"hreT", "\\kestrano\\CMC\\hrdps\\hrdps_tmp.r2c", 0, 1, kHrePFile, kDropped},
    {"rdrP", "\\kestrano\\CMC\\junk.r2c", 0, 1, "CMC_RADAR_APCP_SFC_0_2025082400.grib2", 0},
};

std::string replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The output path for a date key of 8 characters.
std::string path_for(const Target& t, const std::string& date_key) {
  return replace(replace(t.path, "{D8}", date_key), "{D6}", date_key.substr(0, 6));
}

// The same path on this machine, inside the tree's drive.
fs::path local(const E2eTree& tree, std::string path) {
  for (char& c : path) c = c == '\\' ? '/' : c;
  return tree.in_drive(path.substr(1));
}

std::string writing_line(const Target& t, const std::string& path) {
  if (t.shown == 0) return "";
  return " writing " + (t.shown == 60 ? padded(path, 60) : path) + "\n";
}

fs::path report_of(const E2eTree& tree, const Target& t) {
  return t.up == 1 ? tree.work().parent_path() / "runReport.txt"
                   : tree.work().parent_path().parent_path() / "runReport.txt";
}

fs::path other_report_of(const E2eTree& tree, const Target& t) {
  return report_of(tree, {t.app, t.path, t.shown, 3 - t.up, t.file, t.hour});
}

void make_output_dirs(const E2eTree& tree) {
  for (const char* dir : kOutputDirs) tree.make_dir(tree.in_drive("kestrano/CMC/" + std::string(dir)));
}

// A GRIB2 file the copying test decoder leaves no dump for, listed with the
// date 08/24/2025 (so the listing's echo is " 25").
void put_grib2(const E2eTree& tree, const std::string& name) {
  using namespace std::chrono;
  tree.write_file(tree.in_work(name), "#no-dump\n");
  const sys_seconds listed = sys_days{August / 24 / 2025} + hours(13);
  fs::last_write_time(tree.in_work(name), file_clock::from_sys(listed));
}

// Every file under the drive's output tree, relative to it.
std::vector<std::string> output_files(const E2eTree& tree) {
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(tree.in_drive("kestrano"))) {
    if (!e.is_directory()) files.push_back(fs::relative(e.path(), tree.in_drive("kestrano")).string());
  }
  return files;
}

std::string ends_of(const std::string& text, std::size_t n) {
  return text.size() < n ? text : text.substr(text.size() - n);
}

// Every code in every way a run gets its date: the date argument (DATE_KEY
// holds "yyyymm" and two blanks), today's date, and the override file.
TEST(OutputE2e, EveryCodeWritesItsTargetAndBothReportEntries) {
  const struct {
    const char* name;
    std::vector<std::string> extra_args;
    const char* override_file;
    const char* date_key;
  } dates[] = {
      {"date argument", {"202401"}, nullptr, "202401  "},
      {"no date", {}, nullptr, "20250824"},
      {"override file", {"202401"}, "2023 11 24\n", "20231124"},
  };
  for (const auto& d : dates) {
    for (const Target& t : kTargets) {
      SCOPED_TRACE(std::string(t.app) + ", " + d.name);
      E2eTree tree;
      make_output_dirs(tree);
      tree.install_decoder();
      put_grib2(tree, t.file);
      if (d.override_file != nullptr) tree.write_file(tree.in_drive("grib2/today.txt"), d.override_file);
      std::vector<std::string> args{t.app};
      args.insert(args.end(), d.extra_args.begin(), d.extra_args.end());
      const RunResult r = tree.run(args);
      const std::string path = path_for(t, d.date_key);
      const bool kept = t.hour != kDropped;

      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.err, "Normal ending\n");
      // The day-number echo comes just before the target's lines, the
      // listing's echo just after them.
      const std::size_t listing = r.out.find("\n 25\n");
      ASSERT_NE(listing, std::string::npos) << r.out;
      const std::string head = "          24\n" + writing_line(t, path) + " 25\n";
      EXPECT_EQ(ends_of(r.out.substr(0, listing + 5), head.size() - 7), head.substr(7));
      // A kept file's pass, whose decoder leaves no grid, ends with its bad
      // frame line; then the end entry's empty line and the closing banner.
      // With no frame the run writes nothing: the target is created empty.
      if (kept) {
        const std::string pass =
            announce(1, 1, 2025, 8, 24, t.hour, t.file, false) + no_grid(2025, 8, 24, t.hour);
        EXPECT_EQ(ends_of(r.out, pass.size() + kClosing.size()), pass + kClosing);
      } else {
        EXPECT_EQ(r.out.find("Processing file #"), std::string::npos);
        EXPECT_EQ(ends_of(r.out, kClosing.size()), kClosing);
      }
      EXPECT_EQ(output_files(tree), std::vector<std::string>{
                                        fs::relative(local(tree, path), tree.in_drive("kestrano")).string()});
      EXPECT_EQ(E2eTree::read_file(local(tree, path)), "");
      const std::string code = padded(std::string(t.app).substr(0, 11), 11);
      EXPECT_EQ(E2eTree::read_file(report_of(tree, t)), kStarted + code + "\n" + kEnded + code + "\n");
      EXPECT_FALSE(E2eTree::exists(other_report_of(tree, t)));
    }
  }
}

TEST(OutputE2e, Capa15WithAMonthOnlyPutsTwoBlanksInTheFileName) {
  E2eTree tree;
  make_output_dirs(tree);
  tree.install_decoder();
  put_grib2(tree, kCapaFile);
  const RunResult r = tree.run({"capa15", "202401"});
  const std::string day = "      2460334        2024           1          24\n";
  EXPECT_EQ(r.out, kBanner +
                       " Run in the GRIB2\\****\\yyyymm  directory\n"
                       " commands:\n"
                       " tallowgate capa           for current data\n"
                       " tallowgate capa yyyymm for old data\n"
                       " Buffer =  capa15              \n"
                       " strLength=             6\n"
                       " app =capa15                                  \n" +
                       " " + padded("202401", 72) + "\n" + " " + padded("202401", 72) + "\n" +
                       " date_key =202401  \n"
                       " date_Key    = 202401  \n"
                       "    Info:   runtime    12:30:45\n"
                       "    Info:   rundate  2025-08-24\n" +
                       day + day + day +
                       " writing \\kestrano\\CMC\\CaPA\\202401  _capa.r2c                        \n"
                       " 25\n" +
                       padded(kCapaFile, 62) + "\n" + padded(" bytes", 62) + "\n" +
                       padded(" bytes free", 62) + "\n" + " # files =           1\n" +
                       announce(1, 1, 2025, 8, 24, 0, kCapaFile, false) + no_grid(2025, 8, 24, 0) + kClosing);
  EXPECT_EQ(E2eTree::read_file(tree.in_drive("kestrano/CMC/CaPA/202401  _capa.r2c")), "");
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
}

TEST(OutputE2e, EntriesFollowTheLinesOfAnExistingReport) {
  const struct {
    const char* before;
    const char* kept;
  } cases[] = {
      {"", ""},
      {" tallowgate.exe - started       01:02:03  regP       \n",
       " tallowgate.exe - started       01:02:03  regP       \n"},
      {"a note typed by hand", "a note typed by hand\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    E2eTree tree;
    make_output_dirs(tree);
    const fs::path report = tree.work().parent_path() / "runReport.txt";
    tree.write_file(report, c.before);
    put_grib2(tree, kRdpsTmpFile);  // another product's: nothing is converted
    const RunResult r = tree.run({"RDPS-PCP-FC"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(E2eTree::read_file(report),
              std::string(c.kept) + kStarted + "RDPS-PCP-FC\n" + kEnded + "RDPS-PCP-FC\n");
  }
}

TEST(OutputE2e, RdpsCodesStopWithTheirFailureLinesWhenTheDirectoryIsMissing) {
  const struct {
    const char* app;
    const char* lines;
    const char* stop;
  } cases[] = {
      {"RDPS-TMP-HC",
       " writing \\kestrano\\CMC\\RDPS_tmp\\20250801_tmp.r2c                     \n"
       " Unable to write the file:\n"
       " \\kestrano\\CMC\\RDPS_tmp\\20250801_tmp.r2c                     \n"
       " Check if    \\kestrano\\CMC\\RDPS_tmp\\   exists\n",
       "tallowgate aborted @ 236\n"},
      {"RDPS-PCP-FC",
       " writing \\kestrano\\CMC\\regl\\RDPS_apcp.r2c\n"
       " Unable to write the file:\n"
       " \\kestrano\\CMC\\regl\\RDPS_apcp.r2c\n"
       " Check if    \\kestrano\\CMC\\regl\\   exists\n",
       "tallowgate aborted @ 247\n"},
      {"RDPS-TMP-FC",
       " writing \\kestrano\\CMC\\regl\\RDPS_tmp.r2c\n"
       " Unable to write the file:\n"
       " \\kestrano\\CMC\\regl\\RDPS_tmp.r2c\n"
       " Check if    \\kestrano\\CMC\\regl   exists\n",
       "tallowgate aborted @ 259\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.app);
    E2eTree tree;
    tree.make_dir(tree.in_drive("kestrano/CMC"));
    const RunResult r = tree.run({c.app});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.stop);
    const std::string tail = std::string("          24\n") + c.lines;
    EXPECT_EQ(ends_of(r.out, tail.size()), tail);
    EXPECT_TRUE(output_files(tree).empty());
    EXPECT_TRUE(E2eTree::list(tree.root() / "top" / "GRIB2" / "prod").size() ==
                1);  // only the month directory
    EXPECT_TRUE(E2eTree::list(tree.root() / "top" / "GRIB2").size() == 1);
  }
}

TEST(OutputE2e, OtherCodesEndWithTheErrorLineWhenTheDirectoryIsMissing) {
  for (const Target& t : kTargets) {
    if (std::string_view(t.app).starts_with("RDPS-")) continue;
    SCOPED_TRACE(t.app);
    E2eTree tree;
    tree.make_dir(tree.in_drive("kestrano"));
    const RunResult r = tree.run({t.app, "202401"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tallowgate: " + shown_path(local(tree, path_for(t, "202401  "))) + ": " +
                         system_words(SystemWords::kNoSuchDirectory) + "\n");
    const std::string tail = "          24\n" + writing_line(t, path_for(t, "202401  "));
    EXPECT_EQ(ends_of(r.out, tail.size()), tail);
    EXPECT_FALSE(E2eTree::exists(report_of(tree, t)));
    EXPECT_FALSE(E2eTree::exists(other_report_of(tree, t)));
  }
}

TEST(OutputE2e, DirectoryInPlaceOfTheOutputEndsWithTheErrorLine) {
  E2eTree tree;
  tree.make_dir(tree.in_drive("kestrano/CMC/glb/glb_tmp.r2c"));
  const RunResult r = tree.run({"glbT"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "tallowgate: " + shown_path(tree.in_drive("kestrano/CMC/glb/glb_tmp.r2c")) + ": " +
                       system_words(SystemWords::kIsADirectory) + "\n");
  EXPECT_FALSE(E2eTree::exists(tree.work().parent_path() / "runReport.txt"));
}

// The selection drops the one file, another product's, so no frame is written.
TEST(OutputE2e, RunThatWritesNothingLeavesAnExistingOutputUntouched) {
  E2eTree tree;
  make_output_dirs(tree);
  put_grib2(tree, kGlbTFile);
  const fs::path output = tree.in_drive("kestrano/CMC/glb_apcp/20250801_Glb_apcp.r2c");
  tree.write_file(output, "frames of an earlier run\n");
  const auto old_time = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(output, old_time);
  const RunResult r = tree.run({"glbSP"});
  EXPECT_EQ(r.err, "Normal ending\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(E2eTree::read_file(output), "frames of an earlier run\n");
  EXPECT_EQ(fs::last_write_time(output), old_time);
  EXPECT_EQ(E2eTree::list(output.parent_path()), std::vector<std::string>{"20250801_Glb_apcp.r2c"});
}

TEST(OutputE2e, InterruptAtTheOverridePauseLeavesTheOldOutputAndNoTemporaryFile) {
  for (int signal_number : interrupt_signals()) {
    SCOPED_TRACE(signal_number);
    E2eTree tree;
    make_output_dirs(tree);
    tree.write_file(tree.in_drive("grib2/today.txt"), "2024 3 1\n");
    const fs::path output = tree.in_drive("kestrano/CMC/CaPA/20240301_capa.r2c");
    tree.write_file(output, "old frames\n");
    const RunResult r =
        tree.run_and_signal_at({"capa10"}, " hit enter to continue with this date\n", signal_number);
    EXPECT_EQ(r.status, interrupted_status(signal_number));
    EXPECT_EQ(E2eTree::read_file(output), "old frames\n");
    EXPECT_EQ(E2eTree::list(output.parent_path()), std::vector<std::string>{"20240301_capa.r2c"});
    EXPECT_FALSE(E2eTree::exists(tree.root() / "top" / "GRIB2" / "runReport.txt"));
  }
}

TEST(OutputE2e, ReportThatCannotBeWrittenEndsWithTheErrorLineAndKeepsTheOldOutput) {
  const struct {
    const char* name;
    SystemWords reason;
  } cases[] = {
      {"full disk", SystemWords::kDiskFull},
      {"directory", SystemWords::kIsADirectory},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    E2eTree tree;
    make_output_dirs(tree);
    const fs::path output = tree.in_drive("kestrano/CMC/regl/regl_tmp.r2c");
    tree.write_file(output, "old frames\n");
    const fs::path report = tree.work().parent_path() / "runReport.txt";
    if (std::string_view(c.name) == "full disk") {
      fs::create_symlink("/dev/full", report);
    } else {
      tree.make_dir(report);
    }
    const RunResult r = tree.run({"regT"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tallowgate: " + shown_path("../runReport.txt") + ": " + system_words(c.reason) + "\n");
    EXPECT_EQ(E2eTree::read_file(output), "old frames\n");
    EXPECT_EQ(E2eTree::list(output.parent_path()), std::vector<std::string>{"regl_tmp.r2c"});
    EXPECT_EQ(r.out.find(kBanner, 10), std::string::npos);  // no closing banner
  }
}

}  // namespace
}  // namespace tallowgate::e2e
