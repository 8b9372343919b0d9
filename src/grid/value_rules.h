#ifndef TALLOWGATE_GRID_VALUE_RULES_H_
#define TALLOWGATE_GRID_VALUE_RULES_H_

#include "run/app_code.h"

namespace tallowgate {

enum class RowOrder {
  kLastRowFirst,  // rows ycount down to 1: the northern row first
  kDumpOrder,     // rows 1 up to ycount, as the dump delivers them
};

// What a frame's value rows hold for one product: values above `cap` are
// written as the cap, with `decimals` places, rows in `row_order`.
struct ValueRule {
  float cap;
  int decimals;
  RowOrder row_order;
};

// The value rule of `code`.
const ValueRule& value_rule(AppCode code);

// The value written for `value`: the smaller of it and the cap, compared as
// floats; a value that is not a number gives the cap. There is no lower limit,
// so minus infinity stays as it is.
inline float capped(float value, float cap) { return value < cap ? value : cap; }

}  // namespace tallowgate

#endif  // TALLOWGATE_GRID_VALUE_RULES_H_
