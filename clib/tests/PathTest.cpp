#include "clib/Path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A kMaxPath buffer with guard bytes after it, so a write past kMaxPath shows
// even without AddressSanitizer.
struct GuardedPath {
  static constexpr int kGuard = 16;
  char bytes[kMaxPath + kGuard];
  GuardedPath() { std::memset(bytes, '#', sizeof(bytes)); }
  char* buf() { return bytes; }
  bool GuardIntact() const {
    for (int i = kMaxPath; i < kMaxPath + kGuard; ++i) {
      if (bytes[i] != '#') return false;
    }
    return true;
  }
};

struct SplitCase {
  const char* path;
  const char* dir;
  const char* name;
};

const SplitCase kSplitCases[] = {
    {"name.ext", "", "name.ext"},
    {"C:name", "C", "name"},
    {"C:\\dir\\file.txt", "C:\\dir", "file.txt"},
    {"C:/dir/sub\\file", "C:/dir/sub", "file"},
    {"a/b:c", "a/b", "c"},
    {"C:\\dir\\", "C:\\dir", ""},
    {"\\file", "", "file"},
    {"", "", ""},
    {"\\\\server\\share\\x.bmp", "\\\\server\\share", "x.bmp"},
};

TEST(SplitPathTest, SplitsAtLastSeparatorOfAnyKind) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE(c.path);
    GuardedPath dir, name;
    EXPECT_TRUE(SplitPath(c.path, dir.buf(), name.buf()));
    EXPECT_STREQ(c.dir, dir.buf());
    EXPECT_STREQ(c.name, name.buf());
    EXPECT_TRUE(dir.GuardIntact());
    EXPECT_TRUE(name.GuardIntact());
  }
}

TEST(SplitPathTest, EitherOutputMayBeLeftOutOrShareTheInput) {
  char name[kMaxPath];
  EXPECT_TRUE(SplitPath("C:\\a.b\\c.d", nullptr, name));
  EXPECT_STREQ("c.d", name);
  char dir[kMaxPath];
  EXPECT_TRUE(SplitPath("C:\\a.b\\c.d", dir, nullptr));
  EXPECT_STREQ("C:\\a.b", dir);

  char path[kMaxPath] = "C:\\dir\\file.kmv";
  EXPECT_TRUE(SplitPath(path, nullptr, path));
  EXPECT_STREQ("file.kmv", path);
  std::strcpy(path, "C:\\dir\\file.kmv");
  EXPECT_TRUE(SplitPath(path, path, nullptr));
  EXPECT_STREQ("C:\\dir", path);
}

TEST(SplitPathTest, OverLongPartsComeBackEmptyWithoutOverrun) {
  // A 300-character directory with a short name: the directory does not fit,
  // the name does.
  const std::string longDir(300, 'd');
  const std::string path = longDir + "\\short.bmp";
  GuardedPath dir, name;
  EXPECT_FALSE(SplitPath(path.c_str(), dir.buf(), name.buf()));
  EXPECT_STREQ("", dir.buf());
  EXPECT_STREQ("short.bmp", name.buf());
  EXPECT_TRUE(dir.GuardIntact());
  EXPECT_TRUE(name.GuardIntact());

  // 259 characters still fit, 260 do not.
  const std::string fits(kMaxPath - 1, 'n');
  EXPECT_TRUE(SplitPath(fits.c_str(), dir.buf(), name.buf()));
  EXPECT_EQ(fits, name.buf());
  const std::string tooLong(kMaxPath, 'n');
  EXPECT_FALSE(SplitPath(tooLong.c_str(), dir.buf(), name.buf()));
  EXPECT_STREQ("", name.buf());
  EXPECT_TRUE(name.GuardIntact());
}

struct JoinCase {
  const char* dir;
  const char* name;
  const char* out;
};

const JoinCase kJoinCases[] = {
    {"C:", "file", "C:file"},              // drive-relative: no '\' inserted
    {"C:\\dir", "file", "C:\\dir\\file"},  // '\' inserted
    {"C:\\dir\\", "file", "C:\\dir\\file"},
    {"C:/dir/", "file", "C:/dir/file"},
    {"C", "file", "Cfile"},  // one character: nothing inserted
    {"ab", "file", "ab\\file"},
    {nullptr, "file", "file"},
    {"", "file", "file"},
    {"C:\\dir", nullptr, "C:\\dir"},  // no name: no separator either
    {nullptr, nullptr, ""},
    {"C:\\dir", "", "C:\\dir\\"},
};

TEST(JoinPathTest, InsertsBackslashOnlyAfterTwoCharactersWithoutSeparator) {
  for (const JoinCase& c : kJoinCases) {
    SCOPED_TRACE(std::string(c.dir ? c.dir : "(none)") + " + " + (c.name ? c.name : "(none)"));
    GuardedPath out;
    EXPECT_TRUE(JoinPath(out.buf(), c.dir, c.name));
    EXPECT_STREQ(c.out, out.buf());
    EXPECT_TRUE(out.GuardIntact());
  }
}

