// The octree colour cube. No operating-system calls: the display comes in
// through xdisplayCurrent.
#include "xlib/mm/xcube.h"

#include <cstdlib>
#include <cstring>

#include "clib/Assert.h"

namespace {

constexpr uint32_t kRootRefCount = 0xFFFFFFFF;

// The 16 standard colours (red, green, blue): the first eight go to the
// palette's first entries, the last eight to its last entries.
const uint8_t kStandardColors[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

void ReleaseBlocks(XCUBE* cube) {
  XCUBEBLOCK* block = cube->blocks;
  while (block) {
    XCUBEBLOCK* previous = block->previous;
    std::free(block);
    block = previous;
  }
  cube->blocks = nullptr;
  cube->nextFree = nullptr;
  cube->freeInBlock = 0;
  cube->nodeCount = 0;
  cube->root = nullptr;
}

// A node from the newest block, a new block when it is used up. Null when
// no block can be had.
XCUBENODE* NewNode(XCUBE* cube) {
  if (cube->freeInBlock == 0) {
    XCUBEBLOCK* block = static_cast<XCUBEBLOCK*>(std::malloc(sizeof(XCUBEBLOCK)));
    if (!block) return nullptr;
    block->previous = cube->blocks;
    cube->blocks = block;
    cube->nextFree = block->nodes;
    cube->freeInBlock = XCUBE_BLOCK_NODES;
  }
  XCUBENODE* node = cube->nextFree++;
  --cube->freeInBlock;
  ++cube->nodeCount;
  std::memset(node, 0, sizeof *node);
  return node;
}

// A fresh tree holding only the root. XERR_OK or XERR_NOMEM.
int NewRoot(XCUBE* cube) {
  XCUBENODE* root = NewNode(cube);
  if (!root) return XERR_NOMEM;
  root->parent = root;
  root->level = 0;
  root->childIndex = 0;
  root->centre[0] = root->centre[1] = root->centre[2] = 128;
  root->refCount = kRootRefCount;
  cube->root = root;
  cube->nextIndex = 0;
  return XERR_OK;
}

void Merge(XCUBE* cube, XCUBENODE* node) {
  XCUBENODE* parent = node->parent;
  parent->childMask = static_cast<uint8_t>(parent->childMask & ~(1u << node->childIndex));
  parent->pixelCount += node->pixelCount;
  parent->sumRed += node->sumRed;
  parent->sumGreen += node->sumGreen;
  parent->sumBlue += node->sumBlue;
  --cube->nodeCount;
}

// Merges every node of the given level below node into its parent.
void PruneLevel(XCUBE* cube, XCUBENODE* node, int level) {
  for (int k = 0; k < 8; ++k) {
    if (!(node->childMask & (1u << k))) continue;
    XCUBENODE* child = node->children[k];
    if (child->level == level)
      Merge(cube, child);
    else
      PruneLevel(cube, child, level);
  }
}

void ReducePass(XCUBE* cube, XCUBENODE* node) {
  for (int k = 0; k < 8; ++k)
    if (node->childMask & (1u << k)) ReducePass(cube, node->children[k]);
  if (node != cube->root && cube->threshold >= node->refCount) {
    Merge(cube, node);
    return;
  }
  if (node->pixelCount) ++cube->nextIndex;
  if (node->refCount < cube->nextThreshold) cube->nextThreshold = node->refCount;
}

void AssignNode(XCUBE* cube, XCUBENODE* node) {
  for (int k = 0; k < 4; ++k)
    if (node->childMask & (1u << k)) AssignNode(cube, node->children[k]);
  const uint64_t k = node->pixelCount;
  if (k) {
    const int index = cube->nextIndex++;
    if (index >= 0 && index < cube->logpal->palNumEntries) {
      PALETTEENTRY& e = cube->logpal->palPalEntry[index];
      e.peRed = static_cast<BYTE>((k / 2 + node->sumRed) / k);
      e.peGreen = static_cast<BYTE>((k / 2 + node->sumGreen) / k);
      e.peBlue = static_cast<BYTE>((k / 2 + node->sumBlue) / k);
      e.peFlags = 0;
    }
    node->paletteIndex = index;
  }
  for (int k = 4; k < 8; ++k)
    if (node->childMask & (1u << k)) AssignNode(cube, node->children[k]);
}

// A nearest-colour search in progress.
struct Search {
  const uint32_t* sq;  // sq[d] for d from -255 to 255
  const PALETTEENTRY* entries;
  int entryCount;
  int red, green, blue;
  int excluded;
  uint32_t bestDistance;
  int bestIndex;
};

// Children first (octants 0 to 7), then the node itself.
void SearchNode(Search& s, const XCUBENODE* node) {
  for (unsigned mask = node->childMask; mask; mask &= mask - 1)
    SearchNode(s, node->children[__builtin_ctz(mask)]);
  if (node->pixelCount == 0 || node->paletteIndex == s.excluded) return;
  // Only a tree that was not made from the palette can name entries past it.
  if (node->paletteIndex < 0 || node->paletteIndex >= s.entryCount) return;
  const PALETTEENTRY& e = s.entries[node->paletteIndex];
  const uint32_t distance =
      s.sq[e.peRed - s.red] + s.sq[e.peGreen - s.green] + s.sq[e.peBlue - s.blue];
  if (distance < s.bestDistance) {
    s.bestDistance = distance;
    s.bestIndex = node->paletteIndex;
  }
}

inline int Octant(const XCUBENODE* node, int red, int green, int blue) {
  return (node->centre[0] < red ? 1 : 0) | (node->centre[1] < green ? 2 : 0) |
         (node->centre[2] < blue ? 4 : 0);
}

}  // namespace

int xcubeCreate(XCUBE* cube, int depth, int colors) {
  ASSERT(cube != nullptr);
  if (colors == 0) colors = xdibDisplayColors();
  if (colors < 1 || colors > 256) return -1;
  if (depth == 0) {
    depth = 1;
    for (int n = colors; n != 0; n /= 4) ++depth;
    if (depth > 2) depth -= 2;
  }
  if (depth < 2) depth = 2;
  if (depth > 8) depth = 8;
  ReleaseBlocks(cube);
  cube->depth = depth;
  cube->remapNode = nullptr;
  cube->reservedIndex = -1;
  for (int d = -255; d <= 255; ++d) cube->sq[255 + d] = static_cast<uint32_t>(d * d);
  return NewRoot(cube);
}

namespace {

// One insertion of weight through the box of (red, green, blue), with the
// colour sums given: several insertions of colours of one leaf at once.
int InsertSums(XCUBE* cube, int red, int green, int blue, uint32_t weight, uint64_t sumRed,
               uint64_t sumGreen, uint64_t sumBlue, int index) {
  if (cube->nodeCount > XCUBE_MAX_NODES) {
    PruneLevel(cube, cube->root, cube->depth);
    --cube->depth;
  }
  XCUBENODE* node = cube->root;
  for (int i = 1; i <= cube->depth; ++i) {
    const int k = Octant(node, red, green, blue);
    if (!(node->childMask & (1u << k))) {
      XCUBENODE* child = NewNode(cube);
      if (!child) return XERR_NOMEM;
      const int h = i < 8 ? 1 << (7 - i) : 0;
      child->parent = node;
      child->childIndex = static_cast<uint8_t>(k);
      child->level = static_cast<uint8_t>(i);
      child->centre[0] = static_cast<uint8_t>(node->centre[0] + ((k & 1) ? h : -h));
      child->centre[1] = static_cast<uint8_t>(node->centre[1] + ((k & 2) ? h : -h));
      child->centre[2] = static_cast<uint8_t>(node->centre[2] + ((k & 4) ? h : -h));
      node->children[k] = child;
      node->childMask = static_cast<uint8_t>(node->childMask | (1u << k));
      if (i == cube->depth) ++cube->nextIndex;
    }
    node = node->children[k];
    node->refCount += weight;
  }
  node->pixelCount += weight;
  node->sumRed += sumRed;
  node->sumGreen += sumGreen;
  node->sumBlue += sumBlue;
  node->paletteIndex = index;
  return XERR_OK;
}

// Inserts a picture's runs. Consecutive runs whose colours end in the same
// leaf are gathered and inserted once with their summed weight and colour
// sums, which leaves the tree exactly as inserting them one by one: they
// create no nodes after the first, and they are only gathered while the
// node count is so far below the cap that none of them could prune.
class RunInserter {
 public:
  explicit RunInserter(XCUBE* cube) : m_Cube(cube) {}

