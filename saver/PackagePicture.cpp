#include "saver/PackagePicture.h"

#include <cstring>

#include "xlib/lib/xfile.h"
#include "xlib/mm/xdither.h"

namespace {

// The colour-lookup key of the dithering: 6 bits for each channel, and the
// error limit that softens large errors.
constexpr int kDitherBits = 6;
constexpr int kDitherLevel = 2;

bool LoadPicture(const zyPak& pak, zyPak::Image which, const char* modulePath, HINSTANCE module,
                 XDIB* dib) {
  // Without a package there is nothing to show (and no offset to trust).
  if (!TrailerHasPackage(pak.m_Trailer)) return false;
  if (pak.ImageOffset(which) != 0) {
    xfile* file = pak.OpenImage(which, modulePath);
    if (!file) return false;
    const int result = xdibReadFile(dib, file);
    xFileClose(file);
    return result == XERR_OK && dib->bits;
  }
  // The built-in picture stands in for a package that carries none.
  return xdibLoadResource(dib, module, MAKEINTRESOURCEA(kPackageImageResource)) == XERR_OK &&
         dib->bits;
}

// Builds the cube's palette for the loaded picture and, for a picture of
// more than 256 colours, dithers it into that palette. False on failure.
bool ReduceForDisplay(XDIB* dib, XCUBE* cube) {
  if (xdibBitCount(dib) <= 8) {
    const DWORD count = xdibNumColors(&dib->bmiHeader);
    return xcubeFromColors(cube, dib->palette, static_cast<int>(count), 0) != nullptr;
  }
  if (xcubeAddDib(cube, dib) != XERR_OK) return false;
  if (!xcubeMakePalette(cube, 0, 1)) return false;
  if (xdibTo24Bit(dib) != XERR_OK) return false;
  XDITHER dither;
  std::memset(&dither, 0, sizeof dither);
  if (xditherInit(&dither, cube, 0, kDitherBits, kDitherBits, kDitherBits, kDitherLevel) != XERR_OK)
    return false;
  const int result = xditherDib(&dither, dib);
  xditherFree(&dither);
  return result == XERR_OK;
}

}  // namespace

bool PreparePackagePicture(const zyPak& pak, zyPak::Image which, XDIB* dib, XCUBE* cube,
                           HPALETTE* palette) {
  return PreparePackagePicture(pak, which, zyModulePath(), GetModuleHandleA(nullptr), dib, cube,
                               palette);
}

bool PreparePackagePicture(const zyPak& pak, zyPak::Image which, const char* modulePath,
                           HINSTANCE module, XDIB* dib, XCUBE* cube, HPALETTE* palette) {
  std::memset(dib, 0, sizeof *dib);
  std::memset(cube, 0, sizeof *cube);
  *palette = nullptr;
  if (!LoadPicture(pak, which, modulePath, module, dib)) {
    xdibFree(dib);
    return false;
  }
  // No cube: a display without a hardware palette shows the picture as it is.
  if (xcubeCreate(cube, 0, 0) != 0) return true;
  if (!ReduceForDisplay(dib, cube)) {
    FreePackagePicture(dib, cube, palette);
    return false;
  }
  *palette = CreatePalette(cube->logpal);
  // Without a GDI palette the picture stays in RGB mode.
  if (*palette) xdibUsePaletteIndices(dib);
  return true;
}

void FreePackagePicture(XDIB* dib, XCUBE* cube, HPALETTE* palette) {
  xcubeFree(cube);
  xdibFree(dib);
  if (*palette) {
    DeleteObject(*palette);
    *palette = nullptr;
  }
}

void DrawPackagePicture(HDC dc, XDIB* dib, HPALETTE palette) {
  if (!dib->bits) return;
  HPALETTE previous = nullptr;
  if (palette) {
    previous = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
  }
  xdibDraw(dib, dc, 0, 0, nullptr, SRCCOPY);
  if (previous) SelectPalette(dc, previous, FALSE);
}

SIZE PackagePictureSize(const XDIB* dib) {
  SIZE size = {0, 0};
  if (!dib->bits) return size;
  size.cx = dib->bmiHeader.biWidth;
  size.cy = dib->bmiHeader.biHeight;
  return size;
}
