// Mapping of true-colour rows (24-bit R,G,B or 32-bit R,G,B,A) to palette
// indices, with the optional noise dither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/gifwriter/encoder/NoiseGenerator.h"
#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace gif {

// Answers "which palette entry is nearest to this colour" for one image.
// It remembers earlier answers and narrows the search with a coarse grid of
// the colour cube, but only ever returns what the plain search over every
// entry would: the least |dR| + |dG| + |dB| against the entries' high bytes,
// the first entry winning ties, the skipped entry never.
class ColorMapCache {
 public:
  // The palette is not owned; it must outlive the cache. At most 256 colours
  // are used.
  explicit ColorMapCache(const PaletteSpec* palette);

  // skip: an entry never chosen (the transparent index), or -1.
  uint8_t Lookup(uint8_t r, uint8_t g, uint8_t b, int skip) {
    const uint32_t color = r | (g << 8) | (static_cast<uint32_t>(b) << 16);
    const uint32_t slot = (color * 2654435761u) >> (32 - kMemoBits);
    if (m_MemoKey[slot] == (color | kValid) && skip == m_Skip) return m_MemoIndex[slot];
    return Miss(r, g, b, skip, color, slot);
  }

  // The plain search over every entry.
  uint8_t Search(uint8_t r, uint8_t g, uint8_t b, int skip) const;

  uint32_t Size() const { return m_Size; }
  uint8_t Red(uint32_t i) const { return m_Red[i]; }
  uint8_t Green(uint32_t i) const { return m_Green[i]; }
  uint8_t Blue(uint32_t i) const { return m_Blue[i]; }

 private:
  static constexpr int kMemoBits = 16;
  static constexpr uint32_t kValid = 0x01000000;
  static constexpr int kCellBits = 4;  // 16 x 16 x 16 cells of 16 levels each
  static constexpr int kCells = 1 << (3 * kCellBits);

  uint8_t Miss(uint8_t r, uint8_t g, uint8_t b, int skip, uint32_t color, uint32_t slot);
  void Reset(int skip);
  void BuildCell(uint32_t cell);

  const PaletteSpec* m_Palette;  // not owned
  uint32_t m_Size;
  int m_Skip = -2;  // answers are kept for one skip value; -2: none yet
  uint8_t m_Red[kPaletteCapacity];
  uint8_t m_Green[kPaletteCapacity];
  uint8_t m_Blue[kPaletteCapacity];
  std::vector<uint32_t> m_MemoKey;  // colour | kValid
  std::vector<uint8_t> m_MemoIndex;
  // Per cell: the entries that can be nearest to some colour in the cell,
  // in index order (offset and count into m_Candidates; count 0 = not built).
  std::vector<uint32_t> m_CellStart;
  std::vector<uint16_t> m_CellCount;
  std::vector<uint8_t> m_Candidates;
};

// Pixel layouts of true-colour input.
enum class PixelKind : int { kRgb24 = 0, kRgba32 = 1, kIndexed8 = 2 };

struct MapOptions {
  bool transparent = false;      // T: alpha-0 pixels become the transparent index
  uint8_t transparentIndex = 0;  // t, below the palette size
  bool dither = false;
  uint32_t row = 0;  // reseeds the noise
};

// Maps `width` pixels of `src` (kind kRgb24 or kRgba32) into `dst`. 24-bit
// pixels carry no alpha and are always opaque.
void MapRow(const uint8_t* src, PixelKind kind, size_t width, uint8_t* dst,
            const MapOptions& options, ColorMapCache& cache, NoiseGenerator& noise);

}  // namespace gif
