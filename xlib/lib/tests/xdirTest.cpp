#include "xlib/lib/xdir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "clib/tests/TempDir.h"

namespace {

std::set<std::string> FindAll(const std::string& pattern, DWORD filter) {
  std::set<std::string> names;
  xff search;
  if (xDirFindFirst(search, pattern.c_str(), filter)) {
    do {
      names.insert(search.data.cFileName);
    } while (xDirFindNext(search));
  }
  xDirFindEnd(search);
  EXPECT_EQ(INVALID_HANDLE_VALUE, search.handle);
  return names;
}

TEST(xDirTest, WildcardSearchAppliesTheFilter) {
  TempDir dir;
  dir.Write("a.bmp", "a");
  dir.Write("b.jpg", "b");
  ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA((dir / "sub").c_str(), FILE_ATTRIBUTE_DIRECTORY));

  EXPECT_EQ((std::set<std::string>{"a.bmp", "b.jpg"}), FindAll(dir / "*", kFilterFiles));
  EXPECT_EQ((std::set<std::string>{"sub"}), FindAll(dir / "*", kFilterDirectories));
  // Filter 0 takes every entry except "." and "..".
  EXPECT_EQ((std::set<std::string>{"a.bmp", "b.jpg", "sub"}), FindAll(dir / "*", 0));
  EXPECT_EQ((std::set<std::string>{"b.jpg"}), FindAll(dir / "*.jpg", kFilterFiles));
  EXPECT_TRUE(FindAll(dir / "*.gif", 0).empty());
}

TEST(xDirTest, FileAndDirectoryExistence) {
  TempDir dir;
  const std::string file = dir.Write("photo.jpg", "x");
  const std::string sub = dir / "plain";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_DIRECTORY));
  ASSERT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA(sub.c_str()));

  EXPECT_EQ(1, xFileExists(file.c_str()));
  EXPECT_EQ(0, xDirExists(file.c_str()));
  EXPECT_EQ(1, xDirExists(sub.c_str()));
  EXPECT_EQ(0, xFileExists(sub.c_str()));  // a plain directory is no file
  EXPECT_EQ(0, xFileExists((dir / "other.jpg").c_str()));
  EXPECT_EQ(0, xDirExists((dir / "other").c_str()));
}

// A directory counts as a file when it carries one of the file bits. Which
// bits a file system keeps on a directory varies (Wine keeps system and
// hidden but drops read-only and archive), so each case asserts on the bits
// the search really reports, and at least one file bit must show.
TEST(xDirTest, DirectoryCountsAsFileOnlyWithAFileBit) {
  struct Case {
    DWORD bit;
    bool fileBit;
  };
  const Case cases[] = {
      {FILE_ATTRIBUTE_READONLY, true},
      {FILE_ATTRIBUTE_ARCHIVE, true},
      {FILE_ATTRIBUTE_SYSTEM, true},
      {FILE_ATTRIBUTE_HIDDEN, false},
  };
  int fileBitsShown = 0;
  int otherBitsShown = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bit);
    TempDir dir;
    const std::string sub = dir / "marked";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_DIRECTORY | c.bit));
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(sub.c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    FindClose(h);
    const bool kept = (data.dwFileAttributes & c.bit) != 0;
    EXPECT_EQ(kept && c.fileBit ? 1 : 0, xFileExists(sub.c_str()));
    EXPECT_EQ(1, xDirExists(sub.c_str()));
    (c.fileBit ? fileBitsShown : otherBitsShown) += kept;
  }
  EXPECT_GT(fileBitsShown, 0);
  EXPECT_GT(otherBitsShown, 0);
}

TEST(xDirTest, FindFirstEndsAnOpenSearch) {
  TempDir dir;
  dir.Write("one.txt", "1");
  dir.Write("two.txt", "2");
  xff search;
  ASSERT_EQ(1, xDirFindFirst(search, (dir / "*").c_str(), kFilterFiles));
  ASSERT_EQ(1, xDirFindFirst(search, (dir / "two.txt").c_str(), kFilterFiles));
  EXPECT_STREQ("two.txt", search.data.cFileName);
  EXPECT_EQ(0, xDirFindNext(search));
  xDirFindEnd(search);
  xDirFindEnd(search);  // twice is harmless
  EXPECT_EQ(INVALID_HANDLE_VALUE, search.handle);
}

TEST(xDirTest, NothingFoundLeavesNoHandle) {
  TempDir dir;
  xff search;
  EXPECT_EQ(0, xDirFindFirst(search, (dir / "*.none").c_str(), 0));
  EXPECT_EQ(INVALID_HANDLE_VALUE, search.handle);
  // Only "." and ".." would match: they never pass.
  EXPECT_EQ(0, xDirFindFirst(search, (dir / "*").c_str(), 0));
  EXPECT_EQ(INVALID_HANDLE_VALUE, search.handle);
}

using xDirDeathTest = ::testing::Test;

TEST(xDirDeathTest, FindNextWithoutSearchIsFatal) {
  xff search;
  EXPECT_EXIT(xDirFindNext(search), testing::ExitedWithCode(3),
              "Assertion failed: xff->handle != INVALID_HANDLE_VALUE, file .*xdir\\.cpp");
}

}  // namespace
