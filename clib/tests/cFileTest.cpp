#include "clib/cFile.h"

#include <gtest/gtest.h>

#include <string>

#include "clib/tests/TempDir.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

TEST(cErrorTest, SystemCodeIsCapturedOnlyForSystemErrors) {
  cError error;
  EXPECT_EQ(kErrorNone, error.GetError());
  EXPECT_EQ(0u, error.GetSystemError());

  SetLastError(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(kErrorSystem, error.SetError(kErrorSystem));
  EXPECT_TRUE(error.IsSystemError());
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), error.GetSystemError());

  SetLastError(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(kErrorEndOfFile, error.SetError(kErrorEndOfFile));
  EXPECT_FALSE(error.IsSystemError());
  EXPECT_EQ(0u, error.GetSystemError());

  cError other;
  SetLastError(ERROR_ACCESS_DENIED);
  other.SetError(kErrorSystem);
  EXPECT_EQ(kErrorSystem, error.CopyError(other));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), error.GetSystemError());
}

TEST(cFileTest, OpenMissingFileIsSystemErrorWithReason) {
  TempDir dir;
  cFile file;
  EXPECT_EQ(kErrorSystem, file.OpenRead(GENERIC_READ, (dir / "missing.bmp").c_str(), kShareAll));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), file.GetSystemError());
  EXPECT_FALSE(file.IsOpen());
}

TEST(cFileTest, CreateWriteReopenAndReadPastEnd) {
  TempDir dir;
  const std::string path = dir / "data.bin";
  {
    cFile out;
    ASSERT_EQ(kErrorNone, out.Create(FILE_ATTRIBUTE_NORMAL, path.c_str(), FILE_SHARE_READ));
    EXPECT_EQ(5u, out.Write("ZYPS!", 5));
    EXPECT_EQ(kErrorNone, out.GetError());
    EXPECT_EQ(kErrorNone, out.Close());
    EXPECT_FALSE(out.IsOpen());
  }
  EXPECT_EQ("ZYPS!", TempDir::Read(path));

  cFile in;
  ASSERT_EQ(kErrorNone, in.OpenRead(GENERIC_READ, path.c_str(), kShareAll));
  char buf[16] = {};
  EXPECT_EQ(3u, in.Read(buf, 3));
  EXPECT_EQ(kErrorNone, in.GetError());
  EXPECT_EQ(std::string("ZYP"), std::string(buf, 3));
  // A short read is not an error; a read that returns nothing is.
  EXPECT_EQ(2u, in.Read(buf, sizeof(buf)));
  EXPECT_EQ(kErrorNone, in.GetError());
  EXPECT_EQ(0u, in.Read(buf, sizeof(buf)));
  EXPECT_EQ(kErrorEndOfFile, in.GetError());
  EXPECT_FALSE(in.IsSystemError());
}

TEST(cFileTest, CreateTruncatesAnOldFile) {
  TempDir dir;
  const std::string path = dir.Write("old.dat", "old contents");
  cFile out;
  ASSERT_EQ(kErrorNone, out.Create(FILE_ATTRIBUTE_NORMAL, path.c_str(), FILE_SHARE_READ));
  EXPECT_EQ(2u, out.Write("ok", 2));
  out.Close();
  EXPECT_EQ("ok", TempDir::Read(path));
}

TEST(cFileTest, SeekOnClosedFileIsNotOpen) {
  cFile file;
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(-1, file.Seek(0, FILE_BEGIN));
  EXPECT_EQ(kErrorNotOpen, file.GetError());
  EXPECT_EQ(0u, file.GetSystemError());
}

TEST(cFileTest, SeekReportsPositionAndJudgesSuccessByOrigin) {
  TempDir dir;
  const std::string path = dir.Write("seek.bin", "0123456789");
  cFile file;
  ASSERT_EQ(kErrorNone, file.OpenRead(GENERIC_READ, path.c_str(), kShareAll));

  EXPECT_EQ(4, file.Seek(4, FILE_BEGIN));
  EXPECT_EQ(kErrorNone, file.GetError());
  char c = 0;
  file.Read(&c, 1);
  EXPECT_EQ('4', c);

  // From the current position and from the end a success is a success even
  // though the new position differs from the distance.
  EXPECT_EQ(7, file.Seek(2, FILE_CURRENT));
  EXPECT_EQ(kErrorNone, file.GetError());
  EXPECT_EQ(7, file.Seek(-3, FILE_END));
  EXPECT_EQ(kErrorNone, file.GetError());
  file.Read(&c, 1);
  EXPECT_EQ('7', c);

  // Before the start of the file: the system refuses; also when the failure
  // value happens to equal the distance asked for.
  file.Seek(-20, FILE_END);
  EXPECT_EQ(kErrorSystem, file.GetError());
  EXPECT_EQ(static_cast<DWORD>(ERROR_NEGATIVE_SEEK), file.GetSystemError());
  file.Seek(-1, FILE_BEGIN);
  EXPECT_EQ(kErrorSystem, file.GetError());
}

