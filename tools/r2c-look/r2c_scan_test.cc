#include "r2c_scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "look_fixtures.h"

namespace tallowgate::look {
namespace {

// The text with its first `from` replaced by `to`; fails the test when `from` is not there.
std::string edited(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "fixture lacks: " << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string listed(const ScanResult& result) {
  std::string text;
  for (const Problem& p : result.problems) text += std::to_string(p.line) + ": " + p.text + "\n";
  return text;
}

// Keeps what the scan hands over.
struct Recorder : R2cVisitor {
  void on_header(const R2cHeader& h) override { header = h; }
  void on_frame(const FrameInfo& frame, const std::vector<float>& values) override {
    frames.push_back(frame);
    frame_values.push_back(values);
  }
  R2cHeader header;
  std::vector<FrameInfo> frames;
  std::vector<std::vector<float>> frame_values;
};

TEST(R2cScan, ConverterFileIsSoundAndReadWhole) {
  Recorder recorder;
  const ScanResult result = scan_r2c_text(converter_file(), &recorder);
  EXPECT_EQ(listed(result), "");
  EXPECT_EQ(result.frames, 2);
  EXPECT_EQ(recorder.header.name, "Regl apcp");
  EXPECT_EQ(recorder.header.units, "1 kg/(m^2)");
  EXPECT_EQ(recorder.header.written_by, "tallowgate.exe");
  EXPECT_EQ(recorder.header.x_count, 3);
  EXPECT_EQ(recorder.header.y_count, 2);
  EXPECT_EQ(recorder.header.y_origin, 920682.125);
  EXPECT_EQ(recorder.header.end_line, 31);
  EXPECT_FALSE(recorder.header.has_extent);
  ASSERT_EQ(recorder.frames.size(), 2u);
  EXPECT_EQ(recorder.frames[0].line, 32);
  EXPECT_EQ(recorder.frames[1].number, 2);
  EXPECT_EQ(recorder.frames[1].time.text, "2025/08/24  12:00");
  EXPECT_EQ(recorder.frames[1].time.seconds - recorder.frames[0].time.seconds, 6 * 3600);
  EXPECT_EQ(recorder.frame_values[0], (std::vector<float>{0.25f, 99.0f, 1.0f, 2.0f, 3.0f, -0.5f}));
}

struct ProblemCase {
  const char* name;
  const char* from;  // replaced in the converter's file
  const char* to;
  long line;
  const char* text;  // the start of the problem's text
};

const ProblemCase kProblemCases[] = {
    {"MissingCount", ":xCount                            3\n", "", 30, "no :xCount in the header"},
    {"MissingDelta", ":yDelta                    10000.000000\n", "", 30, "no :yDelta in the header"},
    {"ContradictingCount", ":yCount                            2\n",
     ":yCount                            2\n:ycount 3\n", 24, ":ycount 3 contradicts line 23: :yCount 2"},
    {"CountNotWhole", ":xCount                            3", ":xCount 3.5", 22,
     ":xCount 3.5 is not a whole number above 0"},
    {"CountZero", ":yCount                            2", ":yCount 0", 23,
     ":yCount 0 is not a whole number above 0"},
    {"GridTooLargeToHold", ":xCount                            3", ":xCount 100000000", 31,
     "a grid of 100000000 x 2 cells is more than this reader holds"},
    {"DeltaZero", ":xDelta                    10000.000000", ":xDelta 0", 24, ":xDelta is 0"},
    {"OriginNotANumber", ":xOrigin                -4556441.500000", ":xOrigin west", 20,
     ":xOrigin west is not a number"},
    {"ExtentContradictsCount", ":yDelta                    10000.000000\n",
     ":yDelta                    10000.000000\n:xExtent 40000.0\n", 26,
     ":xExtent 40000.0 is not 3 cells of 10000"},
    {"FrameBeforeEndOfHeader", ":EndHeader          \n", "", 31, "frame line before :EndHeader"},
    {"ValuesBeforeEndOfHeader", ":SourceFile             grib2            \n", "  1.0000  2.0000\n", 27,
     "not a keyword or a comment before :EndHeader"},
    {"FrameNumberSkips", ":frame    2    2", ":frame    3    3", 36, "frame number 3 where 2 was due"},
    {"TimeRepeats", "2025/08/24  12:00", "2025/08/24  06:00", 36,
     "time \"2025/08/24  06:00\" repeats the time of line 32"},
    {"TimeGoesBack", "2025/08/24  12:00", "2025/08/23  18:00", 36, "time \"2025/08/23  18:00\" comes before"},
    {"TimeNotADate", "2025/08/24  12:00", "2025/13/24  12:00", 36, "not a time: \"2025/13/24  12:00\""},
    {"TimeUnquoted", "\"2025/08/24  12:00\"", "2025/08/24  12:00", 36, "the frame line has no quoted time"},
    {"FrameLineWithoutStep", ":frame    2    2     ", ":frame    2     ", 36,
     "the frame line needs a frame number and a step"},
    {"ShortFrame", "  2.0000  3.0000 -0.5000\n", "  2.0000  3.0000\n", 32,
     "frame 1 is short: 5 values where 3 x 2 = 6 are due"},
    {"LongFrame", "  2.0000  3.0000 -0.5000\n", "  2.0000  3.0000 -0.5000  7.0000\n", 32,
     "frame 1 is long: 7 values where 3 x 2 = 6 are due"},
    {"ValuesRunTogether", "  2.0000  3.0000 -0.5000", "  2.0000  3.0000-0.5000", 34,
     "values run together: 3.0000-0.5000"},
    {"FieldOfAsterisksAgainstAValue", "  2.0000  3.0000 -0.5000", "  2.0000  3.0000********", 34,
     "a field filled with asterisks"},
    {"OnlyAsterisks", "  2.0000  3.0000 -0.5000", "  2.0000  3.0000 *******", 34,
     "a field filled with asterisks"},
    {"NotANumber", "  2.0000  3.0000 -0.5000", "  2.0000  3.0000   x.5", 34, "not a number: x.5"},
    {"NotFinite", "  2.0000  3.0000 -0.5000", "  2.0000  3.0000  nan", 34, "not a number: nan"},
    {"NoEndLine", "-0.5000\nEndFrame\n", "-0.5000\n", 32, "frame 1 has no end line before line 35"},
    {"CrlfAmongLf", "  0.2500 99.0000  1.0000\n", "  0.2500 99.0000  1.0000\r\n", 33,
     "line ends mixed: line 33 ends in CRLF, line 1 in LF"},
    {"KeywordAfterHeader", "EndFrame\n:frame    2", "EndFrame\n:xCount 3\n:frame    2", 36,
     "a header keyword after :EndHeader: :xCount"},
    {"ValuesOutsideAFrame", "EndFrame\n:frame    2", "EndFrame\n  1.0000\n:frame    2", 36,
     "values outside a frame"},
};

class ScanProblems : public ::testing::TestWithParam<ProblemCase> {};

void PrintTo(const ProblemCase& c, std::ostream* os) { *os << c.name; }

std::string problem_case_name(const ::testing::TestParamInfo<ProblemCase>& param) { return param.param.name; }

TEST_P(ScanProblems, NamesTheLineAndTheProblem) {
  const ProblemCase& c = GetParam();
  const ScanResult result = scan_r2c_text(edited(converter_file(), c.from, c.to), nullptr);
  ASSERT_FALSE(result.problems.empty());
  bool found = false;
  for (const Problem& p : result.problems) {
    if (p.line == c.line && p.text.rfind(c.text, 0) == 0) found = true;
  }
  EXPECT_TRUE(found) << "expected line " << c.line << ": " << c.text << "\ngot:\n" << listed(result);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScanProblems, ::testing::ValuesIn(kProblemCases), problem_case_name);

TEST(R2cScan, EmptyFileAndHeaderOnly) {
  EXPECT_EQ(listed(scan_r2c_text("", nullptr)), "0: the file is empty\n");
  const std::string header = converter_file().substr(0, converter_file().find(":frame"));
  EXPECT_EQ(listed(scan_r2c_text(header.substr(0, header.find(":EndHeader")), nullptr)),
            "30: the file ends before :EndHeader\n");
  // The converter closes with an end line each file it could not read; with none read, no frame.
  EXPECT_EQ(listed(scan_r2c_text(header + "EndFrame\nEndFrame\n", nullptr)),
            "31: no frame after the header\n");
}

TEST(R2cScan, ListsAFewValueProblemsPerFrameAndCountsTheRest) {
  const std::string text =
      edited(converter_file(), "  0.2500 99.0000  1.0000\n  2.0000  3.0000 -0.5000\n", "a b c\nd e f\n");
  const ScanResult result = scan_r2c_text(text, nullptr);
  EXPECT_EQ(listed(result),
            "32: frame 1: 3 more values that are not numbers, up to line 35\n"
            "33: not a number: a\n33: not a number: b\n33: not a number: c\n");
}

TEST(R2cScan, ValuesThatAreNotNumbersReachTheVisitorAsNan) {
  Recorder recorder;
  scan_r2c_text(edited(converter_file(), "  3.0000 -0.5000", "  abc    -0.5000"), &recorder);
  ASSERT_EQ(recorder.frame_values.size(), 2u);
  EXPECT_TRUE(std::isnan(recorder.frame_values[0][4]));
  EXPECT_EQ(recorder.frame_values[0][5], -0.5f);
}

struct AcceptedCase {
  const char* name;
  std::string text;
  int frames;
};

// Files of other writers that real readers take.
const std::vector<AcceptedCase>& accepted_cases() {
  static const std::vector<AcceptedCase> cases = {
      {"AttributeNamesWithIndex",
       ":FileType r2c  ASCII  EnSim 1.0\n:Projection LatLong\n:xOrigin -100.0\n:yOrigin 40.0\n"
       ":AttributeName 1 Precipitation\n:AttributeUnits 1 mm\n:xCount 2\n:yCount 1\n:xDelta 0.5\n:yDelta "
       "0.5\n"
       ":EndHeader\n:Frame 1 1 \"2004/07/01 01:00:00.000\"\n0.0 1.5\n:EndFrame\n"
       ":Frame 2 2 \"2004/07/01 02:00:00.000\"\n0.5 2.5\n:EndFrame\n",
       2},
      {"KeywordsInAnyCaseAndPadding",
       ":filetype r2c ascii EnSim 1.0\n   :PROJECTION   LatLong\n:XORIGIN\t-100\n:yorigin 40\n"
       ":xcount\t\t2\n:YCount 1\n:xdelta 1\n:ydelta 1\n:endHeader\n"
       ":FRAME 1 1 \"2004/07/01 01:00\"\n1 2\n:ENDFRAME\n",
       1},
      {"StaticSingleFrameField",
       ":FileType r2c  ASCII  EnSim 1.0\n:Projection LatLong\n:xOrigin 0\n:yOrigin 0\n:xCount 3\n:yCount 2\n"
       ":xDelta 1\n:yDelta 1\n:EndHeader\n 10 20 30\n 40 50 60\n",
       1},
      {"CrlfThroughout",
       ":FileType r2c  ASCII  EnSim 1.0\r\n:Projection LatLong\r\n:xOrigin 0\r\n:yOrigin 0\r\n:xCount 2\r\n"
       ":yCount 1\r\n:xDelta 1\r\n:yDelta 1\r\n:EndHeader\r\n:Frame 1 1 \"2004/07/01 01:00\"\r\n1 2\r\n"
       ":EndFrame\r\n",
       1},
      {"RowsWrappedOverLines",
       ":Projection LatLong\n:xOrigin 0\n:yOrigin 0\n:xCount 4\n:yCount 1\n:xDelta 1\n:yDelta 1\n:EndHeader\n"
       ":Frame 1 1 \"2004/07/01 01:00\"\n1 2\n3 4\n:EndFrame\n",
       1},
      {"MidnightAsHour24AndDashedDate",
       ":Projection LatLong\n:xOrigin 0\n:yOrigin 0\n:xCount 1\n:yCount 1\n:xDelta 1\n:yDelta 1\n:EndHeader\n"
       ":Frame 1 1 \"2004-07-01 23:00\"\n1\n:EndFrame\n:Frame 2 2 \"2004/07/01 24:00:00\"\n2\n:EndFrame\n",
       2},
      {"LastLineWithoutLineEnd",
       ":Projection LatLong\n:xOrigin 0\n:yOrigin 0\n:xCount 1\n:yCount 1\n:xDelta 1\n:yDelta 1\n:EndHeader\n"
       ":Frame 1 1 \"2004/07/01 01:00\"\n1\n:EndFrame",
       1},
      {"ConverterSkippedFiles",
       edited(converter_file(), "EndFrame\n:frame    2", "EndFrame\nEndFrame\n:frame    2"), 2},
  };
  return cases;
}

TEST(R2cScan, AcceptsWhatOtherWritersCommonlyWrite) {
  for (const AcceptedCase& c : accepted_cases()) {
    SCOPED_TRACE(c.name);
    const ScanResult result = scan_r2c_text(c.text, nullptr);
    EXPECT_EQ(listed(result), "");
    EXPECT_EQ(result.frames, c.frames);
  }
}

TEST(R2cScan, IndexedAttributeUnitsLoseTheirIndexOnlyWithIndexedNames) {
  Recorder indexed;
  scan_r2c_text(accepted_cases()[0].text, &indexed);
  EXPECT_EQ(indexed.header.name, "Precipitation");
  EXPECT_EQ(indexed.header.units, "mm");
  Recorder converter;
  scan_r2c_text(converter_file(), &converter);
  EXPECT_EQ(converter.header.units, "1 kg/(m^2)");
}

TEST(R2cScan, ValuesReadAsTheGeneralParserReadsThem) {
  const std::vector<std::string> tokens = {
      "-0.5000", "99.0000", "+1.5", "12",     "0.0625",           "249.25",
      "1e3",     "-.25",    "7.",   "0.1000", "3.14159265358979", "123456789.123456",
      "-0.0000"};
  std::string text = ":Projection LatLong\n:xOrigin 0\n:yOrigin 0\n:xCount " + std::to_string(tokens.size()) +
                     "\n:yCount 1\n:xDelta 1\n:yDelta 1\n:EndHeader\n:Frame 1 1 \"2004/07/01 01:00\"\n";
  for (const std::string& token : tokens) text += token + " ";
  text += "\n:EndFrame\n";
  Recorder recorder;
  const ScanResult result = scan_r2c_text(text, &recorder);
  EXPECT_EQ(listed(result), "");
  ASSERT_EQ(recorder.frame_values.size(), 1u);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    SCOPED_TRACE(tokens[i]);
    const char* first = tokens[i].data() + (tokens[i][0] == '+' ? 1 : 0);
    float expected = 0;
    std::from_chars(first, tokens[i].data() + tokens[i].size(), expected);
    EXPECT_EQ(recorder.frame_values[0][i], expected);
  }
  EXPECT_TRUE(std::signbit(recorder.frame_values[0].back()));
}

TEST(R2cScan, StaticFieldHandsOverOneFrame) {
  Recorder recorder;
  scan_r2c_text(accepted_cases()[2].text, &recorder);
  ASSERT_EQ(recorder.frames.size(), 1u);
  EXPECT_TRUE(recorder.frames[0].is_static);
  EXPECT_EQ(recorder.frame_values[0], (std::vector<float>{10, 20, 30, 40, 50, 60}));
}

TEST(R2cScan, FileReadInBlocksGivesWhatTheTextGives) {
  // Long enough that lines cross the reader's block boundaries.
  std::string text = converter_file();
  const std::string header = text.substr(0, text.find(":frame"));
  std::string big = edited(header, ":xCount                            3", ":xCount 1000");
  big = edited(big, ":yCount                            2", ":yCount 1000");
  for (int f = 1; f <= 2; ++f) {
    char line[64];
    std::snprintf(line, sizeof line, ":frame%5d%5d     \"2025/08/24  %02d:00\"\n", f, f, f);
    big += line;
    std::string row;
    for (int i = 0; i < 1000; ++i) row += "  1.2500";
    row += "\n";
    for (int j = 0; j < 1000; ++j) big += row;
    big += "EndFrame\n";
  }
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("r2c_scan_test_blocks_" + std::to_string(getpid()) + ".r2c");
  std::ofstream(path, std::ios::binary) << big;
  Recorder from_file;
  const ScanResult file_result = scan_r2c_file(path.string(), &from_file);
  std::filesystem::remove(path);
  EXPECT_TRUE(file_result.opened);
  EXPECT_EQ(listed(file_result), "");
  EXPECT_EQ(file_result.frames, 2);
  EXPECT_EQ(file_result.lines, 31 + 2 * 1002);
  ASSERT_EQ(from_file.frame_values.size(), 2u);
  EXPECT_EQ(from_file.frame_values[1].size(), 1000000u);
  EXPECT_EQ(from_file.frame_values[1][999999], 1.25f);
}

TEST(R2cScan, MissingFileIsNotOpened) {
  const ScanResult result = scan_r2c_file("/nonexistent/dir/file.r2c", nullptr);
  EXPECT_FALSE(result.opened);
  EXPECT_EQ(result.error, "cannot open");
}

}  // namespace
}  // namespace tallowgate::look
