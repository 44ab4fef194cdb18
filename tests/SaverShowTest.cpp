// A customer's saver, packaged by somnel-pack around the test player, run as
// the system runs it. The saver is driven by messages posted to its
// "CSaverWin" window; what happened is read from the player's log, the files
// in the folder and the window system.
//
// Each test packs its saver into a scratch folder and points TMP and TEMP
// there, so the player is extracted beside the saver, and every process a
// test starts (the saver, the players named in the log) is ended with it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "saver/PlayerRestarts.h"
#include "saver/tests/WinTestUtil.h"
#include "tests/PackedSaver.h"

namespace {

const std::string kSaver = wintest::WinPath(SOMNEL_SCR);
const std::string kPlayer = wintest::WinPath(TESTPLAYER_EXE);
const std::string kStubPasswordDir = wintest::WinPath(STUB_PASSWORD_DIR);
using wintest::EndProcess;
using wintest::kPatienceMs;
using wintest::Lines;
using wintest::Profile;
using wintest::Pump;
using wintest::Settle;
using wintest::WaitFor;
// Long enough for many 50 ms ticks: used only to see that something does
// NOT happen.
const DWORD kQuietMs = 1500;

bool ProcessAlive(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return alive;
}

using wintest::ChildOfClass;
using wintest::ClassOf;
using wintest::PreviewArguments;
using wintest::TopLevelWindows;

HWND FindTopLevel(DWORD pid, const std::string& className, bool visibleOnly) {
  for (HWND w : TopLevelWindows(pid))
    if (ClassOf(w) == className && (!visibleOnly || IsWindowVisible(w))) return w;
  return nullptr;
}

// The system's screen-saver password state, set for one test and restored.
class PasswordState {
 public:
  explicit PasswordState(DWORD usePassword) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                    KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    DWORD size = sizeof saved_;
    DWORD type = 0;
    had_ = RegQueryValueExA(key_, "ScreenSaveUsePassword", nullptr, &type,
                            reinterpret_cast<BYTE*>(&saved_), &size) == ERROR_SUCCESS;
    RegSetValueExA(key_, "ScreenSaveUsePassword", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&usePassword), sizeof usePassword);
  }
  ~PasswordState() {
    if (had_)
      RegSetValueExA(key_, "ScreenSaveUsePassword", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&saved_), sizeof saved_);
    else
      RegDeleteValueA(key_, "ScreenSaveUsePassword");
    RegCloseKey(key_);
  }
  PasswordState(const PasswordState&) = delete;
  PasswordState& operator=(const PasswordState&) = delete;

 private:
  HKEY key_ = nullptr;
  DWORD saved_ = 0;
  bool had_ = false;
};

using Env = PackedSaver::Env;

// The packaged saver of a show test, and its full-screen window.
class Show : public PackedSaver {
 public:
  using PackedSaver::PackedSaver;

  // The full-screen saver window, once it is there.
  HWND SaverWindow() {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindTopLevel(Pid(), "CSaverWin", false)) != nullptr; });
    return found;
  }
};

const char kPlainProject[] = "[Settings]\r\nExternal=0\r\n";

// The cursor as this desktop reports it; the saver takes its start position
// from the same place. Wine's null driver keeps the position that
// SetCursorPos gives, so the start position is known to the test.
POINT CursorAt(int x, int y) {
  SetCursorPos(x, y);
  POINT p = {0, 0};
  GetCursorPos(&p);
  return p;
}

