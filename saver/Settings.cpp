#include "saver/Settings.h"

#include <cstdio>
#include <cstring>

#include "clib/Path.h"
#include "saver/KeyNames.h"
#include "saver/SettingNumber.h"
#include "saver/zyPak.h"

bool UserSettingsPath(const char* modulePath, char* out) {
  if (std::strlen(modulePath) >= static_cast<size_t>(kMaxPath)) {
    out[0] = '\0';
    return false;
  }
  std::strcpy(out, modulePath);
  return ReplaceExtension(out, ".ini");
}

void ReadUserSettings(zyPak& pak, const char* settingsFile) {
  // Read as text: the integer profile function wraps numbers past 32 bits.
  // A missing or empty value keeps the one held, as that function does.
  char sound[32];
  GetPrivateProfileStringA("Screensaver", "Sound", "", sound, sizeof sound, settingsFile);
  if (sound[0] != '\0') pak.m_Sound = SettingNumber(sound);
  GetPrivateProfileStringA("Photo", "File", "", pak.m_PicturePath, kMaxPath, settingsFile);
}

void ReadUserSettings(zyPak& pak) {
  char settingsFile[kMaxPath];
  if (UserSettingsPath(zyModulePath(), settingsFile)) ReadUserSettings(pak, settingsFile);
}

bool WriteUserSettings(const zyPak& pak, const char* settingsFile) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(pak.m_Sound));
  return WritePrivateProfileStringA("Screensaver", "Sound", text, settingsFile) != FALSE;
}

bool WriteUserSettings(const zyPak& pak) {
  char settingsFile[kMaxPath];
  if (!UserSettingsPath(zyModulePath(), settingsFile)) return false;
  return WriteUserSettings(pak, settingsFile);
}

uint32_t ReadKeyCode(const char* section, const char* key, const char* fileName) {
  char name[kMaxKeyNameLength + 1];
  GetPrivateProfileStringA(section, key, "", name, sizeof name, fileName);
  return KeyCodeFromName(name);
}

UINT ReadFlag(uint32_t& word, uint32_t bit, const char* section, const char* key,
              const char* fileName) {
  UINT value = GetPrivateProfileIntA(section, key, 0, fileName);
  if (value)
    word |= bit;
  else
    word &= ~bit;
  return value;
}

void ReadProjectKeys(PayloadTrailer& trailer, const char* fileName) {
  ReadFlag(trailer.flags, kFlagExternal, "Settings", "External", fileName);
  ReadFlag(trailer.flags, kFlagForceMaximize, "Settings", "ForceMaximize", fileName);
  ReadFlag(trailer.flags, kFlagRunPreview, "Settings", "RunPreview", fileName);
  ReadFlag(trailer.flags, kFlagTwoWaySound, "Settings", "TwoWaySound", fileName);
  ReadFlag(trailer.flags, kFlagThreeWaySound, "Settings", "ThreeWaySound", fileName);

  char key[16];
  for (int i = 0; i < kInteractiveKeyCount; ++i) {
    std::snprintf(key, sizeof key, "Key%d", i + 1);
    trailer.interactiveKeys[i] = ReadKeyCode("Interactive", key, fileName);
  }
  ReadFlag(trailer.interactiveFlags, kInteractiveOnMouse, "Interactive", "OnMouse", fileName);
  ReadFlag(trailer.interactiveFlags, kInteractiveOnKey, "Interactive", "OnKey", fileName);

  for (int i = 0; i < kExecuteKeyCount; ++i) {
    std::snprintf(key, sizeof key, "Key%d", i + 1);
    trailer.executeKeys[i] = ReadKeyCode("Execute", key, fileName);
    std::snprintf(key, sizeof key, "Command%d", i + 1);
    // The profile function cuts the text to 299 characters and ends it with NUL.
    GetPrivateProfileStringA("Execute", key, "", trailer.commands[i],
                             static_cast<DWORD>(kCommandFieldSize), fileName);
  }
}

void ReadProjectKeys(zyPak& pak, const char* fileName) {
  ReadProjectKeys(pak.m_Trailer, fileName);
}
