#include "plugin/gifwriter/encoder/ColorMapper.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "clib/Assert.h"

namespace gif {

namespace {

// The dither works on colours and adjustments packed in one 64-bit word:
// red, green and blue in 10-bit fields at bits 24, 34 and 44, each plus 512,
// so subtracting a colour from an entry never borrows across fields. Below
// them a looked-up pixel carries its cell (bits 0-14) and its place in the
// cell (bits 15-23), see ColorMapCache::Find.
constexpr int kRedShift = 24, kGreenShift = 34, kBlueShift = 44;
constexpr int kChannelShift[3] = {kRedShift, kGreenShift, kBlueShift};
constexpr uint64_t kBias = 512;
constexpr int kLevels = ColorMapCache::kLevelCount, kLowest = ColorMapCache::kLowestLevel;

// The colour a table index (a level less an adjustment, from kLowest) stands for.
int ClampedLevel(int v) {
  return std::min(std::max(v + kLowest, 0), 255);
}

}  // namespace

ColorMapCache::ColorMapCache(const PaletteSpec* palette, uint64_t expectedLookups)
    : m_Palette(palette), m_bGrid(expectedLookups >= kGridFromLookups) {
  ASSERT(palette != nullptr);
  m_Size = palette->size < kPaletteCapacity ? palette->size : kPaletteCapacity;
  for (uint32_t i = 0; i < kPaletteCapacity; ++i) {
    const PaletteEntry& e = m_Palette->entries[i];
    m_Red[i] = static_cast<uint8_t>(e.red >> 8);
    m_Green[i] = static_cast<uint8_t>(e.green >> 8);
    m_Blue[i] = static_cast<uint8_t>(e.blue >> 8);
    m_Spread[i] = uint64_t(m_Red[i] + kBias) << kRedShift |
                  uint64_t(m_Green[i] + kBias) << kGreenShift |
                  uint64_t(m_Blue[i] + kBias) << kBlueShift;
  }
  FindChannelLevels();
  m_bChannelLevelsNow = !m_ChannelAnswers.empty();
  if (m_bGrid) {
    if (!m_bChannelLevelsNow) m_CellBlock.assign(kCells, 0);
  } else {
    // Room for twice the colours a small image can have (at most 6144 are
    // kept), never more than 3/4 full so every probe ends at an empty slot.
    uint32_t slots = 64;
    while (slots < 2 * expectedLookups && slots < 8192) slots *= 2;
    m_ColourKeys.assign(slots, 0);
    m_ColourAnswers.assign(slots, 0);
    m_ColourMask = slots - 1;
    m_ColourLimit = slots / 4 * 3;
  }
}

// Tries every way of splitting the palette's size into red x green x blue
// level counts. With counts nr, ng, nb the palette fits when entry
// (i * ng + j) * nb + k is (red level i, green level j, blue level k), the
// levels read off entries i * ng * nb, j * nb and k. Then |dR| + |dG| + |dB|
// is least where each channel's term is, and among equal sums the first
// entry is the one of each channel's first nearest level, since the index
// grows with the red level first, then the green, then the blue.
void ColorMapCache::FindChannelLevels() {
  if (m_Size == 0) return;
  for (uint32_t nr = 1; nr <= m_Size; ++nr) {
    if (m_Size % nr != 0) continue;
    const uint32_t rest = m_Size / nr;
    for (uint32_t ng = 1; ng <= rest; ++ng) {
      if (rest % ng != 0) continue;
      const uint32_t nb = rest / ng;
      bool fits = true;
      for (uint32_t i = 0; i < m_Size && fits; ++i) {
        fits = m_Red[i] == m_Red[i / (ng * nb) * ng * nb] &&
               m_Green[i] == m_Green[i / nb % ng * nb] && m_Blue[i] == m_Blue[i % nb];
      }
      if (!fits) continue;
      m_ChannelAnswers.resize(3 * size_t(kLevels));
      FillChannelAnswers(0, m_Red, nr, ng * nb);
      FillChannelAnswers(1, m_Green, ng, nb);
      FillChannelAnswers(2, m_Blue, nb, 1);
      return;
    }
  }
}

// Channel `c` whose `count` levels are `levels[k * stride]`.
void ColorMapCache::FillChannelAnswers(int c, const uint8_t* levels, uint32_t count,
                                       uint32_t stride) {
  uint64_t answer[256];  // per clamped level
  for (int v = 0; v < 256; ++v) {
    uint32_t best = 0;  // the first of equally near levels
    for (uint32_t k = 1; k < count; ++k) {
      if (std::abs(levels[k * stride] - v) < std::abs(levels[best * stride] - v)) best = k;
    }
    const int level = levels[best * stride];
    answer[v] = uint64_t(level - v + int(kBias)) << kChannelShift[c] | best * stride;
  }
  uint64_t* out = &m_ChannelAnswers[size_t(c) * kLevels];
  for (int v = 0; v < kLevels; ++v) out[v] = answer[ClampedLevel(v)];
}

uint8_t ColorMapCache::Search(uint8_t r, uint8_t g, uint8_t b, int skip) const {
  // Every distance first, then the least, then the first entry at it: loops
  // without early exits, which the compiler turns into vector code. With
  // every entry skipped (one colour, and it is the transparent one) the
  // pixel falls to entry 0.
  constexpr int16_t kNone = 0x7FFF;  // above any distance
  int16_t d[kPaletteCapacity];
  for (uint32_t i = 0; i < m_Size; ++i) {
    d[i] = static_cast<int16_t>(std::abs(r - m_Red[i]) + std::abs(g - m_Green[i]) +
                                std::abs(b - m_Blue[i]));
  }
  if (skip >= 0 && static_cast<uint32_t>(skip) < m_Size) d[skip] = kNone;
  int16_t least = kNone;
  for (uint32_t i = 0; i < m_Size; ++i) least = std::min(least, d[i]);
  for (uint32_t i = 0; i < m_Size; ++i) {
    if (d[i] == least) return static_cast<uint8_t>(i);
  }
  return 0;
}

uint16_t ColorMapCache::NewBlock() {
  ASSERT(m_BlocksUsed < kMostBlocks);
  const uint32_t chunk = m_BlocksUsed >> kChunkShift;
  if (chunk == m_Chunks.size()) {
    m_Chunks.emplace_back(new uint8_t[kBlocksPerChunk * kCellColours]);
    m_ChunkBase[chunk] = m_Chunks.back().get();
  }
  return static_cast<uint16_t>(m_BlocksUsed++);
}

uint16_t ColorMapCache::UniformBlock(uint8_t index) {
  if (m_UniformBlock[index] == 0) {
    const uint16_t block = NewBlock();
    std::fill_n(Block(block), kCellColours, index);
    m_UniformBlock[index] = block;
  }
  return m_UniformBlock[index];
}

void ColorMapCache::Reset(int skip) {
  m_Skip = skip;
  m_bChannelLevelsNow =
      !m_ChannelAnswers.empty() && (skip < 0 || static_cast<uint32_t>(skip) >= m_Size);
  if (m_bGrid && !m_bChannelLevelsNow && m_CellBlock.empty()) m_CellBlock.assign(kCells, 0);
  std::fill(m_CellBlock.begin(), m_CellBlock.end(), 0);
  m_BlocksUsed = 1;
  std::fill(std::begin(m_UniformBlock), std::end(m_UniformBlock), 0);
  std::fill(m_ColourKeys.begin(), m_ColourKeys.end(), 0);
  m_ColoursKept = 0;
}

uint8_t ColorMapCache::FindByColour(uint32_t cell, uint32_t place) {
  constexpr uint32_t kCellMask = (1u << kCellBits) - 1;
  const uint32_t r = (cell >> (2 * kCellBits)) << kLowBits | place >> (2 * kLowBits);
  const uint32_t g = (cell >> kCellBits & kCellMask) << kLowBits | (place >> kLowBits & kLowMask);
  const uint32_t b = (cell & kCellMask) << kLowBits | (place & kLowMask);
  const uint32_t key = r | g << 8 | b << 16 | kTaken;
  uint32_t i = (key * 2654435761u) >> 16 & m_ColourMask;
  for (; m_ColourKeys[i] != 0; i = (i + 1) & m_ColourMask) {
    if (m_ColourKeys[i] == key) return m_ColourAnswers[i];
  }
  const uint8_t answer =
      Search(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), m_Skip);
  if (m_ColoursKept < m_ColourLimit) {
    m_ColourKeys[i] = key;
    m_ColourAnswers[i] = answer;
    ++m_ColoursKept;
  }
  return answer;
}

