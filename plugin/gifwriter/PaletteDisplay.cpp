#include "plugin/gifwriter/PaletteDisplay.h"

#include "plugin/gifwriter/GifOptionsDialog.h"

namespace {

int g_classUsers = 0;
HINSTANCE g_classModule = nullptr;

constexpr int kMargin = 4;
constexpr int kPitch = 15;
constexpr int kCell = 12;
constexpr int kColumns = 32;

// Cell i covers 12 x 12 pixels from (left, top); the 3 pixels after it in
// each direction belong to no cell, so a click at (16, 4) hits nothing.
RECT CellRect(int i, int outset) {
  const int left = kMargin + kPitch * (i % kColumns);
  const int top = kMargin + kPitch * (i / kColumns);
  RECT r = {left - outset, top - outset, left + kCell + outset, top + kCell + outset};
  return r;
}

void Frame(HDC dc, const RECT& r, HBRUSH brush) {
  FrameRect(dc, &r, brush);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  PaintPaletteDisplay(window, dc);
  EndPaint(window, &ps);
}

LRESULT CALLBACK PaletteDisplayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      if (GetUpdateRect(window, nullptr, FALSE)) Paint(window);
      return 0;
    case WM_PRINTCLIENT:  // lets the display be rendered into any device context
      PaintPaletteDisplay(window, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_LBUTTONDOWN: {
      const int x = static_cast<short>(LOWORD(lParam)) - kMargin;
      const int y = static_cast<short>(HIWORD(lParam)) - kMargin;
      if (x < 0 || y < 0) return 0;  // left of or above the first cell
      if (x % kPitch >= kCell || y % kPitch >= kCell) return 0;
      const int column = x / kPitch, row = y / kPitch;
      if (column >= kColumns || row >= 8) return 0;  // beyond the last cell
      GifDialogSetTransparentIndex(GetParent(window), kColumns * row + column);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void PaintPaletteDisplay(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  const gif::PaletteSpec& palette = GifDialogPalette();
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  if (palette.kind == gif::kPaletteKindExact) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    Frame(dc, client, GetSysColorBrush(COLOR_GRAYTEXT));
    return;
  }
  const bool dark = GifDialog().transparencyBit;
  HBRUSH line =
      dark ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : GetSysColorBrush(COLOR_GRAYTEXT);
  HPEN pen = dark ? static_cast<HPEN>(GetStockObject(BLACK_PEN)) : CreatePen(PS_SOLID, 1, grey);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  Frame(dc, client, line);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  const uint32_t size = palette.size > gif::kPaletteCapacity ? gif::kPaletteCapacity : palette.size;
  for (int i = 0; i < 256; ++i) {
    RECT r = CellRect(i, 0);
    if (static_cast<uint32_t>(i) < size) {
      const gif::PaletteEntry& e = palette.entries[i];
      HBRUSH fill = CreateSolidBrush(RGB(e.red >> 8, e.green >> 8, e.blue >> 8));
      FillRect(dc, &r, fill);
      DeleteObject(fill);
    } else {
      FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      Frame(dc, r, line);
      MoveToEx(dc, r.left, r.top, nullptr);
      LineTo(dc, r.right, r.bottom);
      MoveToEx(dc, r.right - 1, r.top, nullptr);
      LineTo(dc, r.left - 1, r.bottom);
    }
  }
  const int index = palette.transparentIndex;
  if (index >= 0 && index < 256) Frame(dc, CellRect(index, 2), line);
  SelectObject(dc, oldPen);
  if (!dark) DeleteObject(pen);
}

bool AcquirePaletteDisplayClass(HINSTANCE module) {
  if (g_classUsers > 0) {
    ++g_classUsers;
    return true;
  }
  WNDCLASSA wc = {};
  wc.style = CS_PARENTDC;
  wc.lpfnWndProc = PaletteDisplayProc;
  wc.hInstance = module;
  wc.lpszClassName = "PaletteDisplay";
  if (!RegisterClassA(&wc)) return false;
  g_classModule = module;
  g_classUsers = 1;
  return true;
}

void ReleasePaletteDisplayClass() {
  if (g_classUsers == 0) return;
  if (--g_classUsers == 0) {
    UnregisterClassA("PaletteDisplay", g_classModule);
    g_classModule = nullptr;
  }
}
