// The colour cube: depth, insertion, runs, reduction, palette assignment
// with and without system colours, the rebuilt tree and its local
// nearest-colour search. Expected values are worked out by hand from the
// cube's rules in the comments beside them.
#include "xlib/mm/xcube.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "xlib/mm/tests/CubePictures.h"
#include "xlib/mm/xdisplay.h"

using cubetest::Color;
using cubetest::Dib24;

namespace {

// A zero-filled cube, freed at the end of the scope.
struct Cube {
  XCUBE cube;
  Cube() { std::memset(&cube, 0, sizeof cube); }
  ~Cube() { xcubeFree(&cube); }
  XCUBE* operator->() { return &cube; }
  XCUBE* get() { return &cube; }
};

// The node reached from the root by the colour's octants, as deep as the
// tree goes.
const XCUBENODE* Leaf(const XCUBE* cube, int r, int g, int b) {
  const XCUBENODE* node = cube->root;
  for (;;) {
    const int k = (node->centre[0] < r ? 1 : 0) | (node->centre[1] < g ? 2 : 0) |
                  (node->centre[2] < b ? 4 : 0);
    if (!(node->childMask & (1u << k))) return node;
    node = node->children[k];
  }
}

// Colour-bearing nodes, total weight and deepest level of a tree.
void Walk(const XCUBENODE* node, int* bearing, uint64_t* weight, int* deepest) {
  if (node->pixelCount) ++*bearing;
  *weight += node->pixelCount;
  if (node->level > *deepest) *deepest = node->level;
  for (int k = 0; k < 8; ++k)
    if (node->childMask & (1u << k)) Walk(node->children[k], bearing, weight, deepest);
}

PALETTEENTRY Entry(const XCUBE& cube, int i) {
  return cube.logpal->palPalEntry[i];
}

bool Same(const PALETTEENTRY& e, int r, int g, int b) {
  return e.peRed == r && e.peGreen == g && e.peBlue == b && e.peFlags == 0;
}

#define EXPECT_ENTRY(entry, r, g, b)                                                               \
  EXPECT_TRUE(Same(entry, r, g, b))                                                                \
      << "got " << int((entry).peRed) << "," << int((entry).peGreen) << "," << int((entry).peBlue) \
      << " flags " << int((entry).peFlags)

// A palette display with 256 entries, 20 of them reserved; entry i of the
// system palette is (i, 255 - i, 7i mod 256).
XDisplayDescription PaletteDisplay() {
  XDisplayDescription d;
  d.hasPalette = true;
  d.paletteSize = 256;
  d.numColors = 20;
  d.numReserved = 20;
  for (int i = 0; i < 256; ++i)
    d.systemPalette[i] =
        PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(7 * i), 0};
  return d;
}

XDisplayDescription PlainDisplay(int colors) {
  XDisplayDescription d;
  d.numColors = colors;
  return d;
}

TEST(XcubeCreate, DepthFollowsTheColourCount) {
  struct Case {
    int depth, colors, result, expectedDepth;
  } cases[] = {
      {0, 256, XERR_OK, 4}, {0, 16, XERR_OK, 2}, {0, 236, XERR_OK, 3}, {0, 2, XERR_OK, 2},
      {0, 1, XERR_OK, 2},   {0, 64, XERR_OK, 3}, {0, 300, -1, 0},      {0, -1, -1, 0},
      {0, 257, -1, 0},      {6, 16, XERR_OK, 6}, {1, 256, XERR_OK, 2}, {12, 256, XERR_OK, 8},
  };
  for (const Case& c : cases) {
    Cube cube;
    EXPECT_EQ(xcubeCreate(cube.get(), c.depth, c.colors), c.result) << c.colors;
    if (c.result == XERR_OK) {
      EXPECT_EQ(cube->depth, c.expectedDepth) << c.colors;
    }
  }
}

TEST(XcubeCreate, ColourCountZeroAsksTheDisplay) {
  Cube cube;
  // Natively the default display is true colour: -1 colours.
  EXPECT_EQ(xdibDisplayColors(), -1);
  EXPECT_EQ(xcubeCreate(cube.get(), 0, 0), -1);
  XDisplayDescription palette = PaletteDisplay();
  {
    XDisplayScope use(palette);
    EXPECT_EQ(xdibDisplayColors(), 256);  // the palette size, not NUMCOLORS
    EXPECT_EQ(xcubeCreate(cube.get(), 0, 0), XERR_OK);
    EXPECT_EQ(cube->depth, 4);
  }
  XDisplayDescription plain = PlainDisplay(16);
  XDisplayScope use(plain);
  EXPECT_EQ(xdibDisplayColors(), 16);
}