// An entry can be nearest to some colour of the cell only if its least
// distance to the cell is within the smallest greatest distance of any entry:
// the nearest entry e* of a colour c satisfies
//   min_cell(e*) <= d(c, e*) <= d(c, e) <= max_cell(e) for every e.
// Entries tying with e* pass the same test, and the candidates are tried in
// index order keeping only a strictly smaller distance, so the first wins.
uint16_t ColorMapCache::BuildCell(uint32_t cell) {
  constexpr int kWidth = 1 << kLowBits;
  const int r0 = int(cell >> (2 * kCellBits)) * kWidth;
  const int g0 = int(cell >> kCellBits & ((1 << kCellBits) - 1)) * kWidth;
  const int b0 = int(cell & ((1 << kCellBits) - 1)) * kWidth;
  const int r1 = r0 + kWidth - 1, g1 = g0 + kWidth - 1, b1 = b0 + kWidth - 1;
  // Plain loops over every entry (the skipped one is put out of reach
  // afterwards), which the compiler turns into vector code.
  int far[kPaletteCapacity], near[kPaletteCapacity];
  for (uint32_t i = 0; i < m_Size; ++i) {
    const int r = m_Red[i], g = m_Green[i], b = m_Blue[i];
    far[i] = std::max(std::abs(r - r0), std::abs(r - r1)) +
             std::max(std::abs(g - g0), std::abs(g - g1)) +
             std::max(std::abs(b - b0), std::abs(b - b1));
    near[i] = std::max(r0 - r, 0) + std::max(r - r1, 0) + std::max(g0 - g, 0) +
              std::max(g - g1, 0) + std::max(b0 - b, 0) + std::max(b - b1, 0);
  }
  constexpr int kNone = 0x7FFF;  // above any distance
  if (m_Skip >= 0 && static_cast<uint32_t>(m_Skip) < m_Size) {
    far[m_Skip] = kNone;
    near[m_Skip] = kNone + 1;
  }
  int bound = kNone;
  for (uint32_t i = 0; i < m_Size; ++i) bound = std::min(bound, far[i]);
  uint8_t candidates[kPaletteCapacity];
  uint32_t count = 0;
  for (uint32_t i = 0; i < m_Size; ++i) {
    candidates[count] = static_cast<uint8_t>(i);
    count += near[i] <= bound ? 1 : 0;
  }

  // A cell with one answer throughout shares a block with the others that
  // have it, which keeps the answers that pixels reach few and in the cache.
  if (count <= 1) return m_CellBlock[cell] = UniformBlock(count == 1 ? candidates[0] : 0);

  // 16-bit lanes throughout so the compiler can use vector code.
  int16_t best[kCellColours], chosen[kCellColours];
  std::fill(best, best + kCellColours, int16_t(kNone));
  std::fill(chosen, chosen + kCellColours, int16_t(0));
  for (uint32_t k = 0; k < count; ++k) {
    const int16_t i = candidates[k];
    int16_t dr[kWidth], dg[kWidth], db[kWidth];
    for (int v = 0; v < kWidth; ++v) {
      dr[v] = static_cast<int16_t>(std::abs(r0 + v - m_Red[i]));
      dg[v] = static_cast<int16_t>(std::abs(g0 + v - m_Green[i]));
      db[v] = static_cast<int16_t>(std::abs(b0 + v - m_Blue[i]));
    }
    for (int rv = 0; rv < kWidth; ++rv) {
      for (int gv = 0; gv < kWidth; ++gv) {
        const int16_t base = static_cast<int16_t>(dr[rv] + dg[gv]);
        int16_t* bestRow = best + (rv * kWidth + gv) * kWidth;
        int16_t* chosenRow = chosen + (rv * kWidth + gv) * kWidth;
        for (int bv = 0; bv < kWidth; ++bv) {
          const int16_t d = static_cast<int16_t>(base + db[bv]);
          const bool nearer = d < bestRow[bv];  // strictly: the first of equals stays
          bestRow[bv] = nearer ? d : bestRow[bv];
          chosenRow[bv] = nearer ? i : chosenRow[bv];
        }
      }
    }
  }
  if (std::all_of(chosen, chosen + kCellColours, [&chosen](int16_t a) { return a == chosen[0]; })) {
    return m_CellBlock[cell] = UniformBlock(static_cast<uint8_t>(chosen[0]));
  }
  const uint16_t block = NewBlock();
  uint8_t* answers = Block(block);
  for (size_t c = 0; c < kCellColours; ++c) answers[c] = static_cast<uint8_t>(chosen[c]);
  return m_CellBlock[cell] = block;
}

