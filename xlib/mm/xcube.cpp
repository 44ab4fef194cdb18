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

// Children first (octants 0 to 7), then the node itself.
void SearchNode(XCUBE* cube, const XCUBENODE* node, int red, int green, int blue, int excluded) {
  for (int k = 0; k < 8; ++k)
    if (node->childMask & (1u << k))
      SearchNode(cube, node->children[k], red, green, blue, excluded);
  if (node->pixelCount == 0 || node->paletteIndex == excluded) return;
  // Only a tree that was not made from the palette can name entries past it.
  if (node->paletteIndex < 0 || node->paletteIndex >= cube->logpal->palNumEntries) return;
  const PALETTEENTRY& e = cube->logpal->palPalEntry[node->paletteIndex];
  const uint32_t distance = cube->sq[255 + e.peRed - red] + cube->sq[255 + e.peGreen - green] +
                            cube->sq[255 + e.peBlue - blue];
  if (distance < cube->bestDistance) {
    cube->bestDistance = distance;
    cube->bestIndex = node->paletteIndex;
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

int xcubeInsert(XCUBE* cube, int red, int green, int blue, uint32_t weight, int index) {
  ASSERT(cube != nullptr && cube->root != nullptr);
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
  node->sumRed += static_cast<uint64_t>(red) * weight;
  node->sumGreen += static_cast<uint64_t>(green) * weight;
  node->sumBlue += static_cast<uint64_t>(blue) * weight;
  node->paletteIndex = index;
  return XERR_OK;
}

int xcubeAddDib(XCUBE* cube, const XDIB* dib) {
  ASSERT(cube != nullptr && dib != nullptr);
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  const int bitCount = h.biBitCount;
  if (bitCount != 4 && bitCount != 8 && bitCount != 24) return XERR_FORMAT;
  if (h.biWidth <= 0 || h.biHeight <= 0 || !dib->bits) return XERR_FORMAT;
  const uint64_t width = static_cast<uint64_t>(h.biWidth);
  const uint64_t need = bitCount == 24 ? 3 * width : bitCount == 8 ? width : (width + 1) / 2;
  if (dib->rowBytes < need) return XERR_FORMAT;
  const size_t w = static_cast<size_t>(width);
  for (LONG y = 0; y < h.biHeight; ++y) {
    const uint8_t* row = dib->bits + static_cast<size_t>(y) * dib->rowBytes;
    // The run in progress: its colour and length.
    uint32_t runColor = 0;
    uint32_t runLength = 0;
    for (size_t x = 0; x < w; ++x) {
      uint32_t color;
      if (bitCount == 24) {
        const uint8_t* p = row + 3 * x;
        color = p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
      } else {
        const unsigned index = bitCount == 8 ? row[x]
                               : (x & 1)     ? (row[x / 2] & 0x0F)
                                             : (row[x / 2] >> 4);
        const RGBQUAD& q = dib->bmiColors[index];
        color = q.rgbBlue | (q.rgbGreen << 8) | (static_cast<uint32_t>(q.rgbRed) << 16);
      }
      if (runLength && color == runColor) {
        ++runLength;
        continue;
      }
      if (runLength) {
        const int rc = xcubeInsert(cube, (runColor >> 16) & 0xFF, (runColor >> 8) & 0xFF,
                                   runColor & 0xFF, runLength + 1, 0);
        if (rc != XERR_OK) return rc;
      }
      runColor = color;
      runLength = 1;
    }
    const int rc = xcubeInsert(cube, (runColor >> 16) & 0xFF, (runColor >> 8) & 0xFF,
                               runColor & 0xFF, runLength + 1, 0);
    if (rc != XERR_OK) return rc;
  }
  return XERR_OK;
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
  cube->bestDistance = 0xFFFFFFFF;
  cube->bestIndex = 0;
  SearchNode(cube, node->parent, red, green, blue, excluded);
  return cube->bestIndex;
}

void xcubeFree(XCUBE* cube) {
  ASSERT(cube != nullptr);
  ReleaseBlocks(cube);
  std::free(cube->logpal);
  cube->logpal = nullptr;
}
