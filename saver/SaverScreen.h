// Where the full-screen saver's windows go: they cover every monitor (the
// virtual screen), so that no monitor keeps showing the desktop and input
// anywhere reaches the saver; what the saver places or draws itself (the
// player, the error line) stays on the primary monitor. Plain arithmetic,
// tested without a window system.
#pragma once

#include "clib/WinTypes.h"

struct SaverScreen {
  RECT window;   // the saver and background windows, in screen coordinates
  RECT primary;  // the primary monitor, in the saver window's client coordinates
};

// The virtual screen as the system reports it (SM_XVIRTUALSCREEN,
// SM_YVIRTUALSCREEN, SM_CXVIRTUALSCREEN, SM_CYVIRTUALSCREEN) and the primary
// monitor's size (SM_CXSCREEN, SM_CYSCREEN; its top left corner is the
// screen origin). The window is the smallest rectangle holding both, so a
// system that reports no virtual screen (sizes 0) gets the primary monitor.
SaverScreen SaverScreenFor(int virtualX, int virtualY, int virtualWidth, int virtualHeight,
                           int primaryWidth, int primaryHeight);

// The preview: the window is the preview area itself, `width` x `height`.
SaverScreen PreviewScreen(int width, int height);

// A point in screen coordinates in the saver window's client coordinates
// (the coordinates of its mouse messages).
POINT ScreenToSaverClient(const SaverScreen& screen, POINT p);
