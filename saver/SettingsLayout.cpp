#include "saver/SettingsLayout.h"

SettingsGrowth GrowSettingsDialog(int frameWidth, int frameHeight, int pictureWidth,
                                  int pictureHeight, const RECT& dialog, int screenWidth,
                                  int screenHeight) {
  SettingsGrowth growth;
  growth.dx = pictureWidth > frameWidth ? pictureWidth - frameWidth : 0;
  growth.dy = pictureHeight > frameHeight ? pictureHeight - frameHeight : 0;
  const int width = (dialog.right - dialog.left) + growth.dx;
  const int height = (dialog.bottom - dialog.top) + growth.dy;
  // C++ division truncates toward zero, also for a negative difference.
  growth.dialog.left = (screenWidth - width) / 2;
  growth.dialog.top = (screenHeight - height) / 2;
  growth.dialog.right = growth.dialog.left + width;
  growth.dialog.bottom = growth.dialog.top + height;
  return growth;
}
