// previewhost: stands in for the system's display settings, which show a
// saver's preview in a small window of their own.
//
//   previewhost [--size WxH] [--wait MS] [--capture BMP] SAVER
//
// Opens a window titled "Preview" whose client area is W x H (default
// 152 x 112, the size of the system's preview), starts SAVER /p with that
// window's handle, keeps the window for MS milliseconds (default 3000) and
// then destroys it, as the system does when its settings close, and waits
// for the saver to end. Prints the saver's exit code. With --capture the
// preview's pixels, as the window shows them just before it closes, are
// saved as a 24-bit BMP file.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (static_cast<LONG>(GetTickCount() - end) < 0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  }
}

// Saves the client area of window as a 24-bit BMP file.
bool Capture(HWND window, const char* path) {
  RECT client;
  GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom row first, as the file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageSize = rowBytes * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageSize;
  bool ok = false;
  if (std::FILE* out = std::fopen(path, "wb")) {
    ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
         std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
         std::fwrite(bits, imageSize, 1, out) == 1;
    ok = std::fclose(out) == 0 && ok;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 152, height = 112;
  DWORD wait = 3000;
  const char* capture = nullptr;
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2) width = height = 0;
    } else if (std::strcmp(argv[i], "--capture") == 0 && i + 1 < argc) {
      capture = argv[++i];
    } else if (std::strcmp(argv[i], "--wait") == 0 && i + 1 < argc) {
      wait = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      break;
    }
  }
  if (i + 1 != argc || width <= 0 || height <= 0) {
    std::fprintf(stderr, "usage: previewhost [--size WxH] [--wait MS] [--capture BMP] SAVER\n");
    return 2;
  }

  WNDCLASSA wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "SomnelPreviewHost";
  RegisterClassA(&wc);
  RECT rect = {0, 0, width, height};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
  AdjustWindowRect(&rect, style, FALSE);
  HWND host = CreateWindowExA(0, wc.lpszClassName, "Preview", style, 40, 40, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (!host) {
    std::fprintf(stderr, "previewhost: cannot create the preview window\n");
    return 1;
  }
  Pump(200);

  std::string line =
      "\"" + std::string(argv[i]) + "\" /p " +
      std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host)));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(argv[i], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    std::fprintf(stderr, "previewhost: cannot start %s (error %lu)\n", argv[i], GetLastError());
    return 1;
  }
  std::printf("preview window %dx%d, saver started: %s\n", width, height, line.c_str());
  std::fflush(stdout);
  Pump(wait);
  if (capture) {
    if (!Capture(host, capture))
      std::printf("previewhost: could not save %s\n", capture);
    else
      std::printf("preview saved as %s\n", capture);
  }
  DestroyWindow(host);
  if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(info.hProcess, 99);
    std::printf("the saver did not end with its preview window; terminated\n");
  }
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  std::printf("preview window closed; the saver ended with exit code %lu\n", code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return 0;
}
