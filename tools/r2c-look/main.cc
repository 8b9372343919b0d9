// r2c-look: checks an r2c file the way a model reads it, summarises its frames, and draws frames as PNG
// pictures.
//
//   r2c-look check FILE.r2c
//   r2c-look summary [--csv] FILE.r2c
//   r2c-look png FILE.r2c [--frame N | --last] [-o OUT.png] [--range MIN:MAX] [--all DIR]
//
// Exit status 0 when the work is done (check: the file is sound), 1 when the file has problems or cannot
// be read or a picture cannot be written, 2 for a wrong command line.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "picture.h"
#include "products.h"
#include "r2c_scan.h"
#include "summary.h"

namespace tallowgate::look {
namespace {

int usage() {
  std::fputs(
      "usage: r2c-look check FILE.r2c\n"
      "       r2c-look summary [--csv] FILE.r2c\n"
      "       r2c-look png FILE.r2c [--frame N | --last] [-o OUT.png] [--range MIN:MAX] [--all DIR]\n",
      stderr);
  return 2;
}

void say(const std::string& text) { std::fputs(text.c_str(), stderr); }

// A progress line on the error stream, only when it is a terminal: redirected output stays clean.
class Progress {
 public:
  explicit Progress(std::string what) : what_(std::move(what)), shown_(isatty(STDERR_FILENO) == 1) {}
  ~Progress() { clear(); }
  void show(const std::string& text) {
    if (!shown_) return;
    std::fprintf(stderr, "\r%s: %s\033[K", what_.c_str(), text.c_str());
    std::fflush(stderr);
    used_ = true;
  }
  void clear() {
    if (used_) std::fputs("\r\033[K", stderr);
    used_ = false;
  }

 private:
  std::string what_;
  bool shown_;
  bool used_ = false;
};

std::string percent(double share) { return std::to_string(static_cast<int>(share * 100)) + "%"; }

std::string stem_of(const std::string& path) { return std::filesystem::path(path).stem().string(); }

// Reports a file that could not be read; true when it was.
bool readable(const std::string& path, const ScanResult& result) {
  if (result.opened) return true;
  say("r2c-look: " + path + ": " + result.error + "\n");
  return false;
}

void note_problems(const std::string& path, const ScanResult& result) {
  if (result.problems.empty()) return;
  say("r2c-look: " + path + ": " + std::to_string(result.problems.size()) +
      (result.problems.size() == 1 ? " problem" : " problems") + "; r2c-look check lists them\n");
}

int check(const std::string& path) {
  const ScanResult result = scan_r2c_file(path, nullptr);
  if (!readable(path, result)) return 1;
  for (const Problem& problem : result.problems) {
    std::printf("%s:%ld: %s\n", path.c_str(), problem.line, problem.text.c_str());
  }
  if (!result.problems.empty()) {
    std::printf("%s: %zu %s\n", path.c_str(), result.problems.size(),
                result.problems.size() == 1 ? "problem" : "problems");
    return 1;
  }
  std::printf("%s: sound: %d %s of %d x %d cells\n", path.c_str(), result.frames,
              result.frames == 1 ? "frame" : "frames", result.header.x_count, result.header.y_count);
  return 0;
}

// Gathers every frame's figures.
class SummaryVisitor : public R2cVisitor {
 public:
  explicit SummaryVisitor(Progress* progress) : progress_(progress) {}
  void on_header(const R2cHeader& header) override { product = product_of(header); }
  void on_frame(const FrameInfo& frame, const std::vector<float>& values) override {
    frames.push_back(frame_stats(frame, values, product));
  }
  void on_progress(double share, int seen) override {
    progress_->show(percent(share) + " (" + std::to_string(seen) + " frames)");
  }

  Product product;
  std::vector<FrameStats> frames;

