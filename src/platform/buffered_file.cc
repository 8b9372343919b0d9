#include "platform/buffered_file.h"

#include <cstring>
#include <utility>

namespace tallowgate {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;

class LineReader : public TextReader {
 public:
  explicit LineReader(std::unique_ptr<RawFile> file) : file_(std::move(file)), buffer_(kBufferSize, '\0') {}

  bool read_line(std::string* line) override {
    line->clear();
    for (;;) {
      if (start_ == end_ && !fill()) {
        // A last line without its line end still counts as a line.
        if (line->empty()) return false;
        strip(line);
        return true;
      }
      const char* begin = buffer_.data() + start_;
      const void* newline = std::memchr(begin, '\n', end_ - start_);
      if (newline != nullptr) {
        const auto n = static_cast<std::size_t>(static_cast<const char*>(newline) - begin);
        line->append(begin, n);
        start_ += n + 1;
        strip(line);
        return true;
      }
      line->append(begin, end_ - start_);
      start_ = end_;
    }
  }

  bool read_line_view(std::string_view* line) override {
    const char* begin = buffer_.data() + start_;
    const void* newline = std::memchr(begin, '\n', end_ - start_);
    if (newline != nullptr) {
      // The usual case: the whole line lies in the buffer.
      const auto n = static_cast<std::size_t>(static_cast<const char*>(newline) - begin);
      *line = std::string_view(begin, n);
      start_ += n + 1;
      if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
      return true;
    }
    // The line runs past the buffer's end, or the buffer is used up.
    if (!read_line(&carried_)) return false;
    *line = carried_;
    return true;
  }

  bool rewind() override {
    start_ = end_ = 0;
    failed_ = false;
    return file_->rewind();
  }

 private:
  static void strip(std::string* line) {
    if (!line->empty() && line->back() == '\r') line->pop_back();
  }

  bool fill() {
    if (failed_) return false;
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
  // A line that ran past the buffer's end, for read_line_view.
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
