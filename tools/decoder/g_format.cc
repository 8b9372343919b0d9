#include "g_format.h"

#include <array>
#include <bit>
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

// A float is m x 2^e with m < 2^24. Its six digits are floor(m x 2^e / 10^k) for k = exponent - 5,
// rounded by what the division drops; every path below does that division exactly. Whether it
// drops more or less than a half is as good as random, so it is kept out of branches.
struct Dropped {
  bool above_half = false;
  bool half = false;
};

template <typename Int>
Dropped compare_with_half(Int twice_remainder, Int divisor) {
  return {twice_remainder > divisor, twice_remainder == divisor};
}

constexpr std::array<U128, 39> make_powers_of_ten() {
  std::array<U128, 39> powers{};
  U128 p = 1;
  for (std::size_t i = 0; i < powers.size(); ++i, p *= 10) powers[i] = p;
  return powers;
}
constexpr std::array<U128, 39> kPowersOfTen = make_powers_of_ten();

constexpr std::array<double, 39> make_double_powers() {
  std::array<double, 39> powers{};
  double p = 1;
  for (std::size_t i = 0; i < powers.size(); ++i, p *= 10) powers[i] = p;
  return powers;
}
constexpr std::array<double, 39> kDoublePowers = make_double_powers();  // only estimates past 10^22

// 10^n up to 10^52 in three 64-bit limbs, lowest first: the tiniest floats need m x 10^51.
struct Wide {
  std::uint64_t limb[3];
};
constexpr std::array<Wide, 53> make_wide_powers() {
  std::array<Wide, 53> powers{};
  Wide p = {{1, 0, 0}};
  for (Wide& slot : powers) {
    slot = p;
    U128 carry = 0;
    for (std::uint64_t& limb : p.limb) {
      U128 t = U128{limb} * 10 + carry;
      limb = static_cast<std::uint64_t>(t);
      carry = t >> 64;
    }
  }
  return powers;
}
constexpr std::array<Wide, 53> kWidePowers = make_wide_powers();

// Nearest doubles of 10^-45 to 10^39, to guess the decimal exponent; the division checks the guess.
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

// floor(m x 10^n / 2^shift) for m x 10^n below 2^192, the small values' case.
std::uint64_t shift_wide(std::uint32_t m, int n, int shift, Dropped* dropped) {
  const Wide& p = kWidePowers[static_cast<std::size_t>(n)];
  U128 t0 = U128{m} * p.limb[0];
  U128 t1 = U128{m} * p.limb[1] + (t0 >> 64);
  U128 t2 = U128{m} * p.limb[2] + (t1 >> 64);
  U128 low = t1 << 64 | static_cast<std::uint64_t>(t0);
  std::uint64_t high = static_cast<std::uint64_t>(t2);  // the product is high x 2^128 + low
  std::uint64_t quotient = shift >= 128
                               ? high >> (shift - 128)
                               : static_cast<std::uint64_t>(low >> shift | U128{high} << (128 - shift));
  int half = shift - 1;
  bool half_bit = false;
  bool below_half = false;
  if (half >= 128) {
    half_bit = (high >> (half - 128) & 1) != 0;
    below_half = low != 0 || (high & ((std::uint64_t{1} << (half - 128)) - 1)) != 0;
  } else {
    half_bit = (low >> half & 1) != 0;
    below_half = (low & ((U128{1} << half) - 1)) != 0;
  }
  *dropped = {half_bit && below_half, half_bit && !below_half};
  return quotient;
}

