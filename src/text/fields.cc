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

void put_stars(char* field, int width) {
  for (int i = 0; i < width; ++i) field[i] = '*';
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

void put_fixed(char* field, float value, int width, int decimals) {
  if (width <= 0) return;
  if (!std::isfinite(value) || decimals < 0 || decimals > 9) return put_stars(field, width);
  // A float has 24 significant bits and 10^9 needs 21 more for its odd part:
  // the product is exact in a double, so rounding it to an integer (ties to
  // even under the default rounding mode) rounds the float's exact value.
  const double scaled = std::fabs(static_cast<double>(value) * kPowersOfTen[decimals]);
  if (scaled >= 1e18) return put_stars(field, width);
  // Below 2^52, adding and taking away 2^52 rounds to an integer, ties to
  // even, without a library call.
  constexpr double kTwo52 = 4503599627370496.0;
  const double rounded = scaled < kTwo52 ? (scaled + kTwo52) - kTwo52 : std::nearbyint(scaled);
  const bool negative = value < 0;
  auto magnitude = static_cast<std::uint64_t>(rounded);

  // Built from the right: decimals, point, whole digits, sign.
  char* const end = field + width;
  char* p = end;
  const auto put = [&p, field](char c) {
    if (p == field) return false;
    *--p = c;
    return true;
  };
  for (int i = 0; i < decimals; ++i) {
    if (!put(static_cast<char>('0' + magnitude % 10))) return put_stars(field, width);
    magnitude /= 10;
  }
  if (decimals > 0 && !put('.')) return put_stars(field, width);
  const bool has_whole = magnitude != 0 || decimals == 0;
  if (has_whole) {
    do {
      if (!put(static_cast<char>('0' + magnitude % 10))) return put_stars(field, width);
      magnitude /= 10;
    } while (magnitude != 0);
  }
  // The 0 before the point of a value below 1, when there is room for it
  // beside the sign.
  if (!has_whole && p - field >= (negative ? 2 : 1)) *--p = '0';
  if (negative && !put('-')) return put_stars(field, width);
  while (p != field) *--p = ' ';
}

void append_fixed(std::string* out, float value, int width, int decimals) {
  if (width <= 0) return;
  const std::size_t at = out->size();
  out->resize(at + static_cast<std::size_t>(width));
  put_fixed(out->data() + at, value, width, decimals);
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
