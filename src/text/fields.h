#ifndef TALLOWGATE_TEXT_FIELDS_H_
#define TALLOWGATE_TEXT_FIELDS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "text/fixed_text.h"

namespace tallowgate {

// Writers of the fixed-width fields of console records, r2c headers and frames.
// Each appends to the caller's buffer, so a value row costs no allocation.

// Appends `value` right-aligned in `width` columns, zero-filled to at least
// `min_digits` digits (the sign comes before the zeros). A value that does not
// fit fills the field with '*'.
void append_int(std::string* out, long long value, int width, int min_digits = 1);

// Appends the exact value of the float rounded to `decimals` places, ties to
// even, right-aligned in `width` columns: 0.03125 with 4 decimals gives
// "0.0312", -0.00001 and -0.0 give "-0.0000". The 0 before the point is written when
// there is room for it. A value that does not fit, and an infinity or NaN,
// fill the field with '*'.
void append_fixed(std::string* out, float value, int width, int decimals);

// Writes the field append_fixed appends into the `width` characters at
// `field`, for rows laid out in place.
void put_fixed(char* field, float value, int width, int decimals);

// Appends `text` left-aligned in `width` columns, blank padded or cut.
void append_left(std::string* out, std::string_view text, std::size_t width);

// Appends `text` right-aligned in `width` columns: width minus its length of
// blanks, then the text as stored (trailing blanks included).
void append_right(std::string* out, std::string_view text, std::size_t width);

// A free-form console line: one leading blank, then the items in order. Text
// items follow each other with no separator, at their full stored length; an
// integer is right-aligned in 12 columns; a text item after an integer is
// preceded by one blank.
//
//   FreeLine(&line).text("Finished writing frame").integer(3);
//   // " Finished writing frame           3"
class FreeLine {
 public:
  explicit FreeLine(std::string* out);
  FreeLine& text(std::string_view item);
  template <std::size_t N>
  FreeLine& text(const Text<N>& item) {
    return text(item.view());
  }
  FreeLine& integer(long long item);

 private:
  std::string* out_;
  bool after_number_ = false;
};

}  // namespace tallowgate

#endif  // TALLOWGATE_TEXT_FIELDS_H_
