#include "g_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tallowgate {
namespace {

// Sanitized builds run each sweep over a fraction of its floats.
#ifdef DECODER_SWEEP_DIVISOR
constexpr std::uint64_t kSweepDivisor = DECODER_SWEEP_DIVISOR;
#else
constexpr std::uint64_t kSweepDivisor = 1;
#endif

std::string formatted(float value) {
  char text[kGScratchChars];
  char* end = append_g(value, text);
  return std::string(text, end);
}

std::string printed(float value) {
  char text[64];
  int n = std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return std::string(text, static_cast<std::size_t>(n));
}

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

// Compares with printf over `values`; fails naming the first few floats that differ.
class Sweep {
 public:
  explicit Sweep(const char* name) : name_(name) {}
  ~Sweep() { EXPECT_EQ(mismatches_, 0u) << name_ << ": " << checked_ << " floats checked"; }
  void check(float value) {
    ++checked_;
    char mine[kGScratchChars];
    char* end = append_g(value, mine);
    char theirs[64];
    int n = std::snprintf(theirs, sizeof theirs, "%g", static_cast<double>(value));
    if (end - mine == n && std::equal(mine, end, theirs)) return;
    if (++mismatches_ <= 10) {
      ADD_FAILURE() << name_ << ": bits 0x" << std::hex << std::bit_cast<std::uint32_t>(value) << " printf \""
                    << std::string(theirs, static_cast<std::size_t>(n)) << "\" append_g \""
                    << std::string(mine, end) << "\"";
    }
  }
  void check_bits(std::uint32_t first, std::uint32_t last, std::uint32_t step) {
    for (std::uint64_t b = first; b <= last; b += step) check(from_bits(static_cast<std::uint32_t>(b)));
  }

