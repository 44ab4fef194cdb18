#include "plugin/gifwriter/Palettes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using gif::PaletteSpec;

uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

// The colours of a built palette as 0xRRGGBB, checking on the way that each
// entry stores its 8-bit components as c * 257 with a zero value word.
std::vector<uint32_t> Colors(const PaletteSpec& p) {
  std::vector<uint32_t> colors;
  for (uint32_t i = 0; i < p.size; ++i) {
    const gif::PaletteEntry& e = p.entries[i];
    EXPECT_EQ(0, e.value) << i;
    EXPECT_EQ(0, e.red % 257) << i;
    EXPECT_EQ(0, e.green % 257) << i;
    EXPECT_EQ(0, e.blue % 257) << i;
    colors.push_back(Rgb(e.red / 257, e.green / 257, e.blue / 257));
  }
  return colors;
}

PaletteSpec Build(int choice) {
  PaletteSpec p;
  std::memset(&p, 0xA5, sizeof p);  // garbage that must not survive
  p.transparent = 1;
  EXPECT_TRUE(gif::BuildBuiltinPalette(choice, &p));
  return p;
}

// The rules, computed here independently of the builder.
std::vector<uint32_t> Cube(int levels, int step, int rWeight, int gWeight, int bWeight) {
  std::vector<uint32_t> colors(levels * levels * levels);
  for (int r = 0; r < levels; ++r)
    for (int g = 0; g < levels; ++g)
      for (int b = 0; b < levels; ++b)
        colors[r * rWeight + g * gWeight + b * bWeight] = Rgb(r * step, g * step, b * step);
  return colors;
}

TEST(BuiltinPalettes, SizesTransparentIndicesAndHeaderFields) {
  struct Case {
    int choice;
    uint32_t size;
    int16_t transparentIndex;
  } cases[] = {{1, 216, 215}, {2, 64, 63}, {3, 32, 31}, {4, 16, 15},
               {5, 256, 0},   {6, 256, 0}, {7, 256, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    PaletteSpec p = Build(c.choice);
    EXPECT_EQ(gif::kPaletteKindExplicit, p.kind);
    EXPECT_EQ(1, p.one);
    EXPECT_EQ(8, p.bitsPerComponent);
    EXPECT_EQ(256u, p.capacity);
    EXPECT_EQ(c.size, p.size);
    EXPECT_EQ(c.transparentIndex, p.transparentIndex);
    EXPECT_EQ(1, p.transparent);  // left as it was
    for (uint32_t i = c.size; i < 256; ++i) {
      const gif::PaletteEntry& e = p.entries[i];
      EXPECT_EQ(0, e.value | e.red | e.green | e.blue) << "unused entry " << i;
    }
  }
}

TEST(BuiltinPalettes, WebIs36rPlus6gPlusB) {
  EXPECT_EQ(Cube(6, 51, 36, 6, 1), Colors(Build(gif::kChoiceWeb)));
}

TEST(BuiltinPalettes, SixtyFourIs16rPlus4gPlusB) {
  EXPECT_EQ(Cube(4, 85, 16, 4, 1), Colors(Build(gif::kChoice64)));
}

TEST(BuiltinPalettes, ThirtyTwoIsThreeLevelCubeThenFiveGreys) {
  std::vector<uint32_t> expected(32);
  const int level[3] = {0, 127, 255};
  for (int r = 0; r < 3; ++r)
    for (int g = 0; g < 3; ++g)
      for (int b = 0; b < 3; ++b) expected[9 * r + 3 * g + b] = Rgb(level[r], level[g], level[b]);
  const int greys[5] = {51, 102, 153, 170, 204};
  for (int i = 0; i < 5; ++i) expected[27 + i] = Rgb(greys[i], greys[i], greys[i]);
  EXPECT_EQ(expected, Colors(Build(gif::kChoice32)));
}

TEST(BuiltinPalettes, SixteenIsTableA) {
  const std::vector<uint32_t> tableA = {0x000000, 0xBF0000, 0x0000BF, 0xBF00BF, 0x00BF00, 0xBFBF00,
                                        0x00BFBF, 0xC0C0C0, 0x808080, 0xFF0000, 0x0000FF, 0xFF00FF,
                                        0x00FF00, 0xFFFF00, 0x00FFFF, 0xFFFFFF};
  EXPECT_EQ(tableA, Colors(Build(gif::kChoice16)));
}

TEST(BuiltinPalettes, MacintoshIsDescendingCubeThenRampsThenBlack) {
  std::vector<uint32_t> c = Colors(Build(gif::kChoiceMacintosh));
  ASSERT_EQ(256u, c.size());
  EXPECT_EQ(0xFFFFFFu, c[0]);
  EXPECT_EQ(0xFFCCFFu, c[1]);  // green fastest
  EXPECT_EQ(0xFF99FFu, c[2]);
  EXPECT_EQ(0xFFFFCCu, c[6]);    // then blue
  EXPECT_EQ(0xCCFFFFu, c[36]);   // red slowest
  EXPECT_EQ(0x003300u, c[214]);  // the cube's last colour before black
  const int lv[6] = {0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00};
  for (int i = 0; i < 215; ++i) EXPECT_EQ(Rgb(lv[i / 36], lv[i % 6], lv[(i / 6) % 6]), c[i]) << i;
  const int ramp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(Rgb(ramp[k], 0, 0), c[215 + k]) << k;
    EXPECT_EQ(Rgb(0, 0, ramp[k]), c[225 + k]) << k;
    EXPECT_EQ(Rgb(0, ramp[k], 0), c[235 + k]) << k;
    EXPECT_EQ(Rgb(ramp[k], ramp[k], ramp[k]), c[245 + k]) << k;
  }
  EXPECT_EQ(0x000000u, c[255]);
}

