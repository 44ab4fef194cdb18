// Whole numbers of the user settings file. The system's profile function
// for integers wraps a number past the 32-bit range (999999999999 becomes
// -727379969), so such values are read as text and held at the range's ends
// instead. OS-free.
#pragma once

#include <cstdint>

// Blanks, an optional sign, then decimal digits up to the first other
// character; a number past the range is held at INT32_MAX or INT32_MIN.
// Text that does not start so reads 0, as the profile function reads it.
int32_t SettingNumber(const char* text);
