#include "sample_products.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sample_values.h"

namespace tallowgate {
namespace {

struct Columns {
  int first;  // 1-based, inclusive, as a name is counted by eye
  int last;
};

// How the converter picks a product's files from a listing and reads their times, written out here
// independently of the generator: name width, the characters compared with a prefix (none when first is
// 0), and the year, month, day and hour columns.
struct NameRule {
  std::string_view code;
  int width;
  Columns tested;
  std::string_view prefix;
  Columns year, month, day, hour;
};

constexpr NameRule kNameRules[] = {
    {"capa15", 62, {0, 0}, "", {1, 4}, {5, 6}, {7, 8}, {9, 10}},
    {"capa10", 62, {0, 0}, "", {1, 4}, {5, 6}, {7, 8}, {9, 10}},
    {"capa", 62, {0, 0}, "", {0, 0}, {0, 0}, {0, 0}, {0, 0}},  // by layout, see capa_columns()
    {"RDPA", 256, {0, 0}, "", {1, 4}, {5, 6}, {7, 8}, {10, 11}},
    {"RDPS-TMP-HC", 256, {0, 0}, "", {1, 4}, {5, 6}, {7, 8}, {53, 54}},
    {"RDPS-PCP-FC", 72, {14, 28}, "MSC_RDPS_Precip", {1, 4}, {5, 6}, {7, 8}, {57, 58}},
    {"RDPS-TMP-FC", 72, {14, 29}, "MSC_RDPS_AirTemp", {1, 4}, {5, 6}, {7, 8}, {53, 54}},
    {"RDPA_prelim", 68, {0, 0}, "", {1, 4}, {5, 6}, {7, 8}, {10, 11}},
    {"rglT", 62, {0, 0}, "", {26, 29}, {30, 31}, {32, 33}, {39, 40}},
    {"regP", 47, {1, 12}, "CMC_reg_APCP", {27, 30}, {31, 32}, {33, 34}, {40, 41}},
    {"regT", 46, {1, 11}, "CMC_reg_TMP", {26, 29}, {30, 31}, {32, 33}, {39, 40}},
    {"glbP", 54, {1, 12}, "CMC_glb_APCP", {34, 37}, {38, 39}, {40, 41}, {46, 48}},
    {"glbT", 53, {1, 11}, "CMC_glb_TMP", {33, 36}, {37, 38}, {39, 40}, {45, 47}},
    {"glbSP", 54, {1, 12}, "CMC_glb_APCP", {34, 37}, {38, 39}, {40, 41}, {46, 48}},
    {"glbST", 53, {1, 11}, "CMC_glb_TMP", {33, 36}, {37, 38}, {39, 40}, {45, 47}},
    {"hreP", 58, {1, 19}, "CMC_hrdps_east_APCP", {35, 38}, {39, 40}, {41, 42}, {47, 49}},
    {"hreT", 57, {1, 18}, "CMC_hrdps_east_TMP", {34, 37}, {38, 39}, {40, 41}, {46, 48}},
    {"rdrP", 41, {0, 0}, "", {22, 25}, {26, 27}, {28, 29}, {30, 31}},
};

constexpr int kDecoderNameLimit = 79;  // what the decoder command line has room for

std::string_view columns(std::string_view name, Columns c) {
  if (c.first < 1 || static_cast<size_t>(c.last) > name.size()) return {};
  return name.substr(static_cast<size_t>(c.first - 1), static_cast<size_t>(c.last - c.first + 1));
}

// The three CaPA name layouts: 1 and 2 start with "CMC" and differ in "cutoff" at 23-28; 3 has "CMC" at
// 16-18 and "cutoff" at 38-43. 0 for a name the converter refuses.
int capa_layout(std::string_view name) {
  if (columns(name, {1, 3}) == "CMC") return columns(name, {23, 28}) == "cutoff" ? 1 : 2;
  if (columns(name, {16, 18}) == "CMC" && columns(name, {38, 43}) == "cutoff") return 3;
  return 0;
}

NameRule capa_columns(const NameRule& rule, int layout) {
  NameRule r = rule;
  switch (layout) {
    case 1:
      r.year = {43, 46}, r.month = {47, 48}, r.day = {49, 50}, r.hour = {51, 52};
      break;
    case 2:
      r.year = {32, 35}, r.month = {36, 37}, r.day = {38, 39}, r.hour = {40, 41};
      break;
    case 3:
      r.year = {1, 4}, r.month = {5, 6}, r.day = {7, 8}, r.hour = {9, 10};
      break;
  }
  return r;
}

int number(std::string_view digits) {
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return -1;
  }
  return std::stoi(std::string(digits));
}

TEST(SampleProducts, CodesAreTheConvertersEighteenInOrder) {
  std::vector<std::string_view> expected;
  for (const NameRule& rule : kNameRules) expected.push_back(rule.code);
  EXPECT_EQ(sample_product_codes(), expected);
}

// For every code and every count: the converter keeps each name, reads from it the day and hour that
// give the file's valid time, and a listing in name order gives the files in time order.
TEST(SampleProducts, NamesAreKeptAndReadBackTheirValidTime) {
  for (const NameRule& rule : kNameRules) {
    for (int count = 1; count <= kMaxSampleFiles; ++count) {
      SCOPED_TRACE(std::string(rule.code) + " x " + std::to_string(count));
      const std::vector<SampleFile> files = sample_files(rule.code, count);
      ASSERT_EQ(files.size(), static_cast<size_t>(count));
      std::vector<std::string> names;
      for (const SampleFile& file : files) {
        SCOPED_TRACE(file.name);
        names.push_back(file.name);
        EXPECT_LE(file.name.size(), static_cast<size_t>(rule.width));
        EXPECT_LE(file.name.size(), static_cast<size_t>(kDecoderNameLimit));
        EXPECT_TRUE(file.name.ends_with(".grib2"));
        if (rule.tested.first > 0) {
          EXPECT_EQ(columns(file.name, rule.tested), rule.prefix);
        }

        NameRule read = rule;
        if (rule.code == "capa") {
          const int layout = capa_layout(file.name);
          ASSERT_NE(layout, 0);
          read = capa_columns(rule, layout);
        }
        const int hour = number(columns(file.name, read.hour));
        ASSERT_GE(hour, 0);
        // The name's date is the day the hour is counted from: the run's for a forecast.
        const SampleTime day = sample_time(file.step() - hour);
        EXPECT_EQ(day.hour, 0);
        EXPECT_EQ(number(columns(file.name, read.year)), day.year);
        EXPECT_EQ(number(columns(file.name, read.month)), day.month);
        EXPECT_EQ(number(columns(file.name, read.day)), day.day);
      }
      std::vector<std::string> sorted = names;
      std::sort(sorted.begin(), sorted.end());
      EXPECT_EQ(sorted, names);
      for (size_t k = 1; k < files.size(); ++k) EXPECT_LT(files[k - 1].step(), files[k].step());
      EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    }
  }
}

TEST(SampleProducts, CapaUsesAllThreeNameLayouts) {
  const struct {
    int count;
    std::vector<int> layouts;  // in name order
  } cases[] = {
      {1, {1}}, {2, {1, 1}}, {3, {3, 1, 2}}, {4, {3, 1, 1, 2}}, {8, {3, 3, 1, 1, 1, 1, 2, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    std::vector<int> layouts;
    layouts.reserve(static_cast<size_t>(c.count));
    for (const SampleFile& file : sample_files("capa", c.count)) layouts.push_back(capa_layout(file.name));
    EXPECT_EQ(layouts, c.layouts);
  }
}

TEST(SampleProducts, TimesFollowEachProductsCycle) {
  const struct {
    std::string_view code;
    std::vector<int> steps;  // valid times, hours after the base time, for 6 files
    int forecast_hour_of_last;
    int accumulation_of_last;
  } cases[] = {
      {"regT", {0, 6, 12, 18, 24, 30}, 30, 0},
      {"regP", {6, 12, 18, 24, 30, 36}, 36, 36},        // accumulated from the run's start
      {"RDPS-PCP-FC", {6, 12, 18, 24, 30, 36}, 36, 6},  // six-hour accumulations
      {"glbST", {0, 6, 12, 18, 24, 30}, 6, 0},          // next day's run from the fifth file on
      {"glbSP", {6, 12, 18, 24, 30, 36}, 12, 12},
      {"capa", {0, 6, 12, 18, 24, 30}, 6, 6},  // the analysis window ends at the valid time
      {"rdrP", {0, 1, 2, 3, 4, 5}, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const std::vector<SampleFile> files = sample_files(c.code, 6);
    std::vector<int> steps;
    for (const SampleFile& file : files) steps.push_back(file.step());
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(files.back().forecast_hour, c.forecast_hour_of_last);
    EXPECT_EQ(files.back().accumulation_hours, c.accumulation_of_last);
  }
}

TEST(SampleProducts, RefusesUnknownCodesAndCounts) {
  EXPECT_TRUE(sample_files("glbSPx", 4).empty());
  EXPECT_TRUE(sample_files("REGT", 4).empty());
  EXPECT_TRUE(sample_files("regT", 0).empty());
  EXPECT_TRUE(sample_files("regT", kMaxSampleFiles + 1).empty());
}

TEST(SampleProducts, DownloadDirectoryIsTheBaseMonth) {
  EXPECT_EQ(sample_download_directory("RDPS-TMP-HC"), "GRIB2/RDPS-TMP-HC/202508");
}

TEST(SampleTime, CarriesHoursIntoDaysAndMonths) {
  const struct {
    int hours;
    int year, month, day, hour;
  } cases[] = {
      {0, 2025, 8, 24, 0},   {23, 2025, 8, 24, 23},  {24, 2025, 8, 25, 0},    {-1, 2025, 8, 23, 23},
      {-24, 2025, 8, 23, 0}, {-25, 2025, 8, 22, 23}, {8 * 24, 2025, 9, 1, 0}, {130 * 24 + 5, 2026, 1, 1, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hours);
    const SampleTime t = sample_time(c.hours);
    EXPECT_EQ(t.year, c.year);
    EXPECT_EQ(t.month, c.month);
    EXPECT_EQ(t.day, c.day);
    EXPECT_EQ(t.hour, c.hour);
  }
}

}  // namespace
}  // namespace tallowgate
