// somnel-pack run as a program, the way a customer's saver is made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "saver/PayloadTrailer.h"
#include "saver/tests/WinTestUtil.h"

namespace {

using wintest::Bytes;
using wintest::ScratchDir;

const std::string kPictures = SOMNEL_SOURCE_DIR "/xlib/mm/tests/data/";
const std::string kSuite = SOMNEL_TESTDATA_DIR "/bmpsuite/";

struct PackRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

class SomnelPackTest : public testing::Test {
 protected:
  ScratchDir dir;
  std::string saver = dir / "Generic.scr";
  std::string player = dir / "player.exe";
  std::string project = dir / "project.ini";
  std::string settingsBmp = dir / "box.bmp";
  std::string previewBmp = dir / "preview.bmp";
  std::string output = dir / "Customer.scr";
  Bytes saverBytes, playerBytes, settingsBytes, previewBytes;

  void SetUp() override {
    ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(PAKPROBE_EXE), saver));
    ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(TESTPLAYER_EXE), player));
    ASSERT_TRUE(wintest::ReadFileBytes(saver, saverBytes));
    ASSERT_TRUE(wintest::ReadFileBytes(player, playerBytes));
    // Pictures the saver's reader reads: one as ImageMagick writes palette
    // pictures (a V5 header, RLE8), one with the classic 40-byte header.
    ASSERT_TRUE(wintest::ReadFileBytes(wintest::WinPath(kPictures + "f8.bmp"), settingsBytes));
    ASSERT_TRUE(wintest::ReadFileBytes(wintest::WinPath(kPictures + "f8rle-v5.bmp"), previewBytes));
    ASSERT_TRUE(wintest::WriteFileBytes(settingsBmp, settingsBytes));
    ASSERT_TRUE(wintest::WriteFileBytes(previewBmp, previewBytes));
    ASSERT_TRUE(wintest::WriteFileText(
        project,
        "[Settings]\r\nRunPreview=1\r\nThreeWaySound=1\r\n"
        "[Interactive]\r\nKey1=Esc\r\nKey2=caps lock\r\nKey3=v\r\nOnKey=1\r\n"
        "[Execute]\r\nKey1=F1\r\nCommand1=notepad.exe\r\nKey4=x\r\nCommand4=ini\r\n"));
  }

  PackRun Pack(const std::string& arguments) {
    PackRun run;
    const std::string log = dir / "pack-output.txt";
    const auto result =
        wintest::RunChild("\"" + wintest::WinPath(SOMNELPACK_EXE) + "\" " + arguments, {}, "", log);
    EXPECT_TRUE(result.started && result.finished) << arguments;
    run.exitCode = result.exitCode;
    // The console output has Windows line ends.
    for (char c : wintest::ReadFileText(log))
      if (c != '\r') run.output += c;
    DeleteFileA(log.c_str());
    return run;
  }

  std::string Q(const std::string& path) { return "\"" + path + "\""; }

  std::string StandardArguments() {
    return "--settings-box " + Q(settingsBmp) + " --preview " + Q(previewBmp) + " " + Q(saver) +
           " " + Q(project) + " " + Q(player) + " " + Q(output);
  }

  // Files in the folder other than the inputs: a failed run leaves none.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((dir.Path() + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == ".." || name == "Generic.scr" || name == "player.exe" ||
          name == "project.ini" || name == "box.bmp" || name == "preview.bmp")
        continue;
      names.push_back(name);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return names;
  }
};

