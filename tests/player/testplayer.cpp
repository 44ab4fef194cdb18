// testplayer: stands in for the movie player that a packaged saver carries.
// It does nothing but tell what it was given and how it was treated, and it
// can be told to misbehave.
//
// Environment:
//   SOMNEL_PLAYER_LOG             file to append the events to, one per line,
//                                 written through at once (nothing is logged
//                                 without it)
//   SOMNEL_PLAYER_QUIT_AFTER_MS   quit by itself after this many milliseconds
//   SOMNEL_PLAYER_NO_WINDOW       when set, never create a window; the program
//                                 still runs until it is killed or its quit time
//   SOMNEL_PLAYER_IGNORE_CLOSE    when set, WM_CLOSE is logged and ignored
//   SOMNEL_PLAYER_START_DELAY_MS  sleep this long before creating the window
//
// Events, each "name value":
//   start <process id>
//   path <own program path>
//   cwd <working directory>
//   cfg <text of the .cfg beside the program>   (CR and LF shown as \r, \n)
//   nocfg <path of the .cfg that could not be read>
//   window <window handle, decimal>
//   keydown <virtual-key code>
//   close                  WM_CLOSE, the window is destroyed
//   close-ignored          WM_CLOSE while told to ignore it
//   quit-timer             the quit time has come
//   exit <exit code>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT_PTR kQuitTimer = 1;
constexpr int kExitCode = 0;

HANDLE g_Log = INVALID_HANDLE_VALUE;  // append-only, shared with other writers
bool g_IgnoreClose = false;

void Log(const char* event, const std::string& value) {
  if (g_Log == INVALID_HANDLE_VALUE) return;
  std::string line = event;
  if (!value.empty()) line += " " + value;
  line += "\r\n";
  DWORD written = 0;
  // One write per line, so lines of several players never mix.
  WriteFile(g_Log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string Number(unsigned long long value) {
  return std::to_string(value);
}

bool EnvSet(const char* name) {
  return GetEnvironmentVariableA(name, nullptr, 0) > 0;
}

DWORD EnvMs(const char* name, DWORD fallback) {
  char text[32];
  DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
  if (length == 0 || length >= sizeof text) return fallback;
  return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

void OpenLog() {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("SOMNEL_PLAYER_LOG", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  g_Log =
      CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

void LogStartup() {
  Log("start", Number(GetCurrentProcessId()));
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  Log("path", path);
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  Log("cwd", cwd);

  // The parameter file: own path with the extension replaced by ".cfg".
  std::string cfg = path;
  const size_t dot = cfg.find_last_of('.');
  const size_t slash = cfg.find_last_of("\\/:");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) cfg.erase(dot);
  cfg += ".cfg";
  HANDLE file = CreateFileA(cfg.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Log("nocfg", cfg);
    return;
  }
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  Log("cfg", Escape(text));
}

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      Log("keydown", Number(wParam));
      return 0;
    case WM_CLOSE:
      if (g_IgnoreClose) {
        Log("close-ignored", "");
        return 0;
      }
      Log("close", "");
      DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wParam == kQuitTimer) {
        Log("quit-timer", "");
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(kExitCode);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int Finish(int code) {
  Log("exit", Number(static_cast<unsigned>(code)));
  if (g_Log != INVALID_HANDLE_VALUE) CloseHandle(g_Log);
  return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  OpenLog();
  LogStartup();
  g_IgnoreClose = EnvSet("SOMNEL_PLAYER_IGNORE_CLOSE");
  const DWORD quitAfter = EnvMs("SOMNEL_PLAYER_QUIT_AFTER_MS", INFINITE);

  if (EnvSet("SOMNEL_PLAYER_NO_WINDOW")) {
    Sleep(quitAfter);
    if (quitAfter != INFINITE) Log("quit-timer", "");
    return Finish(kExitCode);
  }

  const DWORD delay = EnvMs("SOMNEL_PLAYER_START_DELAY_MS", 0);
  if (delay) Sleep(delay);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PlayerProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = "SomnelTestPlayer";
  if (!RegisterClassA(&windowClass)) return Finish(1);
  HWND window =
      CreateWindowExA(0, windowClass.lpszClassName, "Somnel test player", WS_OVERLAPPEDWINDOW,
                      CW_USEDEFAULT, CW_USEDEFAULT, 320, 240, nullptr, nullptr, instance, nullptr);
  if (!window) return Finish(2);
  Log("window", Number(reinterpret_cast<uintptr_t>(window)));
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  if (quitAfter != INFINITE) SetTimer(window, kQuitTimer, quitAfter, nullptr);

  MSG message;
  int code = kExitCode;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      code = static_cast<int>(message.wParam);
      break;
    }
    if (got < 0) {
      code = 3;
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return Finish(code);
}