TEST(XcubeCreate, RootAndSquares) {
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 256), XERR_OK);
  const XCUBENODE* root = cube->root;
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->parent, root);
  EXPECT_EQ(root->level, 0);
  EXPECT_EQ(root->childMask, 0);
  EXPECT_EQ(root->refCount, 0xFFFFFFFFu);
  EXPECT_EQ(root->centre[0], 128);
  EXPECT_EQ(root->centre[1], 128);
  EXPECT_EQ(root->centre[2], 128);
  EXPECT_EQ(cube->nextIndex, 0);
  EXPECT_EQ(cube->remapNode, nullptr);
  EXPECT_EQ(cube->reservedIndex, -1);
  EXPECT_EQ(cube->sq[255 - 255], 65025u);
  EXPECT_EQ(cube->sq[255 - 3], 9u);
  EXPECT_EQ(cube->sq[255], 0u);
  EXPECT_EQ(cube->sq[255 + 200], 40000u);
}

TEST(XcubeInsert, ChildBoxesCentresAndSums) {
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 2, 16), XERR_OK);
  // (200, 10, 128): red above 128 -> octant 1, centre (192, 64, 64); then
  // red above 192, green below 64, blue above 64 -> octant 5, centre
  // (224, 32, 96).
  ASSERT_EQ(xcubeInsert(cube.get(), 200, 10, 128, 3, 7), XERR_OK);
  ASSERT_EQ(xcubeInsert(cube.get(), 210, 20, 100, 2, 9), XERR_OK);
  const XCUBENODE* root = cube->root;
  EXPECT_EQ(root->childMask, 1 << 1);
  const XCUBENODE* one = root->children[1];
  EXPECT_EQ(one->level, 1);
  EXPECT_EQ(one->childIndex, 1);
  EXPECT_EQ(one->parent, root);
  EXPECT_EQ(one->centre[0], 192);
  EXPECT_EQ(one->centre[1], 64);
  EXPECT_EQ(one->centre[2], 64);
  EXPECT_EQ(one->refCount, 5u);
  EXPECT_EQ(one->pixelCount, 0u);
  EXPECT_EQ(one->childMask, 1 << 5);
  const XCUBENODE* leaf = one->children[5];
  EXPECT_EQ(leaf->level, 2);
  EXPECT_EQ(leaf->centre[0], 224);
  EXPECT_EQ(leaf->centre[1], 32);
  EXPECT_EQ(leaf->centre[2], 96);
  EXPECT_EQ(leaf->refCount, 5u);
  EXPECT_EQ(leaf->pixelCount, 5u);
  EXPECT_EQ(leaf->sumRed, 200u * 3 + 210u * 2);
  EXPECT_EQ(leaf->sumGreen, 10u * 3 + 20u * 2);
  EXPECT_EQ(leaf->sumBlue, 128u * 3 + 100u * 2);
  EXPECT_EQ(leaf->paletteIndex, 9);  // the last insertion's
  EXPECT_EQ(cube->nextIndex, 1);     // one leaf at the deepest level
  EXPECT_EQ(cube->nodeCount, 3);
}

TEST(XcubeInsert, LevelEightChildrenShareTheirParentsCentre) {
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 8, 256), XERR_OK);
  ASSERT_EQ(xcubeInsert(cube.get(), 0, 255, 1, 1, 0), XERR_OK);
  const XCUBENODE* leaf = Leaf(cube.get(), 0, 255, 1);
  ASSERT_EQ(leaf->level, 8);
  EXPECT_EQ(leaf->centre[0], leaf->parent->centre[0]);
  EXPECT_EQ(leaf->centre[1], leaf->parent->centre[1]);
  EXPECT_EQ(leaf->centre[2], leaf->parent->centre[2]);
  // Red and blue go down at every level, 128 - 64 - 32 - 16 - 8 - 4 - 2 - 1
  // = 1; green goes up to 255.
  EXPECT_EQ(leaf->parent->centre[0], 1);
  EXPECT_EQ(leaf->parent->centre[1], 255);
  EXPECT_EQ(leaf->parent->centre[2], 1);
}

