// The real Somnel.scr started as the system starts it, one process per
// command line: which windows it makes, and how it ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "saver/tests/WinTestUtil.h"

namespace {

const std::string kSaver = wintest::WinPath(SOMNEL_SCR);
const DWORD kPatienceMs = 15000;

// Keeps this thread's windows answering while waiting: the saver's preview
// window is a child of one of ours, and creating it sends to our thread.
using wintest::Pump;
using wintest::TextOf;

// One started saver. Whatever a test leaves running is killed at the end, and
// that counts as a failure.
class SaverProcess {
 public:
  SaverProcess(const std::string& program, const std::string& arguments) {
    std::string line = "\"" + program + "\"";
    if (!arguments.empty()) line += " " + arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info_) != FALSE;
  }
  ~SaverProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      ADD_FAILURE() << "the saver was still running at the end of the test";
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, kPatienceMs);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  bool Started() const { return started_; }

  // True when the process ended within the patience time.
  bool WaitForEnd() {
    const DWORD deadline = GetTickCount() + kPatienceMs;
    for (;;) {
      Pump();
      if (WaitForSingleObject(info_.hProcess, 20) == WAIT_OBJECT_0) return true;
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) return false;
    }
  }
  DWORD ExitCode() const {
    DWORD code = 12345;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

  // The first top-level window of this process with that class, waiting
  // for it to appear; null when none came (or the process ended).
  HWND WaitForWindow(const std::string& className) {
    const DWORD deadline = GetTickCount() + kPatienceMs;
    for (;;) {
      Pump();
      for (HWND w : wintest::TopLevelWindows(info_.dwProcessId))
        if (wintest::ClassOf(w) == className && IsWindowVisible(w)) return w;
      if (WaitForSingleObject(info_.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) return nullptr;
    }
  }

  DWORD ProcessId() const { return info_.dwProcessId; }

 private:
  bool started_ = false;
  PROCESS_INFORMATION info_{};
};

// --- Modes that end by themselves ------------------------------------------

TEST(SomnelProcess, PreviewOfNoWindowEndsAtOnce) {
  ASSERT_FALSE(IsWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(1234))))
      << "the test needs 1234 not to be a window";
  for (const char* arguments : {"/p 1234", "/p:1234", "/P 1234", "/l 1234", "/p"}) {
    SaverProcess saver(kSaver, arguments);
    ASSERT_TRUE(saver.Started()) << kSaver;
    ASSERT_TRUE(saver.WaitForEnd()) << arguments;
    EXPECT_EQ(saver.ExitCode(), 0u) << arguments;
  }
}

// --- Full screen ------------------------------------------------------------

TEST(SomnelProcess, RunModeMakesTheFullScreenTopMostWindow) {
  for (const char* arguments : {"-s", "/S", "s", "/saver"}) {
    SaverProcess saver(kSaver, arguments);
    ASSERT_TRUE(saver.Started()) << kSaver;
    HWND window = saver.WaitForWindow("CSaverWin");
    ASSERT_NE(window, nullptr) << arguments;

    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP) << arguments;
    EXPECT_FALSE(style & WS_CHILD) << arguments;
    EXPECT_TRUE(style & WS_CLIPCHILDREN) << arguments;
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST) << arguments;
    EXPECT_EQ(TextOf(window), "") << arguments;
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN)) << arguments;
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN)) << arguments;

    // The window's end is the program's end.
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(saver.WaitForEnd()) << arguments;
    EXPECT_EQ(saver.ExitCode(), 0u) << arguments;
  }
}

// --- Preview inside a window of ours ------------------------------------------

HWND MakeHostWindow(const char* title) {
  return wintest::MakePlainWindow(title, 0, WS_OVERLAPPEDWINDOW, 30, 40, 320, 240);
}

