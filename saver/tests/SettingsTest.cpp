#include "saver/Settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "saver/tests/WinTestUtil.h"
#include "saver/zyPak.h"

namespace {

using wintest::ScratchDir;

TEST(SettingsTest, UserSettingsFileIsTheModulePathWithIni) {
  char out[kMaxPath];
  ASSERT_TRUE(UserSettingsPath("C:\\Savers\\Beach Saver.scr", out));
  EXPECT_STREQ(out, "C:\\Savers\\Beach Saver.ini");
  ASSERT_TRUE(UserSettingsPath("C:\\Savers\\Saver", out));
  EXPECT_STREQ(out, "C:\\Savers\\Saver.ini");
}

TEST(SettingsTest, NoSettingsFileGivesTheDefaults) {
  ScratchDir dir;
  zyPak pak;
  ReadUserSettings(pak, (dir / "missing.ini").c_str());
  EXPECT_EQ(pak.m_Sound, kSoundAlways);
  EXPECT_STREQ(pak.m_PicturePath, "");
}

TEST(SettingsTest, ReadsSoundAndPicture) {
  ScratchDir dir;
  const std::string ini = dir / "Saver.ini";
  ASSERT_TRUE(wintest::WriteFileText(
      ini, "[Screensaver]\r\nSound=1\r\n[Photo]\r\nFile=C:\\Pictures\\beach.jpg\r\n"));
  zyPak pak;
  ReadUserSettings(pak, ini.c_str());
  EXPECT_EQ(pak.m_Sound, kSoundOnce);
  EXPECT_STREQ(pak.m_PicturePath, "C:\\Pictures\\beach.jpg");
}

TEST(SettingsTest, MissingSoundKeepsTheValueHeldAndOddValuesAreKept) {
  ScratchDir dir;
  const std::string ini = dir / "Saver.ini";
  ASSERT_TRUE(wintest::WriteFileText(ini, "[Photo]\r\nFile=x.bmp\r\n"));
  zyPak pak;
  pak.m_Sound = kSoundNever;
  ReadUserSettings(pak, ini.c_str());
  EXPECT_EQ(pak.m_Sound, kSoundNever);

  ASSERT_TRUE(wintest::WriteFileText(ini, "[Screensaver]\r\nSound=7\r\n"));
  ReadUserSettings(pak, ini.c_str());
  EXPECT_EQ(pak.m_Sound, 7) << "sound values are not range-checked";
  EXPECT_STREQ(pak.m_PicturePath, "") << "a missing picture key clears the picture";
}

TEST(SettingsTest, SoundPastTheIntegerRangeIsHeldAtItsEndsNotWrapped) {
  ScratchDir dir;
  const std::string ini = dir / "Saver.ini";
  const struct {
    const char* text;
    int32_t sound;
  } cases[] = {{"999999999999", INT32_MAX}, {"-999999999999", INT32_MIN}, {"2", kSoundNever}};
  for (const auto& c : cases) {
    ASSERT_TRUE(wintest::WriteFileText(ini, std::string("[Screensaver]\r\nSound=") + c.text));
    zyPak pak;
    ReadUserSettings(pak, ini.c_str());
    EXPECT_EQ(pak.m_Sound, c.sound) << c.text;
  }
}

TEST(SettingsTest, WritesSoundAsDecimalText) {
  ScratchDir dir;
  const std::string ini = dir / "Saver.ini";
  ASSERT_TRUE(wintest::WriteFileText(ini, "[Photo]\r\nFile=keep.bmp\r\n"));
  zyPak pak;
  pak.m_Sound = kSoundNever;
  EXPECT_TRUE(WriteUserSettings(pak, ini.c_str()));
  char text[32];
  GetPrivateProfileStringA("Screensaver", "Sound", "", text, sizeof text, ini.c_str());
  EXPECT_STREQ(text, "2");
  GetPrivateProfileStringA("Photo", "File", "", text, sizeof text, ini.c_str());
  EXPECT_STREQ(text, "keep.bmp") << "other keys stay";

  zyPak again;
  ReadUserSettings(again, ini.c_str());
  EXPECT_EQ(again.m_Sound, kSoundNever);
}

TEST(SettingsTest, AWriteThatFailsSaysSo) {
  ScratchDir dir;
  // A folder where the file would be: it cannot be written, root or not.
  const std::string ini = dir / "Saver.ini";
  ASSERT_TRUE(CreateDirectoryA(ini.c_str(), nullptr));
  zyPak pak;
  pak.m_Sound = kSoundOnce;
  EXPECT_FALSE(WriteUserSettings(pak, ini.c_str()));
  EXPECT_FALSE(WriteUserSettings(pak, (dir / "missing\\Saver.ini").c_str()));
}

TEST(SettingsTest, KeyCodesThroughTheProfileFile) {
  ScratchDir dir;
  const std::string file = dir / "project.ini";
  struct Case {
    const char* value;
    uint32_t code;
  } cases[] = {
      {"Caps Lock", 20}, {"caps lock", 20}, {"CAPS LOCK", 20}, {"Caps", 67},
      {"v", 86},         {"V", 86},         {"", 0},           {"Esc", 27},
      {"0", 48},         {"F12", 123},      {"return", 13},    {"Tab", 9},
  };
  std::string text = "[Interactive]\r\n";
  int n = 0;
  for (const Case& c : cases) text += "Key" + std::to_string(++n) + "=" + c.value + "\r\n";
  ASSERT_TRUE(wintest::WriteFileText(file, text));
  n = 0;
  for (const Case& c : cases) {
    const std::string key = "Key" + std::to_string(++n);
    EXPECT_EQ(ReadKeyCode("Interactive", key.c_str(), file.c_str()), c.code)
        << key << "=\"" << c.value << '"';
  }
  EXPECT_EQ(ReadKeyCode("Interactive", "Key99", file.c_str()), 0u) << "missing key";
  EXPECT_EQ(ReadKeyCode("Execute", "Key1", file.c_str()), 0u) << "missing section";
}

TEST(SettingsTest, ReadFlagSetsAndClearsOnlyItsBit) {
  ScratchDir dir;
  const std::string file = dir / "project.ini";
  ASSERT_TRUE(wintest::WriteFileText(file, "[Settings]\r\nOn=5\r\nOff=0\r\nText=abc\r\n"));
  struct Case {
    const char* key;
    uint32_t before;
    uint32_t after;
    UINT returned;
  } cases[] = {
      {"On", 0xF0F0u, 0xF0F4u, 5},  {"On", 0xF0F4u, 0xF0F4u, 5},      {"Off", 0xF0F4u, 0xF0F0u, 0},
      {"Off", 0x0F0Bu, 0x0F0Bu, 0}, {"Missing", 0xFFFFu, 0xFFFBu, 0}, {"Text", 0x4u, 0x0u, 0},
  };
  for (const Case& c : cases) {
    uint32_t word = c.before;
    EXPECT_EQ(ReadFlag(word, 4, "Settings", c.key, file.c_str()), c.returned) << c.key;
    EXPECT_EQ(word, c.after) << c.key << " from " << std::hex << c.before;
  }
}

TEST(SettingsTest, ProjectKeysFillTheTrailerFields) {
  ScratchDir dir;
  const std::string file = dir / "project.ini";
  const std::string longCommand(350, 'L');
  ASSERT_TRUE(wintest::WriteFileText(
      file,
      "[Settings]\r\nExternal=0\r\nForceMaximize=1\r\nRunPreview=1\r\nTwoWaySound=0\r\n"
      "ThreeWaySound=2\r\n"
      "[Interactive]\r\nKey1=\r\nKey2=Space\r\nKey20=F1\r\nOnMouse=0\r\nOnKey=1\r\n"
      "[Execute]\r\nKey1=F5\r\nCommand1=notepad.exe readme.txt\r\nKey4=x\r\nCommand4=" +
          longCommand + "\r\n"));
  PayloadTrailer t;
  std::memset(&t, 0x11, sizeof t);  // every field not named keeps these bytes
  t.flags = kFlagExternal | kFlagTwoWaySound | 0x80u;
  t.interactiveFlags = kInteractiveOnMouse | 0x100u;
  ReadProjectKeys(t, file.c_str());

  EXPECT_EQ(t.magic, 0x11111111u);
  EXPECT_EQ(t.playerStart, 0x11111111u);
  EXPECT_EQ(t.flags, kFlagForceMaximize | kFlagRunPreview | kFlagThreeWaySound | 0x80u);
  EXPECT_EQ(t.interactiveFlags, kInteractiveOnKey | 0x100u);
  EXPECT_EQ(t.interactiveKeys[0], 0u) << "an empty Key1 gives 0";
  EXPECT_EQ(t.interactiveKeys[1], 32u);
  EXPECT_EQ(t.interactiveKeys[2], 0u) << "missing keys give 0";
  EXPECT_EQ(t.interactiveKeys[19], 112u);
  EXPECT_EQ(t.executeKeys[0], 116u);
  EXPECT_EQ(t.executeKeys[1], 0u);
  EXPECT_EQ(t.executeKeys[3], 88u);
  EXPECT_EQ(TrailerCommand(t, 0), "notepad.exe readme.txt");
  EXPECT_EQ(TrailerCommand(t, 1), "");
  EXPECT_EQ(TrailerCommand(t, 3), std::string(kMaxCommandLength, 'L'))
      << "a command is cut to its field";
}

}  // namespace