TEST_F(SomnelPackTest, PacksEveryItemWhereTheTrailerSays) {
  const PackRun run = Pack(StandardArguments());
  ASSERT_EQ(run.exitCode, 0u) << run.output;

  Bytes out;
  ASSERT_TRUE(wintest::ReadFileBytes(output, out));
  const size_t expectedSize = saverBytes.size() + settingsBytes.size() + previewBytes.size() +
                              playerBytes.size() + kTrailerSize;
  ASSERT_EQ(out.size(), expectedSize);
  const PayloadTrailer t = TrailerFromFileTail(out.data(), out.size());
  ASSERT_TRUE(TrailerHasPackage(t));

  auto at = [&](uint32_t offset, const Bytes& item) {
    return offset + item.size() <= out.size() &&
           std::memcmp(out.data() + offset, item.data(), item.size()) == 0;
  };
  EXPECT_TRUE(at(0, saverBytes));
  EXPECT_TRUE(at(t.settingsBoxImageOffset, settingsBytes));
  EXPECT_TRUE(at(t.previewImageOffset, previewBytes));
  EXPECT_TRUE(at(t.playerStart, playerBytes));
  EXPECT_EQ(t.playerEnd - t.playerStart, playerBytes.size());
  EXPECT_EQ(t.playerEnd, out.size() - kTrailerSize);

  EXPECT_EQ(t.flags, kFlagRunPreview | kFlagThreeWaySound);
  EXPECT_EQ(t.interactiveFlags, kInteractiveOnKey);
  EXPECT_EQ(t.interactiveKeys[0], 27u);
  EXPECT_EQ(t.interactiveKeys[1], 20u);
  EXPECT_EQ(t.interactiveKeys[2], 86u);
  EXPECT_EQ(t.interactiveKeys[3], 0u);
  EXPECT_EQ(t.executeKeys[0], 112u);
  EXPECT_EQ(t.executeKeys[3], 88u);
  EXPECT_EQ(TrailerCommand(t, 0), "notepad.exe");
  EXPECT_EQ(TrailerCommand(t, 3), "ini");
  EXPECT_TRUE(Leftovers() == std::vector<std::string>{"Customer.scr"});
}

