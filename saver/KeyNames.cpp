#include "saver/KeyNames.h"

#include <cstring>

const KeyNameEntry kKeyNames[] = {
    {"Shift", 16},     {"Ctrl", 17}, {"Alt", 18},   {"Enter", 13},    {"Return", 13},
    {"Escape", 27},    {"Esc", 27},  {"Space", 32}, {"Backspace", 8}, {"Tab", 9},
    {"Caps Lock", 20}, {"F1", 112},  {"F2", 113},   {"F3", 114},      {"F4", 115},
    {"F5", 116},       {"F6", 117},  {"F7", 118},   {"F8", 119},      {"F9", 120},
    {"F10", 121},      {"F11", 122}, {"F12", 123},
};
const int kKeyNameCount = sizeof kKeyNames / sizeof kKeyNames[0];

namespace {

// ASCII only: the profile text is in the ANSI code page and the names are ASCII.
char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(const char* a, const char* b, size_t aLength) {
  size_t i = 0;
  for (; i < aLength && b[i]; ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return i == aLength && b[i] == '\0';
}

size_t NameLength(const char* name) {
  size_t length = 0;
  while (length < static_cast<size_t>(kMaxKeyNameLength) && name[length]) ++length;
  return length;
}

const KeyNameEntry* FindName(const char* name, size_t length) {
  for (int i = 0; i < kKeyNameCount; ++i)
    if (EqualNoCase(name, kKeyNames[i].name, length)) return &kKeyNames[i];
  return nullptr;
}

}  // namespace

uint32_t KeyCodeFromName(const char* name) {
  if (!name || !name[0]) return 0;
  const size_t length = NameLength(name);
  if (const KeyNameEntry* entry = FindName(name, length)) return entry->code;
  return static_cast<unsigned char>(UpperAscii(name[0]));
}

bool IsValidKeyName(const char* name) {
  if (!name || !name[0]) return true;
  if (!name[1]) return true;
  const size_t length = std::strlen(name);
  return length <= static_cast<size_t>(kMaxKeyNameLength) && FindName(name, length) != nullptr;
}

const char* KeyNameFromCode(uint32_t code, char* buffer) {
  for (int i = 0; i < kKeyNameCount; ++i)
    if (kKeyNames[i].code == code) return kKeyNames[i].name;
  if (code > 32 && code < 127) {
    buffer[0] = static_cast<char>(code);
    buffer[1] = '\0';
    return buffer;
  }
  return nullptr;
}
