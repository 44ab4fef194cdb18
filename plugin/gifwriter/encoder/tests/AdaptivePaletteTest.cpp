// The opt-in adaptive palette: with the option off, and with it on for
// pictures the exact palette holds, the bytes written before it existed;
// when the exact palette overflows, the colour cube's palette, the
// transparent entry where the rules put it, and the dither option deciding
// between the plain mapping and error diffusion.
#include "plugin/gifwriter/encoder/AdaptivePalette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/gifwriter/encoder/GifEncoder.h"
#include "plugin/gifwriter/encoder/Interlace.h"
#include "plugin/gifwriter/encoder/tests/EncodeHelper.h"
#include "plugin/gifwriter/encoder/tests/GifReader.h"
#include "plugin/gifwriter/encoder/tests/TestPalettes.h"
#include "plugin/gifwriter/encoder/tests/TodaysBytes.h"
#include "xlib/mm/xcube.h"

namespace {

using Bytes = std::vector<uint8_t>;
using giftest::Describe;

using giftest::Env;

// The digests of giftest::PinnedExports() as the encoder wrote them before
// the adaptive palette was added (FNV-1a of each file; taken from that
// build).
struct Pinned {
  const char* name;
  uint64_t digest;
};
const Pinned kTodaysBytes[] = {
    {"photo24", 0xF4AFCDF27CD4EC73ull},
    {"photo24 dither", 0x8E019D336CC45460ull},
    {"photo24 dither interlaced transparent", 0xAE5C28A682CC0CB2ull},
    {"photo24 transparent", 0xF4AFCDF27CD4EC73ull},
    {"letter24", 0xFFB44D791C9C43B1ull},
    {"letter24 dither", 0xFFB44D791C9C43B1ull},
    {"letter24 dither interlaced transparent", 0x8C01F7B34E657CF2ull},
    {"letter24 transparent", 0xFFB44D791C9C43B1ull},
    {"photo32", 0xF4AFCDF27CD4EC73ull},
    {"photo32 dither", 0x8E019D336CC45460ull},
    {"photo32 dither interlaced transparent", 0xBE45E75FE2D95E59ull},
    {"photo32 transparent", 0x39F386C39EA15AFAull},
    {"letter32", 0xC98BA301F7C53188ull},
    {"letter32 dither", 0xC98BA301F7C53188ull},
    {"letter32 dither interlaced transparent", 0x9753BBE3C8528153ull},
    {"letter32 transparent", 0x85587AAE6877E67Aull},
    {"photo24 host index 5", 0xF7F7CC9712597F90ull},
    {"photo32 host index 250 dither", 0x8D7FF4517C6CB586ull},
};

TEST(AdaptivePalette, OffOrNotNeededWritesTodaysBytes) {
  const std::vector<giftest::PinnedExport> cases = giftest::PinnedExports();
  ASSERT_EQ(cases.size(), std::size(kTodaysBytes));
  for (size_t i = 0; i < cases.size(); ++i) {
    const giftest::PinnedExport& c = cases[i];
    ASSERT_EQ(c.name, kTodaysBytes[i].name);
    const Bytes off = giftest::PinnedExportBytes(c, [](gif::GifEncoder&) {});
    ASSERT_FALSE(off.empty()) << c.name;
    EXPECT_EQ(giftest::Digest(off), kTodaysBytes[i].digest) << c.name;
    const Bytes on =
        giftest::PinnedExportBytes(c, [](gif::GifEncoder& e) { e.options.adaptivePalette = true; });
    if (c.photo) {
      // The photos overflow the exact palette: the option changes them.
      EXPECT_NE(on, off) << c.name;
    } else {
      EXPECT_EQ(on, off) << c.name;
    }
  }
}

// The palette the colour cube makes of the pixels, each inserted on its
// own: what the adaptive palette must be, each component within 1 (it
// inserts box averages, rounded, instead of every pixel).
std::vector<PALETTEENTRY> CubePalette(const Bytes& px, int bpp, int colours, bool skipClear) {
  XCUBE cube;
  std::memset(&cube, 0, sizeof cube);
  EXPECT_EQ(xcubeCreate(&cube, gif::AdaptivePalette::kBoxBits, colours), XERR_OK);
  for (size_t i = 0; i < px.size(); i += bpp) {
    if (skipClear && bpp == 4 && px[i + 3] == 0) continue;
    EXPECT_EQ(xcubeInsert(&cube, px[i], px[i + 1], px[i + 2], 1, 0), XERR_OK);
  }
  int reserved = 0;
  cube.logpal = xcubeNewPalette(0, colours, &reserved);
  xcubeReduce(&cube, colours);
  cube.nextIndex = 0;
  xcubeAssign(&cube);
  std::vector<PALETTEENTRY> out(cube.logpal->palPalEntry,
                                cube.logpal->palPalEntry + std::min(cube.nextIndex, colours));
  xcubeFree(&cube);
  return out;
}

uint32_t Rgb(const gif::PaletteEntry& e) {
  return uint32_t(e.red >> 8) << 16 | (e.green >> 8) << 8 | (e.blue >> 8);
}

TEST(AdaptivePalette, OverflowTakesTheCubesPaletteAndMapsToItsNearestEntries) {
  Env env;
  env.encoder.options.adaptivePalette = true;
  const Bytes px = giftest::PhotoLike(64, 48, 3, 3);
  ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(64, 48, 0), px).First(), 0u);
  EXPECT_TRUE(env.encoder.Overflowed());
  const gif::PaletteSpec& p = env.module.currentPalette;
  const std::vector<PALETTEENTRY> cube = CubePalette(px, 3, 256, false);
  ASSERT_GT(cube.size(), 200u);  // far more than the web palette's 216 would use
  ASSERT_EQ(p.size, cube.size());
  EXPECT_EQ(p.transparent, 0);
  for (size_t i = 0; i < cube.size(); ++i) {
    EXPECT_LE(std::abs(int(p.entries[i].red >> 8) - cube[i].peRed), 1) << i;
    EXPECT_LE(std::abs(int(p.entries[i].green >> 8) - cube[i].peGreen), 1) << i;
    EXPECT_LE(std::abs(int(p.entries[i].blue >> 8) - cube[i].peBlue), 1) << i;
  }
  const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
  ASSERT_TRUE(g.ok) << g.error;
  ASSERT_EQ(g.globalTable.size(), 768u);
  for (uint32_t i = 0; i < p.size; ++i) {
    EXPECT_EQ(uint32_t(g.globalTable[3 * i]) << 16 | g.globalTable[3 * i + 1] << 8 |
                  g.globalTable[3 * i + 2],
              Rgb(p.entries[i]))
        << i;
  }
  // Without dither every pixel takes its nearest entry.
  gif::ColorMapCache plain(&p, 1);
  for (size_t i = 0; i < px.size() / 3; ++i) {
    ASSERT_EQ(g.images[0].indices[i], plain.Search(px[3 * i], px[3 * i + 1], px[3 * i + 2], -1))
        << i;
  }
}

