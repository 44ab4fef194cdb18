#include "xlib/lib/xdirfilter.h"

#include <gtest/gtest.h>

namespace {

// Attribute bits as the system reports them.
constexpr DWORD kReadOnly = 0x1;
constexpr DWORD kHidden = 0x2;
constexpr DWORD kSystem = 0x4;
constexpr DWORD kDirectory = 0x10;
constexpr DWORD kArchive = 0x20;
constexpr DWORD kNormal = 0x80;
constexpr DWORD kCompressed = 0x800;

struct Case {
  DWORD filter;
  DWORD attributes;
  const char* name;
  bool passes;
};

const Case kCases[] = {
    // Filter 0 takes everything but "." and "..".
    {0, kDirectory, "sub", true},
    {0, 0, "plain", true},
    {0, kDirectory, ".", false},
    {0, kDirectory, "..", false},
    // The file filter: any shared bit.
    {kFilterFiles, kArchive, "a.txt", true},
    {kFilterFiles, kNormal, "a.txt", true},
    {kFilterFiles, kReadOnly | kHidden, "a.txt", true},
    {kFilterFiles, kCompressed, "a.txt", true},
    {kFilterFiles, kSystem, "a.txt", true},
    {kFilterFiles, 0, "noattr", true},  // no attributes at all
    {kFilterFiles, kHidden, "hidden", false},
    // A directory counts as a file only with one of the file bits.
    {kFilterFiles, kDirectory, "dir", false},
    {kFilterFiles, kDirectory | kHidden, "dir", false},
    {kFilterFiles, kDirectory | kReadOnly, "dir", true},
    {kFilterFiles, kDirectory | kArchive, "dir", true},
    {kFilterFiles, kArchive, ".", false},
    {kFilterFiles, kArchive, "..", false},
    // The directory filter: no file bit in it, so no attributes means no pass.
    {kFilterDirectories, kDirectory, "dir", true},
    {kFilterDirectories, kDirectory | kArchive, "dir", true},
    {kFilterDirectories, kArchive, "file", false},
    {kFilterDirectories, 0, "noattr", false},
    {kFilterDirectories, kDirectory, "..", false},
    // Hidden alone holds no file bit either.
    {kHidden, 0, "noattr", false},
    {kHidden, kHidden, "h", true},
    // Names that only begin with dots are ordinary.
    {kFilterFiles, kArchive, "...", true},
    {kFilterFiles, kArchive, ".hidden", true},
};

TEST(xDirEntryPassesTest, FilterRules) {
  for (const Case& c : kCases) {
    EXPECT_EQ(c.passes, xDirEntryPasses(c.filter, c.attributes, c.name))
        << "filter " << std::hex << c.filter << " attributes " << c.attributes << " name "
        << c.name;
  }
}

}  // namespace
