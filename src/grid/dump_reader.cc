#include "grid/dump_reader.h"

#include <memory>
#include <string>

#include "driver/pause.h"
#include "text/fields.h"
#include "text/free_read.h"

namespace tallowgate {
namespace {

constexpr std::string_view kValuePause = "PAUSE 88888";

void write_line(Platform* platform, std::string_view a, std::string_view b = {}, std::string_view c = {}) {
  std::string line;
  FreeLine(&line).text(a).text(b).text(c);
  platform->write_out(line);
}

// Reads the two counts, assigning each as it is read. False when the dump
// ends or an item is not an integer before both are found.
bool read_counts(TextReader* reader, std::string* line, int* xcount, int* ycount) {
  int found = 0;
  while (found < 2) {
    if (!reader->read_line(line)) return false;
    std::string_view rest = *line;
    std::string_view item;
    while (found < 2 && next_item(&rest, &item)) {
      if (!read_int_field(item, found == 0 ? xcount : ycount)) return false;
      ++found;
    }
  }
  return true;
}

// Opens the dump; an absent one is created empty, so that it reads as the
// empty dump it stands for and stays behind as the trace of a failed decode.
std::unique_ptr<TextReader> open_dump(std::string_view name, Platform* platform) {
  std::string err;
  std::unique_ptr<TextReader> reader = platform->open_read(name, &err);
  if (reader) return reader;
  if (platform->file_exists(name)) throw IoError{platform->local_path(name), err};
  if (std::unique_ptr<TextWriter> created = platform->open_write(name, &err)) created->close();
  return nullptr;
}

// A value that cannot be read: the operator is told, and reading waits for
// Enter.
void report_incomplete(Platform* platform, const Text<20>& dump_name) {
  write_line(platform, "Error: ", dump_name.view(), " incomplete");
  pause(platform, kValuePause);
}

void delete_dump(std::string_view name, Platform* platform) {
  std::string err;
  if (!platform->remove_file(name, &err)) {
    platform->write_err("tallowgate: " + platform->local_path(name) + ": cannot delete: " + err);
  }
}

}  // namespace

DumpOutcome read_dump(const Text<20>& dump_name, Platform* platform, RunState* state) {
  const std::string_view name = dump_name.trimmed();
  std::unique_ptr<TextReader> reader = open_dump(name, platform);

  state->xcount = 0;
  state->ycount = 0;
  std::string line;
  const bool counted = reader && read_counts(reader.get(), &line, &state->xcount, &state->ycount);
  std::string echo;
  FreeLine(&echo).text("xcount= ").integer(state->xcount).text(" ycount= ").integer(state->ycount);
  platform->write_out(echo);

  if (!counted || state->xcount < 1 || state->ycount < 1) {
    write_line(platform, "Found bad frame in ", dump_name.view());
    return DumpOutcome::kBad;
  }
  GridStore& grid = state->VAL;
  // Sized by the grid of the run's first frame: a grid of another size would
  // not fit the header written with it. Before that frame, a dump of another
  // size than an earlier one that gave no frame gets storage of its own.
  const char* refusal = nullptr;
  const bool same_size = grid.allocated() && state->xcount == grid.columns() && state->ycount == grid.rows();
  if (!same_size) {
    if (grid.allocated() && !state->first_frame) {
      refusal = "Error: grid differs from the first grid of this run";
    } else if (!grid.allocate(state->xcount, state->ycount)) {
      refusal = "Error: grid too large to hold";
    }
  }
  if (refusal != nullptr) {
    write_line(platform, refusal);
    write_line(platform, "Found bad frame in ", dump_name.view());
    return DumpOutcome::kBad;
  }

  float* values = grid.data();
  const std::size_t count = grid.size();
  bool last_read_well = true;
  for (std::size_t n = 0; n < count; ++n) {
    ItemRead read = ItemRead::kNone;
    while (read == ItemRead::kNone) {
      std::string_view text;
      if (!reader->read_line_view(&text)) {
        // Every further value would fail the same way: one message, one pause.
        report_incomplete(platform, dump_name);
        reader.reset();
        delete_dump(name, platform);
        return DumpOutcome::kIncomplete;
      }
      read = read_first_real(text, &values[n]);
    }
    // A value line holding no number: the value stays unread and reading goes
    // on with the next line.
    last_read_well = read == ItemRead::kRead;
    if (!last_read_well) report_incomplete(platform, dump_name);
  }
  reader.reset();
  delete_dump(name, platform);
  return last_read_well ? DumpOutcome::kComplete : DumpOutcome::kIncomplete;
}

}  // namespace tallowgate
