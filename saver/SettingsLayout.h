// How the settings dialog makes room for a picture larger than its frame:
// plain arithmetic on sizes, so that it is tested without a window system.
#pragma once

#include "clib/WinTypes.h"

struct SettingsGrowth {
  int dx;       // added to the width of the dialog and the frame; the buttons move right by it
  int dy;       // added to the height of the dialog and the frame
  RECT dialog;  // the grown dialog's window rectangle, centred on the screen
};

// frame: the picture frame's width and height; picture: the picture's size;
// dialog: the dialog's window rectangle; screen: the screen's size. Each
// growth is the picture's excess over the frame, never below 0; the centred
// position is (screen - dialog) / 2, rounded toward zero (so a dialog wider
// than the screen starts left of it).
SettingsGrowth GrowSettingsDialog(int frameWidth, int frameHeight, int pictureWidth,
                                  int pictureHeight, const RECT& dialog, int screenWidth,
                                  int screenHeight);
