#include "text/free_read.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tallowgate {
namespace {

TEST(ReadIntField, AcceptsBlanksAroundAndOneSign) {
  struct Case {
    const char* field;
    bool ok;
    int want;
  } cases[] = {
      {"2024", true, 2024},     {" 07", true, 7},          {"12 ", true, 12},
      {"+5", true, 5},          {"-5", true, -5},          {" -048 ", true, -48},
      {"", false, 0},           {"  ", false, 0},          {"1 2", false, 0},
      {"1\t2", false, 0},       {"12a", false, 0},         {"1.5", false, 0},
      {"+-1", false, 0},        {"- 1", false, 0},         {"+", false, 0},
      {"2147483647", true, 2147483647},                    {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0}, {"99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.field + "'");
    int value = 31;
    EXPECT_EQ(read_int_field(c.field, &value), c.ok);
    EXPECT_EQ(value, c.ok ? c.want : 31) << "a failed read keeps the previous value";
  }
}

TEST(NextItem, SplitsOnBlanksTabsCommasAndCarriageReturns) {
  std::string_view rest = " 2023,\t7 ,, 4\r";
  std::vector<std::string_view> items;
  std::string_view item;
  while (next_item(&rest, &item)) items.push_back(item);
  EXPECT_EQ(items, (std::vector<std::string_view>{"2023", "7", "4"}));
}

}  // namespace
}  // namespace tallowgate