TEST(XcubeAddDib, RunsWeighTheirLengthPlusOne) {
  const Color a{10, 10, 10}, b{250, 10, 10}, c{10, 10, 250};
  // Storage row 0: a a b a a (runs 2, 1, 2); row 1: c c c c c (one run).
  Dib24 dib({{a, a, b, a, a}, {c, c, c, c, c}});
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 256), XERR_OK);
  ASSERT_EQ(xcubeAddDib(cube.get(), &dib.dib), XERR_OK);
  EXPECT_EQ(Leaf(cube.get(), 10, 10, 10)->pixelCount, 3u + 3u);
  EXPECT_EQ(Leaf(cube.get(), 250, 10, 10)->pixelCount, 2u);
  EXPECT_EQ(Leaf(cube.get(), 10, 10, 250)->pixelCount, 6u);
  EXPECT_EQ(Leaf(cube.get(), 10, 10, 250)->sumBlue, 6u * 250);
  EXPECT_EQ(Leaf(cube.get(), 10, 10, 10)->paletteIndex, 0);
  EXPECT_EQ(cube->nextIndex, 3);
}

// Two trees hold the same nodes with the same counts, sums and indices.
void ExpectSameTree(const XCUBENODE* a, const XCUBENODE* b, int* nodes) {
  ++*nodes;
  ASSERT_EQ(a->childMask, b->childMask);
  ASSERT_EQ(a->level, b->level);
  ASSERT_EQ(a->childIndex, b->childIndex);
  ASSERT_EQ(std::memcmp(a->centre, b->centre, 3), 0);
  ASSERT_EQ(a->refCount, b->refCount);
  ASSERT_EQ(a->pixelCount, b->pixelCount);
  ASSERT_EQ(a->sumRed, b->sumRed);
  ASSERT_EQ(a->sumGreen, b->sumGreen);
  ASSERT_EQ(a->sumBlue, b->sumBlue);
  if (a->pixelCount) {
    ASSERT_EQ(a->paletteIndex, b->paletteIndex);
  }
  for (int k = 0; k < 8; ++k)
    if (a->childMask & (1u << k)) ExpectSameTree(a->children[k], b->children[k], nodes);
}

// A noisy picture inserted by xcubeAddDib and run by run with xcubeInsert,
// as the rules read: the same tree, at every depth and through pruning
// (a tree of depth 8 outgrows the node cap).
TEST(XcubeAddDib, EndsAsInsertingEveryRunInTurn) {
  const int w = 400, h = 300;
  std::vector<std::vector<Color>> rows;
  uint32_t seed = 7;
  for (int y = 0; y < h; ++y) {
    std::vector<Color> row;
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) % 9);
      // Runs of flat colour on the left, noise on the right.
      const int n = x < 40 ? 0 : noise;
      row.push_back(Color{static_cast<uint8_t>(x * 255 / w + n), static_cast<uint8_t>(y + n),
                          static_cast<uint8_t>(x < 40 ? 40 : (seed >> 8) & 255)});
    }
    rows.push_back(row);
  }
  Dib24 dib(rows);
  for (int depth : {2, 3, 4, 5, 6, 8}) {
    Cube fast, plain;
    ASSERT_EQ(xcubeCreate(fast.get(), depth, 256), XERR_OK);
    ASSERT_EQ(xcubeCreate(plain.get(), depth, 256), XERR_OK);
    ASSERT_EQ(xcubeAddDib(fast.get(), &dib.dib), XERR_OK);
    for (int y = 0; y < h; ++y) {
      int x = 0;
      while (x < w) {
        int end = x + 1;
        while (end < w && std::memcmp(&rows[y][end], &rows[y][x], sizeof(Color)) == 0) ++end;
        ASSERT_EQ(xcubeInsert(plain.get(), rows[y][x].r, rows[y][x].g, rows[y][x].b,
                              static_cast<uint32_t>(end - x + 1), 0),
                  XERR_OK);
        x = end;
      }
    }
    EXPECT_EQ(fast->depth, plain->depth) << depth;
    EXPECT_EQ(fast->nextIndex, plain->nextIndex) << depth;
    EXPECT_EQ(fast->nodeCount, plain->nodeCount) << depth;
    int nodes = 0;
    ExpectSameTree(fast->root, plain->root, &nodes);
    EXPECT_GT(nodes, 1) << depth;
    // The picture has colours enough to prune a tree of depth 8.
    if (depth == 8) {
      EXPECT_LT(fast->depth, 8);
    }
  }
}

