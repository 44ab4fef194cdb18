// Fuzz target for colour reduction: whatever picture the BMP loader accepts
// is prepared as the saver prepares it for a palette display, through the
// cube (xcubeAddDib or xcubeFromColors, xcubeMakePalette) and the dithering.
// Three leading option bytes describe the display and the run:
//   byte 0: the display's colour count less 1 (1 to 256 colours);
//   byte 1: bits 0-3 the error level (taken modulo 9), bit 4 a hardware
//           palette, bit 5 a palette picture reduced and dithered like a
//           24-bit one, bit 6 a cube of depth 8 instead of the chosen one,
//           bit 7 a dither lookup of 3 bits a channel instead of the
//           saver's 6 (a 512-entry table instead of one of 256 K, which is
//           most of a small input's time);
//   byte 2: the reserved count of a palette display.
// Then the BMP file.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "clib/Assert.h"
#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"
#include "xlib/mm/xdisplay.h"
#include "xlib/mm/xdither.h"

namespace {

// Largest pixel block worth working on: a short input never fills more.
constexpr uint64_t kMaxBlock = uint64_t(1) << 17;

void Dither(XCUBE* cube, XDIB* dib, int level, int keyBits) {
  if (xdibTo24Bit(dib) != XERR_OK) return;
  XDITHER context;
  std::memset(&context, 0, sizeof context);
  if (xditherInit(&context, cube, 0, keyBits, keyBits, keyBits, level) == XERR_OK &&
      xditherDib(&context, dib) == XERR_OK) {
    // Every index names an entry of the palette.
    const int n = cube->logpal->palNumEntries;
    const int bits = dib->bmiHeader.biBitCount;
    ASSERT(bits == (n > 16 ? 8 : n > 2 ? 4 : 1));
    ASSERT(dib->rowBytes == xdibRowBytes(dib->bmiHeader.biWidth, bits));
    for (LONG y = 0; y < dib->bmiHeader.biHeight; ++y) {
      const uint8_t* row = dib->bits + static_cast<size_t>(y) * dib->rowBytes;
      for (LONG x = 0; x < dib->bmiHeader.biWidth; ++x) {
        const int index = bits == 8   ? row[x]
                          : bits == 4 ? (x & 1 ? row[x / 2] & 0x0F : row[x / 2] >> 4)
                                      : (row[x / 8] >> (7 - (x & 7))) & 1;
        ASSERT(index < n);
      }
    }
  }
  xditherFree(&context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int colours = data[0] + 1;
  const int level = (data[1] & 0x0F) % 9;
  const bool hardwarePalette = (data[1] & 0x10) != 0;
  const bool reducePalettePicture = (data[1] & 0x20) != 0;
  const int depth = (data[1] & 0x40) ? 8 : 0;
  const int keyBits = (data[1] & 0x80) ? 3 : 6;

  XDisplayDescription display;
  display.hasPalette = hardwarePalette;
  display.paletteSize = hardwarePalette ? colours : 0;
  display.numColors = hardwarePalette ? 20 : colours;
  display.numReserved = data[2];
  for (int i = 0; i < 256; ++i)
    display.systemPalette[i] =
        PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i * 3), static_cast<BYTE>(255 - i), 0};
  XDisplayScope use(display);

  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  XDibMemorySource src(data + 3, size - 3);
  if (xdibReadFrom(&dib, src, true) != XERR_OK) return 0;
  if (static_cast<uint64_t>(dib.rowBytes) * dib.bmiHeader.biHeight > kMaxBlock) {
    xdibFree(&dib);
    return 0;
  }
  XCUBE cube;
  std::memset(&cube, 0, sizeof cube);
  if (xcubeCreate(&cube, depth, 0) == XERR_OK) {
    const int bits = xdibBitCount(&dib);
    if (bits <= 8) {
      DWORD count = dib.bmiHeader.biClrUsed;
      if (count == 0) count = DWORD(1) << bits;
      LOGPALETTE* palette =
          xcubeFromColors(&cube, dib.palette, static_cast<int>(count), reducePalettePicture);
      if (palette) {
        ASSERT(palette == cube.logpal);
        if (reducePalettePicture) Dither(&cube, &dib, level, keyBits);
      }
    } else if (xcubeAddDib(&cube, &dib) == XERR_OK && xcubeMakePalette(&cube, 0, 1)) {
      Dither(&cube, &dib, level, keyBits);
    }
  }
  xcubeFree(&cube);
  xdibFree(&dib);
  return 0;
}
