#include "platform/windows_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "input/listing.h"

namespace tallowgate {
namespace {
namespace fs = std::filesystem;

// The folder of this test program, where its helper programs lie.
fs::path program_folder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(std::wstring(path, n)).parent_path();
}

// A helper program running with pipes on its standard input and output.
class Child {
 public:
  Child(const fs::path& program, const std::wstring& argument) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE child_in = nullptr, child_out = nullptr;
    CreatePipe(&child_in, &to_child_, &inherit, 0);
    CreatePipe(&from_child_, &child_out, &inherit, 0);
    SetHandleInformation(to_child_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(from_child_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = child_in;
    startup.hStdOutput = child_out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring line = L"\"" + program.wstring() + L"\" \"" + argument + L"\"";
    started_ = CreateProcessW(program.wstring().c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                              nullptr, &startup, &process_) != 0;
    CloseHandle(child_in);
    CloseHandle(child_out);
  }
  ~Child() {
    CloseHandle(to_child_);
    if (started_) {
      WaitForSingleObject(process_.hProcess, INFINITE);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    CloseHandle(from_child_);
  }
  // Reads the child's standard output up to its first line end.
  std::string read_line() {
    std::string line;
    char c = 0;
    DWORD n = 0;
    while (ReadFile(from_child_, &c, 1, &n, nullptr) && n == 1 && c != '\n') line.push_back(c);
    return line;
  }
  bool started() const { return started_; }

 private:
  HANDLE to_child_ = nullptr, from_child_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

// Runs each test in a scratch folder that is also the drive root.
class WindowsPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tallowgate-windows-" + std::to_string(GetCurrentProcessId()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    old_cwd_ = fs::current_path();
    fs::current_path(dir_);
    SetEnvironmentVariableW(L"TALLOWGATE_DRIVE", dir_.wstring().c_str());
    platform_ = std::make_unique<WindowsPlatform>();
  }
  void TearDown() override {
    platform_.reset();
    fs::current_path(old_cwd_);
    SetEnvironmentVariableW(L"TALLOWGATE_DRIVE", nullptr);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  static std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void put(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
  }
  static std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static void set_written(const fs::path& path, WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME local{year, month, 0, day, hour, minute, 0, 0};
    SYSTEMTIME utc{};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME written{};
    SystemTimeToFileTime(&utc, &written);
    const HANDLE file = CreateFileW(path.wstring().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
  }

  fs::path dir_, old_cwd_;
  std::unique_ptr<WindowsPlatform> platform_;
};

TEST_F(WindowsPlatformTest, ArgumentsReachTheProgramExactlyAsGiven) {
  fs::copy_file(program_folder() / "print_args.exe", dir_ / "echoargs.exe");
  const std::vector<std::string> args{
      "-text",         "temp_20250824012.txt",
      "a b.grib2",     "",
      "say \"hi\"",    "\"",
      "back\\slash\\", "two\\\\\"quoted",
      "trailing\\\\",  "x&y|z^w%PATH%(1)<2>.grib2",
      "tab\there",     "caf\xc3\xa9 \xe6\xb8\xa9\xe5\xba\xa6.grib2",
  };
  std::vector<std::string> with_file{"args.txt"};
  with_file.insert(with_file.end(), args.begin(), args.end());
  std::string err;
  ASSERT_TRUE(platform_->run_program("echoargs", with_file, &err)) << err;
  std::string want;
  for (const std::string& a : args) want += "[" + a + "]\n";
  EXPECT_EQ(slurp(dir_ / "args.txt"), want);
}

TEST_F(WindowsPlatformTest, ProgramsAreFoundInTheWorkingDirectoryThenOnPath) {
  fs::create_directories(dir_ / "bin");
  fs::copy_file(program_folder() / "print_args.exe", dir_ / "bin" / "onpath.exe");
  fs::copy_file(program_folder() / "print_args.exe", dir_ / "bin" / "comonly.com");
  const std::wstring old_path(32768, L'\0');
  std::wstring saved = old_path;
  saved.resize(GetEnvironmentVariableW(L"PATH", saved.data(), static_cast<DWORD>(saved.size())));
  SetEnvironmentVariableW(L"PATH", (dir_ / "bin").wstring().c_str());
  std::string err;
  EXPECT_TRUE(platform_->run_program("onpath", {"a.txt", "1"}, &err)) << err;
  EXPECT_TRUE(platform_->run_program("comonly", {"b.txt", "2"}, &err)) << err;
  EXPECT_FALSE(platform_->run_program("nowhere", {"c.txt"}, &err));
  EXPECT_EQ(err, "not found in the working directory or on PATH");
  // The system folders are not searched when PATH does not name them.
  EXPECT_FALSE(platform_->run_program("cmd", {}, &err));
  SetEnvironmentVariableW(L"PATH", saved.c_str());
  EXPECT_EQ(slurp(dir_ / "a.txt"), "[1]\n");
  EXPECT_EQ(slurp(dir_ / "b.txt"), "[2]\n");
}

TEST_F(WindowsPlatformTest, OutputReplacesAnExistingTargetOnlyAtCommit) {
  put(dir_ / "kestrano/CMC/glb/glb_tmp.r2c", "old run\r\n");
  std::string err;
  auto output = platform_->open_output("\\kestrano\\CMC\\glb\\glb_tmp.r2c", &err);
  ASSERT_TRUE(output) << err;
  output->write_line("new header");
  output->close();
  EXPECT_EQ(slurp(dir_ / "kestrano/CMC/glb/glb_tmp.r2c"), "old run\r\n");
  output->commit();
  EXPECT_EQ(slurp(dir_ / "kestrano/CMC/glb/glb_tmp.r2c"), "new header\n");
  EXPECT_EQ(entries(dir_ / "kestrano/CMC/glb"), std::vector<std::string>{"glb_tmp.r2c"});
}

TEST_F(WindowsPlatformTest, DiscardedOutputLeavesTheTargetAsItWas) {
  put(dir_ / "out/a.r2c", "kept\n");
  std::string err;
  auto output = platform_->open_output("\\out\\a.r2c", &err);
  ASSERT_TRUE(output) << err;
  output->write_line("half a run");
  output->discard();
  output->discard();
  EXPECT_EQ(slurp(dir_ / "out/a.r2c"), "kept\n");
  EXPECT_EQ(entries(dir_ / "out"), std::vector<std::string>{"a.r2c"});
}

TEST_F(WindowsPlatformTest, TargetHeldOpenByAViewerIsRefusedAtOpen) {
  put(dir_ / "out/a.r2c", "old frames\n");
  Child viewer(program_folder() / "hold_open.exe", (dir_ / "out/a.r2c").wstring());
  ASSERT_TRUE(viewer.started());
  ASSERT_EQ(viewer.read_line(), "held");
  std::string err;
  EXPECT_FALSE(platform_->open_output("\\out\\a.r2c", &err));
  EXPECT_EQ(err, "Sharing violation.");
  EXPECT_EQ(entries(dir_ / "out"), std::vector<std::string>{"a.r2c"});
}

// A viewer that opens the target while the run converts: the move fails,
// and the run's output stays in the temporary file the error names.
TEST_F(WindowsPlatformTest, TargetHeldOpenAtCommitKeepsTheNewOutput) {
  put(dir_ / "out/a.r2c", "old frames\n");
  std::string err;
  auto output = platform_->open_output("\\out\\a.r2c", &err);
  ASSERT_TRUE(output) << err;
  output->write_line("new frames");
  Child viewer(program_folder() / "hold_open.exe", (dir_ / "out/a.r2c").wstring());
  ASSERT_EQ(viewer.read_line(), "held");
  try {
    output->commit();
    ADD_FAILURE() << "commit over a held target succeeded";
  } catch (const IoError& e) {
    const std::string target = (dir_ / "out\\a.r2c").string();
    EXPECT_EQ(e.path, target);
    const std::string kept = "; the new output is kept in ";
    const std::size_t at = e.reason.find(kept);
    ASSERT_NE(at, std::string::npos) << e.reason;
    EXPECT_EQ(e.reason.substr(0, at), "Access denied.");
    const fs::path temporary = e.reason.substr(at + kept.size());
    EXPECT_EQ(temporary.parent_path(), dir_ / "out");
    EXPECT_EQ(slurp(temporary), "new frames\n");
  }
  output->discard();
  EXPECT_EQ(slurp(dir_ / "out/a.r2c"), "old frames\n");
  EXPECT_EQ(entries(dir_ / "out").size(), 2u);
}

TEST_F(WindowsPlatformTest, MissingFolderIsRefusedAtOpen) {
  std::string err;
  EXPECT_FALSE(platform_->open_output("\\missing\\a.r2c", &err));
  EXPECT_EQ(err, "Path not found.");
  fs::create_directories(dir_ / "out/dir.r2c");
  EXPECT_FALSE(platform_->open_output("\\out\\dir.r2c", &err));
  EXPECT_EQ(err, "Access denied.");
}

// Two runs appending to one report at once: each line lands after the
// other's, none overwrites another.
TEST_F(WindowsPlatformTest, AppendsLandAtTheEndWhateverOthersAppended) {
  put(dir_ / "runReport.txt", "by hand\r\nno line end");
  std::string err;
  bool mid_line_a = false, mid_line_b = false;
  auto a = platform_->open_append("runReport.txt", &mid_line_a, &err);
  auto b = platform_->open_append("runReport.txt", &mid_line_b, &err);
  ASSERT_TRUE(a && b) << err;
  EXPECT_TRUE(mid_line_a);
  a->write_line("\nrun a started");
  a->close();
  b->write_line("run b started");
  b->close();
  auto c = platform_->open_append("runReport.txt", &mid_line_a, &err);
  EXPECT_FALSE(mid_line_a);
  c->write_line("run a ended");
  c->close();
  EXPECT_EQ(slurp(dir_ / "runReport.txt"),
            "by hand\r\nno line end\nrun a started\nrun b started\nrun a ended\n");
}

TEST_F(WindowsPlatformTest, ReaderTakesLfAndCrlfLines) {
  put(dir_ / "list.txt", "one\r\ntwo\n\r\nlast without end");
  std::string err;
  auto reader = platform_->open_read("list.txt", &err);
  ASSERT_TRUE(reader) << err;
  std::vector<std::string> lines;
  std::string line;
  while (reader->read_line(&line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last without end"}));
  ASSERT_TRUE(reader->rewind());
  ASSERT_TRUE(reader->read_line(&line));
  EXPECT_EQ(line, "one");
  EXPECT_FALSE(platform_->open_read("missing.txt", &err));
  EXPECT_EQ(err, "File not found.");
}

TEST_F(WindowsPlatformTest, ListingHasTheDirectoryLayoutInNameOrder) {
  put(dir_ / "b_second.grib2", std::string(1234567, 'g'));
  put(dir_ / "A_first.GRIB2", std::string(999, 'g'));
  put(dir_ / "_under.grib2", std::string(1000, 'g'));
  put(dir_ / "c.grib2.idx", "idx");
  put(dir_ / "grib2", "no");
  fs::create_directories(dir_ / "folder.grib2");
  set_written(dir_ / "b_second.grib2", 2025, 8, 3, 0, 7);
  set_written(dir_ / "A_first.GRIB2", 2024, 12, 31, 12, 0);
  set_written(dir_ / "_under.grib2", 2025, 1, 1, 23, 59);
  put(dir_ / "grib_list.txt", "an earlier listing, longer than the new one\r\n");
  std::string err;
  ASSERT_TRUE(write_listing(platform_.get(), &err)) << err;
  const std::string listing = slurp(dir_ / "grib_list.txt");
  const std::string head =
      " Volume in drive C has no label.\n"
      " Volume Serial Number is 0000-0000\n"
      "\n"
      " Directory of " +
      platform_->working_directory() +
      "\n"
      "\n"
      "01/01/2025  11:59 PM             1,000 _under.grib2\n"
      "12/31/2024  12:00 PM               999 A_first.GRIB2\n"
      "08/03/2025  12:07 AM         1,234,567 b_second.grib2\n"
      "               3 File(s)      1,236,566 bytes\n"
      "               0 Dir(s) ";
  EXPECT_EQ(listing.substr(0, head.size()), head);
  EXPECT_EQ(listing.substr(listing.size() - 12), " bytes free\n");
  EXPECT_EQ(listing.find('\r'), std::string::npos);
  EXPECT_EQ(platform_->working_directory(), dir_.string());
}

TEST_F(WindowsPlatformTest, RunLockIsHeldAgainstEveryOtherHolder) {
  std::string err;
  EXPECT_EQ(platform_->lock_file("tallowgate.lock", &err), LockResult::kTaken) << err;
  EXPECT_TRUE(fs::exists(dir_ / "tallowgate.lock"));
  WindowsPlatform other;
  EXPECT_EQ(other.lock_file("tallowgate.lock", &err), LockResult::kHeldElsewhere);
  EXPECT_EQ(other.lock_file("\\missing\\tallowgate.lock", &err), LockResult::kFailed);
  EXPECT_EQ(err, "Path not found.");
}

TEST_F(WindowsPlatformTest, RootedPathsLieUnderTheTestDrive) {
  EXPECT_EQ(platform_->local_path("\\grib2\\today.txt"), dir_.string() + "\\grib2\\today.txt");
  EXPECT_EQ(platform_->local_path("..\\runReport.txt"), "..\\runReport.txt");
  put(dir_ / "grib2/today.txt", "2023 7 4\n");
  EXPECT_TRUE(platform_->file_exists("\\grib2\\today.txt"));
  EXPECT_FALSE(platform_->file_exists("\\grib2"));
}

}  // namespace
}  // namespace tallowgate
