// The colour cube: an octree over RGB space that collects a picture's
// colours, is pruned until they fit the free slots of the display's
// palette, and becomes a logical palette that keeps the system's reserved
// colours in place. After the palette is made the tree is rebuilt from it
// and serves the nearest-colour search of the dithering (xdither.h).
//
// Plain functions over a caller-owned record, returning the XERR_* codes of
// xdib.h. No operating-system calls: the display is asked through
// xdisplayCurrent (xdisplay.h).
#pragma once

#include <cstdint>

#include "clib/WinTypes.h"
#include "xlib/mm/xdib.h"
#include "xlib/mm/xdisplay.h"

enum : int {
  XCUBE_BLOCK_NODES = 2048,  // nodes in one storage block
  XCUBE_MAX_NODES = 266817,  // more nodes in use than this prunes the deepest level
};

struct XCUBENODE {
  XCUBENODE* parent;       // the root's parent is the root itself
  XCUBENODE* children[8];  // by octant; valid where childMask has the bit
  uint8_t childIndex;      // this node's octant in its parent
  uint8_t level;           // 0 for the root, 1 to 8 below
  uint8_t childMask;       // bit k set when child k exists
  uint8_t centre[3];       // red, green, blue centre of the node's box
  uint32_t refCount;       // weights inserted through this node; the root's is 0xFFFFFFFF
  uint32_t pixelCount;     // weight of the colours that end in this node
  // Weighted sums of those colours. 64 bits wide: a large picture's weight
  // times 255 does not fit in 32.
  uint64_t sumRed, sumGreen, sumBlue;
  int32_t paletteIndex;  // palette entry assigned to this node
};

// A block of node storage: its nodes, then the block made before it.
struct XCUBEBLOCK {
  XCUBENODE nodes[XCUBE_BLOCK_NODES];
  XCUBEBLOCK* previous;
};

// Zero-filled by its owner before xcubeCreate.
struct XCUBE {
  LOGPALETTE* logpal;  // owned (malloc); null until a palette is made
  XCUBENODE* root;
  XCUBENODE* remapNode;  // for transparent pictures; always null here
  int reservedIndex;     // for transparent pictures; always -1 here
  // Leaves created at the deepest level while inserting; colour-bearing
  // nodes while reducing; the next palette entry while assigning.
  int nextIndex;
  int depth;  // tree levels below the root, 2 to 8
  uint32_t threshold;
  uint32_t nextThreshold;
  uint32_t bestDistance;  // of the nearest-colour search in progress
  uint32_t sq[511];       // sq[255 + d] = d * d for d from -255 to 255
  // Node storage.
  int nodeCount;        // nodes in use
  int freeInBlock;      // nodes still free in the newest block
  XCUBENODE* nextFree;  // next free node of the newest block
  XCUBEBLOCK* blocks;   // newest block; each links to the one before
  int bestIndex;        // of the nearest-colour search in progress
  int firstFree;        // first palette index after the lower half of the reserved colours
};

// Prepares an empty cube of depth levels (0: chosen from the colour count)
// for colors palette entries (0: xdibDisplayColors()). Returns XERR_OK, -1
// when the colour count is not in 1 to 256, or XERR_NOMEM. Depth 0 means 1
// plus one for every division of the count by 4 until it reaches 0, less 2
// when above 2; any depth is then held to 2 to 8 (256 colours: 4, 236: 3,
// 16 and 2: 2).
int xcubeCreate(XCUBE* cube, int depth, int colors);

// Inserts one colour with weight and palette index. Prunes the deepest level
// first when more than XCUBE_MAX_NODES nodes are in use. XERR_OK or
// XERR_NOMEM.
int xcubeInsert(XCUBE* cube, int red, int green, int blue, uint32_t weight, int index);

// Inserts every pixel of a 4-, 8- or 24-bit picture, rows in storage order,
// each run of equal colour once with weight length + 1. XERR_OK,
// XERR_FORMAT (other bit counts, or rows the block cannot hold) or
// XERR_NOMEM.
int xcubeAddDib(XCUBE* cube, const XDIB* dib);

// Inserts count colours (blue, green, red, reserved) with weight 1 and their
// own index. reduce 0: the palette is those colours in order; otherwise as
// xcubeMakePalette(cube, count, reduce). Returns logpal, or null (count not
// in 1 to 256, no memory).
LOGPALETTE* xcubeFromColors(XCUBE* cube, const RGBQUAD* colors, int count, int reduce);

// A new palette of count entries, all white (room for one spare entry).
// With keepSystemColors the count is raised to the display's colour count
// when that is larger (and at most 256), and the system colours are put in:
// a palette display's system palette with its reserved count, else the 16
// standard colours in entries 0 to 7 and count - 8 to count - 1 with a
// reserved count of 16. *reserved receives the reserved count (0 without
// the flag). Null when the count is below 1 or above 256, or no memory.
// The caller owns the palette (free()).
LOGPALETTE* xcubeNewPalette(int keepSystemColors, int count, int* reserved);

// Makes the cube's palette (replacing any it had): a new palette
// (xcubeNewPalette), the tree reduced to its free slots and assigned into
// them from the lower half of the reserved colours on, then the tree
// rebuilt from the palette. Returns logpal, or null (no palette, no memory).
LOGPALETTE* xcubeMakePalette(XCUBE* cube, int colors, int keepSystemColors);

// Merges nodes, least referenced first, until at most target nodes carry
// colour (at least the root remains).
void xcubeReduce(XCUBE* cube, int target);

// Gives every colour-bearing node the next palette entry from nextIndex on,
// its weighted average rounded to nearest, in the order: children 0 to 3,
// the node, children 4 to 7. Entries past the palette's end are not written.
void xcubeAssign(XCUBE* cube);

// Replaces the tree by one of depth 8 holding every palette entry with
// weight 1 and its index. XERR_OK or XERR_NOMEM.
int xcubeRebuild(XCUBE* cube);

// The palette index nearest to the colour among the siblings of its deepest
// matching box (with excluded not -1: over the whole tree, skipping that
// index). The first found wins a tie; 0 when no node counts.
int xcubeNearest(XCUBE* cube, int red, int green, int blue, int excluded);

// Releases every node block and logpal. Safe on a zero-filled cube.
void xcubeFree(XCUBE* cube);