TEST(cFileTest, ReopenClosesThePreviousHandle) {
  TempDir dir;
  const std::string a = dir.Write("a.txt", "A");
  const std::string b = dir.Write("b.txt", "B");
  cFile file;
  ASSERT_EQ(kErrorNone, file.OpenRead(GENERIC_READ, a.c_str(), 0));
  ASSERT_EQ(kErrorNone, file.OpenRead(GENERIC_READ, b.c_str(), 0));
  // a was opened without sharing; it can be deleted only if it was closed.
  EXPECT_TRUE(DeleteFileA(a.c_str()));
  char c = 0;
  file.Read(&c, 1);
  EXPECT_EQ('B', c);
}

TEST(cFileTest, DestructorClosesTheFile) {
  TempDir dir;
  const std::string path = dir.Write("held.txt", "x");
  {
    cFile file;
    ASSERT_EQ(kErrorNone, file.OpenRead(GENERIC_READ, path.c_str(), 0));
    EXPECT_FALSE(DeleteFileA(path.c_str()));
  }
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

struct CopyCase {
  size_t sourceSize;  // bytes in the source after the starting offset
  DWORD count;        // bytes asked to copy
  int error;          // expected result
  size_t copied;      // bytes expected in the output
};

// Offsets and sizes around the 8192-byte chunk.
const CopyCase kCopyCases[] = {
    {20000, 20000, kErrorNone, 20000},       // three chunks, the last one short
    {20000, 16384, kErrorNone, 16384},       // exactly two chunks
    {30000, 8193, kErrorNone, 8193},         // one chunk and one byte
    {100, 100, kErrorNone, 100},             // a single chunk smaller than 8192
    {100, 0, kErrorNone, 0},                 // nothing to copy
    {16384, 20000, kErrorEndOfFile, 16384},  // source ends exactly at a chunk
    {20000, 30000, kErrorEndOfFile, 16384},  // source ends inside the third chunk
    {5000, 6000, kErrorEndOfFile, 0},        // single chunk read short
};

TEST(cFileTest, CopyToCopiesInChunksAndReportsShortSource) {
  const size_t kOffset = 33;
  for (const CopyCase& c : kCopyCases) {
    SCOPED_TRACE(std::to_string(c.sourceSize) + " bytes, copy " + std::to_string(c.count));
    TempDir dir;
    const std::string bytes = PatternBytes(kOffset + c.sourceSize);
    const std::string src = dir.Write("module.scr", bytes);
    const std::string dst = dir / "module.dat";

    cFile in, out;
    ASSERT_EQ(kErrorNone, in.OpenRead(GENERIC_READ, src.c_str(), FILE_SHARE_READ));
    ASSERT_EQ(kErrorNone, out.Create(FILE_ATTRIBUTE_NORMAL, dst.c_str(), FILE_SHARE_READ));
    ASSERT_EQ(static_cast<LONG>(kOffset), in.Seek(kOffset, FILE_BEGIN));
    EXPECT_EQ(c.error, in.CopyTo(out, c.count));
    EXPECT_EQ(c.error, in.GetError());
    out.Close();
    EXPECT_EQ(bytes.substr(kOffset, c.copied), TempDir::Read(dst));
  }
}

TEST(cFileTest, CopyToTakesOverTheWriteError) {
  TempDir dir;
  const std::string src = dir.Write("src.bin", PatternBytes(1000));
  const std::string dst = dir.Write("dst.bin", "");
  cFile in, out;
  ASSERT_EQ(kErrorNone, in.OpenRead(GENERIC_READ, src.c_str(), FILE_SHARE_READ));
  // Opened for reading only: every write fails.
  ASSERT_EQ(kErrorNone, out.OpenRead(GENERIC_READ, dst.c_str(), kShareAll));
  EXPECT_EQ(kErrorSystem, in.CopyTo(out, 1000));
  EXPECT_EQ(kErrorSystem, out.GetError());
  EXPECT_EQ(out.GetSystemError(), in.GetSystemError());
  EXPECT_NE(0u, in.GetSystemError());
}

using cFileDeathTest = ::testing::Test;

TEST(cFileDeathTest, ReadOrWriteOnUnopenedFileIsFatal) {
  cFile file;
  char buf[4];
  EXPECT_EXIT(file.Read(buf, sizeof(buf)), testing::ExitedWithCode(3),
              "Assertion failed: m_Handle != NULL_HANDLE, file .*cFile\\.cpp, line \\d+");
  EXPECT_EXIT(file.Write(buf, sizeof(buf)), testing::ExitedWithCode(3),
              "Assertion failed: m_Handle != NULL_HANDLE");
}

}  // namespace
