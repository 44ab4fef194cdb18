// The dialog commands of vrixhost run as programs, their dialogs worked from
// this process through window messages: the files they write land where the
// command line said even after a file dialog moved the current folder, a
// cancelled dialog ends the command with exit code 1, and under Wine's null
// display driver each says that nobody can see it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "host/GifExportArgs.h"
#include "saver/tests/WinTestUtil.h"

namespace {

using wintest::ScratchDir;

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/host/tests/data/";

// A visible top-level dialog of this title, of any process.
HWND FindDialog(const char* title) {
  HWND found = nullptr;
  wintest::WaitFor([&] {
    found = FindWindowA("#32770", title);
    return found && IsWindowVisible(found);
  });
  return found && IsWindowVisible(found) ? found : nullptr;
}

bool WaitGone(HWND window) {
  return wintest::WaitFor([&] { return !IsWindow(window); });
}

// The file name box of the common Open dialog: a combo box in newer
// layouts, an edit control in older ones.
HWND FileNameBox(HWND open) {
  HWND box = GetDlgItem(open, 0x47C);          // cmb13
  return box ? box : GetDlgItem(open, 0x480);  // edt1
}

// Works the Open dialog titled `title` as a person would: goes into the
// folder first (typing it and pressing Open shows that folder), then picks
// the file by its name there.
bool PickInOpenDialog(const char* title, const std::string& folder, const std::string& name) {
  HWND open = FindDialog(title);
  if (!open) return false;
  SetWindowTextA(FileNameBox(open), folder.c_str());
  SendMessageA(open, WM_COMMAND, IDOK, 0);
  wintest::Settle(200);
  if (!IsWindow(open)) return false;  // the folder was taken for a file
  SetWindowTextA(FileNameBox(open), name.c_str());
  PostMessageA(open, WM_COMMAND, IDOK, 0);
  return WaitGone(open);
}

// A button press that may open a modal window: posted, so this thread does
// not wait for the window to end.
void PostClick(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string Text(HWND w) {
  char buffer[512] = "";
  GetWindowTextA(w, buffer, sizeof buffer);
  return buffer;
}

// 256 colours, colour i = (i, 255 - i, i / 2).
wintest::Bytes ActPalette() {
  wintest::Bytes b;
  for (int i = 0; i < 256; ++i) {
    b.push_back(static_cast<uint8_t>(i));
    b.push_back(static_cast<uint8_t>(255 - i));
    b.push_back(static_cast<uint8_t>(i / 2));
  }
  return b;
}

// vrixhost run in `directory` on a thread of its own while this one works
// its dialog; its standard output and error go to a log.
class Vrixhost {
 public:
  Vrixhost(const std::string& arguments, const std::string& directory, const std::string& log)
      : m_Log(log) {
    const std::string line = "\"" + wintest::WinPath(VRIXHOST_EXE) + "\" " + arguments;
    m_Thread = std::thread([this, line, directory] {
      m_Result = wintest::RunChild(line, {}, directory, m_Log, 60000);
    });
  }
  ~Vrixhost() {
    if (m_Thread.joinable()) m_Thread.join();
  }
  // Waits for the program's end; its exit code, 99 when it had to be killed.
  DWORD Finish() {
    m_Thread.join();
    EXPECT_TRUE(m_Result.started);
    return m_Result.finished ? m_Result.exitCode : 99;
  }
  std::string Log() const { return wintest::ReadFileText(m_Log); }

 private:
  std::string m_Log;
  wintest::ChildResult m_Result;
  std::thread m_Thread;
};

const char kNobodyCanSee[] = "nobody can see this dialog";

class DialogCommands : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
  }
  ScratchDir dir;
  std::string work = dir / "work";            // the command's current folder
  std::string elsewhere = dir / "elsewhere";  // where the file dialog goes
  std::string log = dir / "vrixhost.log";
  std::string palvex = "--plugin=\"" + wintest::WinPath(PALVEX_PATH) + "\"";
  std::string kinetra = "--plugin=\"" + wintest::WinPath(KINETRA_PATH) + "\"";
};

TEST_F(DialogCommands, GifOptionsSavesBesideTheCommandAfterAPaletteFilePick) {
  const std::string palette = elsewhere + "\\ramp.act";
  ASSERT_TRUE(wintest::WriteFileBytes(palette, ActPalette()));
  Vrixhost run("gif-options " + palvex + " opts.txt", work, log);
  HWND dialog = FindDialog("GIF Options");
  ASSERT_NE(nullptr, dialog) << run.Log();
  // The built-in entries as the dialog shows them are the names the command
  // line takes.
  std::vector<std::string> shown;
  for (int i = 0; i < 8; ++i) {
    // Asked in UTF-16: Wine hands another process's list text over as such.
    wchar_t item[128] = L"";
    SendDlgItemMessageW(dialog, 1009, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    char narrow[128] = "";
    WideCharToMultiByte(CP_ACP, 0, item, -1, narrow, sizeof narrow, nullptr, nullptr);
    shown.push_back(narrow);
  }
  // "Other..." is the last entry.
  const int other = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCOUNT, 0, 0)) - 1;
  SendDlgItemMessageA(dialog, 1009, CB_SETCURSEL, other, 0);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1009, CBN_CLOSEUP),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1009)));
  const bool picked = PickInOpenDialog("Open", elsewhere, "ramp.act");
  wintest::WaitFor([&] { return Text(GetDlgItem(dialog, 1010)) == "ramp.act"; });
  const std::string chosen = Text(GetDlgItem(dialog, 1010));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(0u, run.Finish()) << run.Log();

  EXPECT_TRUE(picked);
  EXPECT_EQ("ramp.act", chosen);
  const std::string saved = wintest::ReadFileText(work + "\\opts.txt");
  EXPECT_NE(std::string::npos, saved.find("PixelFormatRegKey_PaletteSize int 256")) << saved;
  EXPECT_FALSE(wintest::Exists(elsewhere + "\\opts.txt")) << "saved where the dialog went";
  EXPECT_NE(std::string::npos,
            run.Log().find("vrixhost gif-options: " + std::string(kNobodyCanSee)))
      << run.Log();
  for (int i = 0; i < 8; ++i) {
    int32_t choice = -1;
    EXPECT_TRUE(vrixhost::BuiltinPaletteChoice(shown[i], &choice)) << shown[i];
    EXPECT_EQ(i, choice) << shown[i];
  }
}

