#include "plugin/gifwriter/encoder/ColorMapper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "plugin/gifwriter/encoder/tests/TestPalettes.h"

namespace {

using giftest::PaletteOf;
using giftest::WebPalette;

int Hi(uint16_t v) {
  return v >> 8;
}

// Nearest entry by the sum of absolute differences, first wins ties.
int Nearest(const gif::PaletteSpec& p, int r, int g, int b, int skip) {
  int best = 0, bestD = 1 << 30;
  for (int i = 0; i < static_cast<int>(p.size); ++i) {
    if (i == skip) continue;
    const gif::PaletteEntry& e = p.entries[i];
    const int d = std::abs(r - Hi(e.red)) + std::abs(g - Hi(e.green)) + std::abs(b - Hi(e.blue));
    if (d < bestD) bestD = d, best = i;
  }
  return best;
}

// Both ways the cache keeps answers: colour by colour for a small image (100
// lookups expected, so its table fills up and later colours are searched
// afresh), a grid cell at a time for a large one.
const uint64_t kBothWays[] = {100, UINT64_MAX};

TEST(ColorMapCache, SmallImagesAreAnsweredColourByColour) {
  const gif::PaletteSpec p = WebPalette();
  EXPECT_FALSE(gif::ColorMapCache(&p, 100).UsesGrid());
  EXPECT_FALSE(gif::ColorMapCache(&p, gif::ColorMapCache::kGridFromLookups - 1).UsesGrid());
  EXPECT_TRUE(gif::ColorMapCache(&p, gif::ColorMapCache::kGridFromLookups).UsesGrid());
  EXPECT_TRUE(gif::ColorMapCache(&p).UsesGrid());
}

TEST(ColorMapCache, NearestColourTable) {
  // Entries 1 and 2 are both 10 away from (20, 20, 20); the first wins.
  const gif::PaletteSpec p = PaletteOf({0xFFFFFF, 0x0A1414, 0x1E1414, 0x000000});
  struct Case {
    int r, g, b, skip, expected;
  } cases[] = {
      {255, 255, 255, -1, 0}, {250, 240, 255, -1, 0}, {20, 20, 20, -1, 1},
      {0, 0, 0, -1, 3},       {0, 0, 0, 3, 1},        {20, 20, 20, 1, 2},
  };
  for (uint64_t lookups : kBothWays) {
    for (const Case& c : cases) {
      gif::ColorMapCache cache(&p, lookups);
      EXPECT_EQ(cache.Lookup(c.r, c.g, c.b, c.skip), c.expected)
          << c.r << "," << c.g << "," << c.b << " skip " << c.skip << " lookups " << lookups;
    }
  }
}

TEST(ColorMapCache, AnswersAreAlwaysThoseOfThePlainSearch) {
  // Palettes with many ties (duplicates, a coarse grid), random ones and the
  // web cube; colours revisited so remembered answers are used too.
  std::vector<gif::PaletteSpec> palettes = {WebPalette()};
  uint32_t s = 7;
  auto next = [&s]() { return s = s * 1664525u + 1013904223u; };
  for (uint32_t size : {1u, 2u, 3u, 17u, 100u, 256u}) {
    gif::PaletteSpec p = gif::MakeExplicitPalette();
    p.size = size;
    for (uint32_t i = 0; i < size; ++i) {
      const uint32_t c = next() >> 8;
      p.entries[i] = gif::MakeEntry(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
      if (i % 5 == 4) p.entries[i] = p.entries[i - 2];  // a duplicate: exact ties
    }
    palettes.push_back(p);
  }
  gif::PaletteSpec grid = gif::MakeExplicitPalette();
  grid.size = 27;
  for (int i = 0; i < 27; ++i)
    grid.entries[i] = gif::MakeEntry(i / 9 * 100, i / 3 % 3 * 100, i % 3 * 100);
  palettes.push_back(grid);

  for (uint64_t lookups : kBothWays) {
    for (const gif::PaletteSpec& p : palettes) {
      for (int skip : {-1, 0, static_cast<int>(p.size) - 1}) {
        gif::ColorMapCache cache(&p, lookups);
        std::vector<uint32_t> seen;
        for (int i = 0; i < 4000; ++i) {
          const uint32_t c =
              (i % 3 == 0 && !seen.empty()) ? seen[(next() >> 8) % seen.size()] : next() >> 8;
          seen.push_back(c);
          const int r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
          ASSERT_EQ(cache.Lookup(r, g, b, skip), Nearest(p, r, g, b, skip))
              << "size " << p.size << " skip " << skip << " colour " << i << " lookups " << lookups;
        }
      }
    }
  }
}

// Every combination of the given levels, red slowest and blue fastest.
gif::PaletteSpec ChannelLevels(const std::vector<int>& red, const std::vector<int>& green,
                               const std::vector<int>& blue) {
  gif::PaletteSpec p = gif::MakeExplicitPalette();
  p.size = 0;
  for (int r : red)
    for (int g : green)
      for (int b : blue) p.entries[p.size++] = gif::MakeEntry(r, g, b);
  return p;
}

// Levels out of order and repeated (ties between equal levels and between
// levels equally far), and the 3-3-2 palette's 256 entries.
std::vector<gif::PaletteSpec> OddChannelLevels() {
  return {ChannelLevels({200, 10, 10, 90}, {77}, {255, 0, 128, 0, 30}),
          ChannelLevels({0, 36, 73, 109, 146, 182, 219, 255}, {0, 36, 73, 109, 146, 182, 219, 255},
                        {0, 85, 170, 255})};
}

// Palettes for the exhaustive comparisons: every size class (and so every
// noise strength), exact duplicates (ties the first must win), one colour
// repeated throughout, colours on the cache's cell borders, a coarse grid,
// the web cube and other palettes of channel levels.
std::vector<gif::PaletteSpec> ManyPalettes() {
  std::vector<gif::PaletteSpec> palettes = {WebPalette()};
  uint32_t s = 12345;
  auto next = [&s]() { return s = s * 1664525u + 1013904223u; };
  for (uint32_t size : {1u, 2u, 3u, 5u, 16u, 17u, 63u, 64u, 65u, 127u, 128u, 200u, 255u, 256u}) {
    gif::PaletteSpec p = gif::MakeExplicitPalette();
    p.size = size;
    for (uint32_t i = 0; i < size; ++i) {
      const uint32_t c = next() >> 8;
      p.entries[i] = gif::MakeEntry(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
      if (i % 4 == 3) p.entries[i] = p.entries[(next() >> 8) % i];  // a duplicate
    }
    palettes.push_back(p);
  }
  gif::PaletteSpec same = gif::MakeExplicitPalette();
  same.size = 40;
  for (uint32_t i = 0; i < same.size; ++i) same.entries[i] = gif::MakeEntry(100, 150, 200);
  palettes.push_back(same);
  gif::PaletteSpec borders = gif::MakeExplicitPalette();
  borders.size = 64;
  const int levels[] = {0, 7, 8, 127, 128, 135, 248, 255};
  for (uint32_t i = 0; i < borders.size; ++i) {
    borders.entries[i] = gif::MakeEntry(levels[i % 8], levels[i / 8], levels[(i * 5) % 8]);
  }
  palettes.push_back(borders);
  gif::PaletteSpec grid = gif::MakeExplicitPalette();
  grid.size = 27;
  for (int i = 0; i < 27; ++i)
    grid.entries[i] = gif::MakeEntry(i / 9 * 100, i / 3 % 3 * 100, i % 3 * 100);
  palettes.push_back(grid);
  for (const gif::PaletteSpec& p : OddChannelLevels()) palettes.push_back(p);
  return palettes;
}

// Which palettes are answered channel by channel: those made of every
// combination of channel levels, in that order, while the skip is no entry.
TEST(ColorMapCache, PalettesOfChannelLevelsAreAnsweredChannelByChannel) {
  gif::PaletteSpec oneChanged = WebPalette();
  oneChanged.entries[100] = gif::MakeEntry(0, 0, 1);
  gif::PaletteSpec oneMore = WebPalette();
  oneMore.size = 217;
  oneMore.entries[216] = gif::MakeEntry(255, 255, 255);
  gif::PaletteSpec blueSlowest = gif::MakeExplicitPalette();  // the Windows palette's order
  blueSlowest.size = 216;
  for (int i = 0; i < 216; ++i)
    blueSlowest.entries[i] = gif::MakeEntry(i % 6 * 51, i / 6 % 6 * 51, i / 36 * 51);
  gif::PaletteSpec empty = gif::MakeExplicitPalette();
  empty.size = 0;
  const struct {
    const char* name;
    gif::PaletteSpec palette;
    bool expected;
  } cases[] = {
      {"web", WebPalette(), true},
      {"4 x 4 x 4", ChannelLevels({0, 85, 170, 255}, {0, 85, 170, 255}, {0, 85, 170, 255}), true},
      {"odd levels", OddChannelLevels()[0], true},
      {"3-3-2", OddChannelLevels()[1], true},
      {"one colour", PaletteOf({0x123456}), true},
      {"grey ramp", PaletteOf({0x000000, 0x010101, 0x020202}), false},
      {"blues", PaletteOf({0x000000, 0x000080, 0x0000FF}), true},
      {"one entry changed", oneChanged, false},
      {"one entry more", oneMore, false},
      {"blue slowest", blueSlowest, false},
      {"empty", empty, false},
  };
  for (const auto& c : cases) {
    for (uint64_t lookups : kBothWays) {
      gif::ColorMapCache cache(&c.palette, lookups);
      EXPECT_EQ(cache.UsesChannelLevels(), c.expected) << c.name;
      if (!c.expected) continue;
      const int size = static_cast<int>(c.palette.size);
      cache.UseSkip(size - 1);
      EXPECT_FALSE(cache.UsesChannelLevels()) << c.name << ": an entry is skipped";
      cache.UseSkip(size);
      EXPECT_TRUE(cache.UsesChannelLevels()) << c.name << ": the skip is past the palette";
      cache.UseSkip(-1);
      EXPECT_TRUE(cache.UsesChannelLevels()) << c.name;
    }
  }
}

// Every colour of a lattice through all levels, against the plain search.
TEST(ColorMapCache, ChannelLevelsAnswerAsThePlainSearch) {
  std::vector<gif::PaletteSpec> palettes = OddChannelLevels();
  palettes.push_back(WebPalette());
  for (const gif::PaletteSpec& p : palettes) {
    gif::ColorMapCache cache(&p);
    ASSERT_TRUE(cache.UsesChannelLevels());
    for (int r = 0; r < 256; r += 5)
      for (int g = 1; g < 256; g += 7)
        for (int b = 2; b < 256; b += 4)
          ASSERT_EQ(cache.Lookup(r, g, b, -1), Nearest(p, r, g, b, -1))
              << "size " << p.size << " colour " << r << "," << g << "," << b;
  }
}

TEST(ColorMapCache, MatchesThePlainSearchOnBordersTiesAndRandomColours) {
  // One cache per palette, taken through several skips and back, so answers
  // kept from an earlier skip would show.
  uint32_t s = 99;
  auto next = [&s]() { return s = s * 1664525u + 1013904223u; };
  std::vector<uint32_t> colours;
  const int edges[] = {0, 7, 8, 127, 128, 248, 255};
  for (int r : edges)
    for (int g : edges)
      for (int b : edges) colours.push_back(uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16);
  for (int i = 0; i < 1500; ++i) colours.push_back(next() >> 8 & 0xFFFFFF);
  for (int i = 0; i < 600; ++i) {  // both sides of a cell border
    const uint32_t c = (next() >> 8 & 0xF8F8F8) | 0x070707 * (i % 2);
    colours.push_back(c);
  }

  for (uint64_t lookups : kBothWays) {
    for (const gif::PaletteSpec& p : ManyPalettes()) {
      std::vector<uint32_t> mine = colours;  // the entries and their neighbours too
      for (uint32_t i = 0; i < p.size; ++i) {
        for (int d : {-1, 0, 1}) {
          auto lvl = [d](uint16_t v) { return uint32_t(std::min(std::max(Hi(v) + d, 0), 255)); };
          mine.push_back(lvl(p.entries[i].red) | lvl(p.entries[i].green) << 8 |
                         lvl(p.entries[i].blue) << 16);
        }
      }
      gif::ColorMapCache cache(&p, lookups);
      const int last = static_cast<int>(p.size) - 1;
      for (int skip : {-1, last, -1}) {
        for (uint32_t c : mine) {
          const int r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
          ASSERT_EQ(cache.Lookup(r, g, b, skip), Nearest(p, r, g, b, skip))
              << "size " << p.size << " skip " << skip << " colour " << r << "," << g << "," << b
              << " lookups " << lookups;
        }
      }
    }
  }
}

TEST(MapRow, AlphaZeroGetsTransparentIndexOnlyWhenTransparent) {
  const gif::PaletteSpec p = PaletteOf({0xFF0000, 0x0000FF, 0xFFFFFF}, 2);
  // Red opaque, white with alpha 0, blue opaque, red alpha 0.
  const std::vector<uint8_t> row = {255, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0};
  gif::NoiseGenerator noise;
  for (bool transparent : {false, true}) {
    gif::ColorMapCache cache(&p);
    gif::MapOptions o;
    o.transparent = transparent;
    o.transparentIndex = 2;
    std::vector<uint8_t> out(4);
    gif::MapRow(row.data(), gif::PixelKind::kRgba32, 4, out.data(), o, cache, noise);
    const std::vector<uint8_t> expected =
        transparent ? std::vector<uint8_t>{0, 2, 1, 2} : std::vector<uint8_t>{0, 2, 1, 0};
    EXPECT_EQ(out, expected) << "transparent " << transparent;
  }
}

TEST(MapRow, OpaqueColoursNeverMapToTheTransparentEntry) {
  const gif::PaletteSpec p = PaletteOf({0xFF0000, 0x0000FF, 0xFFFFFF}, 2);
  const std::vector<uint8_t> row = {255, 255, 255, 255};  // exactly the transparent entry's colour
  gif::NoiseGenerator noise;
  gif::ColorMapCache cache(&p);
  gif::MapOptions o;
  o.transparent = true;
  o.transparentIndex = 2;
  uint8_t out = 99;
  gif::MapRow(row.data(), gif::PixelKind::kRgba32, 1, &out, o, cache, noise);
  EXPECT_EQ(out, 0);  // red (255+255 away) ties blue and comes first
}

// 24-bit pixels have no alpha. Reading a "fourth byte" would take the next
// pixel's red (0 here, so "transparent") and, for the last pixel, a byte
// past the row; the row below is exactly 6 bytes so a sanitizer catches it.
TEST(MapRow, TwentyFourBitPixelsAreOpaque) {
  const gif::PaletteSpec p = PaletteOf({0x102030, 0x000000, 0xFFFFFF}, 2);
  const std::vector<uint8_t> row = {0x10, 0x20, 0x30, 0x00, 0x00, 0x00};
  for (bool dither : {false, true}) {
    gif::NoiseGenerator noise;
    gif::ColorMapCache cache(&p);
    gif::MapOptions o;
    o.transparent = true;
    o.transparentIndex = 2;
    o.dither = dither;
    std::vector<uint8_t> out(2, 99);
    gif::MapRow(row.data(), gif::PixelKind::kRgb24, 2, out.data(), o, cache, noise);
    EXPECT_NE(out[0], 2);
    EXPECT_NE(out[1], 2);
    if (!dither) {
      EXPECT_EQ(out, (std::vector<uint8_t>{0, 1}));
    }
  }
}

// The dither written out from its rules, without a cache.
std::vector<uint8_t> ReferenceDither(const gif::PaletteSpec& p, const std::vector<uint8_t>& src,
                                     int bpp, int width, bool transparent, int t, uint32_t row) {
  gif::NoiseGenerator g;
  int modulus = 63, offset = 31;
  if (p.size >= 128) modulus = 31, offset = 15;
  if (p.size < 64) modulus = 127, offset = 63;
  auto noise = [&]() { return static_cast<int16_t>(uint16_t(g.Next() % modulus - offset)); };
  g.Reseed(row);
  int nr = noise(), ng = noise(), nb = noise();
  int run = (g.Next() & 15) | 16;
  int ar = 0, ag = 0, ab = 0;
  std::vector<uint8_t> out;
  auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
  for (int x = 0; x < width; ++x) {
    const uint8_t* s = &src[size_t(x) * bpp];
    const int r = clamp(s[0] - ar), gg = clamp(s[1] - ag), b = clamp(s[2] - ab);
    const bool alphaZero = bpp == 4 && s[3] == 0;
    int index = (transparent && alphaZero) ? t : Nearest(p, r, gg, b, transparent ? t : -1);
    out.push_back(static_cast<uint8_t>(index));
    int er = 0, eg = 0, eb = 0;
    if (!(transparent && index == t)) {
      er = Hi(p.entries[index].red) - r;
      eg = Hi(p.entries[index].green) - gg;
      eb = Hi(p.entries[index].blue) - b;
    }
    const bool w = ar != 0 || ag != 0 || ab != 0;
    const bool e = er != 0 || eg != 0 || eb != 0;
    if (run != 0) {
      ar = er, ag = eg, ab = eb;
      if (!w && e) ar = nr, ag = ng, ab = nb;
    } else {
      nr = noise(), ng = noise(), nb = noise();
      run = (g.Next() & 15) | 16;
      if (!w && e) {
        ar = nr, ag = ng, ab = nb;
      } else {
        ar = ag = ab = 0;
      }
    }
    --run;
  }
  return out;
}

TEST(MapRow, DitherFollowsTheRulesForEachNoiseStrength) {
  const gif::PaletteSpec palettes[] = {
      WebPalette(),                                                 // 216: weak noise
      PaletteOf({0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,  // 5: strong noise
                 0x808080}),
  };
  gif::PaletteSpec sixtyFour = gif::MakeExplicitPalette();  // 64: middle
  sixtyFour.size = 64;
  for (int i = 0; i < 64; ++i) {
    sixtyFour.entries[i] = gif::MakeEntry((i >> 4) * 85, (i >> 2 & 3) * 85, (i & 3) * 85);
  }
  std::vector<gif::PaletteSpec> all(std::begin(palettes), std::end(palettes));
  all.push_back(sixtyFour);

  const int w = 97, h = 5;
  for (const gif::PaletteSpec& p : all) {
    for (int bpp : {3, 4}) {
      std::vector<uint8_t> img = giftest::PhotoLike(w, h, bpp, 3);
      if (bpp == 4) {
        for (int i = 0; i < w * h; i += 7) img[size_t(i) * 4 + 3] = 0;  // some transparent
      }
      for (bool transparent : {false, true}) {
        const int t = static_cast<int>(p.size) - 1;
        gif::NoiseGenerator noise;
        gif::ColorMapCache cache(&p);
        for (int y = 0; y < h; ++y) {
          gif::MapOptions o;
          o.transparent = transparent;
          o.transparentIndex = static_cast<uint8_t>(t);
          o.dither = true;
          o.row = static_cast<uint32_t>(y);
          std::vector<uint8_t> src(img.begin() + size_t(y) * w * bpp,
                                   img.begin() + size_t(y + 1) * w * bpp);
          std::vector<uint8_t> out(w);
          gif::MapRow(src.data(), bpp == 4 ? gif::PixelKind::kRgba32 : gif::PixelKind::kRgb24, w,
                      out.data(), o, cache, noise);
          EXPECT_EQ(out, ReferenceDither(p, src, bpp, w, transparent, t, y))
              << "size " << p.size << " bpp " << bpp << " transparent " << transparent << " row "
              << y;
        }
      }
    }
  }
}

// Rows long enough for every way MapRow may split the work, against the rules
// written out above: photo-like colours; exact palette colours with stray
// pixels, whose errors are zero so the adjustment often resets; saturated
// black and white, where clamping makes zero errors common; random noise.
// With and without dither, alpha and transparency, on several rows.
TEST(MapRow, LongRowsFollowTheRulesForEveryPaletteAndPicture) {
  const std::vector<gif::PaletteSpec> palettes = ManyPalettes();
  uint32_t s = 4242;
  auto next = [&s]() { return s = s * 1664525u + 1013904223u; };
  for (uint64_t lookups : kBothWays) {
    for (const gif::PaletteSpec& p : palettes) {
      // One cache for each skip, kept through all the pictures like an image's.
      gif::ColorMapCache plain(&p, lookups), withSkip(&p, lookups);
      for (int width : {1, 17, 211, 1500}) {
        for (int picture = 0; picture < (width > 300 ? 3 : 4); ++picture) {  // noise: short rows
          for (int bpp : {3, 4}) {
            std::vector<uint8_t> img = giftest::PhotoLike(width, 1, bpp, next());
            for (int x = 0; x < width; ++x) {
              uint8_t* px = &img[size_t(x) * bpp];
              const uint32_t n = next() >> 8;
              if (picture == 1) {
                const gif::PaletteEntry& e = p.entries[(x / 9) % p.size];
                px[0] = static_cast<uint8_t>(Hi(e.red));
                px[1] = static_cast<uint8_t>(Hi(e.green));
                px[2] = static_cast<uint8_t>(Hi(e.blue));
                if (n % 23 == 0) px[n % 3] = static_cast<uint8_t>(n >> 8);
              } else if (picture == 2) {
                const uint8_t v = (n % 7 == 0) ? static_cast<uint8_t>(n >> 8) : (x / 13 % 2) * 255;
                px[0] = px[1] = px[2] = v;
                if (n % 5 == 0) px[n % 3] = static_cast<uint8_t>(255 - v);
              } else if (picture == 3) {
                px[0] = static_cast<uint8_t>(n), px[1] = static_cast<uint8_t>(n >> 8);
                px[2] = static_cast<uint8_t>(n >> 16);
              }
              if (bpp == 4) px[3] = (n >> 20) % 11 == 0 ? 0 : 255;
            }
            for (bool transparent : {false, true}) {
              for (bool dither : {false, true}) {
                const int t = static_cast<int>(p.size) - 1;
                gif::NoiseGenerator noise;
                gif::ColorMapCache& cache = transparent ? withSkip : plain;
                for (uint32_t row : {0u, 37u}) {
                  gif::MapOptions o;
                  o.transparent = transparent;
                  o.transparentIndex = static_cast<uint8_t>(t);
                  o.dither = dither;
                  o.row = row;
                  std::vector<uint8_t> out(size_t(width) + 1, 0xEE);
                  gif::MapRow(img.data(),
                              bpp == 4 ? gif::PixelKind::kRgba32 : gif::PixelKind::kRgb24,
                              size_t(width), out.data(), o, cache, noise);
                  std::vector<uint8_t> expected;
                  if (dither) {
                    expected = ReferenceDither(p, img, bpp, width, transparent, t, row);
                  } else {
                    for (int x = 0; x < width; ++x) {
                      const uint8_t* px = &img[size_t(x) * bpp];
                      const bool clear = transparent && bpp == 4 && px[3] == 0;
                      expected.push_back(static_cast<uint8_t>(
                          clear ? t : Nearest(p, px[0], px[1], px[2], transparent ? t : -1)));
                    }
                  }
                  expected.push_back(0xEE);  // nothing written past the row
                  ASSERT_EQ(out, expected)
                      << "size " << p.size << " width " << width << " picture " << picture
                      << " bpp " << bpp << " transparent " << transparent << " dither " << dither
                      << " row " << row << " lookups " << lookups;
                }
              }
            }
          }
        }
      }
    }
  }
}

TEST(MapRow, DitherChangesSomeIndicesOfASmoothImage) {
  // Guards against a dither that silently does nothing.
  const gif::PaletteSpec web = WebPalette();
  const int w = 64;
  const std::vector<uint8_t> img = giftest::PhotoLike(w, 1, 3, 5);
  gif::NoiseGenerator noise;
  std::vector<uint8_t> plain(w), dithered(w);
  gif::MapOptions o;
  gif::ColorMapCache c1(&web);
  gif::MapRow(img.data(), gif::PixelKind::kRgb24, w, plain.data(), o, c1, noise);
  o.dither = true;
  gif::ColorMapCache c2(&web);
  gif::MapRow(img.data(), gif::PixelKind::kRgb24, w, dithered.data(), o, c2, noise);
  EXPECT_NE(plain, dithered);
}

}  // namespace
