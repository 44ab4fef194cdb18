// Floyd-Steinberg error diffusion onto a colour cube's palette, with the
// nearest colours cached per key box. No operating-system calls.
#include "xlib/mm/xdither.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "clib/Assert.h"

int xditherInit(XDITHER* context, XCUBE* cube, int uniform, int rBits, int gBits, int bBits,
                int nLevel) {
  ASSERT(context != nullptr);
  ASSERT(cube == NULL || cube->logpal != NULL);
  ASSERT(0 <= nLevel && nLevel <= 8);
  // Only the octree lookup exists; it needs the cube.
  ASSERT(uniform == 0 && cube != nullptr);
  ASSERT(0 <= rBits && rBits <= 8 && 0 <= gBits && gBits <= 8 && 0 <= bBits && bBits <= 8);
  std::memset(context, 0, sizeof *context);
  context->cube = cube;
  context->callback = nullptr;
  context->user = nullptr;
  context->rBits = rBits;
  context->gBits = gBits;
  context->bBits = bBits;
  context->keyBits = rBits + gBits + bBits;
  context->keyCount = 1 << context->keyBits;
  context->rShift = 8 - rBits;
  context->gShift = 8 - gBits;
  context->gLeft = rBits;
  context->bShift = 8 - bBits;
  context->bLeft = rBits + gBits;

  // Clamp table, lookup table, error-limit table; the last starts on a
  // 4-byte boundary (only a one-entry lookup table needs the padding).
  const size_t lookupBytes = 2 * static_cast<size_t>(context->keyCount);
  const size_t limitAt = (768 + lookupBytes + 3) & ~static_cast<size_t>(3);
  uint8_t* block = static_cast<uint8_t*>(std::malloc(limitAt + 2048));
  if (!block) return XERR_NOMEM;
  context->tables = block;

  for (int v = 0; v < 768; ++v)
    block[v] = static_cast<uint8_t>(v < 256 ? 0 : v < 512 ? v - 256 : 255);
  context->clamp = block + 256;

  int16_t* lookup = reinterpret_cast<int16_t*>(block + 768);
  std::memset(lookup, 0xFF, lookupBytes);  // every entry -1: not looked up yet
  context->lookup = lookup;

  int32_t* limit = reinterpret_cast<int32_t*>(block + limitAt) + 255;
  limit[0] = 0;
  if (nLevel == 0) {
    for (int i = 1; i <= 255; ++i) limit[i] = limit[-i] = 0;
  } else {
    const int period = 256 >> (nLevel - 1);
    int step = 1;
    int countdown = 1;
    int value = 1;
    for (int i = 1; i <= 255; ++i) {
      limit[i] = value;
      limit[-i] = -value;
      if (--countdown == 0) {
        ++value;
        countdown = step;
      }
      if (step < 256 && i % period == 0) step *= 2;
    }
  }
  context->limit = limit;
  return XERR_OK;
}