TEST(XcubeAddDib, PalettePicturesJoinEqualColoursOfDifferentIndices) {
  for (int bits : {8, 4}) {
    XDIB dib;
    std::memset(&dib, 0, sizeof dib);
    dib.bmiHeader.biSize = 40;
    dib.bmiHeader.biWidth = 5;
    dib.bmiHeader.biHeight = 1;
    dib.bmiHeader.biBitCount = static_cast<WORD>(bits);
    dib.rowBytes = xdibRowBytes(5, bits);
    dib.bmiColors[0] = RGBQUAD{30, 20, 10, 0};  // blue, green, red
    dib.bmiColors[1] = RGBQUAD{30, 20, 10, 0};
    dib.bmiColors[2] = RGBQUAD{200, 100, 50, 0};
    std::vector<uint8_t> bits8 = {0, 1, 1, 2, 0};
    std::vector<uint8_t> block(dib.rowBytes, 0);
    if (bits == 8) {
      std::memcpy(block.data(), bits8.data(), 5);
    } else {
      block[0] = 0x01;  // high nibble first
      block[1] = 0x12;
      block[2] = 0x00;
    }
    dib.bits = block.data();
    Cube cube;
    ASSERT_EQ(xcubeCreate(cube.get(), 0, 256), XERR_OK);
    ASSERT_EQ(xcubeAddDib(cube.get(), &dib), XERR_OK) << bits;
    // Indices 0, 1, 1 are one run of 3 (weight 4); 2 weighs 2; 0 again 2.
    EXPECT_EQ(Leaf(cube.get(), 10, 20, 30)->pixelCount, 4u + 2u) << bits;
    EXPECT_EQ(Leaf(cube.get(), 50, 100, 200)->pixelCount, 2u) << bits;
  }
}

TEST(XcubeAddDib, RefusesOtherDepthsAndShortRows) {
  Dib24 dib({{Color{1, 2, 3}, Color{4, 5, 6}}});
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 256), XERR_OK);
  for (int bits : {1, 2, 16, 32}) {
    dib.dib.bmiHeader.biBitCount = static_cast<WORD>(bits);
    EXPECT_EQ(xcubeAddDib(cube.get(), &dib.dib), XERR_FORMAT) << bits;
  }
  dib.dib.bmiHeader.biBitCount = 24;
  dib.dib.rowBytes = 4;  // two pixels need 6 bytes
  EXPECT_EQ(xcubeAddDib(cube.get(), &dib.dib), XERR_FORMAT);
  EXPECT_EQ(cube->root->childMask, 0);
}

TEST(XcubeAddDib, OneColourPictureIsOneRunARow) {
  const Color c{30, 60, 90};
  Dib24 dib({{c, c, c, c, c}, {c, c, c, c, c}, {c, c, c, c, c}});
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 256), XERR_OK);
  ASSERT_EQ(xcubeAddDib(cube.get(), &dib.dib), XERR_OK);
  const XCUBENODE* leaf = Leaf(cube.get(), 30, 60, 90);
  EXPECT_EQ(leaf->level, 4);
  EXPECT_EQ(leaf->pixelCount, 3u * 6);
  EXPECT_EQ(leaf->refCount, 3u * 6);
  EXPECT_EQ(leaf->sumGreen, 3u * 6 * 60);
}

