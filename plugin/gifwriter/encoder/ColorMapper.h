// Mapping of true-colour rows (24-bit R,G,B or 32-bit R,G,B,A) to palette
// indices, with the optional noise dither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "plugin/gifwriter/encoder/NoiseGenerator.h"
#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace gif {

// Answers "which palette entry is nearest to this colour" for one image.
// For a large image it fills a table of answers a grid cell of the colour
// cube at a time, from the few entries that can be nearest somewhere in the
// cell; a small image asks too few questions to pay for that table, and its
// answers come from the plain search, remembered per colour. Either way the
// answer is what the plain search over every entry gives: the least
// |dR| + |dG| + |dB| against the entries' high bytes, the first entry winning
// ties, the skipped entry never.
class ColorMapCache {
 public:
  // Images of fewer pixels than this are answered colour by colour.
  static constexpr uint64_t kGridFromLookups = uint64_t(1) << 14;

  // The palette is not owned; it must outlive the cache. At most 256 colours
  // are used. expectedLookups: about how many colours will be asked (the
  // image's pixel count), which picks the way answers are kept.
  explicit ColorMapCache(const PaletteSpec* palette, uint64_t expectedLookups = UINT64_MAX);

  // skip: an entry never chosen (the transparent index), or -1.
  uint8_t Lookup(uint8_t r, uint8_t g, uint8_t b, int skip) {
    UseSkip(skip);
    return Find(r, g, b);
  }

  // Answers are kept for one skip value; another one starts afresh.
  void UseSkip(int skip) {
    if (skip != m_Skip) Reset(skip);
  }

  // Lookup with the skip of the last UseSkip.
  uint8_t Find(uint32_t r, uint32_t g, uint32_t b) {
    return FindInCell(
        (r >> kLowBits) << (2 * kCellBits) | (g >> kLowBits) << kCellBits | (b >> kLowBits),
        (r & kLowMask) << (2 * kLowBits) | (g & kLowMask) << kLowBits | (b & kLowMask));
  }

  // Find, with the colour split into its cell (the high bits of red, green,
  // blue) and its place in the cell (the low bits).
  uint8_t FindInCell(uint32_t cell, uint32_t place) {
    if (!m_bGrid) return FindByColour(cell, place);
    const uint8_t* answers = m_CellAnswers[cell];
    if (answers == nullptr) answers = BuildCell(cell);
    return answers[place];
  }

  // The plain search over every entry.
  uint8_t Search(uint8_t r, uint8_t g, uint8_t b, int skip) const;

  uint32_t Size() const { return m_Size; }
  // Whether answers are kept a grid cell at a time (else colour by colour).
  bool UsesGrid() const { return m_bGrid; }
  uint8_t Red(uint32_t i) const { return m_Red[i]; }
  uint8_t Green(uint32_t i) const { return m_Green[i]; }
  uint8_t Blue(uint32_t i) const { return m_Blue[i]; }

  static constexpr int kCellBits = 5;  // 32 x 32 x 32 cells of 8 levels each

  // Entry i's red, green and blue, each plus 512, in 10-bit fields at bits
  // 24, 34 and 44: the layout MapRow's dither works in.
  uint64_t Spread(uint32_t i) const { return m_Spread[i]; }

 private:
  static constexpr int kLowBits = 8 - kCellBits;
  static constexpr uint32_t kLowMask = (1u << kLowBits) - 1;
  static constexpr int kCells = 1 << (3 * kCellBits);
  static constexpr size_t kCellColours = size_t(1) << (3 * kLowBits);
  static constexpr size_t kCellsPerChunk = 64;

  void Reset(int skip);
  const uint8_t* BuildCell(uint32_t cell);
  uint8_t FindByColour(uint32_t cell, uint32_t place);
  const uint8_t* UniformBlock(uint8_t index);

  const PaletteSpec* m_Palette;  // not owned
  uint32_t m_Size;
  bool m_bGrid;
  int m_Skip = -1;  // the skip the answers are for
  uint8_t m_Red[kPaletteCapacity];
  uint8_t m_Green[kPaletteCapacity];
  uint8_t m_Blue[kPaletteCapacity];
  uint64_t m_Spread[kPaletteCapacity];
  // Per cell: the answers for its colours, or null while not built. They
  // live in chunks that are never moved, kept across a Reset for reuse.
  std::vector<const uint8_t*> m_CellAnswers;
  std::vector<std::unique_ptr<uint8_t[]>> m_Chunks;
  size_t m_CellsUsed = 0;  // cells handed out from the chunks
  // Per entry, a cell's worth of that entry's index, for cells with no other
  // answer (made on first use).
  std::vector<uint8_t> m_Uniform;
  // Colour by colour: open addressing over colour | kTaken (0 = empty) and
  // the answer; filled up to m_ColourLimit, searched afresh past it.
  static constexpr uint32_t kTaken = 1u << 24;
  std::vector<uint32_t> m_ColourKeys;
  std::vector<uint8_t> m_ColourAnswers;
  uint32_t m_ColourMask = 0;
  uint32_t m_ColoursKept = 0;
  uint32_t m_ColourLimit = 0;
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