namespace {

constexpr uint64_t kZero = kBias << kRedShift | kBias << kGreenShift | kBias << kBlueShift;
constexpr uint64_t kKeyMask = 0xFFFFFF;
constexpr uint32_t kFieldMask = 0x3FF;
static_assert(ColorMapCache::kCellBits == 5, "the level tables split levels 5 + 3 bits");

uint64_t Pack(int r, int g, int b) {
  return uint64_t(r + kBias) << kRedShift | uint64_t(g + kBias) << kGreenShift |
         uint64_t(b + kBias) << kBlueShift;
}

// Per channel and level minus adjustment: the clamped level in its field
// (without the bias) and its share of the cell and the place in the cell.
struct LevelTables {
  uint64_t red[kLevels], green[kLevels], blue[kLevels];
  LevelTables() {
    for (int v = 0; v < kLevels; ++v) {
      const uint64_t c = static_cast<uint64_t>(ClampedLevel(v));
      const uint64_t cell = c >> 3, low = c & 7;
      red[v] = c << kRedShift | low << 21 | cell << 10;
      green[v] = c << kGreenShift | low << 18 | cell << 5;
      blue[v] = c << kBlueShift | low << 15 | cell;
    }
  }
};

const LevelTables& Levels() {
  static const LevelTables tables;
  return tables;
}

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

// The three strengths spelt out so the remainder needs no division.
uint32_t Remainder(uint32_t v, uint32_t modulus) {
  switch (modulus) {
    case 31:
      return v % 31;
    case 63:
      return v % 63;
    default:
      return v % 127;
  }
}

int NoiseValue(NoiseGenerator& noise, NoiseAmplitude a) {
  return static_cast<int16_t>(static_cast<uint16_t>(Remainder(noise.Next(), a.modulus) - a.offset));
}

uint64_t DrawNoise(NoiseGenerator& noise, NoiseAmplitude a) {
  const int r = NoiseValue(noise, a);
  const int g = NoiseValue(noise, a);
  const int b = NoiseValue(noise, a);
  return Pack(r, g, b);
}

uint32_t DrawRun(NoiseGenerator& noise) {
  return (noise.Next() & 15) | 16;
}

// Where a channel's level less its adjustment is found in the tables below
// and in ColorMapCache::ChannelAnswers.
constexpr int kStart = int(kBias) - kLowest;

inline int LevelIndex(const uint8_t* src, uint64_t adjust, int channel) {
  return src[channel] + kStart - int(adjust >> kChannelShift[channel] & kFieldMask);
}

// The two ways the dither finds a pixel's entry: each takes the pixel less
// its adjustment, returns the nearest entry and sets `error` to that entry
// less the clamped colour, in the adjustment's layout. Through the grid:
struct CellMapper {
  ColorMapCache& cache;
  const LevelTables& levels;
  uint8_t operator()(const uint8_t* src, uint64_t adjust, uint64_t& error) const {
    const uint64_t key = levels.red[LevelIndex(src, adjust, 0)] +
                         levels.green[LevelIndex(src, adjust, 1)] +
                         levels.blue[LevelIndex(src, adjust, 2)];
    const uint8_t index = cache.FindInCell(static_cast<uint32_t>(key & 0x7FFF),
                                           static_cast<uint32_t>(key >> 15 & 0x1FF));
    error = cache.Spread(index) - (key & ~kKeyMask);
    return index;
  }
};

// Through each channel's nearest level, one table read per channel.
struct ChannelMapper {
  const uint64_t* red;
  const uint64_t* green;
  const uint64_t* blue;
  explicit ChannelMapper(const ColorMapCache& cache)
      : red(cache.ChannelAnswers(0)),
        green(cache.ChannelAnswers(1)),
        blue(cache.ChannelAnswers(2)) {}
  uint8_t operator()(const uint8_t* src, uint64_t adjust, uint64_t& error) const {
    const uint64_t sum = red[LevelIndex(src, adjust, 0)] + green[LevelIndex(src, adjust, 1)] +
                         blue[LevelIndex(src, adjust, 2)];
    error = sum & ~kKeyMask;
    return static_cast<uint8_t>(sum);
  }
};

// One dithered pixel; `redraw`: the run ended here and fresh noise was drawn
// (into `current`). The adjustment for the next pixel is this pixel's colour
// error, or the noise where this pixel was not adjusted and has an error; on
// a redraw the error is dropped. Returns whether the noise was taken.
template <size_t kStep, bool kTransparent, class Mapper>
inline bool DitherPixel(const uint8_t* src, uint8_t* dst, uint8_t t, bool redraw, uint64_t current,
                        uint64_t& adjust, const Mapper& map) {
  uint8_t index;
  uint64_t error;
  if (kTransparent && kStep == 4 && src[3] == 0) {
    index = t;
    error = kZero;
  } else {
    index = map(src, adjust, error);
    if (kTransparent && index == t) error = kZero;  // a transparent pixel passes no error on
  }
  *dst = index;
  const bool useNoise = adjust == kZero && error != kZero;
  adjust = useNoise ? current : (redraw ? kZero : error);
  return useNoise;
}

// A run of pixels sharing one noise: `begin`..`end`, the last of them the
// redraw pixel if `redraw`. The noise draws do not depend on the pixels, so
// the whole row's runs are known before any pixel is mapped.
struct Segment {
  uint32_t begin, end;
  bool redraw;
  // The adjustment coming in was the noise (else zero), and going out is
  // `next` (else zero): all a run passes to the next one.
  bool noiseIn, noiseOut;
  uint64_t noise;  // the current noise during the run
  uint64_t next;   // drawn at the redraw pixel
};

inline uint32_t LastOf(const Segment& s) {
  return s.redraw ? s.end - 1 : s.end;
}

// Maps one segment from its noiseIn.
template <size_t kStep, bool kTransparent, class Mapper>
void DitherSegment(const uint8_t* src, uint8_t* dst, uint8_t t, Segment& s, const Mapper& map) {
  uint64_t adjust = s.noiseIn ? s.noise : kZero;
  const uint32_t last = LastOf(s);
  for (uint32_t x = s.begin; x < last; ++x) {
    DitherPixel<kStep, kTransparent, Mapper>(src + x * kStep, dst + x, t, false, s.noise, adjust,
                                             map);
  }
  s.noiseOut = s.redraw && DitherPixel<kStep, kTransparent, Mapper>(src + last * kStep, dst + last,
                                                                    t, true, s.next, adjust, map);
}

// Several stretches of the row, each a chain of segments, mapped side by side
// so that their pixel-to-pixel dependencies overlap in time. A stretch other
// than the first starts by guessing a zero adjustment; the guess holds unless
// the pixel before its redraw pixel had no colour error, and wrong guesses are
// put right afterwards, in order, so the result is that of one pass.
constexpr int kLanes = 4;

struct Lane {
  Segment* seg;
  Segment* stop;
  uint32_t x;
  uint32_t last;  // the segment's redraw pixel, or its end
};

template <size_t kStep, bool kTransparent, class Mapper>
void DitherLanes(const uint8_t* src, uint8_t* dst, uint8_t t, Segment* segments, size_t count,
                 const Mapper& map) {
  Lane lane[kLanes];
  uint64_t adjust[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    lane[l].seg = segments + count * l / kLanes;
    lane[l].stop = segments + count * (l + 1) / kLanes;
    lane[l].x = lane[l].seg->begin;
    lane[l].last = LastOf(*lane[l].seg);
    lane[l].seg->noiseIn = false;
    adjust[l] = kZero;
  }
  for (;;) {
    // The plain pixels that every lane has before its next redraw pixel.
    uint32_t n = lane[0].last - lane[0].x;
    for (int l = 1; l < kLanes; ++l) n = std::min(n, lane[l].last - lane[l].x);
    for (uint32_t k = 0; k < n; ++k) {
      for (int l = 0; l < kLanes; ++l) {
        const uint32_t x = lane[l].x + k;
        DitherPixel<kStep, kTransparent, Mapper>(src + x * kStep, dst + x, t, false,
                                                 lane[l].seg->noise, adjust[l], map);
      }
    }
    bool done = false;
    for (int l = 0; l < kLanes; ++l) {
      Lane& a = lane[l];
      a.x += n;
      if (a.x != a.last) continue;
      Segment& s = *a.seg;
      if (s.redraw) {
        s.noiseOut = DitherPixel<kStep, kTransparent, Mapper>(src + a.x * kStep, dst + a.x, t, true,
                                                              s.next, adjust[l], map);
        ++a.x;
      }
      if (++a.seg == a.stop) {
        done = true;
        continue;
      }
      a.seg->noiseIn = s.noiseOut;
      a.last = LastOf(*a.seg);
    }
    if (done) break;
  }
  // The lanes still going finish one by one.
  for (int l = 0; l < kLanes; ++l) {
    Lane& a = lane[l];
    if (a.seg == a.stop) continue;
    Segment& s = *a.seg;
    for (uint32_t x = a.x; x < a.last; ++x) {
      DitherPixel<kStep, kTransparent, Mapper>(src + x * kStep, dst + x, t, false, s.noise,
                                               adjust[l], map);
    }
    if (s.redraw) {
      s.noiseOut = DitherPixel<kStep, kTransparent, Mapper>(src + a.last * kStep, dst + a.last, t,
                                                            true, s.next, adjust[l], map);
    }
    for (Segment* next = a.seg + 1; next != a.stop; ++next) {
      next->noiseIn = next[-1].noiseOut;
      DitherSegment<kStep, kTransparent, Mapper>(src, dst, t, *next, map);
    }
  }
}

template <size_t kStep, bool kTransparent, class Mapper>
void DitherRow(const uint8_t* src, size_t width, uint8_t* dst, uint8_t t, uint32_t row,
               uint32_t colors, const Mapper& map, NoiseGenerator& noise) {
  const NoiseAmplitude amplitude = AmplitudeFor(colors);
  noise.Reseed(row);
  // The runs: `run` pixels keep the noise, then the next one draws afresh.
  std::vector<Segment> segments;
  segments.reserve(width / 16 + 2);
  uint64_t current = DrawNoise(noise, amplitude);
  size_t run = DrawRun(noise);
  size_t x = 0;
  for (;;) {
    Segment s{};
    s.begin = static_cast<uint32_t>(x);
    s.noise = current;
    x = std::min(width, x + run);
    if (x < width) {
      current = DrawNoise(noise, amplitude);
      run = DrawRun(noise) - 1;
      s.redraw = true;
      s.next = current;
      ++x;
    }
    s.end = static_cast<uint32_t>(x);
    segments.push_back(s);
    if (x == width) break;
  }

  const size_t count = segments.size();
  if (count < 2 * kLanes) {
    for (size_t k = 0; k < count; ++k) {
      if (k > 0) segments[k].noiseIn = segments[k - 1].noiseOut;
      DitherSegment<kStep, kTransparent, Mapper>(src, dst, t, segments[k], map);
    }
    return;
  }
  DitherLanes<kStep, kTransparent, Mapper>(src, dst, t, segments.data(), count, map);
  // Put wrong guesses right, each fix passing on to the next segment.
  for (size_t k = 1; k < count; ++k) {
    if (segments[k].noiseIn != segments[k - 1].noiseOut) {
      segments[k].noiseIn = segments[k - 1].noiseOut;
      DitherSegment<kStep, kTransparent, Mapper>(src, dst, t, segments[k], map);
    }
  }
}

template <size_t kStep, bool kTransparent>
void PlainRow(const uint8_t* src, size_t width, uint8_t* dst, uint8_t t, ColorMapCache& cache) {
  for (size_t x = 0; x < width; ++x, src += kStep) {
    if (kTransparent && kStep == 4 && src[3] == 0) {
      dst[x] = t;
    } else {
      dst[x] = cache.Find(src[0], src[1], src[2]);
    }
  }
}

template <size_t kStep, bool kTransparent>
void MapRowAs(const uint8_t* src, size_t width, uint8_t* dst, const MapOptions& options,
              ColorMapCache& cache, NoiseGenerator& noise) {
  const uint8_t t = options.transparentIndex;
  if (options.dither && cache.UsesChannelLevels()) {
    DitherRow<kStep, kTransparent>(src, width, dst, t, options.row, cache.Size(),
                                   ChannelMapper(cache), noise);
  } else if (options.dither) {
    DitherRow<kStep, kTransparent>(src, width, dst, t, options.row, cache.Size(),
                                   CellMapper{cache, Levels()}, noise);
  } else {
    PlainRow<kStep, kTransparent>(src, width, dst, options.transparentIndex, cache);
  }
}

}  // namespace

void MapRow(const uint8_t* src, PixelKind kind, size_t width, uint8_t* dst,
            const MapOptions& options, ColorMapCache& cache, NoiseGenerator& noise) {
  ASSERT(kind == PixelKind::kRgb24 || kind == PixelKind::kRgba32);
  cache.UseSkip(options.transparent ? options.transparentIndex : -1);
  if (kind == PixelKind::kRgba32) {
    if (options.transparent) {
      MapRowAs<4, true>(src, width, dst, options, cache, noise);
    } else {
      MapRowAs<4, false>(src, width, dst, options, cache, noise);
    }
  } else if (options.transparent) {
    MapRowAs<3, true>(src, width, dst, options, cache, noise);
  } else {
    MapRowAs<3, false>(src, width, dst, options, cache, noise);
  }
}

}  // namespace gif
