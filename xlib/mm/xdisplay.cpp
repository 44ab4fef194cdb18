// The current display for colour reduction. No operating-system calls.
#include "xlib/mm/xdisplay.h"

namespace {
XDisplay* g_Display = nullptr;  // not owned; null: the default
}  // namespace

int XDisplayDescription::SystemPaletteEntries(int start, int count, PALETTEENTRY* entries) {
  int copied = 0;
  for (int i = start; i < paletteSize && i < 256 && copied < count; ++i) {
    if (i < 0) continue;
    entries[copied++] = systemPalette[i];
  }
  return copied;
}

XDisplay& xdisplayCurrent() {
  return g_Display ? *g_Display : xdisplayDefault();
}

XDisplay* xdisplayUse(XDisplay* display) {
  XDisplay* previous = g_Display;
  g_Display = display;
  return previous;
}

int xdibDisplayColors() {
  XDisplay& display = xdisplayCurrent();
  return display.HasPalette() ? display.PaletteSize() : display.NumColors();
}
