#include "clib/ErrorText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "clib/ErrorCodes.h"
#include "clib/cFile.h"
#include "clib/tests/TempDir.h"

namespace {

std::string SystemText(DWORD number) {
  char buf[1024];
  SystemMessageText(number, buf, sizeof(buf));
  return buf;
}

TEST(FormatErrorTextTest, NoErrorGivesEmptyText) {
  char buf[64];
  std::strcpy(buf, "stale");
  EXPECT_EQ(0, FormatErrorText(kErrorNone, buf, ERROR_ACCESS_DENIED, sizeof(buf)));
  EXPECT_STREQ("", buf);
}

TEST(FormatErrorTextTest, CodesWithoutResourceGiveUnknownText) {
  // The test program's string table has no such ids.
  struct Case {
    int code;
    const char* text;
  };
  const Case cases[] = {
      {kErrorEndOfFile, "<unknown error: 17>"},
      {kErrorNotOpen, "<unknown error: 19>"},
      {kErrorNoMemory, "<unknown error: 23>"},
      {0x0800000A, "<unknown error: 134217738>"},
      {-5, "<unknown error: -5>"},
  };
  for (const Case& c : cases) {
    char buf[64];
    EXPECT_EQ(0, FormatErrorText(c.code, buf, 0, sizeof(buf)));
    EXPECT_STREQ(c.text, buf);
  }
}

TEST(FormatErrorTextTest, CodeWithStringResourceGivesItsText) {
  char buf[64];
  EXPECT_EQ(1, FormatErrorText(42, buf, 0, sizeof(buf)));
  EXPECT_STREQ("Forty-two, from the program's resources", buf);
  EXPECT_EQ(1, FormatErrorText(10, buf, 0, sizeof(buf)));
  EXPECT_STREQ("Text number ten", buf);
  // Cut to the buffer.
  EXPECT_EQ(1, FormatErrorText(42, buf, 0, 10));
  EXPECT_STREQ("Forty-two", buf);
}

TEST(FormatErrorTextTest, CodeBeyondStringIdsIsNotTakenForAnother) {
  // 0x0800000A cut to 16 bits would find string 10.
  char buf[64];
  EXPECT_EQ(0, FormatErrorText(0x0800000A, buf, 0, sizeof(buf)));
  EXPECT_STREQ("<unknown error: 134217738>", buf);
  EXPECT_EQ(0, FormatErrorText(0x1000A, buf, 0, sizeof(buf)));
  EXPECT_STREQ("<unknown error: 65546>", buf);
}

TEST(FormatErrorTextTest, SystemErrorGivesSystemMessageOnOneLine) {
  // A real failure supplies the system code.
  TempDir dir;
  cFile file;
  ASSERT_EQ(kErrorSystem, file.OpenRead(GENERIC_READ, (dir / "no\\such\\x.bmp").c_str(), 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), file.GetSystemError());
  char buf[512];
  EXPECT_EQ(1, file.GetErrorText(buf, sizeof(buf)));
  const std::string text = buf;
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(std::string::npos, text.find("<unknown"));
  EXPECT_EQ(std::string::npos, text.find('\n')) << text;
  // The same message as the plain system text, up to line breaks.
  std::string plain = SystemText(file.GetSystemError());
  while (!plain.empty() && (plain.back() == '\n' || plain.back() == '\r')) plain.pop_back();
  EXPECT_FALSE(plain.empty());
  EXPECT_EQ(plain.substr(0, 10), text.substr(0, 10));
}

TEST(FormatErrorTextTest, SystemErrorWithoutMessageKeepsUnknownText) {
  char buf[64];
  EXPECT_EQ(0, FormatErrorText(kErrorSystem, buf, 0x2FFFFFFF, sizeof(buf)));
  EXPECT_STREQ("<unknown error: 99>", buf);
}

TEST(FormatErrorTextTest, WritesStayInsideTheBuffer) {
  char buf[16];
  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(0, FormatErrorText(kErrorEndOfFile, buf, 0, 9));
  EXPECT_STREQ("<unknown", buf);
  EXPECT_EQ('#', buf[9]);

  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(1, FormatErrorText(kErrorSystem, buf, ERROR_FILE_NOT_FOUND, 6));
  EXPECT_EQ(5u, std::strlen(buf));
  EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND).substr(0, 5), buf);
  EXPECT_EQ('#', buf[6]);

  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(0, FormatErrorText(kErrorEndOfFile, buf, 0, 0));
  EXPECT_EQ('#', buf[0]);
}

TEST(SystemMessageTextTest, ReturnsLengthOfTheText) {
  char buf[512];
  const int len = SystemMessageText(ERROR_ACCESS_DENIED, buf, sizeof(buf));
  EXPECT_GT(len, 0);
  EXPECT_EQ(static_cast<size_t>(len), std::strlen(buf));

  EXPECT_EQ(0, SystemMessageText(0x2FFFFFFF, buf, sizeof(buf)));
  EXPECT_STREQ("", buf);

  char small[4];
  std::memset(small, '#', sizeof(small));
  EXPECT_EQ(3, SystemMessageText(ERROR_ACCESS_DENIED, small, sizeof(small)));
  EXPECT_EQ('\0', small[3]);
}

// Reads the text of the message box captioned "Error" from another thread and
// closes it.
struct BoxWatcher {
  std::string text;
  bool found = false;
  std::thread thread;

  BoxWatcher()
      : thread([this] {
          for (int i = 0; i < 500 && !found; ++i) {
            HWND box = FindWindowA("#32770", "Error");
            if (box) {
              char buf[2048] = {};
              // The message text is the static control with id 0xFFFF.
              GetDlgItemTextA(box, 0xFFFF, buf, sizeof(buf));
              text = buf;
              found = true;
              PostMessageA(box, WM_COMMAND, IDOK, 0);
              break;
            }
            Sleep(20);
          }
        }) {}
  ~BoxWatcher() {
    if (thread.joinable()) thread.join();
  }
};

TEST(ShowErrorBoxTest, JoinsBeforeErrorTextAndAfter) {
  struct Case {
    const char* before;
    const char* after;
    const char* text;
  };
  const Case cases[] = {
      {"Somnel", "movie.kmv", "Somnel <unknown error: 17> movie.kmv"},
      {nullptr, "movie.kmv", "<unknown error: 17> movie.kmv"},
      {"Somnel", nullptr, "Somnel <unknown error: 17>"},
      {nullptr, nullptr, "<unknown error: 17>"},
  };
  for (const Case& c : cases) {
    BoxWatcher watcher;
    const int result = ShowErrorBox(kErrorEndOfFile, nullptr, 0, c.after, c.before);
    watcher.thread.join();
    ASSERT_TRUE(watcher.found);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(c.text, watcher.text);
  }
}

TEST(ShowErrorBoxTest, LongTextIsCutAt1024Characters) {
  const std::string before(1500, 'b');
  BoxWatcher watcher;
  ShowErrorBox(kErrorEndOfFile, nullptr, 0, "after", before.c_str());
  watcher.thread.join();
  ASSERT_TRUE(watcher.found);
  EXPECT_EQ(std::string(1024, 'b'), watcher.text);
}

}  // namespace
