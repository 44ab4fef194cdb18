#include "clib/Assert.h"

#include <cstdio>
#include <cstdlib>

void AssertionFailed(const char* expression, const char* file, int line) {
  std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, file, line);
  std::fflush(stderr);
  // Exit code 3, as the C runtime's own abort gives on Windows.
  std::_Exit(3);
}
