// Reading an r2c file back into its header lines and frames, and laying out
// the value rows a frame should hold, for the end-to-end tests that convert
// GRIB2 files with the project's decoder. The expected rows are built with
// printf, independently of the program's own field writers.
#ifndef TALLOWGATE_TESTS_E2E_DECODER_R2C_FRAMES_H_
#define TALLOWGATE_TESTS_E2E_DECODER_R2C_FRAMES_H_

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tallowgate::e2e {

struct R2cFrame {
  std::string_view line;               // the ":frame" line
  std::vector<std::string_view> rows;  // the value rows, in file order
  bool ended = false;                  // closed by its "EndFrame" line
};

// An r2c file cut at its lines. Views point into the text given to read_r2c,
// which must outlive this.
struct R2cFile {
  std::vector<std::string_view> header;  // up to and including ":EndHeader"
  std::vector<R2cFrame> frames;
  int bare_end_lines = 0;               // "EndFrame" lines that close no frame
  std::vector<std::string_view> stray;  // lines after the header outside any frame
  bool ends_with_line_end = false;
};

inline R2cFile read_r2c(std::string_view text) {
  R2cFile file;
  file.ends_with_line_end = !text.empty() && text.back() == '\n';
  bool in_header = true;
  R2cFrame* open = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (in_header) {
      file.header.push_back(line);
      if (line.starts_with(":EndHeader")) in_header = false;
      continue;
    }
    if (line.starts_with(":frame")) {
      if (open != nullptr) file.stray.push_back("(frame not ended before the next)");
      file.frames.push_back(R2cFrame{line, {}, false});
      open = &file.frames.back();
    } else if (line == "EndFrame") {
      if (open == nullptr) {
        ++file.bare_end_lines;
      } else {
        open->ended = true;
        open = nullptr;
      }
    } else if (open != nullptr) {
      open->rows.push_back(line);
    } else {
      file.stray.push_back(line);
    }
  }
  return file;
}

// The header line that starts with `label`, or "(no LABEL line)".
inline std::string header_line(const R2cFile& file, std::string_view label) {
  for (std::string_view line : file.header) {
    if (line.starts_with(label) && (line.size() == label.size() || line[label.size()] == ' ')) {
      return std::string(line);
    }
  }
  return "(no " + std::string(label) + " line)";
}

// An integer header item: the label in 20 columns, the number right-aligned in 16.
inline std::string count_line(std::string_view label, int count) {
  std::string line(label);
  line.resize(20, ' ');
  const std::string digits = std::to_string(count);
  line.append(16 - digits.size(), ' ');
  return line + digits;
}

// The ":Name" line: the label in 20 columns, then the name stored in
// `stored` columns, right-aligned in 20.
inline std::string name_line(std::string_view name, std::size_t stored) {
  std::string line = ":Name";
  line.resize(20 + 20 - stored, ' ');
  line += name;
  line.resize(40, ' ');
  return line;
}

// ":frame", the number twice in 5 columns, then the quoted valid time.
inline std::string frame_line(int number, int year, int month, int day, int hour) {
  char line[64];
  std::snprintf(line, sizeof line, ":frame%5d%5d     \"%04d/%02d/%02d  %02d:00\"", number, number, year,
                month, day, hour);
  return line;
}

// Appends one field as a frame writes it: the value capped at `cap` (a value
// that is not a number gives the cap), in fixed notation with `decimals` in 8
// columns, or eight asterisks when it needs more.
inline void append_expected_field(std::string* row, float value, float cap, int decimals) {
  const float written = std::isnan(value) || value > cap ? cap : value;
  char field[64];
  const int length = std::snprintf(field, sizeof field, "%8.*f", decimals, static_cast<double>(written));
  if (length > 8) {
    row->append(8, '*');
  } else {
    row->append(field, 8);
  }
}

// Compares a written value row with the expected one field by field and
// describes the first few differences ("" when they are equal). `row_label`
// names the row in the description; fields are numbered from 0.
inline std::string row_differences(std::string_view written, std::string_view expected,
                                   const std::string& row_label) {
  if (written == expected) return "";
  std::string text = row_label + ":";
  if (written.size() != expected.size()) {
    text += " " + std::to_string(written.size()) + " characters, expected " +
            std::to_string(expected.size()) + ";";
  }
  int shown = 0;
  for (std::size_t at = 0; at < expected.size() && shown < 4; at += 8) {
    const std::string_view want = expected.substr(at, 8);
    const std::string_view got = at < written.size() ? written.substr(at, 8) : std::string_view();
    if (want == got) continue;
    text += " column " + std::to_string(at / 8) + " [" + std::string(got) + "] expected [" +
            std::string(want) + "];";
    ++shown;
  }
  return text;
}

}  // namespace tallowgate::e2e

#endif  // TALLOWGATE_TESTS_E2E_DECODER_R2C_FRAMES_H_