 private:
  const char* name_;
  std::uint64_t checked_ = 0;
  std::uint64_t mismatches_ = 0;
};

TEST(GFormat, WritesPrintfTextForExamples) {
  struct Case {
    float value;
    const char* text;
  };
  const Case cases[] = {
      {0.0f, "0"},
      {-0.0f, "-0"},
      {1.0f, "1"},
      {-1.5f, "-1.5"},
      {273.15f, "273.15"},
      {287.501f, "287.501"},
      {1e-5f, "1e-05"},
      {0.0001f, "0.0001"},
      {0.00012345f, "0.00012345"},
      {0.1f, "0.1"},
      {100000.0f, "100000"},
      {123456.0f, "123456"},
      {999999.0f, "999999"},
      {999999.5f, "1e+06"},   // a tie, rounded up to the even 1000000
      {999998.5f, "999998"},  // a tie, rounded down to the even digit
      {1000000.0f, "1e+06"},
      {1234565.0f, "1.23456e+06"},  // a tie, to even
      {1234575.0f, "1.23458e+06"},  // a tie, to even
      {1.2345678e7f, "1.23457e+07"},
      {9.999e20f, "9.999e+20"},
      {-9.999e20f, "-9.999e+20"},
      {std::numeric_limits<float>::max(), "3.40282e+38"},
      {std::numeric_limits<float>::min(), "1.17549e-38"},
      {std::numeric_limits<float>::denorm_min(), "1.4013e-45"},
      {-std::numeric_limits<float>::denorm_min(), "-1.4013e-45"},
      {std::numeric_limits<float>::infinity(), "inf"},
      {-std::numeric_limits<float>::infinity(), "-inf"},
      {std::numeric_limits<float>::quiet_NaN(), "nan"},
      {-std::numeric_limits<float>::quiet_NaN(), "-nan"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(formatted(c.value), c.text);
    EXPECT_EQ(printed(c.value), c.text);  // the table itself says what printf says
  }
}

TEST(GFormat, MatchesPrintfAroundPowersOfTen) {
  Sweep sweep("powers of ten");
  for (int x = -45; x <= 38; ++x) {
    std::string literal = "1e" + std::to_string(x);
    float nearest = std::strtof(literal.c_str(), nullptr);
    std::uint32_t bits = std::bit_cast<std::uint32_t>(nearest);
    for (std::uint32_t b = bits > 64 ? bits - 64 : 0; b <= bits + 64 && b < 0x7f800000u; ++b) {
      sweep.check(from_bits(b));
      sweep.check(-from_bits(b));
    }
    // Values that round up to the next power: 9.999995 x 10^x and around.
    float below = std::strtof(("9.999995e" + std::to_string(x - 1)).c_str(), nullptr);
    std::uint32_t below_bits = std::bit_cast<std::uint32_t>(below);
    for (std::uint32_t b = below_bits > 64 ? below_bits - 64 : 0; b <= below_bits + 64; ++b) {
      sweep.check(from_bits(b));
    }
  }
}

// Six-digit ties exist only in [10^5, 10^8): q + 0.5, odd multiples of 5 and of 50 that fit 24 bits.
TEST(GFormat, RoundsExactTiesToEvenLikePrintf) {
  Sweep sweep("ties");
  auto check_around = [&sweep](float tie) {
    std::uint32_t bits = std::bit_cast<std::uint32_t>(tie);
    sweep.check(from_bits(bits - 1));
    sweep.check(tie);
    sweep.check(from_bits(bits + 1));
    sweep.check(-tie);
  };
  for (std::uint64_t q = 100000; q < 1000000; q += kSweepDivisor) {
    check_around(static_cast<float>(q) + 0.5f);
    check_around(static_cast<float>((2 * q + 1) * 5));
    if ((2 * q + 1) * 25 < (1u << 24)) check_around(static_cast<float>((2 * q + 1) * 50));
  }
}

TEST(GFormat, MatchesPrintfOnRandomBitPatterns) {
  Sweep sweep("random bits");
  std::mt19937 random(20240612);
  for (std::uint64_t n = 0; n < 4000000 / kSweepDivisor; ++n)
    sweep.check(from_bits(static_cast<std::uint32_t>(random())));
}

TEST(GFormat, MatchesPrintfAcrossTheWholeRange) {
  Sweep sweep("whole range");
  sweep.check_bits(0, 0x7f800000u, static_cast<std::uint32_t>(509 * kSweepDivisor));
  sweep.check_bits(0x80000000u, 0xff800000u, static_cast<std::uint32_t>(1021 * kSweepDivisor));
  sweep.check_bits(0, 0x007fffffu, static_cast<std::uint32_t>(61 * kSweepDivisor));       // subnormals
  sweep.check_bits(0x7f7f0000u, 0x7f7fffffu, static_cast<std::uint32_t>(kSweepDivisor));  // the largest
}

// Every float of the ranges weather fields live in: temperatures in kelvin, small amounts, fractions.
TEST(GFormat, MatchesPrintfOnEveryFloatOfCommonRanges) {
  Sweep sweep("common ranges");
  auto every_float = [&sweep](float low, float high) {
    sweep.check_bits(std::bit_cast<std::uint32_t>(low), std::bit_cast<std::uint32_t>(high),
                     static_cast<std::uint32_t>(kSweepDivisor));
  };
  every_float(200.0f, 330.0f);
  every_float(1e-5f, 2e-5f);
  every_float(0.09f, 0.11f);
  every_float(99000.0f, 101000.0f);  // fixed and exponent notation meet at 10^5 and 10^6
  every_float(999000.0f, 1001000.0f);
}

// All 2^32 bit patterns: minutes of work, run by hand with --gtest_also_run_disabled_tests.
TEST(GFormat, DISABLED_MatchesPrintfOnEveryFloat) {
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::uint64_t> mismatches(threads);
  std::vector<std::uint32_t> first_bad(threads);
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([t, threads, &mismatches, &first_bad] {
      for (std::uint64_t b = t; b <= 0xffffffffu; b += threads) {
        float value = from_bits(static_cast<std::uint32_t>(b));
        if (formatted(value) != printed(value) && mismatches[t]++ == 0) {
          first_bad[t] = static_cast<std::uint32_t>(b);
        }
      }
    });
  }
  for (std::thread& w : workers) w.join();
  for (unsigned t = 0; t < threads; ++t) {
    EXPECT_EQ(mismatches[t], 0u) << "first at bits 0x" << std::hex << first_bad[t];
  }
}

}  // namespace
}  // namespace tallowgate
