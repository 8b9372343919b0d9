#include "decoder_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "grib_field.h"
#include "test_messages.h"

extern char** environ;

namespace tallowgate {
namespace {

namespace fs = std::filesystem;

// The built decoder, and wgrib2's own dumps of the shared GRIB2 files.
constexpr const char* kDecoder = DECODER_BINARY;
constexpr const char* kDataDir = DECODER_DATA_DIR;
#ifdef DECODER_SLOW_BUILD
constexpr int kTimeoutSeconds = 600;
#else
constexpr int kTimeoutSeconds = 120;
#endif

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (!in) return text;
  in.seekg(0, std::ios::end);
  text.resize(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  return text;
}

void write_file(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string gunzip(const fs::path& path) {
  std::string command = "gzip -dc '" + path.string() + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string text;
  if (pipe == nullptr) return text;
  char block[1 << 16];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) text.append(block, n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return text;
}

struct RunResult {
  bool finished = false;  // false: killed after kTimeoutSeconds
  bool exited = false;    // false: ended by a signal
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the decoder with `args` in `dir`, its output and error streams caught in files there; with
// `address_space_kib`, through a shell that first limits the decoder's address space to that.
RunResult run_decoder_binary(const fs::path& dir, const std::vector<std::string>& args,
                             long address_space_kib = 0) {
  std::vector<std::string> full = {kDecoder};
  if (address_space_kib > 0) {
    full = {"/bin/sh", "-c", "ulimit -v " + std::to_string(address_space_kib) + " && exec \"$0\" \"$@\"",
            kDecoder};
  }
  full.insert(full.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : full) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string out_path = (dir / "decoder.out").string();
  std::string err_path = (dir / "decoder.err").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  RunResult run;
  int error = posix_spawn(&pid, full[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    ADD_FAILURE() << "cannot start " << kDecoder;
    return run;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
  int wait_status = 0;
  while (waitpid(pid, &wait_status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wait_status, 0);
      return run;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.finished = true;
  run.exited = WIFEXITED(wait_status);
  run.status = run.exited ? WEXITSTATUS(wait_status) : -1;
  run.out = read_file(out_path);
  run.err = read_file(err_path);
  return run;
}

// Empty when `dump` is a series of count lines "ni nj", each followed by ni * nj number lines.
std::string dump_problem(const std::string& dump) {
  const char* at = dump.data();
  const char* end = at + dump.size();
  long long line_number = 0;
  auto next_line = [&at, end, &line_number](std::string_view* line) {
    if (at == end) return false;
    const char* newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
    if (newline == nullptr) return false;
    *line = std::string_view(at, static_cast<std::size_t>(newline - at));
    at = newline + 1;
    ++line_number;
    return true;
  };
  std::string_view line;
  while (next_line(&line)) {
    long long ni = 0, nj = 0;
    const char* line_end = line.data() + line.size();
    auto [after_ni, ni_error] = std::from_chars(line.data(), line_end, ni);
    bool count_line = ni_error == std::errc() && after_ni != line_end && *after_ni == ' ';
    if (count_line) {
      auto [after_nj, nj_error] = std::from_chars(after_ni + 1, line_end, nj);
      count_line = nj_error == std::errc() && after_nj == line_end && ni > 0 && nj > 0;
    }
    if (!count_line) return "line " + std::to_string(line_number) + " is no count line: " + std::string(line);
    for (long long n = ni * nj; n > 0; --n) {
      if (!next_line(&line)) return "the dump ends inside a grid";
      double value = 0;
      auto [after, error] = std::from_chars(line.data(), line.data() + line.size(), value);
      if (line.empty() || error != std::errc() || after != line.data() + line.size()) {
        return "line " + std::to_string(line_number) + ": " + std::string(line);
      }
    }
  }
  if (at != end) return "the last line is unfinished";
  return "";
}

bool is_fatal_line(const std::string& err) {
  std::istringstream in(err);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("*** FATAL ERROR: ", 0) == 0 && line.size() > 21 &&
        line.compare(line.size() - 4, 4, " ***") == 0) {
      return true;
    }
  }
  return false;
}

// Where the first difference of two dumps is, for a failure message.
std::string first_difference(const std::string& got, const std::string& want) {
  std::size_t at = 0;
  while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
  long long line = 1 + std::count(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(at), '\n');
  auto line_at = [at](const std::string& text) {
    std::size_t start = text.rfind('\n', at == 0 ? 0 : at - 1);
    start = start == std::string::npos ? 0 : start + 1;
    return text.substr(start, text.find('\n', start) - start);
  };
  return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size()) +
         ", first difference on line " + std::to_string(line) + ": \"" + line_at(got) +
         "\" where wgrib2 wrote \"" + line_at(want) + "\"";
}

std::vector<fs::path> grib_files(const fs::path& dir, const std::string& extension) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    if (extension.empty() || entry.path().extension() == extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class DecoderRunTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "decoder_run_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Decodes `file` into a fresh dump, within `address_space_kib` when it is given.
  RunResult decode(const fs::path& file, long address_space_kib = 0) {
    fs::remove(dump_path());
    return run_decoder_binary(dir_, {"-text", dump_path().string(), file.string()}, address_space_kib);
  }
  RunResult decode_bytes(const Bytes& bytes, long address_space_kib = 0) {
    write_file(dir_ / "in.grib2", bytes);
    return decode(dir_ / "in.grib2", address_space_kib);
  }
  fs::path dump_path() const { return dir_ / "out.dump"; }
  std::string dump() const { return read_file(dump_path()); }

  // Compares the dump and exit status of every NAME.grib2 of `folder` with wgrib2's.
  void expect_reference_results(const std::string& folder) {
    fs::path dir = fs::path(kDataDir) / folder;
    if (!fs::is_directory(dir)) GTEST_SKIP() << dir << " is not there";
    for (const fs::path& file : grib_files(dir, ".grib2")) {
      SCOPED_TRACE(file.filename().string());
      fs::path stem = file;
      stem.replace_extension();
      RunResult run = decode(file);
      ASSERT_TRUE(run.finished) << "no end after " << kTimeoutSeconds << " s";
      ASSERT_TRUE(run.exited) << "killed by a signal: " << run.err;
      EXPECT_EQ(std::to_string(run.status), read_file(stem.string() + ".status").substr(0, 1));
      std::string want = gunzip(stem.string() + ".dump.gz");
      std::string got = dump();
      EXPECT_TRUE(got == want) << first_difference(got, want);
    }
  }

  fs::path dir_;
};

TEST_F(DecoderRunTest, MatchesWgrib2OnRealProductFiles) { expect_reference_results("real"); }

TEST_F(DecoderRunTest, MatchesWgrib2OnMadeUpFiles) { expect_reference_results("synthetic"); }

TEST_F(DecoderRunTest, EndsCleanlyOnEveryOtherFile) {
  fs::path dir = fs::path(kDataDir) / "unlabelled";
  if (!fs::is_directory(dir)) GTEST_SKIP() << dir << " is not there";
  for (const fs::path& file : grib_files(dir, "")) {
    SCOPED_TRACE(file.filename().string());
    RunResult run = decode(file);
    ASSERT_TRUE(run.finished) << "no end after " << kTimeoutSeconds << " s";
    ASSERT_TRUE(run.exited) << "killed by a signal: " << run.err;
    EXPECT_TRUE(run.status == 0 || run.status == kDecoderFailed) << run.status;
    if (run.status != 0) {
      EXPECT_TRUE(is_fatal_line(run.err)) << run.err;
    }
    EXPECT_EQ(dump_problem(dump()), "");
  }
}

const TestGrid kSmall = {.ni = 2, .nj = 2, .date = 20190811, .time = 1200, .values = {1, 2, 3, 4}};
const char kSmallDump[] = "2 2\n1\n2\n3\n4\n";

// Far below what decoding any of the damaged fields would ask for, well above what the decoder needs
// for a small file. The sanitizers reserve far more address space than that for themselves.
#ifdef DECODER_SLOW_BUILD
constexpr long kRefusalAddressSpaceKib = 0;
#else
constexpr long kRefusalAddressSpaceKib = 512 * 1024;
#endif

TEST_F(DecoderRunTest, RefusesHostileFilesAtOnce) {
  fs::path dir = fs::path(kDataDir) / "hostile";
  if (!fs::is_directory(dir)) GTEST_SKIP() << dir << " is not there";
  struct Case {
    const char* file;
    const char* refusal;
  };
  const Case cases[] = {
      {"jpeg2000-image-larger-than-field.grib2", "its JPEG 2000 image of 327709 x 1 points holds 29 values"},
      {"ccsds-bad-parameters-fpe.grib2", "its CCSDS packing has a block size of 0"},
      {"ccsds-values-beyond-memory.grib2",
       "it packs 4278190109 values where its bitmap keeps 29 of 35 points"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    fs::path file = dir / c.file;
    RunResult run = decode(file, kRefusalAddressSpaceKib);
    ASSERT_TRUE(run.finished) << "no end after " << kTimeoutSeconds << " s";
    EXPECT_TRUE(run.exited) << "killed by a signal: " << run.err;
    EXPECT_EQ(run.status, kDecoderFailed);
    EXPECT_EQ(run.err,
              "*** FATAL ERROR: " + file.string() + ": message 1 at byte 0: " + c.refusal + " ***\n");
    EXPECT_EQ(dump(), "");
  }
}

TEST_F(DecoderRunTest, RefusesDamagedFieldsAfterTheGoodOnes) {
  const TestGrid masked = {.values = {kMissingValue, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, .bitmap = true};
  TestGrid jpeg = masked, ccsds = masked, complex = masked;
  jpeg.packing = "grid_jpeg";
  ccsds.packing = "grid_ccsds";
  complex.packing = "grid_complex_spatial_differencing";
  auto set_octets = [](const Bytes& message, int section, std::size_t first, std::size_t last,
                       std::uint64_t value) {
    return with_section(message, section, [first, last, value](unsigned char* bytes) {
      std::uint64_t left = value;
      for (std::size_t i = last; i >= first; --i, left >>= 8) bytes[i - 1] = static_cast<unsigned char>(left);
    });
  };
  // Section 7's code stream starts at its octet 6: the image width is at octets 14 to 17, its
  // height at 18 to 21.
  const Bytes wide_image = set_octets(make_message(jpeg), 7, 14, 17, 11 * 1000);
  const Bytes huge_image = set_octets(set_octets(make_message(jpeg), 7, 14, 17, 60000), 7, 18, 21, 60000);
  const Bytes huge_field =
      set_octets(set_octets(make_message(ccsds), 3, 7, 10, 0xfffffff0), 5, 6, 9, 0xffffffe0);
  struct Case {
    const char* name;
    Bytes damaged;
    const char* refusal;
  };
  const Case cases[] = {
      {"JPEG 2000 image wider than its field", wide_image,
       "its JPEG 2000 image of 11000 x 1 points holds 11 values"},
      {"JPEG 2000 image of 3.6 billion points", huge_image,
       "its JPEG 2000 image of 60000 x 60000 points holds 11 values"},
      {"CCSDS block size 0", set_octets(make_message(ccsds), 5, 23, 23, 0),
       "its CCSDS packing has a block size of 0"},
      {"CCSDS values beyond the bitmap", set_octets(make_message(ccsds), 5, 6, 9, 0x7fffffff),
       "it packs 2147483647 values where its bitmap keeps 11 of 12 points"},
      {"simple packing, values beyond the data", set_octets(make_message(masked), 5, 20, 20, 255),
       "its data section holds 33 bytes where 11 values of 255 bits need 351"},
      {"complex packing, a last group beyond the values", set_octets(make_message(complex), 5, 43, 46, 169),
       "its groups hold at least 179 values where it packs 11"},
      {"grid beyond any product", huge_field,
       "its grid of 4294967280 points is larger than any product (at most 100000000)"},
  };
  const Bytes good = make_message(kSmall);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult run = decode_bytes(concatenate({good, c.damaged}), kRefusalAddressSpaceKib);
    ASSERT_TRUE(run.finished) << "no end after " << kTimeoutSeconds << " s";
    EXPECT_TRUE(run.exited) << "killed by a signal: " << run.err;
    EXPECT_EQ(run.status, kDecoderFailed);
    EXPECT_EQ(run.err, "*** FATAL ERROR: " + (dir_ / "in.grib2").string() + ": message 2 at byte " +
                           std::to_string(good.size()) + ": " + c.refusal + " ***\n");
    EXPECT_EQ(dump(), kSmallDump);
  }
}

TEST_F(DecoderRunTest, WritesEveryFieldOfEveryMessage) {
  const Bytes first = make_message(kSmall);
  const Bytes second = make_message({.ni = 1, .nj = 3, .scanning_mode = 0, .values = {5, 6, 7}});
  const Bytes third = make_message({.ni = 1, .nj = 3, .values = {-0.5, 0, 8}});
  const Bytes grib1_header = text_bytes(std::string("GRIB\0\0\x40\x01", 8));
  Bytes file = concatenate({text_bytes("header\n"), grib1_header, first, join_fields(second, third)});
  RunResult run = decode_bytes(file);
  EXPECT_EQ(run.status, 0);
  // The third field takes the grid of the second: one column scanned from the north.
  EXPECT_EQ(dump(), std::string(kSmallDump) + "1 3\n7\n6\n5\n1 3\n8\n0\n-0.5\n");
  std::string at = std::to_string(7 + 8 + first.size());
  EXPECT_EQ(run.out, "1:15:d=2019081112\n2.1:" + at + ":d=2024061218\n2.2:" + at + ":d=2024061218\n");
  EXPECT_NE(run.err.find("GRIB1 message at byte 7 ignored"), std::string::npos) << run.err;
}

TEST_F(DecoderRunTest, GivesAFieldTheBitmapBeforeItWhenItSaysSo) {
  const double x = kMissingValue;
  const Bytes first = make_message({.ni = 2, .nj = 2, .values = {x, 2, 3, x}, .bitmap = true});
  const Bytes second = make_message({.ni = 2, .nj = 2, .values = {x, 20, 30, x}, .bitmap = true});
  // Bitmap indicator 254: the bitmap defined earlier in the message applies.
  const Bytes reuse = {0, 0, 0, 6, 6, 254};
  RunResult run = decode_bytes(replace_section(join_fields(first, second), 6, 2, reuse));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dump(), "2 2\n9.999e+20\n2\n3\n9.999e+20\n2 2\n9.999e+20\n20\n30\n9.999e+20\n");
}

TEST_F(DecoderRunTest, KeepsEarlierMessagesWhenALaterOneFails) {
  const Bytes good = make_message(kSmall);
  Bytes unterminated = good;
  unterminated.back() = '8';
  // Data representation template 5.200 (run lengths) is one ecCodes does not decode.
  const Bytes undecodable = with_section(good, 5, [](unsigned char* section) {
    section[9] = 0;
    section[10] = 200;
  });
  struct Case {
    const char* name;
    Bytes failing;
  };
  const Case cases[] = {
      {"cut short", Bytes(good.begin(), good.end() - 1)},
      {"no 7777", unterminated},
      {"undecodable packing", undecodable},
      {"undecodable second field", join_fields(good, undecodable)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult run = decode_bytes(concatenate({good, c.failing}));
    EXPECT_EQ(run.status, kDecoderFailed);
    EXPECT_TRUE(is_fatal_line(run.err)) << run.err;
    EXPECT_EQ(dump(), kSmallDump);
  }
}

TEST_F(DecoderRunTest, ReplacesAnExistingDump) {
  std::ofstream(dump_path()) << "an older, longer dump\n1\n2\n3\n4\n5\n6\n";
  write_file(dir_ / "in.grib2", make_message(kSmall));
  RunResult run = run_decoder_binary(dir_, {"-text", dump_path().string(), (dir_ / "in.grib2").string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(dump(), kSmallDump);
}

TEST_F(DecoderRunTest, LeavesAnEmptyDumpForAMissingFile) {
  std::ofstream(dump_path()) << "an older dump\n";
  RunResult run = run_decoder_binary(dir_, {"-text", dump_path().string(), (dir_ / "absent.grib2").string()});
  EXPECT_EQ(run.status, kDecoderFailed);
  EXPECT_TRUE(fs::exists(dump_path()));
  EXPECT_EQ(dump(), "");
  EXPECT_TRUE(is_fatal_line(run.err)) << run.err;
}

TEST_F(DecoderRunTest, WritesAnEmptyDumpForAFileWithoutGrib2) {
  RunResult run = decode_bytes(text_bytes("GRIB is mentioned, but no message follows\n"));
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(fs::exists(dump_path()));
  EXPECT_EQ(dump(), "");
}

TEST_F(DecoderRunTest, RefusesOtherArguments) {
  const std::string d = dump_path().string();
  const std::vector<std::string> cases[] = {
      {}, {"-text", d}, {"-text", d, "in.grib2", "extra"}, {"-txt", d, "in.grib2"}, {d, "-text", "in.grib2"},
  };
  for (const std::vector<std::string>& args : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    RunResult run = run_decoder_binary(dir_, args);
    EXPECT_EQ(run.status, kDecoderFailed);
    EXPECT_NE(run.err.find("usage: wgrib2 -text DUMP FILE"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dump_path()));
  }
}

}  // namespace
}  // namespace tallowgate
