// The black window that covers the desktop behind the player during a show.
#pragma once

#include <windows.h>

#include "clib/cWindow.h"

class zyBackground : public cWindow {
 public:
  // 1: painting covers everything, no erase needed.
  LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnPaint(WPARAM wParam, LPARAM lParam) override;
};
