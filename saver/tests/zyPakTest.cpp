#include "saver/zyPak.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "saver/tests/WinTestUtil.h"

namespace {

using wintest::Bytes;
using wintest::ScratchDir;

// A program file with a package: program image, optional BMP, player, trailer.
struct Module {
  Bytes program = wintest::Pattern(3000, 1);
  Bytes bmp;
  Bytes player = wintest::Pattern(20000, 2);  // more than two copy chunks
  PayloadTrailer trailer;

  Module() {
    program[0] = 'M', program[1] = 'Z';
    player[0] = 'M', player[1] = 'Z';
    std::memset(&trailer, 0, sizeof trailer);
    trailer.magic = kTrailerMagic;
    trailer.flags = kFlagRunPreview;
  }

  Bytes Build() {
    Bytes out = program;
    if (!bmp.empty()) {
      trailer.previewImageOffset = static_cast<uint32_t>(out.size());
      out.insert(out.end(), bmp.begin(), bmp.end());
    }
    trailer.playerStart = static_cast<uint32_t>(out.size());
    out.insert(out.end(), player.begin(), player.end());
    trailer.playerEnd = static_cast<uint32_t>(out.size());
    return Finish(out);
  }

  Bytes Finish(Bytes out) const {
    const auto* raw = reinterpret_cast<const uint8_t*>(&trailer);
    out.insert(out.end(), raw, raw + kTrailerSize);
    return out;
  }
};

// Each test gets a folder with the module, a temporary directory of its own
// (TMP and TEMP point there) and a picture directory.
class PakTest : public testing::Test {
 protected:
  ScratchDir dir;
  std::string modulePath = dir / "Saver.scr";
  std::string tempDir = dir / "temp";
  std::string pictureDir = dir / "pictures";
  wintest::EnvOverride env{{{"TMP", tempDir}, {"TEMP", tempDir}}};

  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA(tempDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(pictureDir.c_str(), nullptr));
  }

  void WriteModule(const Bytes& bytes) { ASSERT_TRUE(wintest::WriteFileBytes(modulePath, bytes)); }

  void WriteSettings(const std::string& text) {
    ASSERT_TRUE(wintest::WriteFileText(dir / "Saver.ini", text));
  }
};

TEST_F(PakTest, ConstructedEmpty) {
  zyPak pak;
  const PayloadTrailer zero = {};
  EXPECT_EQ(std::memcmp(&pak.m_Trailer, &zero, sizeof zero), 0);
  EXPECT_EQ(pak.m_Sound, 0);
  EXPECT_STREQ(pak.m_PlayerPath, "");
  EXPECT_EQ(pak.m_bExtracted, 0u);
  EXPECT_EQ(pak.m_Process.hProcess, nullptr);
  EXPECT_EQ(pak.m_Process.processId, 0u);
  EXPECT_EQ(pak.m_Process.hwnd, nullptr);
}

TEST_F(PakTest, ExtractsExactlyThePlayerIntoTheTemporaryDirectory) {
  Module m;
  WriteModule(m.Build());
  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 1), 1);
  EXPECT_EQ(pak.m_ExtractDir, tempDir);
  EXPECT_EQ(pak.m_PlayerPath, tempDir + "\\Saver.dat");
  EXPECT_EQ(pak.m_bExtracted, 1u);
  EXPECT_EQ(pak.m_Trailer.flags, kFlagRunPreview);
  Bytes extracted;
  ASSERT_TRUE(wintest::ReadFileBytes(pak.m_PlayerPath, extracted));
  EXPECT_TRUE(extracted == m.player) << "extracted " << extracted.size() << " bytes";
}

