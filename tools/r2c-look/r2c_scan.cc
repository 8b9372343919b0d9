#include "r2c_scan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>

namespace tallowgate::look {
namespace {

// A frame's value problems listed before the rest are only counted: one broken frame of a national grid
// would otherwise bury every other problem under a million lines.
constexpr int kListedValueProblems = 3;
// Grids beyond this many cells (eight global grids) are refused rather than allocated: a header that
// claims one cannot make the reader take gigabytes.
constexpr std::int64_t kMaxCells = std::int64_t{1} << 25;
constexpr std::size_t kBlock = std::size_t{4} << 20;
constexpr std::size_t kMaxLine = std::size_t{256} << 20;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && (is_blank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (is_blank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool equals_lower(std::string_view text, std::string_view lower_word) {
  if (text.size() != lower_word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower_word[i]) return false;
  }
  return true;
}

std::string shown(std::string_view text) {
  constexpr std::size_t kShown = 24;
  if (text.size() <= kShown) return std::string(text);
  return std::string(text.substr(0, kShown)) + "...";
}

template <typename T>
std::optional<T> whole_number(std::string_view text) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> real_number(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Days from 0001-01-01 in the proleptic Gregorian calendar.
std::int64_t days_from_civil(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return std::int64_t{era} * 146097 + doe;
}

int days_in_month(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// The common value of a frame, a fixed-point number of at most 15 digits ("-12.3456"), read without the
// general parser: the digits as a whole number over a power of ten is the nearest double to the text,
// whose nearest float is the value to one unit in the last place. False for any other text, which the
// general parser then reads.
bool plain_decimal(const char* first, const char* last, float* value) {
  static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const bool negative = *first == '-';
  if (negative || *first == '+') ++first;
  std::uint64_t digits = 0;
  int count = 0, decimals = -1;
  for (const char* p = first; p != last; ++p) {
    if (*p >= '0' && *p <= '9') {
      digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
      ++count;
      if (decimals >= 0) ++decimals;
    } else if (*p == '.' && decimals < 0) {
      decimals = 0;
    } else {
      return false;
    }
  }
  if (count == 0 || count > 15) return false;
  const double magnitude = static_cast<double>(digits) / kTens[decimals < 0 ? 0 : decimals];
  *value = static_cast<float>(negative ? -magnitude : magnitude);
  return true;
}

// Reads digits at *at, at most `max_digits`, into *value. False when there are none.
bool digits(std::string_view text, std::size_t* at, int max_digits, int* value) {
  int count = 0;
  *value = 0;
  while (*at < text.size() && count < max_digits && text[*at] >= '0' && text[*at] <= '9') {
    *value = *value * 10 + (text[*at] - '0');
    ++*at;
    ++count;
  }
  return count > 0;
}

// "yyyy/mm/dd hh:mm", with '-' allowed for '/', any blanks or a 'T' between date and time, and optional
// seconds with a fraction. Hour 24 stands for midnight at the end of the day.
FrameTime parse_time(std::string_view text) {
  FrameTime time;
  time.text = std::string(text);
  std::size_t at = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  auto separator = [&](char a, char b) {
    if (at < text.size() && (text[at] == a || text[at] == b)) {
      ++at;
      return true;
    }
    return false;
  };
  if (!digits(text, &at, 4, &year) || !separator('/', '-') || !digits(text, &at, 2, &month) ||
      !separator('/', '-') || !digits(text, &at, 2, &day)) {
    return time;
  }
  const std::size_t date_end = at;
  while (at < text.size() && (is_blank(text[at]) || text[at] == 'T')) ++at;
  if (at == date_end && at < text.size()) return time;
  if (at < text.size()) {
    if (!digits(text, &at, 2, &hour)) return time;
    if (separator(':', ':')) {
      if (!digits(text, &at, 2, &minute)) return time;
      if (separator(':', ':')) {
        if (!digits(text, &at, 2, &second)) return time;
        if (separator('.', '.')) {
          int fraction = 0;
          if (!digits(text, &at, 9, &fraction)) return time;
        }
      }
    }
  }
  while (at < text.size() && is_blank(text[at])) ++at;
  if (at != text.size()) return time;
  if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month) || hour > 24 || minute > 59 ||
      second > 60 || (hour == 24 && (minute != 0 || second != 0))) {
    return time;
  }
  time.seconds = days_from_civil(year, month, day) * 86400 + std::int64_t{hour * 3600 + minute * 60 + second};
  time.valid = true;
  return time;
}

enum class Kind { kInt, kReal, kText };

struct Keyword {
  std::string_view word;  // lower case, with its colon
  Kind kind;
};

constexpr Keyword kKeywords[] = {
    {":xcount", Kind::kInt},      {":ycount", Kind::kInt},          {":xorigin", Kind::kReal},
    {":yorigin", Kind::kReal},    {":xdelta", Kind::kReal},         {":ydelta", Kind::kReal},
    {":xextent", Kind::kReal},    {":yextent", Kind::kReal},        {":name", Kind::kText},
    {":projection", Kind::kText}, {":attributeunits", Kind::kText}, {":writtenby", Kind::kText},
};

// The keywords a reader cannot place or size a grid without.
constexpr std::string_view kRequired[] = {":Projection", ":xOrigin", ":yOrigin", ":xCount",
                                          ":yCount",     ":xDelta",  ":yDelta"};

// The spelling a problem shows for a keyword: the file's own, as first seen.
struct Seen {
  std::string word;
  std::string spelling;
  std::string value;
  long line = 0;
};

class Scanner {
 public:
  explicit Scanner(R2cVisitor* visitor) : visitor_(visitor) {}

  void line(std::string_view text, long number, bool crlf, bool has_end) {
    result_.lines = number;
    if (has_end) {
      if (crlf) {
        if (first_crlf_ == 0) first_crlf_ = number;
      } else if (first_lf_ == 0) {
        first_lf_ = number;
      }
    }
    const std::string_view t = trim(text);
    if (in_header_) {
      header_line(t, number);
    } else {
      body_line(t, number);
    }
  }

  void progress(double share) {
    if (result_.frames + (open_ ? 1 : 0) > 3) visitor_->on_progress(share, result_.frames);
  }

  ScanResult finish() {
    if (result_.lines == 0) {
      add(0, "the file is empty");
    } else if (in_header_) {
      add(result_.lines, "the file ends before :EndHeader");
    } else {
      close_frame(result_.lines);
      if (result_.frames == 0 && header_usable_) add(result_.header.end_line, "no frame after the header");
    }
    if (first_crlf_ != 0 && first_lf_ != 0) {
      add(std::max(first_crlf_, first_lf_), "line ends mixed: line " + std::to_string(first_crlf_) +
                                                " ends in CRLF, line " + std::to_string(first_lf_) +
                                                " in LF");
    }
    std::stable_sort(result_.problems.begin(), result_.problems.end(),
                     [](const Problem& a, const Problem& b) { return a.line < b.line; });
    result_.opened = true;
    return std::move(result_);
  }

 private:
  void add(long line, std::string text) { result_.problems.push_back(Problem{line, std::move(text)}); }

  void header_line(std::string_view t, long number) {
    if (t.empty() || t.front() == '#') return;
    if (t.front() != ':') {
      add(number, "not a keyword or a comment before :EndHeader: " + shown(t));
      return;
    }
    std::size_t word_end = 0;
    while (word_end < t.size() && !is_blank(t[word_end])) ++word_end;
    const std::string_view spelling = t.substr(0, word_end);
    const std::string word = lower(spelling);
    const std::string_view value = trim(t.substr(word_end));
    if (word == ":endheader") {
      end_header(number);
      return;
    }
    if (word == ":frame") {
      add(number, "frame line before :EndHeader");
      end_header(number);
      body_line(t, number);
      return;
    }
    if (word == ":attributename") {
      attribute_names_.push_back(std::string(value));
      if (attribute_names_.size() == 1) indexed_attributes_ = strip_index(value).size() != value.size();
      return;
    }
    for (const Keyword& keyword : kKeywords) {
      if (word == keyword.word) {
        keep(word, spelling, value, keyword.kind, number);
        return;
      }
    }
  }

  static std::string_view strip_index(std::string_view value) {
    std::size_t at = 0;
    while (at < value.size() && value[at] >= '0' && value[at] <= '9') ++at;
    if (at == 0 || at == value.size() || !is_blank(value[at])) return value;
    return trim(value.substr(at));
  }

  void keep(const std::string& word, std::string_view spelling, std::string_view value, Kind kind,
            long number) {
    for (const Seen& seen : seen_) {
      if (seen.word != word) continue;
      bool same = seen.value == value;
      if (!same && kind != Kind::kText) {
        const std::optional<double> a = real_number(seen.value), b = real_number(value);
        same = a && b && *a == *b;
      }
      if (!same) {
        add(number, std::string(spelling) + " " + shown(value) + " contradicts line " +
                        std::to_string(seen.line) + ": " + seen.spelling + " " + shown(seen.value));
      }
      return;
    }
    seen_.push_back(Seen{word, std::string(spelling), std::string(value), number});
    if (value.empty()) add(number, std::string(spelling) + " has no value");
  }

  const Seen* find(std::string_view word) const {
    for (const Seen& seen : seen_) {
      if (seen.word == word) return &seen;
    }
    return nullptr;
  }

  std::optional<double> real(std::string_view word, bool required) {
    const Seen* seen = find(word);
    if (seen == nullptr || seen->value.empty()) return std::nullopt;
    const std::optional<double> value = real_number(seen->value);
    if (!value && required) add(seen->line, seen->spelling + " " + shown(seen->value) + " is not a number");
    return value;
  }

  int count(std::string_view word) {
    const Seen* seen = find(word);
    if (seen == nullptr || seen->value.empty()) return 0;
    const std::optional<int> value = whole_number<int>(seen->value);
    if (!value || *value < 1) {
      add(seen->line, seen->spelling + " " + shown(seen->value) + " is not a whole number above 0");
      return 0;
    }
    return *value;
  }

  void end_header(long number) {
    in_header_ = false;
    R2cHeader& h = result_.header;
    h.end_line = number;
    bool usable = true;
    for (std::string_view word : kRequired) {
      if (find(lower(word)) == nullptr) {
        add(number, "no " + std::string(word) + " in the header");
        usable = false;
      }
    }
    h.x_count = count(":xcount");
    h.y_count = count(":ycount");
    if (h.x_count == 0 || h.y_count == 0) usable = false;
    if (usable && h.cells() > kMaxCells) {
      add(number, "a grid of " + std::to_string(h.x_count) + " x " + std::to_string(h.y_count) +
                      " cells is more than this reader holds");
      usable = false;
    }
    h.x_origin = real(":xorigin", true).value_or(0);
    h.y_origin = real(":yorigin", true).value_or(0);
    h.x_delta = real(":xdelta", true).value_or(0);
    h.y_delta = real(":ydelta", true).value_or(0);
    for (const auto& [word, delta] : {std::pair{":xdelta", h.x_delta}, std::pair{":ydelta", h.y_delta}}) {
      const Seen* seen = find(word);
      if (seen != nullptr && real_number(seen->value) && delta == 0) {
        add(seen->line, seen->spelling + " is 0: the cells have no size");
      }
    }
    extent(":xextent", h.x_count, h.x_delta);
    extent(":yextent", h.y_count, h.y_delta);
    h.has_extent = find(":xextent") != nullptr || find(":yextent") != nullptr;
    if (const Seen* name = find(":name")) h.name = name->value;
    if (h.name.empty() && !attribute_names_.empty()) h.name = std::string(strip_index(attribute_names_[0]));
    if (const Seen* units = find(":attributeunits")) {
      h.units = std::string(indexed_attributes_ ? strip_index(units->value) : units->value);
    }
    if (const Seen* projection = find(":projection")) h.projection = projection->value;
    if (const Seen* written_by = find(":writtenby")) h.written_by = written_by->value;
    h.attributes = std::max<int>(1, static_cast<int>(attribute_names_.size()));
    header_usable_ = usable;
    expected_ = usable ? h.cells() * h.attributes : 0;
    visitor_->on_header(h);
  }

  // An extent must be the cells' count times their size.
  void extent(std::string_view word, int cells, double delta) {
    const Seen* seen = find(word);
    if (seen == nullptr || cells == 0 || delta == 0) return;
    const std::optional<double> value = real(word, true);
    if (!value) return;
    const double span = cells * std::fabs(delta);
    if (std::fabs(*value - span) > 1e-6 * std::max(std::fabs(span), 1.0)) {
      char text[160];
      std::snprintf(text, sizeof text, " %s is not %d cells of %g: %g", seen->value.c_str(), cells,
                    std::fabs(delta), span);
      add(seen->line, seen->spelling + text);
    }
  }

  void body_line(std::string_view t, long number) {
    if (t.empty()) return;
    if (t.front() == ':') {
      std::size_t word_end = 0;
      while (word_end < t.size() && !is_blank(t[word_end])) ++word_end;
      const std::string_view word = t.substr(0, word_end);
      if (equals_lower(word, ":frame")) {
        frame_line(t.substr(word_end), number);
      } else if (equals_lower(word, ":endframe")) {
        end_line(number);
      } else if (equals_lower(word, ":endheader")) {
        add(number, "a second :EndHeader");
      } else {
        add(number, "a header keyword after :EndHeader: " + shown(word));
      }
      return;
    }
    if (equals_lower(t, "endframe")) {
      end_line(number);
      return;
    }
    value_line(t, number);
  }

  void frame_line(std::string_view rest, long number) {
    if (open_) {
      if (!frame_.is_static) {
        add(frame_.line, "frame " + std::to_string(frame_.number) + " has no end line before line " +
                             std::to_string(number));
      }
      close_frame(number);
    }
    if (had_static_) add(number, "a frame line after the values of a static field");
    FrameInfo frame;
    frame.line = number;
    std::string_view fields = trim(rest);
    const std::size_t quote = fields.find('"');
    std::string_view numbers = trim(fields.substr(0, quote));
    std::size_t split = 0;
    while (split < numbers.size() && !is_blank(numbers[split])) ++split;
    const std::optional<int> frame_number = whole_number<int>(numbers.substr(0, split));
    const std::optional<int> step = whole_number<int>(trim(numbers.substr(split)));
    bool well_formed = true;
    if (!frame_number || !step) {
      add(number, "the frame line needs a frame number and a step before its time: " + shown(numbers));
      well_formed = false;
    }
    frame.number = frame_number.value_or(0);
    frame.step = step.value_or(0);
    const std::size_t close = quote == std::string_view::npos ? quote : fields.find('"', quote + 1);
    if (close == std::string_view::npos) {
      add(number, "the frame line has no quoted time");
      well_formed = false;
    } else {
      frame.time = parse_time(trim(fields.substr(quote + 1, close - quote - 1)));
      if (!frame.time.valid) {
        add(number, "not a time: \"" + shown(frame.time.text) + "\"");
        well_formed = false;
      }
      if (!trim(fields.substr(close + 1)).empty()) {
        add(number, "text after the frame's time: " + shown(trim(fields.substr(close + 1))));
      }
    }
    const int expected_number = result_.frames + 1;
    if (frame_number && frame.number != expected_number) {
      add(number, "frame number " + std::to_string(frame.number) + " where " +
                      std::to_string(expected_number) + " was due");
    }
    if (frame.time.valid && last_time_.valid) {
      if (frame.time.seconds == last_time_.seconds) {
        add(number,
            "time \"" + frame.time.text + "\" repeats the time of line " + std::to_string(last_time_line_));
      } else if (frame.time.seconds < last_time_.seconds) {
        add(number, "time \"" + frame.time.text + "\" comes before \"" + last_time_.text + "\" of line " +
                        std::to_string(last_time_line_));
      }
    }
    if (frame.time.valid) {
      last_time_ = frame.time;
      last_time_line_ = number;
    }
    (void)well_formed;
    start_frame(frame);
  }

  void start_frame(const FrameInfo& frame) {
    frame_ = frame;
    open_ = true;
    count_ = 0;
    value_problems_ = 0;
    values_.assign(static_cast<std::size_t>(expected_), std::numeric_limits<float>::quiet_NaN());
  }

  void end_line(long number) {
    if (!open_) return;  // an end line with no frame: a file the writer could not read, skipped
    close_frame(number);
  }

  void close_frame(long number) {
    if (!open_) return;
    open_ = false;
    const std::string which =
        frame_.is_static ? "the static field" : "frame " + std::to_string(frame_.number);
    if (value_problems_ > kListedValueProblems) {
      add(frame_.line, which + ": " + std::to_string(value_problems_ - kListedValueProblems) +
                           " more values that are not numbers, up to line " + std::to_string(number));
    }
    if (header_usable_ && count_ != expected_) {
      std::string text = which + (count_ < expected_ ? " is short: " : " is long: ") +
                         std::to_string(count_) + " values where " + std::to_string(result_.header.x_count) +
                         " x " + std::to_string(result_.header.y_count);
      if (result_.header.attributes > 1) text += " x " + std::to_string(result_.header.attributes);
      add(frame_.line, text + " = " + std::to_string(expected_) + " are due");
    }
    ++result_.frames;
    if (header_usable_) visitor_->on_frame(frame_, values_);
  }

  void value_line(std::string_view t, long number) {
    if (!open_) {
      if (result_.frames == 0 && !had_static_) {
        FrameInfo frame;
        frame.line = number;
        frame.number = 1;
        frame.is_static = true;
        had_static_ = true;
        start_frame(frame);
      } else {
        if (last_stray_line_ != number - 1) add(number, "values outside a frame");
        last_stray_line_ = number;
        return;
      }
    }
    std::size_t at = 0;
    const std::size_t size = t.size();
    const char* data = t.data();
    while (at < size) {
      while (at < size && is_blank(data[at])) ++at;
      if (at == size) break;
      std::size_t end = at;
      while (end < size && !is_blank(data[end])) ++end;
      float value = 0;
      if (!plain_decimal(data + at, data + end, &value)) {
        const char* first = data + at;
        if (*first == '+') ++first;
        const auto [stop, ec] = std::from_chars(first, data + end, value);
        if (ec != std::errc() || stop != data + end || !std::isfinite(value)) {
          value_problem(t.substr(at, end - at), stop, data + end, ec, number);
          value = std::numeric_limits<float>::quiet_NaN();
        }
      }
      if (count_ < expected_) values_[static_cast<std::size_t>(count_)] = value;
      ++count_;
      at = end;
    }
  }

  void value_problem(std::string_view token, const char* stop, const char* end, std::errc ec, long number) {
    if (++value_problems_ > kListedValueProblems) return;
    std::string what;
    if (token.find('*') != std::string_view::npos) {
      what = "a field filled with asterisks: the value did not fit";
    } else if (ec == std::errc() && stop != end && stop > token.data() &&
               ((*stop >= '0' && *stop <= '9') || *stop == '-' || *stop == '+' || *stop == '.')) {
      what = "values run together: " + shown(token);
    } else if (ec == std::errc::result_out_of_range) {
      what = "a value out of range: " + shown(token);
    } else {
      what = "not a number: " + shown(token);
    }
    add(number, what);
  }

  R2cVisitor* visitor_;
  ScanResult result_;
  bool in_header_ = true;
  bool header_usable_ = false;
  std::vector<Seen> seen_;
  std::vector<std::string> attribute_names_;
  bool indexed_attributes_ = false;
  std::int64_t expected_ = 0;
  bool open_ = false;
  bool had_static_ = false;
  FrameInfo frame_;
  std::int64_t count_ = 0;
  int value_problems_ = 0;
  std::vector<float> values_;
  FrameTime last_time_;
  long last_time_line_ = 0;
  long last_stray_line_ = -1;
  long first_crlf_ = 0, first_lf_ = 0;
};

// Splits `block` at line ends, handing whole lines to the scanner. Returns where the unfinished line
// begins.
std::size_t feed_lines(std::string_view block, long* number, Scanner* scanner) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = block.find('\n', start);
    if (end == std::string_view::npos) return start;
    std::string_view text = block.substr(start, end - start);
    const bool crlf = !text.empty() && text.back() == '\r';
    if (crlf) text.remove_suffix(1);
    scanner->line(text, ++*number, crlf, true);
    start = end + 1;
  }
}

}  // namespace

