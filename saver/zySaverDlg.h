// The settings dialog (resource 1000).
#pragma once

#include <windows.h>

#include "clib/cDlg.h"
#include "saver/zyPak.h"

class zySaverDlg : public cDlg {
 public:
  // Titles the dialog with the display name. Returns 1.
  LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
  // OK ends the dialog with 1, Cancel (also the close box and Esc) with 2.
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
  // The dialog manager's own behaviour applies to both.
  LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam) override;

  HPALETTE m_hPalette = nullptr;  // the picture's palette
  zyPak m_Pak;
};
