#include <gtest/gtest.h>

#include "e2e_tree.h"

namespace tallowgate::e2e {
namespace {

TEST(CommandLineE2e, Placeholder) {
  E2eTree tree;
  RunResult r = tree.run({});
  EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace tallowgate::e2e
