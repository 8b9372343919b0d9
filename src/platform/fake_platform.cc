#include "platform/fake_platform.h"

namespace tallowgate {
namespace {

class FakeReader : public TextReader {
 public:
  explicit FakeReader(std::string contents) : contents_(std::move(contents)) {}
  bool read_line(std::string* line) override {
    std::string_view view;
    if (!read_line_view(&view)) return false;
    line->assign(view);
    return true;
  }
  bool read_line_view(std::string_view* line) override {
    too_long_ = false;
    if (position_ >= contents_.size()) return false;
    std::size_t end = contents_.find('\n', position_);
    if (end == std::string::npos) end = contents_.size();
    *line = std::string_view(contents_).substr(position_, end - position_);
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    position_ = end + 1;
    if (line->size() > kMaxLineLength) {
      too_long_ = true;
      return false;
    }
    return true;
  }
  bool line_too_long() const override { return too_long_; }
  bool rewind() override {
    position_ = 0;
    too_long_ = false;
    return true;
  }

 private:
  std::string contents_;
  std::size_t position_ = 0;
  bool too_long_ = false;
};

// Writes land in `*target` as they are made (nothing is buffered), so a test
// sees exactly what reached the file before a failure.
class FakeWriter : public TextWriter {
 public:
  FakeWriter(std::string* target, std::string path, bool failing)
      : target_(target), path_(std::move(path)), failing_(failing) {}
  void write(std::string_view bytes) override {
    if (failing_) throw IoError{path_, "No space left on device"};
    target_->append(bytes);
  }
  void close() override {}

 private:
  std::string* target_;
  std::string path_;
  bool failing_;
};

class FakeOutputFile : public OutputFile {
 public:
  FakeOutputFile(std::map<std::string, std::string>* files, std::string path, bool failing)
      : files_(files), path_(std::move(path)), writer_(&pending_, path_, failing) {}
  void write(std::string_view bytes) override {
    wrote_ = wrote_ || !bytes.empty();
    try {
      writer_.write(bytes);
    } catch (const IoError&) {
      failed_ = true;
      throw;
    }
  }
  // As on disk, closing ends the writing and only commit() publishes.
  void close() override {}
  void commit() override {
    if (settled_) return;
    settled_ = true;
    if (wrote_) {
      (*files_)[path_] = pending_;
    } else {
      files_->try_emplace(path_);
    }
  }
  void discard() override { settled_ = true; }
  bool failed() const override { return failed_; }

 private:
  std::map<std::string, std::string>* files_;
  std::string path_;
  std::string pending_;
  FakeWriter writer_;
  bool wrote_ = false, failed_ = false, settled_ = false;
};

}  // namespace

void FakePlatform::write_out(std::string_view line) { out_lines.emplace_back(line); }

void FakePlatform::write_err(std::string_view line) { err_lines.emplace_back(line); }

bool FakePlatform::read_input(std::string* line) {
  if (input.empty()) return false;
  *line = input.front();
  input.pop_front();
  return true;
}

bool FakePlatform::file_exists(std::string_view path) { return files.count(std::string(path)) != 0; }

std::unique_ptr<TextReader> FakePlatform::open_read(std::string_view path, std::string* err) {
  const auto it = files.find(std::string(path));
  if (it == files.end() || failing_opens_.count(it->first) != 0) {
    *err = it == files.end() ? "No such file or directory" : "Permission denied";
    return nullptr;
  }
  return std::make_unique<FakeReader>(it->second);
}

std::unique_ptr<TextWriter> FakePlatform::open_write(std::string_view path, std::string* err) {
  const std::string key(path);
  if (failing_opens_.count(key) != 0) {
    *err = "Permission denied";
    return nullptr;
  }
  std::string* target = &files[key];
  target->clear();
  return std::make_unique<FakeWriter>(target, key, failing_writes_.count(key) != 0);
}

std::unique_ptr<TextWriter> FakePlatform::open_append(std::string_view path, bool* ends_mid_line,
                                                      std::string* err) {
  const std::string key(path);
  if (failing_opens_.count(key) != 0) {
    *err = "No such file or directory";
    return nullptr;
  }
  std::string* target = &files[key];
  *ends_mid_line = !target->empty() && target->back() != '\n';
  return std::make_unique<FakeWriter>(target, key, failing_writes_.count(key) != 0);
}

std::unique_ptr<OutputFile> FakePlatform::open_output(std::string_view path, std::string* err) {
  const std::string key(path);
  if (failing_opens_.count(key) != 0) {
    *err = "No such file or directory";
    return nullptr;
  }
  return std::make_unique<FakeOutputFile>(&files, key, failing_writes_.count(key) != 0);
}

bool FakePlatform::remove_file(std::string_view path, std::string* err) {
  if (failing_opens_.count(std::string(path)) != 0) {
    *err = "Permission denied";
    return false;
  }
  files.erase(std::string(path));
  return true;
}

LockResult FakePlatform::lock_file(std::string_view path, std::string* err) {
  const std::string key(path);
  if (failing_opens_.count(key) != 0) {
    *err = "Permission denied";
    return LockResult::kFailed;
  }
  if (locks_held_elsewhere.count(key) != 0) return LockResult::kHeldElsewhere;
  locks_taken.insert(key);
  return LockResult::kTaken;
}

bool FakePlatform::list_directory(std::vector<DirectoryEntry>* entries, std::string*) {
  for (const auto& [name, contents] : files) {
    if (name.find_first_of("\\/") != std::string::npos) continue;
    entries->push_back({name, contents.size(), LocalTime{2025, 8, 24, 13, 5, 0, 0}});
  }
  return true;
}

bool FakePlatform::run_shell(std::string_view command) {
  shell_commands.emplace_back(command);
  return true;
}

bool FakePlatform::run_program(std::string_view name, const std::vector<std::string>& args,
                               std::string* err) {
  if (missing_programs.count(std::string(name)) != 0) {
    *err = "not found in the working directory or on PATH";
    return false;
  }
  programs.push_back({std::string(name), args});
  if (on_program) on_program(this, programs.back());
  return true;
}

}  // namespace tallowgate
