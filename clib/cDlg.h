// Dialog objects: the window-object scheme applied to dialog boxes. The
// dialog manager does the default work, so unhandled messages return 0.
#pragma once

#include <windows.h>

#include "clib/cWindow.h"

class cDlg : public cWindow {
 public:
  // 0: the dialog manager does the rest.
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;
  // WM_INITDIALOG goes to OnInitDialog, everything else to the cWindow
  // dispatcher.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // 1: the system sets the focus.
  virtual LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam);
};

// The dialog procedure shared by every dialog of the program. The
// initialisation parameter must be the cDlg object.
INT_PTR CALLBACK SharedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows dialog resource templateId modally, bound to dialog. Returns the
// value given to EndDialog (-1 or 0 when the dialog could not be made).
INT_PTR DoModal(cDlg& dialog, HINSTANCE instance, int templateId, HWND owner);

// Creates dialog resource templateId modeless, bound to dialog. Returns the
// dialog window, null on failure.
HWND CreateModeless(cDlg& dialog, HINSTANCE instance, int templateId, HWND owner);