LPARAM Point(LONG x, LONG y) {
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

const LPARAM kKeyData = 0x001E0001;  // repeat 1, scan code of A

// The show's window is see-through until it enters its error state.
bool Transparent(HWND window) {
  return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
}

// --- A show ----------------------------------------------------------------

TEST(SaverShow, StartsTheExtractedPlayerAndStopsAndRemovesItOnAKey) {
  Show show;
  ASSERT_TRUE(show.Pack(kPlainProject));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1)) << show.Log();

  // Extracted beside the saver (TMP), started in its own folder, told the
  // first run of a show with sound.
  EXPECT_EQ(show.Events("path"), std::vector<std::string>{show.DatPath()});
  EXPECT_EQ(show.Events("cwd"), std::vector<std::string>{show.Folder()});
  EXPECT_EQ(show.Events("cfg"), std::vector<std::string>{"SS_Mode=S&SS_Sound=0&SS_RunCount=1"});
  EXPECT_EQ(wintest::ReadFileText(show.CfgPath()), "SS_Mode=S&SS_Sound=0&SS_RunCount=1");
  EXPECT_TRUE(wintest::Exists(show.DatPath()));

  // The full-screen arrangement: the saver transparent and top-most over the
  // black background, the player window made top-most too.
  EXPECT_TRUE(GetWindowLongA(saver, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_TRUE(GetWindowLongA(saver, GWL_EXSTYLE) & WS_EX_TOPMOST);
  HWND background = FindTopLevel(show.Pid(), "zySaverBackground", true);
  ASSERT_NE(background, nullptr);
  RECT rect;
  GetWindowRect(background, &rect);
  EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYSCREEN));
  HWND player = show.PlayerWindow();
  ASSERT_TRUE(IsWindow(player));
  // The saver makes it top-most once it has found it, after the player's
  // start-up.
  EXPECT_TRUE(WaitFor([&] { return (GetWindowLongA(player, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
  // The saver stays in front of the player, so it gets the input. The style
  // bit is set before the two windows are ordered, so wait for the order.
  auto playerBelowSaver = [&] {
    for (HWND w = GetWindow(saver, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
      if (w == player) return true;
    return false;
  };
  EXPECT_TRUE(WaitFor(playerBelowSaver));

  const std::vector<DWORD> pids = show.PlayerPids();
  ASSERT_EQ(pids.size(), 1u);
  PostMessageA(saver, WM_KEYDOWN, 'A', kKeyData);
  ASSERT_TRUE(show.WaitForEnd());
  EXPECT_EQ(show.ExitCode(), 0u);
  // Asked to close, not killed; no handover, so the key was not passed on.
  EXPECT_EQ(show.Events("close").size(), 1u) << show.Log();
  EXPECT_TRUE(show.Events("keydown").empty()) << show.Log();
  EXPECT_TRUE(WaitFor([&] { return !ProcessAlive(pids[0]); }));
  EXPECT_FALSE(wintest::Exists(show.DatPath()));
  EXPECT_FALSE(wintest::Exists(show.CfgPath()));
}

TEST(SaverShow, APlayerThatEndsIsStartedAgainWithTheNextRunAndSoundOnceIsHeardOnce) {
  Show show(Env{{"SOMNEL_PLAYER_QUIT_AFTER_MS", "300"}});
  ASSERT_TRUE(show.Pack(kPlainProject));
  ASSERT_TRUE(wintest::WriteFileText(show.IniPath(), "[Screensaver]\r\nSound=1\r\n"));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("cfg", 3)) << show.Log();
  const std::vector<std::string> cfgs = show.Events("cfg");
  EXPECT_EQ(cfgs[0], "SS_Mode=S&SS_Sound=1&SS_RunCount=1");
  EXPECT_EQ(cfgs[1], "SS_Mode=S&SS_Sound=2&SS_RunCount=2");
  EXPECT_EQ(cfgs[2], "SS_Mode=S&SS_Sound=2&SS_RunCount=3");
  // Only the memory is muted: the user's setting stays "once".
  EXPECT_EQ(Profile(show.IniPath(), "Screensaver", "Sound"), "1");

  PostMessageA(saver, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
  ASSERT_TRUE(show.WaitForEnd());
  EXPECT_FALSE(wintest::Exists(show.DatPath()));
  EXPECT_FALSE(wintest::Exists(show.CfgPath()));
}

TEST(SaverShow, ForceMaximizeGivesThePlayerTheWholeScreen) {
  Show show;
  ASSERT_TRUE(show.Pack("[Settings]\r\nForceMaximize=1\r\n"));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1));
  HWND player = show.PlayerWindow();
  RECT rect = {0, 0, 0, 0};
  EXPECT_TRUE(WaitFor([&] {
    GetWindowRect(player, &rect);
    return rect.right - rect.left == GetSystemMetrics(SM_CXSCREEN);
  }));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYSCREEN));
  PostMessageA(saver, WM_KEYDOWN, 'A', kKeyData);
  EXPECT_TRUE(show.WaitForEnd());
}

// --- The exit rules ---------------------------------------------------------

TEST(SaverShow, MouseMovesOfUpToEightPixelsKeepTheShowNineEndIt) {
  struct Case {
    int dx, dy;
  };
  for (const Case& ending : {Case{9, 0}, Case{0, -9}}) {
    const POINT start = CursorAt(300, 200);
    Show show;
    ASSERT_TRUE(show.Pack(kPlainProject));
    ASSERT_TRUE(show.Start("/s"));
    HWND saver = show.SaverWindow();
    ASSERT_NE(saver, nullptr);
    ASSERT_TRUE(show.WaitForEvents("window", 1));

    for (const Case& jitter : {Case{8, 0}, Case{0, 8}, Case{-8, -8}, Case{8, -8}, Case{-3, 7}})
      PostMessageA(saver, WM_MOUSEMOVE, 0, Point(start.x + jitter.dx, start.y + jitter.dy));
    Settle(kQuietMs);
    EXPECT_TRUE(show.Running()) << "start " << start.x << "," << start.y;
    EXPECT_TRUE(show.Events("close").empty());

    PostMessageA(saver, WM_MOUSEMOVE, 0, Point(start.x + ending.dx, start.y + ending.dy));
    EXPECT_TRUE(show.WaitForEnd()) << ending.dx << "," << ending.dy;
    EXPECT_EQ(show.Events("close").size(), 1u);
  }
}

TEST(SaverShow, EachButtonAndEachKeyEndTheShow) {
  struct Case {
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {{WM_LBUTTONDOWN, MK_LBUTTON},
                        {WM_MBUTTONDOWN, MK_MBUTTON},
                        {WM_RBUTTONDOWN, MK_RBUTTON},
                        {WM_KEYDOWN, VK_SPACE},
                        {WM_SYSKEYDOWN, VK_MENU}};
  for (const Case& c : cases) {
    Show show;
    ASSERT_TRUE(show.Pack(kPlainProject));
    ASSERT_TRUE(show.Start("/s"));
    HWND saver = show.SaverWindow();
    ASSERT_NE(saver, nullptr);
    ASSERT_TRUE(show.WaitForEvents("window", 1));
    PostMessageA(saver, c.message, c.wParam, c.message == WM_SYSKEYDOWN ? 0x20380001 : Point(1, 1));
    EXPECT_TRUE(show.WaitForEnd()) << "message " << c.message;
    EXPECT_EQ(show.Events("close").size(), 1u) << "message " << c.message;
    EXPECT_TRUE(show.Events("keydown").empty()) << "message " << c.message;
    EXPECT_FALSE(wintest::Exists(show.DatPath())) << "message " << c.message;
  }
}

TEST(SaverShow, CloseAndSaverCommandsAreSwallowedAndASuspendEndsTheShow) {
  Show show;
  ASSERT_TRUE(show.Pack(kPlainProject));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1));

  DWORD_PTR result = 12345;
  for (WPARAM command : {WPARAM{SC_CLOSE}, WPARAM{SC_SCREENSAVE}}) {
    ASSERT_NE(
        SendMessageTimeoutA(saver, WM_SYSCOMMAND, command, 0, SMTO_NORMAL, kPatienceMs, &result),
        0);
    EXPECT_EQ(result, 0u) << command;
  }
  // The system may always suspend; the show does not refuse it.
  ASSERT_NE(SendMessageTimeoutA(saver, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0, SMTO_NORMAL,
                                kPatienceMs, &result),
            0);
  EXPECT_EQ(result, static_cast<DWORD_PTR>(TRUE));
  Settle(kQuietMs);
  EXPECT_TRUE(show.Running());
  EXPECT_TRUE(show.Events("close").empty());

  // A suspend ends the show like input.
  PostMessageA(saver, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  EXPECT_TRUE(show.WaitForEnd());
  EXPECT_EQ(show.Events("close").size(), 1u);
  EXPECT_FALSE(wintest::Exists(show.DatPath()));
}

// --- Preview -------------------------------------------------------------------

HWND MakeHost() {
  return wintest::MakePlainWindow("host", 0, WS_OVERLAPPEDWINDOW, 20, 20, 200, 150);
}

TEST(SaverShow, APreviewWithoutRunPreviewStartsNoPlayer) {
  Show show;
  ASSERT_TRUE(show.Pack(kPlainProject));
  HWND host = MakeHost();
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(show.Start(PreviewArguments(host)));
  HWND preview = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (preview = ChildOfClass(host, "CSaverWin")) != nullptr; }));
  Settle(kQuietMs);
  EXPECT_EQ(show.Log(), "");
  EXPECT_TRUE(show.Running());
  // Input never ends a preview.
  PostMessageA(preview, WM_KEYDOWN, 'A', kKeyData);
  PostMessageA(preview, WM_LBUTTONDOWN, MK_LBUTTON, Point(3, 3));
  Settle(500);
  EXPECT_TRUE(show.Running());
  DestroyWindow(host);
  EXPECT_TRUE(show.WaitForEnd());
  EXPECT_EQ(show.Log(), "");
}

