// The string pool against the built Kinetra.dll, with its resources opened
// through the stand-in host, and the module's string resources and map read
// back as the host reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "host/HostInstance.h"
#include "plugin/assetprops/MsgPool.h"
#include "plugin/assetprops/TavException.h"
#include "plugin/assetprops/TavResources.h"

using namespace vrixhost;

namespace {

void SetLanguage(const char* n) {
  SetEnvironmentVariableA("VRIXHOST_LANGUAGE", n);
}

class StringPool : public testing::Test {
 protected:
  void SetUp() override {
    kinetra_ = LoadLibraryExA(KINETRA_PATH, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(nullptr, kinetra_);
    host_ = HostCallback::Create();
    // The builder's shared resources: a module with no strings of ours.
    host_->commonFileModule = GetModuleHandleA(nullptr);
    TavSetResourceHost(host_, kinetra_);
  }
  void TearDown() override {
    // Every module opened for a lookup was closed again.
    EXPECT_TRUE(host_->openTokens.empty());
    EXPECT_EQ(host_->resourceOpens, host_->resourceCloses);
    TavSetResourceHost(nullptr, nullptr);
    SetLanguage(nullptr);
    host_->ops->Release(host_);
    if (stars_) FreeLibrary(stars_);
    FreeLibrary(kinetra_);
  }
  // (a) the test module with its own map, (b) Kinetra.dll.
  void OwnModuleIs(const char* path) {
    stars_ = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, stars_);
    host_->commonFileModule = kinetra_;
    TavSetResourceHost(host_, stars_);
  }
  std::string Get(MsgPool& pool, int number, int* found = nullptr) {
    char* buffer = new char[257];
    const int r = pool.GetString(kKinetraStrings, number, &buffer, 256, false);
    if (found) *found = r;
    std::string s(buffer);
    delete[] buffer;
    return s;
  }
  HMODULE kinetra_ = nullptr;
  HMODULE stars_ = nullptr;
  HostCallback* host_ = nullptr;
};

TEST_F(StringPool, LanguageOfTheHostChoosesTheSet) {
  const struct {
    const char* language;
    uint16_t set;
    const char* play;
  } cases[] = {
      {"2", 3400, "Lire"},
      {"3", 3401, "Abspielen"},
      {"0", 256, "Play"},
      {"1", 3409, "\x8D\xC4\x90\xB6"},  // Shift-JIS for the Japanese word for play
      {"7", 256, "Play"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    SetLanguage(c.language);
    MsgPool pool(kinetra_);
    EXPECT_EQ(c.set, pool.setType());
    EXPECT_EQ(c.play, Get(pool, 3));
  }
  SetLanguage("1");
  MsgPool japanese(kinetra_);
  EXPECT_EQ("%d ", Get(japanese, 22));
  EXPECT_EQ("%d ", Get(japanese, 34));
  SetLanguage(nullptr);
  MsgPool english(kinetra_);
  EXPECT_EQ("Height: %d  pixels", Get(english, 22));
  EXPECT_EQ("Untyped exception occurred!\n", Get(english, 19));
  EXPECT_GT(host_->resourceOpens, 0);
}

TEST_F(StringPool, UnusedSlotFallsBackToEnglishForEveryLookup) {
  OwnModuleIs(STARS_PATH);  // its map leaves French unused
  SetLanguage("2");
  MsgPool pool(stars_);
  EXPECT_EQ(0x2A2A, pool.setType());
  const std::pair<int, const char*> english[] = {
      {1, "Animated GIF Asset Properties"},
      {3, "Play"},
      {17, "Cancel"},
      {36, "An error occurred while trying to read the specified file."}};
  for (const auto& e : english) {
    int found = 0;
    EXPECT_EQ(e.second, Get(pool, e.first, &found)) << e.first;  // set 256 of the shared module
    EXPECT_EQ(1, found);
  }
  // Its German slot is used: the German set of the shared module.
  SetLanguage("3");
  MsgPool german(stars_);
  EXPECT_EQ(3401, german.setType());
  EXPECT_EQ("Abspielen", Get(german, 3));
  char* buffer = new char[64];
  // Found in the own module's German set before the shared module's.
  EXPECT_EQ(1, german.GetString("CTestStrings", 7, &buffer, 63, false));
  EXPECT_STREQ("nur deutsch", buffer);
  delete[] buffer;
}

// String 14 is in the own module's English set and in every set of the
// shared module (Kinetra.dll). The chosen set is searched in both modules
// before English is, and within a set the own module comes first.
TEST_F(StringPool, LookupOrderBetweenTheTwoModules) {
  OwnModuleIs(STARS_PATH);
  const struct {
    const char* language;
    const char* text;
    const char* why;
  } cases[] = {
      {"0", "Stars: Browse", "English: the own module's set 256 before the shared one's"},
      {"3", "Durchsuchen...", "German: the shared module's set 3401 before the own set 256"},
      {"2", "Stars: Browse", "French unused (****): set 256, own module first"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    SetLanguage(c.language);
    MsgPool pool(stars_);
    int found = 0;
    EXPECT_EQ(c.text, Get(pool, 14, &found));
    EXPECT_EQ(1, found);
  }
}

TEST_F(StringPool, MapOfAnotherVersionSelectsEnglish) {
  OwnModuleIs(VERSION2_PATH);
  SetLanguage("2");
  MsgPool pool(stars_);
  EXPECT_EQ(256, pool.setType());
  EXPECT_EQ("Play", Get(pool, 3));
}

TEST_F(StringPool, MissingStringGivesThePlaceholderAndZero) {
  MsgPool pool(kinetra_);
  int found = -1;
  EXPECT_EQ("** String Not Available! **", Get(pool, 37, &found));
  EXPECT_EQ(0, found);
  EXPECT_EQ("** String Not Available! **", Get(pool, 0, &found));
  // Cut to a short buffer.
  char* small = new char[8];
  EXPECT_EQ(0, pool.GetString(kKinetraStrings, 99, &small, 5, false));
  EXPECT_EQ(std::string("** St"), std::string(small, 5));
  delete[] small;
  // The exception pools are not among the module's resources.
  char* b = new char[257];
  EXPECT_EQ(0, pool.GetString("CTavExceptionNames", 1, &b, 256, false));
  EXPECT_STREQ("** String Not Available! **", b);
  delete[] b;
}

TEST_F(StringPool, ArgumentsOutsideTheRules) {
  MsgPool pool(kinetra_);
  char* buffer = new char[16];
  std::memset(buffer, 'z', 16);
  EXPECT_EQ(0, pool.GetString(kKinetraStrings, 3, &buffer, 0, false));
  EXPECT_EQ('z', buffer[0]);  // length 0: untouched
  EXPECT_EQ(0, pool.GetString(kKinetraStrings, 3, nullptr, 16, false));
  try {
    pool.GetString(nullptr, 3, &buffer, 16, false);
    ADD_FAILURE() << "no exception for a null prefix";
  } catch (const CTavInvalidArgument& e) {
    EXPECT_EQ(static_cast<VxStatus>(0x80040001u), e.status());
  }
  const std::string longPrefix(250, 'P');
  EXPECT_EQ(0, pool.GetString(longPrefix.c_str(), 3, &buffer, 16, false));
  EXPECT_EQ('\0', buffer[0]);  // zeroed first
  delete[] buffer;
}

TEST_F(StringPool, LongStringsAreCutOrGrow) {
  OwnModuleIs(STARS_PATH);
  MsgPool pool(stars_);
  std::string expected;
  for (int i = 0; i < 30; ++i) expected += "0123456789";
  char* buffer = new char[256];
  EXPECT_EQ(1, pool.GetString("CTestStrings", 300, &buffer, 256, false));
  EXPECT_EQ(expected.substr(0, 256), std::string(buffer, 256));
  char* before = buffer;
  EXPECT_EQ(1, pool.GetString("CTestStrings", 300, &buffer, 256, true));
  EXPECT_NE(before, buffer);  // replaced by a 301-byte block
  EXPECT_EQ(expected, std::string(buffer));
  EXPECT_EQ('\0', buffer[300]);
  delete[] buffer;
  // The own buffer holds 256 characters and its NUL.
  const char* own = pool.GetString("CTestStrings", 300, false);
  EXPECT_EQ(expected.substr(0, 256), std::string(own));
  EXPECT_EQ(expected, std::string(pool.GetString("CTestStrings", 300, true)));
}

TEST_F(StringPool, MMStringLengthByte) {
  OwnModuleIs(STARS_PATH);
  TavSetResourceHost(host_, stars_);
  MMString s254("CTestStrings", 254);
  EXPECT_EQ(254u, std::strlen(s254.c_str()));
  EXPECT_EQ(255, s254.lengthByte());
  MMString s253("CTestStrings", 253);
  EXPECT_EQ(253, s253.lengthByte());
  MMString s300("CTestStrings", 300);
  EXPECT_EQ(300u, std::strlen(s300.c_str()));  // grown, not cut
  EXPECT_EQ(255, s300.lengthByte());
  MMString play("Play");
  EXPECT_EQ(4, play.lengthByte());
  EXPECT_STREQ("Play", play.c_str());
}

TEST_F(StringPool, OutsideHostModeTheMainModuleIsSearched) {
  TavSetResourceHost(nullptr, kinetra_);
  MsgPool pool(kinetra_);  // the test program carries no map and no strings
  EXPECT_EQ(256, pool.setType());
  int found = -1;
  EXPECT_EQ("** String Not Available! **", Get(pool, 3, &found));
  EXPECT_EQ(0, found);
  EXPECT_EQ(0, host_->resourceOpens);
}

// ---------------------------------------------------------------------------
// The resources as they are in the module.

std::string Unescape(const std::string& t) {
  std::string out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\\' && i + 1 < t.size()) {
      const char n = t[++i];
      out += n == 'n' ? '\n' : n == 't' ? '\t' : n;
    } else {
      out += t[i];
    }
  }
  return out;
}

// A translation table (UTF-8) in the set's code page.
std::map<int, std::string> ReadTable(const std::string& file, UINT codePage) {
  std::ifstream in(std::string(SOMNEL_SOURCE_DIR) + "/plugin/assetprops/strings/" + file);
  std::map<int, std::string> table;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    const std::string utf8 = Unescape(line.substr(tab + 1));
    wchar_t wide[512];
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.c_str(), -1, wide, 512);
    char bytes[512];
    BOOL lossy = FALSE;
    WideCharToMultiByte(codePage, 0, wide, n, bytes, sizeof bytes, nullptr, &lossy);
    EXPECT_FALSE(lossy) << file << ": " << line;
    table[std::stoi(line.substr(0, tab))] = bytes;
  }
  return table;
}