// The preview is a disabled child filling the window it was given, and it
// ends when that window goes.
TEST(SomnelProcess, PreviewLivesInsideTheGivenWindowAndEndsWithIt) {
  HWND host = MakeHostWindow("preview host");
  ASSERT_NE(host, nullptr);
  SaverProcess saver(kSaver, wintest::PreviewArguments(host));
  ASSERT_TRUE(saver.Started());

  HWND preview = nullptr;
  const DWORD deadline = GetTickCount() + kPatienceMs;
  while (!preview && static_cast<LONG>(GetTickCount() - deadline) <= 0) {
    Pump();
    preview = wintest::ChildOfClass(host, "CSaverWin");
    if (!preview) Sleep(20);
  }
  ASSERT_NE(preview, nullptr);
  DWORD owner = 0;
  GetWindowThreadProcessId(preview, &owner);
  EXPECT_EQ(owner, saver.ProcessId());
  const LONG style = GetWindowLongA(preview, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_DISABLED);
  EXPECT_FALSE(GetWindowLongA(preview, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT hostClient, previewRect;
  GetClientRect(host, &hostClient);
  GetWindowRect(preview, &previewRect);
  MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&previewRect), 2);
  // The host has a frame, so its window rectangle in its own client
  // coordinates starts above and left of the client area.
  RECT hostWindow;
  GetWindowRect(host, &hostWindow);
  MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&hostWindow), 2);
  EXPECT_EQ(previewRect.left, hostWindow.left);
  EXPECT_EQ(previewRect.top, hostWindow.top);
  EXPECT_EQ(previewRect.right, hostWindow.right);
  EXPECT_EQ(previewRect.bottom, hostWindow.bottom);

  DestroyWindow(host);
  ASSERT_TRUE(saver.WaitForEnd());
  EXPECT_EQ(saver.ExitCode(), 0u);
}

// --- Settings dialog ------------------------------------------------------

struct DialogSeen {
  bool found = false;
  std::string title;
  HWND owner = nullptr;
  DWORD exitCode = 12345;
};

DialogSeen RunConfigure(const std::string& program, const std::string& arguments) {
  DialogSeen seen;
  SaverProcess saver(program, arguments);
  EXPECT_TRUE(saver.Started()) << program;
  if (!saver.Started()) return seen;
  HWND dialog = saver.WaitForWindow("#32770");
  EXPECT_NE(dialog, nullptr) << arguments;
  if (dialog) {
    seen.found = true;
    seen.title = TextOf(dialog);
    seen.owner = GetWindow(dialog, GW_OWNER);
    EXPECT_NE(GetDlgItem(dialog, IDOK), nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDCANCEL)), "&Cancel");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }
  EXPECT_TRUE(saver.WaitForEnd()) << arguments;
  seen.exitCode = saver.ExitCode();
  return seen;
}

TEST(SomnelProcess, ConfigureShowsTheSettingsDialogTitledWithTheDisplayName) {
  for (const char* arguments : {"/c", "", "/x", "/c:4711", "C"}) {
    DialogSeen seen = RunConfigure(kSaver, arguments);
    ASSERT_TRUE(seen.found) << arguments;
    EXPECT_EQ(seen.title, "Somnel") << arguments;
    EXPECT_EQ(seen.exitCode, 0u) << arguments;
  }
}

// Only /c and its kind take the foreground window as the owner.
TEST(SomnelProcess, OwnerOfTheSettingsDialog) {
  HWND host = MakeHostWindow("foreground host");
  ASSERT_NE(host, nullptr);
  SetForegroundWindow(host);
  Pump();
  if (GetForegroundWindow() != host) {
    DestroyWindow(host);
    GTEST_SKIP() << "this desktop does not give our window the foreground";
  }
  DialogSeen configure = RunConfigure(kSaver, "/c");
  ASSERT_TRUE(configure.found);
  EXPECT_EQ(configure.owner, host);
  SetForegroundWindow(host);
  Pump();
  DialogSeen unknown = RunConfigure(kSaver, "/x");
  ASSERT_TRUE(unknown.found);
  EXPECT_EQ(unknown.owner, nullptr);
  DestroyWindow(host);
}

// A saver started under its short name still calls itself by its long name.
TEST(SomnelProcess, LongNameIsUsedWhenStartedUnderTheShortName) {
  wintest::ScratchDir dir;
  const std::string longPath = dir / "My Long Saver Name.scr";
  ASSERT_TRUE(CopyFileA(kSaver.c_str(), longPath.c_str(), FALSE)) << GetLastError();
  char shortPath[MAX_PATH] = "";
  const DWORD length = GetShortPathNameA(longPath.c_str(), shortPath, sizeof shortPath);
  ASSERT_GT(length, 0u) << "no short name: " << GetLastError();
  ASSERT_LT(length, sizeof shortPath);
  const std::string shortName = std::strrchr(shortPath, '\\') + 1;
  ASSERT_NE(shortName, "My Long Saver Name.scr") << "the file system gave no distinct short name";

  DialogSeen seen = RunConfigure(shortPath, "");
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, "My Long Saver Name") << "started as " << shortPath;
  EXPECT_EQ(seen.exitCode, 0u);
}

