// Sets up Kinetra's exception support and lets an exception escape a
// function that may not throw: the process must end through the fatal-error
// handler. Used by kinetra_exception_support_test.
#include <stdexcept>

#include "plugin/assetprops/TavExceptionSupport.h"

namespace {
// Out of the compiler's sight, so that it cannot see the throw ends it all.
void (*volatile g_thrower)() = [] { throw std::runtime_error("nobody catches this"); };
void Escape() noexcept {
  g_thrower();
}
}  // namespace

int main() {
  TavInitExceptionSupport(nullptr, nullptr);
  Escape();
  return 0;  // not reached
}