int xditherDib(XDITHER* context, XDIB* dib) {
  ASSERT(context != nullptr && context->tables != nullptr && dib != nullptr);
  ASSERT(xdibBitCount(dib) == 24);
  XCUBE* cube = context->cube;
  const LOGPALETTE* palette = cube->logpal;
  ASSERT(palette != nullptr);
  const int n = palette->palNumEntries;
  const int newBits = n > 16 ? 8 : n > 2 ? 4 : 1;
  const LONG width = dib->bmiHeader.biWidth;
  const LONG height = dib->bmiHeader.biHeight;
  if (width <= 0 || height <= 0 || !dib->bits) return XERR_FORMAT;
  const size_t w = static_cast<size_t>(width);
  // Rows of the block must hold the picture's pixels, and the output rows
  // must not be longer than the input rows they are written over.
  const DWORD newRow = xdibRowBytes(width, newBits);
  if (dib->rowBytes < 3 * static_cast<uint64_t>(w) || newRow > dib->rowBytes ||
      static_cast<uint64_t>(newRow) * 8 < static_cast<uint64_t>(w) * newBits)
    return XERR_FORMAT;

  // Two rows of (width + 2) pixels of red, green and blue sums in
  // sixteenths, one pixel of margin at each end (written, never read).
  const size_t rowSums = (w + 2) * 3;
  int32_t* errors = static_cast<int32_t*>(std::calloc(2 * rowSums, sizeof(int32_t)));
  if (!errors) return XERR_NOMEM;
  int32_t* current = errors;
  int32_t* next = errors + rowSums;

  const uint8_t* clamp = context->clamp;
  const int32_t* limit = context->limit;
  int16_t* lookup = context->lookup;
  const int rShift = context->rShift, gShift = context->gShift, gLeft = context->gLeft;
  const int bShift = context->bShift, bLeft = context->bLeft;
  const PALETTEENTRY* entries = palette->palPalEntry;

  for (LONG y = 0; y < height; ++y) {
    int32_t* swap = current;
    current = next;
    next = swap;
    const uint8_t* in = dib->bits + static_cast<size_t>(y) * dib->rowBytes;
    uint8_t* out = dib->bits + static_cast<size_t>(y) * newRow;
    // This row's pushed errors are final when the row starts, but for the
    // 7/16 each pixel passes to its right neighbour: carried here. Of the
    // next row's sums, pixel x - 1 is complete once pixel x has added its
    // 3/16; the two after it are carried until then. So every sum is built
    // in registers and stored once, and the next row needs no clearing.
    const int32_t* cur = current + 3;        // pixel 0
    int32_t* finished = next;                // next row, pixel x - 1 (the left margin at x 0)
    int carryR = 0, carryG = 0, carryB = 0;  // 7/16 from the left
    int belowR = 0, belowG = 0, belowB = 0;  // next row, pixel x: 1/16 + 5/16 so far
    int rightR = 0, rightG = 0, rightB = 0;  // next row, pixel x + 1: 1/16 so far
    for (size_t x = 0; x < w; ++x) {
      const int blue0 = in[3 * x];
      const int green0 = in[3 * x + 1];
      const int red0 = in[3 * x + 2];
      const int red = clamp[red0 + limit[(cur[3 * x] + carryR) >> 4]];
      const int green = clamp[green0 + limit[(cur[3 * x + 1] + carryG) >> 4]];
      const int blue = clamp[blue0 + limit[(cur[3 * x + 2] + carryB) >> 4]];
      int index;
      if (n == 2) {
        index = (red + green + blue) / 384;
      } else {
        const int key =
            (red >> rShift) | ((green >> gShift) << gLeft) | ((blue >> bShift) << bLeft);
        index = lookup[key];
        if (index < 0) {
          index = xcubeNearest(cube, red, green, blue, -1);
          lookup[key] = static_cast<int16_t>(index);
        }
      }
      const PALETTEENTRY& e = entries[index];
      const int er = red - e.peRed;
      const int eg = green - e.peGreen;
      const int eb = blue - e.peBlue;
      carryR = 7 * er;
      carryG = 7 * eg;
      carryB = 7 * eb;
      // Pixel x - 1 of the next row is complete.
      finished[0] = belowR + 3 * er;
      finished[1] = belowG + 3 * eg;
      finished[2] = belowB + 3 * eb;
      finished += 3;
      belowR = rightR + 5 * er;
      belowG = rightG + 5 * eg;
      belowB = rightB + 5 * eb;
      rightR = er;
      rightG = eg;
      rightB = eb;
      if (newBits == 8) {
        out[x] = static_cast<uint8_t>(index);
      } else if (newBits == 4) {
        uint8_t& b = out[x / 2];
        if (x & 1)
          b = static_cast<uint8_t>((b & 0xF0) | (index & 0x0F));
        else
          b = static_cast<uint8_t>(((index & 0x0F) << 4) | (b & 0x0F));
      } else {
        uint8_t& b = out[x / 8];
        if ((x & 7) == 0) b = 0;
        if (index) b = static_cast<uint8_t>(b | (0x80 >> (x & 7)));
      }
    }
    // The last pixel's sums; the one past it falls in the right margin.
    finished[0] = belowR;
    finished[1] = belowG;
    finished[2] = belowB;
    if (context->callback) context->callback(context->user, static_cast<int>(y + 1), height);
  }
  std::free(errors);

  BITMAPINFOHEADER& h = dib->bmiHeader;
  h.biCompression = BI_RGB;
  h.biSizeImage = 0;
  h.biClrUsed = 0;
  h.biClrImportant = 0;
  h.biBitCount = static_cast<WORD>(newBits);
  dib->rowBytes = newRow;
  for (int i = 0; i < n; ++i) {
    const RGBQUAD q = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    dib->palette[i] = q;
    dib->bmiColors[i] = q;
  }
  dib->colorUse = XDIB_RGB_COLORS;
  return XERR_OK;
}

void xditherFree(XDITHER* context) {
  ASSERT(context != nullptr);
  std::free(context->tables);
  context->tables = nullptr;
  context->clamp = nullptr;
  context->lookup = nullptr;
  context->limit = nullptr;
}