TEST(JoinPathTest, OutputMayBeTheDirectoryBuffer) {
  char path[kMaxPath] = "C:\\Windows";
  EXPECT_TRUE(JoinPath(path, path, "Somnel.dat"));
  EXPECT_STREQ("C:\\Windows\\Somnel.dat", path);
}

TEST(JoinPathTest, ResultThatWouldNotFitIsEmptyAndReported) {
  struct Case {
    size_t dirLen;
    size_t nameLen;
    bool fits;
  };
  // dir + '\' + name + NUL against kMaxPath.
  const Case cases[] = {
      {200, 58, true},                    // 259 characters
      {200, 59, false},                   // 260
      {258, 0, true},                     // 258 + '\'
      {259, 0, false},                    // the '\' itself would not fit
      {259, 1, false},  {300, 5, false},  // directory alone too long
      {5, 300, false},                    // name alone too long
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dirLen) + " + " + std::to_string(c.nameLen));
    const std::string dir(c.dirLen, 'd');
    const std::string name(c.nameLen, 'n');
    GuardedPath out;
    EXPECT_EQ(c.fits, JoinPath(out.buf(), dir.c_str(), name.c_str()));
    if (c.fits) {
      EXPECT_EQ(dir + "\\" + name, out.buf());
    } else {
      EXPECT_STREQ("", out.buf());
    }
    EXPECT_TRUE(out.GuardIntact());
  }
}

struct ExtensionCase {
  const char* path;
  const char* extension;
  const char* out;
};

const ExtensionCase kExtensionCases[] = {
    {"C:\\dir\\Somnel.scr", ".dat", "C:\\dir\\Somnel.dat"},
    {"C:\\dir\\Somnel", ".ini", "C:\\dir\\Somnel.ini"},  // no dot: appended
    {"C:\\my.dir\\file", ".kmv", "C:\\my.kmv"},          // the directory's dot, the rest goes
    {"photo.final.jpg", ".kmv", "photo.final.kmv"},      // last dot only
    {"name.", ".cfg", "name.cfg"},
    {".hidden", ".x", ".x"},
    {"", ".exe", ".exe"},
    {"a.longextension", ".b", "a.b"},
};

TEST(ReplaceExtensionTest, ReplacesFromLastDotOfWholePath) {
  for (const ExtensionCase& c : kExtensionCases) {
    SCOPED_TRACE(c.path);
    GuardedPath path;
    std::strcpy(path.buf(), c.path);
    EXPECT_TRUE(ReplaceExtension(path.buf(), c.extension));
    EXPECT_STREQ(c.out, path.buf());
    EXPECT_TRUE(path.GuardIntact());
  }
}

TEST(ReplaceExtensionTest, ResultThatWouldNotFitIsEmptyAndReported) {
  // 255 characters + ".ext" = 259 fits; one more does not.
  GuardedPath path;
  const std::string base(255, 'p');
  std::strcpy(path.buf(), base.c_str());
  EXPECT_TRUE(ReplaceExtension(path.buf(), ".ext"));
  EXPECT_EQ(base + ".ext", path.buf());
  EXPECT_TRUE(path.GuardIntact());

  const std::string longer(256, 'p');
  std::strcpy(path.buf(), longer.c_str());
  EXPECT_FALSE(ReplaceExtension(path.buf(), ".ext"));
  EXPECT_STREQ("", path.buf());
  EXPECT_TRUE(path.GuardIntact());

  // Replacing a long extension by a shorter one shrinks the path and fits.
  const std::string withLongExt = std::string(200, 'p') + "." + std::string(58, 'e');
  std::strcpy(path.buf(), withLongExt.c_str());
  EXPECT_TRUE(ReplaceExtension(path.buf(), ".dat"));
  EXPECT_EQ(std::string(200, 'p') + ".dat", path.buf());
}

TEST(ReplaceExtensionTest, UnterminatedBufferIsNotReadPastItsEnd) {
  GuardedPath path;
  std::memset(path.buf(), 'p', kMaxPath);  // no NUL within kMaxPath
  path.bytes[kMaxPath] = '\0';             // a NUL in the guard would be read if scanned past
  EXPECT_FALSE(ReplaceExtension(path.buf(), ".dat"));
  EXPECT_STREQ("", path.buf());
}

TEST(PathSeparatorTest, ThreeSeparatorsAlike) {
  const std::string separators = "\\:/";
  for (int c = 1; c < 256; ++c) {
    EXPECT_EQ(separators.find(static_cast<char>(c)) != std::string::npos,
              IsPathSeparator(static_cast<char>(c)))
        << c;
  }
}

}  // namespace
