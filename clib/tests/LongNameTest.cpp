#include "clib/LongName.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "clib/Path.h"
#include "clib/tests/TempDir.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

TEST(LongNameTest, NameComesFromTheDirectoryEntry) {
  TempDir dir;
  dir.Write("My Long Picture Name.jpeg", "x");
  // The file system matches without regard to case; the stored spelling wins.
  const std::string asked = dir.path() + "\\" + Upper("My Long Picture Name.jpeg");
  char out[kMaxPath];
  EXPECT_TRUE(LongName(asked.c_str(), out));
  EXPECT_STREQ("My Long Picture Name.jpeg", out);
}

TEST(LongNameTest, ShortNameLeadsToTheLongOne) {
  TempDir dir;
  const std::string file = dir.Write("Somnel Screen Saver.scr", "x");
  char shortPath[MAX_PATH] = {};
  const DWORD len = GetShortPathNameA(file.c_str(), shortPath, MAX_PATH);
  if (len == 0 || len >= MAX_PATH || file == shortPath) {
    GTEST_SKIP() << "no short names on this file system";
  }
  char out[kMaxPath];
  EXPECT_TRUE(LongName(shortPath, out));
  EXPECT_STREQ("Somnel Screen Saver.scr", out);
}

TEST(LongNameTest, MissingFileGivesTheNamePart) {
  TempDir dir;
  char out[kMaxPath];
  EXPECT_FALSE(LongName((dir / "Not There.bmp").c_str(), out));
  EXPECT_STREQ("Not There.bmp", out);
}

TEST(LongNameTest, PlainDirectoryIsNotAFile) {
  TempDir dir;
  const std::string sub = dir / "Sub Folder";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  char out[kMaxPath];
  EXPECT_FALSE(LongName(Upper(sub).c_str(), out));
  EXPECT_STREQ("SUB FOLDER", out);
}

}  // namespace
