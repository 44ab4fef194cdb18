// The "PaletteDisplay" window class of the options dialog.
#pragma once

#include <windows.h>

// Registers the class with the module's resource handle. Several instances
// may live at once: the class is registered by the first and unregistered by
// the last. Returns false when registration fails.
bool AcquirePaletteDisplayClass(HINSTANCE module);
void ReleasePaletteDisplayClass();

// Draws the display of the dialog's palette into `dc` (what WM_PAINT does),
// so that a test can render it into a bitmap.
void PaintPaletteDisplay(HWND window, HDC dc);
