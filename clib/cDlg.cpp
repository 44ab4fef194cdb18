#include "clib/cDlg.h"

LRESULT cDlg::DefaultProcessing(UINT, WPARAM, LPARAM) {
  return 0;
}

LRESULT cDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog(wParam, lParam);
  return cWindow::WindowProc(message, wParam, lParam);
}

LRESULT cDlg::OnInitDialog(WPARAM, LPARAM) {
  return 1;
}

INT_PTR CALLBACK SharedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  cDlg* object;
  if (message == WM_INITDIALOG) {
    object = reinterpret_cast<cDlg*>(lParam);
    if (object) {
      object->m_Handle = dialog;
      SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(object));
    }
  } else {
    object = reinterpret_cast<cDlg*>(GetWindowLongPtrA(dialog, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (WM_SETFONT...) have no object yet.
  if (!object) return FALSE;

  const LRESULT result = object->WindowProc(message, wParam, lParam);
  if (message == WM_DESTROY) {
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    object->m_Handle = nullptr;
  }
  return static_cast<INT_PTR>(result);
}

INT_PTR DoModal(cDlg& dialog, HINSTANCE instance, int templateId, HWND owner) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, SharedDialogProc,
                         reinterpret_cast<LPARAM>(&dialog));
}

HWND CreateModeless(cDlg& dialog, HINSTANCE instance, int templateId, HWND owner) {
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, SharedDialogProc,
                            reinterpret_cast<LPARAM>(&dialog));
}
