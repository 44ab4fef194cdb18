#include "xlib/lib/xreg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A scratch key under HKEY_CURRENT_USER, made for one test and removed after.
class xRegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\SomnelTests\\xreg-" + std::to_string(GetCurrentProcessId());
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const DWORD number = 0xFFFFFFFE;
    RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
    const char text[] = "C:\\Shared\\Vrixs";
    RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
    // Stored without its NUL.
    RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    RegSetValueExA(key, "Binary", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abcd"), 4);
    RegCloseKey(key);
  }
  void TearDown() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SomnelTests");
  }

  std::string path_;
};

TEST_F(xRegTest, OpenAndClose) {
  xreg reg;
  EXPECT_NE(nullptr, xRegOpen(reg, HKEY_CURRENT_USER, path_.c_str()));
  EXPECT_NE(nullptr, reg.hKey);
  xRegClose(reg);
  EXPECT_EQ(nullptr, reg.hKey);
  EXPECT_EQ(nullptr, xRegOpen(reg, HKEY_CURRENT_USER, (path_ + "\\Missing").c_str()));
  EXPECT_EQ(nullptr, reg.hKey);
}

TEST_F(xRegTest, GetIntReadsDwordOrGivesDefault) {
  xreg reg;
  ASSERT_NE(nullptr, xRegOpen(reg, HKEY_CURRENT_USER, path_.c_str()));
  EXPECT_EQ(-2, xRegGetInt(&reg, "Number", 7));
  EXPECT_EQ(7, xRegGetInt(&reg, "Missing", 7));
  EXPECT_EQ(7, xRegGetInt(&reg, "Text", 7));    // not a number
  EXPECT_EQ(7, xRegGetInt(&reg, "Binary", 7));  // four bytes, but not a DWORD
  xRegClose(reg);
}

TEST_F(xRegTest, GetStringReadsOrGivesDefault) {
  xreg reg;
  ASSERT_NE(nullptr, xRegOpen(reg, HKEY_CURRENT_USER, path_.c_str()));
  char buf[64];

  EXPECT_EQ(16, xRegGetString(&reg, "Text", "def", buf, sizeof(buf)));
  EXPECT_STREQ("C:\\Shared\\Vrixs", buf);

  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(0, xRegGetString(&reg, "Missing", "default dir", buf, sizeof(buf)));
  EXPECT_STREQ("default dir", buf);

  EXPECT_EQ(0, xRegGetString(&reg, "Number", "def", buf, sizeof(buf)));
  EXPECT_STREQ("def", buf);

  EXPECT_EQ(0, xRegGetString(&reg, "Missing", nullptr, buf, sizeof(buf)));
  EXPECT_STREQ("", buf);

  // A value stored without its NUL is still terminated. The size is the
  // registry's: with or without a NUL added on the way to narrow text.
  std::memset(buf, '#', sizeof(buf));
  const int bare = xRegGetString(&reg, "Bare", "def", buf, sizeof(buf));
  EXPECT_TRUE(bare == 3 || bare == 4) << bare;
  EXPECT_STREQ("abc", buf);
  xRegClose(reg);
}

TEST_F(xRegTest, GetStringStaysInsideTheBuffer) {
  xreg reg;
  ASSERT_NE(nullptr, xRegOpen(reg, HKEY_CURRENT_USER, path_.c_str()));
  char buf[12];
  // The value needs 16 bytes: it does not fit, so the default comes back,
  // cut to the buffer.
  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(0, xRegGetString(&reg, "Text", "a longer default text", buf, 8));
  EXPECT_STREQ("a longe", buf);
  EXPECT_EQ('#', buf[8]);
  xRegClose(reg);
}

TEST_F(xRegTest, GetStringTakesAValueThatFillsTheBufferExactly) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_SET_VALUE, &key));
  // Seven characters and the NUL: eight bytes.
  RegSetValueExA(key, "Seven", 0, REG_SZ, reinterpret_cast<const BYTE*>("1234567"), 8);
  RegCloseKey(key);
  xreg reg;
  ASSERT_NE(nullptr, xRegOpen(reg, HKEY_CURRENT_USER, path_.c_str()));
  char buf[9];
  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(8, xRegGetString(&reg, "Seven", "def", buf, 8));
  EXPECT_STREQ("1234567", buf);
  EXPECT_EQ('#', buf[8]);
  // One byte less and it no longer fits.
  EXPECT_EQ(0, xRegGetString(&reg, "Seven", "def", buf, 7));
  EXPECT_STREQ("def", buf);
  xRegClose(reg);
}

using xRegDeathTest = ::testing::Test;

TEST(xRegDeathTest, ValueWithoutKeyIsFatal) {
  xreg reg;
  char buf[8];
  EXPECT_EXIT(xRegGetInt(&reg, "x", 0), testing::ExitedWithCode(3),
              "Assertion failed: reg->hKey != NULL, file .*xreg\\.cpp");
  EXPECT_EXIT(xRegGetString(&reg, "x", "", buf, sizeof(buf)), testing::ExitedWithCode(3),
              "Assertion failed: reg->hKey != NULL");
}

}  // namespace
