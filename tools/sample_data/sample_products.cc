#include "sample_products.h"

#include <array>

namespace tallowgate {

namespace {

enum class Schedule {
  kOneRun,     // forecast hours first_hour, first_hour + hour_step, ... of the base day's 00 UTC run
  kDailyRuns,  // four forecast hours (first_hour + 0, 1, 2, 3 hour steps) of each day's 00 UTC run
  kAnalyses,   // analyses valid every hour_step hours from first_hour after the base time
};

// Accumulated from the start of the run to the forecast hour, as the CMC forecasts are.
constexpr int kFromRunStart = -1;

constexpr int kRunsPerDayTaken = 4;

// In a name pattern "%D" stands for yyyymmdd and "%H" for hh, of the run for a forecast and of the valid
// time for an analysis; "%F" stands for the three-digit forecast hour.
struct ProductRow {
  std::string_view code;
  SampleFamily family;
  Schedule schedule;
  int first_hour;
  int hour_step;
  int accumulation_hours;  // 0 for temperature
  bool bitmap;  // as the real product's files: the regional temperature and the analyses on CMC grids
  // Name patterns in name order; the files are shared among them (see split_counts).
  std::array<std::string_view, 3> patterns;
};

constexpr SampleFamily kRegionalT{SampleGrid::kRegional10km, SampleVariable::kAirTemperature};
constexpr SampleFamily kRegionalP{SampleGrid::kRegional10km, SampleVariable::kPrecipitation};
constexpr SampleFamily kGlobalT{SampleGrid::kGlobal, SampleVariable::kAirTemperature};
constexpr SampleFamily kGlobalP{SampleGrid::kGlobal, SampleVariable::kPrecipitation};
constexpr SampleFamily kRotatedT{SampleGrid::kRotated, SampleVariable::kAirTemperature};
constexpr SampleFamily kRotatedP{SampleGrid::kRotated, SampleVariable::kPrecipitation};
constexpr SampleFamily kHrdpsT{SampleGrid::kHrdpsEast, SampleVariable::kAirTemperature};
constexpr SampleFamily kHrdpsP{SampleGrid::kHrdpsEast, SampleVariable::kPrecipitation};
constexpr SampleFamily kCapa10P{SampleGrid::kCapa10km, SampleVariable::kPrecipitation};
constexpr SampleFamily kCapa15P{SampleGrid::kCapa15km, SampleVariable::kPrecipitation};

constexpr ProductRow kProductRows[] = {
    // code, family, schedule, first hour, hour step, accumulation, bitmap, then the name patterns
    {"capa15",
     kCapa15P,
     Schedule::kAnalyses,
     0,
     6,
     6,
     true,
     {"%D%H_000_CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps15km.grib2"}},
    {"capa10",
     kCapa10P,
     Schedule::kAnalyses,
     0,
     6,
     6,
     true,
     {"%D%H_000_CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km.grib2"}},
    // The three layouts of the CaPA names: date first with "cutoff" at 38-43, "cutoff" at 23-28 with the
    // date at 43-52, and the older names without a cutoff with the date at 32-41.
    {"capa",
     kRegionalP,
     Schedule::kAnalyses,
     0,
     6,
     6,
     true,
     {"%D%H_000_CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km.grib2",
      "CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km_%D%H_000.grib2",
      "CMC_RDPA_APCP-006_SFC_0_ps10km_%D%H_000.grib2"}},
    {"RDPA",
     kRotatedP,
     Schedule::kAnalyses,
     0,
     6,
     6,
     true,
     {"%DT%HZ_MSC_RDPA_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2"}},
    {"RDPS-TMP-HC",
     kRotatedT,
     Schedule::kDailyRuns,
     0,
     6,
     0,
     false,
     {"%DT%HZ_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT%FH.grib2"}},
    {"RDPS-PCP-FC",
     kRotatedP,
     Schedule::kOneRun,
     6,
     6,
     6,
     false,
     {"%DT%HZ_MSC_RDPS_Precip-Accum6h_Sfc_RLatLon0.09_PT%FH.grib2"}},
    {"RDPS-TMP-FC",
     kRotatedT,
     Schedule::kOneRun,
     0,
     6,
     0,
     false,
     {"%DT%HZ_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT%FH.grib2"}},
    {"RDPA_prelim",
     kRotatedP,
     Schedule::kAnalyses,
     0,
     6,
     6,
     true,
     {"%DT%HZ_MSC_RDPA-Prelim_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2"}},
    {"rglT", kRegionalT, Schedule::kDailyRuns, 0, 6, 0, true, {"CMC_reg_TMP_TGL_2_ps10km_%D%H_P%F.grib2"}},
    {"regP",
     kRegionalP,
     Schedule::kOneRun,
     6,
     6,
     kFromRunStart,
     false,
     {"CMC_reg_APCP_SFC_0_ps10km_%D%H_P%F.grib2"}},
    {"regT", kRegionalT, Schedule::kOneRun, 0, 6, 0, true, {"CMC_reg_TMP_TGL_2_ps10km_%D%H_P%F.grib2"}},
    {"glbP",
     kGlobalP,
     Schedule::kOneRun,
     6,
     6,
     kFromRunStart,
     false,
     {"CMC_glb_APCP_SFC_0_latlon.15x.15_%D%H_P%F.grib2"}},
    {"glbT", kGlobalT, Schedule::kOneRun, 0, 6, 0, false, {"CMC_glb_TMP_TGL_2_latlon.15x.15_%D%H_P%F.grib2"}},
    {"glbSP",
     kGlobalP,
     Schedule::kDailyRuns,
     6,
     6,
     kFromRunStart,
     false,
     {"CMC_glb_APCP_SFC_0_latlon.15x.15_%D%H_P%F.grib2"}},
    {"glbST",
     kGlobalT,
     Schedule::kDailyRuns,
     0,
     6,
     0,
     false,
     {"CMC_glb_TMP_TGL_2_latlon.15x.15_%D%H_P%F.grib2"}},
    {"hreP",
     kHrdpsP,
     Schedule::kOneRun,
     6,
     6,
     kFromRunStart,
     false,
     {"CMC_hrdps_east_APCP_SFC_0_ps2.5km_%D%H_P%F-00.grib2"}},
    {"hreT",
     kHrdpsT,
     Schedule::kOneRun,
     0,
     6,
     0,
     false,
     {"CMC_hrdps_east_TMP_TGL_2_ps2.5km_%D%H_P%F-00.grib2"}},
    {"rdrP", kGlobalP, Schedule::kAnalyses, 0, 1, 1, false, {"CMC_RADAR_APCP_SFC_0_%D%H.grib2"}},
};

const ProductRow* find_row(std::string_view code) {
  for (const ProductRow& row : kProductRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar (H. Hinnant's days_from_civil).
int days_from_civil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int year_of_era = year - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

void civil_from_days(int days, int* year, int* month, int* day) {
  days += 719468;
  const int era = (days >= 0 ? days : days - 146096) / 146097;
  const int day_of_era = days - era * 146097;
  const int year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int shifted_month = (5 * day_of_year + 2) / 153;
  *day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
  *month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
  *year = year_of_era + era * 400 + (*month <= 2 ? 1 : 0);
}

void append_digits(std::string* out, int value, int digits) {
  std::string text(static_cast<size_t>(digits), '0');
  for (int k = digits - 1; k >= 0 && value > 0; --k) {
    text[static_cast<size_t>(k)] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  *out += text;
}

// `time_hour` is the run of a forecast or the valid time of an analysis, in hours after the base time.
std::string expand_pattern(std::string_view pattern, int time_hour, int forecast_hour) {
  const SampleTime time = sample_time(time_hour);
  std::string name;
  for (size_t k = 0; k < pattern.size(); ++k) {
    if (pattern[k] != '%' || k + 1 == pattern.size()) {
      name += pattern[k];
      continue;
    }
    switch (pattern[++k]) {
      case 'D':
        append_digits(&name, time.year, 4);
        append_digits(&name, time.month, 2);
        append_digits(&name, time.day, 2);
        break;
      case 'H':
        append_digits(&name, time.hour, 2);
        break;
      case 'F':
        append_digits(&name, forecast_hour, 3);
        break;
      default:
        name += '%';
        name += pattern[k];
    }
  }
  return name;
}

// How many of `count` files take each pattern. With several patterns each gets a third (rounded down),
// and the middle one the rest, so one file uses the middle pattern alone and three use one pattern each.
std::array<int, 3> split_counts(const ProductRow& row, int count) {
  if (row.patterns[1].empty()) return {count, 0, 0};
  const int third = count / 3;
  return {third, count - 2 * third, third};
}

}  // namespace

const std::vector<std::string_view>& sample_product_codes() {
  static const std::vector<std::string_view> codes = [] {
    std::vector<std::string_view> list;
    for (const ProductRow& row : kProductRows) list.push_back(row.code);
    return list;
  }();
  return codes;
}

SampleTime sample_time(int hours) {
  const int base_days = days_from_civil(kSampleBaseYear, kSampleBaseMonth, kSampleBaseDay);
  const int days = hours >= 0 ? hours / 24 : -((23 - hours) / 24);
  SampleTime time;
  civil_from_days(base_days + days, &time.year, &time.month, &time.day);
  time.hour = hours - 24 * days;
  return time;
}

std::vector<SampleFile> sample_files(std::string_view code, int count) {
  const ProductRow* row = find_row(code);
  if (row == nullptr || count < 1 || count > kMaxSampleFiles) return {};
  const std::array<int, 3> per_pattern = split_counts(*row, count);
  std::vector<SampleFile> files;
  int pattern = 0;
  int left_in_pattern = per_pattern[0];
  for (int k = 0; k < count; ++k) {
    while (left_in_pattern == 0) left_in_pattern = per_pattern[static_cast<size_t>(++pattern)];
    --left_in_pattern;

    SampleFile file;
    file.family = row->family;
    file.bitmap = row->bitmap;
    int name_time = 0;
    switch (row->schedule) {
      case Schedule::kOneRun:
        file.reference_hour = 0;
        file.forecast_hour = row->first_hour + k * row->hour_step;
        name_time = file.reference_hour;
        break;
      case Schedule::kDailyRuns:
        file.reference_hour = 24 * (k / kRunsPerDayTaken);
        file.forecast_hour = row->first_hour + (k % kRunsPerDayTaken) * row->hour_step;
        name_time = file.reference_hour;
        break;
      case Schedule::kAnalyses:
        file.analysis = true;
        file.forecast_hour = row->accumulation_hours;
        file.reference_hour = row->first_hour + k * row->hour_step - file.forecast_hour;
        name_time = file.step();
        break;
    }
    file.accumulation_hours =
        row->accumulation_hours == kFromRunStart ? file.forecast_hour : row->accumulation_hours;
    file.name = expand_pattern(row->patterns[static_cast<size_t>(pattern)], name_time, file.forecast_hour);
    files.push_back(file);
  }
  return files;
}

std::string sample_download_directory(std::string_view code) {
  const SampleTime base = sample_time(0);
  std::string directory = "GRIB2/";
  directory += code;
  directory += '/';
  append_digits(&directory, base.year, 4);
  append_digits(&directory, base.month, 2);
  return directory;
}

}  // namespace tallowgate
