// Kinetra's asset properties dialog through the real Kinetra.dll and the
// stand-in host: the host's animated-GIF asset, its dialog builder with real
// Win32 controls, driven from a helper thread through window messages. The
// open-file dialog is the comdlg32 stand-in (ComdlgStub.h).
#include <windows.h>

#include <commdlg.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/GifAsset.h"
#include "host/KinetraSession.h"
#include "host/SpriteView.h"
#include "plugin/assetprops/tests/ComdlgStub.h"

using namespace vrixhost;

namespace {

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/host/tests/data/";
const std::string kThreeFrames = kData + "three-frames.gif";
const std::string kStill = kData + "still.gif";
constexpr char kTitle[] = "Animated GIF Asset Properties";
constexpr int kFirstId = 1000;  // the builder's control of item i is kFirstId + i

HWND Item(HWND dialog, int item) {
  return GetDlgItem(dialog, kFirstId + item);
}

std::string Text(HWND w) {
  char buffer[1100] = "";
  GetWindowTextA(w, buffer, sizeof buffer);
  return buffer;
}

std::string ClassOf(HWND w) {
  char buffer[64] = "";
  GetClassNameA(w, buffer, sizeof buffer);
  return buffer;
}

// Finds a visible top-level window of this process with the title.
HWND FindOwn(const char* title, int tries = 500) {
  for (int i = 0; i < tries; ++i) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, nullptr, title)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
    }
    Sleep(10);
  }
  return nullptr;
}

void Click(HWND dialog, int item) {
  SendMessageA(Item(dialog, item), BM_CLICK, 0, 0);
}

void TypeText(HWND dialog, int item, const char* text) {
  HWND edit = Item(dialog, item);
  SetWindowTextA(edit, text);  // the edit tells the dialog it changed
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFirstId + item, EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(edit));
}

void Choose(HWND dialog, int item, int index) {
  HWND box = Item(dialog, item);
  SendMessageA(box, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFirstId + item, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(box));
}

class AssetDialog : public testing::Test {
 protected:
  void SetUp() override {
    hostObjects_ = LiveHostObjects();
    std::string error;
    ASSERT_TRUE(session_.Open(KINETRA_PATH, &error)) << error;
    StubComdlgScript("");
  }
  void TearDown() override {
    if (asset_) asset_->ops->Release(asset_);
    session_.Close();
    EXPECT_EQ(hostObjects_, LiveHostObjects());
  }

  GifAsset* MakeAsset(const std::string& file, const char* mode = "normal", int32_t tempo = 9) {
    GifAssetProperties p;
    p.fileName = file;
    p.playbackMode = mode;
    p.fixedTempo = tempo;
    asset_ = GifAsset::Create(p);
    return asset_;
  }

  HostCallback* host() { return session_.callback(); }
  VxAssetOptions* options() { return session_.options(); }

  // Shows the dialog over the asset while `drive` works it from another
  // thread (it must end the dialog); then finishes. The show's status.
  VxStatus Run(const std::function<void(HWND)>& drive) {
    VxAssetOptions* o = options();
    EXPECT_EQ(VX_OK, o->ops->Attach(o, asset_));
    std::thread driver([&] {
      HWND dialog = FindOwn(kTitle);
      if (dialog) {
        Sleep(100);
        drive(dialog);
      }
      found_ = dialog != nullptr;
      if (!dialog) CloseEverything();
    });
    const VxStatus status = o->ops->ShowDialog(o, nullptr);
    driver.join();
    finished_ = o->ops->Finish(o, 1, &result_);
    return status;
  }

