// What colour reduction needs to know of the display: its colour count,
// whether it works through a hardware palette, that palette's entries and
// how many of them the system reserves.
//
// The cube and the dithering ask the current display (xdisplayCurrent) and
// never the system themselves, so that the native build, the fuzzer and the
// tests can run them against any display they describe. On Windows the
// default is the screen (XScreenDisplay); natively it is a true-colour
// display (no hardware palette, NUMCOLORS -1).
#pragma once

#include "clib/WinTypes.h"

class XDisplay {
 public:
  // The raster capabilities include RC_PALETTE.
  virtual bool HasPalette() = 0;
  // SIZEPALETTE: entries of the hardware palette.
  virtual int PaletteSize() = 0;
  // NUMCOLORS: -1 on a true-colour display.
  virtual int NumColors() = 0;
  // NUMRESERVED: system-reserved palette entries.
  virtual int NumReserved() = 0;
  // Copies up to count entries of the system palette from entry start into
  // entries; returns the number copied (0 when the display has none).
  virtual int SystemPaletteEntries(int start, int count, PALETTEENTRY* entries) = 0;

 protected:
  ~XDisplay() = default;
};

// A display described by its answers, for tools and tests.
class XDisplayDescription final : public XDisplay {
 public:
  bool hasPalette = false;
  int paletteSize = 0;
  int numColors = -1;
  int numReserved = 0;
  PALETTEENTRY systemPalette[256] = {};  // the first paletteSize are meaningful

  bool HasPalette() override { return hasPalette; }
  int PaletteSize() override { return paletteSize; }
  int NumColors() override { return numColors; }
  int NumReserved() override { return numReserved; }
  int SystemPaletteEntries(int start, int count, PALETTEENTRY* entries) override;
};

// The display the cube asks. Never null.
XDisplay& xdisplayCurrent();
// Makes display the current one (null: the default again) and returns the
// previous one, or null when that was the default. Not owned.
XDisplay* xdisplayUse(XDisplay* display);
// The default display of this build.
XDisplay& xdisplayDefault();

// Installs a display for the life of a scope.
class XDisplayScope {
 public:
  explicit XDisplayScope(XDisplay& display) : m_Previous(xdisplayUse(&display)) {}
  ~XDisplayScope() { xdisplayUse(m_Previous); }
  XDisplayScope(const XDisplayScope&) = delete;
  XDisplayScope& operator=(const XDisplayScope&) = delete;

 private:
  XDisplay* m_Previous;  // not owned
};

// The current display's colour count: PaletteSize when it has a palette,
// else NumColors (-1 on a true-colour display).
int xdibDisplayColors();

#ifdef _WIN32
// A display answered from a device context: the screen's (obtained with
// GetDC(NULL) for each question and released at once) or one the caller
// owns.
class XScreenDisplay final : public XDisplay {
 public:
  XScreenDisplay() = default;
  explicit XScreenDisplay(HDC dc) : m_Dc(dc) {}
  bool HasPalette() override;
  int PaletteSize() override;
  int NumColors() override;
  int NumReserved() override;
  int SystemPaletteEntries(int start, int count, PALETTEENTRY* entries) override;

 private:
  HDC m_Dc = nullptr;  // not owned; null: the screen
};
#endif