TEST(BuiltinPalettes, WindowsKeepsTheGivenFirstAndLastTen) {
  std::vector<uint32_t> c = Colors(Build(gif::kChoiceWindows));
  ASSERT_EQ(256u, c.size());
  const uint32_t first[10] = {0x000000, 0x800000, 0x000080, 0x800080, 0x008000,
                              0x808000, 0x008080, 0x808080, 0xC0C0DC, 0xA6F0CA};
  const uint32_t last[10] = {0xFFF0FB, 0xA0A4A0, 0x808080, 0xFF0000, 0x0000FF,
                             0xFF00FF, 0x00FF00, 0xFFFF00, 0x00FFFF, 0xFFFFFF};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(first[i], c[i]) << i;
    EXPECT_EQ(last[i], c[246 + i]) << i;
  }
  // Our middle: a 6-level cube in the same channel order (red fastest, then
  // blue, then green) and a 20-step grey ramp.
  EXPECT_EQ(0x000000u, c[10]);
  EXPECT_EQ(0x330000u, c[11]);
  EXPECT_EQ(0x000033u, c[16]);
  EXPECT_EQ(0x003300u, c[46]);
  EXPECT_EQ(0xFFFFFFu, c[225]);
  EXPECT_EQ(0x0C0C0Cu, c[226]);
  EXPECT_EQ(0xF2F2F2u, c[245]);
}

TEST(BuiltinPalettes, ThreeThreeTwoRepeatsTheLevelBits) {
  std::vector<uint32_t> c = Colors(Build(gif::kChoice332));
  const int level3[8] = {0, 36, 73, 109, 146, 182, 219, 255};
  const int level2[4] = {0, 85, 170, 255};
  ASSERT_EQ(256u, c.size());
  for (int r = 0; r < 8; ++r)
    for (int g = 0; g < 8; ++g)
      for (int b = 0; b < 4; ++b)
        EXPECT_EQ(Rgb(level3[r], level3[g], level2[b]), c[r * 32 + g * 4 + b]);
}

TEST(BuiltinPalettes, ExactKeepsTransparentIndexAndEntries) {
  PaletteSpec p = Build(gif::kChoiceWeb);
  p.transparentIndex = 77;
  ASSERT_TRUE(gif::BuildBuiltinPalette(gif::kChoiceExact, &p));
  EXPECT_EQ(gif::kPaletteKindExact, p.kind);
  EXPECT_EQ(0u, p.size);
  EXPECT_EQ(77, p.transparentIndex);
}

TEST(BuiltinPalettes, ChoicesOutsideTheBuiltInsAreRefusedWithoutTouching) {
  for (int choice : {-1, 8, 9, 1000}) {
    PaletteSpec p;
    std::memset(&p, 0x5A, sizeof p);
    PaletteSpec before = p;
    EXPECT_FALSE(gif::BuildBuiltinPalette(choice, &p)) << choice;
    EXPECT_EQ(0, std::memcmp(&before, &p, sizeof p)) << choice;
  }
}

}  // namespace
