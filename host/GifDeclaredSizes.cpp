#include "host/GifDeclaredSizes.h"

#include <cstdint>

#include "host/GifAnimation.h"

namespace vrixhost {
namespace {

// GIF block introducers.
enum : int { kImage = 0x2C, kExtension = 0x21 };

// Little-endian 16-bit fields; false when the stream ends first.
bool ReadU16(std::istream& in, uint32_t* value) {
  unsigned char b[2];
  if (!in.read(reinterpret_cast<char*>(b), 2)) return false;
  *value = b[0] | static_cast<uint32_t>(b[1]) << 8;
  return true;
}

// The colour count of a table flagged in a packed field, or 0.
uint32_t TableColours(int packed) {
  return (packed & 0x80) ? 2u << (packed & 7) : 0;
}

// Skips a chain of data sub-blocks up to its empty one.
bool SkipSubBlocks(std::istream& in) {
  for (;;) {
    const int length = in.get();
    if (length == std::char_traits<char>::eof()) return false;
    if (length == 0) return true;
    if (!in.ignore(length)) return false;
  }
}

}  // namespace

std::string GifDeclaredProblem(std::istream& in, size_t* imagesWalked) {
  size_t walked = 0;
  if (!imagesWalked) imagesWalked = &walked;
  *imagesWalked = 0;
  char signature[6];
  if (!in.read(signature, 6) || std::string(signature, 3) != "GIF") return std::string();
  uint32_t screenWidth = 0, screenHeight = 0;
  if (!ReadU16(in, &screenWidth) || !ReadU16(in, &screenHeight)) return std::string();
  const int packed = in.get();
  if (!in.ignore(2)) return std::string();  // background index, aspect
  const uint32_t globalColours = TableColours(packed);
  if (!in.ignore(3 * globalColours)) return std::string();

  GifBudget budget;
  for (;;) {
    const int introducer = in.get();
    if (introducer == kExtension) {
      if (in.get() == std::char_traits<char>::eof() || !SkipSubBlocks(in)) return std::string();
    } else if (introducer == kImage) {
      uint32_t left = 0, top = 0, width = 0, height = 0;
      if (!ReadU16(in, &left) || !ReadU16(in, &top) || !ReadU16(in, &width) ||
          !ReadU16(in, &height))
        return std::string();
      const uint32_t localColours = TableColours(in.get());
      if (budget.frames() == 0) {
        if (screenWidth == 0 || screenHeight == 0) {
          screenWidth = left + width;
          screenHeight = top + height;
        }
        const std::string problem = budget.Start(screenWidth, screenHeight);
        if (!problem.empty()) return problem;
      }
      // Without a table of either kind a reader may give a full one.
      const uint32_t colours = localColours ? localColours : globalColours ? globalColours : 256;
      GifFrame clipped;
      const std::string problem = budget.Take(left, top, width, height, colours, &clipped);
      if (!problem.empty()) return problem;
      if (!in.ignore(3 * localColours) || in.get() == std::char_traits<char>::eof() ||
          !SkipSubBlocks(in))
        return std::string();
      ++*imagesWalked;
    } else {
      return std::string();  // the trailer, the end, or what a reader refuses
    }
  }
}

}  // namespace vrixhost
