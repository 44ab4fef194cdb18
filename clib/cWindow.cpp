#include "clib/cWindow.h"

#include <cstddef>
#include <cstring>

#define CWINDOW_HANDLER(name, message)                   \
  LRESULT cWindow::name(WPARAM wParam, LPARAM lParam) {  \
    return DefaultProcessing((message), wParam, lParam); \
  }

CWINDOW_HANDLER(OnActivateApp, WM_ACTIVATEAPP)
CWINDOW_HANDLER(OnChar, WM_CHAR)
CWINDOW_HANDLER(OnClose, WM_CLOSE)
CWINDOW_HANDLER(OnCommand, WM_COMMAND)
CWINDOW_HANDLER(OnContextMenu, WM_CONTEXTMENU)
CWINDOW_HANDLER(OnCreate, WM_CREATE)
CWINDOW_HANDLER(OnDrawItem, WM_DRAWITEM)
CWINDOW_HANDLER(OnDropFiles, WM_DROPFILES)
CWINDOW_HANDLER(OnDestroy, WM_DESTROY)
CWINDOW_HANDLER(OnEraseBkgnd, WM_ERASEBKGND)
CWINDOW_HANDLER(OnGetMinMaxInfo, WM_GETMINMAXINFO)
CWINDOW_HANDLER(OnHelp, WM_HELP)
CWINDOW_HANDLER(OnHScroll, WM_HSCROLL)
CWINDOW_HANDLER(OnInitMenu, WM_INITMENU)
CWINDOW_HANDLER(OnKeyDown, WM_KEYDOWN)
CWINDOW_HANDLER(OnKeyUp, WM_KEYUP)
CWINDOW_HANDLER(OnKillFocus, WM_KILLFOCUS)
CWINDOW_HANDLER(OnLButtonDblClk, WM_LBUTTONDBLCLK)
CWINDOW_HANDLER(OnLButtonDown, WM_LBUTTONDOWN)
CWINDOW_HANDLER(OnLButtonUp, WM_LBUTTONUP)
CWINDOW_HANDLER(OnMButtonDblClk, WM_MBUTTONDBLCLK)
CWINDOW_HANDLER(OnMButtonDown, WM_MBUTTONDOWN)
CWINDOW_HANDLER(OnMButtonUp, WM_MBUTTONUP)
CWINDOW_HANDLER(OnMenuSelect, WM_MENUSELECT)
CWINDOW_HANDLER(OnMouseMove, WM_MOUSEMOVE)
CWINDOW_HANDLER(OnMove, WM_MOVE)
CWINDOW_HANDLER(OnNcActivate, WM_NCACTIVATE)
CWINDOW_HANDLER(OnNotify, WM_NOTIFY)
CWINDOW_HANDLER(OnPaint, WM_PAINT)
CWINDOW_HANDLER(OnPaletteChanged, WM_PALETTECHANGED)
CWINDOW_HANDLER(OnQueryNewPalette, WM_QUERYNEWPALETTE)
CWINDOW_HANDLER(OnRButtonDown, WM_RBUTTONDOWN)
CWINDOW_HANDLER(OnRButtonUp, WM_RBUTTONUP)
CWINDOW_HANDLER(OnSetCursor, WM_SETCURSOR)
CWINDOW_HANDLER(OnSetFocus, WM_SETFOCUS)
CWINDOW_HANDLER(OnSize, WM_SIZE)
CWINDOW_HANDLER(OnSysColorChange, WM_SYSCOLORCHANGE)
CWINDOW_HANDLER(OnSysCommand, WM_SYSCOMMAND)
CWINDOW_HANDLER(OnSysKeyDown, WM_SYSKEYDOWN)
CWINDOW_HANDLER(OnTimer, WM_TIMER)
CWINDOW_HANDLER(OnVScroll, WM_VSCROLL)

#undef CWINDOW_HANDLER

// Nothing of ours sends the reserved messages; a stray one must not reach
// the default procedure, which could give it a meaning of its own.
LRESULT cWindow::OnReserved1(WPARAM, LPARAM) {
  return 0;
}
LRESULT cWindow::OnReserved2(WPARAM, LPARAM) {
  return 0;
}

LRESULT cWindow::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallDefWindowProc(message, wParam, lParam);
}

LRESULT cWindow::CallDefDlgProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefDlgProcA(m_Handle, message, wParam, lParam);
}

LRESULT cWindow::CallDefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(m_Handle, message, wParam, lParam);
}

