#include "plugin/gifwriter/encoder/ColorMapper.h"

#include <algorithm>
#include <cstdlib>

#include "clib/Assert.h"

namespace gif {

ColorMapCache::ColorMapCache(const PaletteSpec* palette)
    : m_Palette(palette),
      m_MemoKey(size_t(1) << kMemoBits),
      m_MemoIndex(size_t(1) << kMemoBits),
      m_CellStart(kCells),
      m_CellCount(kCells) {
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

void ColorMapCache::Reset(int skip) {
  m_Skip = skip;
  std::fill(m_MemoKey.begin(), m_MemoKey.end(), 0u);
  std::fill(m_CellCount.begin(), m_CellCount.end(), uint16_t(0));
  m_Candidates.clear();
}

namespace {

// Least and greatest distance from a level v to the levels lo..hi.
inline int MinDistance(int v, int lo, int hi) {
  return v < lo ? lo - v : (v > hi ? v - hi : 0);
}
inline int MaxDistance(int v, int lo, int hi) {
  return std::max(std::abs(v - lo), std::abs(v - hi));
}

}  // namespace

// An entry can be nearest to some colour of the cell only if its least
// distance to the cell is within the smallest greatest distance of any entry:
// the nearest entry e* of a colour c satisfies
//   min_cell(e*) <= d(c, e*) <= d(c, e) <= max_cell(e) for every e.
// Entries tying with e* pass the same test, so the first-wins rule holds.
void ColorMapCache::BuildCell(uint32_t cell) {
  const int width = 256 >> kCellBits;
  const int r0 = int(cell >> (2 * kCellBits)) * width;
  const int g0 = int(cell >> kCellBits & ((1 << kCellBits) - 1)) * width;
  const int b0 = int(cell & ((1 << kCellBits) - 1)) * width;
  const int r1 = r0 + width - 1, g1 = g0 + width - 1, b1 = b0 + width - 1;
  int bound = 0x7FFFFFFF;
  for (uint32_t i = 0; i < m_Size; ++i) {
    if (static_cast<int>(i) == m_Skip) continue;
    const int d = MaxDistance(m_Red[i], r0, r1) + MaxDistance(m_Green[i], g0, g1) +
                  MaxDistance(m_Blue[i], b0, b1);
    bound = std::min(bound, d);
  }
  m_CellStart[cell] = static_cast<uint32_t>(m_Candidates.size());
  for (uint32_t i = 0; i < m_Size; ++i) {
    if (static_cast<int>(i) == m_Skip) continue;
    const int d = MinDistance(m_Red[i], r0, r1) + MinDistance(m_Green[i], g0, g1) +
                  MinDistance(m_Blue[i], b0, b1);
    if (d <= bound) m_Candidates.push_back(static_cast<uint8_t>(i));
  }
  m_CellCount[cell] = static_cast<uint16_t>(m_Candidates.size() - m_CellStart[cell]);
}

uint8_t ColorMapCache::Miss(uint8_t r, uint8_t g, uint8_t b, int skip, uint32_t color,
                            uint32_t slot) {
  if (skip != m_Skip) Reset(skip);
  uint8_t index = 0;  // nothing searchable (every entry skipped): entry 0
  const uint32_t cell = uint32_t(r >> (8 - kCellBits)) << (2 * kCellBits) |
                        uint32_t(g >> (8 - kCellBits)) << kCellBits |
                        uint32_t(b >> (8 - kCellBits));
  if (m_CellCount[cell] == 0) BuildCell(cell);
  const uint8_t* candidate = m_Candidates.data() + m_CellStart[cell];
  int bestDistance = 0x7FFFFFFF;
  for (uint32_t k = 0, n = m_CellCount[cell]; k < n; ++k) {
    const uint8_t i = candidate[k];
    const int d = std::abs(r - m_Red[i]) + std::abs(g - m_Green[i]) + std::abs(b - m_Blue[i]);
    if (d < bestDistance) {
      bestDistance = d;
      index = i;
    }
  }
  m_MemoKey[slot] = color | kValid;
  m_MemoIndex[slot] = index;
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
