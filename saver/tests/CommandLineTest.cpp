// The command-line decision, with the window system replaced by a table of
// existing windows and a fixed foreground window.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "clib/Path.h"
#include "saver/CommandLine.h"

namespace {

HWND H(intptr_t value) {
  return reinterpret_cast<HWND>(value);
}

const HWND kForeground = H(0x777);

class FakeWindows : public cWindowQueries {
 public:
  explicit FakeWindows(std::set<intptr_t> existing) : existing_(std::move(existing)) {}
  HWND Foreground() override {
    ++foregroundCalls;
    return kForeground;
  }
  bool IsWindow(HWND window) override {
    asked.push_back(window);
    return existing_.count(reinterpret_cast<intptr_t>(window)) != 0;
  }
  int foregroundCalls = 0;
  std::vector<HWND> asked;

 private:
  std::set<intptr_t> existing_;
};

struct Case {
  const char* text;
  uint32_t mode;
  HWND hwnd;
};

// Windows 1234, 42 and 4711 exist; -5 exists too (handles are signed).
const Case kCases[] = {
    {"", kModeConfigure, nullptr},
    {"   ", kModeConfigure, nullptr},
    {"/c", kModeConfigure, kForeground},
    {"-c", kModeConfigure, kForeground},
    {"/C", kModeConfigure, kForeground},
    {"C", kModeConfigure, kForeground},
    {"c", kModeConfigure, kForeground},
    {"/config", kModeConfigure, kForeground},
    {"/c:4711", kModeConfigure, kForeground},  // the number after C is not a window handle
    {"  /c", kModeConfigure, kForeground},
    {"/p 1234", kModePreview, H(1234)},
    {"/p:1234", kModePreview, H(1234)},
    {"/P 1234", kModePreview, H(1234)},
    {"/l 1234", kModePreview, H(1234)},
    {"/L:1234", kModePreview, H(1234)},
    {"p1234", kModePreview, H(1234)},
    {"/p  \t 1234 trailing", kModePreview, H(1234)},
    {"/p +1234", kModePreview, H(1234)},
    {"/p -5", kModePreview, H(-5)},
    {"/p 4294967291", kModePreview, H(-5)},  // the same 32 bits unsigned
    {"/p 00042", kModePreview, H(42)},
    {"/p 9999", kModePreview, nullptr},  // no such window
    {"/p", kModePreview, nullptr},       // no number
    {"/p abc", kModePreview, nullptr},
    {"/p +", kModePreview, nullptr},
    {"/p - 1234", kModePreview, nullptr},      // digits must follow the sign
    {"/p ::1234", kModePreview, nullptr},      // only one ':' is skipped
    {"/p 4294968530", kModePreview, nullptr},  // 1234 + 2^32: beyond 32 bits
    {"/p 123456789012345678901234567890", kModePreview, nullptr},
    {"/p -2147483649", kModePreview, nullptr},
    {"-s", kModeRun, nullptr},
    {"/S", kModeRun, nullptr},
    {"s", kModeRun, nullptr},
    {"/saver", kModeRun, nullptr},
    {"/s 1234", kModeRun, nullptr},
    {"/a", kModeChangePassword, nullptr},
    {"/a 1234", kModeChangePassword, H(1234)},
    {"-A:42", kModeChangePassword, H(42)},
    {"/a 9999", kModeChangePassword, nullptr},
    {"/x", kModeConfigure, nullptr},
    {"x", kModeConfigure, nullptr},
    {"/", kModeConfigure, nullptr},
    {"//s", kModeConfigure, nullptr},   // only one '/' is skipped
    {"\t/s", kModeConfigure, nullptr},  // a tab is not a blank here
    {"1234", kModeConfigure, nullptr},
};

TEST(ParseCommandLine, Table) {
  for (const Case& c : kCases) {
    FakeWindows windows({1234, 42, 4711, -5});
    cSaverArgs args;
    args.hwnd = H(1);  // must be overwritten
    EXPECT_EQ(ParseCommandLine(c.text, args, windows), c.mode) << '"' << c.text << '"';
    EXPECT_EQ(args.mode, c.mode) << '"' << c.text << '"';
    EXPECT_EQ(args.hwnd, c.hwnd) << '"' << c.text << '"';
    EXPECT_EQ(args.hwndForeground, kForeground) << '"' << c.text << '"';
    EXPECT_EQ(windows.foregroundCalls, 1) << '"' << c.text << '"';
  }
}

TEST(ParseCommandLine, NullTextConfigures) {
  FakeWindows windows({});
  cSaverArgs args;
  EXPECT_EQ(ParseCommandLine(nullptr, args, windows), kModeConfigure);
  EXPECT_EQ(args.hwnd, nullptr);
}

// Zero and out-of-range numbers are never put to the window system.
TEST(ParseWindowHandle, AsksOnlyAboutRealCandidates) {
  struct HandleCase {
    const char* text;
    std::vector<HWND> asked;
  };
  const HandleCase cases[] = {
      {" 1234", {H(1234)}}, {":0", {}}, {"", {}}, {"99999999999", {}}, {":-1", {H(-1)}},
  };
  for (const HandleCase& c : cases) {
    FakeWindows windows({});
    EXPECT_EQ(ParseWindowHandle(c.text, windows), nullptr) << c.text;
    EXPECT_EQ(windows.asked, c.asked) << c.text;
  }
}

TEST(SkipProgramName, Table) {
  const struct {
    const char* line;
    const char* rest;
  } cases[] = {
      {"Somnel.scr /s", "/s"},
      {"Somnel.scr", ""},
      {"C:\\saver\\Somnel.scr   /p 1234", "/p 1234"},
      {"\"C:\\My Savers\\Somnel.scr\" /c:4711", "/c:4711"},
      {"\"C:\\My Savers\\Somnel.scr\"/s", "/s"},
      {"\"C:\\My Savers\\Somnel.scr\"", ""},
      {"\"unterminated quote /s", ""},
      {"Somnel.scr\t\t/a", "/a"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_STREQ(SkipProgramName(c.line), c.rest) << c.line;
  EXPECT_STREQ(SkipProgramName(nullptr), "");
}

TEST(DisplayNameFromFileName, Table) {
  const struct {
    const char* name;
    const char* display;
  } cases[] = {
      {"Somnel.scr", "Somnel"},
      {"My Long Saver Name.scr", "My Long Saver Name"},
      {"two.dots.scr", "two.dots"},
      {"NoExtension", "NoExtension"},
      {".scr", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    char out[kMaxPath];
    DisplayNameFromFileName(c.name, out);
    EXPECT_STREQ(out, c.display) << c.name;
  }
}

TEST(DisplayNameFromFileName, LongNameIsCutToTheBuffer) {
  std::string name(400, 'n');
  char out[kMaxPath + 8];
  std::memset(out, '#', sizeof out);
  DisplayNameFromFileName(name.c_str(), out);
  EXPECT_EQ(std::strlen(out), static_cast<size_t>(kMaxPath - 1));
  EXPECT_EQ(out[kMaxPath], '#');  // nothing written past the buffer
}

}  // namespace
