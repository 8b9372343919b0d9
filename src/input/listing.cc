#include "input/listing.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "driver/pause.h"
#include "text/fields.h"

namespace tallowgate {
namespace {

// ---- Writing the listing -------------------------------------------------

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Name order of the directory command: A-Z folded to a-z byte by byte; names
// equal but for letter case keep byte order, so the order never depends on
// the order the system hands the names out.
bool listed_before(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto fa = static_cast<unsigned char>(fold(a[i]));
    const auto fb = static_cast<unsigned char>(fold(b[i]));
    if (fa != fb) return fa < fb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

bool is_grib2_name(std::string_view name) {
  constexpr std::string_view kSuffix = ".grib2";
  if (name.size() < kSuffix.size()) return false;
  const std::string_view tail = name.substr(name.size() - kSuffix.size());
  for (std::size_t i = 0; i < kSuffix.size(); ++i) {
    if (fold(tail[i]) != kSuffix[i]) return false;
  }
  return true;
}

// Appends `value` with a "," every three digits, right-aligned in `width`.
void append_grouped(std::string* out, std::uint64_t value, std::size_t width) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const std::string_view plain(digits, static_cast<std::size_t>(end - digits));
  std::string grouped;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (i > 0 && (plain.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(plain[i]);
  }
  append_right(out, grouped, width);
}

// "08/24/2025  01:05 PM        1,234,567 name"
std::string file_line(const DirectoryEntry& file) {
  const LocalTime& t = file.modified;
  std::string line;
  append_int(&line, t.month, 2, 2);
  line.push_back('/');
  append_int(&line, t.day, 2, 2);
  line.push_back('/');
  append_int(&line, t.year, 4, 4);
  line.append("  ");
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  append_int(&line, hour12, 2, 2);
  line.push_back(':');
  append_int(&line, t.minute, 2, 2);
  line.append(t.hour < 12 ? " AM" : " PM");
  append_grouped(&line, file.size, 18);
  line.push_back(' ');
  line.append(file.name);
  return line;
}

void write_listing_lines(Platform* platform, const std::vector<DirectoryEntry>& files, TextWriter* writer) {
  writer->write_line(" Volume in drive C has no label.");
  writer->write_line(" Volume Serial Number is 0000-0000");
  writer->write_line("");
  writer->write_line(" Directory of " + platform->working_directory());
  writer->write_line("");
  if (files.empty()) return;
  std::uint64_t total = 0;
  for (const DirectoryEntry& file : files) {
    writer->write_line(file_line(file));
    total += file.size;
  }
  std::string line;
  append_grouped(&line, files.size(), 16);
  line.append(" File(s) ");
  append_grouped(&line, total, 14);
  line.append(" bytes");
  writer->write_line(line);
  line.clear();
  append_grouped(&line, 0, 16);
  line.append(" Dir(s) ");
  append_grouped(&line, platform->free_bytes(), 15);
  line.append(" bytes free");
  writer->write_line(line);
}

// ---- Selection -----------------------------------------------------------

enum class EchoKind {
  kNone,
  kField,    // the name's columns as a line of exactly their width
  kTrimmed,  // the name without its trailing blanks
  kFree,     // the name's columns as a free-form console line
};

struct Echo {
  EchoKind kind = EchoKind::kNone;
  int first = 0, last = 0;  // columns of the name, 1-based and inclusive
  int indent = 0;           // blanks before a kField echo
};

struct NameTest {
  int first = 0, last = 0;  // 0: every line read is kept
  std::string_view prefix;
};

struct SelectionRow {
  AppCode code;
  int name_width;
  NameTest test;
  Echo every_line[2];
  Echo kept_line;
  bool count_line;
};

constexpr Echo kNoEcho{};
constexpr NameTest kKeepAll{};
constexpr Echo field(int first, int last, int indent = 0) { return {EchoKind::kField, first, last, indent}; }
constexpr Echo free_form(int first, int last) { return {EchoKind::kFree, first, last}; }
constexpr Echo kTrimmedName{EchoKind::kTrimmed};

// clang-format off
constexpr SelectionRow kSelectionRows[] = {
    // code               width  name test: columns and prefix        echo of every line read              echo of a kept line  count line
    {AppCode::kCapa15,      62,  kKeepAll,                            {field(1, 62), kNoEcho},             kNoEcho,             true},
    {AppCode::kCapa10,      62,  kKeepAll,                            {field(1, 62), kNoEcho},             kNoEcho,             true},
    {AppCode::kCapa,        62,  kKeepAll,                            {field(1, 62), kNoEcho},             kNoEcho,             true},
    {AppCode::kRdpa,       256,  kKeepAll,                            {kTrimmedName, kNoEcho},             kNoEcho,             true},
    {AppCode::kRdpsTmpHc,  256,  kKeepAll,                            {kTrimmedName, kNoEcho},             kNoEcho,             true},
    {AppCode::kRdpsTmpFc,   72,  {14, 29, "MSC_RDPS_AirTemp"},        {free_form(1, 72), free_form(14, 29)}, field(1, 72),      true},
    {AppCode::kRdpsPcpFc,   72,  {14, 28, "MSC_RDPS_Precip"},         {free_form(1, 72), kNoEcho},         field(1, 72),        true},
    {AppCode::kRdpaPrelim,  68,  kKeepAll,                            {field(1, 68), kNoEcho},             kNoEcho,             true},
    {AppCode::kRglT,        62,  kKeepAll,                            {field(1, 46), kNoEcho},             kNoEcho,             false},
    {AppCode::kRegP,        47,  {1, 12, "CMC_reg_APCP"},             {kNoEcho, kNoEcho},                  field(1, 47),        false},
    {AppCode::kRegT,        46,  {1, 11, "CMC_reg_TMP"},              {kNoEcho, kNoEcho},                  field(1, 46),        false},
    {AppCode::kGlbP,        54,  {1, 12, "CMC_glb_APCP"},             {kNoEcho, kNoEcho},                  field(1, 54),        false},
    {AppCode::kGlbT,        53,  {1, 11, "CMC_glb_TMP"},              {kNoEcho, kNoEcho},                  field(1, 53),        false},
    {AppCode::kGlbSP,       54,  {1, 12, "CMC_glb_APCP"},             {kNoEcho, kNoEcho},                  field(1, 54),        false},
    {AppCode::kGlbST,       53,  {1, 11, "CMC_glb_TMP"},              {kNoEcho, kNoEcho},                  field(1, 53),        false},
    {AppCode::kHreP,        58,  {1, 19, "CMC_hrdps_east_APCP"},      {kNoEcho, kNoEcho},                  field(1, 53),        false},
    {AppCode::kHreT,        57,  {1, 18, "CMC_hrdps_east_TMP"},       {kNoEcho, kNoEcho},                  field(1, 53, 4),     false},
    {AppCode::kRdrP,        41,  kKeepAll,                            {field(1, 41), kNoEcho},             kNoEcho,             true},
};
// clang-format on

constexpr bool tests_fit_their_prefixes() {
  for (const SelectionRow& row : kSelectionRows) {
    if (row.test.first != 0 &&
        static_cast<std::size_t>(row.test.last - row.test.first + 1) != row.test.prefix.size()) {
      return false;
    }
  }
  return true;
}
static_assert(tests_fit_their_prefixes(), "a name test's columns must span its prefix");

const SelectionRow* selection_row(AppCode code) {
  for (const SelectionRow& row : kSelectionRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

void write_echo(Platform* platform, const Echo& echo, const Text<256>& name) {
  std::string line;
  const auto first = static_cast<std::size_t>(echo.first);
  const auto last = static_cast<std::size_t>(echo.last);
  switch (echo.kind) {
    case EchoKind::kNone:
      return;
    case EchoKind::kField:
      line.append(static_cast<std::size_t>(echo.indent), ' ');
      line.append(name.columns(first, last));
      break;
    case EchoKind::kTrimmed:
      line.append(name.trimmed());
      break;
    case EchoKind::kFree:
      FreeLine(&line).text(name.columns(first, last));
      break;
  }
  platform->write_out(line);
}

bool passes(const NameTest& test, const Text<256>& name) {
  if (test.first == 0) return true;
  return name.columns(static_cast<std::size_t>(test.first), static_cast<std::size_t>(test.last)) ==
         test.prefix;
}

[[noreturn]] void listing_error(Platform* platform, std::string reason) {
  throw IoError{platform->local_path(kListingPath), std::move(reason)};
}

// A listing that cannot be read: the operator is told and may look before
// the run ends.
[[noreturn]] void stop_unopened_listing(Platform* platform, std::string reason) {
  std::string line;
  FreeLine(&line).text("Error: problem opening grib_list.txt");
  platform->write_out(line);
  pause(platform, " tallowgat paused trying to open this file");
  listing_error(platform, std::move(reason));
}

// Lines 1 to 6: a date column of eight characters leaves characters 9 and 10
// of the first file line blank, and its names start one column earlier.
int find_name_column(Platform* platform, TextReader* reader, RunState* state) {
  std::string line;
  for (int i = 1; i <= 6; ++i) {
    if (!reader->read_line(&line)) {
      listing_error(platform, "fewer than six lines: the working directory holds no *.grib2 file");
    }
    if (i < 6) state->JUNK.assign(line);
  }
  const Text<10> head(line);
  std::string echo;
  FreeLine(&echo).text(head.columns(9, 10));
  platform->write_out(echo);
  return head.columns(9, 10) == "  " ? 37 : 39;
}

}  // namespace

bool write_listing(Platform* platform, std::string* err) {
  std::vector<DirectoryEntry> entries;
  std::string reason;
  bool written = false;
  if (!platform->list_directory(&entries, &reason)) {
    reason = "cannot read the working directory: " + reason;
  } else {
    std::erase_if(entries, [](const DirectoryEntry& e) { return !is_grib2_name(e.name); });
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return listed_before(a.name, b.name); });
    if (auto writer = platform->open_write(kListingPath, &reason)) {
      try {
        write_listing_lines(platform, entries, writer.get());
        writer->close();
        written = true;
      } catch (const IoError& e) {
        reason = e.reason;
      }
    }
  }
  if (!written) {
    platform->write_err("tallowgate: cannot write grib_list.txt: " + reason);
    *err = reason;
  }
  return written;
}

void list_and_select(Platform* platform, RunState* state) {
  std::string err;
  // What a failed write left on disk is never read: it could hold an earlier
  // directory's files or only some of this one's.
  if (!write_listing(platform, &err)) stop_unopened_listing(platform, err);
  read_listing(platform, state);
}

void read_listing(Platform* platform, RunState* state) {
  std::string err;
  const std::unique_ptr<TextReader> reader = platform->open_read(kListingPath, &err);
  if (!reader) stop_unopened_listing(platform, err);
  const auto name_column = static_cast<std::size_t>(find_name_column(platform, reader.get(), state));

  if (!reader->rewind()) listing_error(platform, "cannot read the listing again from its start");
  std::string line;
  for (int i = 1; i <= 5; ++i) {
    if (!reader->read_line(&line)) listing_error(platform, "the listing changed while it was read");
    state->JUNK.assign(line);
  }

  state->file_count = 0;
  const SelectionRow* row = selection_row(*state->code);
  if (row == nullptr) return;

  const auto width = static_cast<std::size_t>(row->name_width);
  int slots = 0;
  Text<256> name;
  while (reader->read_line(&line)) {
    const std::string_view whole(line);
    state->JUNK.assign(whole.substr(0, std::min(name_column, whole.size())));
    name.assign(whole.size() > name_column ? whole.substr(name_column, width) : std::string_view());
    // A line that would need a 1000th entry is never taken in: no echo, and
    // the run ends.
    const bool kept = passes(row->test, name);
    if (kept && slots == kMaxFiles) {
      listing_error(platform, "more than " + std::to_string(kMaxFiles) + " entries for the file list");
    }
    for (const Echo& echo : row->every_line) write_echo(platform, echo, name);
    if (!kept) continue;
    state->FLN[static_cast<std::size_t>(slots)] = name;
    ++slots;
    write_echo(platform, row->kept_line, name);
  }

  // Rows that keep every line have also stored the two summary lines.
  state->file_count = row->test.first == 0 ? slots - 2 : slots;
  if (row->count_line) {
    std::string count;
    FreeLine(&count).text("# files =").integer(state->file_count);
    platform->write_out(count);
  }
}

}  // namespace tallowgate