 private:
  Progress* progress_;
};

int summary(const std::string& path, bool csv) {
  Progress progress("summary " + path);
  SummaryVisitor visitor(&progress);
  const ScanResult result = scan_r2c_file(path, &visitor);
  progress.clear();
  if (!readable(path, result)) return 1;
  if (result.header.end_line == 0 || result.header.cells() == 0) {
    say("r2c-look: " + path + ": no usable header; r2c-look check says why\n");
    return 1;
  }
  const std::string text = csv ? summary_csv(visitor.product, visitor.frames)
                               : summary_text(result.header, visitor.product, visitor.frames);
  std::fputs(text.c_str(), stdout);
  note_problems(path, result);
  return 0;
}

struct PngOptions {
  std::string path;
  int frame = 1;  // position in the file, from 1; 0 for the last
  std::string out;
  std::optional<ColourRange> range;
  std::string all_dir;
};

// Draws the chosen frames as they pass. With no range given, `range` is that of the whole file (for
// --all) or fitted to the frame itself.
class PngVisitor : public R2cVisitor {
 public:
  PngVisitor(const PngOptions& options, Progress* progress) : options_(options), progress_(progress) {}
  void on_header(const R2cHeader& header) override {
    header_ = header;
    product_ = product_of(header);
    title_ = header.name.empty() ? stem_of(options_.path) : header.name;
  }
  void on_frame(const FrameInfo& frame, const std::vector<float>& values) override {
    ++position_;
    if (!options_.all_dir.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "_%04d.png", position_);
      draw(frame, values,
           (std::filesystem::path(options_.all_dir) / (stem_of(options_.path) + name)).string());
      progress_->show("frame " + std::to_string(position_));
    } else if (options_.frame == position_) {
      draw(frame, values, options_.out);
    } else if (options_.frame == 0) {
      last_frame_ = frame;
      last_values_ = values;
    }
  }
  bool done() const override {
    return options_.all_dir.empty() && options_.frame != 0 && (drawn > 0 || failed);
  }
  void on_progress(double share, int seen) override {
    if (options_.all_dir.empty()) progress_->show(percent(share) + " (" + std::to_string(seen) + " frames)");
  }
  void finish() {
    if (options_.frame == 0 && options_.all_dir.empty() && position_ > 0)
      draw(last_frame_, last_values_, options_.out);
  }

  int drawn = 0;
  int total = 0;  // frames in the file, when a first pass has counted them
  bool failed = false;
  std::optional<ColourRange> range;
  int positions() const { return position_; }

 private:
  void draw(const FrameInfo& frame, const std::vector<float>& values, const std::string& out) {
    ColourRange use;
    if (range) {
      use = *range;
    } else {
      const FrameStats stats = frame_stats(frame, values, product_);
      use = fitting_range(product_.variable, stats.valued > 0 ? stats.minimum : 0,
                          stats.valued > 0 ? stats.maximum : 1);
    }
    std::string err;
    if (!write_frame_png(header_, product_, frame, values, use, title_, out, &err)) {
      if (!failed) say("r2c-look: " + out + ": " + err + "\n");
      failed = true;
      return;
    }
    ++drawn;
  }

