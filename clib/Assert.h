// Assertions that stay on in every build.
//
// A failed assertion is a programming error (a null record, a closed handle,
// a phase error of the movie writer). It reports
//   Assertion failed: <expression>, file <source path>, line <number>
// on the standard error stream and ends the program.
#pragma once

[[noreturn]] void AssertionFailed(const char* expression, const char* file, int line);

#define ASSERT(expression) \
  ((expression) ? static_cast<void>(0) : AssertionFailed(#expression, __FILE__, __LINE__))
