#include "r2c/output_target.h"

#include <string>
#include <string_view>

#include "run/console.h"
#include "run/stops.h"
#include "text/fields.h"

namespace tallowgate {
namespace {

// Which part of DATE_KEY names a dated file: none (a fixed path), its year and
// month, or all 8 characters as they stand (blanks included).
enum DatePart { kFixed, kD6, kD8 };

// How the "writing" line and the failure lines show the path: not at all, its
// first 60 characters blank padded, or as it is.
enum PathShown { kNotShown, kFirst60, kAsIs };

constexpr std::string_view kOneUp = "..\\runReport.txt";
constexpr std::string_view kTwoUp = "..\\..\\runReport.txt";

struct OutputTargetRow {
  AppCode code;
  std::string_view prefix;
  DatePart date;
  std::string_view suffix;
  PathShown shown;
  std::string_view report_path;
};

using enum AppCode;

// clang-format off
constexpr OutputTargetRow kOutputTargetRows[] = {
    // code       prefix (the whole path when fixed)        date    suffix             shown      report
    {kCapa15,     "\\kestrano\\CMC\\CaPA\\",                kD8,    "_capa.r2c",       kFirst60,  kTwoUp},
    {kCapa10,     "\\kestrano\\CMC\\CaPA\\",                kD8,    "_capa.r2c",       kFirst60,  kTwoUp},
    {kCapa,       "\\kestrano\\CMC\\CaPA\\",                kD6,    "01_capa.r2c",     kFirst60,  kTwoUp},
    {kRdpa,       "\\kestrano\\CMC\\RDPA\\",                kD6,    "01_RDPA.r2c",     kFirst60,  kTwoUp},
    {kRdpsTmpHc,  "\\kestrano\\CMC\\RDPS_tmp\\",            kD6,    "01_tmp.r2c",      kFirst60,  kTwoUp},
    {kRdpsPcpFc,  "\\kestrano\\CMC\\regl\\RDPS_apcp.r2c",   kFixed, "",                kAsIs,     kOneUp},
    {kRdpsTmpFc,  "\\kestrano\\CMC\\regl\\RDPS_tmp.r2c",    kFixed, "",                kAsIs,     kOneUp},
    {kRdpaPrelim, "\\kestrano\\CMC\\RDPA_RLatLon\\",        kD6,    "01_RDPA.r2c",     kFirst60,  kTwoUp},
    {kRglT,       "\\kestrano\\CMC\\regl_tmp\\",            kD6,    "01_tmp.r2c",      kFirst60,  kTwoUp},
    {kRegP,       "\\kestrano\\CMC\\regl\\regl_apcp.r2c",   kFixed, "",                kNotShown, kOneUp},
    {kRegT,       "\\kestrano\\CMC\\regl\\regl_tmp.r2c",    kFixed, "",                kNotShown, kOneUp},
    {kGlbP,       "\\kestrano\\CMC\\glb\\glb_apcp.r2c",     kFixed, "",                kNotShown, kOneUp},
    {kGlbT,       "\\kestrano\\CMC\\glb\\glb_tmp.r2c",      kFixed, "",                kNotShown, kOneUp},
    {kGlbSP,      "\\kestrano\\CMC\\glb_apcp\\",            kD6,    "01_Glb_apcp.r2c", kNotShown, kOneUp},
    {kGlbST,      "\\kestrano\\CMC\\glb_tmp\\",             kD6,    "01_Glb_tmp.r2c",  kNotShown, kOneUp},
    {kHreP,       "\\kestrano\\CMC\\hrdps\\hrdps_apcp.r2c", kFixed, "",                kNotShown, kOneUp},
    {kHreT,       "\\kestrano\\CMC\\hrdps\\hrdps_tmp.r2c",  kFixed, "",                kNotShown, kOneUp},
    {kRdrP,       "\\kestrano\\CMC\\junk.r2c",              kFixed, "",                kNotShown, kOneUp},
};
// clang-format on
static_assert(one_row_per_code(kOutputTargetRows),
              "kOutputTargetRows needs one row per application code, in code order");

// Products that announce a failed open on the console and stop with their own
// message. Every other code, glbST included, ends the run with the error line
// naming the file: a run that went on would convert into nothing.
struct OpenFailureRow {
  AppCode code;
  std::string_view check_line;  // the third failure line
  std::string_view stop_message;
};

constexpr OpenFailureRow kOpenFailureRows[] = {
    {kRdpsTmpHc, "Check if    \\kestrano\\CMC\\RDPS_tmp\\   exists", "tallowgate aborted @ 236"},
    {kRdpsPcpFc, "Check if    \\kestrano\\CMC\\regl\\   exists", "tallowgate aborted @ 247"},
    // No backslash after "regl" on this product's line.
    {kRdpsTmpFc, "Check if    \\kestrano\\CMC\\regl   exists", "tallowgate aborted @ 259"},
};

const OpenFailureRow* find_open_failure(AppCode code) {
  for (const OpenFailureRow& row : kOpenFailureRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

// The path as the console shows it, in the writing line and the failure lines.
std::string shown_path(const OutputTargetRow& row, const std::string& path) {
  std::string shown;
  if (row.shown == kFirst60) {
    append_left(&shown, path, 60);
  } else {
    shown = path;
  }
  return shown;
}

}  // namespace

void open_output_target(Platform* platform, RunState* state) {
  const OutputTargetRow& row = row_for(kOutputTargetRows, *state->code);
  std::string path(row.prefix);
  if (row.date == kD6) path.append(state->DATE_KEY.columns(1, 6));
  if (row.date == kD8) path.append(state->DATE_KEY.view());
  path.append(row.suffix);

  if (row.shown != kNotShown) {
    std::string line;
    FreeLine(&line).text("writing ").text(shown_path(row, path));
    platform->write_out(line);
  }

  std::string err;
  state->output = platform->open_output(path, &err);
  if (!state->output) {
    if (const OpenFailureRow* failure = find_open_failure(row.code)) {
      write_free_line(platform, "Unable to write the file:");
      write_free_line(platform, shown_path(row, path));
      write_free_line(platform, failure->check_line);
      throw RunStop{std::string(failure->stop_message)};
    }
    throw IoError{platform->local_path(path), err};
  }
  state->report_path.assign(row.report_path);
}

}  // namespace tallowgate
