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
// answers come from the plain search, remembered per colour. A palette made
// of every combination of a few red, green and blue levels (the web palette,
// the 64-colour and the 3-3-2 ones) needs neither: the distance is a sum over
// the channels, so the nearest entry is that of each channel's nearest level.
// Every way, the answer is what the plain search over every entry gives: the
// least |dR| + |dG| + |dB| against the entries' high bytes, the first entry
// winning ties, the skipped entry never.
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
    if (m_bChannelLevelsNow) {
      return static_cast<uint8_t>(ChannelAnswers(0)[r - kLowestLevel] +
                                  ChannelAnswers(1)[g - kLowestLevel] +
                                  ChannelAnswers(2)[b - kLowestLevel]);
    }
    return FindInCell(
        (r >> kLowBits) << (2 * kCellBits) | (g >> kLowBits) << kCellBits | (b >> kLowBits),
        (r & kLowMask) << (2 * kLowBits) | (g & kLowMask) << kLowBits | (b & kLowMask));
  }

  // Find, with the colour split into its cell (the high bits of red, green,
  // blue) and its place in the cell (the low bits).
  uint8_t FindInCell(uint32_t cell, uint32_t place) {
    if (!m_bGrid) return FindByColour(cell, place);
    uint32_t block = m_CellBlock[cell];
    if (block == 0) block = BuildCell(cell);
    return Block(block)[place];
  }

  // The plain search over every entry.
  uint8_t Search(uint8_t r, uint8_t g, uint8_t b, int skip) const;

  uint32_t Size() const { return m_Size; }
  // Whether answers are kept a grid cell at a time (else colour by colour).
  bool UsesGrid() const { return m_bGrid; }
  // Whether answers come from each channel's nearest level: the palette is
  // every combination of its red, green and blue levels, red changing
  // slowest and blue fastest, and the skip names no entry of it.
  bool UsesChannelLevels() const { return m_bChannelLevelsNow; }
  uint8_t Red(uint32_t i) const { return m_Red[i]; }
  uint8_t Green(uint32_t i) const { return m_Green[i]; }
  uint8_t Blue(uint32_t i) const { return m_Blue[i]; }

  static constexpr int kCellBits = 5;  // 32 x 32 x 32 cells of 8 levels each

  // Entry i's red, green and blue, each plus 512, in 10-bit fields at bits
  // 24, 34 and 44: the layout MapRow's dither works in.
  uint64_t Spread(uint32_t i) const { return m_Spread[i]; }

  // The levels a dithered channel asks for: 0..255 less an adjustment of
  // -255..255, clamped to 0..255 when answered.
  static constexpr int kLowestLevel = -255;
  static constexpr int kLevelCount = 766;
  // While UsesChannelLevels: per channel (0 red, 1 green, 2 blue) and level
  // less kLowestLevel, the channel's share of the nearest entry's index in
  // bits 0-7 and, in the channel's Spread field, the chosen level less the
  // clamped one, plus 512. The three shares add up to the index and the
  // colour error in the dither's layout.
  const uint64_t* ChannelAnswers(int channel) const {
    return &m_ChannelAnswers[size_t(channel) * kLevelCount];
  }

 private:
  static constexpr int kLowBits = 8 - kCellBits;
  static constexpr uint32_t kLowMask = (1u << kLowBits) - 1;
  static constexpr int kCells = 1 << (3 * kCellBits);
  static constexpr size_t kCellColours = size_t(1) << (3 * kLowBits);
  // Blocks of answers: one per cell at most, one per entry for the cells
  // answered by that entry throughout, and block 0 that stands for none.
  static constexpr uint32_t kMostBlocks = 1 + kCells + kPaletteCapacity;
  static_assert(kMostBlocks <= 0xFFFF, "block numbers are 16-bit");
  // Blocks are kept in chunks that are never moved (a growing single store
  // would be copied and cleared as it grew, and freshly mapped each image).
  static constexpr uint32_t kChunkShift = 6;
  static constexpr uint32_t kBlocksPerChunk = 1u << kChunkShift;
  static constexpr uint32_t kMostChunks = (kMostBlocks + kBlocksPerChunk - 1) / kBlocksPerChunk;

  void Reset(int skip);
  void FindChannelLevels();
  void FillChannelAnswers(int c, const uint8_t* levels, uint32_t count, uint32_t stride);
  uint16_t BuildCell(uint32_t cell);
  uint8_t FindByColour(uint32_t cell, uint32_t place);
  uint16_t NewBlock();
  uint8_t* Block(uint32_t block) const {
    return m_ChunkBase[block >> kChunkShift] + (block & (kBlocksPerChunk - 1)) * kCellColours;
  }
  uint16_t UniformBlock(uint8_t index);

  const PaletteSpec* m_Palette;  // not owned
  uint32_t m_Size;
  bool m_bGrid;
  int m_Skip = -1;  // the skip the answers are for
  uint8_t m_Red[kPaletteCapacity];
  uint8_t m_Green[kPaletteCapacity];
  uint8_t m_Blue[kPaletteCapacity];
  uint64_t m_Spread[kPaletteCapacity];
  // Filled when the palette is made of channel levels (see ChannelAnswers).
  std::vector<uint64_t> m_ChannelAnswers;
  bool m_bChannelLevelsNow = false;
  // Per cell: the block of answers for its colours, or 0 while not built
  // (empty while answers come from channel levels). A block holds
  // kCellColours answers; the chunks are kept across a Reset for reuse.
  std::vector<uint16_t> m_CellBlock;
  std::vector<std::unique_ptr<uint8_t[]>> m_Chunks;
  uint8_t* m_ChunkBase[kMostChunks] = {};  // m_Chunks' blocks, for Block
  uint32_t m_BlocksUsed = 1;
  // Per entry, the block of that entry's index throughout, or 0 while there
  // is none: shared by the cells with no other answer.
  uint16_t m_UniformBlock[kPaletteCapacity] = {};
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
