#include "saver/SettingsLayout.h"

namespace {

// The picture's excess over the frame, limited to the room left in `room`
// beside a dialog of `size`; never below 0.
int Growth(int picture, int frame, int size, int room) {
  int growth = picture > frame ? picture - frame : 0;
  const int free = room - size;
  if (growth > free) growth = free > 0 ? free : 0;
  return growth;
}

// Moves [start, start + size) as little as brings it inside [low, high);
// when it is larger, its start goes to low.
int KeepInside(int start, int size, int low, int high) {
  if (start + size > high) start = high - size;
  if (start < low) start = low;
  return start;
}

}  // namespace

SettingsGrowth GrowSettingsDialog(int frameWidth, int frameHeight, int pictureWidth,
                                  int pictureHeight, const RECT& dialog, int screenWidth,
                                  int screenHeight, const RECT& workArea) {
  const int oldWidth = dialog.right - dialog.left;
  const int oldHeight = dialog.bottom - dialog.top;
  SettingsGrowth growth;
  growth.dx = Growth(pictureWidth, frameWidth, oldWidth, workArea.right - workArea.left);
  growth.dy = Growth(pictureHeight, frameHeight, oldHeight, workArea.bottom - workArea.top);
  const int width = oldWidth + growth.dx;
  const int height = oldHeight + growth.dy;
  // C++ division truncates toward zero, also for a negative difference.
  growth.dialog.left = KeepInside((screenWidth - width) / 2, width, workArea.left, workArea.right);
  growth.dialog.top =
      KeepInside((screenHeight - height) / 2, height, workArea.top, workArea.bottom);
  growth.dialog.right = growth.dialog.left + width;
  growth.dialog.bottom = growth.dialog.top + height;
  return growth;
}