TEST_F(PakTest, PackageDetectionTable) {
  Module good;
  const Bytes goodBytes = good.Build();

  Module noPlayer;
  Bytes noPlayerBytes = noPlayer.Build();
  std::memset(noPlayerBytes.data() + noPlayerBytes.size() - kTrailerSize + 16, 0, 4);

  Bytes wrongMagic = goodBytes;
  wrongMagic[wrongMagic.size() - kTrailerSize] = 'z';

  const Bytes shortFile(goodBytes.end() - (kTrailerSize - 1), goodBytes.end());

  struct Fixture {
    const char* what;
    const Bytes* bytes;
    int result;
  } fixtures[] = {
      {"good package", &goodBytes, 1},
      {"playerStart 0", &noPlayerBytes, 0},
      {"wrong magic", &wrongMagic, 0},
      {"file shorter than a trailer", &shortFile, 0},
  };
  for (const Fixture& f : fixtures) {
    DeleteFileA((tempDir + "\\Saver.dat").c_str());
    WriteModule(*f.bytes);
    zyPak pak;
    EXPECT_EQ(pak.Load(modulePath.c_str(), 1), f.result) << f.what;
    EXPECT_EQ(wintest::Exists(tempDir + "\\Saver.dat"), f.result == 1) << f.what;
    EXPECT_EQ(pak.m_bExtracted, static_cast<uint32_t>(f.result)) << f.what;
    if (f.result == 0) {
      const PayloadTrailer zero = {};
      EXPECT_EQ(std::memcmp(&pak.m_Trailer, &zero, sizeof zero), 0)
          << f.what << ": without a package the trailer is all zero";
    }
  }
}

TEST_F(PakTest, NoPackageLeavesNoFlagsOrCommandsFromTheFileTail) {
  // The bare program: its last bytes are linker data, here all bits set, which
  // read as a trailer would turn on every flag and fill every command. Loaded
  // both as a show would (extract) and as the settings dialog would.
  for (int extract : {1, 0}) {
    WriteModule(Bytes(4000, 0xFF));
    zyPak pak;
    EXPECT_EQ(pak.Load(modulePath.c_str(), extract), 0);
    const PayloadTrailer zero = {};
    EXPECT_EQ(std::memcmp(&pak.m_Trailer, &zero, sizeof zero), 0) << "extract " << extract;
    EXPECT_FALSE(pak.HasFlag(kFlagRunPreview));
    EXPECT_FALSE(pak.HasFlag(kFlagTwoWaySound));
    EXPECT_FALSE(pak.HasFlag(kFlagThreeWaySound));
    EXPECT_STREQ(pak.m_Trailer.commands[0], "");
    EXPECT_EQ(pak.ImageOffset(zyPak::kPreviewImage), 0u);
  }
}

TEST_F(PakTest, PictureDirectoryWinsWhenItExists) {
  Module m;
  WriteModule(m.Build());
  WriteSettings("[Photo]\r\nFile=" + pictureDir + "\\beach.jpg\r\n[Screensaver]\r\nSound=2\r\n");
  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 1), 1);
  EXPECT_EQ(pak.m_Sound, kSoundNever);
  EXPECT_EQ(pak.m_ExtractDir, pictureDir);
  EXPECT_EQ(pak.m_PlayerPath, pictureDir + "\\Saver.dat");
  EXPECT_TRUE(wintest::Exists(pictureDir + "\\Saver.dat"));
  EXPECT_FALSE(wintest::Exists(tempDir + "\\Saver.dat"));
}