TEST(XcubeReduce, LeastReferencedMergeFirstAndTheRootAbsorbs) {
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 2, 16), XERR_OK);
  // a (10,10,10) weight 5 and b (100,10,10) weight 2 share the level-1 box
  // of octant 0; c (250,250,250) weight 3 is alone in octant 7.
  ASSERT_EQ(xcubeInsert(cube.get(), 10, 10, 10, 5, 0), XERR_OK);
  ASSERT_EQ(xcubeInsert(cube.get(), 100, 10, 10, 2, 0), XERR_OK);
  ASSERT_EQ(xcubeInsert(cube.get(), 250, 250, 250, 3, 0), XERR_OK);
  ASSERT_EQ(cube->nextIndex, 3);
  // Passes: threshold 1 merges nothing (smallest left 2); 2 merges b into
  // its parent (3 still: a, that parent, c); 3 merges c and then its
  // parent (ref 3) into the root (a, parent, root); 5 merges a: two left,
  // the level-1 box with a + b and the root with c.
  LOGPALETTE* pal = xcubeMakePalette(cube.get(), 2, 0);
  ASSERT_NE(pal, nullptr);
  ASSERT_EQ(pal->palNumEntries, 2);
  EXPECT_EQ(pal->palVersion, 0x300);
  // Octants 0 to 3 before the node: the box first, then the root.
  // Red (7/2 + 5*10 + 2*100) / 7 = 36, green and blue (3 + 70) / 7 = 10.
  EXPECT_ENTRY(Entry(cube.cube, 0), 36, 10, 10);
  EXPECT_ENTRY(Entry(cube.cube, 1), 250, 250, 250);
}

TEST(XcubeReduce, LeavesNoMoreColourBearingNodesThanAsked) {
  // A gradient over many depth-4 boxes.
  std::vector<std::vector<Color>> rows;
  for (int y = 0; y < 32; ++y) {
    std::vector<Color> row;
    for (int x = 0; x < 48; ++x)
      row.push_back(Color{static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 8),
                          static_cast<uint8_t>((x * y) & 255)});
    rows.push_back(row);
  }
  Dib24 dib(rows);
  for (int target : {236, 40, 7, 1}) {
    Cube cube;
    ASSERT_EQ(xcubeCreate(cube.get(), 0, 256), XERR_OK);
    ASSERT_EQ(xcubeAddDib(cube.get(), &dib.dib), XERR_OK);
    int before = 0, deepest = 0;
    uint64_t weightBefore = 0;
    Walk(cube->root, &before, &weightBefore, &deepest);
    ASSERT_GT(before, 236);
    xcubeReduce(cube.get(), target);
    int after = 0;
    uint64_t weightAfter = 0;
    Walk(cube->root, &after, &weightAfter, &deepest);
    EXPECT_LE(after, target);
    EXPECT_GT(after, 0);
    EXPECT_EQ(cube->nextIndex, after) << target;
    EXPECT_EQ(weightAfter, weightBefore) << target;  // merging moves weight, loses none
  }
}

TEST(XcubeMakePalette, UnreducedBoxesBecomeTheirRoundedAveragesInAssignmentOrder) {
  XDisplayDescription display = PaletteDisplay();
  XDisplayScope use(display);
  const Color c1{10, 10, 10}, c2{12, 14, 6}, c3{250, 10, 10}, c4{10, 10, 250};
  // Storage row 0: c4 c1 c1 c3 (weights 2, 3, 2); row 1: c2 c2 c2 c1 (4, 2).
  // c1 and c2 share a depth-4 box: weight 9, red (4 + 5*10 + 4*12) / 9 = 11,
  // green (4 + 50 + 56) / 9 = 12, blue (4 + 50 + 24) / 9 = 8.
  Dib24 dib({{c4, c1, c1, c3}, {c2, c2, c2, c1}});
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 0), XERR_OK);
  ASSERT_EQ(cube->depth, 4);
  ASSERT_EQ(xcubeAddDib(cube.get(), &dib.dib), XERR_OK);
  LOGPALETTE* pal = xcubeMakePalette(cube.get(), 0, 1);
  ASSERT_NE(pal, nullptr);
  ASSERT_EQ(pal, cube->logpal);
  ASSERT_EQ(pal->palNumEntries, 256);
  EXPECT_EQ(pal->palVersion, 0x300);
  // 236 free slots from 10 on, in tree order: octant 0 (c1 + c2), octant 1
  // (c3), then octant 4 (c4) after the root.
  EXPECT_ENTRY(Entry(cube.cube, 10), 11, 12, 8);
  EXPECT_ENTRY(Entry(cube.cube, 11), 250, 10, 10);
  EXPECT_ENTRY(Entry(cube.cube, 12), 10, 10, 250);
  // Every other entry keeps the system palette copied first.
  for (int i = 0; i < 256; ++i) {
    if (i >= 10 && i <= 12) continue;
    EXPECT_TRUE(Same(Entry(cube.cube, i), i, 255 - i, (7 * i) & 255)) << i;
  }
  EXPECT_EQ(cube->firstFree, 10);
  EXPECT_EQ(cube->remapNode, nullptr);
  EXPECT_EQ(cube->reservedIndex, -1);
  // The tree is rebuilt from the palette: depth 8, every entry in a leaf.
  EXPECT_EQ(cube->depth, 8);
  const XCUBENODE* leaf = Leaf(cube.get(), 11, 12, 8);
  EXPECT_EQ(leaf->level, 8);
  EXPECT_EQ(leaf->paletteIndex, 10);
  EXPECT_EQ(leaf->pixelCount, 1u);
  EXPECT_EQ(xcubeNearest(cube.get(), 250, 10, 10, -1), 11);
}

