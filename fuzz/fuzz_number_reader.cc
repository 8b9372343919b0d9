// The number reader on any text: items split, integers and reals read, the
// value of a number that reads always a float or left untouched.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/free_read.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  float value = 0.0f;
  tallowgate::read_first_real(text, &value);
  std::string_view rest = text;
  std::string_view item;
  int count = 0;
  while (tallowgate::next_item(&rest, &item)) {
    // Every item lies inside the text and holds no separator at its ends.
    if (item.empty() || item.data() < text.data() || item.data() + item.size() > text.data() + text.size()) {
      __builtin_trap();
    }
    int integer = 0;
    tallowgate::read_int_field(item, &integer);
    tallowgate::read_real_item(item, &value);
    ++count;
  }
  int whole = 0;
  tallowgate::read_int_field(text, &whole);
  return 0;
}