// A picture directory that does not take the player's file (here its name
// is taken by a folder, which no one can write over, root included, as with
// a read-only folder): the player goes to the temporary directory, and the
// pak says so for the picture movie to follow it.
TEST_F(PakTest, APictureDirectoryThatRefusesThePlayerFallsBackToTemporary) {
  Module m;
  WriteModule(m.Build());
  WriteSettings("[Photo]\r\nFile=" + pictureDir + "\\beach.jpg\r\n");
  ASSERT_TRUE(CreateDirectoryA((pictureDir + "\\Saver.dat").c_str(), nullptr));
  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 1), 1);
  EXPECT_EQ(pak.m_ExtractDir, tempDir);
  EXPECT_EQ(pak.m_PlayerPath, tempDir + "\\Saver.dat");
  EXPECT_EQ(pak.m_bPictureDirRefused, 1u);
  EXPECT_EQ(pak.m_bExtracted, 1u);
  Bytes extracted;
  EXPECT_TRUE(wintest::ReadFileBytes(tempDir + "\\Saver.dat", extracted) && extracted == m.player);

  // Where the picture's directory takes it, nothing is refused.
  ASSERT_TRUE(RemoveDirectoryA((pictureDir + "\\Saver.dat").c_str()));
  zyPak again;
  ASSERT_EQ(again.Load(modulePath.c_str(), 1), 1);
  EXPECT_EQ(again.m_ExtractDir, pictureDir);
  EXPECT_EQ(again.m_bPictureDirRefused, 0u);
}

TEST_F(PakTest, MissingPictureDirectoryFallsBackToTemporary) {
  Module m;
  WriteModule(m.Build());
  WriteSettings("[Photo]\r\nFile=" + dir.Path() + "\\gone\\beach.jpg\r\n");
  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 1), 1);
  EXPECT_EQ(pak.m_PlayerPath, tempDir + "\\Saver.dat");
}

TEST_F(PakTest, MissingTemporaryDirectoryFallsBackToWindows) {
  Module m;
  // A name of our own so that a real Windows-directory file is never touched.
  modulePath = dir / ("SomnelGTest" + std::to_string(GetCurrentProcessId()) + ".scr");
  WriteModule(m.Build());
  wintest::EnvOverride missing{{{"TMP", dir / "no-such-dir"}, {"TEMP", dir / "no-such-dir"}}};
  char windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 1), 1);
  const std::string expected =
      std::string(windows) + "\\SomnelGTest" + std::to_string(GetCurrentProcessId()) + ".dat";
  EXPECT_STREQ(pak.m_ExtractDir, windows);
  EXPECT_EQ(pak.m_PlayerPath, expected);
  Bytes extracted;
  EXPECT_TRUE(wintest::ReadFileBytes(expected, extracted) && extracted == m.player);
  DeleteFileA(expected.c_str());
}

TEST_F(PakTest, OverwritesAnOldPlayerFile) {
  Module m;
  WriteModule(m.Build());
  ASSERT_TRUE(wintest::WriteFileBytes(tempDir + "\\Saver.dat", wintest::Pattern(50000, 9)));
  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 1), 1);
  Bytes extracted;
  ASSERT_TRUE(wintest::ReadFileBytes(tempDir + "\\Saver.dat", extracted));
  EXPECT_TRUE(extracted == m.player) << "old file not truncated: " << extracted.size() << " bytes";
}

TEST_F(PakTest, SettingsDialogLoadExtractsNothing) {
  Module m;
  WriteModule(m.Build());
  zyPak pak;
  EXPECT_EQ(pak.Load(modulePath.c_str(), 0), 1);
  EXPECT_EQ(pak.m_Trailer.flags, kFlagRunPreview);
  EXPECT_EQ(pak.m_bExtracted, 0u);
  EXPECT_FALSE(wintest::Exists(tempDir + "\\Saver.dat"));
}

TEST_F(PakTest, ReversedPlayerRangeIsRefusedWithoutWriting) {
  Module m;
  Bytes bytes = m.Build();
  m.trailer.playerEnd = m.trailer.playerStart - 1;
  bytes.resize(bytes.size() - kTrailerSize);
  WriteModule(m.Finish(bytes));
  zyPak pak;
  EXPECT_EQ(pak.Load(modulePath.c_str(), 1), 0);
  EXPECT_FALSE(wintest::Exists(tempDir + "\\Saver.dat"));
}

