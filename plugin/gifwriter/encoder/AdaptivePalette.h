// The adaptive palette: when a picture has more colours than the exact
// palette can hold, a palette made for it by the octree colour cube
// (xlib/mm/xcube.h) instead of the web palette. Opt-in (EncoderOptions::
// adaptivePalette); with the option off nothing of this runs.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/gifwriter/encoder/ColorMapper.h"
#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace gif {

// The picture's colours counted in boxes of the RGB cube, row by row, then
// reduced by the colour cube to a palette.
class AdaptivePalette {
 public:
  // Boxes are 2^(8 - kBoxBits) levels wide per channel (4 at 6 bits): fine
  // enough that a box's average stands for its colours, coarse enough that
  // the table (2^18 boxes) is filled at the speed of memory. The cube's
  // leaves are these boxes; it merges them down to the palette's size.
  static constexpr int kBoxBits = 6;

  AdaptivePalette() = default;
  ~AdaptivePalette();
  AdaptivePalette(const AdaptivePalette&) = delete;
  AdaptivePalette& operator=(const AdaptivePalette&) = delete;

  // Empties the counts; false when their table cannot be had.
  bool Start();
  // Counts `width` pixels of kind kRgb24 or kRgba32. With skipClear, pixels
  // of alpha 0 (32-bit only) are left out: they will be transparent.
  void AddRow(const uint8_t* pixels, PixelKind kind, uint32_t width, bool skipClear);
  // Writes at most `colours` (1 to 256) entries into entries and returns
  // how many, or -1 without memory: the picture's own colours in the order
  // they came when they are no more (the gathering pass can overflow on
  // fewer, as it keeps white and black), else the cube's palette in its
  // assignment order.
  int Build(int colours, PaletteEntry* entries) const;

 private:
  struct Box {
    uint64_t count;
    uint64_t red, green, blue;  // sums of the box's colours
  };
  void AddOwn(uint32_t colour);

  Box* m_Boxes = nullptr;  // 2^(3 kBoxBits), calloc'd
  uint64_t m_Pixels = 0;
  // The picture's distinct colours while there are at most 256: open
  // addressing over colour + 1 (0 = empty), and the colours in order.
  static constexpr uint32_t kOwnSlots = 1024;
  uint32_t m_OwnSlots[kOwnSlots] = {};
  uint32_t m_Own[kPaletteCapacity] = {};
  uint32_t m_OwnCount = 0;
  bool m_bOwnOverflow = false;
};

// Error diffusion onto an adaptive palette: each pixel's colour error is
// spread over its neighbours to the right and below, and the adjusted colour
// is looked up in the colour mapping's cache, so the nearest entry is the
// one the plain mapping would choose for it. The kernel (Atkinson's) and
// why it was chosen: AdaptivePalette.cpp.
class ErrorDiffusion {
 public:
  // Room for rows of `width` pixels; false without memory. Errors start at 0.
  bool Start(uint32_t width);
  // Maps one row (kind kRgb24 or kRgba32; rows in order, top first). With
  // options.transparent, alpha-0 pixels get the transparent index and pass
  // no error on, and no other pixel gets that index.
  void MapRow(const uint8_t* src, PixelKind kind, uint8_t* dst, const MapOptions& options,
              ColorMapCache& cache);

 private:
  static constexpr int kMargin = 2;  // pixels of room left and right
  static constexpr int kRows = 3;    // this row and the two below
  std::vector<int32_t> m_Errors;     // kRows rows of (width + 2 kMargin) x 3, sixteenths
  uint32_t m_Width = 0;
  uint32_t m_Row = 0;
};

}  // namespace gif
