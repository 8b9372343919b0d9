#include "text/free_read.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace tallowgate {
namespace {

constexpr auto kSeparators = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {' ', '\t', '\r', ','}) table[c] = true;
  return table;
}();

bool is_separator(char c) { return kSeparators[static_cast<unsigned char>(c)]; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool equals_ignoring_case(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != lower[i]) return false;
  }
  return true;
}

// The shape of a decimal number, as far as the rounding needs it.
struct DecimalShape {
  bool valid = false;
  bool d_exponent = false;  // written with d or D
  // Decimal order of the first significant digit (0 for 1.5, -3 for 0.002);
  // meaningless when every digit is zero.
  long long order = 0;
  bool all_zero = true;
};

DecimalShape decimal_shape(std::string_view s) {
  DecimalShape shape;
  std::size_t i = 0;
  const std::size_t n = s.size();
  long long integer_digits = 0;  // significant digits before the point
  long long leading_zeros = 0;   // zeros after the point before the first significant digit
  std::size_t digits = 0;
  while (i < n && is_digit(s[i])) {
    if (s[i] != '0' || !shape.all_zero) {
      shape.all_zero = false;
      ++integer_digits;
    }
    ++i;
    ++digits;
  }
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && is_digit(s[i])) {
      if (s[i] != '0') {
        shape.all_zero = false;
      } else if (shape.all_zero) {
        ++leading_zeros;
      }
      ++i;
      ++digits;
    }
  }
  if (digits == 0) return shape;
  long long exponent = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    shape.d_exponent = s[i] == 'd' || s[i] == 'D';
    ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
      negative = s[i] == '-';
      ++i;
    }
    const std::size_t first = i;
    while (i < n && is_digit(s[i])) {
      // Far beyond any float; kept from growing without bound.
      if (exponent < 1000000000) exponent = exponent * 10 + (s[i] - '0');
      ++i;
    }
    if (i == first) return shape;
    if (negative) exponent = -exponent;
  }
  if (i != n) return shape;
  shape.valid = true;
  shape.order = (integer_digits > 0 ? integer_digits - 1 : -(leading_zeros + 1)) + exponent;
  return shape;
}

// Powers of ten that a float holds exactly.
constexpr float kExactPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// Reads one of the decoder's usual numbers (up to 7 significant digits, a
// small exponent) from `p` up to the first separator or `end`: the digits and
// the power of ten are both exact floats, so one float multiplication or
// division rounds the number correctly. Returns where it stopped; null, with
// *value untouched, for anything else.
const char* read_short_decimal(const char* p, const char* const end, float* value) {
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  std::uint32_t digits = 0;
  int significant = 0;
  int scale = 0;  // power of ten of the last digit read
  bool any_digit = false;
  for (; p != end && is_digit(*p); ++p) {
    any_digit = true;
    if (digits == 0 && *p == '0') continue;
    if (++significant > 8) return nullptr;
    digits = digits * 10 + static_cast<std::uint32_t>(*p - '0');
  }
  if (p != end && *p == '.') {
    for (++p; p != end && is_digit(*p); ++p) {
      any_digit = true;
      --scale;
      if (digits == 0 && *p == '0') continue;
      if (++significant > 8) return nullptr;
      digits = digits * 10 + static_cast<std::uint32_t>(*p - '0');
    }
  }
  if (!any_digit) return nullptr;
  if (p != end && !is_separator(*p)) {
    if (*p != 'e' && *p != 'E' && *p != 'd' && *p != 'D') return nullptr;
    ++p;
    bool negative_exponent = false;
    if (p != end && (*p == '-' || *p == '+')) {
      negative_exponent = *p == '-';
      ++p;
    }
    const char* const first = p;
    int exponent = 0;
    for (; p != end && is_digit(*p) && p - first < 3; ++p) exponent = exponent * 10 + (*p - '0');
    if (p == first || (p != end && !is_separator(*p))) return nullptr;
    scale += negative_exponent ? -exponent : exponent;
  }
  if (digits > (1u << 24)) return nullptr;
  float result = static_cast<float>(digits);
  if (digits != 0) {
    if (scale < -10 || scale > 10) return nullptr;
    result = scale < 0 ? result / kExactPowersOfTen[-scale] : result * kExactPowersOfTen[scale];
  }
  *value = negative ? -result : result;
  return p;
}

}  // namespace