TEST(SaverShow, APreviewWithRunPreviewAdoptsThePlayerAsADisabledChild) {
  Show show;
  ASSERT_TRUE(show.Pack("[Settings]\r\nRunPreview=1\r\n"));
  ASSERT_TRUE(wintest::WriteFileText(show.IniPath(), "[Screensaver]\r\nSound=0\r\n"));
  HWND host = MakeHost();
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(show.Start(PreviewArguments(host)));
  HWND preview = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (preview = ChildOfClass(host, "CSaverWin")) != nullptr; }));
  ASSERT_TRUE(show.WaitForEvents("window", 1)) << show.Log();
  // The preview is always muted, whatever the user chose.
  ASSERT_FALSE(show.Events("cfg").empty());
  EXPECT_EQ(show.Events("cfg")[0], "SS_Mode=P&SS_Sound=2&SS_RunCount=1");

  HWND player = show.PlayerWindow();
  // SetParent makes it the preview's child (its style is the player's own),
  // shown, filling the preview.
  RECT previewClient, playerRect;
  GetClientRect(preview, &previewClient);
  auto placed = [&] {
    GetWindowRect(player, &playerRect);
    MapWindowPoints(nullptr, preview, reinterpret_cast<POINT*>(&playerRect), 2);
    return GetAncestor(player, GA_PARENT) == preview && IsWindowVisible(player) &&
           playerRect.right == previewClient.right;
  };
  EXPECT_TRUE(WaitFor(placed));
  EXPECT_EQ(GetAncestor(player, GA_PARENT), preview);
  EXPECT_FALSE(IsWindowEnabled(player));
  EXPECT_TRUE(IsWindowVisible(player));
  EXPECT_EQ(playerRect.left, 0);
  EXPECT_EQ(playerRect.top, 0);
  EXPECT_EQ(playerRect.right, previewClient.right);
  EXPECT_EQ(playerRect.bottom, previewClient.bottom);

  PostMessageA(preview, WM_KEYDOWN, 'A', kKeyData);
  PostMessageA(preview, WM_MOUSEMOVE, 0, Point(150, 120));
  Settle(500);
  EXPECT_TRUE(show.Running());
  EXPECT_TRUE(show.Events("close").empty());
  DestroyWindow(host);
  EXPECT_TRUE(show.WaitForEnd());
}