TEST_F(SomnelPackTest, InspectShowsWhatWasPacked) {
  ASSERT_EQ(Pack(StandardArguments()).exitCode, 0u);
  const PackRun run = Pack("--inspect " + Q(output));
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  const std::string& text = run.output;
  const uint64_t box = saverBytes.size();
  const uint64_t preview = box + settingsBytes.size();
  const uint64_t start = preview + previewBytes.size();
  const uint64_t end = start + playerBytes.size();
  const char* expected[] = {
      "package\n",
      "flags: 0x00000014 RunPreview ThreeWaySound\n",
      "interactive: 0x00000002 OnKey\n",
      "interactive keys: Key1=Escape Key2=Caps Lock Key3=V\n",
      "command 1: key F1, \"notepad.exe\"\n",
      "command 2: key none, \"\"\n",
      "command 4: key X, \"ini\"\n",
  };
  for (const char* line : expected) EXPECT_NE(text.find(line), std::string::npos) << line << text;
  EXPECT_NE(text.find("settings-box picture: offset " + std::to_string(box) + ", size " +
                      std::to_string(settingsBytes.size()) + " bytes"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("preview picture: offset " + std::to_string(preview) + ", size " +
                      std::to_string(previewBytes.size()) + " bytes"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("player: offset " + std::to_string(start) + ", end " + std::to_string(end) +
                      ", size " + std::to_string(playerBytes.size()) + " bytes (Windows program)"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("warning"), std::string::npos) << text;
}

TEST_F(SomnelPackTest, InspectSaysPlainlyWhenThereIsNoPackage) {
  const PackRun run = Pack("--inspect " + Q(saver));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.output.find(saver + ": no package"), std::string::npos) << run.output;
}

TEST_F(SomnelPackTest, PackedSaverExtractsThePlayerByteForByte) {
  ASSERT_EQ(Pack(Q(saver) + " " + Q(project) + " " + Q(player) + " " + Q(output)).exitCode, 0u);
  const std::string temp = dir / "temp";
  ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
  const std::string report = dir / "report.txt";
  const auto result =
      wintest::RunChild(Q(output) + " " + Q(report) + " 1", {{"TMP", temp}, {"TEMP", temp}});
  ASSERT_TRUE(result.finished);
  EXPECT_NE(wintest::ReadFileText(report).find("result=1\n"), std::string::npos);
  Bytes extracted;
  ASSERT_TRUE(wintest::ReadFileBytes(temp + "\\Customer.dat", extracted));
  EXPECT_TRUE(extracted == playerBytes);
}

TEST_F(SomnelPackTest, RefusedInputsNameTheProblemAndLeaveNoOutput) {
  ASSERT_EQ(
      Pack(Q(saver) + " " + Q(project) + " " + Q(player) + " " + Q(dir / "packed.scr")).exitCode,
      0u);
  ASSERT_TRUE(wintest::WriteFileText(dir / "notes.txt", "not a picture at all"));
  Bytes cut = settingsBytes;
  cut.resize(40);  // the headers end before the pixels begin
  ASSERT_TRUE(wintest::WriteFileBytes(dir / "cut.bmp", cut));
  ASSERT_TRUE(wintest::WriteFileText(dir / "script.bat", "@echo off\r\n"));
  ASSERT_TRUE(wintest::WriteFileText(dir / "long.ini",
                                     "[Execute]\r\nCommand2=" + std::string(300, 'c') + "\r\n"));
  ASSERT_TRUE(wintest::WriteFileText(dir / "badkey.ini", "[Interactive]\r\nKey3=Caps\r\n"));
  ASSERT_TRUE(wintest::WriteFileText(dir / "badexec.ini", "[Execute]\r\nKey1=PageUp\r\n"));
  {
    // Four gigabytes without using the disk: the size alone is refused.
    HANDLE file = CreateFileA((dir / "huge.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 0x100000000LL;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  }
  const std::string rest = " " + Q(output);
  const std::string os2 = wintest::WinPath(kSuite + "g/pal8os2.bmp");
  const std::string bitFields = wintest::WinPath(kSuite + "g/rgb32bf.bmp");
  // An 8 x 8 picture of 8 bits whose file ends 10 bytes into its 64 pixel
  // bytes: the reader would take what follows it in the saver for pixels.
  const std::string noPixels = dir / "short.bmp";
  Bytes shortBmp;
  ASSERT_TRUE(wintest::ReadFileBytes(
      wintest::WinPath(SOMNEL_SOURCE_DIR "/tools/kmvconvert/tests/data/nopixels.bmp"), shortBmp));
  shortBmp.resize(shortBmp.size() + 10);
  ASSERT_TRUE(wintest::WriteFileBytes(noPixels, shortBmp));
  struct Case {
    std::string arguments;
    std::string file;
    std::string problem;
  } cases[] = {
      {Q(dir / "packed.scr") + " " + Q(project) + " " + Q(player) + rest, dir / "packed.scr",
       "already carries a package"},
      {Q(dir / "notes.txt") + " " + Q(project) + " " + Q(player) + rest, dir / "notes.txt",
       "is not a Windows program (no MZ header)"},
      {"--preview " + Q(dir / "notes.txt") + " " + Q(saver) + " " + Q(project) + " " + Q(player) +
           rest,
       dir / "notes.txt", "is not a BMP picture"},
      {"--preview " + Q(dir / "cut.bmp") + " " + Q(saver) + " " + Q(project) + " " + Q(player) +
           rest,
       dir / "cut.bmp", "is not a BMP picture"},
      {"--settings-box " + Q(player) + " " + Q(saver) + " " + Q(project) + " " + Q(player) + rest,
       player, "is not a BMP picture"},
      // Pictures that look like BMPs but that the saver's own reader cannot show.
      {"--preview " + Q(os2) + " " + Q(saver) + " " + Q(project) + " " + Q(player) + rest, os2,
       "the saver cannot show it: it has an OS/2 1.x header (12 bytes)"},
      {"--settings-box " + Q(bitFields) + " " + Q(saver) + " " + Q(project) + " " + Q(player) +
           rest,
       bitFields, "the saver cannot show it: its pixels are stored as bit fields (compression 3)"},
      {"--preview " + Q(noPixels) + " " + Q(saver) + " " + Q(project) + " " + Q(player) + rest,
       noPixels,
       "the saver cannot show it: the BMP is cut short: its 8 x 8 pixels take 64 bytes after the "
       "colour table, and the file holds 10"},
      // Only the bare generic saver is a SAVER: not a player, not another program.
      {Q(player) + " " + Q(project) + " " + Q(player) + rest, player,
       "is not the generic saver: it lacks the saver's settings dialog (resource 1000) and close "
       "notice (1001)"},
      {Q(saver) + " " + Q(project) + " " + Q(dir / "script.bat") + rest, dir / "script.bat",
       "is not a Windows program (no MZ header)"},
      {Q(saver) + " " + Q(dir / "long.ini") + " " + Q(player) + rest, dir / "long.ini",
       "[Execute] Command2 is longer than 299 characters"},
      {Q(saver) + " " + Q(dir / "badkey.ini") + " " + Q(player) + rest, dir / "badkey.ini",
       "[Interactive] Key3=Caps: not a key name"},
      {Q(saver) + " " + Q(dir / "badexec.ini") + " " + Q(player) + rest, dir / "badexec.ini",
       "[Execute] Key1=PageUp: not a key name"},
      {Q(saver) + " " + Q(dir / "none.ini") + " " + Q(player) + rest, dir / "none.ini",
       "cannot be found"},
      {Q(saver) + " " + Q(project) + " " + Q(dir / "huge.exe") + rest, dir / "huge.exe",
       "the package would pass 4 GiB"},
  };
  for (const Case& c : cases) {
    DeleteFileA(output.c_str());
    PackRun run = Pack(c.arguments);
    EXPECT_EQ(run.exitCode, 1u) << c.problem;
    EXPECT_NE(run.output.find("somnel-pack: " + c.file + ": " + c.problem), std::string::npos)
        << "expected: " << c.problem << "\ngot: " << run.output;
    EXPECT_FALSE(wintest::Exists(output)) << c.problem;

    // An existing output file of that name stays as it was.
    ASSERT_TRUE(wintest::WriteFileText(output, "the customer's old saver"));
    run = Pack(c.arguments);
    EXPECT_EQ(run.exitCode, 1u) << c.problem;
    EXPECT_EQ(wintest::ReadFileText(output), "the customer's old saver") << c.problem;
  }
  DeleteFileA(output.c_str());
  std::vector<std::string> expectedLeft = {"badexec.ini", "badkey.ini", "cut.bmp",
                                           "huge.exe",    "long.ini",   "notes.txt",
                                           "packed.scr",  "script.bat", "short.bmp"};
  std::vector<std::string> left = Leftovers();
  std::sort(left.begin(), left.end());
  EXPECT_TRUE(left == expectedLeft) << "no temporary file may stay behind";
}

// The project's reports name the line, the pack goes on without --strict and
// writes nothing with it; the trailer of the pack made shows that the
// reports say what the profile functions really read.
TEST_F(SomnelPackTest, ProjectReportsNameTheLineAndStrictWritesNothing) {
  const std::string checked = dir / "checked.ini";
  ASSERT_TRUE(wintest::WriteFileText(
      checked,
      "[Settings]\r\nForceMaximise=1\r\nRunPreview=yes\r\nTwoWaySound=1\r\nThreeWaySound=1\r\n"
      "External=\"1\"\r\n[Setings]\r\nRunPreview=1\r\n[Interactive]\r\nKey25=a\r\nOnMouse=1\r\n"
      "[Settings]\r\nForceMaximize=1\r\n"));
  const std::vector<std::string> reports = {
      ":2: ForceMaximise is not a key of [Settings] (did you mean ForceMaximize?); it is ignored",
      ":3: RunPreview=yes is not a decimal number (0 is off, any other number on); it reads as 0, "
      "off",
      ":5: TwoWaySound (line 4) and ThreeWaySound (line 5) are both on: TwoWaySound wins",
      ":7: [Setings] is not a project section (did you mean [Settings]?); its keys are ignored",
      ":10: Key25 is not a key of [Interactive] (it has Key1 to Key20, OnMouse, OnKey)",
      ":12: [Settings] again (first at line 1): only the first [Settings] is read",
  };
  const std::string arguments = Q(saver) + " " + Q(checked) + " " + Q(player) + " " + Q(output);

  ASSERT_TRUE(wintest::WriteFileText(output, "the customer's old saver"));
  const PackRun strict = Pack("--strict " + arguments);
  EXPECT_EQ(strict.exitCode, 1u) << strict.output;
  for (const std::string& report : reports)
    EXPECT_NE(strict.output.find("somnel-pack: " + checked + report), std::string::npos)
        << report << "\ngot: " << strict.output;
  EXPECT_NE(strict.output.find("somnel-pack: " + checked +
                               ": 6 reports on the project and --strict; nothing is written"),
            std::string::npos)
      << strict.output;
  EXPECT_EQ(wintest::ReadFileText(output), "the customer's old saver");
  std::vector<std::string> left = Leftovers();
  std::sort(left.begin(), left.end());
  EXPECT_TRUE((left == std::vector<std::string>{"Customer.scr", "checked.ini"}))
      << "no temporary file may stay behind";

  DeleteFileA(output.c_str());
  const PackRun loose = Pack(arguments);
  ASSERT_EQ(loose.exitCode, 0u) << loose.output;
  for (const std::string& report : reports)
    EXPECT_NE(loose.output.find("somnel-pack: " + checked + report), std::string::npos)
        << report << "\ngot: " << loose.output;
  Bytes out;
  ASSERT_TRUE(wintest::ReadFileBytes(output, out));
  const PayloadTrailer t = TrailerFromFileTail(out.data(), out.size());
  EXPECT_EQ(t.flags, kFlagExternal | kFlagTwoWaySound | kFlagThreeWaySound);
  EXPECT_EQ(t.interactiveFlags, kInteractiveOnMouse);

  // A project the saver reads as written draws no report.
  const PackRun sound = Pack("--strict " + StandardArguments());
  EXPECT_EQ(sound.exitCode, 0u) << sound.output;
  EXPECT_EQ(sound.output.find("project.ini:"), std::string::npos) << sound.output;
}

TEST_F(SomnelPackTest, ReplacesAnExistingOutputWhenItSucceeds) {
  ASSERT_TRUE(wintest::WriteFileText(output, "old"));
  ASSERT_EQ(Pack(Q(saver) + " " + Q(project) + " " + Q(player) + " " + Q(output)).exitCode, 0u);
  Bytes out;
  ASSERT_TRUE(wintest::ReadFileBytes(output, out));
  EXPECT_TRUE(TrailerHasPackage(TrailerFromFileTail(out.data(), out.size())));
}

// An OUTPUT that is one of the inputs, under any spelling or by a hard
// link, would replace it with the packed saver: refused before anything is
// written, every input left as it was.
TEST_F(SomnelPackTest, AnOutputThatIsAnInputIsRefused) {
  const std::string link = dir / "linked.scr";
  ASSERT_TRUE(CreateHardLinkA(link.c_str(), saver.c_str(), nullptr));
  const struct {
    std::string output, input;
  } cases[] = {
      {saver, saver},
      {dir.Path() + "\\.\\GENERIC.SCR", saver},
      {link, saver},
      {project, project},
      {player, player},
      {settingsBmp, settingsBmp},
      {previewBmp, previewBmp},
  };
  const std::string projectText = wintest::ReadFileText(project);
  for (const auto& c : cases) {
    const PackRun run =
        Pack("--settings-box " + Q(settingsBmp) + " --preview " + Q(previewBmp) + " " + Q(saver) +
             " " + Q(project) + " " + Q(player) + " " + Q(c.output));
    EXPECT_EQ(run.exitCode, 1u) << c.output;
    EXPECT_EQ(run.output, "somnel-pack: " + c.output + ": is the same file as the input " +
                              c.input + "; nothing was written\n");
  }
  const struct {
    const std::string& path;
    const Bytes& bytes;
  } inputs[] = {{saver, saverBytes},
                {player, playerBytes},
                {settingsBmp, settingsBytes},
                {previewBmp, previewBytes}};
  for (const auto& in : inputs) {
    Bytes now;
    ASSERT_TRUE(wintest::ReadFileBytes(in.path, now));
    EXPECT_TRUE(now == in.bytes) << in.path << " was changed";
  }
  EXPECT_EQ(wintest::ReadFileText(project), projectText);
  DeleteFileA(link.c_str());
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(SomnelPackTest, HelpAndUsage) {
  for (const char* help : {"--help", "/?", "-h"}) {
    const PackRun run = Pack(help);
    EXPECT_EQ(run.exitCode, 0u) << help;
    EXPECT_NE(run.output.find("somnel-pack --inspect SAVER"), std::string::npos) << help;
  }
  const PackRun none = Pack("");
  EXPECT_EQ(none.exitCode, 2u);
  EXPECT_NE(none.output.find("Usage:"), std::string::npos);
  // Bad usage is exit code 2; a failed pack (above) and no package are 1.
  EXPECT_NE(Pack("--help").output.find("1  the work failed"), std::string::npos);
  const PackRun three = Pack(Q(saver) + " " + Q(project) + " " + Q(player));
  EXPECT_EQ(three.exitCode, 2u);
  EXPECT_FALSE(wintest::Exists(output));
}

}  // namespace
