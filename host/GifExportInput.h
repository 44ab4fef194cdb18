// Pictures that `vrixhost gif-export` can push to Palvex: BMP (8-bit with its
// colour table, 24-bit, 32-bit), PPM (P6) and PAM (P7, RGB or RGB_ALPHA).
// OS-free, so it is tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/frame/VrixHost.h"

namespace vrixhost {

struct InputImage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t kind = VX_PIXEL_RGB24;     // VX_PIXEL_*
  std::vector<uint8_t> pixels;        // top row first, no padding
  std::vector<VxColorEntry> palette;  // VX_PIXEL_INDEX8: the colour table
};

// Largest picture accepted, in pixels per side and in total; keeps the
// arithmetic below far from overflow on 32-bit builds too.
constexpr uint32_t kMaxInputSide = 65535;
constexpr uint64_t kMaxInputPixels = 64ull * 1024 * 1024;
// Largest input file read: the largest picture's pixels at 4 bytes each and
// room for its headers. A longer file is refused before it is read, by what
// its first kInputHeaderProbe bytes declare.
constexpr uint64_t kMaxInputFileBytes = kMaxInputPixels * 4 + (1u << 20);
constexpr size_t kInputHeaderProbe = 64 * 1024;

// Decodes a file's bytes. Returns false with a message in *error for
// unreadable or unsupported data.
bool DecodeInputImage(const std::vector<uint8_t>& bytes, InputImage* image, std::string* error);

// Reads and decodes a file; a file longer than kMaxInputFileBytes is
// refused without reading it whole.
bool ReadInputImage(const std::string& path, InputImage* image, std::string* error);

}  // namespace vrixhost
