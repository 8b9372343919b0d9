#include "platform/buffered_file.h"

#include <cstring>
#include <utility>

namespace tallowgate {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;

// Reads through a small buffer, allocated at the first read: opening a file
// costs no more than the open itself. A line that runs past the buffer is
// gathered in carried_, up to kMaxLineLength.
class LineReader : public TextReader {
 public:
  explicit LineReader(std::unique_ptr<RawFile> file) : file_(std::move(file)) {}

  bool read_line(std::string* line) override {
    std::string_view view;
    if (!read_line_view(&view)) return false;
    line->assign(view);
    return true;
  }

  bool read_line_view(std::string_view* line) override {
    too_long_ = false;
    const char* begin = buffer_.data() + start_;
    const void* newline = std::memchr(begin, '\n', end_ - start_);
    if (newline != nullptr) {
      // The usual case: the whole line lies in the buffer.
      const auto n = static_cast<std::size_t>(static_cast<const char*>(newline) - begin);
      start_ += n + 1;
      return finish(std::string_view(begin, n), line);
    }
    // The line runs past the buffer's end, or the buffer is used up.
    carried_.clear();
    bool skipping = false;
    for (;;) {
      if (start_ == end_ && !fill()) {
        // A last line without its line end still counts as a line.
        if (skipping) {
          too_long_ = true;
          return false;
        }
        if (carried_.empty()) return false;
        return finish(carried_, line);
      }
      begin = buffer_.data() + start_;
      newline = std::memchr(begin, '\n', end_ - start_);
      const std::size_t n = newline != nullptr
                                ? static_cast<std::size_t>(static_cast<const char*>(newline) - begin)
                                : end_ - start_;
      if (!skipping) {
        // One byte more than the limit, for a "\r" before the line end.
        if (carried_.size() + n > kMaxLineLength + 1) {
          skipping = true;
          carried_.clear();
          carried_.shrink_to_fit();
        } else {
          carried_.append(begin, n);
        }
      }
      start_ += n;
      if (newline != nullptr) {
        ++start_;
        if (skipping) {
          too_long_ = true;
          return false;
        }
        return finish(carried_, line);
      }
    }
  }

  bool line_too_long() const override { return too_long_; }

  bool rewind() override {
    start_ = end_ = 0;
    failed_ = false;
    too_long_ = false;
    return file_->rewind();
  }

 private:
  static constexpr std::size_t kReadSize = 1 << 16;

  // Strips the "\r" of a "\r\n" line end and applies the length limit.
  bool finish(std::string_view text, std::string_view* line) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.size() > kMaxLineLength) {
      too_long_ = true;
      return false;
    }
    *line = text;
    return true;
  }

  bool fill() {
    if (failed_) return false;
    if (buffer_.empty()) buffer_.resize(kReadSize);
    const std::ptrdiff_t n = file_->read(buffer_.data(), buffer_.size());
    if (n <= 0) {
      failed_ = true;
      return false;
    }
    start_ = 0;
    end_ = static_cast<std::size_t>(n);
    return true;
  }

  std::unique_ptr<RawFile> file_;
  std::string buffer_;
  std::size_t start_ = 0, end_ = 0;
  bool failed_ = false;
  bool too_long_ = false;
  // A line that ran past the buffer's end.
  std::string carried_;
};

class BufferedWriter : public TextWriter {
 public:
  BufferedWriter(std::unique_ptr<RawFile> file, std::string path)
      : file_(std::move(file)), path_(std::move(path)) {
    buffer_.reserve(kBufferSize);
  }

  void write(std::string_view bytes) override {
    if (failed_) throw IoError{path_, "earlier write failed"};
    if (closed_) throw IoError{path_, "written after it was closed"};
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferSize) flush();
  }

  void close() override {
    if (closed_) return;
    flush();
    closed_ = true;
    std::string err;
    if (!file_->close(&err)) fail(err);
  }

 private:
  void flush() {
    std::string err;
    if (!buffer_.empty() && !file_->write(buffer_.data(), buffer_.size(), &err)) fail(err);
    buffer_.clear();
  }

  [[noreturn]] void fail(const std::string& reason) {
    failed_ = true;
    buffer_.clear();
    throw IoError{path_, reason};
  }

  std::unique_ptr<RawFile> file_;
  std::string path_;
  std::string buffer_;
  bool failed_ = false;
  bool closed_ = false;
};

class TemporaryOutput : public OutputFile {
 public:
  TemporaryOutput(std::unique_ptr<RawFile> file, std::string temporary, std::string target,
                  TemporaryFiles* files)
      : writer_(std::move(file), temporary),
        temporary_(std::move(temporary)),
        target_(std::move(target)),
        files_(files) {}
  ~TemporaryOutput() override {
    if (!settled_) discard();
  }

  void write(std::string_view bytes) override {
    wrote_ = wrote_ || !bytes.empty();
    try {
      writer_.write(bytes);
    } catch (const IoError& e) {
      // The operator knows the target, not the temporary file beside it.
      failed_ = true;
      throw IoError{target_, e.reason};
    }
  }

  // Ends the writing; the target is published by commit() alone.
  void close() override {
    try {
      writer_.close();
    } catch (const IoError& e) {
      failed_ = true;
      throw IoError{target_, e.reason};
    }
  }

  void commit() override {
    if (settled_) return;
    try {
      close();
    } catch (const IoError&) {
      discard();
      throw;
    }
    settled_ = true;
    std::string err;
    const bool published =
        wrote_ ? files_->replace(temporary_, target_, &err) : remove_and_create_target(&err);
    files_->forget(temporary_);
    if (!published) throw IoError{target_, err};
  }

  // Once commit() has run its course the temporary file is published, gone,
  // or kept as the one copy of the run's output: nothing is left to drop.
  void discard() override {
    if (settled_) return;
    settled_ = true;
    try {
      writer_.close();
    } catch (const IoError&) {
    }
    files_->remove(temporary_);
    files_->forget(temporary_);
  }

  bool failed() const override { return failed_; }

 private:
  bool remove_and_create_target(std::string* err) {
    files_->remove(temporary_);
    return files_->create_if_missing(target_, err);
  }

  BufferedWriter writer_;
  std::string temporary_, target_;
  TemporaryFiles* files_;
  bool wrote_ = false;
  bool failed_ = false;
  bool settled_ = false;
};

}  // namespace

void ConsoleOutput::write_line(std::string_view line) {
  if (failed_) flush();
  buffer_.append(line);
  buffer_.push_back('\n');
  if (buffer_.size() >= (1 << 16)) flush();
}

void ConsoleOutput::flush() {
  if (write_out() || reported_) return;
  reported_ = true;
  throw IoError{"standard output", error_};
}

bool ConsoleOutput::write_out() {
  if (!failed_ && !buffer_.empty() && !write_(buffer_, &error_)) failed_ = true;
  buffer_.clear();
  return !failed_;
}

std::unique_ptr<TextReader> make_line_reader(std::unique_ptr<RawFile> file) {
  return std::make_unique<LineReader>(std::move(file));
}

std::unique_ptr<TextWriter> make_buffered_writer(std::unique_ptr<RawFile> file, std::string path) {
  return std::make_unique<BufferedWriter>(std::move(file), std::move(path));
}

std::unique_ptr<OutputFile> make_temporary_output(std::unique_ptr<RawFile> file, std::string temporary,
                                                  std::string target, TemporaryFiles* files) {
  return std::make_unique<TemporaryOutput>(std::move(file), std::move(temporary), std::move(target), files);
}

}  // namespace tallowgate