// The display settings end a preview by destroying the window they gave it,
// without closing the saver first. It must clean up all the same: no player
// left running, no extracted files left in the folder. Two previews at once
// (the settings opened twice) leave no player either.
TEST(SaverShow, APreviewEndedWithItsParentStopsItsPlayerAndRemovesItsFiles) {
  struct Case {
    const char* what;
    const char* project;
    bool player;  // the movie plays in the preview
  };
  const Case cases[] = {{"RunPreview off", kPlainProject, false},
                        {"RunPreview on", "[Settings]\r\nRunPreview=1\r\n", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Each saver is started before the next one's folder becomes TMP.
    auto preview = [&](Show& show) {
      HWND host = nullptr;
      EXPECT_TRUE(show.Pack(c.project));
      host = MakeHost();
      EXPECT_TRUE(show.Start(PreviewArguments(host)));
      EXPECT_TRUE(WaitFor([&] { return ChildOfClass(host, "CSaverWin") != nullptr; }));
      if (c.player) {
        EXPECT_TRUE(show.WaitForEvents("window", 1)) << show.Log();
      }
      // The window is there before its start-up has extracted the player.
      EXPECT_TRUE(WaitFor([&] { return wintest::Exists(show.DatPath()); }));
      return host;
    };
    Show first;
    HWND firstHost = preview(first);
    Show second;
    HWND secondHost = preview(second);

    DestroyWindow(firstHost);
    DestroyWindow(secondHost);
    for (Show* show : {&first, &second}) {
      EXPECT_TRUE(show->WaitForEnd());
      EXPECT_EQ(show->ExitCode(), 0u);
      EXPECT_FALSE(wintest::Exists(show->DatPath()));
      EXPECT_FALSE(wintest::Exists(show->CfgPath()));
      const std::vector<DWORD> pids = show->PlayerPids();
      EXPECT_EQ(pids.size(), c.player ? 1u : 0u) << show->Log();
      for (DWORD pid : pids) EXPECT_FALSE(ProcessAlive(pid)) << pid;
    }
  }
}

// --- Failures ----------------------------------------------------------------

TEST(SaverShow, WithoutAPackageTheSaverShowsItsErrorAndStillEndsOnInput) {
  Show show;
  const std::string bare = show / "Bare.scr";
  ASSERT_TRUE(wintest::CopyTo(kSaver, bare));
  ASSERT_TRUE(show.Start("/s", bare));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  // The failed launch is the error state: no longer see-through.
  EXPECT_TRUE(WaitFor([&] { return !Transparent(saver); }));
  EXPECT_TRUE(show.Running());
  PostMessageA(saver, WM_KEYDOWN, 'A', kKeyData);
  EXPECT_TRUE(show.WaitForEnd());
  EXPECT_EQ(show.ExitCode(), 0u);
  EXPECT_EQ(show.Log(), "");
  // No player, so no parameter file either.
  EXPECT_FALSE(wintest::Exists(show / ".cfg"));
}

TEST(SaverShow, APlayerWithoutAWindowStopsTheLaunchesAndIsEndedWithTheSaver) {
  Show show(Env{{"SOMNEL_PLAYER_NO_WINDOW", "1"}});
  ASSERT_TRUE(show.Pack(kPlainProject));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("start", 1));
  EXPECT_TRUE(WaitFor([&] { return !Transparent(saver); }));
  Settle(kQuietMs);
  // One start only: the error state launches nothing more.
  const std::vector<DWORD> pids = show.PlayerPids();
  ASSERT_EQ(pids.size(), 1u) << show.Log();
  EXPECT_TRUE(ProcessAlive(pids[0]));

  PostMessageA(saver, WM_KEYDOWN, 'A', kKeyData);
  EXPECT_TRUE(show.WaitForEnd());
  EXPECT_EQ(show.ExitCode(), 0u);
  EXPECT_TRUE(WaitFor([&] { return !ProcessAlive(pids[0]); }));
  EXPECT_FALSE(wintest::Exists(show.DatPath()));
  EXPECT_FALSE(wintest::Exists(show.CfgPath()));
}

