// Reading an r2c file the way a model's reader does, in one streamed pass: the header keywords in any
// case and padding up to ":EndHeader", then the frames, each a ":Frame" line with its number, step and
// quoted time, xCount x yCount values split on blanks over any number of lines, and an end line. Every
// departure from what such a reader needs is recorded as a problem with its line number.
#ifndef TALLOWGATE_TOOLS_R2C_LOOK_R2C_SCAN_H_
#define TALLOWGATE_TOOLS_R2C_LOOK_R2C_SCAN_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallowgate::look {

// What the header says. Numbers that were missing or unreadable stay at their defaults; the problems
// say which.
struct R2cHeader {
  std::string name;        // ":Name", else the first ":AttributeName", trimmed; may be empty
  std::string units;       // ":AttributeUnits" without an attribute index, trimmed
  std::string projection;  // ":Projection", trimmed
  std::string written_by;  // ":WrittenBy", trimmed
  int x_count = 0, y_count = 0;
  double x_origin = 0, y_origin = 0, x_delta = 0, y_delta = 0;
  bool has_extent = false;  // an ":xExtent" or ":yExtent" line
  int attributes = 1;       // ":AttributeName" lines, at least 1: values per cell and frame
  long end_line = 0;        // the line number of ":EndHeader", 0 when there is none

  std::int64_t cells() const { return static_cast<std::int64_t>(x_count) * y_count; }
};

// A frame's time, as written and as seconds from 0001-01-01 for comparisons.
struct FrameTime {
  std::string text;  // inside the quotes, e.g. "2025/08/24  06:00"
  std::int64_t seconds = 0;
  bool valid = false;
};

struct FrameInfo {
  long line = 0;   // the frame line's number (the header's end for a static field)
  int number = 0;  // as written; 1 for a static field
  int step = 0;
  FrameTime time;
  bool is_static = false;  // values right after the header, without a frame line
};

struct Problem {
  long line = 0;  // 0 when the problem belongs to no one line (an empty file)
  std::string text;
};

// Receives the file's parts as the scan reaches them. `values` holds the frame's values in file order
// (cells() x attributes of them when the frame is whole); an entry that was not a number holds NaN. The
// buffer is reused for the next frame.
class R2cVisitor {
 public:
  virtual ~R2cVisitor() = default;
  virtual void on_header(const R2cHeader& header) { (void)header; }
  virtual void on_frame(const FrameInfo& frame, const std::vector<float>& values) {
    (void)frame;
    (void)values;
  }
  // True once the visitor needs nothing more: the scan of a file then stops at the end of the block it
  // is in, and its problems stand only for the part read.
  virtual bool done() const { return false; }
  // Called now and then with the share of the file read so far, 0 to 1, and the frames seen.
  virtual void on_progress(double share, int frames) {
    (void)share;
    (void)frames;
  }
};

struct ScanResult {
  bool opened = false;  // false: the file could not be read, the reason in `error`
  std::string error;
  R2cHeader header;
  int frames = 0;
  std::vector<Problem> problems;  // in line order
  long lines = 0;
  bool stopped = false;  // the visitor was done before the end of the file
};

// Reads the file at `path` in large blocks, without holding more than one frame. Problems of the same
// frame's values are listed up to a few, the rest counted in one more problem.
ScanResult scan_r2c_file(const std::string& path, R2cVisitor* visitor);

// The same for a text in memory, for tests.
ScanResult scan_r2c_text(std::string_view text, R2cVisitor* visitor);

}  // namespace tallowgate::look

#endif  // TALLOWGATE_TOOLS_R2C_LOOK_R2C_SCAN_H_
