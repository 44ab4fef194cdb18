#include "saver/zySaver.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clib/Assert.h"
#include "clib/ErrorText.h"
#include "moviewriter/convert/PictureToMovie.h"
#include "saver/PackagePicture.h"
#include "saver/Settings.h"
#include "saver/Startup.h"
#include "saver/resource.h"
#include "saver/zyCloseSaverDlg.h"

namespace {

constexpr int kSaverTimerMs = 50;
constexpr uint32_t kAltKey = VK_MENU;

// The file name part of a path, after its last separator.
const char* NamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (IsPathSeparator(*p)) name = p + 1;
  return name;
}

// Replaces the extension of the file name in path (the text from its last
// '.') by extension, or appends it to a name without one. False, and path
// unchanged, when the result would not fit kMaxPath.
bool ReplaceNameExtension(char* path, const char* extension) {
  char* name = const_cast<char*>(NamePart(path));
  char* dot = std::strrchr(name, '.');
  const size_t keep = dot ? static_cast<size_t>(dot - path) : std::strlen(path);
  if (keep + std::strlen(extension) >= static_cast<size_t>(kMaxPath)) return false;
  std::strcpy(path + keep, extension);
  return true;
}

}  // namespace

zySaver::zySaver() {
  std::strcpy(m_ErrorText, "Error loading screensaver.");
  m_ErrorLine = m_ErrorText;
  m_Parameters[0] = '\0';
  m_PictureMoviePath[0] = '\0';
  std::memset(&m_PreviewDib, 0, sizeof m_PreviewDib);
  std::memset(&m_PreviewCube, 0, sizeof m_PreviewCube);
}

zySaver::~zySaver() {
  if (m_pCloseNotice && m_pCloseNotice->m_Handle) DestroyWindow(m_pCloseNotice->m_Handle);
  delete m_pCloseNotice;
}

// --- The show --------------------------------------------------------------

