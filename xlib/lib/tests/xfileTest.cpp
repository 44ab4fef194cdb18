#include "xlib/lib/xfile.h"

#include <gtest/gtest.h>

#include <string>

#include "clib/tests/TempDir.h"

namespace {

TEST(xFileTest, OpenMissingGivesNoRecord) {
  TempDir dir;
  EXPECT_EQ(nullptr, xFileOpen((dir / "missing").c_str(), GENERIC_READ, FILE_SHARE_READ));
}

TEST(xFileTest, ReadSeekAndClose) {
  TempDir dir;
  const std::string bytes = PatternBytes(3000);
  const std::string path = dir.Write("picture.scr", bytes);
  xfile* file = xFileOpen(path.c_str(), GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(nullptr, file);

  char buf[64];
  DWORD count = 10;
  EXPECT_EQ(10, xFileRead(file, buf, count));
  EXPECT_EQ(10u, count);
  EXPECT_EQ(bytes.substr(0, 10), std::string(buf, 10));

  EXPECT_EQ(2990u, xFileSeek(file, 2990, FILE_BEGIN));
  count = sizeof(buf);
  EXPECT_EQ(10, xFileRead(file, buf, count));  // short read at the end
  EXPECT_EQ(10u, count);
  EXPECT_EQ(bytes.substr(2990), std::string(buf, 10));
  count = sizeof(buf);
  EXPECT_EQ(0, xFileRead(file, buf, count));
  EXPECT_EQ(0u, count);

  EXPECT_EQ(2000u, xFileSeek(file, -1000, FILE_END));
  EXPECT_EQ(static_cast<DWORD>(INVALID_SET_FILE_POINTER), xFileSeek(file, -5000, FILE_END));

  xFileClose(file);
  // Closed: the file can now be deleted.
  EXPECT_TRUE(xFileDelete(path.c_str()));
  EXPECT_FALSE(xFileDelete(path.c_str()));
}

TEST(xFileTest, ReadFailureGivesMinusOne) {
  TempDir dir;
  const std::string path = dir.Write("w.bin", "abc");
  // Opened for writing only: reading fails.
  xfile* file = xFileOpen(path.c_str(), GENERIC_WRITE, 0);
  ASSERT_NE(nullptr, file);
  char buf[4];
  DWORD count = sizeof(buf);
  EXPECT_EQ(-1, xFileRead(file, buf, count));
  EXPECT_EQ(0u, count);
  xFileClose(file);
}

TEST(xFileTest, AllocZeroGivesZeroedMemory) {
  const size_t size = 100000;
  unsigned char* block = static_cast<unsigned char*>(xAllocZero(size));
  ASSERT_NE(nullptr, block);
  size_t nonZero = 0;
  for (size_t i = 0; i < size; ++i) nonZero += block[i] != 0;
  EXPECT_EQ(0u, nonZero);
  xFree(block);
  EXPECT_EQ(nullptr, xAllocZero(static_cast<size_t>(-1)));
}

using xFileDeathTest = ::testing::Test;

TEST(xFileDeathTest, MisuseIsFatal) {
  char buf[4];
  DWORD count = sizeof(buf);
  EXPECT_EXIT(xFileRead(nullptr, buf, count), testing::ExitedWithCode(3),
              "Assertion failed: file != NULL && file->handle != INVALID_HANDLE_VALUE, file "
              ".*xfile\\.cpp, line \\d+");
  xfile closed{INVALID_HANDLE_VALUE};
  EXPECT_EXIT(xFileSeek(&closed, 0, FILE_BEGIN), testing::ExitedWithCode(3),
              "Assertion failed: file != NULL && file->handle != INVALID_HANDLE_VALUE");
  EXPECT_EXIT(xFileClose(nullptr), testing::ExitedWithCode(3),
              "Assertion failed: file != NULL, file .*xfile\\.cpp");
}

}  // namespace
