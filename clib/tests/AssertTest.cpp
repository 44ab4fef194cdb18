#include "clib/Assert.h"

#include <gtest/gtest.h>

namespace {

void CheckPositive(int value) { ASSERT(value > 0); }

TEST(AssertDeathTest, ReportsExpressionFileAndLineThenEnds) {
  EXPECT_EXIT(CheckPositive(-1), testing::ExitedWithCode(3),
              "Assertion failed: value > 0, file .*AssertTest\\.cpp, line 7");
}

TEST(AssertTest, PassingAssertionDoesNothing) { CheckPositive(1); }

}  // namespace
