// GIF files made byte by byte for the GIF media tests, with sizes and frames
// no encoder would write.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "host/tests/GifScene.h"

namespace giftest {

// A GIF89a made byte by byte, for sizes and frames no encoder would write: a
// global table of the scene's colours (eight entries), and each frame with
// its graphic control (disposal, delay, index 0 transparent) and its pixels
// coded with a clear code before every index, so that every code stays four
// bits wide and each byte holds a clear code and one index.
struct CraftedFrame {
  uint16_t left = 0, top = 0, width = 1, height = 1;
  std::vector<uint8_t> indices;  // width x height, row after row
  unsigned disposal = 1;
  uint16_t delay = 10;  // hundredths of a second
};

inline void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline std::vector<uint8_t> CraftGif(uint16_t width, uint16_t height,
                                     const std::vector<CraftedFrame>& frames) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  PutU16(out, width);
  PutU16(out, height);
  out.insert(out.end(), {0xA2, 0, 0});  // a global table of 8 colours
  for (int i = 0; i < 8; ++i) {
    const uint32_t c = i < 6 ? kColours[i] : 0;
    out.insert(out.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                           static_cast<uint8_t>(c)});
  }
  for (const CraftedFrame& f : frames) {
    out.insert(out.end(), {0x21, 0xF9, 4, static_cast<uint8_t>(f.disposal << 2 | 1)});
    PutU16(out, f.delay);
    out.insert(out.end(), {0, 0, 0x2C});
    for (uint32_t v : {f.left, f.top, f.width, f.height}) PutU16(out, v);
    out.insert(out.end(), {0, 3});  // no local table; codes of 3 + 1 bits
    std::vector<uint8_t> codes;
    for (uint8_t index : f.indices) codes.push_back(static_cast<uint8_t>(8 | index << 4));
    codes.push_back(9);  // the end code
    for (size_t at = 0; at < codes.size(); at += 255) {
      const size_t n = std::min<size_t>(255, codes.size() - at);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), codes.begin() + at, codes.begin() + at + n);
    }
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
}

inline CraftedFrame Dot(uint16_t left, uint16_t top, uint8_t index) {
  CraftedFrame f;
  f.left = left;
  f.top = top;
  f.indices = {index};
  return f;
}

}  // namespace giftest
