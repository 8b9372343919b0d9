#include "driver/command_line.h"

#include "run/console.h"
#include "text/fields.h"

namespace tallowgate {
namespace {

constexpr std::string_view kBanner[] = {
    "***************************",
    "* Program tallowgate      *",
    "* Compile date 2025-08-24 *",
    "***************************",
};

constexpr std::string_view kUsage[] = {
    "Run in the GRIB2\\****\\yyyymm  directory",
    "commands:",
    "tallowgate capa           for current data",
    "tallowgate capa yyyymm for old data",
};

constexpr std::string_view kHelpList[] = {
    "Forgot argument?",
    "capa: CaPA",
    "capa: capa15",
    "RDPA: RDPA",
    "RDPA: RDPAyyyymmdd  for a previous month only",
    "RDPA: RDPA_prelim",
    "rglT: Regl tmp monthly record",
    "rglTyyyymmdd for a previous month only",
    "regP: regl forecast apcp",
    "regT: regl forecast tmp",
    "glbP: glb  forecast apcp",
    "glbT: glb  forecast tmp",
    "glbSP: glb  spinup apcp",
    "glbST: glb  spinup tmp",
    "hreP: HRDPS-east apcp",
    "hreT: HRDPS-east tmp",
};

}  // namespace

void write_banner(Platform* platform) {
  for (std::string_view line : kBanner) write_free_line(platform, line);
  for (std::string_view line : kUsage) write_free_line(platform, line);
}

void write_closing_banner(Platform* platform) {
  for (std::string_view line : kBanner) write_free_line(platform, line);
}

void fetch_arguments(Platform* platform, std::span<const std::string> args, RunState* state) {
  state->BUF = Text<72>();
  state->BUF1 = Text<72>();
  if (!args.empty()) state->BUF.assign(args[0]);
  std::string line;
  FreeLine(&line).text("Buffer =  ").text(state->BUF.columns(1, 20));
  platform->write_out(line);

  state->code_length = static_cast<int>(state->BUF.trimmed_length());
  line.clear();
  FreeLine(&line).text("strLength=  ").integer(state->code_length);
  platform->write_out(line);

  state->APP.assign(state->BUF.trimmed());
  line.clear();
  FreeLine(&line).text("app =").text(state->APP.columns(1, 40));
  platform->write_out(line);

  if (args.size() > 1) state->BUF1.assign(args[1]);
  write_free_line(platform, state->BUF1.view());
  write_free_line(platform, state->BUF1.view());

  state->DATE_KEY.assign(state->BUF1.columns(1, 6));
  line.clear();
  FreeLine(&line).text("date_key =").text(state->DATE_KEY);
  platform->write_out(line);
  if (state->DATE_KEY.blank()) state->DATE_KEY = state->CDAY;

  line.clear();
  FreeLine(&line).text("date_Key    = ").text(state->DATE_KEY);
  platform->write_out(line);
}

void write_help_list(Platform* platform, const RunState& state) {
  for (std::string_view line : kHelpList) write_free_line(platform, line);
  write_free_line(platform, state.APP.view());
}

}  // namespace tallowgate
