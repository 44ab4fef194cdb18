// Dithering onto a cube's palette: the tables, the error diffusion with its
// weights and limits, the lookup cache, the 2-entry rule, output packing at
// 8, 4 and 1 bits and the header afterwards. Expected indices are traced by
// hand from the rules in the comments beside them.
#include "xlib/mm/xdither.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "xlib/mm/tests/CubePictures.h"
#include "xlib/mm/xcube.h"
#include "xlib/mm/xdisplay.h"

using cubetest::Color;
using cubetest::Dib24;
using cubetest::SetPalette;

namespace {

struct Cube {
  XCUBE cube;
  Cube() { std::memset(&cube, 0, sizeof cube); }
  ~Cube() { xcubeFree(&cube); }
  XCUBE* get() { return &cube; }
};

struct Dither {
  XDITHER context;
  Dither() { std::memset(&context, 0, sizeof context); }
  ~Dither() { xditherFree(&context); }
  XDITHER* get() { return &context; }
};

// Dithers dib onto cube's palette with the saver's key bits.
int DitherWith(XCUBE* cube, XDIB* dib, int nLevel) {
  Dither d;
  const int rc = xditherInit(d.get(), cube, 0, 6, 6, 6, nLevel);
  if (rc != XERR_OK) return rc;
  return xditherDib(d.get(), dib);
}

TEST(XditherInit, TablesAndKeyShifts) {
  Cube cube;
  ASSERT_TRUE(SetPalette(cube.get(), {Color{0, 0, 0}, Color{9, 9, 9}, Color{99, 9, 9}}));
  Dither d;
  ASSERT_EQ(xditherInit(d.get(), cube.get(), 0, 6, 6, 6, 2), XERR_OK);
  XDITHER& c = d.context;
  EXPECT_EQ(c.cube, cube.get());
  EXPECT_EQ(c.callback, nullptr);
  EXPECT_EQ(c.keyBits, 18);
  EXPECT_EQ(c.keyCount, 262144);
  EXPECT_EQ(c.rShift, 2);
  EXPECT_EQ(c.gShift, 2);
  EXPECT_EQ(c.gLeft, 6);
  EXPECT_EQ(c.bShift, 2);
  EXPECT_EQ(c.bLeft, 12);
  // The three tables lie in one block, in order.
  const uint8_t* block = static_cast<const uint8_t*>(c.tables);
  EXPECT_EQ(c.clamp, block + 256);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(c.lookup), block + 768);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(c.limit), block + 768 + 2 * 262144 + 4 * 255);
  struct {
    int in, out;
  } clamps[] = {{-256, 0}, {-1, 0}, {0, 0}, {200, 200}, {255, 255}, {256, 255}, {511, 255}};
  for (const auto& k : clamps) EXPECT_EQ(c.clamp[k.in], k.out) << k.in;
  int unknown = 0;
  for (int i = 0; i < c.keyCount; ++i) unknown += c.lookup[i] == -1;
  EXPECT_EQ(unknown, c.keyCount);
}

TEST(XditherInit, ErrorLimitsForEachLevel) {
  Cube cube;
  ASSERT_TRUE(SetPalette(cube.get(), {Color{0, 0, 0}, Color{9, 9, 9}, Color{99, 9, 9}}));
  struct Case {
    int level, error, limited;
  } cases[] = {
      // Level 0 passes nothing on; level 1 everything.
      {0, 0, 0},
      {0, 1, 0},
      {0, 255, 0},
      {0, -200, 0},
      {1, 1, 1},
      {1, 160, 160},
      {1, 255, 255},
      {1, -255, -255},
      // Level 2: unchanged to 128, then one more every second step.
      {2, 1, 1},
      {2, 128, 128},
      {2, 129, 129},
      {2, 130, 130},
      {2, 131, 130},
      {2, 132, 131},
      {2, 160, 145},
      {2, 192, 161},
      {2, 255, 192},
      {2, -160, -145},
      {2, -255, -192},
      // Level 8 (step doubles at every even error): 1 2 3 4 4 5 5 5 5, then
      // 6 for 10 to 25, then 7.
      {8, 3, 3},
      {8, 4, 4},
      {8, 5, 4},
      {8, 6, 5},
      {8, 9, 5},
      {8, 10, 6},
      {8, 25, 6},
      {8, 26, 7},
      {8, 255, 7},
      {8, -9, -5},
  };
  for (const Case& k : cases) {
    Dither d;
    ASSERT_EQ(xditherInit(d.get(), cube.get(), 0, 6, 6, 6, k.level), XERR_OK);
    EXPECT_EQ(d.context.limit[0], 0);
    EXPECT_EQ(d.context.limit[k.error], k.limited) << "level " << k.level << " error " << k.error;
  }
}

