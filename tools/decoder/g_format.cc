#include "g_format.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace tallowgate {
namespace {

// GCC and Clang have 128-bit integers; -Wpedantic is told they are meant.
__extension__ typedef unsigned __int128 U128;

// Six significant digits: the decimal `digits` (100000 to 999999) times 10^(exponent - 5).
struct SixDigits {
  std::uint32_t digits;
  int exponent;
};

constexpr int kMaxExactPower = 31;  // m * 10^31 still fits in 128 bits for a 24-bit m
constexpr int kMinFastExponent = -26;  // below this the value goes the slow way

constexpr std::array<U128, 39> make_powers_of_ten() {
  std::array<U128, 39> powers{};
  U128 p = 1;
  for (auto& slot : powers) {
    slot = p;
    p *= 10;
  }
  return powers;
}
constexpr std::array<U128, 39> kPowersOfTen = make_powers_of_ten();

// Nearest doubles of 10^-45 to 10^39, only for guessing the decimal exponent; the guess is checked.
constexpr int kGuessLow = -45;
constexpr std::array<double, 85> make_guess_table() {
  std::array<double, 85> table{};
  for (int i = 0; i < 85; ++i) {
    int x = i + kGuessLow;
    double p = 1.0;
    for (int n = 0; n < (x < 0 ? -x : x); ++n) p *= 10.0;
    table[static_cast<std::size_t>(i)] = x < 0 ? 1.0 / p : p;
  }
  return table;
}
constexpr std::array<double, 85> kGuessPowers = make_guess_table();

// How the part dropped by a division compares with one half.
enum class Dropped { kBelowHalf, kHalf, kAboveHalf };

Dropped compare_with_half(U128 twice_remainder, U128 divisor) {
  if (twice_remainder < divisor) return Dropped::kBelowHalf;
  return twice_remainder == divisor ? Dropped::kHalf : Dropped::kAboveHalf;
}

// floor(m * 2^e / 10^k) and what was dropped, exactly; false when the numbers would not fit.
bool divide_by_power_of_ten(std::uint32_t m, int e, int k, std::uint64_t* quotient, Dropped* dropped) {
  if (k < 0) {
    if (e >= 0 || -k > kMaxExactPower) return false;
    int shift = -e;
    if (-k <= 12 && shift < 64) {
      // m < 2^24 and 10^12 < 2^40: the product stays within 64 bits, the usual case.
      std::uint64_t scaled = m * static_cast<std::uint64_t>(kPowersOfTen[static_cast<std::size_t>(-k)]);
      *quotient = scaled >> shift;
      std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
      *dropped = compare_with_half(U128{rest} << 1, U128{1} << shift);
      return true;
    }
    if (shift >= 127) return false;
    U128 scaled = U128{m} * kPowersOfTen[static_cast<std::size_t>(-k)];
    *quotient = static_cast<std::uint64_t>(scaled >> shift);
    U128 rest = scaled & ((U128{1} << shift) - 1);
    *dropped = compare_with_half(rest << 1, U128{1} << shift);
    return true;
  }
  if (k >= static_cast<int>(kPowersOfTen.size())) return false;
  U128 numerator = m;
  U128 divisor = kPowersOfTen[static_cast<std::size_t>(k)];
  if (e >= 0) {
    if (e > 103) return false;
    numerator <<= e;
  } else {
    if (k > 19 || -e > 60) return false;
    divisor <<= -e;
  }
  U128 q = numerator / divisor;
  *quotient = static_cast<std::uint64_t>(q);
  *dropped = compare_with_half((numerator - q * divisor) << 1, divisor);
  return true;
}

// The digits of the correctly rounded %.5e text, for values the exact integer path does not reach.
SixDigits six_digits_slowly(double magnitude) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 5);
  // "d.ddddde-XX"
  std::uint32_t digits = static_cast<std::uint32_t>(text[0] - '0');
  for (int i = 2; i < 7; ++i) digits = digits * 10 + static_cast<std::uint32_t>(text[i] - '0');
  int exponent = 0;
  std::from_chars(text + 9, result.ptr, exponent);
  return {digits, text[8] == '-' ? -exponent : exponent};
}

