#include "saver/cSaverWindow.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "saver/Password.h"

int cSaverWindow::Run(const cSaverArgs& args, HINSTANCE instance, int showCommand) {
  m_Mode = args.mode;
  m_hwndParent = args.hwnd;
  m_hwndReactivate = args.hwndForeground;

  // A preview needs the window it is shown in; without it, or without our
  // own window, the program ends without showing anything.
  if ((m_Mode == kModePreview && !m_hwndParent) || !Create(instance, showCommand, m_hwndParent)) {
    PostQuitMessage(0);
    return 0;
  }

  BOOL previous = FALSE;
  if (m_Mode == kModeRun) SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);

  MSG message;
  while (m_Handle && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (m_hDlgNavigation && IsDialogMessageA(m_hDlgNavigation, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }

  if (m_Mode == kModeRun) SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
  return 0;
}

HWND cSaverWindow::Create(HINSTANCE instance, int showCommand, HWND parent) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC | CS_BYTEALIGNCLIENT;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = m_ClassName;
  if (!RegisterWindowClass(*this, wc)) return nullptr;

  RECT rect;
  DWORD exStyle;
  DWORD style;
  if (m_Mode == kModePreview) {
    GetWindowRect(parent, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    exStyle = 0;
    style = WS_CHILD | WS_DISABLED;
    m_Screen = PreviewScreen(rect.right - rect.left, rect.bottom - rect.top);
  } else {
    // Every monitor is covered, so that none shows the desktop and input on
    // any of them reaches the show; on one monitor this is the screen.
    m_Screen =
        SaverScreenFor(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                       GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    rect = m_Screen.window;
    exStyle = WS_EX_TOPMOST;
    style = WS_POPUP | WS_CLIPCHILDREN;
  }
  HWND window =
      CreateObjectWindow(*this, instance, m_ClassName, parent, exStyle, style, "", rect.left,
                         rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr);
  if (window) {
    ShowWindow(window, showCommand);
    UpdateWindow(window);
  }
  return window;
}

LRESULT cSaverWindow::OnCreate(WPARAM wParam, LPARAM lParam) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  m_StartCursor = CursorInClient();
  GetClientRect(m_Handle, &m_Client);
  m_bSecure = ReadPasswordState();
  CreateOwnPalette();
  Start();
  return DefaultProcessing(WM_CREATE, wParam, lParam);
}

LRESULT cSaverWindow::OnDestroy(WPARAM wParam, LPARAM lParam) {
  // Destroyed without a close: the window's parent went, as the system's
  // display settings end a preview. The saver still ends as a closed one
  // does, or its player would run on unseen and its files stay behind.
  if (!m_bClosing) {
    StopTimer();
    m_bClosing = TRUE;
    HDC hdc = GetDC(m_Handle);
    Finish(hdc);
    ReleaseDC(m_Handle, hdc);
  }
  DeleteOwnPalette();
  // A preview gives nothing back: its parent window stays where it is.
  if (m_Mode != kModePreview && m_hwndReactivate) SetForegroundWindow(m_hwndReactivate);
  PostQuitMessage(0);
  return DefaultProcessing(WM_DESTROY, wParam, lParam);
}

LRESULT cSaverWindow::OnPaint(WPARAM, LPARAM) {
  if (m_bClosing) return 0;
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(m_Handle, &ps);
  if (m_bError) {
    PaintError(hdc);
  } else {
    HPALETTE previous = SelectOwnPalette(hdc);
    RealizeSelected(hdc);
    Paint(hdc);
    RestorePalette(hdc, previous);
  }
  EndPaint(m_Handle, &ps);
  return 0;
}

LRESULT cSaverWindow::OnTimer(WPARAM, LPARAM) {
  if (m_bClosing) return 0;
  HDC hdc = GetDC(m_Handle);
  if (m_bError) {
    PaintError(hdc);
  } else {
    HPALETTE previous = SelectOwnPalette(hdc);
    RealizeSelected(hdc);
    Tick(hdc);
    RestorePalette(hdc, previous);
  }
  ReleaseDC(m_Handle, hdc);
  return 0;
}

LRESULT cSaverWindow::OnEraseBkgnd(WPARAM, LPARAM) {
  return 1;
}

LRESULT cSaverWindow::OnQueryNewPalette(WPARAM, LPARAM) {
  return RealizeOwnPalette();
}

LRESULT cSaverWindow::OnSysColorChange(WPARAM, LPARAM) {
  return RealizeOwnPalette();
}

LRESULT cSaverWindow::OnPaletteChanged(WPARAM wParam, LPARAM lParam) {
  // Our own realization caused it: nothing to redo.
  if (reinterpret_cast<HWND>(wParam) == m_Handle)
    return DefaultProcessing(WM_PALETTECHANGED, wParam, lParam);
  return RealizeOwnPalette();
}

LRESULT cSaverWindow::OnSetCursor(WPARAM wParam, LPARAM lParam) {
  if (m_Mode == kModePreview || m_bSuspended)
    return DefaultProcessing(WM_SETCURSOR, wParam, lParam);
  SetCursor(nullptr);
  return 0;
}

LRESULT cSaverWindow::OnNcActivate(WPARAM wParam, LPARAM lParam) {
  // A show does not let itself be deactivated.
  if (m_Mode == kModePreview || m_bSuspended || wParam)
    return DefaultProcessing(WM_NCACTIVATE, wParam, lParam);
  return 0;
}

LRESULT cSaverWindow::OnSysCommand(WPARAM wParam, LPARAM lParam) {
  if (m_Mode != kModePreview) {
    const WPARAM command = wParam & 0xFFF0;
    // Another saver must not start over this one, and Alt+F4 is not a way out.
    if (command == SC_SCREENSAVE || command == SC_CLOSE) return 0;
  }
  return DefaultProcessing(WM_SYSCOMMAND, wParam, lParam);
}

LRESULT cSaverWindow::OnClose(WPARAM, LPARAM) {
  if (m_Mode == kModePreview || VerifyPassword()) {
    StopTimer();
    m_bClosing = TRUE;
    HDC hdc = GetDC(m_Handle);
    Finish(hdc);
    ReleaseDC(m_Handle, hdc);
    DestroyWindow(m_Handle);
    m_Handle = nullptr;
  } else {
    // The user is at the machine but not allowed in: start counting the
    // mouse threshold again from here.
    m_StartCursor = CursorInClient();
  }
  return 0;
}

LRESULT cSaverWindow::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_POWERBROADCAST) {
    if (wParam == PBT_APMQUERYSUSPEND) return TRUE;
    if (wParam == PBT_APMSUSPEND) PostMessageA(m_Handle, WM_CLOSE, 0, 0);
  }
  return cWindow::DefaultProcessing(message, wParam, lParam);
}

