// Fuzz target of the encoder core: random sizes, pixel kinds, options,
// palettes, rows and sink failures. Every file written without an error
// status must read back as a valid GIF of the declared size.
//
// Input: kind, flags, width, height, palette size, transparent index, frames
// per second, sink budget, then palette colours (3 bytes each), then pixel
// bytes (repeated to fill the picture). With bit 2 of the kind byte set, the
// working palette is every combination of a few red, green and blue levels
// (counts from the palette size byte, levels from the palette colours), which
// the colour cache answers channel by channel. With the top two bits of the
// kind byte set, the true-colour rows are also mapped through both ways the
// colour cache keeps its answers (the encoder's images here are all small
// enough for the colour-by-colour way), which must agree, and without dither
// must be the plain search's answers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "clib/Assert.h"
#include "plugin/gifwriter/encoder/ColorMapper.h"
#include "plugin/gifwriter/encoder/GifEncoder.h"
#include "plugin/gifwriter/encoder/tests/GifReader.h"

namespace {

class BudgetSink : public gif::ByteSink {
 public:
  explicit BudgetSink(size_t budget) : m_Budget(budget) {}
  size_t Write(const uint8_t* data, size_t count) override {
    const size_t n = count < m_Budget ? count : m_Budget;
    m_Budget -= n;
    bytes.insert(bytes.end(), data, data + n);
    return n;
  }
  std::vector<uint8_t> bytes;

 private:
  size_t m_Budget;
};

gif::PaletteSpec Web() {
  gif::PaletteSpec p = gif::MakeExplicitPalette();
  p.size = 216;
  p.transparentIndex = 215;
  for (int i = 0; i < 216; ++i)
    p.entries[i] = gif::MakeEntry(i / 36 * 51, i / 6 % 6 * 51, i % 6 * 51);
  return p;
}

}  // namespace

