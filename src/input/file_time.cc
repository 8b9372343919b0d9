#include "input/file_time.h"

#include <string>

#include "driver/console.h"
#include "driver/pause.h"
#include "driver/stops.h"
#include "text/fields.h"
#include "text/free_read.h"

namespace tallowgate {
namespace {

struct Columns {
  std::size_t first = 0, last = 0;  // 1-based, inclusive; 0: not looked at
};

struct TimePositions {
  Columns year, month, day, hour;
};

struct FileTimeRow {
  AppCode code;
  bool capa_layouts;  // the positions come from kCapaLayouts
  TimePositions at;
  // The hour of the model run of a forecast: its forecast hours count from
  // that hour, while the date read is the run's date at 00.
  Columns run_hour;
};

constexpr TimePositions kNotUsed{};

// clang-format off
constexpr FileTimeRow kFileTimeRows[] = {
    // code                capa    year       month      day        hour        run hour
    {AppCode::kCapa15,     false, {{1, 4},   {5, 6},   {7, 8},   {9, 10}},   {}},
    {AppCode::kCapa10,     false, {{1, 4},   {5, 6},   {7, 8},   {9, 10}},   {}},
    {AppCode::kCapa,       true,  kNotUsed,                                   {}},
    {AppCode::kRdpa,       false, {{1, 4},   {5, 6},   {7, 8},   {10, 11}},  {}},  // character 9 is never read
    {AppCode::kRdpsPcpFc,  false, {{1, 4},   {5, 6},   {7, 8},   {57, 58}},  {10, 11}},
    {AppCode::kRdpsTmpHc,  false, {{1, 4},   {5, 6},   {7, 8},   {53, 54}},  {10, 11}},
    {AppCode::kRdpsTmpFc,  false, {{1, 4},   {5, 6},   {7, 8},   {53, 54}},  {10, 11}},
    {AppCode::kRdpaPrelim, false, {{1, 4},   {5, 6},   {7, 8},   {10, 11}},  {}},  // character 9 is never read
    {AppCode::kRegP,       false, {{27, 30}, {31, 32}, {33, 34}, {40, 41}},  {35, 36}},
    {AppCode::kRegT,       false, {{26, 29}, {30, 31}, {32, 33}, {39, 40}},  {34, 35}},
    {AppCode::kRglT,       false, {{26, 29}, {30, 31}, {32, 33}, {39, 40}},  {34, 35}},
    {AppCode::kGlbP,       false, {{34, 37}, {38, 39}, {40, 41}, {46, 48}},  {42, 43}},
    {AppCode::kGlbT,       false, {{33, 36}, {37, 38}, {39, 40}, {45, 47}},  {41, 42}},
    {AppCode::kGlbSP,      false, {{34, 37}, {38, 39}, {40, 41}, {46, 48}},  {42, 43}},
    {AppCode::kGlbST,      false, {{33, 36}, {37, 38}, {39, 40}, {45, 47}},  {41, 42}},
    {AppCode::kHreP,       false, {{35, 38}, {39, 40}, {41, 42}, {47, 49}},  {43, 44}},
    {AppCode::kHreT,       false, {{34, 37}, {38, 39}, {40, 41}, {46, 48}},  {42, 43}},
    {AppCode::kRdrP,       false, {{22, 25}, {26, 27}, {28, 29}, {30, 31}},  {}},
};
// clang-format on

// The name layouts of the precipitation analysis, tried in order: "CMC" at
// the start (with or without "cutoff" after the accumulation), or "CMC" after
// a leading date.
struct CapaLayout {
  Columns cmc;
  Columns cutoff;  // not looked at when first is 0
  TimePositions at;
};

// clang-format off
constexpr CapaLayout kCapaLayouts[] = {
    // "CMC" at  "cutoff" at  year       month      day        hour
    {{1, 3},     {23, 28},   {{43, 46}, {47, 48}, {49, 50}, {51, 52}}},
    {{1, 3},     {},         {{32, 35}, {36, 37}, {38, 39}, {40, 41}}},
    // The date leads the name, whether "cutoff" stands at 38-43 or not.
    {{16, 18},   {},         {{1, 4},   {5, 6},   {7, 8},   {9, 10}}},
};
// clang-format on

std::string_view at(const Text<256>& name, Columns c) { return name.columns(c.first, c.last); }

const TimePositions* capa_positions(const Text<256>& name) {
  for (const CapaLayout& layout : kCapaLayouts) {
    if (at(name, layout.cmc) != "CMC") continue;
    if (layout.cutoff.first != 0 && at(name, layout.cutoff) != "cutoff") continue;
    return &layout.at;
  }
  return nullptr;
}

// The run hour at `c`: two digits giving 0 to 23. Anything else, and a row
// without a run hour, counts as 00, so a name the converter cannot place
// converts as one of the 00 run.
int run_hour(const Text<256>& name, Columns c) {
  if (c.first == 0) return 0;
  const std::string_view digits = at(name, c);
  if (digits.size() != 2 || digits[0] < '0' || digits[0] > '9' || digits[1] < '0' || digits[1] > '9')
    return 0;
  const int hour = (digits[0] - '0') * 10 + (digits[1] - '0');
  return hour <= 23 ? hour : 0;
}

const FileTimeRow* file_time_row(AppCode code) {
  for (const FileTimeRow& row : kFileTimeRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

[[noreturn]] void stop_incorrect_capa_name(Platform* platform, const Text<256>& name) {
  write_free_line(platform, "Error:");
  write_free_line(platform, "Filename incorrect");
  std::string line;
  FreeLine(&line).text("1st 3 chrs ").text(name.columns(1, 3)).text(" not= `CMC`");
  platform->write_out(line);
  write_free_line(platform, "tallowgat aborted @ 343");
  throw RunStop{"", 1};
}

[[noreturn]] void stop_unreadable_time(Platform* platform, const RunState& state, const Text<256>& name) {
  platform->write_out("");
  write_free_line(platform, "Error:");
  std::string line;
  FreeLine(&line).text("Aplication = ").text(state.APP.columns(1, 50));
  platform->write_out(line);
  line.clear();
  FreeLine(&line).text("filename = ").text(name);
  platform->write_out(line);
  write_free_line(platform, "Check is this is correct");
  line.clear();
  FreeLine(&line)
      .text("Error reading yyyymmdd  hh:")
      .integer(state.file_year)
      .integer(state.file_month)
      .integer(state.file_day)
      .integer(state.file_hour);
  platform->write_out(line);
  pause(platform, "@ 390  -  hit Enter to abort");
  throw RunStop{"", 1};
}

}  // namespace

void set_decoder_parts(RunState* state) {
  state->decoder_name = "wgrib2";
  state->decoder_option = " -text";
}

void extract_file_time(Platform* platform, RunState* state) {
  const FileTimeRow* row = file_time_row(*state->code);
  if (row == nullptr) return;
  const Text<256>& name = state->FLN[static_cast<std::size_t>(state->file_index - 1)];
  const TimePositions* positions = &row->at;
  if (row->capa_layouts) {
    positions = capa_positions(name);
    if (positions == nullptr) stop_incorrect_capa_name(platform, name);
  }
  // Every field is read, so the failure lines show all that could be read.
  bool ok = read_int_field(at(name, positions->year), &state->file_year);
  ok = read_int_field(at(name, positions->month), &state->file_month) && ok;
  ok = read_int_field(at(name, positions->day), &state->file_day) && ok;
  ok = read_int_field(at(name, positions->hour), &state->file_hour) && ok;
  if (!ok) stop_unreadable_time(platform, *state, name);
  state->file_hour += run_hour(name, row->run_hour);
  write_free_line(platform, std::string(54, '*'));
}

}  // namespace tallowgate