// floor(m x 2^e / 10^k), and what it drops.
std::uint64_t divide_by_power_of_ten(std::uint32_t m, int e, int k, Dropped* dropped) {
  if (k < 0) {
    // Values below 10^5 have fractional bits: e < 0.
    int n = -k;
    int shift = -e;
    if (n <= 12 && shift < 64) {
      // m < 2^24 and 10^12 < 2^40: the product stays within 64 bits, the usual case.
      std::uint64_t scaled = m * static_cast<std::uint64_t>(kPowersOfTen[static_cast<std::size_t>(n)]);
      std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
      *dropped = compare_with_half<std::uint64_t>(rest << 1, std::uint64_t{1} << shift);
      return scaled >> shift;
    }
    if (n <= 31 && shift < 127) {
      U128 scaled = U128{m} * kPowersOfTen[static_cast<std::size_t>(n)];
      U128 rest = scaled & ((U128{1} << shift) - 1);
      *dropped = compare_with_half<U128>(rest << 1, U128{1} << shift);
      return static_cast<std::uint64_t>(scaled >> shift);
    }
    return shift_wide(m, n, shift, dropped);
  }
  if (e < 0) {
    // 10^4 <= value < 2^24: k is at most 3 and the shift at most 11.
    int shift = -e;
    std::uint64_t whole = m >> shift;
    std::uint64_t quotient = 0;
    switch (k) {  // constant divisors, which become multiplications
      case 0:
        quotient = whole;
        break;
      case 1:
        quotient = whole / 10;
        break;
      case 2:
        quotient = whole / 100;
        break;
      case 3:
        quotient = whole / 1000;
        break;
      default:
        quotient = whole / static_cast<std::uint64_t>(kPowersOfTen[static_cast<std::size_t>(k)]);
    }
    std::uint64_t divisor = static_cast<std::uint64_t>(kPowersOfTen[static_cast<std::size_t>(k)]) << shift;
    *dropped = compare_with_half<std::uint64_t>((m - quotient * divisor) << 1, divisor);
    return quotient;
  }
  // Whole numbers from 2^23 up: the quotient is estimated in double, then made exact.
  U128 numerator = U128{m} << e;
  U128 divisor = kPowersOfTen[static_cast<std::size_t>(k)];
  double estimate =
      static_cast<double>(m) * static_cast<double>(U128{1} << e) / kDoublePowers[static_cast<std::size_t>(k)];
  std::uint64_t quotient = static_cast<std::uint64_t>(estimate);
  U128 product = 0;
  while (__builtin_mul_overflow(U128{quotient}, divisor, &product) || product > numerator) --quotient;
  U128 rest = numerator - product;
  while (rest >= divisor) {
    ++quotient;
    rest -= divisor;
  }
  *dropped = compare_with_half<U128>(rest << 1, divisor);  // divisor < 2^127
  return quotient;
}

SixDigits six_digits(std::uint32_t magnitude_bits) {
  std::uint32_t biased = magnitude_bits >> 23;
  std::uint32_t m = magnitude_bits & 0x7fffffu;
  int e = -149;
  if (biased != 0) {
    m |= 0x800000u;
    e = static_cast<int>(biased) - 150;
  }
  // The value lies in [2^top, 2^(top+1)); 1233 / 4096 is log10(2) to five digits.
  int top = e + static_cast<int>(std::bit_width(m)) - 1;
  int x = (top * 1233) >> 12;
  double magnitude = static_cast<double>(std::bit_cast<float>(magnitude_bits));
  if (magnitude >= kGuessPowers[static_cast<std::size_t>(x + 1 - kGuessLow)]) ++x;
  std::uint64_t q = 0;
  Dropped dropped;
  for (;;) {
    q = divide_by_power_of_ten(m, e, x - 5, &dropped);
    if (q < 100000) {
      --x;
    } else if (q >= 1000000) {
      ++x;
    } else {
      break;
    }
  }
  q += static_cast<std::uint64_t>(dropped.above_half | (dropped.half & ((q & 1) != 0)));
  if (q == 1000000) return {100000, x + 1};
  return {static_cast<std::uint32_t>(q), x};
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void put_pair(std::uint32_t n, char* out) { std::memcpy(out, kDigitPairs + 2 * n, 2); }

std::uint64_t pair_of(std::uint32_t n) {
  std::uint16_t pair = 0;
  std::memcpy(&pair, kDigitPairs + 2 * n, 2);
  return pair;
}

// Text is laid down in whole 8-byte stores; the bytes past the text's end are scratch.
void put8(char* out, std::uint64_t bytes) { std::memcpy(out, &bytes, 8); }

static_assert(std::endian::native == std::endian::little, "digits are packed first byte lowest");

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
  SixDigits six = six_digits(magnitude_bits);
  // The six digits and two '0's as eight characters, built in a register: stores of the pairs read
  // back as one word would stall.
  std::uint64_t digits = pair_of(six.digits / 10000) | pair_of(six.digits / 100 % 100) << 16 |
                         pair_of(six.digits % 100) << 32 | std::uint64_t{0x3030} << 48;
  // Up to the last digit that is not 0; the first never is.
  int count = static_cast<int>(std::bit_width(digits - 0x3030303030303030u) + 7) / 8;

  int x = six.exponent;
  if (x < -4 || x >= 6) {
    out[0] = static_cast<char>(digits & 0xff);
    if (count > 1) {
      out[1] = '.';
      put8(out + 2, digits >> 8);
      out += count + 1;
    } else {
      out += 1;
    }
    std::uint32_t a = static_cast<std::uint32_t>(x < 0 ? -x : x);  // below 100 for any float
    out[0] = 'e';
    out[1] = x < 0 ? '-' : '+';
    put_pair(a, out + 2);
    return out + 4;
  }
  if (x < 0) {
    put8(out, 0x3030303030302e30u);  // "0.000000"
    out += 1 - x;
    put8(out, digits);
    return out + count;
  }
  int whole = x + 1;
  put8(out, digits);
  if (count <= whole) return out + whole;
  out[whole] = '.';
  put8(out + whole + 1, digits >> (8 * whole));
  return out + count + 1;
}

}  // namespace tallowgate