TEST(XditherDeath, MisuseIsAsserted) {
  Cube cube;
  ASSERT_TRUE(SetPalette(cube.get(), {Color{0, 0, 0}, Color{9, 9, 9}, Color{99, 9, 9}}));
  EXPECT_DEATH(
      {
        Dither d;
        xditherInit(d.get(), cube.get(), 0, 6, 6, 6, 9);
      },
      "Assertion failed: 0 <= nLevel && nLevel <= 8, file .*xdither");
  EXPECT_DEATH(
      {
        Cube empty;
        ASSERT_EQ(xcubeCreate(empty.get(), 0, 256), XERR_OK);
        Dither d;
        xditherInit(d.get(), empty.get(), 0, 6, 6, 6, 2);
      },
      "Assertion failed: cube == NULL .. cube->logpal != NULL, file");
  EXPECT_DEATH(
      {
        Dib24 dib({{Color{1, 2, 3}}});
        dib.dib.bmiHeader.biBitCount = 8;
        DitherWith(cube.get(), &dib.dib, 2);
      },
      "Assertion failed: xdibBitCount\\(dib\\) == 24, file");
}

TEST(XditherDib, OneColourPictureTakesItsEntryEverywhere) {
  // The saver's order on a 256-colour display without a hardware palette.
  XDisplayDescription display;
  display.numColors = 256;
  XDisplayScope use(display);
  const Color c{30, 60, 90};
  Dib24 dib({{c, c, c, c, c}, {c, c, c, c, c}, {c, c, c, c, c}});
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 0), XERR_OK);
  ASSERT_EQ(xcubeAddDib(cube.get(), &dib.dib), XERR_OK);
  ASSERT_NE(xcubeMakePalette(cube.get(), 0, 1), nullptr);
  ASSERT_EQ(xdibTo24Bit(&dib.dib), XERR_OK);
  ASSERT_EQ(DitherWith(cube.get(), &dib.dib, 2), XERR_OK);
  // 16 standard colours reserved: the picture's colour is entry 8; with no
  // error anywhere every pixel is exactly it.
  const BITMAPINFOHEADER& h = dib.dib.bmiHeader;
  EXPECT_EQ(h.biBitCount, 8);
  EXPECT_EQ(h.biCompression, 0u);
  EXPECT_EQ(h.biSizeImage, 0u);
  EXPECT_EQ(h.biClrUsed, 0u);
  EXPECT_EQ(h.biClrImportant, 0u);
  EXPECT_EQ(dib.dib.rowBytes, 8u);
  EXPECT_EQ(dib.dib.colorUse, 0u);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dib.dib.bits[y * 8 + x], 8) << x << "," << y;
  const RGBQUAD& q = dib.dib.bmiColors[8];
  EXPECT_EQ(q.rgbRed, 30);
  EXPECT_EQ(q.rgbGreen, 60);
  EXPECT_EQ(q.rgbBlue, 90);
  EXPECT_EQ(std::memcmp(&dib.dib.palette[8], &q, sizeof q), 0);
  EXPECT_EQ(dib.dib.bmiColors[9].rgbRed, 255);      // white, not assigned
  EXPECT_EQ(dib.dib.bmiColors[255].rgbGreen, 255);  // standard white
  EXPECT_EQ(dib.dib.bmiColors[1].rgbRed, 128);      // standard dark red
  EXPECT_EQ(dib.dib.bmiColors[1].rgbBlue, 0);
}

