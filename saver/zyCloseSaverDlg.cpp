#include "saver/zyCloseSaverDlg.h"

#include "saver/Startup.h"

LRESULT zyCloseSaverDlg::OnInitDialog(WPARAM, LPARAM) {
  SetWindowTextA(m_Handle, zyDisplayName());
  return TRUE;
}

LRESULT zyCloseSaverDlg::OnCommand(WPARAM wParam, LPARAM) {
  const WORD id = LOWORD(wParam);
  if (id != IDOK && id != IDCANCEL) return FALSE;
  const int answer =
      MessageBoxA(m_Handle,
                  "Closing this window will close any windows opened by the screensaver. Are you "
                  "sure you want to proceed?",
                  zyDisplayName(), MB_YESNO | MB_ICONINFORMATION);
  if (answer == IDYES) {
    DestroyWindow(m_Handle);
    m_Handle = nullptr;
    PostMessageA(m_hwndSaver, WM_CLOSE, 0, 0);
  }
  return TRUE;
}