  // When the dialog did not come: what did, closed, so that the test ends.
  static void CloseEverything() {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, nullptr, nullptr)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid != GetCurrentProcessId() || !IsWindowVisible(w)) continue;
      char text[1024] = "";
      if (GetDlgItem(w, 0xFFFF)) GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
      ADD_FAILURE() << "unexpected window \"" << Text(w) << "\" (" << ClassOf(w) << ") " << text;
      PostMessageA(w, WM_CLOSE, 0, 0);
      PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    }
  }

  // Closes a message box of this process, returning its text.
  static std::string CloseMessageBox(int tries = 500) {
    for (int i = 0; i < tries; ++i) {
      HWND w = nullptr;
      while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !GetDlgItem(w, 0xFFFF)) continue;
        char text[1024] = "";
        GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
        PostMessageA(w, WM_COMMAND, IDOK, 0);
        return text;
      }
      Sleep(10);
    }
    return std::string();
  }

  // Shows the dialog of `o` and cancels it, without finishing. The show's
  // status; found_ tells whether the dialog came.
  VxStatus ShowAndCancel(VxAssetOptions* o) {
    std::thread driver([&] {
      HWND dialog = FindOwn(kTitle);
      found_ = dialog != nullptr;
      if (dialog) {
        Click(dialog, 42);
      } else {
        CloseEverything();
      }
    });
    const VxStatus status = o->ops->ShowDialog(o, nullptr);
    driver.join();
    return status;
  }

  // How many times item `item` was refreshed through the builder.
  int32_t BuilderRefreshesOf(int32_t item) {
    const std::vector<int32_t>& r = host()->builderRefreshes;
    return static_cast<int32_t>(std::count(r.begin(), r.end(), item));
  }

  KinetraSession session_;
  GifAsset* asset_ = nullptr;
  int32_t hostObjects_ = 0;
  bool found_ = false;
  int32_t result_ = -1;
  VxStatus finished_ = -1;
};

