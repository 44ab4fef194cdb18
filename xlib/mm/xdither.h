// Error diffusion (Floyd-Steinberg) of a 24-bit picture onto a colour
// cube's palette, in place. No operating-system calls.
#pragma once

#include <cstdint>

#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"

// Progress report: rows done of rows. Nothing in this system installs one.
typedef void (*XDITHERPROC)(void* user, int done, int rows);

struct XDITHER {
  XCUBE* cube;  // not owned; its logpal is the target palette
  XDITHERPROC callback;
  void* user;
  int rBits, gBits, bBits;  // bits per channel of the lookup key
  int keyBits;              // their sum
  int keyCount;             // 2 to the power of keyBits
  // Key shifts: red >> rShift, (green >> gShift) << gLeft, (blue >> bShift) << bLeft.
  int rShift, gShift, gLeft, bShift, bLeft;
  // One owned block holding, in order, the clamp table (768 bytes), the
  // lookup table (keyCount palette indices, -1 not yet known) and the
  // error-limit table (511 entries).
  void* tables;
  const uint8_t* clamp;  // clamp[v] for v from -256 to 511
  int16_t* lookup;
  const int32_t* limit;  // limit[e] for e from -255 to 255
};

// Prepares context for cube (which must have a palette) with key bits per
// channel (0 to 8 each) and error level nLevel (0 to 8; 0 passes no error
// on). uniform must be 0: only the octree lookup exists. XERR_OK or
// XERR_NOMEM.
int xditherInit(XDITHER* context, XCUBE* cube, int uniform, int rBits, int gBits, int bBits,
                int nLevel);

// Reduces a 24-bit picture in place to the cube's palette: 8 bits a pixel
// for more than 16 entries, 4 for more than 2, else 1; the colour table
// becomes the palette. XERR_OK, XERR_FORMAT (rows the block cannot hold)
// or XERR_NOMEM.
int xditherDib(XDITHER* context, XDIB* dib);

// Releases the tables. Safe on a context that holds none.
void xditherFree(XDITHER* context);