LRESULT cWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATEAPP:
      return OnActivateApp(wParam, lParam);
    case WM_CHAR:
      return OnChar(wParam, lParam);
    case WM_CLOSE:
      return OnClose(wParam, lParam);
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_CONTEXTMENU:
      return OnContextMenu(wParam, lParam);
    case WM_CREATE:
      return OnCreate(wParam, lParam);
    case WM_DRAWITEM:
      return OnDrawItem(wParam, lParam);
    case WM_DROPFILES:
      return OnDropFiles(wParam, lParam);
    case WM_DESTROY:
      return OnDestroy(wParam, lParam);
    case CWM_RESERVED1:
      return OnReserved1(wParam, lParam);
    case WM_ERASEBKGND:
      return OnEraseBkgnd(wParam, lParam);
    case WM_GETMINMAXINFO:
      return OnGetMinMaxInfo(wParam, lParam);
    case WM_HELP:
      return OnHelp(wParam, lParam);
    case WM_HSCROLL:
      return OnHScroll(wParam, lParam);
    case WM_INITMENU:
      return OnInitMenu(wParam, lParam);
    case WM_KEYDOWN:
      return OnKeyDown(wParam, lParam);
    case WM_KEYUP:
      return OnKeyUp(wParam, lParam);
    case WM_KILLFOCUS:
      return OnKillFocus(wParam, lParam);
    case WM_LBUTTONDBLCLK:
      return OnLButtonDblClk(wParam, lParam);
    case WM_LBUTTONDOWN:
      return OnLButtonDown(wParam, lParam);
    case WM_LBUTTONUP:
      return OnLButtonUp(wParam, lParam);
    case WM_MBUTTONDBLCLK:
      return OnMButtonDblClk(wParam, lParam);
    case WM_MBUTTONDOWN:
      return OnMButtonDown(wParam, lParam);
    case WM_MBUTTONUP:
      return OnMButtonUp(wParam, lParam);
    case WM_MENUSELECT:
      return OnMenuSelect(wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam);
    case WM_MOVE:
      return OnMove(wParam, lParam);
    case WM_NCACTIVATE:
      return OnNcActivate(wParam, lParam);
    case WM_NOTIFY:
      return OnNotify(wParam, lParam);
    case WM_PAINT:
      return OnPaint(wParam, lParam);
    case WM_PALETTECHANGED:
      return OnPaletteChanged(wParam, lParam);
    case WM_QUERYNEWPALETTE:
      return OnQueryNewPalette(wParam, lParam);
    case WM_RBUTTONDOWN:
      return OnRButtonDown(wParam, lParam);
    case WM_RBUTTONUP:
      return OnRButtonUp(wParam, lParam);
    case WM_SETCURSOR:
      return OnSetCursor(wParam, lParam);
    case WM_SETFOCUS:
      return OnSetFocus(wParam, lParam);
    case WM_SIZE:
      return OnSize(wParam, lParam);
    case WM_SYSCOLORCHANGE:
      return OnSysColorChange(wParam, lParam);
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam, lParam);
    case WM_SYSKEYDOWN:
      return OnSysKeyDown(wParam, lParam);
    case CWM_RESERVED2:
      return OnReserved2(wParam, lParam);
    case WM_TIMER:
      return OnTimer(wParam, lParam);
    case WM_VSCROLL:
      return OnVScroll(wParam, lParam);
    default:
      return DefaultProcessing(message, wParam, lParam);
  }
}

namespace {

// The object named by WM_CREATE's creation data, or null when the data is
// not one of our records (a window of a shared class created by other code).
cWindow* ObjectFromCreation(LPARAM lParam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
  if (!create || !create->lpCreateParams) return nullptr;
  const auto* bytes = static_cast<const unsigned char*>(create->lpCreateParams);
  WORD size;
  std::memcpy(&size, bytes, sizeof size);
  if (size != sizeof(cWindowCreateRecord)) return nullptr;
  cWindow* object;
  std::memcpy(&object, bytes + offsetof(cWindowCreateRecord, object), sizeof object);
  return object;
}

}  // namespace

LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  cWindow* object;
  if (message == WM_CREATE) {
    object = ObjectFromCreation(lParam);
    if (object) {
      object->m_Handle = window;
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
  } else {
    object = reinterpret_cast<cWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  // Messages before WM_CREATE (WM_NCCREATE, WM_GETMINMAXINFO...) have no
  // object yet.
  if (!object) return DefWindowProcA(window, message, wParam, lParam);

  const LRESULT result = object->WindowProc(message, wParam, lParam);
  if (message == WM_DESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    object->m_Handle = nullptr;
  }
  return result;
}

ATOM RegisterWindowClass(cWindow&, WNDCLASSEXA& wc) {
  wc.lpfnWndProc = SharedWindowProc;
  return RegisterClassExA(&wc);
}

HWND CreateObjectWindow(cWindow& object, HINSTANCE instance, const char* className, HWND parent,
                        DWORD exStyle, DWORD style, const char* title, int x, int y, int width,
                        int height, HMENU menu) {
  cWindowCreateRecord record;
  record.size = sizeof record;
  record.object = &object;
  HWND window = CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu,
                                instance, &record);
  object.m_Handle = window;
  return window;
}