TEST_F(AssetDialog, ShowsTheAssetAndCancelWritesNothing) {
  MakeAsset(kThreeFrames, "fixed", 0);
  std::string tempo, frames, width, height, file, link;
  bool tempoEnabled = false, playEnabled = false;
  const VxStatus status = Run([&](HWND dialog) {
    tempo = Text(Item(dialog, 31));
    tempoEnabled = IsWindowEnabled(Item(dialog, 31)) != FALSE;
    frames = Text(Item(dialog, 6));
    width = Text(Item(dialog, 7));
    height = Text(Item(dialog, 8));
    file = Text(Item(dialog, 13));
    link = Text(Item(dialog, 12));
    playEnabled = IsWindowEnabled(Item(dialog, 5)) != FALSE;
    Click(dialog, 42);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(VX_OK, finished_);
  EXPECT_EQ(0, result_);
  EXPECT_EQ("15", tempo);  // a fixed tempo of 0 shows 15
  EXPECT_TRUE(tempoEnabled);
  EXPECT_EQ("3 frames", frames);
  EXPECT_EQ("Width: 8 pixels", width);
  EXPECT_EQ("Height: 6  pixels", height);
  EXPECT_EQ(kThreeFrames, file);
  EXPECT_EQ("Link File:", link);
  EXPECT_TRUE(playEnabled);
  // Cancel put the information block back and set nothing else.
  EXPECT_EQ((std::vector<std::string>{"set info"}), asset_->Sets());
  EXPECT_EQ(0, asset_->properties.fixedTempo);
}

TEST_F(AssetDialog, OkWritesExactlyTheChangedProperties) {
  MakeAsset(kThreeFrames, "normal", 9);
  bool tempoEnabledBefore = true, tempoEnabledAfter = false;
  const VxStatus status = Run([&](HWND dialog) {
    tempoEnabledBefore = IsWindowEnabled(Item(dialog, 31)) != FALSE;
    Choose(dialog, 30, 1);  // "Fixed"
    tempoEnabledAfter = IsWindowEnabled(Item(dialog, 31)) != FALSE;
    TypeText(dialog, 31, "12");
    Click(dialog, 26);  // Direct to Stage
    Click(dialog, 39);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(VX_OK, finished_);
  EXPECT_EQ(2, result_);
  EXPECT_FALSE(tempoEnabledBefore);
  EXPECT_TRUE(tempoEnabledAfter);
  EXPECT_EQ(
      (std::vector<std::string>{"get info", "get linked", "get directToStage", "get fixedTempo",
                                "get fileName", "get playbackMode", "set directToStage 1",
                                "set playbackMode fixed", "set fixedTempo 12"}),
      asset_->log);
  EXPECT_EQ("fixed", asset_->properties.playbackMode);
  EXPECT_EQ(12, asset_->properties.fixedTempo);
  EXPECT_EQ(1, asset_->properties.directToStage);
  EXPECT_EQ(kThreeFrames, asset_->properties.fileName);
}

TEST_F(AssetDialog, CancelAfterBrowseRestoresTheFile) {
  MakeAsset(kThreeFrames);
  StubComdlgScript(kStill.c_str());
  static std::atomic<int> beforeDuring, afterDuring;
  static HostCallback* hostForNotices;
  hostForNotices = host();
  StubComdlgDuring([] {
    beforeDuring = hostForNotices->systemDialogs.before;
    afterDuring = hostForNotices->systemDialogs.after;
  });
  std::string fileShown, framesShown;
  const VxStatus status = Run([&](HWND dialog) {
    Click(dialog, 40);
    fileShown = Text(Item(dialog, 13));
    framesShown = Text(Item(dialog, 6));
    Click(dialog, 42);
  });
  StubComdlgDuring(nullptr);
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(0, result_);
  ASSERT_EQ(1, StubComdlgCallCount());
  const StubOpenCall& call = *StubComdlgCall(0);
  EXPECT_STREQ(kThreeFrames.c_str(), call.file);
  EXPECT_STREQ("Open animated GIF file", call.title);
  EXPECT_STREQ("Animated GIF Files (*.GIF)|*.GIF|All Files (*.*)|*.*|", call.filter);
  EXPECT_EQ(1u, call.filterIndex);
  EXPECT_EQ(1024u, call.maxFile);
  EXPECT_EQ(static_cast<DWORD>(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_SHAREAWARE), call.flags);
  EXPECT_NE(nullptr, call.owner);
  EXPECT_EQ(1, beforeDuring);
  EXPECT_EQ(0, afterDuring);
  EXPECT_EQ((std::vector<std::string>{"before", "after"}), host()->systemDialogs.events);
  EXPECT_EQ(kStill, fileShown);
  EXPECT_EQ("1 frames", framesShown);  // the file was reloaded
  // The chosen file was set, then Cancel put the first one back.
  EXPECT_EQ((std::vector<std::string>{"set fileName " + kStill, "set info",
                                      "set fileName " + kThreeFrames}),
            asset_->Sets());
  EXPECT_EQ(kThreeFrames, asset_->properties.fileName);
  int32_t frames = 0;
  EXPECT_EQ(VX_OK, asset_->ops->GetFrameCount(asset_, &frames));
  EXPECT_EQ(3, frames);
  EXPECT_EQ((std::vector<std::string>{"reset"}), asset_->playerLog);
}

TEST_F(AssetDialog, BrowseShowsTheDialogAgainAfterAnInvalidName) {
  MakeAsset(kThreeFrames);
  StubComdlgScript(("invalid\n" + kStill).c_str());
  const VxStatus status = Run([&](HWND dialog) {
    Click(dialog, 40);
    Click(dialog, 39);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(2, result_);
  ASSERT_EQ(2, StubComdlgCallCount());
  EXPECT_STREQ(kThreeFrames.c_str(), StubComdlgCall(0)->file);
  EXPECT_STREQ("", StubComdlgCall(1)->file);  // shown again with an empty name
  EXPECT_EQ(kStill, asset_->properties.fileName);
  const std::vector<std::string> sets = asset_->Sets();
  ASSERT_FALSE(sets.empty());
  EXPECT_EQ("set fileName " + kStill, sets.front());
}

TEST_F(AssetDialog, PlayStartsThePlayerAndStopStopsIt) {
  MakeAsset(kThreeFrames);
  std::string playing, stopped;
  std::vector<int32_t> frames;
  int32_t previewRefreshedByPlay = 0, previewRefreshedByStop = 0;
  const VxStatus status = Run([&](HWND dialog) {
    host()->builderRefreshes.clear();
    Click(dialog, 5);
    previewRefreshedByPlay = BuilderRefreshesOf(4);
    playing = Text(Item(dialog, 5));
    HostSpriteView* view = asset_->views.empty() ? nullptr : asset_->views[0];
    for (int i = 0; view && i < 300 && frames.size() < 3; ++i) {
      if (frames.empty() || frames.back() != view->lastFrame) frames.push_back(view->lastFrame);
      Sleep(10);
    }
    host()->builderRefreshes.clear();
    Click(dialog, 5);
    previewRefreshedByStop = BuilderRefreshesOf(4);
    stopped = Text(Item(dialog, 5));
    Click(dialog, 42);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ("Stop", playing);
  EXPECT_EQ("Play", stopped);
  // The sprite view's item is refreshed through the builder both times.
  EXPECT_EQ(1, previewRefreshedByPlay);
  EXPECT_EQ(1, previewRefreshedByStop);
  EXPECT_EQ((std::vector<int32_t>{0, 1, 2}), frames);  // the preview played the frames
  EXPECT_EQ((std::vector<std::string>{"play", "stop"}), asset_->playerLog);
  EXPECT_FALSE(asset_->playing);
}

TEST_F(AssetDialog, WithoutSpriteViewThePreviewIsNotAvailable) {
  MakeAsset(kThreeFrames);
  host()->refusedClasses.push_back(CLSID_VxSpriteView);
  std::string label, kind;
  bool playEnabled = true;
  const VxStatus status = Run([&](HWND dialog) {
    label = Text(Item(dialog, 4));
    kind = ClassOf(Item(dialog, 4));
    playEnabled = IsWindowEnabled(Item(dialog, 5)) != FALSE;
    Click(dialog, 42);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ("Preview Not Available", label);
  EXPECT_EQ("Static", kind);
  EXPECT_FALSE(playEnabled);
}

TEST_F(AssetDialog, UnreadableMediaEmptiesTheInformationLines) {
  MakeAsset(kData + "no-such.gif");
  std::vector<std::string> lines;
  const VxStatus status = Run([&](HWND dialog) {
    for (int item : {6, 7, 8}) lines.push_back(Text(Item(dialog, item)));
    Click(dialog, 42);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ((std::vector<std::string>{"", "", ""}), lines);
}

TEST_F(AssetDialog, InternetAddressBecomesTheFileName) {
  MakeAsset(kThreeFrames);
  host()->addressScript.scripted = true;
  host()->addressScript.answer = "http://example.com/walk.gif";
  std::string shown, frames;
  const VxStatus status = Run([&](HWND dialog) {
    Click(dialog, 41);
    shown = Text(Item(dialog, 13));
    frames = Text(Item(dialog, 6));
    Click(dialog, 39);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(2, result_);
  EXPECT_EQ((std::vector<std::string>{kThreeFrames}), host()->addressScript.asked);
  EXPECT_EQ("http://example.com/walk.gif", shown);
  EXPECT_EQ("", frames);  // an address the stand-in cannot read
  EXPECT_EQ("http://example.com/walk.gif", asset_->properties.fileName);
  EXPECT_EQ((std::vector<std::string>{"reset"}), asset_->playerLog);
}

// Each host service refused in turn: the documented status (or the
// fallback), a message box for an exception (closed here), and nothing left
// alive: the module can unload once the asset-options object has gone.
TEST_F(AssetDialog, RefusedServicesEndTheShowWithTheirStatus) {
  struct Case {
    const char* what;
    const VxGuid* clsid;      // a host class refused, or
    const VxGuid* interface;  // an interface the instance refuses
    VxStatus status;
    const char* box;  // text in the message box, null: none
  };
  const Case cases[] = {
      {"dialog builder", &CLSID_ZepDialogBuilder, nullptr, VX_E_INTERFACEMISSING,
       "Interface Missing!"},
      {"media utilities", &CLSID_VxMediaUtils, nullptr, VX_E_INTERFACEMISSING,
       "Interface Missing!"},
      {"options-dialog interface", nullptr, &IID_VxOptionsDialog, VX_E_NOINTERFACE, nullptr},
  };
  MakeAsset(kThreeFrames);
  session_.ReleaseOptions();
  for (const Case& c : cases) {
    host()->refusedClasses.clear();
    session_.instance()->refusedInterfaces.clear();
    if (c.clsid) host()->refusedClasses.push_back(*c.clsid);
    if (c.interface) session_.instance()->refusedInterfaces.push_back(*c.interface);
    void* out = nullptr;
    ASSERT_EQ(VX_OK, session_.instance()->GetInterface(IID_VxAssetOptions, &out));
    VxAssetOptions* o = static_cast<VxAssetOptions*>(out);
    std::string box;
    std::thread closer([&] {
      if (c.box) box = CloseMessageBox();
    });
    ASSERT_EQ(VX_OK, o->ops->Attach(o, asset_));
    EXPECT_EQ(c.status, o->ops->ShowDialog(o, nullptr)) << c.what;
    closer.join();
    int32_t result = -1;
    EXPECT_EQ(VX_OK, o->ops->Finish(o, 1, &result)) << c.what;
    EXPECT_EQ(0, result) << c.what;
    if (c.box) {
      EXPECT_NE(std::string::npos, box.find(c.box)) << c.what << ": " << box;
    }
    EXPECT_EQ(1u, o->ops->Release(o) + 1) << c.what;  // the last reference
    EXPECT_EQ(VX_OK, session_.module().exports().canUnloadNow()) << c.what;
    EXPECT_TRUE(asset_->views.empty()) << c.what;
  }
  // Nothing was written; the block was put back each time.
  for (const std::string& set : asset_->Sets()) EXPECT_EQ("set info", set);
}

// The operations that need no dialog, through the module's table.
TEST_F(AssetDialog, OperationsWithoutTheDialog) {
  MakeAsset(kThreeFrames);
  VxAssetOptions* o = options();
  ASSERT_EQ(VX_OK, o->ops->Attach(o, asset_));
  const int32_t bounds[4] = {0, 0, 160, 120};
  int32_t rect[4] = {};
  ASSERT_EQ(VX_OK, o->ops->FitPreview(o, 400, 100, bounds, rect));
  EXPECT_EQ((std::vector<int32_t>{0, 40, 160, 80}), std::vector<int32_t>(rect, rect + 4));
  EXPECT_EQ(VX_E_INVALIDARG, o->ops->FitPreview(o, 400, 100, bounds, nullptr));

  // Paint background: white on a Win32 drawing context, nothing on another.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, 8, 8, BLACKNESS);
  VxDrawingContext other{7, dc};
  EXPECT_EQ(VX_OK, o->ops->PaintBackground(o, 0, 0, 8, 8, &other));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 3, 3));
  VxDrawingContext win32{VX_DRAWING_WIN32, dc};
  EXPECT_EQ(VX_OK, o->ops->PaintBackground(o, 2, 1, 6, 5, &win32));  // top, left, bottom, right
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 1, 2));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 4, 5));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 5, 5));  // right and bottom are outside
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 0, 2));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);

  // Playback mode: the three symbols, nothing else.
  EXPECT_EQ(VX_OK, o->ops->SetPlaybackMode(o, 2));
  EXPECT_EQ(VX_OK, o->ops->SetPlaybackMode(o, 1));
  EXPECT_EQ(VX_E_INVALIDARG, o->ops->SetPlaybackMode(o, 3));
  EXPECT_EQ(VX_OK, o->ops->Reserved8(o));
  // Without a dialog there is nothing to fill and nothing to put back.
  EXPECT_EQ(VX_OK, o->ops->Revert(o));
  EXPECT_EQ((std::vector<std::string>{"set playbackMode lockStep", "set playbackMode fixed"}),
            asset_->Sets());
  int32_t result = -1;
  EXPECT_EQ(VX_OK, o->ops->Finish(o, 1, &result));
  EXPECT_EQ(0, result);
}

TEST_F(AssetDialog, OkAfterTogglingLinkedWritesLinkedAndTheFileName) {
  MakeAsset(kThreeFrames);
  std::string label;
  const VxStatus status = Run([&](HWND dialog) {
    Click(dialog, 22);  // "Linked" off
    label = Text(Item(dialog, 12));
    Click(dialog, 39);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(2, result_);
  EXPECT_EQ("Import:", label);
  EXPECT_EQ((std::vector<std::string>{"set fileName " + kThreeFrames, "set linked 0",
                                      "set directToStage 0", "set playbackMode normal"}),
            asset_->Sets());
  EXPECT_EQ(0, asset_->properties.linked);
}

TEST_F(AssetDialog, OkAfterEditingTheFileNameWritesItWithoutReload) {
  MakeAsset(kThreeFrames);
  const VxStatus status = Run([&](HWND dialog) {
    TypeText(dialog, 13, kStill.c_str());
    Click(dialog, 39);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(2, result_);
  EXPECT_EQ((std::vector<std::string>{"set fileName " + kStill, "set directToStage 0",
                                      "set playbackMode normal"}),
            asset_->Sets());
  EXPECT_EQ(kStill, asset_->properties.fileName);
  EXPECT_TRUE(asset_->playerLog.empty());  // written, not reloaded
}

TEST_F(AssetDialog, PlayWithAnEditedNameReloadsFirst) {
  MakeAsset(kThreeFrames);
  std::string frames;
  const VxStatus status = Run([&](HWND dialog) {
    TypeText(dialog, 13, kStill.c_str());
    Click(dialog, 5);
    frames = Text(Item(dialog, 6));
    Click(dialog, 5);
    Click(dialog, 42);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(0, result_);
  EXPECT_EQ("1 frames", frames);  // the edited file was loaded before playing
  EXPECT_EQ((std::vector<std::string>{"reset", "play", "stop"}), asset_->playerLog);
  EXPECT_EQ((std::vector<std::string>{"set fileName " + kStill, "set info",
                                      "set fileName " + kThreeFrames}),
            asset_->Sets());
}

TEST_F(AssetDialog, CancelledBrowseAndEmptyAddressChangeNothing) {
  MakeAsset(kThreeFrames);
  StubComdlgScript("cancel");
  host()->addressScript.scripted = true;
  host()->addressScript.answer = "";
  std::string file, frames;
  const VxStatus status = Run([&](HWND dialog) {
    Click(dialog, 40);
    Click(dialog, 41);
    file = Text(Item(dialog, 13));
    frames = Text(Item(dialog, 6));
    Click(dialog, 39);
  });
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, status);
  EXPECT_EQ(2, result_);
  EXPECT_EQ(1, StubComdlgCallCount());
  EXPECT_EQ((std::vector<std::string>{kThreeFrames}), host()->addressScript.asked);
  EXPECT_EQ(kThreeFrames, file);
  EXPECT_EQ("3 frames", frames);
  // No file name written, nothing reloaded.
  EXPECT_EQ((std::vector<std::string>{"set directToStage 0", "set playbackMode normal"}),
            asset_->Sets());
  EXPECT_TRUE(asset_->playerLog.empty());
}

// Released without finish after a show: the dialog's objects, the preview
// and the options-dialog object go, and the exception support is given back,
// so that the next show (for another host) sets it up for that host.
TEST_F(AssetDialog, ReleaseWithoutFinishFreesEverything) {
  MakeAsset(kThreeFrames);
  const int32_t hostObjects = LiveHostObjects();
  VxAssetOptions* o = options();
  ASSERT_EQ(VX_OK, o->ops->Attach(o, asset_));
  EXPECT_EQ(VX_OK, ShowAndCancel(o));
  ASSERT_TRUE(found_);
  EXPECT_EQ(1u, asset_->views.size());
  session_.ReleaseOptions();
  EXPECT_TRUE(asset_->views.empty());
  EXPECT_EQ(hostObjects, LiveHostObjects());
  EXPECT_EQ(0, session_.instance()->Held());
  EXPECT_EQ(VX_OK, session_.module().exports().canUnloadNow());

  HostAllocator allocator;
  HostCallback* other = HostCallback::Create();
  HostInstance* instance = nullptr;
  ASSERT_EQ(VX_OK, HostInstance::Create(session_.module().exports(), CLSID_KinetraGifOptions,
                                        &allocator, other, &instance));
  void* out = nullptr;
  ASSERT_EQ(VX_OK, instance->GetInterface(IID_VxAssetOptions, &out));
  VxAssetOptions* second = static_cast<VxAssetOptions*>(out);
  ASSERT_EQ(VX_OK, second->ops->Attach(second, asset_));
  const int firstHostOpens = host()->resourceOpens;
  EXPECT_EQ(VX_OK, ShowAndCancel(second));
  EXPECT_TRUE(found_);
  int32_t result = -1;
  EXPECT_EQ(VX_OK, second->ops->Finish(second, 0, &result));
  second->ops->Release(second);
  EXPECT_EQ(VX_OK, instance->Destroy());
  EXPECT_GT(other->resourceOpens, 0);  // the texts came through the new host
  EXPECT_EQ(other->resourceOpens, other->resourceCloses);
  EXPECT_EQ(firstHostOpens, host()->resourceOpens);
  other->ops->Release(other);
  EXPECT_EQ(0u, allocator.LiveBlocks());
  EXPECT_EQ(VX_OK, session_.module().exports().canUnloadNow());
}

TEST_F(AssetDialog, SecondShowWithoutFinishKeepsOnePreview) {
  MakeAsset(kThreeFrames);
  VxAssetOptions* o = options();
  ASSERT_EQ(VX_OK, o->ops->Attach(o, asset_));
  EXPECT_EQ(VX_OK, ShowAndCancel(o));
  ASSERT_TRUE(found_);
  EXPECT_EQ(VX_OK, ShowAndCancel(o));
  ASSERT_TRUE(found_);
  EXPECT_EQ(1u, asset_->views.size());  // the first show's view went
  int32_t result = -1;
  EXPECT_EQ(VX_OK, o->ops->Finish(o, 0, &result));
  EXPECT_EQ(0, result);
  EXPECT_TRUE(asset_->views.empty());
  session_.ReleaseOptions();
  EXPECT_EQ(VX_OK, session_.module().exports().canUnloadNow());
}

// Pointers the host passes that are null, or not ones the module gave out,
// are refused with 0x80040001 at once: nothing is written through them and
// no message box is shown.
TEST_F(AssetDialog, HostPointersThatAreNotUsableAreRefused) {
  MakeAsset(kThreeFrames);
  VxAssetOptions* o = options();
  ASSERT_EQ(VX_OK, o->ops->Attach(o, asset_));
  void* out = nullptr;
  ASSERT_EQ(VX_OK, session_.instance()->GetInterface(IID_VxOptionsDialog, &out));
  VxOptionsDialog* d = static_cast<VxOptionsDialog*>(out);

  std::atomic<bool> done{false};
  std::atomic<int> boxes{0};
  std::thread watcher([&] {
    while (!done) {
      if (!CloseMessageBox(1).empty()) ++boxes;
    }
  });
  ZepPropertyRecord foreign{};
  foreign.width = 7;
  foreign.height = 8;
  const int32_t bounds[4] = {0, 0, 160, 120};
  int32_t rect[4] = {};
  const ZepEvent event{ZEP_EVENT_ITEM_CLICKED, 39};
  int data = 0;
  const struct {
    const char* what;
    std::function<VxStatus()> call;
  } cases[] = {
      {"record size, null", [&] { return o->ops->SetRecordSize(o, nullptr, 1, 2); }},
      {"record size, foreign", [&] { return o->ops->SetRecordSize(o, &foreign, 1, 2); }},
      {"item size, null", [&] { return o->ops->SetItemSize(o, nullptr, 1, 2); }},
      {"item size, foreign", [&] { return o->ops->SetItemSize(o, &foreign, 1, 2); }},
      {"fit preview, bounds", [&] { return o->ops->FitPreview(o, 10, 10, nullptr, rect); }},
      {"fit preview, out", [&] { return o->ops->FitPreview(o, 10, 10, bounds, nullptr); }},
      {"paint background", [&] { return o->ops->PaintBackground(o, 0, 0, 8, 8, nullptr); }},
      {"finish, result", [&] { return o->ops->Finish(o, 1, nullptr); }},
      {"notify, event", [&] { return d->ops->Notify(d, &CLSID_ZepDialogBuilder, nullptr, &data); }},
      {"notify, data", [&] { return d->ops->Notify(d, &CLSID_ZepDialogBuilder, &event, nullptr); }},
  };
  for (const auto& c : cases) EXPECT_EQ(VX_E_INVALIDARG, c.call()) << c.what;
  done = true;
  watcher.join();
  EXPECT_EQ(0, boxes);
  EXPECT_EQ(7, foreign.width);
  EXPECT_EQ(8, foreign.height);
  EXPECT_TRUE(asset_->Sets().empty());
  d->ops->Release(d);
}

}  // namespace
