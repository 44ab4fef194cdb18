// The notice shown while a command opened from the saver runs: the saver
// stays hidden until the user confirms that it may close.
#pragma once

#include <windows.h>

#include "clib/cDlg.h"

class zyCloseSaverDlg : public cDlg {
 public:
  explicit zyCloseSaverDlg(HWND saver) : m_hwndSaver(saver) {}

  // Titles the notice with the display name.
  LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
  // OK or cancel: asks for confirmation; on Yes the notice goes and the
  // saver is told to close.
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

  HWND m_hwndSaver;  // not owned: the saver window to close
};