  const PngOptions& options_;
  Progress* progress_;
  R2cHeader header_;
  Product product_;
  std::string title_;
  int position_ = 0;
  FrameInfo last_frame_;
  std::vector<float> last_values_;
};

std::optional<ColourRange> parse_range(std::string_view text) {
  const std::size_t colon = text.find(':', 1);
  if (colon == std::string_view::npos) return std::nullopt;
  double low = 0, high = 0;
  const std::string_view a = text.substr(0, colon), b = text.substr(colon + 1);
  const auto ra = std::from_chars(a.data(), a.data() + a.size(), low);
  const auto rb = std::from_chars(b.data(), b.data() + b.size(), high);
  if (ra.ec != std::errc() || ra.ptr != a.data() + a.size() || rb.ec != std::errc() ||
      rb.ptr != b.data() + b.size() || !(low < high)) {
    return std::nullopt;
  }
  return ColourRange{low, high};
}

int png(PngOptions options) {
  if (options.out.empty()) {
    options.out = stem_of(options.path) + "_" +
                  (options.frame == 0 ? std::string("last") : std::to_string(options.frame)) + ".png";
  }
  Progress progress("png " + options.path);
  PngVisitor visitor(options, &progress);
  visitor.range = options.range;
  if (!options.all_dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.all_dir, ec);
    if (ec) {
      say("r2c-look: " + options.all_dir + ": " + ec.message() + "\n");
      return 1;
    }
    if (!visitor.range) {
      // One range for the whole file, so that the pictures of a run compare with each other.
      SummaryVisitor figures(&progress);
      const ScanResult first = scan_r2c_file(options.path, &figures);
      if (!readable(options.path, first)) return 1;
      double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
      for (const FrameStats& stats : figures.frames) {
        if (stats.valued == 0) continue;
        low = std::min(low, stats.minimum);
        high = std::max(high, stats.maximum);
      }
      if (low > high) low = 0, high = 1;
      visitor.range = fitting_range(figures.product.variable, low, high);
      visitor.total = static_cast<int>(figures.frames.size());
    }
  }
  const ScanResult result = scan_r2c_file(options.path, &visitor);
  visitor.finish();
  progress.clear();
  if (!readable(options.path, result)) return 1;
  if (result.header.end_line == 0 || result.header.cells() == 0) {
    say("r2c-look: " + options.path + ": no usable header; r2c-look check says why\n");
    return 1;
  }
  if (!result.stopped) note_problems(options.path, result);
  if (visitor.failed) return 1;
  if (visitor.drawn == 0) {
    say("r2c-look: " + options.path + ": no frame " + std::to_string(options.frame) + " (the file has " +
        std::to_string(visitor.positions()) + ")\n");
    return 1;
  }
  if (!options.all_dir.empty()) {
    std::printf("%d pictures in %s\n", visitor.drawn, options.all_dir.c_str());
  } else {
    std::printf("%s\n", options.out.c_str());
  }
  return 0;
}

int run(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string_view command = argv[1];
  std::vector<std::string_view> args(argv + 2, argv + argc);
  if (command == "check") {
    if (args.size() != 1) return usage();
    return check(std::string(args[0]));
  }
  if (command == "summary") {
    bool csv = false;
    std::string path;
    for (std::string_view arg : args) {
      if (arg == "--csv") {
        csv = true;
      } else if (path.empty() && !arg.starts_with("-")) {
        path = arg;
      } else {
        return usage();
      }
    }
    if (path.empty()) return usage();
    return summary(path, csv);
  }
  if (command == "png") {
    PngOptions options;
    bool chose_frame = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string_view arg = args[i];
      const bool has_value = i + 1 < args.size();
      if (arg == "--frame" && has_value && !chose_frame) {
        const std::string_view value = args[++i];
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), options.frame);
        if (ec != std::errc() || end != value.data() + value.size() || options.frame < 1) return usage();
        chose_frame = true;
      } else if (arg == "--last" && !chose_frame) {
        options.frame = 0;
        chose_frame = true;
      } else if (arg == "-o" && has_value) {
        options.out = args[++i];
      } else if (arg == "--range" && has_value) {
        options.range = parse_range(args[++i]);
        if (!options.range) return usage();
      } else if (arg == "--all" && has_value) {
        options.all_dir = args[++i];
      } else if (options.path.empty() && !arg.starts_with("-")) {
        options.path = arg;
      } else {
        return usage();
      }
    }
    if (options.path.empty() || (!options.all_dir.empty() && (chose_frame || !options.out.empty())))
      return usage();
    return png(options);
  }
  return usage();
}

}  // namespace
}  // namespace tallowgate::look

int main(int argc, char** argv) { return tallowgate::look::run(argc, argv); }