TEST(XditherDib, TwoEntriesGiveOneBitBySum) {
  Cube cube;
  ASSERT_TRUE(SetPalette(cube.get(), {Color{0, 0, 0}, Color{255, 255, 255}}));
  const Color lo{127, 128, 128}, hi{128, 128, 128}, w{255, 255, 255}, k{0, 0, 0};
  // Sums: 383 -> 0, 384 -> 1. Level 0: no error passed on.
  Dib24 dib({{hi, lo, w, hi, k, lo, k, w, hi, lo}, {k, k, k, lo, lo, k, k, k, k, hi}});
  ASSERT_EQ(DitherWith(cube.get(), &dib.dib, 0), XERR_OK);
  EXPECT_EQ(dib.dib.bmiHeader.biBitCount, 1);
  ASSERT_EQ(dib.dib.rowBytes, 4u);
  const uint8_t* b = dib.dib.bits;
  EXPECT_EQ(b[0], 0xB1);  // 1011 0001
  EXPECT_EQ(b[1], 0x80);  // 10, the rest of the byte cleared
  EXPECT_EQ(b[4], 0x00);
  EXPECT_EQ(b[5], 0x40);
  EXPECT_EQ(dib.dib.bmiColors[1].rgbGreen, 255);
}

TEST(XditherDib, ErrorsSpreadSevenThreeFiveOne) {
  Cube cube;
  ASSERT_TRUE(SetPalette(cube.get(), {Color{0, 0, 0}, Color{255, 255, 255}}));
  const Color g{120, 120, 120};
  Dib24 dib({{g, g}, {g, g}});
  // Level 1 passes errors unchanged (errors in sixteenths):
  // row 0, x 0: 360 -> 0, error 120: right +840, below-left +360 (margin),
  //   below +600, below-right +120.
  // row 0, x 1: 120 + 840/16 = 172, 516 -> 1, error -83: below-left
  //   600 - 249 = 351, below 120 - 415 = -295.
  // row 1, x 0: 120 + 351/16 = 141, 423 -> 1, error -114: right
  //   -295 - 798 = -1093.
  // row 1, x 1: 120 + (-1093 >> 4 = -69) = 51, 153 -> 0.
  ASSERT_EQ(DitherWith(cube.get(), &dib.dib, 1), XERR_OK);
  EXPECT_EQ(dib.dib.bits[0] & 0xC0, 0x40);
  EXPECT_EQ(dib.dib.bits[4] & 0xC0, 0x80);
  // The same picture with level 0: every pixel 0.
  Dib24 flat({{g, g}, {g, g}});
  ASSERT_EQ(DitherWith(cube.get(), &flat.dib, 0), XERR_OK);
  EXPECT_EQ(flat.dib.bits[0] & 0xC0, 0x00);
  EXPECT_EQ(flat.dib.bits[4] & 0xC0, 0x00);
}

// The diffusion rules written out plainly over whole-picture error arrays,
// for a 2-entry palette (index by sum, so no tree is involved): a second
// reading of the rules to hold a larger picture against.
std::vector<int> ReferenceTwoEntries(const std::vector<std::vector<Color>>& rows,
                                     const int32_t* limit, const Color palette[2]) {
  const int h = static_cast<int>(rows.size());
  const int w = static_cast<int>(rows[0].size());
  std::vector<std::vector<std::vector<int>>> err(
      h + 1, std::vector<std::vector<int>>(w + 2, std::vector<int>(3, 0)));
  std::vector<int> indices;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int in[3] = {rows[y][x].r, rows[y][x].g, rows[y][x].b};
      int v[3];
      for (int c = 0; c < 3; ++c) {
        int e = err[y][x + 1][c];
        e = e >= 0 ? e / 16 : -((-e + 15) / 16);  // rounded down
        const int t = in[c] + limit[e];
        v[c] = t < 0 ? 0 : t > 255 ? 255 : t;
      }
      const int index = (v[0] + v[1] + v[2]) / 384;
      indices.push_back(index);
      const int p[3] = {palette[index].r, palette[index].g, palette[index].b};
      for (int c = 0; c < 3; ++c) {
        const int e = v[c] - p[c];
        err[y][x + 2][c] += 7 * e;
        err[y + 1][x][c] += 3 * e;
        err[y + 1][x + 1][c] += 5 * e;
        err[y + 1][x + 2][c] += e;
      }
    }
  return indices;
}

