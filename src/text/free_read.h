#ifndef TALLOWGATE_TEXT_FREE_READ_H_
#define TALLOWGATE_TEXT_FREE_READ_H_

#include <string_view>

namespace tallowgate {

// Reads `field` as one integer in free form: blanks before and after the
// digits and one leading sign are allowed. Returns false, leaving *value as it
// was, for an empty or blank field, a blank between digits, letters, a decimal
// point or a value outside 32 bits.
bool read_int_field(std::string_view field, int* value);

// Reads `item` as one real number, rounded correctly to the nearest float:
// an optional sign, digits with an optional decimal point (at least one
// digit), an optional exponent (e, E, d or D, an optional sign, digits); or
// NaN, Inf or Infinity in any letter case, with an optional sign. A number
// below the smallest normal float is rounded to a subnormal or to zero. Returns
// false, leaving *value as it was, for anything else and for a number beyond
// the float range.
bool read_real_item(std::string_view item, float* value);

enum class ItemRead {
  kNone,        // the line holds nothing but separators
  kRead,        // *value holds the number
  kUnreadable,  // the first item is no float; *value is untouched
};

// Reads the first item of `line` (items as next_item splits them) as
// read_real_item does; what follows it is not looked at.
ItemRead read_first_real(std::string_view line, float* value);

// Splits the next item off `*rest`: items are separated by blanks, tabs,
// carriage returns or commas. Returns false when only separators are left.
bool next_item(std::string_view* rest, std::string_view* item);

}  // namespace tallowgate

#endif  // TALLOWGATE_TEXT_FREE_READ_H_