  int Add(uint32_t color, uint32_t weight) {
    const int red = (color >> 16) & 0xFF, green = (color >> 8) & 0xFF, blue = color & 0xFF;
    if (m_Weight) {
      if (Leaf(red, green, blue) == m_Leaf) {
        m_Weight += weight;
        m_SumRed += static_cast<uint64_t>(red) * weight;
        m_SumGreen += static_cast<uint64_t>(green) * weight;
        m_SumBlue += static_cast<uint64_t>(blue) * weight;
        return XERR_OK;
      }
      const int rc = Flush();
      if (rc != XERR_OK) return rc;
    }
    if (m_Cube->nodeCount + 8 > XCUBE_MAX_NODES)
      return xcubeInsert(m_Cube, red, green, blue, weight, 0);
    m_Red = red;
    m_Green = green;
    m_Blue = blue;
    m_Leaf = Leaf(red, green, blue);
    m_Weight = weight;
    m_SumRed = static_cast<uint64_t>(red) * weight;
    m_SumGreen = static_cast<uint64_t>(green) * weight;
    m_SumBlue = static_cast<uint64_t>(blue) * weight;
    return XERR_OK;
  }

  int Flush() {
    if (!m_Weight) return XERR_OK;
    const uint32_t weight = m_Weight;
    m_Weight = 0;
    return InsertSums(m_Cube, m_Red, m_Green, m_Blue, weight, m_SumRed, m_SumGreen, m_SumBlue, 0);
  }