TEST(XditherDib, DiffusionAgreesWithThePlainRulesOnALargerPicture) {
  const Color palette[2] = {Color{20, 0, 40}, Color{250, 200, 255}};
  std::vector<std::vector<Color>> rows;
  uint32_t seed = 12345;
  for (int y = 0; y < 9; ++y) {
    std::vector<Color> row;
    for (int x = 0; x < 13; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int base = 70 + static_cast<int>((seed >> 16) % 120);
      row.push_back(Color{static_cast<uint8_t>(base), static_cast<uint8_t>(base + x),
                          static_cast<uint8_t>(255 - base - y)});
    }
    rows.push_back(row);
  }
  for (int level : {1, 2, 3, 8}) {
    Cube cube;
    ASSERT_TRUE(SetPalette(cube.get(), {palette[0], palette[1]}));
    Dib24 dib(rows);
    Dither d;
    ASSERT_EQ(xditherInit(d.get(), cube.get(), 0, 6, 6, 6, level), XERR_OK);
    const std::vector<int> expected = ReferenceTwoEntries(rows, d.context.limit, palette);
    ASSERT_EQ(xditherDib(d.get(), &dib.dib), XERR_OK);
    ASSERT_EQ(dib.dib.bmiHeader.biBitCount, 1);
    int ones = 0;
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 13; ++x) {
        const int got = (dib.dib.bits[y * dib.dib.rowBytes + x / 8] >> (7 - x % 8)) & 1;
        EXPECT_EQ(got, expected[y * 13 + x]) << "level " << level << " at " << x << "," << y;
        ones += got;
      }
    EXPECT_GT(ones, 10);
    EXPECT_LT(ones, 9 * 13 - 10);
  }
}

TEST(XditherDib, FourBitsByPlainNearestAtLevelZero) {
  Cube cube;
  ASSERT_TRUE(SetPalette(
      cube.get(), {Color{0, 0, 0}, Color{255, 0, 0}, Color{0, 0, 255}, Color{255, 255, 255}}));
  Dib24 dib({{Color{200, 30, 30}, Color{20, 20, 220}, Color{240, 240, 240}},
             {Color{10, 10, 10}, Color{250, 10, 10}, Color{0, 0, 0}}});
  ASSERT_EQ(DitherWith(cube.get(), &dib.dib, 0), XERR_OK);
  EXPECT_EQ(dib.dib.bmiHeader.biBitCount, 4);
  ASSERT_EQ(dib.dib.rowBytes, 4u);
  const uint8_t* b = dib.dib.bits;
  EXPECT_EQ(b[0], 0x12);    // red, blue
  EXPECT_EQ(b[1] >> 4, 3);  // white
  EXPECT_EQ(b[4], 0x01);    // black, red (row 1 starts at 4 bytes)
  EXPECT_EQ(b[5] >> 4, 0);
  EXPECT_EQ(dib.dib.bmiColors[2].rgbBlue, 255);
  EXPECT_EQ(dib.dib.bmiColors[2].rgbRed, 0);
}

TEST(XditherDib, TheFirstColourOfAKeyBoxDecidesForTheBox) {
  // (0, 0, 0) and (3, 0, 0) share a 6-bit key box; each alone maps to
  // its own exact entry.
  for (int order = 0; order < 2; ++order) {
    Cube cube;
    ASSERT_TRUE(SetPalette(cube.get(), {Color{0, 0, 0}, Color{3, 0, 0}, Color{255, 255, 255}}));
    const Color a{0, 0, 0}, b{3, 0, 0};
    Dib24 dib({order == 0 ? std::vector<Color>{a, b} : std::vector<Color>{b, a}});
    ASSERT_EQ(DitherWith(cube.get(), &dib.dib, 0), XERR_OK);
    EXPECT_EQ(dib.dib.bits[0], order == 0 ? 0x00 : 0x11) << order;
  }
}

TEST(XditherDib, RefusesRowsTheBlockCannotHold) {
  Cube cube;
  ASSERT_TRUE(SetPalette(cube.get(), {Color{0, 0, 0}, Color{9, 9, 9}, Color{99, 9, 9}}));
  Dib24 dib({{Color{1, 2, 3}, Color{4, 5, 6}, Color{7, 8, 9}}});
  dib.dib.rowBytes = 8;  // three pixels need 9 bytes
  EXPECT_EQ(DitherWith(cube.get(), &dib.dib, 2), XERR_FORMAT);
  EXPECT_EQ(dib.dib.bmiHeader.biBitCount, 24);
}

}  // namespace