TEST(XcubeMakePalette, ReducedColoursStayBetweenTheReservedHalves) {
  XDisplayDescription display = PaletteDisplay();
  XDisplayScope use(display);
  std::vector<std::vector<Color>> rows;
  for (int y = 0; y < 40; ++y) {
    std::vector<Color> row;
    for (int x = 0; x < 64; ++x)
      row.push_back(Color{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 6),
                          static_cast<uint8_t>(255 - x * 2 - y)});
    rows.push_back(row);
  }
  Dib24 dib(rows);
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 0), XERR_OK);
  ASSERT_EQ(xcubeAddDib(cube.get(), &dib.dib), XERR_OK);
  ASSERT_GT(cube->nextIndex, 236);  // more boxes than free slots
  // The same steps by hand, to see how many entries the tree fills.
  Cube copy;
  ASSERT_EQ(xcubeCreate(copy.get(), 0, 0), XERR_OK);
  ASSERT_EQ(xcubeAddDib(copy.get(), &dib.dib), XERR_OK);
  int reserved = -1;
  copy->logpal = xcubeNewPalette(1, 0, &reserved);
  ASSERT_NE(copy->logpal, nullptr);
  EXPECT_EQ(reserved, 20);
  xcubeReduce(copy.get(), 236);
  EXPECT_LE(copy->nextIndex, 236);
  EXPECT_GT(copy->nextIndex, 0);
  copy->nextIndex = 10;
  xcubeAssign(copy.get());
  const int end = copy->nextIndex;  // one past the last entry filled
  EXPECT_LE(end, 246);
  EXPECT_GT(end, 10);

  LOGPALETTE* pal = xcubeMakePalette(cube.get(), 0, 1);
  ASSERT_NE(pal, nullptr);
  ASSERT_EQ(pal->palNumEntries, 256);
  for (int i = 0; i < 256; ++i) {
    const bool same = i >= 10 && i < end
                          ? std::memcmp(&pal->palPalEntry[i], &copy->logpal->palPalEntry[i],
                                        sizeof(PALETTEENTRY)) == 0
                          : Same(Entry(cube.cube, i), i, 255 - i, (7 * i) & 255);
    EXPECT_TRUE(same) << i;
  }
}

