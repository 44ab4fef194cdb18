// The settings dialog (resource 1000): the package's settings-box picture in
// a frame that grows to fit it, OK and Cancel, and the sound choice the
// builder enabled ("Mute Sound", or "Always" / "Once" / "Never", or none).
#pragma once

#include <windows.h>

#include "clib/cDlg.h"
#include "saver/zyPak.h"
#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"

class zySaverDlg : public cDlg {
 public:
  // The settings of the running program.
  zySaverDlg();
  // The settings of the saver program at modulePath, whose resources
  // (the built-in picture) are those of `program`; both are kept, not owned.
  zySaverDlg(const char* modulePath, HINSTANCE program);

  // Titles the dialog, reads the package and the user settings, prepares
  // the picture and grows the dialog to fit it, and shows the sound
  // controls of the package's choice. Returns 1.
  LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
  // OK writes [Screensaver] Sound as the controls show it and ends the
  // dialog with 1; when the write fails a message box says so and the
  // dialog stays open, the choice still shown, to be tried again or
  // cancelled. Cancel (also the close box and Esc) writes nothing and ends
  // it with 2.
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
  // Draws the picture into its frame (control 100).
  LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnDestroy(WPARAM wParam, LPARAM lParam) override;
  // The dialog manager's own behaviour applies to both.
  LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam) override;

  XDIB m_Dib;                     // the settings-box picture; no bits: none
  XCUBE m_Cube;                   // its colour cube on a palette display
  HPALETTE m_hPalette = nullptr;  // the picture's palette
  zyPak m_Pak;

 private:
  // The user settings file could not be written: tells the user why.
  void ReportWriteFailure(DWORD error);
  // Widens and heightens the dialog by the picture's excess over its frame,
  // as far as the work area allows, centres it on the screen (kept inside
  // the work area) and moves the buttons and sound controls right.
  void FitPicture();
  void ShowSoundControls();
  void HideControl(int id);

  const char* m_ModulePath;  // not owned
  HINSTANCE m_Program;       // not owned
};
