#include "text/free_read.h"

#include <cstdint>

namespace tallowgate {
namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == ','; }

}  // namespace

bool read_int_field(std::string_view field, int* value) {
  std::size_t i = 0;
  const std::size_t n = field.size();
  while (i < n && field[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  const std::size_t first_digit = i;
  std::int64_t magnitude = 0;
  while (i < n && field[i] >= '0' && field[i] <= '9') {
    magnitude = magnitude * 10 + (field[i] - '0');
    if (magnitude > 2147483648LL) return false;
    ++i;
  }
  if (i == first_digit) return false;
  while (i < n && field[i] == ' ') ++i;
  if (i != n) return false;
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > 2147483647LL) return false;
  *value = static_cast<int>(signed_value);
  return true;
}

bool next_item(std::string_view* rest, std::string_view* item) {
  std::size_t i = 0;
  while (i < rest->size() && is_separator((*rest)[i])) ++i;
  if (i == rest->size()) {
    *rest = {};
    return false;
  }
  std::size_t end = i;
  while (end < rest->size() && !is_separator((*rest)[end])) ++end;
  *item = rest->substr(i, end - i);
  *rest = rest->substr(end);
  return true;
}

}  // namespace tallowgate
