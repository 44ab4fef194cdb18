// A count with its noun in the number it needs: "1 bit", "8 bits". For the
// project's own texts; header only, so that OS-free code and every tool can
// use it without another library.
#pragma once

#include <cstdint>
#include <string>

inline std::string Counted(uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}
