// How the settings dialog makes room for a picture larger than its frame:
// plain arithmetic on sizes, so that it is tested without a window system.
#pragma once

#include "clib/WinTypes.h"

struct SettingsGrowth {
  int dx;       // added to the width of the dialog and the frame; the buttons move right by it
  int dy;       // added to the height of the dialog and the frame
  RECT dialog;  // the grown dialog's window rectangle
};

// frame: the picture frame's width and height; picture: the picture's size;
// dialog: the dialog's window rectangle; screen: the screen's size;
// workArea: the part of the screen not taken by the task bar.
//
// Each growth is the picture's excess over the frame, never below 0, but no
// more than keeps the dialog within the work area: a larger picture is shown
// cut at the frame's right and bottom edges (drawn unscaled from its top
// left), so that OK and Cancel stay on the screen. The grown dialog is
// centred on the screen, (screen - dialog) / 2 rounded toward zero, and then
// moved as little as brings it inside the work area (its top-left corner
// first, for a dialog larger than the work area even before it grew).
SettingsGrowth GrowSettingsDialog(int frameWidth, int frameHeight, int pictureWidth,
                                  int pictureHeight, const RECT& dialog, int screenWidth,
                                  int screenHeight, const RECT& workArea);
