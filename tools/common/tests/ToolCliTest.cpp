#include "tools/common/ToolCli.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <vector>

#include "SomnelVersion.h"

namespace {

const toolcli::Help kHelp = {"frob",
                             "turns a thing into another",
                             "[--fast] IN OUT\n--list",
                             "  IN      the thing\n  --fast  do it quickly",
                             "frob --fast a.txt b.txt",
                             nullptr};

TEST(ToolCliTest, HelpOptionsAreTheUsualOnes) {
  for (const char* arg : {"--help", "-h", "-?", "/?"}) EXPECT_TRUE(toolcli::IsHelp(arg)) << arg;
  for (const char* arg : {"help", "--Help", "/h", "-help", "?", ""})
    EXPECT_FALSE(toolcli::IsHelp(arg)) << arg;
  EXPECT_TRUE(toolcli::IsVersion("--version"));
  EXPECT_FALSE(toolcli::IsVersion("-v"));
}

TEST(ToolCliTest, OptionsAreToldFromOperands) {
  struct Case {
    const char* arg;
    bool option;
  } cases[] = {{"-x", true},         {"--scale", true},   {"/?", true},
               {"-", false},         {"file.bmp", false}, {"/work/a.bmp", false},
               {"C:\\a.bmp", false}, {"/s", false},       {"", false}};
  for (const Case& c : cases) EXPECT_EQ(toolcli::LooksLikeOption(c.arg), c.option) << c.arg;
}

TEST(ToolCliTest, HelpSaysWhatHowAnExampleAndTheExitCodes) {
  const std::string text = toolcli::HelpText(kHelp);
  EXPECT_EQ(text.rfind("frob: turns a thing into another\n", 0), 0u) << text;
  EXPECT_NE(text.find("Usage:\n  frob [--fast] IN OUT\n  frob --list\n"), std::string::npos);
  EXPECT_NE(text.find("  IN      the thing\n  --fast  do it quickly\n  --help, -h, /?"),
            std::string::npos);
  EXPECT_NE(text.find("Example:\n  frob --fast a.txt b.txt\n"), std::string::npos);
  EXPECT_NE(text.find("Exit codes:\n  0  success\n  1  the work failed"), std::string::npos);
  EXPECT_NE(text.find("\n  2  bad usage"), std::string::npos);

  toolcli::Help special = kHelp;
  special.failed = "nothing was found";
  EXPECT_NE(toolcli::HelpText(special).find("\n  1  nothing was found\n"), std::string::npos);
}

TEST(ToolCliTest, LongTextsAreWrappedAtBlanks) {
  EXPECT_EQ(toolcli::Wrap("aa bb cc dd", 5, "  "), "aa bb\n  cc\n  dd");
  EXPECT_EQ(toolcli::Wrap("short", 79, "  "), "short");
  EXPECT_EQ(toolcli::Wrap("a verylongword b", 4, ""), "a\nverylongword\nb");
  EXPECT_EQ(toolcli::Wrap("    aa bb  cc", 9, "    "), "    aa bb\n    cc");
  toolcli::Help wordy = kHelp;
  const std::string summary(30, 'x');
  const std::string many = summary + " " + summary + " " + summary;
  wordy.summary = many.c_str();
  EXPECT_EQ(toolcli::HelpText(wordy).rfind(
                "frob: " + summary + " " + summary + "\n  " + summary + "\n\nUsage:", 0),
            0u);
}

TEST(ToolCliTest, OptionsAreReflowedUnderTheirDescriptions) {
  toolcli::Help wordy = kHelp;
  const std::string w(20, 'w');
  // A description over two lines, and one that starts below its option.
  const std::string options = "  --long  " + w + " " + w + "\n          " + w + " " + w +
                              "\n  --name=VERY-LONG-VALUE\n                " + w + " " + w + " " +
                              w + "\n  IN    short";
  wordy.options = options.c_str();
  const std::string expected = "  --long  " + w + " " + w + " " + w + "\n          " + w +
                               "\n  --name=VERY-LONG-VALUE\n                " + w + " " + w + " " +
                               w + "\n  IN    short\n  --help";
  EXPECT_NE(toolcli::HelpText(wordy).find(expected), std::string::npos) << toolcli::HelpText(wordy);
}

TEST(ToolCliTest, VersionIsTheProjectsVersion) {
  EXPECT_STREQ(toolcli::Version(), SOMNEL_VERSION_TEXT);
  EXPECT_EQ(toolcli::VersionText(kHelp), std::string("frob ") + SOMNEL_VERSION_TEXT + "\n");
  // Four numbers, as a version resource holds them.
  int a, b, c, d;
  char end;
  EXPECT_EQ(std::sscanf(toolcli::Version(), "%d.%d.%d.%d%c", &a, &b, &c, &d, &end), 4);
}

int Answer(std::vector<std::string> args, bool stopAtOperand, bool* answered) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  int code = -1;
  testing::internal::CaptureStdout();
  *answered = toolcli::AnswerHelpOrVersion(kHelp, static_cast<int>(argv.size()), argv.data(), 1,
                                           &code, stopAtOperand);
  testing::internal::GetCapturedStdout();
  return code;
}

TEST(ToolCliTest, HelpAndVersionAreAnsweredUpToTheEndOfTheOptions) {
  struct Case {
    std::vector<std::string> args;
    bool stopAtOperand;
    bool answered;
  } cases[] = {
      {{"frob", "a", "b", "--help"}, false, true},
      {{"frob", "--version"}, false, true},
      {{"frob", "/?"}, true, true},
      {{"frob", "--fast", "-h"}, true, true},
      {{"frob", "a", "b"}, false, false},
      {{"frob", "--", "--help"}, false, false},   // a file named --help
      {{"frob", "prog.exe", "/?"}, true, false},  // the program's own argument
      {{"frob", "gif-export", "--help"}, true, false},
  };
  for (const Case& c : cases) {
    bool answered = false;
    const int code = Answer(c.args, c.stopAtOperand, &answered);
    EXPECT_EQ(answered, c.answered) << c.args.back();
    if (c.answered) {
      EXPECT_EQ(code, toolcli::kExitOk);
    }
  }
}

TEST(ToolCliTest, ErrorsNameTheToolAndReturnTheirCodes) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(toolcli::UsageError(kHelp, "unknown option --slow"), 2);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("frob: unknown option --slow\nUsage:\n  frob [--fast] IN OUT\n", 0), 0u)
      << err;
  EXPECT_NE(err.find("Try \"frob --help\""), std::string::npos);

  testing::internal::CaptureStderr();
  EXPECT_EQ(toolcli::FileFailure(kHelp, "a.txt", "is empty"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "frob: a.txt: is empty\n");
}

TEST(ToolCliTest, ReadProblemsInWords) {
  const std::string dir = testing::TempDir();
  const std::string file = dir + "toolcli-readable.txt";
  std::FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("x", f);
  std::fclose(f);
  EXPECT_EQ(toolcli::ReadProblem(file.c_str()), "");
  EXPECT_EQ(toolcli::ReadProblem((dir + "toolcli-no-such-file.txt").c_str()), "does not exist");
  EXPECT_EQ(toolcli::ReadProblem((dir + "toolcli-no-such-dir/a.txt").c_str()), "does not exist");
  EXPECT_EQ(toolcli::ReadProblem(dir.c_str()), "is a folder, not a file");
  std::remove(file.c_str());
}

}  // namespace
