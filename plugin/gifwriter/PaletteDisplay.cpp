#include "plugin/gifwriter/PaletteDisplay.h"

namespace {

int g_classUsers = 0;
HINSTANCE g_classModule = nullptr;

// Painting and clicks come with the options dialog; until then the control
// behaves as a plain window.
LRESULT CALLBACK PaletteDisplayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

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
