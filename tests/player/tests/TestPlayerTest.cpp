// The stand-in player behaves as its environment tells it, since the saver's
// tests rely on that.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saver/tests/WinTestUtil.h"

namespace {

using wintest::ScratchDir;

struct Found {
  DWORD processId;
  HWND window;
};

BOOL CALLBACK FindByProcess(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (owner == found->processId && std::string(className) == "SomnelTestPlayer") {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

class TestPlayerTest : public testing::Test {
 protected:
  ScratchDir dir;
  std::string player = dir / "movie.dat";
  std::string log = dir / "player.log";
  PROCESS_INFORMATION process = {};

  void SetUp() override { ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(TESTPLAYER_EXE), player)); }
  void TearDown() override {
    if (process.hProcess) {
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, 5000);
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
  }

  // Starts the player in `dir` with the given variables added.
  void Start(std::vector<std::pair<std::string, std::string>> env) {
    env.push_back({"SOMNEL_PLAYER_LOG", log});
    wintest::EnvOverride set({env.begin(), env.end()});
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(player.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               dir.Path().c_str(), &startup, &process));
  }

  HWND FindWindowOfPlayer(DWORD waitMs) {
    Found found = {process.dwProcessId, nullptr};
    for (DWORD waited = 0; waited <= waitMs && !found.window; waited += 50) {
      EnumWindows(FindByProcess, reinterpret_cast<LPARAM>(&found));
      if (!found.window) Sleep(50);
    }
    return found.window;
  }

  bool Ended(DWORD waitMs) {
    return WaitForSingleObject(process.hProcess, waitMs) == WAIT_OBJECT_0;
  }
  std::string Log() { return wintest::ReadFileText(log); }
};

TEST_F(TestPlayerTest, LogsWhatItWasGivenAndItsMessages) {
  ASSERT_TRUE(wintest::WriteFileText(dir / "movie.cfg", "SS_Mode=S&SS_Sound=0&SS_RunCount=1"));
  Start({});
  HWND window = FindWindowOfPlayer(10000);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_KEYDOWN, 'V', 0);
  PostMessageA(window, WM_KEYDOWN, VK_F2, 0);
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ended(10000));
  const std::string expected = "start " + std::to_string(process.dwProcessId) + "\r\npath " +
                               player + "\r\ncwd " + dir.Path() +
                               "\r\ncfg SS_Mode=S&SS_Sound=0&SS_RunCount=1\r\nwindow " +
                               std::to_string(reinterpret_cast<uintptr_t>(window)) +
                               "\r\nkeydown 86\r\nkeydown 113\r\nclose\r\nexit 0\r\n";
  EXPECT_EQ(Log(), expected);
}

TEST_F(TestPlayerTest, SaysWhenItHasNoCfg) {
  Start({{"SOMNEL_PLAYER_QUIT_AFTER_MS", "100"}});
  ASSERT_TRUE(Ended(10000));
  const std::string text = Log();
  EXPECT_NE(text.find("nocfg " + dir.Path() + "\\movie.cfg\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("quit-timer\r\nexit 0\r\n"), std::string::npos) << text;
}

TEST_F(TestPlayerTest, IgnoresCloseWhenToldTo) {
  Start({{"SOMNEL_PLAYER_IGNORE_CLOSE", "1"}});
  HWND window = FindWindowOfPlayer(10000);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(Ended(1000));
  EXPECT_NE(Log().find("close-ignored\r\n"), std::string::npos) << Log();
  EXPECT_EQ(Log().find("exit"), std::string::npos);
}

TEST_F(TestPlayerTest, RunsWithoutAWindowUntilItsQuitTime) {
  Start({{"SOMNEL_PLAYER_NO_WINDOW", "1"}, {"SOMNEL_PLAYER_QUIT_AFTER_MS", "1500"}});
  EXPECT_EQ(FindWindowOfPlayer(500), nullptr);
  EXPECT_FALSE(Ended(0)) << "still running without a window";
  ASSERT_TRUE(Ended(10000));
  EXPECT_EQ(Log().find("window"), std::string::npos) << Log();
  EXPECT_NE(Log().find("quit-timer\r\nexit 0\r\n"), std::string::npos) << Log();
}

TEST_F(TestPlayerTest, StartDelayComesBeforeTheWindow) {
  Start({{"SOMNEL_PLAYER_START_DELAY_MS", "1500"}, {"SOMNEL_PLAYER_QUIT_AFTER_MS", "100"}});
  Sleep(500);
  EXPECT_EQ(Log().find("window"), std::string::npos) << "no window while it sleeps: " << Log();
  EXPECT_NE(FindWindowOfPlayer(10000), nullptr);
  ASSERT_TRUE(Ended(10000));
  EXPECT_NE(Log().find("window"), std::string::npos) << Log();
}

}  // namespace
