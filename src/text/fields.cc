#include "text/fields.h"

#include <cmath>
#include <cstdint>

namespace tallowgate {
namespace {

// Decimal digits of `magnitude`, most significant first, into `digits`;
// returns their count (at least one digit).
int to_digits(std::uint64_t magnitude, char* digits) {
  char reversed[24];
  int n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  for (int i = 0; i < n; ++i) digits[i] = reversed[n - 1 - i];
  return n;
}

void append_stars(std::string* out, int width) {
  if (width > 0) out->append(static_cast<std::size_t>(width), '*');
}

void append_blanks(std::string* out, int count) {
  if (count > 0) out->append(static_cast<std::size_t>(count), ' ');
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

}  // namespace

void append_int(std::string* out, long long value, int width, int min_digits) {
  const bool negative = value < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char digits[24];
  const int n = to_digits(magnitude, digits);
  const int shown = n > min_digits ? n : min_digits;
  const int length = shown + (negative ? 1 : 0);
  if (length > width) return append_stars(out, width);
  append_blanks(out, width - length);
  if (negative) out->push_back('-');
  out->append(static_cast<std::size_t>(shown - n), '0');
  out->append(digits, static_cast<std::size_t>(n));
}

void append_fixed(std::string* out, float value, int width, int decimals) {
  if (!std::isfinite(value) || decimals < 0 || decimals > 9) return append_stars(out, width);
  // A float has 24 significant bits and 10^9 needs 21 more for its odd part:
  // the product is exact in a double, so rounding it to an integer (ties to
  // even under the default rounding mode) rounds the float's exact value.
  const double scaled = std::nearbyint(static_cast<double>(value) * kPowersOfTen[decimals]);
  if (std::fabs(scaled) >= 1e18) return append_stars(out, width);
  const bool negative = value < 0;
  const auto magnitude = static_cast<std::uint64_t>(std::fabs(scaled));
  char digits[24];
  const int n = to_digits(magnitude, digits);
  // Digits before the point: what is left of the scaled integer beyond the decimals.
  const int whole = n > decimals ? n - decimals : 0;
  const int point = decimals > 0 ? 1 : 0;
  const int fraction_length = decimals;
  int length = (negative ? 1 : 0) + whole + point + fraction_length;
  const bool leading_zero = whole == 0 && length + 1 <= width;
  if (leading_zero) ++length;
  if (length > width) return append_stars(out, width);
  append_blanks(out, width - length);
  if (negative) out->push_back('-');
  if (leading_zero) out->push_back('0');
  out->append(digits, static_cast<std::size_t>(whole));
  if (point) out->push_back('.');
  // Zeros between the point and the first digit of a value below 1.
  const int fraction_digits = n - whole;
  out->append(static_cast<std::size_t>(fraction_length - fraction_digits), '0');
  out->append(digits + whole, static_cast<std::size_t>(fraction_digits));
}

void append_left(std::string* out, std::string_view text, std::size_t width) {
  if (text.size() >= width) {
    out->append(text.substr(0, width));
  } else {
    out->append(text);
    out->append(width - text.size(), ' ');
  }
}

void append_right(std::string* out, std::string_view text, std::size_t width) {
  if (text.size() >= width) {
    out->append(text.substr(0, width));
  } else {
    out->append(width - text.size(), ' ');
    out->append(text);
  }
}

FreeLine::FreeLine(std::string* out) : out_(out) { out_->push_back(' '); }

FreeLine& FreeLine::text(std::string_view item) {
  if (after_number_) out_->push_back(' ');
  out_->append(item);
  after_number_ = false;
  return *this;
}

FreeLine& FreeLine::integer(long long item) {
  append_int(out_, item, 12);
  after_number_ = true;
  return *this;
}

}  // namespace tallowgate