void cSaverWindow::Start() {
  StartTimer(-1);
}

void cSaverWindow::Tick(HDC) {}

void cSaverWindow::Paint(HDC hdc) {
  RECT rect;
  GetClientRect(m_Handle, &rect);
  FillRect(hdc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void cSaverWindow::Finish(HDC) {}

POINT cSaverWindow::CursorInClient() const {
  POINT p = {0, 0};
  GetCursorPos(&p);
  return ScreenToSaverClient(m_Screen, p);
}

void cSaverWindow::PaintError(HDC hdc) {
  RECT client;
  GetClientRect(m_Handle, &client);
  // The line crawls across the primary monitor only; the others stay black.
  const RECT& line = m_Screen.primary;
  const int top = line.top + 10;
  if (m_ErrorStep == 0) {
    FillRect(hdc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    m_ErrorStep = 2;
    m_ErrorX = line.right;
    StartTimer(50);
  }
  const char* text = m_ErrorLine ? m_ErrorLine : "";
  const int length = static_cast<int>(std::strlen(text));
  SIZE size = {0, 0};
  GetTextExtentPoint32A(hdc, text, length, &size);
  // Off the left edge: enter again from the right.
  if (m_ErrorX + size.cx < line.left) m_ErrorX = line.right;
  m_ErrorX -= m_ErrorStep;
  SetTextColor(hdc, RGB(255, 255, 255));
  SetBkColor(hdc, RGB(0, 0, 0));
  SetBkMode(hdc, OPAQUE);
  RECT clip = {m_ErrorX, top, m_ErrorX + size.cx + m_ErrorStep, top + size.cy};
  IntersectRect(&clip, &clip, &line);
  ExtTextOutA(hdc, m_ErrorX, top, ETO_OPAQUE | ETO_CLIPPED, &clip, text, static_cast<UINT>(length),
              nullptr);
}

UINT_PTR cSaverWindow::StartTimer(int interval) {
  if (interval >= 0) {
    if (m_TimerId && m_TimerInterval == interval) return m_TimerId;
    StopTimer();
    m_TimerInterval = interval;
  }
  if (!m_TimerId)
    m_TimerId = SetTimer(m_Handle, kSaverTimerId, static_cast<UINT>(m_TimerInterval), nullptr);
  return m_TimerId;
}

void cSaverWindow::StopTimer() {
  if (m_TimerId) KillTimer(m_Handle, m_TimerId);
  m_TimerId = 0;
}

BOOL cSaverWindow::IsPaletteDevice() {
  HDC screen = GetDC(nullptr);
  const BOOL palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
  ReleaseDC(nullptr, screen);
  return palette;
}

void cSaverWindow::CreateOwnPalette() {
  m_hPalette = nullptr;
}

UINT cSaverWindow::RealizeOwnPalette() {
  if (!m_hPalette) return 0;
  HDC hdc = GetDC(m_Handle);
  HPALETTE previous = SelectPalette(hdc, m_hPalette, FALSE);
  const UINT result = RealizePalette(hdc);
  SelectPalette(hdc, previous, FALSE);
  ReleaseDC(m_Handle, hdc);
  return result;
}

void cSaverWindow::DeleteOwnPalette() {
  if (m_hPalette) DeleteObject(m_hPalette);
  m_hPalette = nullptr;
}

HPALETTE cSaverWindow::SelectOwnPalette(HDC hdc) {
  return m_hPalette ? SelectPalette(hdc, m_hPalette, FALSE) : nullptr;
}

void cSaverWindow::RestorePalette(HDC hdc, HPALETTE previous) {
  if (previous) SelectPalette(hdc, previous, FALSE);
}

UINT cSaverWindow::RealizeSelected(HDC hdc) {
  return m_hPalette ? RealizePalette(hdc) : 0;
}

BOOL cSaverWindow::VerifyPassword() {
  if (!m_bSecure) return TRUE;
  // A check is already in progress: its own answer decides.
  if (m_bSuspended) return FALSE;
  m_bSuspended = TRUE;
  const BOOL result = VerifyScreenSaverPassword(m_Handle);
  m_bSuspended = FALSE;
  return result;
}