TEST_F(PakTest, PlayerRangePastTheFileFails) {
  Module m;
  Bytes bytes = m.Build();
  m.trailer.playerEnd += 100000;
  bytes.resize(bytes.size() - kTrailerSize);
  WriteModule(m.Finish(bytes));
  zyPak pak;
  EXPECT_EQ(pak.Load(modulePath.c_str(), 1), 0);
}

TEST_F(PakTest, UnterminatedCommandsAreCutInsideTheirFields) {
  Module m;
  for (int i = 0; i < kCommandCount; ++i)
    std::memset(m.trailer.commands[i], 'a' + i, kCommandFieldSize);
  WriteModule(m.Build());
  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 0), 1);
  for (int i = 0; i < kCommandCount; ++i) {
    EXPECT_EQ(std::strlen(pak.m_Trailer.commands[i]), kMaxCommandLength);
    EXPECT_EQ(pak.m_Trailer.commands[i][0], 'a' + i);
  }
}

TEST_F(PakTest, DevelopmentPlayerBesideTheSaver) {
  // No trailer; project keys sit in the saver file itself, after the program.
  Bytes bytes = wintest::Pattern(4000, 3);
  const std::string keys =
      "\r\n[Settings]\r\nForceMaximize=1\r\n[Interactive]\r\nKey1=Esc\r\nOnKey=1\r\n"
      "[Execute]\r\nKey2=F2\r\nCommand2=calc.exe\r\n";
  bytes.insert(bytes.end(), keys.begin(), keys.end());
  WriteModule(bytes);
  const std::string player = dir / "Saver.exe";
  ASSERT_TRUE(wintest::WriteFileBytes(player, wintest::Pattern(100, 4)));

  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 1), 1);
  EXPECT_EQ(pak.m_PlayerPath, player);
  EXPECT_EQ(pak.m_bExtracted, 0u) << "the saver must never delete that player";
  EXPECT_TRUE(pak.HasFlag(kFlagForceMaximize));
  EXPECT_FALSE(pak.HasFlag(kFlagRunPreview));
  EXPECT_EQ(pak.m_Trailer.interactiveKeys[0], 27u);
  EXPECT_EQ(pak.m_Trailer.interactiveFlags & kInteractiveAll, kInteractiveOnKey);
  EXPECT_EQ(pak.m_Trailer.executeKeys[1], 113u);
  EXPECT_STREQ(pak.m_Trailer.commands[1], "calc.exe");
  // Nothing of the file's tail survives beside what the keys set.
  EXPECT_EQ(pak.m_Trailer.magic, 0u);
  EXPECT_EQ(pak.m_Trailer.playerStart, 0u);
  EXPECT_EQ(pak.m_Trailer.interactiveKeys[1], 0u);
  EXPECT_EQ(pak.m_Trailer.executeKeys[0], 0u);
  EXPECT_STREQ(pak.m_Trailer.commands[0], "");
  EXPECT_EQ(pak.ImageOffset(zyPak::kPreviewImage), 0u);
  EXPECT_EQ(pak.ImageOffset(zyPak::kSettingsBoxImage), 0u);
  EXPECT_TRUE(wintest::Exists(player));
  EXPECT_FALSE(wintest::Exists(tempDir + "\\Saver.dat"));
}

TEST_F(PakTest, NoDevelopmentPlayerMeansNoPlayer) {
  WriteModule(wintest::Pattern(4000, 3));
  zyPak pak;
  EXPECT_EQ(pak.Load(modulePath.c_str(), 1), 0);
}

TEST_F(PakTest, DevelopmentFallbackIsRefusedForExePrograms) {
  // Saver.EXE would be its own player.
  modulePath = dir / "Saver.EXE";
  WriteModule(wintest::Pattern(4000, 3));
  zyPak pak;
  EXPECT_EQ(pak.Load(modulePath.c_str(), 1), 0);
  EXPECT_STREQ(pak.m_PlayerPath, "");
}

TEST_F(PakTest, MissingModuleLoadsNothing) {
  zyPak pak;
  EXPECT_EQ(pak.Load((dir / "absent.scr").c_str(), 1), 0);
}

