// Mapping of true-colour rows (24-bit R,G,B or 32-bit R,G,B,A) to palette
// indices, with the optional noise dither.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/gifwriter/encoder/NoiseGenerator.h"
#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace gif {

// A small ring of recent colour -> index answers, made anew for every image.
// It only remembers what the nearest-colour search answered, so it never
// changes a result.
class ColorMapCache {
 public:
  static constexpr int kEntries = 64;

  // The palette is not owned; it must outlive the cache. At most 256 colours
  // are used.
  explicit ColorMapCache(const PaletteSpec* palette);

  // Index of the palette entry nearest to (r, g, b) by |dR| + |dG| + |dB|
  // against the entries' high bytes, first entry winning ties; entry `skip`
  // is never chosen when skip >= 0.
  uint8_t Lookup(uint8_t r, uint8_t g, uint8_t b, int skip);

  uint32_t Size() const { return m_Size; }
  uint8_t Red(uint32_t i) const { return m_Red[i]; }
  uint8_t Green(uint32_t i) const { return m_Green[i]; }
  uint8_t Blue(uint32_t i) const { return m_Blue[i]; }
  int Used() const { return m_Used; }

  uint8_t Search(uint8_t r, uint8_t g, uint8_t b, int skip) const;

 private:
  struct Entry {
    uint32_t color;  // R | G << 8 | B << 16
    uint8_t index;
  };

  const PaletteSpec* m_Palette;  // not owned
  uint32_t m_Size;
  uint8_t m_Red[kPaletteCapacity];
  uint8_t m_Green[kPaletteCapacity];
  uint8_t m_Blue[kPaletteCapacity];
  Entry m_Ring[kEntries];
  int m_RingPos = 0;
  int m_Used = 0;
  int m_Skip = -1;  // the ring is valid for one skip value only
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