void zySaver::Start() {
  if (m_Mode == kModeRun) {
    SetWindowLongPtrA(m_Handle, GWL_EXSTYLE,
                      GetWindowLongPtrA(m_Handle, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    CreateBackground();
  }
  // Without a player every launch fails and shows the error line.
  m_Pak.Load(1);
  if (m_Mode == kModePreview)
    PreparePreviewPicture();
  else
    PreparePictureMovie();
  StartTimer(kSaverTimerMs);
}

void zySaver::CreateBackground() {
  WNDCLASSEXA wc;
  std::memset(&wc, 0, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNCLIENT;
  wc.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(m_Handle, GWLP_HINSTANCE));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "zySaverBackground";
  if (!RegisterWindowClass(m_Background, wc)) {
    ShowError("Error registering background window class.");
    return;
  }
  if (!CreateObjectWindow(m_Background, wc.hInstance, wc.lpszClassName, nullptr, 0,
                          WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, "", m_Screen.window.left,
                          m_Screen.window.top, m_Screen.window.right - m_Screen.window.left,
                          m_Screen.window.bottom - m_Screen.window.top, nullptr))
    ShowError("Error creating background window.");
}

void zySaver::Tick(HDC) {
  // While the close notice is up the user works in the command's window: a
  // player started now would cover it (it is made top-most), and a failed
  // start would only put a hidden saver into its error state. So the show
  // rests until the notice is confirmed, which ends the saver.
  if (m_pCloseNotice) return;
  if (m_Pak.PollPlayer(0) && m_Restarts.Ended(GetTickCount()).giveUp) {
    // A player that ends as soon as it has shown its window would be
    // started again and again without ever showing the movie.
    char text[512];
    std::snprintf(text, sizeof text, "The movie player ends as soon as it starts. %s ",
                  m_Pak.m_PlayerPath);
    ShowError(text);
    return;
  }
  if (m_Pak.m_Process.hProcess) return;
  if (!m_Restarts.MayStart(GetTickCount())) return;
  BuildParameters();
  // A preview without the movie shows its picture instead.
  if (m_Mode == kModePreview && !m_Pak.HasFlag(kFlagRunPreview)) return;
  if (!m_Pak.LaunchPlayer(m_Handle, m_Parameters, m_Mode == kModePreview))
    ShowError(m_Pak.m_ErrorText);
  else
    m_Restarts.Started(GetTickCount());
}

void zySaver::BuildParameters() {
  char* out = m_Parameters;
  const size_t size = sizeof m_Parameters;
  int length;
  if (m_Mode == kModePreview) {
    length = std::snprintf(out, size, "SS_Mode=P&SS_Sound=2");
  } else {
    length = std::snprintf(out, size, "SS_Mode=S&SS_Sound=%d", static_cast<int>(m_Pak.m_Sound));
    // Sound once: only this run is heard. The settings file keeps "once".
    if (m_Pak.m_Sound == kSoundOnce) m_Pak.m_Sound = kSoundNever;
  }
  length += std::snprintf(out + length, size - static_cast<size_t>(length), "&SS_RunCount=%d",
                          static_cast<int>(m_RunCount));
  ++m_RunCount;
  if (m_PictureMoviePath[0])
    std::snprintf(out + length, size - static_cast<size_t>(length), "&SS_Picture=%s",
                  NamePart(m_PictureMoviePath));
}

void zySaver::Paint(HDC hdc) {
  if (m_Mode != kModePreview || m_Pak.HasFlag(kFlagRunPreview)) return;
  RECT client;
  GetClientRect(m_Handle, &client);
  FillRect(hdc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (!m_PreviewDib.bits) return;
  HPALETTE previous = nullptr;
  if (m_hPreviewPalette) previous = SelectPalette(hdc, m_hPreviewPalette, FALSE);
  RealizeSelected(hdc);
  xdibDraw(&m_PreviewDib, hdc, 0, 0, nullptr, SRCCOPY);
  if (previous) SelectPalette(hdc, previous, FALSE);
}

void zySaver::Finish(HDC) {
  FreePreviewPicture();
  if (m_bHandover)
    m_hwndReactivate = m_Pak.m_Process.hwnd;  // the movie stays, in front
  else
    m_Pak.StopPlayer();
}

void zySaver::ShowError(const char* text) {
  SetWindowLongPtrA(
      m_Handle, GWL_EXSTYLE,
      GetWindowLongPtrA(m_Handle, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT));
  m_bError = TRUE;
  StartTimer(kSaverTimerMs);
  std::snprintf(m_ErrorText, sizeof m_ErrorText, "%s: %s", zyDisplayName(), text);
}

// The saver draws nothing of its own over the player, so it needs no palette
// of its own; it only realizes what is selected.
void zySaver::CreateOwnPalette() {}

UINT zySaver::RealizeOwnPalette() {
  return 0;
}

void zySaver::DeleteOwnPalette() {}

HPALETTE zySaver::SelectOwnPalette(HDC) {
  return nullptr;
}

void zySaver::RestorePalette(HDC, HPALETTE) {}

UINT zySaver::RealizeSelected(HDC hdc) {
  return RealizePalette(hdc);
}

// --- Pictures ----------------------------------------------------------------

void zySaver::PreparePreviewPicture() {
  PreparePackagePicture(m_Pak, zyPak::kPreviewImage, &m_PreviewDib, &m_PreviewCube,
                        &m_hPreviewPalette);
}

void zySaver::PreparePictureMovie() {
  const char* picture = m_Pak.m_PicturePath;
  std::strcpy(m_PictureMoviePath, picture);  // both hold kMaxPath characters
  if (!picture[0]) return;
  const DWORD attributes = GetFileAttributesA(picture);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  // The movie goes beside the picture: only a dot in the file name counts
  // as the start of its extension, so a dotted folder name is never cut.
  // The player runs in the picture's folder and finds the movie there.
  // A picture's folder that would not take the player will not take the
  // movie either: both go to the folder the player runs in.
  if (m_Pak.m_bPictureDirRefused &&
      !JoinPath(m_PictureMoviePath, m_Pak.m_ExtractDir, NamePart(picture))) {
    m_PictureMoviePath[0] = '\0';
    return;
  }
  if (!ReplaceNameExtension(m_PictureMoviePath, ".kmv")) {
    // No room for the movie's name: the player is told of no movie rather
    // than of the picture itself.
    m_PictureMoviePath[0] = '\0';
    return;
  }
  try {
    ConvertPictureToMovie(picture, m_PictureMoviePath, 1.0f, 1.0f);
  } catch (...) {
    // A picture that cannot be converted only leaves the player without
    // its movie.
  }
}

void zySaver::FreePreviewPicture() {
  FreePackagePicture(&m_PreviewDib, &m_PreviewCube, &m_hPreviewPalette);
}

// --- Input -------------------------------------------------------------------

LRESULT zySaver::OnActivateApp(WPARAM wParam, LPARAM lParam) {
  // Losing activation does not end this saver: the player and the commands'
  // windows take it on purpose.
  return DefaultProcessing(WM_ACTIVATEAPP, wParam, lParam);
}

void zySaver::EndOnMouse() {
  if (m_Pak.m_Trailer.interactiveFlags & kInteractiveOnMouse) m_bHandover = TRUE;
  PostMessageA(m_Handle, WM_CLOSE, 0, 0);
}

LRESULT zySaver::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  if (IsActive()) {
    const int x = static_cast<int>(LOWORD(lParam));
    const int y = static_cast<int>(HIWORD(lParam));
    // A small jitter of the mouse is no user.
    if (std::abs(x - m_StartCursor.x) > m_MouseThreshold ||
        std::abs(y - m_StartCursor.y) > m_MouseThreshold)
      EndOnMouse();
  }
  return DefaultProcessing(WM_MOUSEMOVE, wParam, lParam);
}

LRESULT zySaver::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
  if (IsActive()) EndOnMouse();
  return DefaultProcessing(WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT zySaver::OnMButtonDown(WPARAM wParam, LPARAM lParam) {
  if (IsActive()) EndOnMouse();
  return DefaultProcessing(WM_MBUTTONDOWN, wParam, lParam);
}

LRESULT zySaver::OnRButtonDown(WPARAM wParam, LPARAM lParam) {
  if (IsActive()) EndOnMouse();
  return DefaultProcessing(WM_RBUTTONDOWN, wParam, lParam);
}

bool zySaver::IsInteractiveKey(uint32_t key) const {
  for (uint32_t k : m_Pak.m_Trailer.interactiveKeys)
    if (k == key) return true;
  return false;
}

LRESULT zySaver::OnKeyDown(WPARAM wParam, LPARAM lParam) {
  if (IsActive()) {
    const uint32_t key = static_cast<uint32_t>(wParam);
    const PayloadTrailer& trailer = m_Pak.m_Trailer;

    // A password-protected saver never opens anything for the user.
    int command = 0;
    if (!m_bSecure) {
      for (command = 0; command < kExecuteKeyCount; ++command) {
        if (trailer.executeKeys[command] == key && trailer.commands[command][0]) {
          m_bRunCommand = TRUE;
          break;
        }
      }
      if (command == kExecuteKeyCount) command = 0;
    }
    if (m_bRunCommand) {
      HCURSOR previous = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
      ShowCloseNotice();
      RunCommand(trailer.commands[command], command);
      SetCursor(previous);
    }

    if (trailer.interactiveFlags & kInteractiveOnKey) {
      // An empty first slot: every key hands the movie over.
      if (trailer.interactiveKeys[0] == 0 || IsInteractiveKey(key)) m_bHandover = TRUE;
    }
    if (m_bHandover && m_Pak.m_Process.hwnd)
      PostMessageA(m_Pak.m_Process.hwnd, WM_KEYDOWN, wParam, lParam);
    PostMessageA(m_Handle, WM_CLOSE, 0, 0);
  }
  return DefaultProcessing(WM_KEYDOWN, wParam, lParam);
}

LRESULT zySaver::OnSysKeyDown(WPARAM wParam, LPARAM lParam) {
  if (IsActive()) {
    const PayloadTrailer& trailer = m_Pak.m_Trailer;
    // Alt combinations hand over only when Alt itself is a listed key.
    if ((trailer.interactiveFlags & kInteractiveOnKey) &&
        (trailer.interactiveKeys[0] == 0 || IsInteractiveKey(kAltKey)))
      m_bHandover = TRUE;
    // The player gets a plain key: it has no menu for the system variant.
    if (m_bHandover && m_Pak.m_Process.hwnd)
      PostMessageA(m_Pak.m_Process.hwnd, WM_KEYDOWN, wParam, lParam);
    PostMessageA(m_Handle, WM_CLOSE, 0, 0);
  }
  return DefaultProcessing(WM_SYSKEYDOWN, wParam, lParam);
}

LRESULT zySaver::OnClose(WPARAM wParam, LPARAM lParam) {
  if (m_bClosing) return 0;
  // Only the notice's own confirmation ends the saver while it is up.
  if (m_pCloseNotice && m_pCloseNotice->m_Handle && IsWindow(m_pCloseNotice->m_Handle)) return 0;
  return cSaverWindow::OnClose(wParam, lParam);
}

// --- Commands ----------------------------------------------------------------

void zySaver::ShowCloseNotice() {
  ASSERT(m_bRunCommand == TRUE);
  BOOL running = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  // Not running as the system's saver: the command runs and the saver then
  // closes as after any key.
  if (!running) return;
  if (!m_bHandover) m_Pak.StopPlayer();
  BOOL previous = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);

  ShowWindow(m_Handle, SW_HIDE);
  if (m_Background.m_Handle) DestroyWindow(m_Background.m_Handle);
  m_Background.m_Handle = nullptr;

  if (m_pCloseNotice) return;  // one notice per saver
  m_pCloseNotice = new zyCloseSaverDlg(m_Handle);
  m_bSuspended = TRUE;
  HWND notice = CreateModeless(
      *m_pCloseNotice, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(m_Handle, GWLP_HINSTANCE)),
      IDD_CLOSENOTICE, nullptr);
  if (!notice) {
    // Without the notice nothing could ever end the hidden saver: it closes
    // as after any key instead.
    delete m_pCloseNotice;
    m_pCloseNotice = nullptr;
    m_bSuspended = FALSE;
    return;
  }
  // The resource is not visible by itself; a modeless dialog is shown here.
  ShowWindow(notice, SW_SHOW);
}

void zySaver::RunCommand(const char* text, int index) {
  ASSERT(m_bRunCommand == TRUE);
  char settings[kMaxPath];
  const bool haveSettings = UserSettingsPath(zyModulePath(), settings);
  if (haveSettings) {
    WritePrivateProfileStringA("ShellExecute", nullptr, nullptr, settings);
    WritePrivateProfileStringA("ShellExecute", "Command", text, settings);
  }
  // The command's window, not the one from before the saver, gets the
  // user afterwards.
  if (!m_bHandover) m_hwndReactivate = nullptr;

  char fromSettings[kCommandFieldSize] = "";
  if (lstrcmpiA(text, "ini") == 0) {
    char key[16];
    std::snprintf(key, sizeof key, "Command%d", index + 1);
    if (haveSettings)
      GetPrivateProfileStringA("Command", key, "", fromSettings, sizeof fromSettings, settings);
    text = fromSettings;
  }

  HINSTANCE result = ShellExecuteA(nullptr, nullptr, text, nullptr, nullptr, SW_SHOW);
  if (reinterpret_cast<INT_PTR>(result) <= 32) {
    char message[512];
    SystemMessageText(GetLastError(), message, sizeof message);
    if (haveSettings) WritePrivateProfileStringA("ShellExecute", "ShellExecute", message, settings);
  }
}
