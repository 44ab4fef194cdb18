// Starting, watching and stopping the player program, a separate process.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "clib/ErrorText.h"
#include "saver/zyPak.h"

namespace {

// How long a starting player may take before it must answer input, and how
// long a closing one may take before its files are deleted.
constexpr DWORD kInputIdleWaitMs = 3000;
constexpr DWORD kCloseWaitMs = 2000;

// error = text + " " + path + " ", cut to the buffer.
void SetLaunchError(char (&error)[512], const char* text, const char* path) {
  std::snprintf(error, sizeof error, "%s %s ", text, path);
}

// The system's text for the last error, without the line end it carries: it
// is shown on one crawling line.
void LastErrorText(char* text, int size) {
  const DWORD code = GetLastError();
  SystemMessageText(code, text, size);
  size_t length = std::strlen(text);
  while (length && (text[length - 1] == '\r' || text[length - 1] == '\n')) text[--length] = '\0';
  if (!length) std::snprintf(text, static_cast<size_t>(size), "System error %lu.", code);
}

void WriteParameterFile(const char* playerPath, const char* parameters) {
  char cfg[kMaxPath];
  std::strcpy(cfg, playerPath);
  if (!ReplaceExtension(cfg, ".cfg")) return;
  SetFileAttributesA(cfg, FILE_ATTRIBUTE_NORMAL);
  HANDLE file =
      CreateFileA(cfg, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;  // the player then runs with defaults
  DWORD written = 0;
  // No NUL and no line end: the player reads the text as it is.
  WriteFile(file, parameters, static_cast<DWORD>(std::strlen(parameters)), &written, nullptr);
  CloseHandle(file);
}

struct WindowSearch {
  DWORD processId;
  DWORD threadId;
  HWND found;
};

// Windows the system makes for every GUI thread: they belong to the player's
// thread but are not the player's window.
bool IsInputMethodWindow(HWND window) {
  char name[32] = "";
  GetClassNameA(window, name, sizeof name);
  return lstrcmpiA(name, "IME") == 0 || lstrcmpiA(name, "MSCTFIME UI") == 0;
}

BOOL CALLBACK FindPlayerWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD processId = 0;
  const DWORD threadId = GetWindowThreadProcessId(window, &processId);
  if (threadId != search->threadId || processId != search->processId) return TRUE;
  if (IsInputMethodWindow(window)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

int zyPak::LaunchPlayer(HWND window, const char* parameters, BOOL asChild) {
  // Without a player there is no file to write beside it (an empty path
  // would name ".cfg" in the current directory).
  if (parameters && m_PlayerPath[0]) WriteParameterFile(m_PlayerPath, parameters);

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  if (asChild) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEPOSITION | STARTF_USESIZE;
    startup.dwXSize = static_cast<DWORD>(client.right - client.left);
    startup.dwYSize = static_cast<DWORD>(client.bottom - client.top);
    startup.wShowWindow = SW_HIDE;
  } else if (HasFlag(kFlagForceMaximize)) {
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEPOSITION | STARTF_USESIZE;
    startup.dwXSize = static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN));
    startup.dwYSize = static_cast<DWORD>(GetSystemMetrics(SM_CYSCREEN));
    startup.wShowWindow = SW_MAXIMIZE;
  }

  char directory[kMaxPath];
  SplitPath(m_PlayerPath, directory, nullptr);

  PROCESS_INFORMATION info;
  std::memset(&info, 0, sizeof info);
  if (!CreateProcessA(m_PlayerPath, nullptr, nullptr, nullptr, TRUE, 0, nullptr,
                      directory[0] ? directory : nullptr, &startup, &info)) {
    char text[512];
    LastErrorText(text, sizeof text);
    SetLaunchError(m_ErrorText, text, m_PlayerPath);
    return 0;
  }
  m_Process.hProcess = info.hProcess;
  m_Process.hThread = info.hThread;
  m_Process.processId = info.dwProcessId;
  m_Process.threadId = info.dwThreadId;
  m_Process.hwnd = nullptr;
  WaitForInputIdle(info.hProcess, kInputIdleWaitMs);

  // Keys and focus of the player now go with the saver's own.
  AttachThreadInput(info.dwThreadId, GetCurrentThreadId(), TRUE);
  if (!asChild) SetForegroundWindow(window);

  WindowSearch search = {info.dwProcessId, info.dwThreadId, nullptr};
  EnumWindows(FindPlayerWindow, reinterpret_cast<LPARAM>(&search));
  if (!search.found) {
    SetLaunchError(m_ErrorText, "Unable to locate program window.", m_PlayerPath);
    return 0;
  }
  HWND player = search.found;
  m_Process.hwnd = player;

  if (asChild) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    EnableWindow(player, FALSE);
    ShowWindow(player, SW_SHOWNA);
    SetParent(player, window);
    MoveWindow(player, 0, 0, client.right - client.left, client.bottom - client.top, TRUE);
  } else {
    SetWindowLongPtrA(player, GWL_EXSTYLE, GetWindowLongPtrA(player, GWL_EXSTYLE) | WS_EX_TOPMOST);
    // The style bit alone does not move a window into the top-most band.
    // The player joins it, and the saver is put back in front of it so that
    // the saver still catches every input.
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(player, HWND_TOPMOST, 0, 0, 0, 0, keep);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keep);
    if (HasFlag(kFlagForceMaximize))
      MoveWindow(player, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), TRUE);
  }
  return 1;
}

int zyPak::PollPlayer(DWORD milliseconds) {
  if (!m_Process.hProcess) return 0;
  if (WaitForSingleObject(m_Process.hProcess, milliseconds) != WAIT_OBJECT_0) return 0;
  CloseHandle(m_Process.hProcess);
  if (m_Process.hThread) CloseHandle(m_Process.hThread);
  std::memset(&m_Process, 0, sizeof m_Process);
  return 1;
}

void zyPak::StopPlayer() {
  if (m_Process.hProcess) AttachThreadInput(m_Process.threadId, GetCurrentThreadId(), FALSE);

  // A window that is gone already (destroyed with the preview it was
  // adopted by) cannot be asked: the player is ended instead.
  const bool asked = m_Process.hwnd && PostMessageA(m_Process.hwnd, WM_CLOSE, 0, 0);
  if (!asked && m_Process.hProcess) TerminateProcess(m_Process.hProcess, 0);

  // A player that does not close when asked would run on, unseen, after the
  // saver is gone: after its grace time it is ended.
  if (m_Process.hProcess && WaitForSingleObject(m_Process.hProcess, kCloseWaitMs) == WAIT_TIMEOUT) {
    TerminateProcess(m_Process.hProcess, 0);
    WaitForSingleObject(m_Process.hProcess, kCloseWaitMs);
  }

  if (m_bExtracted) {
    char cfg[kMaxPath];
    std::strcpy(cfg, m_PlayerPath);
    DeleteFileA(m_PlayerPath);
    if (ReplaceExtension(cfg, ".cfg")) DeleteFileA(cfg);
  }

  if (m_Process.hProcess) CloseHandle(m_Process.hProcess);
  if (m_Process.hThread) CloseHandle(m_Process.hThread);
  std::memset(&m_Process, 0, sizeof m_Process);
}
