// The package's pictures as the preview window and the settings dialog show
// them: read from the program file (or the built-in bitmap), then made ready
// for the display, reduced into a palette of its own on a palette display.
#pragma once

#include <windows.h>

#include "saver/zyPak.h"
#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"

// Clears dib, cube and palette, then loads the picture `which`: from the
// program file at its offset, or, when the offset is 0 and a package is
// present, from bitmap resource kPackageImageResource of the program. A saver
// without a package has no picture.
//
// Where the display has a hardware palette the picture gets a colour cube and
// a GDI palette: a picture of up to 256 colours keeps its own colours, a
// deeper one is dithered into the cube's palette; the picture is then drawn
// with palette indices. Where the cube cannot be made (a true-colour display)
// the picture is drawn with its own colours and no palette.
//
// True when a picture is loaded. A picture that cannot be read leaves
// nothing; one whose reduction fails is released again.
bool PreparePackagePicture(const zyPak& pak, zyPak::Image which, XDIB* dib, XCUBE* cube,
                           HPALETTE* palette);
bool PreparePackagePicture(const zyPak& pak, zyPak::Image which, const char* modulePath,
                           HINSTANCE module, XDIB* dib, XCUBE* cube, HPALETTE* palette);

// Releases the cube, the picture and the palette. Safe when they hold nothing.
void FreePackagePicture(XDIB* dib, XCUBE* cube, HPALETTE* palette);

// Draws a loaded picture unscaled at (0, 0) with its palette (if any)
// selected as a foreground palette and realized; the previous palette goes
// back afterwards. Nothing without a picture.
void DrawPackagePicture(HDC dc, XDIB* dib, HPALETTE palette);

// The picture's width and height; 0, 0 without a picture.
SIZE PackagePictureSize(const XDIB* dib);