bool read_int_field(std::string_view field, int* value) {
  std::size_t i = 0;
  const std::size_t n = field.size();
  while (i < n && field[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  const std::size_t first_digit = i;
  std::int64_t magnitude = 0;
  while (i < n && field[i] >= '0' && field[i] <= '9') {
    magnitude = magnitude * 10 + (field[i] - '0');
    if (magnitude > 2147483648LL) return false;
    ++i;
  }
  if (i == first_digit) return false;
  while (i < n && field[i] == ' ') ++i;
  if (i != n) return false;
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > 2147483647LL) return false;
  *value = static_cast<int>(signed_value);
  return true;
}

bool read_real_item(std::string_view item, float* value) {
  float short_value = 0.0f;
  if (read_short_decimal(item.data(), item.data() + item.size(), &short_value) == item.data() + item.size()) {
    *value = short_value;
    return true;
  }
  // Other plain decimals go to from_chars as they stand; every other form
  // takes the checks below.
  if (!item.empty()) {
    const char first = item[0];
    const char second = item.size() > 1 ? item[1] : '0';
    if (is_digit(first) || first == '.' || (first == '-' && (is_digit(second) || second == '.'))) {
      float parsed = 0.0f;
      const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), parsed);
      if (ec == std::errc() && end == item.data() + item.size()) {
        *value = parsed;
        return true;
      }
    }
  }
  bool negative = false;
  std::string_view unsigned_part = item;
  if (!unsigned_part.empty() && (unsigned_part[0] == '+' || unsigned_part[0] == '-')) {
    negative = unsigned_part[0] == '-';
    unsigned_part.remove_prefix(1);
  }
  if (equals_ignoring_case(unsigned_part, "nan")) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    *value = negative ? -nan : nan;
    return true;
  }
  if (equals_ignoring_case(unsigned_part, "inf") || equals_ignoring_case(unsigned_part, "infinity")) {
    const float inf = std::numeric_limits<float>::infinity();
    *value = negative ? -inf : inf;
    return true;
  }
  const DecimalShape shape = decimal_shape(unsigned_part);
  if (!shape.valid) return false;

  // from_chars takes a minus sign but no plus sign, and only e for the
  // exponent; a d exponent is rewritten in a buffer kept between calls.
  std::string_view text = negative ? item : unsigned_part;
  thread_local std::string rewritten;
  if (shape.d_exponent) {
    rewritten.assign(text);
    for (char& c : rewritten) {
      if (c == 'd' || c == 'D') c = 'e';
    }
    text = rewritten;
  }
  float parsed = 0.0f;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (end != text.data() + text.size()) return false;
  if (ec == std::errc::result_out_of_range) {
    // Too small for even the smallest subnormal: the nearest float is zero.
    // Too large is no float at all.
    if (shape.order >= 0) return false;
    parsed = negative ? -0.0f : 0.0f;
  } else if (ec != std::errc()) {
    return false;
  }
  *value = parsed;
  return true;
}

ItemRead read_first_real(std::string_view line, float* value) {
  const char* p = line.data();
  const char* const end = p + line.size();
  while (p != end && is_separator(*p)) ++p;
  if (p == end) return ItemRead::kNone;
  if (read_short_decimal(p, end, value) != nullptr) return ItemRead::kRead;
  std::string_view rest(p, static_cast<std::size_t>(end - p));
  std::string_view item;
  next_item(&rest, &item);
  return read_real_item(item, value) ? ItemRead::kRead : ItemRead::kUnreadable;
}

bool next_item(std::string_view* rest, std::string_view* item) {
  std::size_t i = 0;
  while (i < rest->size() && is_separator((*rest)[i])) ++i;
  if (i == rest->size()) {
    *rest = {};
    return false;
  }
  std::size_t end = i;
  while (end < rest->size() && !is_separator((*rest)[end])) ++end;
  *item = rest->substr(i, end - i);
  *rest = rest->substr(end);
  return true;
}

}  // namespace tallowgate