ScanResult scan_r2c_text(std::string_view text, R2cVisitor* visitor) {
  R2cVisitor none;
  Scanner scanner(visitor != nullptr ? visitor : &none);
  long number = 0;
  const std::size_t rest = feed_lines(text, &number, &scanner);
  if (rest < text.size()) scanner.line(text.substr(rest), ++number, false, false);
  return scanner.finish();
}

ScanResult scan_r2c_file(const std::string& path, R2cVisitor* visitor) {
  R2cVisitor none;
  if (visitor == nullptr) visitor = &none;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    ScanResult failed;
    failed.error = "cannot open";
    return failed;
  }
  double size = 0;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    size = static_cast<double>(std::ftell(file.get()));
    std::fseek(file.get(), 0, SEEK_SET);
  }
  Scanner scanner(visitor);
  std::string buffer(kBlock, '\0');
  std::size_t kept = 0;
  long number = 0;
  double read_so_far = 0;
  while (true) {
    if (kept == buffer.size()) {
      if (buffer.size() >= kMaxLine) {
        ScanResult failed;
        failed.error = "line " + std::to_string(number + 1) + " is longer than 256 MiB";
        return failed;
      }
      buffer.resize(buffer.size() * 2);
    }
    const std::size_t got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file.get());
    if (got == 0) {
      if (std::ferror(file.get())) {
        ScanResult failed;
        failed.error = "read error";
        return failed;
      }
      break;
    }
    read_so_far += static_cast<double>(got);
    const std::string_view block(buffer.data(), kept + got);
    const std::size_t rest = feed_lines(block, &number, &scanner);
    kept = block.size() - rest;
    std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(rest),
              buffer.begin() + static_cast<std::ptrdiff_t>(block.size()), buffer.begin());
    if (size > 0) scanner.progress(read_so_far / size);
    if (visitor->done()) {
      ScanResult partial = scanner.finish();
      partial.stopped = true;
      return partial;
    }
  }
  if (kept > 0) scanner.line(std::string_view(buffer.data(), kept), ++number, false, false);
  return scanner.finish();
}

}  // namespace tallowgate::look
