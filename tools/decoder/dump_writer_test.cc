#include "dump_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "decoder_fatal.h"

namespace tallowgate {
namespace {

class DumpWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "dump_writer_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "out.dump").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string dump() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path dir_;
  std::string path_;
};

GribField row_of(std::vector<double> values) {
  GribField field;
  field.ni = static_cast<std::int64_t>(values.size());
  field.nj = 1;
  field.values = std::move(values);
  return field;
}

TEST_F(DumpWriterTest, WritesEachValueAsTheFloatPrintfWouldShow) {
  struct Case {
    double value;
    const char* line;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {273.15, "273.15"},
      {1e-5, "1e-05"},
      {-0.0, "0"},
      {-1e-50, "0"},         // rounds to -0 as a float
      {1e300, "9.999e+20"},  // beyond a float
      {inf, "9.999e+20"},
      {-inf, "9.999e+20"},
      {std::nan(""), "9.999e+20"},
      {kMissingValue, "9.999e+20"},
      {999999.5, "1e+06"},
      {0.1, "0.1"},
      {0.1, "0.1"},  // a repeat
      {0.2, "0.2"},
      {0.1, "0.1"},
      {287.50099, "287.501"},
  };
  std::vector<double> values;
  std::string expected = std::to_string(std::size(cases)) + " 1\n";
  for (const Case& c : cases) {
    values.push_back(c.value);
    expected += std::string(c.line) + "\n";
  }
  DumpWriter writer(path_);
  writer.write_field(row_of(values));
  writer.close();
  EXPECT_EQ(dump(), expected);
}

TEST_F(DumpWriterTest, WritesRowsFromTheSouthWestToEast) {
  GribField field;
  field.ni = 2;
  field.nj = 3;
  field.order = {.i_scans_negatively = true};  // file rows run east to west, north to south
  field.values = {1, 2, 3, 4, 5, 6};
  DumpWriter writer(path_);
  writer.write_field(field);
  writer.close();
  EXPECT_EQ(dump(), "2 3\n6\n5\n4\n3\n2\n1\n");
}

TEST_F(DumpWriterTest, EmptiesAnExistingDump) {
  std::ofstream(path_) << "an older dump\n";
  DumpWriter writer(path_);
  writer.close();
  EXPECT_EQ(dump(), "");
}

TEST_F(DumpWriterTest, CutsBackWhatCameAfterAGivenLength) {
  std::vector<double> many(400000);  // more text than one block
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<double>(i);
  struct Case {
    const char* name;
    std::vector<double> dropped;
  };
  const Case cases[] = {{"still gathered", {1, 2, 3}}, {"partly written out", many}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DumpWriter writer(path_);
    writer.write_field(row_of({7.5}));
    std::uint64_t kept = writer.length();
    writer.write_field(row_of(c.dropped));
    writer.cut_back(kept);
    writer.write_field(row_of({8}));
    writer.close();
    EXPECT_EQ(dump(), "1 1\n7.5\n1 1\n8\n");
  }
}

TEST_F(DumpWriterTest, WritesOutGatheredTextWhenDestroyed) {
  {
    DumpWriter writer(path_);
    writer.write_field(row_of({1}));
  }
  EXPECT_EQ(dump(), "1 1\n1\n");
}

TEST_F(DumpWriterTest, RefusesADumpItCannotCreate) {
  std::string path = (dir_ / "no_such_dir" / "out.dump").string();
  try {
    DumpWriter writer(path);
    ADD_FAILURE() << "opened";
  } catch (const DecoderFatal& fatal) {
    EXPECT_EQ(fatal.what, "cannot open the dump " + path + ": No such file or directory");
  }
}

}  // namespace
}  // namespace tallowgate
