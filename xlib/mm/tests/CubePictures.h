// Small 24-bit pictures for the colour-reduction tests, given row by row in
// storage order (the first row is the bottom of the picture).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"

namespace cubetest {

struct Color {
  uint8_t r, g, b;
};

// An XDIB holding the rows, with its own block (freed by the destructor).
struct Dib24 {
  XDIB dib;
  explicit Dib24(const std::vector<std::vector<Color>>& rows) {
    std::memset(&dib, 0, sizeof dib);
    const LONG w = static_cast<LONG>(rows[0].size());
    dib.bmiHeader.biSize = 40;
    dib.bmiHeader.biWidth = w;
    dib.bmiHeader.biHeight = static_cast<LONG>(rows.size());
    dib.bmiHeader.biPlanes = 1;
    dib.bmiHeader.biBitCount = 24;
    dib.rowBytes = xdibRowBytes(w, 24);
    dib.bits = static_cast<uint8_t*>(std::calloc(dib.rowBytes * rows.size(), 1));
    for (size_t y = 0; y < rows.size(); ++y)
      for (size_t x = 0; x < rows[y].size(); ++x) {
        uint8_t* p = dib.bits + y * dib.rowBytes + 3 * x;
        p[0] = rows[y][x].b;
        p[1] = rows[y][x].g;
        p[2] = rows[y][x].r;
      }
  }
  ~Dib24() { xdibFree(&dib); }
  Dib24(const Dib24&) = delete;
  Dib24& operator=(const Dib24&) = delete;
};

}  // namespace cubetest

namespace cubetest {

// Gives a cube created for 256 colours the palette colors and rebuilds its
// tree from it, as xcubeMakePalette ends. False when anything failed.
inline bool SetPalette(XCUBE* cube, const std::vector<Color>& colors) {
  if (xcubeCreate(cube, 0, 256) != XERR_OK) return false;
  int reserved = 0;
  cube->logpal = xcubeNewPalette(0, static_cast<int>(colors.size()), &reserved);
  if (!cube->logpal) return false;
  for (size_t i = 0; i < colors.size(); ++i)
    cube->logpal->palPalEntry[i] = PALETTEENTRY{colors[i].r, colors[i].g, colors[i].b, 0};
  return xcubeRebuild(cube) == XERR_OK;
}

}  // namespace cubetest
