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
  zySaverDlg();

  // Titles the dialog, reads the package and the user settings, prepares
  // the picture and grows the dialog to fit it, and shows the sound
  // controls of the package's choice. Returns 1.
  LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
  // OK writes [Screensaver] Sound as the controls show it and ends the
  // dialog with 1; Cancel (also the close box and Esc) writes nothing and
  // ends it with 2.
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
  // Widens and heightens the dialog by the picture's excess over its frame,
  // centres it on the screen and moves the buttons and sound controls right.
  void FitPicture();
  void ShowSoundControls();
  void HideControl(int id);
};
