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
//   SOMNEL_PLAYER_CAPTURE         after drawing the picture the first time, save
//                                 the window's client area there as a 24-bit BMP
//
// When the parameter text names a picture movie (SS_Picture), the player
// reads that movie from its working directory with the movie reader, makes
// its window fill the screen and draws the movie's bitmap in it, as large as
// fits with its proportions kept, centred on black.
//
// Events, each "name value":
//   start <process id>
//   path <own program path>
//   cwd <working directory>
//   cfg <text of the .cfg beside the program>   (CR and LF shown as \r, \n)
//   nocfg <path of the .cfg that could not be read>
//   picture <movie name> <jpeg|lossless> <width>x<height>   the movie's bitmap
//   nopicture <movie name> <reason>                       the movie could not be shown
//   window <window handle, decimal>
//   drew <x>,<y> <width>x<height> in <client width>x<client height>
//                          the picture was drawn there (logged when it moves)
//   captured <path>        the window's pixels were saved there
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

#include "tests/player/PlayerPicture.h"

namespace {

constexpr UINT_PTR kQuitTimer = 1;
constexpr int kExitCode = 0;

HANDLE g_Log = INVALID_HANDLE_VALUE;  // append-only, shared with other writers
bool g_IgnoreClose = false;
bool g_HavePicture = false;
PlayerPicture g_Picture;
PlayerPlacement g_LastDrawn = {0, 0, -1, -1};

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

// Returns the text of the parameter file ("" when there is none).
std::string LogStartup() {
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
    return "";
  }
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  Log("cfg", Escape(text));
  return text;
}

// Loads the picture movie the parameters name, relative to the working
// directory as the saver intends.
void LoadPicture(const std::string& parameters) {
  const std::string name = PictureParameter(parameters);
  if (name.empty()) return;
  std::string error;
  if (!LoadMoviePicture(name, &g_Picture, &error)) {
    Log("nopicture", name + " " + error);
    return;
  }
  g_HavePicture = true;
  Log("picture",
      name + " " + g_Picture.kind + " " + Number(g_Picture.width) + "x" + Number(g_Picture.height));
}

// Saves the client area of window (as this process drew it) as a BMP file.
void SaveCapture(HWND window, const char* path) {
  RECT client;
  GetClientRect(window, &client);
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD size = ((static_cast<DWORD>(client.right) * 3 + 3) & ~3u) * client.bottom;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    if (std::FILE* out = std::fopen(path, "wb")) {
      std::fwrite(&file, sizeof file, 1, out);
      std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
      std::fwrite(bits, size, 1, out);
      std::fclose(out);
      Log("captured", path);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(window, source);
}

void PaintPicture(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const PlayerPlacement place =
      PlacePicture(g_Picture.width, g_Picture.height, client.right, client.bottom);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = g_Picture.width;
  info.bmiHeader.biHeight = -g_Picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, place.x, place.y, place.width, place.height, 0, 0, g_Picture.width,
                g_Picture.height, g_Picture.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  EndPaint(window, &paint);
  if (place.x != g_LastDrawn.x || place.y != g_LastDrawn.y || place.width != g_LastDrawn.width ||
      place.height != g_LastDrawn.height) {
    g_LastDrawn = place;
    Log("drew", Number(place.x) + "," + Number(place.y) + " " + Number(place.width) + "x" +
                    Number(place.height) + " in " + Number(client.right) + "x" +
                    Number(client.bottom));
    char capture[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("SOMNEL_PLAYER_CAPTURE", capture, sizeof capture);
    if (length > 0 && length < sizeof capture) SaveCapture(window, capture);
  }
}

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      if (!g_HavePicture) break;
      PaintPicture(window);
      return 0;
    case WM_SIZE:
      if (g_HavePicture) InvalidateRect(window, nullptr, FALSE);
      break;
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
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Finish(int code) {
  Log("exit", Number(static_cast<unsigned>(code)));
  if (g_Log != INVALID_HANDLE_VALUE) CloseHandle(g_Log);
  return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  OpenLog();
  const std::string parameters = LogStartup();
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
  LoadPicture(parameters);
  // A picture fills the screen, as the real player shows its movie.
  HWND window = g_HavePicture ? CreateWindowExA(0, windowClass.lpszClassName, "Somnel test player",
                                                WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                                GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                                instance, nullptr)
                              : CreateWindowExA(0, windowClass.lpszClassName, "Somnel test player",
                                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                                320, 240, nullptr, nullptr, instance, nullptr);
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