// A player that shows its window and quits at once would be started again
// on every tick for ever. The first restarts still come on the next tick;
// later ones wait longer, and in the end the saver shows its error line and
// starts no more players. The player quits 300 ms after showing its window
// (well within the second that makes a quick end): one that quits before the
// saver has found its window is the other failure, "Unable to locate program
// window.", which shows the error line at its first start.
TEST(SaverShow, APlayerThatKeepsQuittingAtOnceIsGivenUpWithTheErrorLine) {
  Show show(Env{{"SOMNEL_PLAYER_QUIT_AFTER_MS", "300"}});
  ASSERT_TRUE(show.Pack(kPlainProject));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(WaitFor([&] { return !Transparent(saver); })) << show.Log();
  Settle(kQuietMs);
  // Each run showed its window and quit by itself; after the last one no
  // player was started again.
  const size_t runs = PlayerRestarts::kGiveUpQuickEnds;
  EXPECT_EQ(show.Events("start").size(), runs) << show.Log();
  EXPECT_EQ(show.Events("window").size(), runs) << show.Log();
  EXPECT_EQ(show.Events("quit-timer").size(), runs) << show.Log();
  const std::vector<std::string> cfgs = show.Events("cfg");
  ASSERT_EQ(cfgs.size(), runs);
  EXPECT_EQ(cfgs.back(), "SS_Mode=S&SS_Sound=0&SS_RunCount=" + std::to_string(runs));
  for (DWORD pid : show.PlayerPids()) EXPECT_FALSE(ProcessAlive(pid)) << pid;

  PostMessageA(saver, WM_KEYDOWN, 'A', kKeyData);
  EXPECT_TRUE(show.WaitForEnd());
  EXPECT_EQ(show.ExitCode(), 0u);
  EXPECT_FALSE(wintest::Exists(show.DatPath()));
}