TEST_F(PakTest, ImagesAreFoundThroughTheirOffsets) {
  Module m;
  m.bmp = wintest::Pattern(200, 5);
  m.bmp[0] = 'B', m.bmp[1] = 'M';
  WriteModule(m.Build());
  zyPak pak;
  ASSERT_EQ(pak.Load(modulePath.c_str(), 0), 1);
  EXPECT_EQ(pak.ImageOffset(zyPak::kPreviewImage), m.program.size());
  EXPECT_EQ(pak.ImageOffset(zyPak::kSettingsBoxImage), 0u);
  EXPECT_EQ(pak.OpenImage(zyPak::kSettingsBoxImage, modulePath.c_str()), nullptr)
      << "offset 0: the picture comes from the resource instead";

  xfile* file = pak.OpenImage(zyPak::kPreviewImage, modulePath.c_str());
  ASSERT_NE(file, nullptr);
  uint8_t head[8];
  DWORD count = sizeof head;
  EXPECT_EQ(xFileRead(file, head, count), 8);
  EXPECT_EQ(std::memcmp(head, m.bmp.data(), 8), 0);
  xFileClose(file);
}

// The real thing: a program carrying a package loads it from its own file,
// with the extraction directory chosen by the environment it was started in.
class PakProcessTest : public testing::Test {
 protected:
  ScratchDir dir;
  std::string saver = dir / "Probe.scr";
  std::string report = dir / "report.txt";

  void SetUp() override {
    Module m;
    ASSERT_TRUE(wintest::ReadFileBytes(wintest::WinPath(PAKPROBE_EXE), m.program));
    ASSERT_TRUE(wintest::ReadFileBytes(wintest::WinPath(TESTPLAYER_EXE), m.player));
    player = m.player;
    ASSERT_TRUE(wintest::WriteFileBytes(saver, m.Build()));
  }

  std::string Run(const std::map<std::string, std::string>& env, const char* extract = "1") {
    const auto result = wintest::RunChild("\"" + saver + "\" \"" + report + "\" " + extract, env);
    EXPECT_TRUE(result.started && result.finished);
    EXPECT_EQ(result.exitCode, 0u);
    return wintest::ReadFileText(report);
  }

  Bytes player;
};