// 256 colours, neither white nor black among them: the gathering pass, which
// keeps both, overflows, and the adaptive palette is the picture's own
// colours, so the picture is written losslessly, with dither or without.
TEST(AdaptivePalette, PictureOf256ColoursOverflowingTheGatheringKeepsThemExactly) {
  Bytes px;
  for (int i = 0; i < 256; ++i) px.insert(px.end(), {uint8_t(i), uint8_t(255 - i), 77});
  for (bool dither : {false, true}) {
    Env env;
    env.encoder.options.adaptivePalette = true;
    env.encoder.options.dither = dither;
    ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(32, 8, 0), px).First(), 0u);
    EXPECT_TRUE(env.encoder.Overflowed());
    const gif::PaletteSpec& p = env.module.currentPalette;
    ASSERT_EQ(p.size, 256u);
    for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(Rgb(p.entries[i]), i << 16 | (255 - i) << 8 | 77);
    const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
    ASSERT_TRUE(g.ok) << g.error;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(g.images[0].indices[i], i) << dither;
  }
}

// A 32-bit photo-like picture with a clear square, or a 24-bit one.
Bytes PictureWithClearSquare(int w, int h, int bpp) {
  Bytes px = giftest::PhotoLike(w, h, bpp, 5);
  if (bpp == 4) {
    for (int y = 10; y < 20; ++y)
      for (int x = 8; x < 30; ++x) px[(size_t(y) * w + x) * 4 + 3] = 0;
  }
  return px;
}

