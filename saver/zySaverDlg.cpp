#include "saver/zySaverDlg.h"

#include "saver/Startup.h"

LRESULT zySaverDlg::OnInitDialog(WPARAM, LPARAM) {
  SetWindowTextA(m_Handle, zyDisplayName());
  return 1;
}

LRESULT zySaverDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      EndDialog(m_Handle, IDOK);
      break;
    case IDCANCEL:
      EndDialog(m_Handle, IDCANCEL);
      break;
  }
  return DefaultProcessing(WM_COMMAND, wParam, lParam);
}

LRESULT zySaverDlg::OnLButtonUp(WPARAM, LPARAM) {
  return 0;
}

LRESULT zySaverDlg::OnSetCursor(WPARAM, LPARAM) {
  return 0;
}
