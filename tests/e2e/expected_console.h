// The console lines a run writes for each selected file and the lines of its
// r2c file, built the way the program lays them out, for the end-to-end tests
// that follow a file pass.
#ifndef TALLOWGATE_TESTS_E2E_EXPECTED_CONSOLE_H_
#define TALLOWGATE_TESTS_E2E_EXPECTED_CONSOLE_H_

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_tree.h"

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

// The asterisks and the "Processing file #" line that open every file's
// pass; all a pass shows for a listed file that is no longer there.
inline std::string progress(int index, int count, int year, int month, int day, int hour) {
  // An hour of three digits fills its field: no blank before it.
  return kStars + "Processing file #" + int5(index) + "/" + int5(count) + "  " + std::to_string(year) + " " +
         two(month) + " " + two(day) + (hour < 100 ? " " + two(hour) : std::to_string(hour)) + "Z\n";
}

// The console of one file's pass up to its decoder run: the asterisks, the
// "Processing file #" line, the five echoes and the decoder command, then
// what the copying decoder says when `decoder_speaks`.
inline std::string announce(int index, int count, int year, int month, int day, int hour,
                            const std::string& file, bool decoder_speaks = true) {
  std::string text = progress(index, count, year, month, day, hour);
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

// The two console lines written with the r2c header, at the tree's frozen clock.
inline const std::string kHeaderInfo = "    Info:   runtime    12:30:45\n    Info:   rundate  2025-08-24\n";
inline const std::string kEndHeader = ":EndHeader          \n";

// The r2c header of `code` for a grid of `columns` by `rows`, written at the
// tree's frozen clock: the golden header of the code with its counts and
// creation date put in.
inline std::string golden_header(const std::string& code, int columns, int rows) {
  std::string text =
      E2eTree::read_file(std::filesystem::path(TALLOWGATE_GOLDEN_DIR) / "header" / (code + "_935x824.r2c"));
  const auto put_line = [&text](const std::string& label, const std::string& line) {
    const std::size_t at = text.find("\n" + label + " ");
    if (at == std::string::npos) return;
    const std::size_t end = text.find('\n', at + 1);
    text.replace(at + 1, end - at - 1, line);
  };
  const auto count = [](int value) {
    const std::string digits = std::to_string(value);
    return std::string(16 - digits.size(), ' ') + digits;
  };
  put_line(":CreationDate", padded(":CreationDate", 20) + "2025-08-24  12:30");
  put_line(":xCount", padded(":xCount", 20) + count(columns));
  put_line(":yCount", padded(":yCount", 20) + count(rows));
  return text;
}

// A dump of the decoder's layout: the counts, then one value per line.
inline std::string dump_text(int columns, int rows, const std::vector<std::string>& values) {
  std::string text = std::to_string(columns) + " " + std::to_string(rows) + "\n";
  for (const std::string& v : values) text += v + "\n";
  return text;
}

inline std::string frame_line(int number, int year, int month, int day, int hour) {
  return ":frame" + int5(number) + int5(number) + "     \"" + std::to_string(year) + "/" + two(month) + "/" +
         two(day) + "  " + two(hour) + ":00\"\n";
}

inline std::string finished(int index) { return " Finished writing frame" + int12(index) + "\n"; }

// The console from the first file's line of asterisks to the end.
inline std::string from_first_file(const std::string& out) {
  const std::size_t at = out.find(kStars);
  return at == std::string::npos ? "(no file pass)\n" + out : out.substr(at);
}

// What the r2c file holds before its header, and after it.
struct R2cParts {
  std::string before_header;
  bool has_header = false;
  std::string after_header;
};

inline R2cParts split_r2c(const std::string& r2c) {
  R2cParts parts;
  const std::size_t start = r2c.find(std::string(40, '#') + "\n");
  const std::size_t end = r2c.find(kEndHeader);
  if (start == std::string::npos || end == std::string::npos) {
    parts.before_header = r2c;
    return parts;
  }
  parts.before_header = r2c.substr(0, start);
  parts.has_header = true;
  parts.after_header = r2c.substr(end + kEndHeader.size());
  return parts;
}

}  // namespace tallowgate::e2e

#endif  // TALLOWGATE_TESTS_E2E_EXPECTED_CONSOLE_H_
