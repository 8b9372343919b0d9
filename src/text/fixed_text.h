#ifndef TALLOWGATE_TEXT_FIXED_TEXT_H_
#define TALLOWGATE_TEXT_FIXED_TEXT_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace tallowgate {

// A text of exactly N characters, blank padded on the right, as the run-wide
// items are held: a longer value is cut to N characters, a shorter one padded.
// Comparisons ignore trailing blanks, so Text<8>("ab") == Text<72>("ab").
template <std::size_t N>
class Text {
 public:
  Text() { chars_.fill(' '); }
  Text(std::string_view value) { assign(value); }             // NOLINT: texts convert freely
  Text(const char* value) : Text(std::string_view(value)) {}  // NOLINT

  void assign(std::string_view value) {
    const std::size_t n = std::min(value.size(), N);
    std::copy_n(value.data(), n, chars_.data());
    std::fill(chars_.begin() + static_cast<std::ptrdiff_t>(n), chars_.end(), ' ');
  }

  static constexpr std::size_t size() { return N; }

  // All N characters, trailing blanks included.
  std::string_view view() const { return {chars_.data(), N}; }

  // Position of the last non-blank character; 0 for an all-blank text.
  std::size_t trimmed_length() const {
    std::size_t n = N;
    while (n > 0 && chars_[n - 1] == ' ') --n;
    return n;
  }
  std::string_view trimmed() const { return {chars_.data(), trimmed_length()}; }
  bool blank() const { return trimmed_length() == 0; }

  // Characters `first` to `last`, 1-based and inclusive, as the file-name
  // positions are counted. Positions beyond N are cut off.
  std::string_view columns(std::size_t first, std::size_t last) const {
    if (first < 1 || first > N || last < first) return {};
    last = std::min(last, N);
    return {chars_.data() + first - 1, last - first + 1};
  }

  // True when the text begins with `prefix`, compared exactly (letter case included).
  bool starts_with(std::string_view prefix) const { return view().starts_with(prefix); }

  char& operator[](std::size_t i) { return chars_[i]; }
  char operator[](std::size_t i) const { return chars_[i]; }

 private:
  std::array<char, N> chars_;
};

// Blank-insensitive comparison: trailing blanks never count.
template <std::size_t N, std::size_t M>
bool operator==(const Text<N>& a, const Text<M>& b) {
  return a.trimmed() == b.trimmed();
}
template <std::size_t N>
bool operator==(const Text<N>& a, std::string_view b) {
  while (!b.empty() && b.back() == ' ') b.remove_suffix(1);
  return a.trimmed() == b;
}

}  // namespace tallowgate

#endif  // TALLOWGATE_TEXT_FIXED_TEXT_H_
