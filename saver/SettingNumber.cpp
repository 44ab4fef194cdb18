#include "saver/SettingNumber.h"

int32_t SettingNumber(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  // The magnitude stops growing once it is past every 32-bit value.
  constexpr int64_t kPastRange = int64_t(INT32_MAX) + 2;
  int64_t magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > kPastRange) magnitude = kPastRange;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}
