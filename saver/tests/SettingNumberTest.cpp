#include "saver/SettingNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingNumber, ReadsAsTheProfileFunctionButHoldsAtTheRangeEnds) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {
      {"0", 0},
      {"1", 1},
      {"2", 2},
      {"7", 7},
      {" 2", 2},
      {"+3", 3},
      {"-1", -1},
      {"12abc", 12},
      {"abc", 0},
      {"-", 0},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"999999999999", INT32_MAX},
      {"99999999999999999999999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"-999999999999", INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(SettingNumber(c.text), c.value) << c.text;
}

}  // namespace