TEST_F(DialogCommands, GifAssetSavesBesideTheCommandAfterABrowse) {
  const std::string first = work + "\\still.gif", picked = elsewhere + "\\three-frames.gif";
  ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(kData + "still.gif"), first));
  ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(kData + "three-frames.gif"), picked));
  ASSERT_TRUE(wintest::WriteFileText(work + "\\asset.txt",
                                     "FileName text " + first + "\r\nLinked int 1\r\n"));
  Vrixhost run("gif-asset " + kinetra + " asset.txt", work, log);
  HWND dialog = FindDialog("Animated GIF Asset Properties");
  ASSERT_NE(nullptr, dialog) << run.Log();
  PostClick(dialog, 1040);  // Browse...
  const bool browsed = PickInOpenDialog("Open animated GIF file", elsewhere, "three-frames.gif");
  PostClick(dialog, 1039);  // OK
  EXPECT_EQ(0u, run.Finish()) << run.Log();

  EXPECT_TRUE(browsed);
  const std::string saved = wintest::ReadFileText(work + "\\asset.txt");
  EXPECT_NE(std::string::npos, saved.find("FileName text " + picked)) << saved;
  EXPECT_FALSE(wintest::Exists(elsewhere + "\\asset.txt")) << "saved where Browse went";
  EXPECT_NE(std::string::npos, run.Log().find("vrixhost gif-asset: " + std::string(kNobodyCanSee)))
      << run.Log();
}

TEST_F(DialogCommands, ACancelledDialogEndsEveryCommandWithOne) {
  const std::string asset = "FileName text " + work + "\\still.gif\r\nLinked int 1\r\n";
  ASSERT_TRUE(wintest::CopyTo(wintest::WinPath(kData + "still.gif"), work + "\\still.gif"));
  ASSERT_TRUE(wintest::WriteFileText(work + "\\asset.txt", asset));
  const struct {
    std::string arguments;
    const char* title;
    int cancel;
    const char* name;
  } cases[] = {
      {"gif-options " + palvex + " opts.txt", "GIF Options", IDCANCEL, "vrixhost gif-options"},
      {"gif-asset " + kinetra + " asset.txt", "Animated GIF Asset Properties", 1042,
       "vrixhost gif-asset"},
      {"kinetra-dialog " + kinetra, "Animated GIF Asset Properties", 1042,
       "vrixhost kinetra-dialog"},
  };
  for (const auto& c : cases) {
    Vrixhost run(c.arguments, work, log);
    HWND dialog = FindDialog(c.title);
    EXPECT_NE(nullptr, dialog) << c.name << "\n" << run.Log();
    // The notice comes before the dialog waits.
    const bool noticed =
        wintest::WaitFor([&] { return run.Log().find(kNobodyCanSee) != std::string::npos; });
    if (dialog) PostClick(dialog, c.cancel);
    EXPECT_EQ(1u, run.Finish()) << c.name << "\n" << run.Log();
    EXPECT_TRUE(noticed) << c.name << "\n" << run.Log();
    const std::string out = run.Log();
    EXPECT_NE(std::string::npos, out.find(std::string(c.name) + ": " + kNobodyCanSee)) << out;
    EXPECT_NE(std::string::npos, out.find("--display")) << out;
  }
  EXPECT_FALSE(wintest::Exists(work + "\\opts.txt"));
  EXPECT_EQ(asset, wintest::ReadFileText(work + "\\asset.txt"));
}

TEST_F(DialogCommands, AnUnknownPaletteNameListsTheKnownOnes) {
  const std::string bmp = work + "\\in.bmp";
  ASSERT_TRUE(
      wintest::CopyTo(wintest::WinPath(SOMNEL_SOURCE_DIR "/xlib/mm/tests/data/f8.bmp"), bmp));
  Vrixhost unknown("gif-export " + palvex + " --palette=Webb in.bmp out.gif", work, log);
  EXPECT_EQ(2u, unknown.Finish()) << unknown.Log();
  EXPECT_NE(std::string::npos,
            unknown.Log().find("--palette=Webb names no palette and no file; the built-in "
                               "palettes are \"Exact Palette\" (exact), \"Web\""))
      << unknown.Log();
  Vrixhost missing("gif-export " + palvex + " --palette=none.act in.bmp out.gif", work, log);
  EXPECT_EQ(1u, missing.Finish()) << missing.Log();
  EXPECT_NE(std::string::npos, missing.Log().find("palette file \"none.act\" does not exist"))
      << missing.Log();
  Vrixhost named("gif-export " + palvex + " \"--palette=macintosh system\" in.bmp out.gif", work,
                 log);
  EXPECT_EQ(0u, named.Finish()) << named.Log();
  EXPECT_FALSE(wintest::Exists(work + "\\out.gif.partial"));
  EXPECT_TRUE(wintest::Exists(work + "\\out.gif"));
}

}  // namespace
