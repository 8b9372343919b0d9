#include "platform/posix_platform.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tallowgate {
namespace {
namespace fs = std::filesystem;

// Runs each test in a scratch directory that is also the drive root.
class PosixPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tallowgate-posix-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    old_cwd_ = fs::current_path();
    fs::current_path(dir_);
    setenv("TALLOWGATE_DRIVE", dir_.c_str(), 1);
    platform_ = std::make_unique<PosixPlatform>();
  }
  void TearDown() override {
    platform_.reset();
    fs::current_path(old_cwd_);
    unsetenv("TALLOWGATE_DRIVE");
    fs::remove_all(dir_);
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
  std::vector<std::string> entries(const fs::path& dir) const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_, old_cwd_;
  std::unique_ptr<PosixPlatform> platform_;
};

TEST_F(PosixPlatformTest, OutputReplacesTheTargetOnlyAtCommit) {
  put(dir_ / "kestrano/CMC/glb/glb_tmp.r2c", "old run\n");
  std::string err;
  auto output = platform_->open_output("\\kestrano\\CMC\\glb\\glb_tmp.r2c", &err);
  ASSERT_TRUE(output) << err;
  output->write_line("new header");
  EXPECT_EQ(slurp(dir_ / "kestrano/CMC/glb/glb_tmp.r2c"), "old run\n");
  output->commit();
  EXPECT_EQ(slurp(dir_ / "kestrano/CMC/glb/glb_tmp.r2c"), "new header\n");
  EXPECT_EQ(entries(dir_ / "kestrano/CMC/glb"), std::vector<std::string>{"glb_tmp.r2c"});
}

TEST_F(PosixPlatformTest, ClosedOutputIsPublishedOnlyByCommit) {
  put(dir_ / "out/a.r2c", "old run\n");
  std::string err;
  auto output = platform_->open_output("\\out\\a.r2c", &err);
  ASSERT_TRUE(output) << err;
  output->write_line("new run");
  output->close();
  EXPECT_EQ(slurp(dir_ / "out/a.r2c"), "old run\n");
  output->commit();
  EXPECT_EQ(slurp(dir_ / "out/a.r2c"), "new run\n");
  EXPECT_EQ(entries(dir_ / "out"), std::vector<std::string>{"a.r2c"});
}

TEST_F(PosixPlatformTest, OutputWithNothingWrittenLeavesTheTargetOrCreatesItEmpty) {
  put(dir_ / "out/a.r2c", "kept\n");
  std::string err;
  platform_->open_output("\\out\\a.r2c", &err)->commit();
  platform_->open_output("\\out\\b.r2c", &err)->commit();
  EXPECT_EQ(slurp(dir_ / "out/a.r2c"), "kept\n");
  EXPECT_TRUE(fs::exists(dir_ / "out/b.r2c"));
  EXPECT_EQ(slurp(dir_ / "out/b.r2c"), "");
  EXPECT_EQ(entries(dir_ / "out"), (std::vector<std::string>{"a.r2c", "b.r2c"}));
}

TEST_F(PosixPlatformTest, DiscardedOutputLeavesTheTargetAsItWas) {
  put(dir_ / "out/a.r2c", "kept\n");
  std::string err;
  {
    auto output = platform_->open_output("\\out\\a.r2c", &err);
    output->write_line("half a run");
    output->discard();
  }
  { platform_->open_output("\\out\\c.r2c", &err)->write_line("dropped with its owner"); }
  EXPECT_EQ(slurp(dir_ / "out/a.r2c"), "kept\n");
  EXPECT_EQ(entries(dir_ / "out"), std::vector<std::string>{"a.r2c"});
}

TEST_F(PosixPlatformTest, OutputThatCannotBeWrittenIsRefusedAtOpen) {
  fs::create_directories(dir_ / "out/dir.r2c");
  std::string err;
  EXPECT_FALSE(platform_->open_output("\\missing\\a.r2c", &err));
  EXPECT_EQ(err, "No such file or directory");
  EXPECT_FALSE(platform_->open_output("\\out\\dir.r2c", &err));
  EXPECT_EQ(err, "Is a directory");
}

TEST_F(PosixPlatformTest, WriteToAFullDeviceThrows) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::string err;
  auto writer = platform_->open_write("/dev/full", &err);
  ASSERT_TRUE(writer) << err;
  writer->write(std::string(100, 'x'));
  EXPECT_THROW(writer->close(), IoError);
}