TEST(SaverShow, APlayerThatIgnoresCloseIsEndedAndRemoved) {
  Show show(Env{{"SOMNEL_PLAYER_IGNORE_CLOSE", "1"}});
  ASSERT_TRUE(show.Pack(kPlainProject));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1));
  const std::vector<DWORD> pids = show.PlayerPids();
  ASSERT_EQ(pids.size(), 1u);
  PostMessageA(saver, WM_KEYDOWN, 'A', kKeyData);
  EXPECT_TRUE(show.WaitForEnd());
  EXPECT_EQ(show.Events("close-ignored").size(), 1u) << show.Log();
  EXPECT_FALSE(ProcessAlive(pids[0]));
  EXPECT_FALSE(wintest::Exists(show.DatPath()));
}

// --- Handover -----------------------------------------------------------------

TEST(SaverShow, HandoverLeavesThePlayerRunningInFrontWithTheKey) {
  struct Case {
    const char* what;
    const char* interactive;  // the project's [Interactive] keys
    UINT message;
    WPARAM key;
    bool handover;
  };
  const Case cases[] = {
      {"OnKey, no key list, any key", "OnKey=1\r\n", WM_KEYDOWN, 'B', true},
      {"OnKey, key in the list", "OnKey=1\r\nKey1=Space\r\nKey2=v\r\n", WM_KEYDOWN, 'V', true},
      {"OnKey, key not in the list", "OnKey=1\r\nKey1=Space\r\nKey2=v\r\n", WM_KEYDOWN, 'B', false},
      {"OnKey, Alt not in the list", "OnKey=1\r\nKey1=Space\r\n", WM_SYSKEYDOWN, 'X', false},
      {"OnKey, Alt in the list", "OnKey=1\r\nKey1=Space\r\nKey2=Alt\r\n", WM_SYSKEYDOWN, 'X', true},
      {"OnKey, no key list, Alt", "OnKey=1\r\n", WM_SYSKEYDOWN, 'X', true},
      {"OnMouse, a key", "OnMouse=1\r\n", WM_KEYDOWN, 'B', false},
      {"OnMouse, a button", "OnMouse=1\r\n", WM_RBUTTONDOWN, MK_RBUTTON, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Show show;
    ASSERT_TRUE(show.Pack(std::string("[Interactive]\r\n") + c.interactive));
    ASSERT_TRUE(show.Start("/s"));
    HWND saver = show.SaverWindow();
    ASSERT_NE(saver, nullptr);
    ASSERT_TRUE(show.WaitForEvents("window", 1));
    HWND player = show.PlayerWindow();
    const std::vector<DWORD> pids = show.PlayerPids();
    ASSERT_EQ(pids.size(), 1u);

    const bool isKey = c.message == WM_KEYDOWN || c.message == WM_SYSKEYDOWN;
    PostMessageA(saver, c.message, c.key, isKey ? kKeyData : Point(1, 1));
    ASSERT_TRUE(show.WaitForEnd());
    EXPECT_EQ(show.ExitCode(), 0u);
    if (c.handover) {
      EXPECT_TRUE(ProcessAlive(pids[0]));
      EXPECT_TRUE(IsWindow(player));
      EXPECT_TRUE(show.Events("close").empty()) << show.Log();
      EXPECT_TRUE(wintest::Exists(show.DatPath()));
      EXPECT_TRUE(wintest::Exists(show.CfgPath()));
      EXPECT_EQ(GetForegroundWindow(), player);
      if (isKey) {
        EXPECT_TRUE(show.WaitForEvents("keydown", 1));
        EXPECT_EQ(show.Events("keydown"), std::vector<std::string>{std::to_string(c.key)});
      }
    } else {
      EXPECT_EQ(show.Events("close").size(), 1u) << show.Log();
      EXPECT_TRUE(show.Events("keydown").empty()) << show.Log();
      EXPECT_FALSE(wintest::Exists(show.DatPath()));
    }
  }
}

// --- Commands --------------------------------------------------------------

// The notice dialog of the saver's process, when it is up.
HWND Notice(DWORD pid) {
  return FindTopLevel(pid, "#32770", true);
}

// The confirmation box owned by the notice.
HWND Confirmation(DWORD pid, HWND notice) {
  for (HWND w : TopLevelWindows(pid))
    if (ClassOf(w) == "#32770" && w != notice && GetWindow(w, GW_OWNER) == notice &&
        IsWindowVisible(w))
      return w;
  return nullptr;
}

std::string CommandProject(const std::string& extra) {
  return "[Execute]\r\nKey1=F1\r\nKey2=F2\r\nKey3=F3\r\nKey4=F4\r\n" + extra;
}

// The target each command opens: a copy of the test player under another
// name, which logs its own path when it starts.
struct Opened {
  std::string path;
  explicit Opened(const Show& show) : path(show / "Opened.exe") {}
};

TEST(SaverShow, ACommandKeyOpensItsTargetAndTheSaverClosesOnlyAfterOkAndYes) {
  Show show;
  const Opened opened(show);
  ASSERT_TRUE(wintest::CopyTo(kPlayer, opened.path));
  ASSERT_TRUE(show.Pack(CommandProject("Command1=" + opened.path + "\r\n")));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1));

  PostMessageA(saver, WM_KEYDOWN, VK_F1, kKeyData);
  HWND notice = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (notice = Notice(show.Pid())) != nullptr; }))
      << "no close notice";
  EXPECT_EQ(wintest::TextOf(notice), "Show");
  // The movie stopped, the saver and its background stepped aside.
  EXPECT_EQ(show.Events("close").size(), 1u) << show.Log();
  EXPECT_FALSE(IsWindowVisible(saver));
  EXPECT_EQ(FindTopLevel(show.Pid(), "zySaverBackground", false), nullptr);
  // The notice comes up just before the command runs and writes its record.
  WaitFor([&] { return Profile(show.IniPath(), "ShellExecute", "Command") != "<missing>"; });
  EXPECT_EQ(Profile(show.IniPath(), "ShellExecute", "Command"), opened.path);
  EXPECT_EQ(Profile(show.IniPath(), "ShellExecute", "ShellExecute"), "<missing>");
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<std::string> paths = show.Events("path");
    return paths.size() == 2 && paths[1] == opened.path;
  })) << show.Log();
  show.AlsoEnd(show.PlayerPids().back());

  // Keys and moves while the notice is up change nothing; no new player.
  PostMessageA(saver, WM_KEYDOWN, 'A', kKeyData);
  PostMessageA(saver, WM_MOUSEMOVE, 0, Point(1000, 700));
  PostMessageA(saver, WM_CLOSE, 0, 0);
  Settle(kQuietMs);
  EXPECT_TRUE(show.Running());
  EXPECT_TRUE(IsWindow(notice));
  EXPECT_EQ(show.Events("start").size(), 2u) << show.Log();
  // The show rests while the notice is up: no launch was tried, so the saver
  // did not fall into its error state.
  EXPECT_TRUE(Transparent(saver));

  // OK, then No: the notice stays.
  PostMessageA(notice, WM_COMMAND, IDOK, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = Confirmation(show.Pid(), notice)) != nullptr; }));
  EXPECT_EQ(wintest::TextOf(box), "Show");
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  Settle(500);
  EXPECT_TRUE(IsWindow(notice));
  EXPECT_TRUE(show.Running());

  // OK, then Yes: the saver closes.
  PostMessageA(notice, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return (box = Confirmation(show.Pid(), notice)) != nullptr; }));
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(show.WaitForEnd());
  EXPECT_EQ(show.ExitCode(), 0u);
  EXPECT_FALSE(wintest::Exists(show.DatPath()));
}

