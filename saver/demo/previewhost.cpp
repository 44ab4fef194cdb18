// previewhost: stands in for the system's display settings, which show a
// saver's preview in a small window of their own.
//
//   previewhost [--size WxH] [--wait MS] [--capture BMP] [--local] SAVER
//
// Opens a window titled "Preview" whose client area is W x H (default
// 152 x 112, the size of the system's preview), starts SAVER /p with that
// window's handle, keeps the window for MS milliseconds (default 3000) and
// then destroys it, as the system does when its settings close, and waits
// for the saver to end. Prints the saver's exit code. With --capture the
// preview's pixels, as the window shows them just before it closes, are
// saved as a 24-bit BMP file.
//
// Wine shows nothing that another process draws into a window of this one,
// so a capture of the real preview stays blank there. With --local the
// saver's own preview window (the program's classes, linked in) is made in
// this process instead, over SAVER's package and pictures, as that saver's
// start-up would make it; its pixels can then be captured.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "clib/Counted.h"
#include "saver/PackagePicture.h"
#include "saver/zySaver.h"
#include "tools/common/ToolCli.h"

namespace {

const toolcli::Help kHelp = {
    "previewhost",
    "stands in for the system's display settings: opens a window titled \"Preview\", starts "
    "SAVER /p with its handle, keeps it for a while, then closes it as the settings do and "
    "prints the saver's exit code",
    "[--size WxH] [--wait MS] [--capture BMP] [--local] SAVER",
    "  SAVER           the screen saver to preview (Somnel.scr or a packed saver)\n"
    "  --size WxH      the preview's client size (default 152x112, the system's)\n"
    "  --wait MS       how long the preview stays, in milliseconds (default 3000)\n"
    "  --capture BMP   save the preview's pixels, just before it closes, as a\n"
    "                  24-bit BMP\n"
    "  --local         make the saver's preview window in this process, over\n"
    "                  SAVER's package and pictures (Wine shows nothing another\n"
    "                  process draws into a window of this one)",
    "previewhost --capture preview.bmp --local MySaver.scr",
    "the saver cannot be started, or the capture cannot be saved"};

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
  bool local = false;
  int answered = 0;
  if (toolcli::AnswerHelpOrVersion(kHelp, argc, argv, 1, &answered)) return answered;
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2) width = height = 0;
    } else if (std::strcmp(argv[i], "--local") == 0) {
      local = true;
    } else if (std::strcmp(argv[i], "--capture") == 0 && i + 1 < argc) {
      capture = argv[++i];
    } else if (std::strcmp(argv[i], "--wait") == 0 && i + 1 < argc) {
      wait = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      return toolcli::UsageError(kHelp, std::string("unknown option ") + argv[i]);
    }
  }
  if (width <= 0 || height <= 0)
    return toolcli::UsageError(kHelp, "--size must be WxH, e.g. 152x112");
  if (i + 1 != argc)
    return toolcli::UsageError(kHelp,
                               i == argc ? "which saver? Name a SAVER" : "one SAVER at a time");

  WNDCLASSA wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "SomnelPreviewHost";
  RegisterClassA(&wc);
  RECT rect = {0, 0, width, height};
  // Like the system's preview area: a plain window without a frame.
  const DWORD style = WS_POPUP | WS_VISIBLE;
  AdjustWindowRect(&rect, style, FALSE);
  HWND host = CreateWindowExA(0, wc.lpszClassName, "Preview", style, 40, 40, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (!host) {
    std::fprintf(stderr, "previewhost: cannot create the preview window\n");
    return 1;
  }
  Pump(200);

  if (local) {
    zySaver* saver = new zySaver;
    saver->m_Mode = kModePreview;
    saver->m_hwndParent = host;
    if (!saver->Create(wc.hInstance, SW_SHOW, host)) {
      std::fprintf(stderr, "previewhost: cannot create the saver's preview window\n");
      return 1;
    }
    // Its start-up read this program's (empty) package; the saver's is read now.
    saver->FreePreviewPicture();
    saver->m_Pak.Load(argv[i], 0);
    HMODULE resources = LoadLibraryExA(argv[i], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const bool loaded = PreparePackagePicture(saver->m_Pak, zyPak::kPreviewImage, argv[i],
                                              resources, &saver->m_PreviewDib,
                                              &saver->m_PreviewCube, &saver->m_hPreviewPalette);
    const SIZE size = PackagePictureSize(&saver->m_PreviewDib);
    std::printf("preview window %dx%d, the saver's preview window made here over %s: %s\n", width,
                height, argv[i],
                loaded ? (std::to_string(size.cx) + "x" + std::to_string(size.cy) + " picture, " +
                          Counted(xdibBitCount(&saver->m_PreviewDib), "bit", "bits") + " a pixel")
                             .c_str()
                       : "no picture");
    InvalidateRect(saver->m_Handle, nullptr, FALSE);
    Pump(wait);
    if (capture) {
      if (!Capture(host, capture))
        std::printf("previewhost: could not save %s\n", capture);
      else
        std::printf("preview saved as %s\n", capture);
    }
    saver->FreePreviewPicture();
    DestroyWindow(host);
    if (resources) FreeLibrary(resources);
    delete saver;
    return 0;
  }

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
