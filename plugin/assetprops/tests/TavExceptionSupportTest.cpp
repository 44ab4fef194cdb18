// Kinetra's exception support: counted set-up, the emergency block and the
// fatal-error handler installed only while it is set up.
#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <thread>

#include "plugin/assetprops/TavException.h"

#include "plugin/assetprops/TavExceptionSupport.h"

namespace {

void OtherHandler() {
  std::abort();
}

TEST(TavExceptionSupport, CountedWithItsBlockAndHandler) {
  const std::terminate_handler before = std::set_terminate(OtherHandler);
  ASSERT_EQ(0, TavExceptionSupportCount());
  EXPECT_EQ(nullptr, TavEmergencyBlock());
  EXPECT_FALSE(TavFatalHandlerInstalled());

  TavInitExceptionSupport(nullptr, nullptr);
  HGLOBAL block = static_cast<HGLOBAL>(TavEmergencyBlock());
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(kTavEmergencyBlockSize, GlobalSize(block));
  // Movable and zeroed.
  const uint8_t* bytes = static_cast<const uint8_t*>(GlobalLock(block));
  ASSERT_NE(nullptr, bytes);
  EXPECT_NE(static_cast<const void*>(bytes), static_cast<const void*>(block));
  bool zero = true;
  for (uint32_t i = 0; i < kTavEmergencyBlockSize; ++i) zero = zero && bytes[i] == 0;
  EXPECT_TRUE(zero);
  GlobalUnlock(block);
  EXPECT_TRUE(TavFatalHandlerInstalled());

  // A second set-up only counts.
  TavInitExceptionSupport(nullptr, nullptr);
  EXPECT_EQ(2, TavExceptionSupportCount());
  EXPECT_EQ(block, TavEmergencyBlock());
  TavReleaseExceptionSupport();
  EXPECT_EQ(1, TavExceptionSupportCount());
  EXPECT_TRUE(TavFatalHandlerInstalled());
  EXPECT_EQ(block, TavEmergencyBlock());

  TavReleaseExceptionSupport();
  EXPECT_EQ(0, TavExceptionSupportCount());
  EXPECT_EQ(nullptr, TavEmergencyBlock());
  EXPECT_FALSE(TavFatalHandlerInstalled());
  EXPECT_EQ(OtherHandler, std::get_terminate());  // the previous handler is back
  // A release too many changes nothing.
  TavReleaseExceptionSupport();
  EXPECT_EQ(0, TavExceptionSupportCount());
  std::set_terminate(before);
}

}  // namespace

namespace {

// The fatal-error handler in a process of its own: its warning box, then
// abort's exit code 3.
TEST(TavExceptionSupport, FatalErrorShowsItsBoxAndEndsTheProcess) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  char command[] = TAV_FATAL_HELPER;
  ASSERT_TRUE(
      CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND box = nullptr;
  for (int i = 0; i < 1000 && !box; ++i) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == pi.dwProcessId && IsWindowVisible(w)) box = w;
    }
    if (!box) Sleep(10);
  }
  std::string text;
  if (box) {
    char buffer[256] = "";
    GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);  // the box's message
    text = buffer;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  if (code == STILL_ACTIVE) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(kTavFatalErrorText, text);
  EXPECT_EQ(3u, code);
}

}  // namespace

namespace {

// A message box of this process shown within `ms`: its text, closed; empty
// when none came.
std::string TakeBox(int ms) {
  for (int i = 0; i < ms / 10; ++i) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid != GetCurrentProcessId() || !IsWindowVisible(w)) continue;
      char text[1024] = "";
      GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
      PostMessageA(w, WM_COMMAND, IDOK, 0);
      return text;
    }
    Sleep(10);
  }
  return std::string();
}

TEST(TavShowException, ShowsTheExceptionUnlessSuppressed) {
  CTavBadException e(VX_E_INTERFACEMISSING, kTavInterfaceMissing, "ZepDialogBuilder");
  std::string shown;
  std::thread closer([&] { shown = TakeBox(5000); });
  TavShowException(e, nullptr);
  closer.join();
  EXPECT_NE(std::string::npos, shown.find("Interface Missing!")) << shown;
  EXPECT_NE(std::string::npos, shown.find("ZepDialogBuilder")) << shown;
  EXPECT_NE(std::string::npos, shown.find("0x80040014")) << shown;

  e.Suppress();
  std::thread watcher([&] { shown = TakeBox(500); });
  TavShowException(e, nullptr);  // returns at once
  watcher.join();
  EXPECT_EQ("", shown);
}

}  // namespace