TEST(SaverShow, TheWordIniTakesTheCommandFromTheUserSettings) {
  Show show;
  const Opened opened(show);
  ASSERT_TRUE(wintest::CopyTo(kPlayer, opened.path));
  ASSERT_TRUE(show.Pack(CommandProject("Command1=nothing.exe\r\nCommand2=INI\r\n")));
  ASSERT_TRUE(wintest::WriteFileText(
      show.IniPath(), "[Command]\r\nCommand1=wrong.exe\r\nCommand2=" + opened.path + "\r\n"));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1));
  PostMessageA(saver, WM_KEYDOWN, VK_F2, kKeyData);
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<std::string> paths = show.Events("path");
    return paths.size() == 2 && paths[1] == opened.path;
  })) << show.Log();
  show.AlsoEnd(show.PlayerPids().back());
  // The record keeps the word as the package wrote it.
  EXPECT_EQ(Profile(show.IniPath(), "ShellExecute", "Command"), "INI");
  HWND notice = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (notice = Notice(show.Pid())) != nullptr; }));
  PostMessageA(notice, WM_COMMAND, IDCANCEL, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = Confirmation(show.Pid(), notice)) != nullptr; }));
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(show.WaitForEnd());
}

TEST(SaverShow, ACommandThatCannotBeOpenedIsRecordedAndTheNoticeStays) {
  Show show;
  const std::string missing = show / "missing.exe";
  ASSERT_TRUE(show.Pack(CommandProject("Command3=" + missing + "\r\n")));
  // A stale record is replaced as a whole.
  ASSERT_TRUE(wintest::WriteFileText(show.IniPath(), "[ShellExecute]\r\nOld=1\r\n"));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1));
  PostMessageA(saver, WM_KEYDOWN, VK_F3, kKeyData);
  HWND notice = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (notice = Notice(show.Pid())) != nullptr; }));
  ASSERT_TRUE(WaitFor(
      [&] { return Profile(show.IniPath(), "ShellExecute", "ShellExecute") != "<missing>"; }));
  EXPECT_EQ(Profile(show.IniPath(), "ShellExecute", "Command"), missing);
  EXPECT_NE(Profile(show.IniPath(), "ShellExecute", "ShellExecute"), "");
  EXPECT_EQ(Profile(show.IniPath(), "ShellExecute", "Old"), "<missing>");
  EXPECT_TRUE(IsWindow(notice));
  PostMessageA(notice, WM_COMMAND, IDOK, 0);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = Confirmation(show.Pid(), notice)) != nullptr; }));
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(show.WaitForEnd());
}

