#include "platform/posix_platform.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST_F(PosixOutputTest, CommitReplacesTheTargetWholeAndLeavesNoTemporaryFile) {
  write(target_, "an older and much longer output\nwith two lines\n");
  PosixPlatform platform;
  std::string err;
  auto output = platform.open_output(target_, &err);
  ASSERT_NE(output, nullptr) << err;
  output->write_line("new");
  EXPECT_EQ(read(target_), "an older and much longer output\nwith two lines\n");
  output->commit();
  EXPECT_EQ(read(target_), "new\n");
  EXPECT_EQ(names(), std::vector<std::string>{"glb_tmp.r2c"});
}

TEST_F(PosixOutputTest, CommitWithNothingWrittenLeavesTheTargetAsItWas) {
  write(target_, "old frames\n");
  const auto before = fs::last_write_time(target_);
  PosixPlatform platform;
  std::string err;
  platform.open_output(target_, &err)->commit();
  EXPECT_EQ(read(target_), "old frames\n");
  EXPECT_EQ(fs::last_write_time(target_), before);

  const std::string missing = (dir_ / "new.r2c").string();
  platform.open_output(missing, &err)->commit();
  EXPECT_TRUE(fs::exists(missing));
  EXPECT_EQ(fs::file_size(missing), 0u);
  EXPECT_EQ(names().size(), 2u);
}

TEST_F(PosixOutputTest, OpenFailsWhereARealOpenWould) {
  fs::create_directory(dir_ / "taken.r2c");
  PosixPlatform platform;
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {(dir_ / "no_such_dir" / "out.r2c").string(), "No such file or directory"},
      {(dir_ / "taken.r2c").string(), "Is a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string err;
    EXPECT_EQ(platform.open_output(c.path, &err), nullptr);
    EXPECT_EQ(err, c.reason);
  }
  EXPECT_EQ(names(), std::vector<std::string>{"taken.r2c"});
}

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
      if (!output->failed() || e.reason != "File too large") ::_exit(4);
      output->discard();
    }
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read(target_), "old frames\n");
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