TEST_F(PosixPlatformTest, AppendTellsWhetherTheFileEndsMidLine) {
  put(dir_ / "report.txt", "first line\nno line end");
  std::string err;
  bool mid_line = false;
  auto report = platform_->open_append("report.txt", &mid_line, &err);
  ASSERT_TRUE(report) << err;
  EXPECT_TRUE(mid_line);
  report->write("\nentry\n");
  report->close();
  EXPECT_EQ(slurp(dir_ / "report.txt"), "first line\nno line end\nentry\n");
  platform_->open_append("fresh.txt", &mid_line, &err)->close();
  EXPECT_FALSE(mid_line);
  EXPECT_TRUE(fs::exists(dir_ / "fresh.txt"));
}

TEST_F(PosixPlatformTest, ReaderGivesLinesWithoutTheirEndsAndRewinds) {
  put(dir_ / "list.txt", "one\r\ntwo\n\nlast without end");
  std::string err;
  auto reader = platform_->open_read("list.txt", &err);
  ASSERT_TRUE(reader);
  std::vector<std::string> lines;
  std::string line;
  while (reader->read_line(&line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last without end"}));
  ASSERT_TRUE(reader->rewind());
  ASSERT_TRUE(reader->read_line(&line));
  EXPECT_EQ(line, "one");
  EXPECT_FALSE(platform_->open_read("missing.txt", &err));
  EXPECT_EQ(err, "No such file or directory");
}

// Lines around the buffer's size and the length limit, each followed by a
// short line that must still be read whole.
TEST_F(PosixPlatformTest, ReaderRefusesLinesBeyondTheLimitAndReadsOnAfterThem) {
  const struct {
    const char* name;
    std::size_t length;
    const char* end;
    bool too_long;
  } cases[] = {
      {"past the buffer", (1u << 16) + 3, "\n", false},
      {"at the limit", kMaxLineLength, "\n", false},
      {"at the limit with a carriage return", kMaxLineLength, "\r\n", false},
      {"one byte over", kMaxLineLength + 1, "\n", true},
      {"far over", 5 * kMaxLineLength, "\n", true},
      {"far over, the file's last line", 5 * kMaxLineLength, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool last = std::string_view(c.end).empty();
    put(dir_ / "long.txt", "first\n" + std::string(c.length, '7') + c.end + (last ? "" : "after\n"));
    std::string err;
    auto reader = platform_->open_read("long.txt", &err);
    ASSERT_TRUE(reader);
    std::string line;
    ASSERT_TRUE(reader->read_line(&line));
    EXPECT_EQ(line, "first");
    EXPECT_EQ(reader->read_line(&line), !c.too_long);
    EXPECT_EQ(reader->line_too_long(), c.too_long);
    if (!c.too_long) {
      EXPECT_EQ(line.size(), c.length);
    }
    std::string_view view;
    EXPECT_EQ(reader->read_line_view(&view), !last);
    if (!last) {
      EXPECT_EQ(view, "after");
    }
    EXPECT_FALSE(reader->line_too_long());
  }
}

TEST_F(PosixPlatformTest, RemovingTakesLinksAwayUnfollowedAndNothingCountsAsRemoved) {
  put(dir_ / "kept.txt", "kept\n");
  fs::create_symlink(dir_ / "kept.txt", dir_ / "link.txt");
  fs::create_symlink(dir_ / "nowhere.txt", dir_ / "dangling.txt");
  std::string err;
  EXPECT_TRUE(platform_->remove_file("link.txt", &err));
  EXPECT_TRUE(platform_->remove_file("dangling.txt", &err));
  EXPECT_TRUE(platform_->remove_file("never-there.txt", &err));
  EXPECT_EQ(entries(dir_), std::vector<std::string>{"kept.txt"});
  fs::create_directories(dir_ / "sub");
  EXPECT_FALSE(platform_->remove_file("sub", &err));
  EXPECT_FALSE(err.empty());
}

// The lock is per open file description: a second process is refused until
// the first one ends, whatever way it ends.
TEST_F(PosixPlatformTest, LockIsRefusedToASecondProcessUntilTheFirstEnds) {
  std::string err;
  ASSERT_EQ(platform_->lock_file("run.lock", &err), LockResult::kTaken) << err;
  EXPECT_TRUE(fs::exists(dir_ / "run.lock"));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    PosixPlatform other;
    std::string child_err;
    _exit(other.lock_file("run.lock", &child_err) == LockResult::kHeldElsewhere ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  fs::create_directories(dir_ / "sub.lock");
  EXPECT_EQ(platform_->lock_file("sub.lock", &err), LockResult::kFailed);
  EXPECT_FALSE(err.empty());
}

TEST_F(PosixPlatformTest, ProgramsAreFoundInTheWorkingDirectoryFirst) {
  put(dir_ / "tool", "#!/bin/sh\necho \"$@\" > ran.txt\n");
  fs::permissions(dir_ / "tool", fs::perms::owner_all);
  std::string err;
  ASSERT_TRUE(platform_->run_program("tool", {"-text", "a b", "x;rm -rf y"}, &err)) << err;
  EXPECT_EQ(slurp(dir_ / "ran.txt"), "-text a b x;rm -rf y\n");
  EXPECT_FALSE(platform_->run_program("no-such-program-here", {}, &err));
  EXPECT_FALSE(err.empty());
}

TEST_F(PosixPlatformTest, ListsRegularFilesFollowingLinks) {
  put(dir_ / "a.grib2", "12345");
  fs::create_directories(dir_ / "sub.grib2");
  fs::create_symlink(dir_ / "a.grib2", dir_ / "link.grib2");
  fs::create_symlink(dir_ / "nowhere", dir_ / "dangling.grib2");
  std::vector<DirectoryEntry> files;
  std::string err;
  ASSERT_TRUE(platform_->list_directory(&files, &err));
  std::vector<std::string> names;
  for (const auto& f : files) {
    names.push_back(f.name);
    EXPECT_EQ(f.size, 5u);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.grib2", "link.grib2"}));
}

// A scratch directory with the output's directory in it. Absolute paths pass
// through the platform unchanged.
class PosixOutputTest : public ::testing::Test {
 protected:
  PosixOutputTest() {
    std::string pattern = (fs::temp_directory_path() / "tallowgate-posix-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    target_ = (dir_ / "glb_tmp.r2c").string();
  }
  ~PosixOutputTest() override { fs::remove_all(dir_); }

  void write(const std::string& path, const std::string& contents) { std::ofstream(path) << contents; }
  static std::string read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir_)) found.push_back(e.path().filename().string());
    return found;
  }
  // Runs `body` in a child process; returns its wait status.
  template <typename Body>
  static int in_child(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      body();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  }

  fs::path dir_;
  std::string target_;
};

TEST_F(PosixOutputTest, ReadOnlyTargetCannotBeOpened) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  write(target_, "old\n");
  fs::permissions(target_, fs::perms::owner_read);
  PosixPlatform platform;
  std::string err;
  EXPECT_EQ(platform.open_output(target_, &err), nullptr);
  EXPECT_EQ(err, "Permission denied");
}

TEST_F(PosixOutputTest, FailedWriteIsDiscardedAndTheTargetKept) {
  write(target_, "old frames\n");
  const std::string target = target_;
  const int status = in_child([&target] {
    // Files may not grow beyond 4 KiB: the flush of a big write fails.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    PosixPlatform platform;
    std::string err;
    auto output = platform.open_output(target, &err);
    if (!output) ::_exit(2);
    try {
      output->write(std::string(3 << 20, 'x'));
      output->commit();
      ::_exit(3);
    } catch (const IoError& e) {
      if (!output->failed() || e.reason != "File too large" || e.path != target) ::_exit(4);
      output->discard();
    }
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read(target_), "old frames\n");
  EXPECT_EQ(names(), std::vector<std::string>{"glb_tmp.r2c"});
}

// A second discard of a failed output must leave the next output of the same
// target, opened meanwhile, alone.
TEST_F(PosixOutputTest, ASecondDiscardOfAFailedOutputTouchesNothing) {
  write(target_, "old frames\n");
  const std::string target = target_;
  const int status = in_child([&target] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    PosixPlatform platform;
    std::string err;
    auto failed = platform.open_output(target, &err);
    if (!failed) ::_exit(2);
    try {
      failed->write(std::string(3 << 20, 'x'));
      ::_exit(3);
    } catch (const IoError&) {
      failed->discard();
    }
    auto next = platform.open_output(target, &err);
    if (!next) ::_exit(4);
    next->write_line("new frames");
    failed->discard();
    try {
      next->commit();
    } catch (const IoError&) {
      ::_exit(5);
    }
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read(target_), "new frames\n");
  EXPECT_EQ(names(), std::vector<std::string>{"glb_tmp.r2c"});
}

TEST_F(PosixOutputTest, SignalRemovesTheTemporaryFileAndKeepsTheTarget) {
  write(target_, "old frames\n");
  for (int signal_number : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal_number);
    const std::string target = target_;
    const int status = in_child([&target, signal_number] {
      PosixPlatform platform;
      std::string err;
      auto output = platform.open_output(target, &err);
      if (!output) ::_exit(2);
      output->write(std::string(2 << 20, 'x'));  // past the buffer: bytes reach the temporary file
      std::raise(signal_number);
      ::_exit(3);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signal_number);
    EXPECT_EQ(read(target_), "old frames\n");
    EXPECT_EQ(names(), std::vector<std::string>{"glb_tmp.r2c"});
  }
}

}  // namespace
}  // namespace tallowgate
