#include "saver/Password.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saver/cSaverWindow.h"
#include "saver/tests/WinTestUtil.h"

namespace {

using wintest::ScratchDir;

const char kDesktop[] = "Control Panel\\Desktop";

// One registry value of the Desktop key, put back as it was when the test ends.
class SavedValue {
 public:
  explicit SavedValue(const char* name) : m_Name(name) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_Key,
                    nullptr);
    DWORD size = 0;
    m_Present = RegQueryValueExA(m_Key, name, nullptr, &m_Type, nullptr, &size) == ERROR_SUCCESS;
    if (m_Present) {
      m_Data.resize(size);
      RegQueryValueExA(m_Key, name, nullptr, &m_Type, m_Data.data(), &size);
    }
  }
  ~SavedValue() {
    if (m_Present)
      RegSetValueExA(m_Key, m_Name, 0, m_Type, m_Data.data(), static_cast<DWORD>(m_Data.size()));
    else
      RegDeleteValueA(m_Key, m_Name);
    RegCloseKey(m_Key);
  }
  SavedValue(const SavedValue&) = delete;
  SavedValue& operator=(const SavedValue&) = delete;

 private:
  const char* m_Name;
  HKEY m_Key = nullptr;
  bool m_Present = false;
  DWORD m_Type = 0;
  std::vector<BYTE> m_Data;
};

// How a test sets a value: absent, a string, a number, or a number stored as text.
struct Value {
  enum Kind { kMissing, kString, kDword } kind;
  const char* text;
  DWORD number;
};
const Value kMissing = {Value::kMissing, nullptr, 0};
Value Str(const char* text) {
  return {Value::kString, text, 0};
}
Value Num(DWORD number) {
  return {Value::kDword, nullptr, number};
}

void Set(const char* name, const Value& value) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  switch (value.kind) {
    case Value::kMissing:
      RegDeleteValueA(key, name);
      break;
    case Value::kString:
      RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text),
                     static_cast<DWORD>(strlen(value.text) + 1));
      break;
    case Value::kDword:
      RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                     sizeof value.number);
      break;
  }
  RegCloseKey(key);
}

TEST(PasswordStateTest, RegistryTable) {
  SavedValue keepSecure("ScreenSaverIsSecure");
  SavedValue keepUse("ScreenSaveUsePassword");
  struct Case {
    const char* what;
    Value isSecure;
    Value usePassword;
    BOOL secure;
  } cases[] = {
      {"both missing", kMissing, kMissing, FALSE},
      {"\"0\" and 0", Str("0"), Num(0), FALSE},
      {"\"1\", number missing", Str("1"), kMissing, TRUE},
      {"string missing, 1", kMissing, Num(1), TRUE},
      {"\"0\" and 1", Str("0"), Num(1), TRUE},
      {"\"1\" and 0", Str("1"), Num(0), TRUE},
      {"\"0\" and a large number", Str("0"), Num(0x80000000u), TRUE},
      {"\"00\" is not exactly \"0\"", Str("00"), kMissing, TRUE},
      // 31 characters and the NUL fill the 32-byte buffer exactly.
      {"31 characters", Str("0000000000000000000000000000000"), kMissing, TRUE},
      {"number stored as text is not a number", Str("0"), Str("1"), FALSE},
  };
  for (const Case& c : cases) {
    Set("ScreenSaverIsSecure", c.isSecure);
    Set("ScreenSaveUsePassword", c.usePassword);
    EXPECT_EQ(ReadPasswordState() != FALSE, c.secure != FALSE) << c.what;
  }
}

// The password component is found through the program's library search: a
// folder holding the chosen stub (or none) is added to it.
class VerifyTest : public testing::Test {
 protected:
  ScratchDir dir;
  std::string log = dir / "stub.log";
  std::string emptyDir = dir / "empty";
  wintest::EnvOverride env{{{"SOMNEL_STUB_LOG", log}}};

  void SetUp() override { ASSERT_TRUE(CreateDirectoryA(emptyDir.c_str(), nullptr)); }
  void TearDown() override { SetDllDirectoryA(nullptr); }

  void Use(const std::string& folder) { ASSERT_TRUE(SetDllDirectoryA(folder.c_str())); }
  std::string Log() { return wintest::ReadFileText(log); }
};

TEST_F(VerifyTest, StubAnswersAndSeesTheOwner) {
  Use(wintest::WinPath(STUB_PASSWORD_DIR));
  HWND owner =
      CreateWindowExA(0, "STATIC", "owner", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  const std::string ownerText = std::to_string(reinterpret_cast<uintptr_t>(owner));
  {
    wintest::EnvOverride answer{{{"SOMNEL_STUB_VERIFY_RESULT", "0"}}};
    EXPECT_EQ(VerifyScreenSaverPassword(owner), FALSE);
  }
  {
    wintest::EnvOverride answer{{{"SOMNEL_STUB_VERIFY_RESULT", "1"}}};
    EXPECT_NE(VerifyScreenSaverPassword(owner), FALSE);
  }
  EXPECT_EQ(Log(), "VerifyScreenSavePwd " + ownerText + " -> 0\r\nVerifyScreenSavePwd " +
                       ownerText + " -> 1\r\n");
  DestroyWindow(owner);
}

TEST_F(VerifyTest, MissingExportLetsTheSaverClose) {
  Use(wintest::WinPath(STUB_PASSWORD_NOEXPORT_DIR));
  wintest::EnvOverride answer{{{"SOMNEL_STUB_VERIFY_RESULT", "0"}}};
  EXPECT_NE(VerifyScreenSaverPassword(nullptr), FALSE);
  EXPECT_EQ(Log(), "");
}

TEST_F(VerifyTest, MissingLibraryLetsTheSaverClose) {
  Use(emptyDir);
  ASSERT_EQ(LoadLibraryA("PASSWORD.CPL"), nullptr) << "the system must not have one of its own";
  EXPECT_NE(VerifyScreenSaverPassword(nullptr), FALSE);
}

TEST_F(VerifyTest, SaverWindowAsksOnlyWhenSecureAndNotAlreadyAsking) {
  Use(wintest::WinPath(STUB_PASSWORD_DIR));
  wintest::EnvOverride answer{{{"SOMNEL_STUB_VERIFY_RESULT", "0"}}};
  cSaverWindow saver;

  saver.m_bSecure = FALSE;
  EXPECT_NE(saver.VerifyPassword(), FALSE);
  EXPECT_EQ(Log(), "") << "not protected: the component is not asked";

  saver.m_bSecure = TRUE;
  saver.m_bSuspended = TRUE;
  EXPECT_EQ(saver.VerifyPassword(), FALSE);
  EXPECT_EQ(Log(), "") << "a second check while one runs is refused at once";

  saver.m_bSuspended = FALSE;
  EXPECT_EQ(saver.VerifyPassword(), FALSE);
  EXPECT_EQ(saver.m_bSuspended, FALSE) << "suspended only during the check";
  EXPECT_EQ(Log(), "VerifyScreenSavePwd 0 -> 0\r\n");
}

}  // namespace
