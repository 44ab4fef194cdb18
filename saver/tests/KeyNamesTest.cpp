#include "saver/KeyNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(KeyNamesTest, NameToCode) {
  struct Case {
    const char* name;
    uint32_t code;
  } cases[] = {
      {"", 0},        {"Shift", 16},     {"ctrl", 17},       {"ALT", 18},       {"Enter", 13},
      {"return", 13}, {"Escape", 27},    {"esc", 27},        {"Space", 32},     {"Backspace", 8},
      {"Tab", 9},     {"Caps Lock", 20}, {"caps lock", 20},  {"CAPS LOCK", 20}, {"cApS lOcK", 20},
      {"Caps", 67},   {"CapsLock", 67},  {"F1", 112},        {"f5", 116},       {"F10", 121},
      {"F12", 123},   {"F13", 70},       {"v", 86},          {"V", 86},         {"0", 48},
      {"9", 57},      {" ", 32},         {"Enterprise", 69}, {"Shiftx", 83},    {"tab ", 84},
      {"[", 91},      {"\xE9", 0xE9},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyCodeFromName(c.name), c.code) << '"' << c.name << '"';
}

TEST(KeyNamesTest, NullNameGivesZero) {
  EXPECT_EQ(KeyCodeFromName(nullptr), 0u);
}

TEST(KeyNamesTest, TableHasTheTwentyThreeNamesInOrder) {
  ASSERT_EQ(kKeyNameCount, 23);
  const char* order[] = {"Shift", "Ctrl",  "Alt",       "Enter", "Return",   "Escape",
                         "Esc",   "Space", "Backspace", "Tab",   "Caps Lock"};
  for (int i = 0; i < 11; ++i) EXPECT_STREQ(kKeyNames[i].name, order[i]);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(kKeyNames[11 + i].name, "F" + std::to_string(i + 1));
    EXPECT_EQ(kKeyNames[11 + i].code, 112u + i);
  }
}

TEST(KeyNamesTest, LongValuesAreLookedAtUpTo31Characters) {
  // Only the first character decides once the text is no table name.
  EXPECT_EQ(KeyCodeFromName(std::string(200, 'q').c_str()), 81u);
}

TEST(KeyNamesTest, ValidNamesForTheBuilder) {
  struct Case {
    const char* name;
    bool valid;
  } cases[] = {
      {"", true},    {"a", true},         {"7", true},        {"F12", true},
      {"esc", true}, {"caps lock", true}, {"Caps", false},    {"F13", false},
      {"ab", false}, {"Escape ", false},  {"Page Up", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidKeyName(c.name), c.valid) << '"' << c.name << '"';
}

TEST(KeyNamesTest, CodeToNameForListings) {
  char buffer[2];
  EXPECT_STREQ(KeyNameFromCode(13, buffer), "Enter");
  EXPECT_STREQ(KeyNameFromCode(27, buffer), "Escape");
  EXPECT_STREQ(KeyNameFromCode(20, buffer), "Caps Lock");
  EXPECT_STREQ(KeyNameFromCode(123, buffer), "F12");
  EXPECT_STREQ(KeyNameFromCode(86, buffer), "V");
  EXPECT_STREQ(KeyNameFromCode(48, buffer), "0");
  EXPECT_EQ(KeyNameFromCode(0, buffer), nullptr);
  EXPECT_EQ(KeyNameFromCode(200, buffer), nullptr);
  // Every table name maps back to a name with the same code.
  for (int i = 0; i < kKeyNameCount; ++i)
    EXPECT_EQ(KeyCodeFromName(KeyNameFromCode(kKeyNames[i].code, buffer)), kKeyNames[i].code);
}

}  // namespace