TEST_F(PakProcessTest, ExtractsIntoTheTemporaryDirectoryOfItsEnvironment) {
  const std::string temp = dir / "t";
  ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
  const std::string text = Run({{"TMP", temp}, {"TEMP", temp}});
  EXPECT_NE(text.find("result=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("module=" + saver + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("player=" + temp + "\\Probe.dat\n"), std::string::npos) << text;
  Bytes extracted;
  ASSERT_TRUE(wintest::ReadFileBytes(temp + "\\Probe.dat", extracted));
  EXPECT_TRUE(extracted == player);
}

TEST_F(PakProcessTest, ExtractsIntoTheWindowsDirectoryWhenTemporaryIsMissing) {
  // A name of our own so that no real file in the Windows directory is touched.
  const std::string name = "SomnelProbe" + std::to_string(GetCurrentProcessId());
  const std::string renamed = dir / (name + ".scr");
  ASSERT_TRUE(MoveFileA(saver.c_str(), renamed.c_str()));
  saver = renamed;
  char windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
  const std::string expected = std::string(windows) + "\\" + name + ".dat";
  const std::string text = Run({{"TMP", dir / "missing"}, {"TEMP", dir / "missing"}});
  EXPECT_NE(text.find("player=" + expected + "\n"), std::string::npos) << text;
  Bytes extracted;
  EXPECT_TRUE(wintest::ReadFileBytes(expected, extracted) && extracted == player);
  DeleteFileA(expected.c_str());
}

TEST_F(PakProcessTest, PictureDirectoryFromItsSettingsFile) {
  const std::string pictures = dir / "my pictures";
  ASSERT_TRUE(CreateDirectoryA(pictures.c_str(), nullptr));
  ASSERT_TRUE(wintest::WriteFileText(dir / "Probe.ini", "[Photo]\r\nFile=" + pictures +
                                                            "\\sea.bmp\r\n[Screensaver]\r\n"
                                                            "Sound=1\r\n"));
  const std::string text = Run({});
  EXPECT_NE(text.find("player=" + pictures + "\\Probe.dat\n"), std::string::npos) << text;
  EXPECT_NE(text.find("sound=1\n"), std::string::npos) << text;
  EXPECT_TRUE(wintest::Exists(pictures + "\\Probe.dat"));
}

TEST_F(PakProcessTest, ExtractedPlayerRuns) {
  const std::string temp = dir / "t";
  ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
  Run({{"TMP", temp}, {"TEMP", temp}});
  ASSERT_TRUE(wintest::WriteFileText(temp + "\\Probe.cfg", "SS_Mode=S&SS_Sound=0&SS_RunCount=1"));
  const std::string log = dir / "player.log";
  const auto result =
      wintest::RunChild("\"" + temp + "\\Probe.dat\"",
                        {{"SOMNEL_PLAYER_LOG", log}, {"SOMNEL_PLAYER_QUIT_AFTER_MS", "200"}}, temp);
  EXPECT_TRUE(result.finished);
  const std::string text = wintest::ReadFileText(log);
  EXPECT_NE(text.find("path " + temp + "\\Probe.dat\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("cwd " + temp + "\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("cfg SS_Mode=S&SS_Sound=0&SS_RunCount=1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("exit 0\r\n"), std::string::npos) << text;
}

}  // namespace

namespace {

// A program without a package, started as NAME.scr beside NAME.exe: the
// development player, configured by project keys inside the program file.
TEST(PakFallbackProcessTest, ScrWithSiblingExeUsesItWithKeysFromItself) {
  ScratchDir dir;
  const std::string saver = dir / "Dev.scr";
  const std::string report = dir / "report.txt";
  Bytes program;
  ASSERT_TRUE(wintest::ReadFileBytes(wintest::WinPath(PAKPROBE_EXE), program));
  const std::string keys = "\r\n[Settings]\r\nRunPreview=1\r\nTwoWaySound=1\r\n";
  program.insert(program.end(), keys.begin(), keys.end());
  ASSERT_TRUE(wintest::WriteFileBytes(saver, program));
  ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(TESTPLAYER_EXE), dir / "Dev.exe"));

  const auto result = wintest::RunChild("\"" + saver + "\" \"" + report + "\" 1", {});
  ASSERT_TRUE(result.finished);
  const std::string text = wintest::ReadFileText(report);
  EXPECT_NE(text.find("result=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("player=" + dir.Path() + "\\Dev.exe\n"), std::string::npos) << text;
  EXPECT_NE(text.find("extracted=0\n"), std::string::npos) << text;
  // Bits above the five flags keep whatever the file's tail held.
  const size_t flags = text.find("flags=");
  ASSERT_NE(flags, std::string::npos) << text;
  EXPECT_EQ(std::stoul(text.substr(flags + 6)) & kFlagAll, kFlagRunPreview | kFlagTwoWaySound)
      << text;
  EXPECT_TRUE(wintest::Exists(dir / "Dev.exe"));
}

TEST(PakFallbackProcessTest, ExeWithoutPackageHasNoPlayer) {
  ScratchDir dir;
  const std::string program = dir / "Dev.exe";
  const std::string report = dir / "report.txt";
  ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(PAKPROBE_EXE), program));
  const auto result = wintest::RunChild("\"" + program + "\" \"" + report + "\" 1", {});
  ASSERT_TRUE(result.finished);
  const std::string text = wintest::ReadFileText(report);
  EXPECT_NE(text.find("result=0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("player=\n"), std::string::npos) << text;
}

}  // namespace
