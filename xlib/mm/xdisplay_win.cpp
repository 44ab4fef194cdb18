// The display answered from a device context, by default the screen's.
#include <windows.h>

#include "xlib/mm/xdisplay.h"

namespace {

// The caller's device context, or the screen's for the life of one question.
class DcHolder {
 public:
  explicit DcHolder(HDC dc) : m_Dc(dc ? dc : GetDC(nullptr)), m_Owned(dc == nullptr) {}
  ~DcHolder() {
    if (m_Owned && m_Dc) ReleaseDC(nullptr, m_Dc);
  }
  DcHolder(const DcHolder&) = delete;
  DcHolder& operator=(const DcHolder&) = delete;
  HDC Get() const { return m_Dc; }

 private:
  HDC m_Dc;
  bool m_Owned;
};

int Caps(HDC dc, int index) {
  DcHolder holder(dc);
  return holder.Get() ? GetDeviceCaps(holder.Get(), index) : 0;
}

}  // namespace

bool XScreenDisplay::HasPalette() {
  return (Caps(m_Dc, RASTERCAPS) & RC_PALETTE) != 0;
}
int XScreenDisplay::PaletteSize() {
  return Caps(m_Dc, SIZEPALETTE);
}
int XScreenDisplay::NumColors() {
  return Caps(m_Dc, NUMCOLORS);
}
int XScreenDisplay::NumReserved() {
  return Caps(m_Dc, NUMRESERVED);
}

int XScreenDisplay::SystemPaletteEntries(int start, int count, PALETTEENTRY* entries) {
  if (start < 0 || count <= 0) return 0;
  DcHolder holder(m_Dc);
  if (!holder.Get()) return 0;
  return static_cast<int>(GetSystemPaletteEntries(holder.Get(), static_cast<UINT>(start),
                                                  static_cast<UINT>(count), entries));
}

XDisplay& xdisplayDefault() {
  static XScreenDisplay screen;
  return screen;
}