TEST(XcubeNewPalette, SystemColoursOnEachKindOfDisplay) {
  {
    // No flag: the count asked for, all white, nothing reserved.
    int reserved = -1;
    LOGPALETTE* pal = xcubeNewPalette(0, 5, &reserved);
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->palNumEntries, 5);
    EXPECT_EQ(reserved, 0);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Same(pal->palPalEntry[i], 255, 255, 255));
    std::free(pal);
    EXPECT_EQ(xcubeNewPalette(0, 0, &reserved), nullptr);
    EXPECT_EQ(xcubeNewPalette(0, -3, &reserved), nullptr);
    EXPECT_EQ(xcubeNewPalette(0, 257, &reserved), nullptr);
  }
  {
    // A 20-colour display without a hardware palette: the count rises to
    // 20, the 16 standard colours at 0..7 and 12..19.
    XDisplayDescription display = PlainDisplay(20);
    XDisplayScope use(display);
    int reserved = -1;
    LOGPALETTE* pal = xcubeNewPalette(1, 4, &reserved);
    ASSERT_NE(pal, nullptr);
    ASSERT_EQ(pal->palNumEntries, 20);
    EXPECT_EQ(reserved, 16);
    const int expected[20][3] = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {255, 255, 255}, {255, 255, 255},
        {255, 255, 255}, {255, 255, 255}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
    };
    for (int i = 0; i < 20; ++i)
      EXPECT_TRUE(Same(pal->palPalEntry[i], expected[i][0], expected[i][1], expected[i][2])) << i;
    std::free(pal);
    // A larger request than the display's count stays.
    pal = xcubeNewPalette(1, 30, &reserved);
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->palNumEntries, 30);
    EXPECT_TRUE(Same(pal->palPalEntry[22], 128, 128, 128));
    std::free(pal);
  }
  {
    // Fewer than 16 entries: only the standard colours that fall inside,
    // the last eight winning (entries 0..3 are the last four).
    XDisplayDescription display = PlainDisplay(4);
    XDisplayScope use(display);
    int reserved = -1;
    LOGPALETTE* pal = xcubeNewPalette(1, 0, &reserved);
    ASSERT_NE(pal, nullptr);
    ASSERT_EQ(pal->palNumEntries, 4);
    EXPECT_TRUE(Same(pal->palPalEntry[0], 0, 0, 255));
    EXPECT_TRUE(Same(pal->palPalEntry[1], 255, 0, 255));
    EXPECT_TRUE(Same(pal->palPalEntry[2], 0, 255, 255));
    EXPECT_TRUE(Same(pal->palPalEntry[3], 255, 255, 255));
    std::free(pal);
  }
  {
    // A palette display: its system palette and its reserved count.
    XDisplayDescription display = PaletteDisplay();
    XDisplayScope use(display);
    int reserved = -1;
    LOGPALETTE* pal = xcubeNewPalette(1, 16, &reserved);
    ASSERT_NE(pal, nullptr);
    ASSERT_EQ(pal->palNumEntries, 256);
    EXPECT_EQ(reserved, 20);
    EXPECT_TRUE(Same(pal->palPalEntry[3], 3, 252, 21));
    EXPECT_TRUE(Same(pal->palPalEntry[255], 255, 0, (7 * 255) & 255));
    std::free(pal);
  }
}

TEST(XcubeFromColors, WithoutReductionThePaletteIsTheColoursInOrder) {
  const RGBQUAD colors[3] = {{1, 2, 3, 9}, {200, 100, 50, 9}, {1, 2, 3, 9}};
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 256), XERR_OK);
  LOGPALETTE* pal = xcubeFromColors(cube.get(), colors, 3, 0);
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(pal, cube->logpal);
  ASSERT_EQ(pal->palNumEntries, 3);
  EXPECT_ENTRY(pal->palPalEntry[0], 3, 2, 1);
  EXPECT_ENTRY(pal->palPalEntry[1], 50, 100, 200);
  EXPECT_ENTRY(pal->palPalEntry[2], 3, 2, 1);
  // Each colour was inserted with weight 1 and its own index.
  const XCUBENODE* leaf = Leaf(cube.get(), 3, 2, 1);
  EXPECT_EQ(leaf->pixelCount, 2u);
  EXPECT_EQ(leaf->paletteIndex, 2);
  EXPECT_EQ(xcubeFromColors(cube.get(), colors, 0, 0), nullptr);
}

TEST(XcubeFromColors, WithReductionKeepsTheSystemColours) {
  XDisplayDescription display = PlainDisplay(256);
  XDisplayScope use(display);
  const RGBQUAD colors[2] = {{0, 0, 100, 0}, {0, 200, 0, 0}};
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 0, 256), XERR_OK);
  LOGPALETTE* pal = xcubeFromColors(cube.get(), colors, 2, 1);
  ASSERT_NE(pal, nullptr);
  ASSERT_EQ(pal->palNumEntries, 256);
  // Standard colours at 0..7 and 248..255; the two colours from 8 on in
  // tree order: (100, 0, 0) in octant 0 before (0, 200, 0) in octant 2.
  EXPECT_ENTRY(pal->palPalEntry[7], 192, 192, 192);
  EXPECT_ENTRY(pal->palPalEntry[8], 100, 0, 0);
  EXPECT_ENTRY(pal->palPalEntry[9], 0, 200, 0);
  EXPECT_ENTRY(pal->palPalEntry[10], 255, 255, 255);
  EXPECT_ENTRY(pal->palPalEntry[248], 128, 128, 128);
}