// --- Dialog resources, checked in this process from the program file -------

INT_PTR CALLBACK NothingDlgProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

struct ControlCase {
  int id;
  const char* className;
  const char* text;
  LONG type;  // the button type bits, -1 for other classes
  int group;  // 1: starts a group, 0: does not, -1: either
  bool disabled;
  RECT units;  // x, y, width, height in dialog units
};

void CheckDialog(HMODULE module, int templateId, int width, int height,
                 const std::vector<ControlCase>& controls) {
  HWND dialog =
      CreateDialogParamA(module, MAKEINTRESOURCEA(templateId), nullptr, NothingDlgProc, 0);
  ASSERT_NE(dialog, nullptr) << templateId;
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP) << templateId;
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION) << templateId;
  EXPECT_TRUE(style & WS_SYSMENU) << templateId;
  EXPECT_TRUE(style & DS_MODALFRAME) << templateId;
  EXPECT_TRUE(style & DS_CENTER) << templateId;

  RECT size = {0, 0, width, height};
  MapDialogRect(dialog, &size);
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, size.right) << templateId;
  EXPECT_EQ(client.bottom, size.bottom) << templateId;

  int count = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    ++count;
  EXPECT_EQ(count, static_cast<int>(controls.size())) << templateId;

  for (const ControlCase& c : controls) {
    HWND control = GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr) << templateId << " control " << c.id;
    char className[64] = "";
    GetClassNameA(control, className, sizeof className);
    EXPECT_STRCASEEQ(className, c.className) << c.id;
    EXPECT_EQ(TextOf(control), c.text) << c.id;
    const LONG controlStyle = GetWindowLongA(control, GWL_STYLE);
    if (c.type >= 0) {
      EXPECT_EQ(controlStyle & BS_TYPEMASK, c.type) << c.id;
    }
    if (c.group >= 0) {
      EXPECT_EQ((controlStyle & WS_GROUP) != 0, c.group == 1) << c.id;
    }
    EXPECT_EQ((controlStyle & WS_DISABLED) != 0, c.disabled) << c.id;
    // Position and size convert separately, as the dialog manager does.
    RECT expected = c.units;
    MapDialogRect(dialog, &expected);
    expected.right += expected.left;
    expected.bottom += expected.top;
    RECT actual;
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left) << c.id;
    EXPECT_EQ(actual.top, expected.top) << c.id;
    EXPECT_EQ(actual.right, expected.right) << c.id;
    EXPECT_EQ(actual.bottom, expected.bottom) << c.id;
  }
  DestroyWindow(dialog);
}

TEST(SomnelResources, SettingsAndCloseNoticeDialogs) {
  HMODULE module = LoadLibraryExA(kSaver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << GetLastError();

  CheckDialog(module, 1000, 198, 114,
              {
                  {1, "Button", "&OK", BS_PUSHBUTTON, 0, false, {128, 7, 64, 14}},
                  {2, "Button", "&Cancel", BS_PUSHBUTTON, 0, false, {128, 27, 64, 14}},
                  {101, "Button", "Mute Sound", BS_AUTOCHECKBOX, 1, false, {132, 51, 60, 12}},
                  {102, "Button", "&Sound", BS_GROUPBOX, 0, false, {128, 48, 65, 59}},
                  {103, "Button", "Always", BS_AUTORADIOBUTTON, 1, false, {140, 59, 44, 12}},
                  {104, "Button", "Once", BS_AUTORADIOBUTTON, 0, false, {140, 74, 39, 12}},
                  {105, "Button", "Never", BS_AUTORADIOBUTTON, 0, false, {140, 89, 42, 12}},
                  {100, "Button", "", BS_OWNERDRAW, 0, true, {7, 7, 113, 100}},
              });

  CheckDialog(
      module, 1001, 221, 77,
      {
          {1, "Button", "OK", BS_DEFPUSHBUTTON, 0, false, {85, 55, 50, 14}},
          {101,
           "Static",
           "You have accessed a web site or another program from your screensaver. The "
           "screensaver must remain active in order for this feature to work properly. When you "
           "are finished, press the OK button to close the screensaver and any windows it "
           "opened. Your screensaver cannot run again until you have closed this window.",
           -1,
           -1,
           false,
           {7, 6, 207, 44}},
      });
  FreeLibrary(module);
}

}  // namespace