TEST(SaverShow, ACommandKeyWithAnEmptyCommandEndsTheShowLikeAnyKey) {
  Show show;
  ASSERT_TRUE(show.Pack(CommandProject("Command1=" + kPlayer + "\r\n")));
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1));
  PostMessageA(saver, WM_KEYDOWN, VK_F4, kKeyData);  // Key4 has no command
  EXPECT_TRUE(show.WaitForEnd());
  EXPECT_EQ(Profile(show.IniPath(), "ShellExecute", "Command"), "<missing>");
  EXPECT_EQ(show.Events("start").size(), 1u);
}

// --- The password ----------------------------------------------------------

TEST(SaverShow, ASecureSaverRunsNoCommandAndARefusedPasswordKeepsItRunning) {
  PasswordState secure(1);
  Show show(Env{{"SOMNEL_STUB_VERIFY_RESULT", "0"}});
  const std::string stubLog = show / "stub.log";
  wintest::EnvOverride logTo({{"SOMNEL_STUB_LOG", stubLog}});
  // The password component is looked for beside the program first.
  ASSERT_TRUE(wintest::CopyTo(kStubPasswordDir + "\\PASSWORD.CPL", show / "PASSWORD.CPL"));
  ASSERT_TRUE(show.Pack(CommandProject("Command1=" + kPlayer + "\r\n")));
  const POINT start = CursorAt(300, 200);
  ASSERT_TRUE(show.Start("/s"));
  HWND saver = show.SaverWindow();
  ASSERT_NE(saver, nullptr);
  ASSERT_TRUE(show.WaitForEvents("window", 1));
  show.MayStayRunning();  // refused to the end: the test ends it
  auto checks = [&] { return Lines(wintest::ReadFileText(stubLog)).size(); };

  // A command key is only a key: the password is asked and refused. The
  // cursor moves first by less than the threshold: the desktop may report
  // that move to the saver, before or after the key, and it must not count.
  const POINT moved = CursorAt(start.x + 5, start.y);
  PostMessageA(saver, WM_KEYDOWN, VK_F1, kKeyData);
  ASSERT_TRUE(WaitFor([&] { return checks() == 1; }));
  Settle(kQuietMs);
  EXPECT_TRUE(show.Running());
  EXPECT_EQ(Notice(show.Pid()), nullptr);
  EXPECT_EQ(Profile(show.IniPath(), "ShellExecute", "Command"), "<missing>");
  EXPECT_EQ(show.Events("start").size(), 1u);
  EXPECT_TRUE(show.Events("close").empty());

  // The threshold now counts from where the cursor was after the check: 8
  // pixels from there are 13 from the start, which would have ended it.
  if (moved.x != start.x) {
    PostMessageA(saver, WM_MOUSEMOVE, 0, Point(moved.x + 8, moved.y));
    Settle(kQuietMs);
    EXPECT_EQ(checks(), 1u);
    PostMessageA(saver, WM_MOUSEMOVE, 0, Point(moved.x + 9, moved.y));
    EXPECT_TRUE(WaitFor([&] { return checks() == 2; }));
  } else {
    ADD_FAILURE() << "the desktop does not move the cursor; the new start is not observable";
  }
  EXPECT_TRUE(show.Running());
}

}  // namespace