std::string Resource(HMODULE m, const char* name, int type, bool* found) {
  HRSRC r = FindResourceA(m, name, MAKEINTRESOURCEA(type));
  *found = r != nullptr;
  if (!r) return std::string();
  const char* data = static_cast<const char*>(LockResource(LoadResource(m, r)));
  return std::string(data, SizeofResource(m, r));
}

TEST(KinetraResources, FourStringSetsOfThirtySixAndTheMap) {
  HMODULE m = LoadLibraryExA(KINETRA_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, m);
  const struct {
    const char* table;
    int type;
    UINT codePage;
  } sets[] = {
      {"en.txt", 256, 1252}, {"fr.txt", 3400, 1252}, {"de.txt", 3401, 1252}, {"ja.txt", 3409, 932}};
  for (const auto& s : sets) {
    SCOPED_TRACE(s.table);
    const std::map<int, std::string> table = ReadTable(s.table, s.codePage);
    ASSERT_EQ(36u, table.size());
    for (int n = 1; n <= 37; ++n) {
      char name[32];
      std::snprintf(name, sizeof name, "CKinetraStrings%d", n);
      bool found = false;
      const std::string bytes = Resource(m, name, s.type, &found);
      if (n == 37) {
        EXPECT_FALSE(found);
        continue;
      }
      ASSERT_TRUE(found) << name;
      // The text and its NUL, nothing more.
      EXPECT_EQ(table.at(n) + std::string(1, '\0'), bytes) << name;
    }
  }
  // The English texts as the module must carry them.
  const char* const english[] = {"Animated GIF Asset Properties",
                                 "Preview",
                                 "Play",
                                 "Playback:",
                                 "Image",
                                 "Options:",
                                 "Direct to Stage",
                                 "Tempo:",
                                 "Normal",
                                 "Fixed",
                                 "Lock-Step",
                                 "fps",
                                 "OK",
                                 "Browse...",
                                 "Internet...",
                                 "About...",
                                 "Cancel",
                                 "Help",
                                 "Untyped exception occurred!\n",
                                 "%d frames",
                                 "%d x %d pixels",
                                 "Height: %d  pixels",
                                 "Stop",
                                 "Open animated GIF file",
                                 "Animated GIF Files (*.GIF)",
                                 "*.GIF",
                                 "All Files (*.*)",
                                 "*.*",
                                 "Linked",
                                 "Show All",
                                 "Link File:",
                                 "Media:",
                                 "Import:",
                                 "Width: %d pixels",
                                 "Preview Not Available",
                                 "An error occurred while trying to read the specified file."};
  for (int n = 1; n <= 36; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "ckinetrastrings%d", n);  // names match without case
    bool found = false;
    EXPECT_EQ(std::string(english[n - 1]) + std::string(1, '\0'), Resource(m, name, 256, &found));
  }
  bool found = false;
  EXPECT_EQ(std::string("Lire") + '\0', Resource(m, "CKinetraStrings3", 3400, &found));
  EXPECT_EQ(std::string("Abspielen") + '\0', Resource(m, "CKinetraStrings3", 3401, &found));
  EXPECT_EQ(std::string("%d ") + '\0', Resource(m, "CKinetraStrings22", 3409, &found));
  EXPECT_EQ(std::string("%d ") + '\0', Resource(m, "CKinetraStrings34", 3409, &found));

  const std::string map = Resource(m, "MessagePoolMap", 200, &found);
  ASSERT_TRUE(found);
  const unsigned char expected[56] = {
      1,    0,    0,    0,    0x00, 0x01, 0,    0,    0x48, 0x0D, 0,    0,    0x49, 0x0D,
      0,    0,    0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A,
      0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A,
      0x2A, 0x2A, 0x51, 0x0D, 0,    0,    0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A};
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(expected), 56), map);
  FreeLibrary(m);
}

}  // namespace
