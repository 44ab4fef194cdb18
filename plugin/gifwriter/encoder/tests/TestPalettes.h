// Palettes and pictures shared by the encoder tests.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace giftest {

// The 216-colour web cube: index 36r + 6g + b, levels 0, 51, ... 255;
// transparent index 215.
inline gif::PaletteSpec WebPalette() {
  gif::PaletteSpec p = gif::MakeExplicitPalette();
  p.size = 216;
  p.transparentIndex = 215;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        p.entries[36 * r + 6 * g + b] = gif::MakeEntry(r * 51, g * 51, b * 51);
  return p;
}

inline gif::PaletteSpec PaletteOf(const std::vector<uint32_t>& rgb, int transparentIndex = 0) {
  gif::PaletteSpec p = gif::MakeExplicitPalette();
  p.size = static_cast<uint32_t>(rgb.size());
  p.transparentIndex = static_cast<int16_t>(transparentIndex);
  for (size_t i = 0; i < rgb.size(); ++i) {
    p.entries[i] = gif::MakeEntry(rgb[i] >> 16 & 0xFF, rgb[i] >> 8 & 0xFF, rgb[i] & 0xFF);
  }
  return p;
}

// A red "F" on blue, w x h, as 24-bit or 32-bit rows (bytes R, G, B[, A]);
// asymmetric both ways so flips and channel swaps show. The F's bar rows
// carry a green stripe on the right so there are four colours.
inline std::vector<uint8_t> LetterF(int w, int h, int bytesPerPixel) {
  std::vector<uint8_t> px(size_t(w) * h * bytesPerPixel);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &px[(size_t(y) * w + x) * bytesPerPixel];
      const bool stem = x >= w / 5 && x < w / 5 + w / 5 + 1;
      const bool top = y >= h / 6 && y < h / 6 + h / 6 + 1 && x >= w / 5 && x < 4 * w / 5;
      const bool middle = y >= h / 2 && y < h / 2 + h / 8 + 1 && x >= w / 5 && x < 3 * w / 5;
      uint32_t c = 0x0000FF;  // blue
      if (stem || top || middle) c = 0xFF0000;
      if (x == w - 1 && y < h / 2) c = 0x00C000;
      if (x == w - 1 && y == h - 1) c = 0xFFFF40;
      p[0] = c >> 16 & 0xFF;
      p[1] = c >> 8 & 0xFF;
      p[2] = c & 0xFF;
      if (bytesPerPixel == 4) p[3] = 255;
    }
  }
  return px;
}

// Smooth gradients with texture: many colours, like a photo.
inline std::vector<uint8_t> PhotoLike(int w, int h, int bytesPerPixel, uint32_t seed = 1) {
  std::vector<uint8_t> px(size_t(w) * h * bytesPerPixel);
  uint32_t s = seed;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      const int n = static_cast<int>(s >> 28) - 8;
      uint8_t* p = &px[(size_t(y) * w + x) * bytesPerPixel];
      auto c = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      p[0] = c(x * 255 / (w > 1 ? w - 1 : 1) + n);
      p[1] = c(y * 255 / (h > 1 ? h - 1 : 1) - n);
      p[2] = c((x + y) * 127 / (w + h) + 64 + n);
      if (bytesPerPixel == 4) p[3] = 255;
    }
  }
  return px;
}

}  // namespace giftest