// Maps the first rows (a corner of at most 16 x 4 pixels) through a grid
// cache and a colour-by-colour cache of the same palette and options. The
// corner keeps the grid's cost (a cell of answers per new colour) near that
// of the encoding itself.
void CompareCaches(const gif::PaletteSpec& palette, const std::vector<uint8_t>& pixels, int kind,
                   uint32_t width, uint32_t height, bool transparent, int16_t index, bool dither) {
  if (palette.size == 0 || palette.size > 256) return;
  gif::ColorMapCache grid(&palette), byColour(&palette, uint64_t(width) * height);
  ASSERT(grid.UsesGrid() && !byColour.UsesGrid());
  gif::NoiseGenerator noise;
  gif::MapOptions o;
  o.transparent = transparent;
  o.transparentIndex = static_cast<uint8_t>(static_cast<uint16_t>(index) % palette.size);
  o.dither = dither;
  const gif::PixelKind k = kind == 1 ? gif::PixelKind::kRgba32 : gif::PixelKind::kRgb24;
  const size_t bpp = kind == 1 ? 4 : 3;
  const uint32_t w = width < 16 ? width : 16;
  std::vector<uint8_t> a(w), b(w);
  for (uint32_t y = 0; y < height && y < 4; ++y) {
    o.row = y;
    const uint8_t* row = &pixels[size_t(y) * width * bpp];
    gif::MapRow(row, k, w, a.data(), o, grid, noise);
    gif::MapRow(row, k, w, b.data(), o, byColour, noise);
    ASSERT(a == b);
    for (uint32_t x = 0; x < w && !dither; ++x) {
      const uint8_t* px = row + x * bpp;
      const bool clear = transparent && kind == 1 && px[3] == 0;
      ASSERT(a[x] ==
             (clear ? o.transparentIndex
                    : grid.Search(px[0], px[1], px[2], transparent ? o.transparentIndex : -1)));
    }
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const int kind = data[0] % 4;  // 3 is refused
  const bool compareCaches = (data[0] & 0xC0) == 0xC0;
  const bool channelLevels = (data[0] & 0x04) != 0;
  const uint8_t flags = data[1];
  // Indexed pictures go up to 80 x 80, enough for the coder to reach 12-bit
  // codes and clear its table. True-colour rows go up to 256 pixels, wide
  // enough for every way a row's dither is split up, but such pictures hold
  // at most 512 pixels, since each of their colours may cost a search of
  // the palette.
  const uint32_t width = kind == 2 ? 1 + data[2] % 80 : 1 + data[2];
  const uint32_t height = 1 + data[3] % (kind == 2 ? 80 : (512 + width - 1) / width);
  const uint32_t paletteSize = data[4] == 255 ? 0 : data[4] + 1u;  // 0 is refused
  const uint32_t levelCounts = data[4];
  const int16_t transparentIndex = static_cast<int16_t>(static_cast<int8_t>(data[5]) * 3);
  const int32_t fps = static_cast<int8_t>(data[6]);
  const size_t budget = data[7] == 0 ? SIZE_MAX : size_t(data[7]) * 97;
  data += 8;
  size -= 8;

  static gif::EncoderModuleState module;  // shared across inputs, as in the module
  static const gif::PaletteSpec web = Web();
  gif::GifEncoder e(&module, &web);
  e.options.interlaced = flags & 1;
  e.options.transparent = flags & 2;
  e.options.dither = flags & 4;
  e.options.paletteChoice = (flags & 8) ? 0 : 1;
  e.options.animation = flags & 16;
  e.options.initialFrame = (flags & 32) == 0;
  e.options.framesPerSecond = fps;
  e.options.xOffset = (flags & 128) ? -5 : 3;
  e.working = gif::MakeExplicitPalette();
  e.working.size = paletteSize;
  e.working.transparentIndex = transparentIndex;
  for (uint32_t i = 0; i < paletteSize && i < 256; ++i) {
    const uint8_t* c = size >= 3 * (i + 1) ? data + 3 * i : nullptr;
    e.working.entries[i] = c ? gif::MakeEntry(c[0], c[1], c[2]) : gif::MakeEntry(uint8_t(i), 0, 0);
  }
  if (channelLevels && paletteSize > 0) {
    // Level counts 1-4 of green and blue, and as many red levels as fit.
    const uint32_t ng = 1 + levelCounts % 4, nb = 1 + levelCounts / 4 % 4;
    const uint32_t nr = std::max(1u, std::min(paletteSize, 256u) / (ng * nb));
    const uint32_t n = nr * ng * nb;
    const auto level = [&](uint32_t i, int channel) {
      return uint8_t(3 * i + channel < size ? data[3 * i + channel] : i * 37);
    };
    for (uint32_t i = 0; i < n; ++i) {
      e.working.entries[i] =
          gif::MakeEntry(level(i / (ng * nb), 0), level(i / nb % ng, 1), level(i % nb, 2));
    }
    e.working.size = n;
  }
  const size_t used = paletteSize * 3 < size ? paletteSize * 3 : size;
  data += used;
  size -= used;

  const size_t bpp = kind == 0 ? 3 : kind == 1 ? 4 : 1;
  std::vector<uint8_t> pixels(width * height * bpp);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = size ? data[i % size] : uint8_t(i);
  std::vector<gif::PaletteEntry> imagePalette(256);
  for (int i = 0; i < 256; ++i)
    imagePalette[i] = gif::PaletteEntry{0, uint16_t(i), uint16_t(i * 3), 7};

  gif::ImageDescription d;
  d.width = width;
  d.height = height;
  d.kind = kind;
  d.palette = imagePalette.data();
  d.hasTransparentIndex = flags & 64;
  d.transparentIndex = transparentIndex;

  BudgetSink sink(budget);
  gif::Status status = 0;
  auto push = [&]() {
    gif::Status first = e.BeginImage(d);
    for (uint32_t y = 0; y < height; ++y) {
      std::vector<uint8_t> row(pixels.begin() + y * width * bpp,
                               pixels.begin() + (y + 1) * width * bpp);
      const gif::Status s = e.ReceiveRow(y, row.data());
      if (first == 0) first = s;
    }
    const gif::Status s = e.EndImage();
    return first ? first : s;
  };
  if (e.options.paletteChoice == 0) {
    e.SetGathering(true);
    status = push();
    e.SetGathering(false);
  }
  if (status == 0) {
    e.SetOutput(&sink);
    status = push();
  }
  if (status == 0 && (!e.options.animation || e.options.initialFrame)) {
    const giftest::DecodedGif g = giftest::ReadGif(sink.bytes);
    ASSERT(g.ok);
    ASSERT(g.images.size() == 1);
    ASSERT(g.images[0].indices.size() == size_t(width) * height);
  }
  if (compareCaches && kind < 2) {
    CompareCaches(e.working, pixels, kind, width, height, e.options.transparent, transparentIndex,
                  e.options.dither);
  }
  return 0;
}
