// The console lines a run writes for each selected file, built the way the
// program lays them out, for the end-to-end tests that follow a file pass.
#ifndef TALLOWGATE_TESTS_E2E_EXPECTED_CONSOLE_H_
#define TALLOWGATE_TESTS_E2E_EXPECTED_CONSOLE_H_

#include <cstdio>
#include <string>

namespace tallowgate::e2e {

// The line of asterisks that opens each file's pass.
inline const std::string kStars = " " + std::string(54, '*') + "\n";
// What the copying test decoder writes when it leaves a dump.
inline const std::string kDecoderSays = "1:0:d=2025082400\n";
// The banner that opens and closes every run.
inline const std::string kBanner =
    " ***************************\n"
    " * Program tallowgate      *\n"
    " * Compile date 2025-08-24 *\n"
    " ***************************\n";
// The empty line of the run report's end entry, then the closing banner.
inline const std::string kClosing = "\n" + kBanner;

// `text` cut or blank-padded to `width` characters.
inline std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text.substr(0, width) : text + std::string(width - text.size(), ' ');
}

inline std::string int12(long long value) {
  const std::string digits = std::to_string(value);
  return std::string(12 - digits.size(), ' ') + digits;
}

inline std::string int5(int value) {
  const std::string digits = std::to_string(value);
  return std::string(5 - digits.size(), ' ') + digits;
}

inline std::string two(int value) {
  std::string digits = std::to_string(value);
  if (digits.size() < 2) digits.insert(digits.begin(), '0');
  return digits;
}

// The dump the decoder writes for a file of this valid time (hour as read).
inline std::string dump_name(int year, int month, int day, int hour) {
  char hhh[4];
  std::snprintf(hhh, sizeof hhh, "%03d", hour);
  return "temp_" + std::to_string(year) + two(month) + two(day) + hhh + ".txt";
}

// The console of one file's pass up to its decoder run: the asterisks, the
// "Processing file #" line, the five echoes and the decoder command, then
// what the copying decoder says when `decoder_speaks`.
inline std::string announce(int index, int count, int year, int month, int day, int hour,
                            const std::string& file, bool decoder_speaks = true) {
  std::string text = kStars + "Processing file #" + int5(index) + "/" + int5(count) + "  " +
                     std::to_string(year) + " " + two(month) + " " + two(day) + " " + two(hour) + "Z\n";
  const std::string dump = dump_name(year, month, day, hour);
  text += " wgrib2                 \n  -text\n " + dump + "\n" + " " + int12(index) + "\n " +
          padded(file, 72) + "\n";
  text += " " + padded("wgrib2  -text  " + dump + "  " + file, 116) + "\n";
  if (decoder_speaks) text += kDecoderSays;
  return text;
}

// The dump's count line.
inline std::string counts(int x, int y) { return " xcount= " + int12(x) + "  ycount= " + int12(y) + "\n"; }

// The lines of a pass whose decoder left no grid: zero counts, then the bad
// frame line naming the dump.
inline std::string no_grid(int year, int month, int day, int hour) {
  return counts(0, 0) + " Found bad frame in " + dump_name(year, month, day, hour) + "\n";
}

}  // namespace tallowgate::e2e

#endif  // TALLOWGATE_TESTS_E2E_EXPECTED_CONSOLE_H_
