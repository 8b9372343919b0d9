#include "r2c/output_target.h"

#include <string>
#include <string_view>

#include "driver/stops.h"
#include "text/fields.h"

namespace tallowgate {
namespace {

// Which part of DATE_KEY names a dated file: none (a fixed path), its year and
// month, or all 8 characters as they stand (blanks included).
enum class DatePart { kNone, kD6, kD8 };

// How the path shows on the console: not at all, its first 60 characters
// blank padded, or as it is.
enum class PathShown { kNone, kFirst60, kAsIs };

// What a failed open means: an input/output error end, or the product's own
// three failure lines and stop.
enum class OpenFailure { kIoError, kFailureLines };

struct OutputTargetRow {
  AppCode code;
  std::string_view prefix;
  DatePart date;
  std::string_view suffix;
  PathShown writing_line;
  std::string_view report_path;
  OpenFailure failure;
  std::string_view check_line;    // third failure line
  std::string_view stop_message;  // after the failure lines
};

constexpr OutputTargetRow kOutputTargetRows[] = {
    // code               prefix                               date            suffix
    {AppCode::kCapa15, "\\kestrano\\CMC\\CaPA\\", DatePart::kD8, "_capa.r2c", PathShown::kFirst60,
     "..\\..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kCapa10, "\\kestrano\\CMC\\CaPA\\", DatePart::kD8, "_capa.r2c", PathShown::kFirst60,
     "..\\..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kCapa, "\\kestrano\\CMC\\CaPA\\", DatePart::kD6, "01_capa.r2c", PathShown::kFirst60,
     "..\\..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kRdpa, "\\kestrano\\CMC\\RDPA\\", DatePart::kD6, "01_RDPA.r2c", PathShown::kFirst60,
     "..\\..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kRdpsTmpHc, "\\kestrano\\CMC\\RDPS_tmp\\", DatePart::kD6, "01_tmp.r2c", PathShown::kFirst60,
     "..\\..\\runReport.txt", OpenFailure::kFailureLines, "Check if    \\kestrano\\CMC\\RDPS_tmp\\   exists",
     "tallowgate aborted @ 236"},
    {AppCode::kRdpsPcpFc, "\\kestrano\\CMC\\regl\\RDPS_apcp.r2c", DatePart::kNone, "", PathShown::kAsIs,
     "..\\runReport.txt", OpenFailure::kFailureLines, "Check if    \\kestrano\\CMC\\regl\\   exists",
     "tallowgate aborted @ 247"},
    // No backslash after "regl" in this product's check line.
    {AppCode::kRdpsTmpFc, "\\kestrano\\CMC\\regl\\RDPS_tmp.r2c", DatePart::kNone, "", PathShown::kAsIs,
     "..\\runReport.txt", OpenFailure::kFailureLines, "Check if    \\kestrano\\CMC\\regl   exists",
     "tallowgate aborted @ 259"},
    {AppCode::kRdpaPrelim, "\\kestrano\\CMC\\RDPA_RLatLon\\", DatePart::kD6, "01_RDPA.r2c", PathShown::kFirst60,
     "..\\..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kRglT, "\\kestrano\\CMC\\regl_tmp\\", DatePart::kD6, "01_tmp.r2c", PathShown::kFirst60,
     "..\\..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kRegP, "\\kestrano\\CMC\\regl\\regl_apcp.r2c", DatePart::kNone, "", PathShown::kNone,
     "..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kRegT, "\\kestrano\\CMC\\regl\\regl_tmp.r2c", DatePart::kNone, "", PathShown::kNone,
     "..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kGlbP, "\\kestrano\\CMC\\glb\\glb_apcp.r2c", DatePart::kNone, "", PathShown::kNone,
     "..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kGlbT, "\\kestrano\\CMC\\glb\\glb_tmp.r2c", DatePart::kNone, "", PathShown::kNone,
     "..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kGlbSP, "\\kestrano\\CMC\\glb_apcp\\", DatePart::kD6, "01_Glb_apcp.r2c", PathShown::kNone,
     "..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    // A glbST output that cannot be opened ends the run like any other: a run
    // that goes on would convert into nothing.
    {AppCode::kGlbST, "\\kestrano\\CMC\\glb_tmp\\", DatePart::kD6, "01_Glb_tmp.r2c", PathShown::kNone,
     "..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kHreP, "\\kestrano\\CMC\\hrdps\\hrdps_apcp.r2c", DatePart::kNone, "", PathShown::kNone,
     "..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kHreT, "\\kestrano\\CMC\\hrdps\\hrdps_tmp.r2c", DatePart::kNone, "", PathShown::kNone,
     "..\\runReport.txt", OpenFailure::kIoError, {}, {}},
    {AppCode::kRdrP, "\\kestrano\\CMC\\junk.r2c", DatePart::kNone, "", PathShown::kNone, "..\\runReport.txt",
     OpenFailure::kIoError, {}, {}},
};

const OutputTargetRow& find_row(AppCode code) {
  for (const OutputTargetRow& row : kOutputTargetRows) {
    if (row.code == code) return row;
  }
  // Every code has a row (a test walks the code list); reaching here is a
  // table left behind when a code was added.
  throw RunStop{"tallowgate: no output target for the application code"};
}

// The path as the console shows it, in the writing line and the failure lines.
std::string shown_path(const OutputTargetRow& row, const std::string& path) {
  std::string shown;
  if (row.writing_line == PathShown::kFirst60) {
    append_left(&shown, path, 60);
  } else {
    shown = path;
  }
  return shown;
}

void write_free(Platform* platform, std::string_view text) {
  std::string line;
  FreeLine(&line).text(text);
  platform->write_out(line);
}

}  // namespace

void open_output_target(Platform* platform, RunState* state) {
  const OutputTargetRow& row = find_row(*state->code);
  std::string path(row.prefix);
  if (row.date == DatePart::kD6) path.append(state->DATE_KEY.columns(1, 6));
  if (row.date == DatePart::kD8) path.append(state->DATE_KEY.view());
  path.append(row.suffix);

  if (row.writing_line != PathShown::kNone) {
    std::string line;
    FreeLine(&line).text("writing ").text(shown_path(row, path));
    platform->write_out(line);
  }

  std::string err;
  state->output = platform->open_output(path, &err);
  if (!state->output) {
    if (row.failure == OpenFailure::kFailureLines) {
      write_free(platform, "Unable to write the file:");
      write_free(platform, shown_path(row, path));
      write_free(platform, row.check_line);
      throw RunStop{std::string(row.stop_message)};
    }
    throw IoError{platform->local_path(path), err};
  }
  state->report_path.assign(row.report_path);
}

}  // namespace tallowgate
