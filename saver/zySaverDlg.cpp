#include "saver/zySaverDlg.h"

#include <cstdio>
#include <cstring>

#include "clib/ErrorText.h"
#include "saver/PackagePicture.h"
#include "saver/Settings.h"
#include "saver/SettingsLayout.h"
#include "saver/Startup.h"
#include "saver/resource.h"

namespace {

// The controls right of the picture frame, in the order they are moved.
const int kRightHandControls[] = {IDOK,       IDCANCEL, IDC_MUTE, IDC_SOUNDGROUP,
                                  IDC_ALWAYS, IDC_ONCE, IDC_NEVER};

// A control's rectangle in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id) {
  RECT rect = {0, 0, 0, 0};
  HWND control = GetDlgItem(dialog, id);
  if (!control) return rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

zySaverDlg::zySaverDlg() : zySaverDlg(zyModulePath(), GetModuleHandleA(nullptr)) {}

zySaverDlg::zySaverDlg(const char* modulePath, HINSTANCE program)
    : m_ModulePath(modulePath), m_Program(program) {
  std::memset(&m_Dib, 0, sizeof m_Dib);
  std::memset(&m_Cube, 0, sizeof m_Cube);
}

LRESULT zySaverDlg::OnInitDialog(WPARAM, LPARAM) {
  SetWindowTextA(m_Handle, zyDisplayName());
  m_Pak.Load(m_ModulePath, 0);
  if (PreparePackagePicture(m_Pak, zyPak::kSettingsBoxImage, m_ModulePath, m_Program, &m_Dib,
                            &m_Cube, &m_hPalette))
    FitPicture();
  ShowSoundControls();
  return 1;
}

void zySaverDlg::FitPicture() {
  const RECT frame = ControlRect(m_Handle, IDC_PICTURE);
  RECT window;
  GetWindowRect(m_Handle, &window);
  const SIZE picture = PackagePictureSize(&m_Dib);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT workArea = {0, 0, screenWidth, screenHeight};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  const SettingsGrowth growth =
      GrowSettingsDialog(frame.right - frame.left, frame.bottom - frame.top, picture.cx, picture.cy,
                         window, screenWidth, screenHeight, workArea);

  MoveWindow(m_Handle, growth.dialog.left, growth.dialog.top,
             growth.dialog.right - growth.dialog.left, growth.dialog.bottom - growth.dialog.top,
             TRUE);
  if (HWND control = GetDlgItem(m_Handle, IDC_PICTURE))
    MoveWindow(control, frame.left, frame.top, frame.right - frame.left + growth.dx,
               frame.bottom - frame.top + growth.dy, TRUE);
  for (int id : kRightHandControls) {
    HWND control = GetDlgItem(m_Handle, id);
    if (!control) continue;
    const RECT rect = ControlRect(m_Handle, id);
    MoveWindow(control, rect.left + growth.dx, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, TRUE);
  }
}

void zySaverDlg::HideControl(int id) {
  HWND control = GetDlgItem(m_Handle, id);
  if (!control) return;
  ShowWindow(control, SW_HIDE);
  EnableWindow(control, FALSE);
}

void zySaverDlg::ShowSoundControls() {
  // With both flags the check box wins.
  if (m_Pak.HasFlag(kFlagTwoWaySound)) {
    for (int id : {IDC_SOUNDGROUP, IDC_ALWAYS, IDC_ONCE, IDC_NEVER}) HideControl(id);
    CheckDlgButton(m_Handle, IDC_MUTE, m_Pak.m_Sound == kSoundNever ? BST_CHECKED : BST_UNCHECKED);
  } else if (m_Pak.HasFlag(kFlagThreeWaySound)) {
    HideControl(IDC_MUTE);
    const int choice = m_Pak.m_Sound == kSoundOnce    ? IDC_ONCE
                       : m_Pak.m_Sound == kSoundNever ? IDC_NEVER
                                                      : IDC_ALWAYS;
    CheckRadioButton(m_Handle, IDC_ALWAYS, IDC_NEVER, choice);
  } else {
    for (int id : {IDC_MUTE, IDC_SOUNDGROUP, IDC_ALWAYS, IDC_ONCE, IDC_NEVER}) HideControl(id);
  }
}

LRESULT zySaverDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDOK: {
      if (m_Pak.HasFlag(kFlagTwoWaySound)) {
        m_Pak.m_Sound =
            IsDlgButtonChecked(m_Handle, IDC_MUTE) == BST_CHECKED ? kSoundNever : kSoundAlways;
      } else if (m_Pak.HasFlag(kFlagThreeWaySound)) {
        if (IsDlgButtonChecked(m_Handle, IDC_NEVER) == BST_CHECKED)
          m_Pak.m_Sound = kSoundNever;
        else if (IsDlgButtonChecked(m_Handle, IDC_ONCE) == BST_CHECKED)
          m_Pak.m_Sound = kSoundOnce;
        else
          m_Pak.m_Sound = kSoundAlways;
      }
      // Neither: the setting is written back as it was read.
      char settingsFile[kMaxPath];
      SetLastError(ERROR_SUCCESS);
      if (!UserSettingsPath(m_ModulePath, settingsFile) ||
          !WriteUserSettings(m_Pak, settingsFile)) {
        ReportWriteFailure(GetLastError());
        break;  // the choice stays on the screen
      }
      EndDialog(m_Handle, IDOK);
      break;
    }
    case IDCANCEL:
      EndDialog(m_Handle, IDCANCEL);
      break;
  }
  return DefaultProcessing(WM_COMMAND, wParam, lParam);
}

void zySaverDlg::ReportWriteFailure(DWORD error) {
  char settingsFile[kMaxPath];
  // A program path that leaves no room for the file's name is named itself.
  if (!UserSettingsPath(m_ModulePath, settingsFile))
    std::snprintf(settingsFile, sizeof settingsFile, "%s", m_ModulePath);
  char reason[512] = "";
  if (error != ERROR_SUCCESS) SystemMessageText(error, reason, sizeof reason);
  size_t length = std::strlen(reason);
  while (length && (reason[length - 1] == '\r' || reason[length - 1] == '\n')) reason[--length] = 0;
  char text[1024];
  std::snprintf(text, sizeof text,
                "The sound setting could not be saved in\n%s\n\n%s%sThe folder may be read-only, "
                "or the disk full. "
                "The settings stay open: choose OK to try again, or Cancel to keep the setting "
                "as it was.",
                settingsFile, reason, reason[0] ? "\n" : "");
  MessageBoxA(m_Handle, text, zyDisplayName(), MB_OK | MB_ICONEXCLAMATION);
}

LRESULT zySaverDlg::OnDrawItem(WPARAM wParam, LPARAM lParam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (wParam == IDC_PICTURE && item && m_Dib.bits)
    DrawPackagePicture(item->hDC, &m_Dib, m_hPalette);
  return 0;
}

LRESULT zySaverDlg::OnDestroy(WPARAM wParam, LPARAM lParam) {
  FreePackagePicture(&m_Dib, &m_Cube, &m_hPalette);
  return DefaultProcessing(WM_DESTROY, wParam, lParam);
}

LRESULT zySaverDlg::OnLButtonUp(WPARAM, LPARAM) {
  return 0;
}

LRESULT zySaverDlg::OnSetCursor(WPARAM, LPARAM) {
  return 0;
}