TEST(AdaptivePalette, TransparentEntryStaysWhereTheRulesPutIt) {
  const struct Case {
    const char* name;
    int kind;
    bool transparent;
    int hostIndex;  // -1: none flagged
    int expected;   // the transparent entry, -1: none
  } cases[] = {
      {"32-bit, the gathering pass's entry 2", 1, true, -1, 2},
      {"32-bit, the host's index", 1, true, 200, 200},
      {"24-bit, the host's index", 0, true, 7, 7},
      {"32-bit, transparency off: every entry a colour", 1, false, -1, -1},
      {"24-bit, no index: no transparency", 0, true, -1, -1},
  };
  for (const Case& c : cases) {
    for (bool dither : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (dither ? ", dither" : ""));
      Env env;
      env.encoder.options.adaptivePalette = true;
      env.encoder.options.transparent = c.transparent;
      env.encoder.options.dither = dither;
      const int bpp = c.kind ? 4 : 3;
      const Bytes px = PictureWithClearSquare(64, 48, bpp);
      gif::ImageDescription d = Describe(64, 48, c.kind);
      if (c.hostIndex >= 0) {
        d.hasTransparentIndex = true;
        d.transparentIndex = static_cast<int16_t>(c.hostIndex);
      }
      ASSERT_EQ(giftest::Export(env.encoder, env.sink, d, px).First(), 0u);
      const gif::PaletteSpec& p = env.module.currentPalette;
      const std::vector<PALETTEENTRY> cube =
          CubePalette(px, bpp, c.expected >= 0 ? 255 : 256, c.expected >= 0);
      const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
      ASSERT_TRUE(g.ok) << g.error;
      const giftest::DecodedImage& img = g.images[0];
      if (c.expected < 0) {
        EXPECT_EQ(p.size, cube.size());
        EXPECT_EQ(img.controlPacked, 0x00);
        continue;
      }
      ASSERT_EQ(p.size, std::max<size_t>(cube.size() + 1, size_t(c.expected) + 1));
      EXPECT_EQ(p.transparentIndex, c.expected);
      EXPECT_EQ(Rgb(p.entries[c.expected]), 0xFFFFFFu);
      EXPECT_EQ(img.controlPacked, 0x09);
      EXPECT_EQ(img.controlIndex, c.expected);
      // The cube's colours sit around the kept entry, in their order.
      if (c.expected < int(cube.size())) {
        EXPECT_LE(std::abs(int(p.entries[c.expected + 1].red >> 8) - cube[c.expected].peRed), 1);
      }
      for (size_t i = 0; i < img.indices.size(); ++i) {
        const bool clear = bpp == 4 && px[i * 4 + 3] == 0;
        ASSERT_EQ(img.indices[i] == c.expected, clear) << "pixel " << i;
      }
    }
  }
}

// Mean over 4 x 4 blocks of |block average of the source - block average of
// the written colours|, per channel: what the eye sees from a distance.
double BlockError(const Bytes& px, const giftest::DecodedGif& g, int w, int h) {
  const Bytes& table = g.globalTable;
  const Bytes& idx = g.images[0].indices;
  double total = 0;
  int blocks = 0;
  for (int by = 0; by + 4 <= h; by += 4) {
    for (int bx = 0; bx + 4 <= w; bx += 4, ++blocks) {
      for (int k = 0; k < 3; ++k) {
        int source = 0, written = 0;
        for (int y = by; y < by + 4; ++y) {
          for (int x = bx; x < bx + 4; ++x) {
            source += px[(size_t(y) * w + x) * 3 + k];
            written += table[idx[size_t(y) * w + x] * 3 + k];
          }
        }
        total += std::abs(source - written) / 16.0;
      }
    }
  }
  return total / (3.0 * blocks);
}

