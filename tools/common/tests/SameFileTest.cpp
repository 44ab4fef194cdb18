#include "tools/common/SameFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A fresh folder of its own with the file "a.bin" in it, and the folder
// "sub"; the separator is the system's.
class SameFileTest : public testing::Test {
 protected:
#ifdef _WIN32
  static constexpr const char* kSep = "\\";
#else
  static constexpr const char* kSep = "/";
#endif
  std::string dir;
  std::string a;

  void SetUp() override {
#ifdef _WIN32
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    dir = std::string(base) + "samefile-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "\\sub").c_str(), nullptr);
#else
    char base[] = "/tmp/samefile-XXXXXX";
    ASSERT_NE(mkdtemp(base), nullptr);
    dir = base;
    ASSERT_EQ(mkdir((dir + "/sub").c_str(), 0700), 0);
#endif
    a = In("a.bin");
    Write(a, "the input");
  }

  void TearDown() override {
    for (const char* name : {"a.bin", "copy.bin", "link.bin", "symlink.bin"})
      std::remove(In(name).c_str());
#ifdef _WIN32
    RemoveDirectoryA((dir + "\\sub").c_str());
    RemoveDirectoryA(dir.c_str());
#else
    rmdir((dir + "/sub").c_str());
    rmdir(dir.c_str());
#endif
  }

  std::string In(const std::string& name) const {
    return dir + kSep + name;
  }

  static void Write(const std::string& path, const char* text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fputs(text, f);
    std::fclose(f);
  }

  bool HardLink(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return CreateHardLinkA(to.c_str(), from.c_str(), nullptr) != 0;
#else
    return link(from.c_str(), to.c_str()) == 0;
#endif
  }
};

TEST_F(SameFileTest, OneFileUnderAnyNameIsTheSame) {
  ASSERT_TRUE(HardLink(a, In("link.bin")));
  const std::string spellings[] = {
      a,
      dir + kSep + "." + kSep + "a.bin",
      dir + kSep + "sub" + kSep + ".." + kSep + "a.bin",
      In("link.bin"),
  };
  for (const std::string& other : spellings) EXPECT_TRUE(toolcli::SameFile(a, other)) << other;
#ifdef _WIN32
  // Names are compared by the file system, without regard to case.
  EXPECT_TRUE(toolcli::SameFile(a, In("A.BIN")));
#else
  ASSERT_EQ(symlink(a.c_str(), In("symlink.bin").c_str()), 0);
  EXPECT_TRUE(toolcli::SameFile(In("symlink.bin"), a));
#endif
}

TEST_F(SameFileTest, OtherFilesAndMissingOnesAreNot) {
  Write(In("copy.bin"), "the input");  // the same bytes, another file
  EXPECT_FALSE(toolcli::SameFile(a, In("copy.bin")));
  EXPECT_FALSE(toolcli::SameFile(a, In("missing.bin")));
  EXPECT_FALSE(toolcli::SameFile(In("missing.bin"), a));
  // An output not made yet is never an input, whatever its name.
  EXPECT_FALSE(toolcli::SameFile(In("missing.bin"), In("missing.bin")));
  EXPECT_FALSE(toolcli::SameFile(a, dir));
}

TEST_F(SameFileTest, TheProblemNamesTheFirstInputThatIsTheOutput) {
  Write(In("copy.bin"), "another");
  const std::string other = dir + kSep + "sub" + kSep + ".." + kSep + "a.bin";
  EXPECT_EQ(toolcli::SameFileProblem(a, {In("copy.bin"), "", other, a}),
            "is the same file as the input " + other + "; nothing was written");
  EXPECT_EQ(toolcli::SameFileProblem(a, {In("copy.bin"), ""}), "");
  EXPECT_EQ(toolcli::SameFileProblem(In("missing.bin"), {a, In("missing.bin")}), "");
}

}  // namespace
