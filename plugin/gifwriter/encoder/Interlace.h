// GIF interlace order: every 8th row from 0, every 8th from 4, every 4th
// from 2, then every 2nd from 1.
#pragma once

#include <cstdint>

namespace gif {

// Source row written at output position i of an interlaced image of height h.
inline uint32_t InterlacedRow(uint32_t i, uint32_t h) {
  const uint32_t p1 = (h + 7) / 8;
  const uint32_t p2 = p1 + (h + 3) / 8;
  const uint32_t p3 = p2 + (h + 1) / 4;
  if (i < p1) return 8 * i;
  if (i < p2) return 8 * (i - p1) + 4;
  if (i < p3) return 4 * (i - p2) + 2;
  return 2 * (i - p3) + 1;
}

}  // namespace gif
