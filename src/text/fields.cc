#include "text/fields.h"

#include <cmath>
#include <cstdint>
#include <cstring>

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

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// Lays out `magnitude` with `decimals` places before `end`, two digits at a
// time; returns the first character. *has_whole tells whether digits stand
// before the point.
template <typename Unsigned>
char* lay_out_digits(Unsigned magnitude, int decimals, char* end, bool* has_whole) {
  char* p = end;
  const auto put_pair = [&p](Unsigned pair) {
    p -= 2;
    std::memcpy(p, kDigitPairs + 2 * pair, 2);
  };
  int left = decimals;
  for (; left >= 2; left -= 2) {
    put_pair(magnitude % 100);
    magnitude /= 100;
  }
  if (left == 1) {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  if (decimals > 0) *--p = '.';
  *has_whole = magnitude != 0 || decimals == 0;
  if (*has_whole) {
    for (; magnitude >= 100; magnitude /= 100) put_pair(magnitude % 100);
    if (magnitude >= 10) {
      put_pair(magnitude);
    } else {
      *--p = static_cast<char>('0' + magnitude);
    }
  }
  return p;
}

// The field of a frame value, 8 columns, for a scaled magnitude below 10^7:
// the number laid out from the right of eight blanks with the 0 before the
// point of a value below 1, then the sign; asterisks when the sign finds no
// room. Written out for each number of decimals, as this is the one field
// written for every value of every frame.
template <int kDecimals>
void put_frame_field(char* field, std::uint32_t magnitude, bool negative) {
  char text[8];
  std::memset(text, ' ', sizeof text);
  char* p = text + 8;
  const auto put_pair = [&p](std::uint32_t pair) {
    p -= 2;
    std::memcpy(p, kDigitPairs + 2 * pair, 2);
  };
  if constexpr (kDecimals == 4) {
    const std::uint32_t fraction = magnitude % 10000;
    magnitude /= 10000;
    put_pair(fraction % 100);
    put_pair(fraction / 100);
  } else {
    put_pair(magnitude % 100);
    magnitude /= 100;
  }
  *--p = '.';
  while (magnitude >= 100) {
    put_pair(magnitude % 100);
    magnitude /= 100;
  }
  if (magnitude >= 10) {
    put_pair(magnitude);
  } else {
    *--p = static_cast<char>('0' + magnitude);
  }
  if (negative) {
    if (p == text) return put_stars(field, 8);
    *--p = '-';
  }
  std::memcpy(field, text, 8);
}

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
  // A stored negative zero keeps its sign, as every negative value that
  // rounds to zero does.
  const bool negative = std::signbit(value);

  if (width == 8 && rounded < 1e7) {
    if (decimals == 4) return put_frame_field<4>(field, static_cast<std::uint32_t>(rounded), negative);
    if (decimals == 2) return put_frame_field<2>(field, static_cast<std::uint32_t>(rounded), negative);
  }
  // The number is laid out from the right of a blank buffer, two digits at a
  // time (decimals, point, whole digits, the 0 of a value below 1 when there
  // is room for it, sign), and the field is the buffer's last `width` bytes.
  constexpr int kRoom = 40;
  char text[kRoom];
  std::memset(text, ' ', sizeof text);
  char* const end = text + kRoom;
  bool has_whole = false;
  // Nearly every value of a frame fits 32 bits once scaled, and 32-bit
  // division is the cheaper one.
  char* p = rounded < 4294967296.0
                ? lay_out_digits(static_cast<std::uint32_t>(rounded), decimals, end, &has_whole)
                : lay_out_digits(static_cast<std::uint64_t>(rounded), decimals, end, &has_whole);
  const int sign = negative ? 1 : 0;
  const auto length = static_cast<int>(end - p);
  if (length + sign > width) return put_stars(field, width);
  if (!has_whole && length + sign < width) *--p = '0';
  if (negative) *--p = '-';
  if (width == 8) {  // every value of a frame: one fixed-size move
    std::memcpy(field, end - 8, 8);
  } else if (width <= kRoom) {
    std::memcpy(field, end - width, static_cast<std::size_t>(width));
  } else {
    std::memset(field, ' ', static_cast<std::size_t>(width - kRoom));
    std::memcpy(field + (width - kRoom), text, kRoom);
  }
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
