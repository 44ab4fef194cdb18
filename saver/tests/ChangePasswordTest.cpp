// Mode 3 of the real program: Somnel.scr /a changes the password through the
// system's MPR.DLL, here a stub of ours beside the program. Wine prefers its
// own built-in library unless told otherwise; a child started by a Windows
// program does not take WINEDLLOVERRIDES from its environment block, so the
// override is set in the registry for the program's own name, a name that
// only these tests use.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "saver/tests/WinTestUtil.h"

namespace {

using wintest::ScratchDir;

const char kAppKey[] = "Software\\Wine\\AppDefaults\\SomnelPasswordTest.scr";
const char kOverrideKey[] = "Software\\Wine\\AppDefaults\\SomnelPasswordTest.scr\\DllOverrides";

class ChangePasswordTest : public testing::Test {
 protected:
  ScratchDir dir;
  std::string saver = dir / "SomnelPasswordTest.scr";
  std::string log = dir / "stub.log";

  void SetUp() override { ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(SOMNEL_SCR), saver)); }
  void TearDown() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kOverrideKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppKey);
  }

  // mpr "native,builtin" takes our stub first; "" refuses the library.
  wintest::ChildResult Run(const std::string& arguments, const char* mprOverride) {
    HKEY key;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOverrideKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "mpr", 0, REG_SZ, reinterpret_cast<const BYTE*>(mprOverride),
                   static_cast<DWORD>(std::strlen(mprOverride) + 1));
    RegCloseKey(key);
    return wintest::RunChild("\"" + saver + "\" " + arguments, {{"SOMNEL_STUB_LOG", log}},
                             dir.Path(), "", 20000);
  }

  void UseStub() {
    ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(STUB_MPR_DIR) + "\\MPR.DLL", dir / "MPR.DLL"));
  }
};

TEST_F(ChangePasswordTest, CallsTheSystemWithScrsaveAndTheOwnerWindow) {
  UseStub();
  HWND owner =
      CreateWindowExA(0, "STATIC", "owner", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  const std::string ownerText = std::to_string(reinterpret_cast<uintptr_t>(owner));

  for (const std::string& arguments : {"/a " + ownerText, "-A:" + ownerText}) {
    DeleteFileA(log.c_str());
    const auto result = Run(arguments, "native,builtin");
    ASSERT_TRUE(result.finished) << arguments;
    EXPECT_EQ(result.exitCode, 0u) << arguments;
    EXPECT_EQ(wintest::ReadFileText(log), "PwdChangePasswordA SCRSAVE " + ownerText + " 0 0\r\n")
        << arguments;
  }
  DestroyWindow(owner);
}

TEST_F(ChangePasswordTest, WithoutAWindowStillAsksTheSystem) {
  UseStub();
  const auto result = Run("/a", "native,builtin");
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(wintest::ReadFileText(log).rfind("PwdChangePasswordA SCRSAVE ", 0), 0u)
      << wintest::ReadFileText(log);
}

TEST_F(ChangePasswordTest, WithoutTheLibraryEndsQuietly) {
  const auto result = Run("/a", "");
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_FALSE(wintest::Exists(log));
}

}  // namespace
