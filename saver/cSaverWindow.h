// The generic screen-saver window: a full-screen top-most popup, or a child
// of the system's preview window, with one repeating timer, palette
// handling and a scrolling error line. Derived classes fill in Start, Tick,
// Paint and Finish.
#pragma once

#include <windows.h>

#include <cstdint>

#include "clib/cWindow.h"
#include "saver/CommandLine.h"
#include "saver/SaverScreen.h"

// The saver's one timer.
constexpr UINT_PTR kSaverTimerId = 193;

class cSaverWindow : public cWindow {
 public:
  cSaverWindow() = default;

  // Binds the command line's values, creates the window and runs the
  // message loop until the window is gone. Returns 0.
  int Run(const cSaverArgs& args, HINSTANCE instance, int showCommand);

  LRESULT OnCreate(WPARAM wParam, LPARAM lParam) override;
  // Finishes a saver that was not closed first (a preview destroyed with
  // its parent), then re-activates the window of before and ends the loop.
  LRESULT OnDestroy(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnPaint(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnTimer(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnQueryNewPalette(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnPaletteChanged(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnNcActivate(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam) override;
  // Ends the saver when the password allows it (a preview always ends);
  // after a refusal the saver runs on from the cursor's new position.
  LRESULT OnClose(WPARAM wParam, LPARAM lParam) override;
  // Adds the power rules: never refuse a suspend, and close before it.
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;

  virtual void Start();
  virtual void Tick(HDC hdc);
  // Fills the window black.
  virtual void Paint(HDC hdc);
  virtual void Finish(HDC hdc);
  // One step of the error line crawling leftwards across the window.
  virtual void PaintError(HDC hdc);
  // Registers "CSaverWin" and creates the window: a child filling the
  // preview window in mode 1, else a top-most popup over every monitor (the
  // virtual screen). Returns the window, null on failure.
  virtual HWND Create(HINSTANCE instance, int showCommand, HWND parent);
  // With interval >= 0 the timer runs at that interval (restarted when it
  // differs); a negative interval keeps the stored one. Returns the timer id.
  virtual UINT_PTR StartTimer(int interval);
  virtual void StopTimer();
  virtual BOOL IsPaletteDevice();
  virtual void CreateOwnPalette();
  virtual UINT RealizeOwnPalette();
  virtual void DeleteOwnPalette();
  virtual HPALETTE SelectOwnPalette(HDC hdc);
  virtual void RestorePalette(HDC hdc, HPALETTE previous);
  virtual UINT RealizeSelected(HDC hdc);
  // Non-zero when the saver may close. Without a password check: 1.
  virtual BOOL VerifyPassword();

  // Input counts only in a show that is neither checking a password nor
  // showing the close notice, nor already closing.
  bool IsActive() const { return m_Mode != kModePreview && !m_bSuspended && !m_bClosing; }

  const char* m_ClassName = "CSaverWin";
  uint32_t m_Reserved = 0;
  const char* m_ErrorLine = "Error loading screen saver. ";  // not owned
  int m_MouseThreshold = 8;                                  // pixels
  int m_TimerInterval = 100;                                 // milliseconds
  HWND m_hDlgNavigation = nullptr;  // a modeless dialog given keyboard navigation
  uint32_t m_Mode = kModeRun;
  HWND m_hwndParent = nullptr;      // the preview window in mode 1
  HWND m_hwndReactivate = nullptr;  // foreground window at start, re-activated at the end
  BOOL m_bSecure = FALSE;
  BOOL m_bSuspended = FALSE;
  BOOL m_bClosing = FALSE;
  BOOL m_bError = FALSE;
  POINT m_StartCursor = {0, 0};
  RECT m_Client = {0, 0, 0, 0};
  UINT_PTR m_TimerId = 0;
  HPALETTE m_hPalette = nullptr;
  int m_ErrorX = 0;
  int m_ErrorStep = 0;  // 0: the error line has not started
  // The window over the monitors and the primary monitor inside it (set by
  // Create).
  SaverScreen m_Screen = {};

 protected:
  // The cursor position in the window's client coordinates, as mouse
  // messages give positions.
  POINT CursorInClient() const;
};