void PaletteCube(Cube& cube, const std::vector<Color>& colors) {
  ASSERT_TRUE(cubetest::SetPalette(cube.get(), colors));
}

TEST(XcubeNearest, SearchesOnlyAmongTheSiblingsOfTheDeepestBox) {
  Cube cube;
  // (128, 0, 0) follows (120, 0, 0) down to the level-4 box centred on
  // (120, 8, 8), where it would go up (red above 120) and the entry goes
  // down; the search then covers the level-3 box around (112, 16, 16),
  // which holds only entry 1, though entry 2 is at distance 1.
  PaletteCube(cube, {Color{0, 0, 0}, Color{120, 0, 0}, Color{129, 0, 0}});
  EXPECT_EQ(xcubeNearest(cube.get(), 128, 0, 0, -1), 1);
  // An exact colour finds itself.
  EXPECT_EQ(xcubeNearest(cube.get(), 129, 0, 0, -1), 2);
  EXPECT_EQ(xcubeNearest(cube.get(), 0, 0, 0, -1), 0);
  // With an exclusion the whole tree is searched.
  EXPECT_EQ(xcubeNearest(cube.get(), 128, 0, 0, 1), 2);
  EXPECT_EQ(xcubeNearest(cube.get(), 128, 0, 0, 2), 1);
}

TEST(XcubeNearest, TheFirstFoundWinsATie) {
  Cube cube;
  // Both at distance 100^2 + 100^2 from (100, 0, 100); octant 1 (red up)
  // is searched before octant 4 (blue up), so entry 1 wins.
  PaletteCube(cube, {Color{0, 0, 200}, Color{200, 0, 0}});
  EXPECT_EQ(xcubeNearest(cube.get(), 100, 0, 100, 5), 1);
  EXPECT_EQ(xcubeNearest(cube.get(), 100, 0, 100, 1), 0);
  // Nothing counts: 0.
  Cube single;
  PaletteCube(single, {Color{9, 9, 9}, Color{9, 9, 9}});
  EXPECT_EQ(xcubeNearest(single.get(), 9, 9, 9, 1), 0);  // the leaf holds index 1
  EXPECT_EQ(xcubeNearest(single.get(), 200, 9, 9, 1), 0);
}

TEST(XcubeInsert, ManyColoursPruneTheDeepestLevel) {
  // 512 x 512 distinct colours (a bijection of the pixel number) in a cube
  // of depth 8: far more nodes than the cap.
  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  const int w = 512, h = 512;
  std::vector<uint8_t> block(static_cast<size_t>(w) * 3 * h);
  for (uint32_t i = 0; i < static_cast<uint32_t>(w * h); ++i) {
    const uint32_t c = (i * 2654435761u) & 0xFFFFFF;
    block[3 * i] = static_cast<uint8_t>(c);
    block[3 * i + 1] = static_cast<uint8_t>(c >> 8);
    block[3 * i + 2] = static_cast<uint8_t>(c >> 16);
  }
  dib.bmiHeader.biSize = 40;
  dib.bmiHeader.biWidth = w;
  dib.bmiHeader.biHeight = h;
  dib.bmiHeader.biBitCount = 24;
  dib.rowBytes = w * 3;
  dib.bits = block.data();
  Cube cube;
  ASSERT_EQ(xcubeCreate(cube.get(), 8, 256), XERR_OK);
  ASSERT_EQ(xcubeAddDib(cube.get(), &dib), XERR_OK);
  EXPECT_LT(cube->depth, 8);
  EXPECT_LE(cube->nodeCount, XCUBE_MAX_NODES + 8);
  int bearing = 0, deepest = 0;
  uint64_t weight = 0;
  Walk(cube->root, &bearing, &weight, &deepest);
  EXPECT_LE(deepest, cube->depth);
  // Adjacent pixels differ, so every pixel is a run of one: weight 2 each.
  EXPECT_EQ(weight, 2u * w * h);
  LOGPALETTE* pal = xcubeMakePalette(cube.get(), 256, 0);
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(pal->palNumEntries, 256);
}

}  // namespace
