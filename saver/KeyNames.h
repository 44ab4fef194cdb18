// Key-name notation of the settings and project files: a key is written as
// one of a few names ("Caps Lock", "F5", ...) or as a single character.
#pragma once

#include <cstdint>

// Longest key name that is looked at; longer values are cut to this length.
constexpr int kMaxKeyNameLength = 31;

// Virtual-key code for a key name: the first table name equal to `name`
// without regard to case, else 0 for an empty name, else the upper-case form
// of the first character (so "v" and "V" give 86 and "Caps" gives 67).
uint32_t KeyCodeFromName(const char* name);

// True when `name` is empty, a table name, or exactly one character: the
// names a builder accepts. Anything else would silently become its first letter.
bool IsValidKeyName(const char* name);

// A name for a virtual-key code, for listings: the first table name with that
// code, the character itself for printable ASCII, else nullptr.
// `buffer` (at least 2 bytes) holds a single-character name.
const char* KeyNameFromCode(uint32_t code, char* buffer);

// The table, in its order of precedence.
struct KeyNameEntry {
  const char* name;
  uint32_t code;
};
extern const KeyNameEntry kKeyNames[];
extern const int kKeyNameCount;