TEST(AdaptivePalette, DitherDiffusesTheErrorOntoTheSamePalette) {
  // A smooth ramp of few colours per box, so the palette cannot hold every
  // level: plain mapping makes bands, diffusion keeps the averages.
  const int w = 160, h = 64;
  Bytes px(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &px[(size_t(y) * w + x) * 3];
      p[0] = uint8_t(x * 255 / (w - 1));
      p[1] = uint8_t(y * 4);
      p[2] = uint8_t((x * 7 + y * 3) & 0xFF);
    }
  giftest::DecodedGif plain, diffused;
  gif::PaletteSpec palettes[2];
  for (bool dither : {false, true}) {
    Env env;
    env.encoder.options.adaptivePalette = true;
    env.encoder.options.dither = dither;
    ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(w, h, 0), px).First(), 0u);
    (dither ? diffused : plain) = giftest::ReadGif(env.sink.bytes);
    palettes[dither] = env.module.currentPalette;
  }
  ASSERT_TRUE(plain.ok && diffused.ok);
  // The dither option changes the mapping, not the palette.
  EXPECT_EQ(std::memcmp(&palettes[0], &palettes[1], sizeof palettes[0]), 0);
  EXPECT_NE(plain.images[0].indices, diffused.images[0].indices);
  const double plainError = BlockError(px, plain, w, h);
  const double diffusedError = BlockError(px, diffused, w, h);
  EXPECT_LT(diffusedError, plainError * 0.8) << plainError << " " << diffusedError;
}

// Atkinson's diffusion written out plainly: an eighth of each pixel's error
// to (x + 1, y), (x + 2, y), (x - 1, y + 1), (x, y + 1), (x + 1, y + 1) and
// (x, y + 2), kept in sixteenths; the adjusted colour rounded down after
// adding a half, clamped, and mapped by the plain search.
Bytes Atkinson(const Bytes& px, int w, int h, const gif::PaletteSpec& p) {
  gif::ColorMapCache plain(&p, 1);
  std::vector<int> err(size_t(w + 4) * (h + 2) * 3, 0);
  auto at = [&](int x, int y, int k) -> int& { return err[(size_t(y) * (w + 4) + x + 2) * 3 + k]; };
  Bytes out(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int c[3];
      for (int k = 0; k < 3; ++k) {
        const int v = px[(size_t(y) * w + x) * 3 + k] +
                      static_cast<int>(std::floor((at(x, y, k) + 8) / 16.0));
        c[k] = v < 0 ? 0 : v > 255 ? 255 : v;
      }
      const uint8_t i = plain.Search(uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), -1);
      out[size_t(y) * w + x] = i;
      const int e[3] = {c[0] - plain.Red(i), c[1] - plain.Green(i), c[2] - plain.Blue(i)};
      const int shares[6][2] = {{1, 0}, {2, 0}, {-1, 1}, {0, 1}, {1, 1}, {0, 2}};
      for (const auto& s : shares)
        for (int k = 0; k < 3; ++k) at(x + s[0], y + s[1], k) += 2 * e[k];
    }
  }
  return out;
}

TEST(AdaptivePalette, DitherIsAtkinsonsDiffusionThroughThePlainMapping) {
  // Large enough (16384 pixels and more) that the mapping answers from its
  // grid of cells, small enough to check every pixel.
  for (bool interlaced : {false, true}) {
    Env env;
    env.encoder.options.adaptivePalette = true;
    env.encoder.options.dither = true;
    env.encoder.options.interlaced = interlaced;
    const int w = 160, h = 120;
    const Bytes px = giftest::PhotoLike(w, h, 3, 11);
    ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(w, h, 0), px).First(), 0u);
    const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
    ASSERT_TRUE(g.ok) << g.error;
    const Bytes expected = Atkinson(px, w, h, env.module.currentPalette);
    const Bytes& stored = g.images[0].indices;
    for (int i = 0; i < h; ++i) {
      const int y = interlaced ? int(gif::InterlacedRow(uint32_t(i), uint32_t(h))) : i;
      ASSERT_EQ(Bytes(stored.begin() + size_t(i) * w, stored.begin() + size_t(i + 1) * w),
                Bytes(expected.begin() + size_t(y) * w, expected.begin() + size_t(y + 1) * w))
          << "row " << y << (interlaced ? " interlaced" : "");
    }
  }
}

}  // namespace
