#include "plugin/gifwriter/encoder/ColorMapper.h"

#include <cstdlib>

#include "clib/Assert.h"

namespace gif {

ColorMapCache::ColorMapCache(const PaletteSpec* palette) : m_Palette(palette) {
  ASSERT(palette != nullptr);
  m_Size = palette->size < kPaletteCapacity ? palette->size : kPaletteCapacity;
  for (uint32_t i = 0; i < kPaletteCapacity; ++i) {
    const PaletteEntry& e = m_Palette->entries[i];
    m_Red[i] = static_cast<uint8_t>(e.red >> 8);
    m_Green[i] = static_cast<uint8_t>(e.green >> 8);
    m_Blue[i] = static_cast<uint8_t>(e.blue >> 8);
  }
}

uint8_t ColorMapCache::Search(uint8_t r, uint8_t g, uint8_t b, int skip) const {
  // With every entry skipped (one colour, and it is the transparent one) the
  // pixel falls to entry 0.
  int best = 0;
  int bestDistance = 0x7FFFFFFF;
  for (uint32_t i = 0; i < m_Size; ++i) {
    if (static_cast<int>(i) == skip) continue;
    const int d = std::abs(r - m_Red[i]) + std::abs(g - m_Green[i]) + std::abs(b - m_Blue[i]);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

uint8_t ColorMapCache::Lookup(uint8_t r, uint8_t g, uint8_t b, int skip) {
  if (skip != m_Skip) {
    m_Skip = skip;
    m_Used = 0;
    m_RingPos = 0;
  }
  const uint32_t color = r | (g << 8) | (static_cast<uint32_t>(b) << 16);
  for (int i = 0; i < m_Used; ++i) {
    if (m_Ring[i].color == color) return m_Ring[i].index;
  }
  const uint8_t index = Search(r, g, b, skip);
  m_Ring[m_RingPos] = Entry{color, index};
  m_RingPos = (m_RingPos + 1) % kEntries;
  if (m_Used < kEntries) ++m_Used;
  return index;
}

namespace {

struct Triple {
  int r, g, b;
  bool IsZero() const { return r == 0 && g == 0 && b == 0; }
};

// Noise of a strength that suits the palette: fewer colours, stronger noise.
struct NoiseAmplitude {
  uint32_t modulus;
  uint32_t offset;
};

NoiseAmplitude AmplitudeFor(uint32_t colors) {
  if (colors >= 128) return {31, 15};
  if (colors < 64) return {127, 63};
  return {63, 31};
}

int NoiseValue(NoiseGenerator& noise, NoiseAmplitude a) {
  return static_cast<int16_t>(static_cast<uint16_t>(noise.Next() % a.modulus - a.offset));
}

Triple DrawNoise(NoiseGenerator& noise, NoiseAmplitude a) {
  Triple t;
  t.r = NoiseValue(noise, a);
  t.g = NoiseValue(noise, a);
  t.b = NoiseValue(noise, a);
  return t;
}

uint32_t DrawRun(NoiseGenerator& noise) {
  return (noise.Next() & 15) | 16;
}

uint8_t Clamp(int v) {
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace

void MapRow(const uint8_t* src, PixelKind kind, size_t width, uint8_t* dst,
            const MapOptions& options, ColorMapCache& cache, NoiseGenerator& noise) {
  ASSERT(kind == PixelKind::kRgb24 || kind == PixelKind::kRgba32);
  const size_t step = kind == PixelKind::kRgba32 ? 4 : 3;
  const int skip = options.transparent ? options.transparentIndex : -1;

  if (!options.dither) {
    for (size_t x = 0; x < width; ++x, src += step) {
      if (options.transparent && step == 4 && src[3] == 0) {
        dst[x] = options.transparentIndex;
      } else {
        dst[x] = cache.Lookup(src[0], src[1], src[2], skip);
      }
    }
    return;
  }

  const NoiseAmplitude amplitude = AmplitudeFor(cache.Size());
  noise.Reseed(options.row);
  Triple current = DrawNoise(noise, amplitude);
  uint32_t run = DrawRun(noise);
  Triple adjust{0, 0, 0};

  for (size_t x = 0; x < width; ++x, src += step) {
    const uint8_t r = Clamp(src[0] - adjust.r);
    const uint8_t g = Clamp(src[1] - adjust.g);
    const uint8_t b = Clamp(src[2] - adjust.b);
    uint8_t index;
    if (options.transparent && step == 4 && src[3] == 0) {
      index = options.transparentIndex;
    } else {
      index = cache.Lookup(r, g, b, skip);
    }
    dst[x] = index;

    // A transparent pixel has no colour error to pass on.
    Triple error{0, 0, 0};
    if (!(options.transparent && index == options.transparentIndex)) {
      error = Triple{cache.Red(index) - r, cache.Green(index) - g, cache.Blue(index) - b};
    }
    const bool wasAdjusted = !adjust.IsZero();
    if (run != 0) {
      adjust = (!wasAdjusted && !error.IsZero()) ? current : error;
    } else {
      current = DrawNoise(noise, amplitude);
      run = DrawRun(noise);
      adjust = (!wasAdjusted && !error.IsZero()) ? current : Triple{0, 0, 0};
    }
    --run;
  }
}

}  // namespace gif
