// The saver's settings files, read and written only through the system's
// profile functions: the user settings file beside the program, and the
// builder's project keys, which fill the same fields as the trailer.
#pragma once

#include <windows.h>

#include <cstdint>

#include "saver/PayloadTrailer.h"

class zyPak;

// The user settings file of a program: its path with the extension ".ini".
// False (and an empty out) when the path does not fit kMaxPath.
bool UserSettingsPath(const char* modulePath, char* out);

// [Screensaver] Sound (default: the value held) and [Photo] File (default "").
void ReadUserSettings(zyPak& pak);
void ReadUserSettings(zyPak& pak, const char* settingsFile);
// [Screensaver] Sound as decimal text. False when it could not be written
// (the folder is read-only, the file's name is taken, the disk is full, or
// the program's path leaves no room for the file's): the caller tells the
// user, whose choice would otherwise be lost unseen.
bool WriteUserSettings(const zyPak& pak);
bool WriteUserSettings(const zyPak& pak, const char* settingsFile);

// The [Settings], [Interactive] and [Execute] keys of a project file, in this
// order: the five flags; Key1..Key20; OnMouse, OnKey; Key<n> and Command<n>
// for n = 1..4. Only the fields named are changed.
void ReadProjectKeys(PayloadTrailer& trailer, const char* fileName);
void ReadProjectKeys(zyPak& pak, const char* fileName);

// A virtual-key code by the key-name notation; 0 when the key is missing.
uint32_t ReadKeyCode(const char* section, const char* key, const char* fileName);

// Sets bit in word when the integer key is non-zero, clears it when zero
// (default 0); other bits are left alone. Returns the value read.
UINT ReadFlag(uint32_t& word, uint32_t bit, const char* section, const char* key,
              const char* fileName);