SixDigits six_digits(float magnitude) {
  std::uint32_t bits = std::bit_cast<std::uint32_t>(magnitude);
  std::uint32_t biased = bits >> 23;
  if (biased == 0) return six_digits_slowly(static_cast<double>(magnitude));  // subnormal
  std::uint32_t m = (bits & 0x7fffffu) | 0x800000u;
  int e = static_cast<int>(biased) - 150;
  // magnitude lies in [2^(e+23), 2^(e+24)); 1233 / 4096 is log10(2) to five digits.
  int x = ((e + 23) * 1233) >> 12;
  if (x + 1 - kGuessLow < static_cast<int>(kGuessPowers.size()) &&
      static_cast<double>(magnitude) >= kGuessPowers[static_cast<std::size_t>(x + 1 - kGuessLow)]) {
    ++x;
  }
  if (x < kMinFastExponent) return six_digits_slowly(static_cast<double>(magnitude));
  std::uint64_t q = 0;
  Dropped dropped = Dropped::kBelowHalf;
  for (;;) {
    if (!divide_by_power_of_ten(m, e, x - 5, &q, &dropped)) {
      return six_digits_slowly(static_cast<double>(magnitude));
    }
    if (q < 100000) {
      --x;
    } else if (q >= 1000000) {
      ++x;
    } else {
      break;
    }
  }
  if (dropped == Dropped::kAboveHalf || (dropped == Dropped::kHalf && (q & 1) != 0)) ++q;
  if (q == 1000000) return {100000, x + 1};
  return {static_cast<std::uint32_t>(q), x};
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void put_pair(std::uint32_t n, char* out) { std::memcpy(out, kDigitPairs + 2 * n, 2); }

}  // namespace

char* append_g(float value, char* out) {
  std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  if ((bits & 0x80000000u) != 0) *out++ = '-';
  std::uint32_t magnitude_bits = bits & 0x7fffffffu;
  if (magnitude_bits >= 0x7f800000u) {
    std::memcpy(out, magnitude_bits == 0x7f800000u ? "inf" : "nan", 3);
    return out + 3;
  }
  if (magnitude_bits == 0) {
    *out = '0';
    return out + 1;
  }
  SixDigits six = six_digits(std::bit_cast<float>(magnitude_bits));
  char d[6];
  put_pair(six.digits / 10000, d);
  put_pair(six.digits / 100 % 100, d + 2);
  put_pair(six.digits % 100, d + 4);
  int count = 6;
  while (d[count - 1] == '0') --count;  // the first digit is never 0
  int x = six.exponent;
  if (x < -4 || x >= 6) {
    *out++ = d[0];
    if (count > 1) {
      *out++ = '.';
      std::memcpy(out, d + 1, static_cast<std::size_t>(count - 1));
      out += count - 1;
    }
    *out++ = 'e';
    *out++ = x < 0 ? '-' : '+';
    std::uint32_t a = static_cast<std::uint32_t>(x < 0 ? -x : x);
    put_pair(a, out);  // a float's decimal exponent never reaches 100
    return out + 2;
  }
  if (x < 0) {
    *out++ = '0';
    *out++ = '.';
    for (int z = -1; z > x; --z) *out++ = '0';
    std::memcpy(out, d, static_cast<std::size_t>(count));
    return out + count;
  }
  int whole = x + 1;
  if (count <= whole) {
    std::memcpy(out, d, static_cast<std::size_t>(whole));  // d holds zeros past `count`
    return out + whole;
  }
  std::memcpy(out, d, static_cast<std::size_t>(whole));
  out += whole;
  *out++ = '.';
  std::memcpy(out, d + whole, static_cast<std::size_t>(count - whole));
  return out + count - whole;
}

}  // namespace tallowgate