 private:
  // The leaf a colour ends in at the cube's depth: going up at a node
  // whose centre is below the value follows the bits of value - 1 from the
  // top (0 goes down everywhere, as 1 does).
  uint32_t Leaf(int red, int green, int blue) const {
    const int shift = 8 - m_Cube->depth;
    auto bits = [shift](int v) { return static_cast<uint32_t>(v ? v - 1 : 0) >> shift; };
    return bits(red) | (bits(green) << 8) | (bits(blue) << 16) |
           (static_cast<uint32_t>(m_Cube->depth) << 24);
  }

  XCUBE* m_Cube;  // not owned
  int m_Red = 0, m_Green = 0, m_Blue = 0;
  uint32_t m_Leaf = 0;
  uint32_t m_Weight = 0;  // 0: nothing gathered
  uint64_t m_SumRed = 0, m_SumGreen = 0, m_SumBlue = 0;
};

// The weight and colour sums gathered for one leaf.
struct LeafSums {
  uint32_t weight;
  uint64_t red, green, blue;
};

// Deepest depth at which a whole picture's runs are first gathered per leaf
// and then inserted leaf by leaf. A tree of depth 5 has at most 37449
// nodes, far below the cap, so no insertion can prune, and the tree ends
// exactly as when the runs are inserted one by one (the order of insertion
// only decides where in the blocks the nodes lie).
constexpr int kGatherDepth = 5;

}  // namespace

int xcubeInsert(XCUBE* cube, int red, int green, int blue, uint32_t weight, int index) {
  ASSERT(cube != nullptr && cube->root != nullptr);
  return InsertSums(cube, red, green, blue, weight, static_cast<uint64_t>(red) * weight,
                    static_cast<uint64_t>(green) * weight, static_cast<uint64_t>(blue) * weight,
                    index);
}

namespace {

// Calls add(colour, weight) for every run of equal colour of every row, rows
// in storage order, colours as 0xRRGGBB. Stops at the first code add
// returns other than XERR_OK and returns it.
template <typename Add>
int ForEachRun(const XDIB* dib, Add add) {
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  const int bitCount = h.biBitCount;
  const size_t w = static_cast<size_t>(h.biWidth);
  for (LONG y = 0; y < h.biHeight; ++y) {
    const uint8_t* row = dib->bits + static_cast<size_t>(y) * dib->rowBytes;
    uint32_t runColor = 0;
    uint32_t runLength = 0;
    for (size_t x = 0; x < w; ++x) {
      uint32_t color;
      if (bitCount == 24) {
        const uint8_t* p = row + 3 * x;
        color = p[2] << 16 | p[1] << 8 | p[0];
      } else {
        const unsigned index = bitCount == 8 ? row[x]
                               : (x & 1)     ? (row[x / 2] & 0x0F)
                                             : (row[x / 2] >> 4);
        const RGBQUAD& q = dib->bmiColors[index];
        color = static_cast<uint32_t>(q.rgbRed) << 16 | q.rgbGreen << 8 | q.rgbBlue;
      }
      if (runLength && color == runColor) {
        ++runLength;
        continue;
      }
      if (runLength) {
        const int rc = add(runColor, runLength + 1);
        if (rc != XERR_OK) return rc;
      }
      runColor = color;
      runLength = 1;
    }
    const int rc = add(runColor, runLength + 1);
    if (rc != XERR_OK) return rc;
  }
  return XERR_OK;
}

}  // namespace

int xcubeAddDib(XCUBE* cube, const XDIB* dib) {
  ASSERT(cube != nullptr && cube->root != nullptr && dib != nullptr);
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  const int bitCount = h.biBitCount;
  if (bitCount != 4 && bitCount != 8 && bitCount != 24) return XERR_FORMAT;
  if (h.biWidth <= 0 || h.biHeight <= 0 || !dib->bits) return XERR_FORMAT;
  const uint64_t width = static_cast<uint64_t>(h.biWidth);
  const uint64_t need = bitCount == 24 ? 3 * width : bitCount == 8 ? width : (width + 1) / 2;
  if (dib->rowBytes < need) return XERR_FORMAT;

  const int depth = cube->depth;
  LeafSums* leaves = nullptr;
  if (depth <= kGatherDepth)
    leaves = static_cast<LeafSums*>(std::calloc(size_t(1) << (3 * depth), sizeof(LeafSums)));
  if (!leaves) {
    RunInserter runs(cube);
    const int rc = ForEachRun(
        dib, [&runs](uint32_t color, uint32_t weight) { return runs.Add(color, weight); });
    return rc != XERR_OK ? rc : runs.Flush();
  }
  // A channel's leaf bits: the bits of value - 1 from the top (0 as 1).
  const int shift = 8 - depth;
  uint32_t bitsOf[256];
  for (int v = 0; v < 256; ++v) bitsOf[v] = static_cast<uint32_t>(v ? v - 1 : 0) >> shift;
  ForEachRun(dib, [&](uint32_t color, uint32_t weight) {
    const uint32_t red = color >> 16, green = (color >> 8) & 0xFF, blue = color & 0xFF;
    LeafSums& leaf = leaves[bitsOf[red] | bitsOf[green] << depth | bitsOf[blue] << (2 * depth)];
    leaf.weight += weight;
    leaf.red += static_cast<uint64_t>(red) * weight;
    leaf.green += static_cast<uint64_t>(green) * weight;
    leaf.blue += static_cast<uint64_t>(blue) * weight;
    return XERR_OK;
  });
  int rc = XERR_OK;
  const uint32_t mask = (1u << depth) - 1;
  for (uint32_t key = 0; key < (1u << (3 * depth)) && rc == XERR_OK; ++key) {
    const LeafSums& leaf = leaves[key];
    if (!leaf.weight) continue;
    // A colour of the leaf's box to lead the way down.
    const int red = static_cast<int>(((key & mask) << shift) + 1);
    const int green = static_cast<int>((((key >> depth) & mask) << shift) + 1);
    const int blue = static_cast<int>((((key >> (2 * depth)) & mask) << shift) + 1);
    rc = InsertSums(cube, red, green, blue, leaf.weight, leaf.red, leaf.green, leaf.blue, 0);
  }
  std::free(leaves);
  return rc;
}

LOGPALETTE* xcubeFromColors(XCUBE* cube, const RGBQUAD* colors, int count, int reduce) {
  ASSERT(cube != nullptr && colors != nullptr);
  if (count < 1 || count > 256) return nullptr;
  for (int i = 0; i < count; ++i) {
    if (xcubeInsert(cube, colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 1, i) != XERR_OK)
      return nullptr;
  }
  if (reduce) return xcubeMakePalette(cube, count, reduce);
  int reserved = 0;
  LOGPALETTE* palette = xcubeNewPalette(0, count, &reserved);
  if (!palette) return nullptr;
  for (int i = 0; i < count; ++i) {
    palette->palPalEntry[i].peRed = colors[i].rgbRed;
    palette->palPalEntry[i].peGreen = colors[i].rgbGreen;
    palette->palPalEntry[i].peBlue = colors[i].rgbBlue;
    palette->palPalEntry[i].peFlags = 0;
  }
  std::free(cube->logpal);
  cube->logpal = palette;
  return palette;
}

LOGPALETTE* xcubeNewPalette(int keepSystemColors, int count, int* reserved) {
  int reservedCount = 0;
  XDisplay& display = xdisplayCurrent();
  if (keepSystemColors) {
    const int displayColors = xdibDisplayColors();
    if (displayColors >= 1 && displayColors <= 256 && displayColors > count) count = displayColors;
  }
  if (reserved) *reserved = 0;
  // The colour tables of a picture hold 256 entries.
  if (count <= 0 || count > 256) return nullptr;
  const size_t bytes = sizeof(LOGPALETTE) + static_cast<size_t>(count) * sizeof(PALETTEENTRY);
  LOGPALETTE* palette = static_cast<LOGPALETTE*>(std::malloc(bytes));
  if (!palette) return nullptr;
  for (int i = 0; i < count; ++i) palette->palPalEntry[i] = PALETTEENTRY{255, 255, 255, 0};
  if (keepSystemColors) {
    if (display.HasPalette()) {
      display.SystemPaletteEntries(0, count, palette->palPalEntry);
      reservedCount = display.NumReserved();
    } else {
      // A palette of fewer than 16 entries keeps those standard colours
      // that fall inside it, the last eight winning where both would.
      for (int i = 0; i < 8 && i < count; ++i) {
        palette->palPalEntry[i] =
            PALETTEENTRY{kStandardColors[i][0], kStandardColors[i][1], kStandardColors[i][2], 0};
      }
      for (int i = 0; i < 8; ++i) {
        const int at = count - 8 + i;
        if (at < 0) continue;
        palette->palPalEntry[at] = PALETTEENTRY{
            kStandardColors[8 + i][0], kStandardColors[8 + i][1], kStandardColors[8 + i][2], 0};
      }
      reservedCount = 16;
    }
  }
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(count);
  if (reserved) *reserved = reservedCount;
  return palette;
}

LOGPALETTE* xcubeMakePalette(XCUBE* cube, int colors, int keepSystemColors) {
  ASSERT(cube != nullptr && cube->root != nullptr);
  int reserved = 0;
  LOGPALETTE* palette = xcubeNewPalette(keepSystemColors, colors, &reserved);
  if (!palette) return nullptr;
  std::free(cube->logpal);
  cube->logpal = palette;
  const int freeSlots = palette->palNumEntries - reserved;
  if (freeSlots > 0) {
    xcubeReduce(cube, freeSlots);
    cube->nextIndex = reserved / 2;
    cube->firstFree = reserved / 2;
    xcubeAssign(cube);
  }
  if (xcubeRebuild(cube) != XERR_OK) {
    std::free(cube->logpal);
    cube->logpal = nullptr;
    return nullptr;
  }
  cube->remapNode = nullptr;
  cube->reservedIndex = -1;
  return cube->logpal;
}

void xcubeReduce(XCUBE* cube, int target) {
  ASSERT(cube != nullptr && cube->root != nullptr);
  cube->nextThreshold = 1;
  while (cube->nextIndex > target) {
    cube->threshold = cube->nextThreshold;
    cube->nextThreshold = cube->root->refCount - 1;
    cube->nextIndex = 0;
    ReducePass(cube, cube->root);
    // Everything below the root is merged: no further pass can lower the
    // count (a target below 1 cannot be met).
    if (cube->threshold == kRootRefCount - 1) break;
  }
}

void xcubeAssign(XCUBE* cube) {
  ASSERT(cube != nullptr && cube->root != nullptr && cube->logpal != nullptr);
  AssignNode(cube, cube->root);
}

int xcubeRebuild(XCUBE* cube) {
  ASSERT(cube != nullptr && cube->logpal != nullptr);
  ReleaseBlocks(cube);
  if (NewRoot(cube) != XERR_OK) return XERR_NOMEM;
  cube->depth = 8;
  const LOGPALETTE* palette = cube->logpal;
  for (int i = 0; i < palette->palNumEntries; ++i) {
    const PALETTEENTRY& e = palette->palPalEntry[i];
    if (xcubeInsert(cube, e.peRed, e.peGreen, e.peBlue, 1, i) != XERR_OK) return XERR_NOMEM;
  }
  return XERR_OK;
}

int xcubeNearest(XCUBE* cube, int red, int green, int blue, int excluded) {
  ASSERT(cube != nullptr && cube->root != nullptr && cube->logpal != nullptr);
  const XCUBENODE* node = cube->root;
  if (excluded == -1) {
    for (;;) {
      const int k = Octant(node, red, green, blue);
      if (!(node->childMask & (1u << k))) break;
      node = node->children[k];
    }
  }
  Search s;
  s.sq = cube->sq + 255;
  s.entries = cube->logpal->palPalEntry;
  s.entryCount = cube->logpal->palNumEntries;
  s.red = red;
  s.green = green;
  s.blue = blue;
  s.excluded = excluded;
  s.bestDistance = 0xFFFFFFFF;
  s.bestIndex = 0;
  SearchNode(s, node->parent);
  cube->bestDistance = s.bestDistance;
  cube->bestIndex = s.bestIndex;
  return s.bestIndex;
}

void xcubeFree(XCUBE* cube) {
  ASSERT(cube != nullptr);
  ReleaseBlocks(cube);
  std::free(cube->logpal);
  cube->logpal = nullptr;
}
