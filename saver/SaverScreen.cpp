#include "saver/SaverScreen.h"

#include <algorithm>

SaverScreen SaverScreenFor(int virtualX, int virtualY, int virtualWidth, int virtualHeight,
                           int primaryWidth, int primaryHeight) {
  SaverScreen s{};
  const RECT primary = {0, 0, primaryWidth, primaryHeight};
  RECT all = primary;
  if (virtualWidth > 0 && virtualHeight > 0) {
    all.left = std::min<LONG>(primary.left, virtualX);
    all.top = std::min<LONG>(primary.top, virtualY);
    all.right = std::max<LONG>(primary.right, virtualX + virtualWidth);
    all.bottom = std::max<LONG>(primary.bottom, virtualY + virtualHeight);
  }
  s.window = all;
  s.primary = {primary.left - all.left, primary.top - all.top, primary.right - all.left,
               primary.bottom - all.top};
  return s;
}

SaverScreen PreviewScreen(int width, int height) {
  const RECT area = {0, 0, width, height};
  return SaverScreen{area, area};
}

POINT ScreenToSaverClient(const SaverScreen& screen, POINT p) {
  return POINT{p.x - screen.window.left, p.y - screen.window.top};
}
