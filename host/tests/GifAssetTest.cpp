// The stand-in's animated-GIF asset, its media read through Windows' imaging
// components, its player, the sprite view that plays it, the address-input
// dialog and the system-dialog notices.
#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/AddressDialog.h"
#include "host/GifAsset.h"
#include "host/GifMedia.h"
#include "host/HostInstance.h"
#include "host/HostMediaUtils.h"
#include "host/SpriteView.h"
#include "host/tests/GifCraft.h"
#include "host/tests/GifScene.h"
#include "saver/tests/WinTestUtil.h"

using namespace vrixhost;
using giftest::CraftedFrame;
using giftest::CraftGif;
using giftest::Dot;

namespace {

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/host/tests/data/";
const std::string kThreeFrames = kData + "three-frames.gif";
const std::string kStill = kData + "still.gif";

constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kGreen = 0xFF00FF00u,
                   kWhite = 0xFFFFFFFFu;

uint32_t Pixel(const GifFrames& f, size_t frame, int x, int y) {
  return f.pictures[frame][static_cast<size_t>(y) * f.width + x];
}

TEST(GifMedia, ReadsEveryFrameComposedWithItsDelay) {
  GifFrames f;
  ASSERT_EQ(VX_OK, LoadGifFrames(kThreeFrames, &f));
  EXPECT_EQ(8, f.width);
  EXPECT_EQ(6, f.height);
  ASSERT_EQ(3u, f.pictures.size());
  EXPECT_EQ((std::vector<int32_t>{100, 200, 300}), f.delaysMs);
  // The F: red at (1, 1) and (1, 4), blue beside it; the picture is not
  // mirrored or upside down.
  EXPECT_EQ(kRed, Pixel(f, 0, 1, 1));
  EXPECT_EQ(kRed, Pixel(f, 0, 3, 1));
  EXPECT_EQ(kRed, Pixel(f, 0, 1, 4));
  EXPECT_EQ(kBlue, Pixel(f, 0, 3, 4));
  EXPECT_EQ(kBlue, Pixel(f, 0, 7, 5));
  EXPECT_EQ(kGreen, Pixel(f, 1, 1, 1));
  // Frame 2 is a 3 x 2 sub-frame at (4, 3) over frame 1.
  EXPECT_EQ(kWhite, Pixel(f, 2, 4, 3));
  EXPECT_EQ(kWhite, Pixel(f, 2, 6, 4));
  EXPECT_EQ(kGreen, Pixel(f, 2, 3, 3));
  EXPECT_EQ(kGreen, Pixel(f, 2, 7, 4));
  EXPECT_EQ(kGreen, Pixel(f, 2, 0, 0));
}

TEST(GifMedia, RefusesMissingAndOtherFiles) {
  GifFrames f;
  EXPECT_NE(VX_OK, LoadGifFrames(kData + "no-such.gif", &f));
  EXPECT_NE(VX_OK, LoadGifFrames(kData + "make-fixtures.py", &f));
  EXPECT_NE(VX_OK, LoadGifFrames("", &f));
  EXPECT_NE(VX_OK, LoadGifFrames("http://example.com/a.gif", &f));
  EXPECT_TRUE(f.pictures.empty());
}

TEST(GifMedia, ComposesFramesOnOneCanvasHonouringTheirDisposal) {
  std::vector<CraftedFrame> frames;
  for (const giftest::SceneFrame& s : giftest::kScene) {
    CraftedFrame f;
    f.left = static_cast<uint16_t>(s.left);
    f.top = static_cast<uint16_t>(s.top);
    f.width = static_cast<uint16_t>(s.width);
    f.height = static_cast<uint16_t>(s.height);
    for (const char* c = s.letters; *c; ++c) f.indices.push_back(giftest::IndexOf(*c));
    f.disposal = s.disposal;
    f.delay = static_cast<uint16_t>(10 * frames.size() + 20);
    frames.push_back(f);
  }
  wintest::ScratchDir dir;
  const std::string path = dir / "scene.gif";
  ASSERT_TRUE(wintest::WriteFileBytes(path, CraftGif(6, 4, frames)));
  GifFrames f;
  std::string why;
  ASSERT_EQ(VX_OK, LoadGifFrames(path, &f, &why)) << why;
  EXPECT_EQ(6, f.width);
  EXPECT_EQ(4, f.height);
  ASSERT_EQ(4u, f.pictures.size());
  EXPECT_EQ((std::vector<int32_t>{200, 300, 400, 500}), f.delaysMs);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(giftest::Pixels(giftest::kScenePictures[i]), f.pictures[i]) << "frame " << i;
}

TEST(GifMedia, RefusesAScreenBeyondTheLimitInWords) {
  for (uint16_t side : {20000, 65535}) {
    wintest::ScratchDir dir;
    const std::string path = dir / "screen.gif";
    ASSERT_TRUE(wintest::WriteFileBytes(path, CraftGif(side, side, {Dot(0, 0, 1)})));
    GifFrames f;
    std::string why;
    EXPECT_EQ(kGifTooLarge, LoadGifFrames(path, &f, &why)) << side;
    const std::string size = std::to_string(side) + " x " + std::to_string(side) + " pixels";
    EXPECT_NE(std::string::npos, why.find("logical screen is " + size)) << why;
    EXPECT_TRUE(f.pictures.empty());
  }
}

// A frame declared larger than the limit, with one pixel's data, is refused
// before the imaging components make room for it.
TEST(GifMedia, RefusesAFrameBeyondTheLimitInWords) {
  CraftedFrame huge = Dot(0, 0, 1);
  huge.width = huge.height = 65535;
  wintest::ScratchDir dir;
  const std::string path = dir / "frame.gif";
  ASSERT_TRUE(wintest::WriteFileBytes(path, CraftGif(10, 10, {Dot(0, 0, 2), huge})));
  GifFrames f;
  std::string why;
  EXPECT_EQ(kGifTooLarge, LoadGifFrames(path, &f, &why));
  EXPECT_NE(std::string::npos, why.find("frame 2 is 65535 x 65535 pixels")) << why;
  EXPECT_TRUE(f.pictures.empty());
}

size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  EXPECT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters));
  return counters.PeakWorkingSetSize;
}

// 2000 one-pixel frames on a 2000 x 2000 screen (a 50 KB file) once kept a
// 16 MB picture each.
TEST(GifMedia, ManyTinyFramesOnALargeScreenKeepLittle) {
  constexpr uint16_t kSide = 2000, kCount = 2000;
  std::vector<CraftedFrame> frames;
  for (uint16_t i = 0; i < kCount; ++i)
    frames.push_back(Dot(i, static_cast<uint16_t>(i * 7 % kSide), static_cast<uint8_t>(1 + i % 5)));
  wintest::ScratchDir dir;
  const std::string path = dir / "dots.gif";
  ASSERT_TRUE(wintest::WriteFileBytes(path, CraftGif(kSide, kSide, frames)));
  const size_t peakBefore = PeakWorkingSet();

  GifFrames f;
  std::string why;
  ASSERT_EQ(VX_OK, LoadGifFrames(path, &f, &why)) << why;
  ASSERT_EQ(kCount, f.pictures.size());
  const uint64_t canvas = uint64_t{kSide} * kSide * 4;
  for (size_t shown : {size_t{0}, size_t{999}, size_t{kCount - 1}}) {
    const std::vector<uint32_t> picture = f.pictures[shown];
    ASSERT_EQ(canvas / 4, picture.size());
    size_t drawn = 0;
    for (uint32_t p : picture) drawn += p != 0;
    EXPECT_EQ(shown + 1, drawn) << "frame " << shown;  // each frame keeps those before
    const CraftedFrame& dot = frames[shown];
    EXPECT_EQ(giftest::kColours[dot.indices[0]],
              picture[static_cast<size_t>(dot.top) * kSide + dot.left]);
  }
  // The canvas and, for each frame, its pixel, its colours and its place.
  EXPECT_LE(f.pictures.BytesKept(), canvas + kCount * 256u);
  // The process grew by little more than the canvas and a picture of it.
  EXPECT_LT(PeakWorkingSet(), peakBefore + 3 * canvas + (16u << 20));
}

TEST(GifAssetCommand, RefusesAGifTooLargeToPreviewInWords) {
  for (uint16_t side : {20000, 65535}) {
    wintest::ScratchDir dir;
    const std::string gif = dir / "screen.gif";
    const std::string asset = dir / "asset.txt";
    const std::string assetText = "FileName text " + gif + "\n";
    ASSERT_TRUE(wintest::WriteFileBytes(gif, CraftGif(side, side, {Dot(0, 0, 1)})));
    ASSERT_TRUE(wintest::WriteFileText(asset, assetText));
    const wintest::ChildResult run =
        wintest::RunChild("\"" + wintest::WinPath(VRIXHOST_PATH) + "\" gif-asset --plugin=\"" +
                              wintest::WinPath(KINETRA_PATH) + "\" \"" + asset + "\"",
                          {}, "", dir / "out.txt");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(1u, run.exitCode);
    const std::string size = std::to_string(side) + " x " + std::to_string(side) + " pixels";
    EXPECT_NE(std::string::npos, wintest::ReadFileText(dir / "out.txt")
                                     .find("vrixhost gif-asset: " + gif +
                                           ": cannot be previewed: its logical screen is " + size))
        << wintest::ReadFileText(dir / "out.txt");
    EXPECT_EQ(assetText, wintest::ReadFileText(asset));
  }
}

TEST(AssetFile, ReadsWritesAndRefuses) {
  GifAssetProperties p;
  std::string error;
  ASSERT_TRUE(ParseAssetProperties(
      "FileName text C:\\art\\walk.gif\nLinked int 0\nPlaybackMode text lockStep\n", &p, &error))
      << error;
  EXPECT_EQ("C:\\art\\walk.gif", p.fileName);
  EXPECT_EQ(0, p.linked);
  EXPECT_EQ(0, p.directToStage);  // default kept
  EXPECT_EQ("lockStep", p.playbackMode);
  EXPECT_EQ(15, p.fixedTempo);
  EXPECT_EQ(
      "# vrixhost dictionary: KEY TYPE VALUE a line\n"
      "FileName text C:\\art\\walk.gif\nLinked int 0\nDirectToStage int 0\n"
      "PlaybackMode text lockStep\nFixedTempo int 15\n",
      FormatAssetProperties(p));

  GifAssetProperties q;
  EXPECT_FALSE(ParseAssetProperties("PlaybackMode text fast\n", &q, &error));
  EXPECT_NE(std::string::npos, error.find("fast")) << error;
  EXPECT_FALSE(ParseAssetProperties("Linked text yes\n", &q, &error));
  EXPECT_NE(std::string::npos, error.find("Linked")) << error;
  EXPECT_EQ(kModeNormal, q.playbackMode);  // unchanged by a refused text
}

class Asset : public testing::Test {
 protected:
  void SetUp() override { live_ = LiveHostObjects(); }
  void TearDown() override {
    EXPECT_EQ(live_, LiveHostObjects());
    EXPECT_EQ(0, LiveHostValues());
  }
  static VxSymbol Id(VxAsset* a, uint32_t role) {
    VxSymbol id = 0;
    EXPECT_EQ(VX_OK, a->ops->GetPropertyId(a, role, &id));
    return id;
  }
  int32_t live_ = 0;
};

TEST_F(Asset, PropertiesThroughItsOperationsAreLogged) {
  GifAssetProperties p;
  p.fileName = kThreeFrames;
  p.fixedTempo = 0;
  GifAsset* a = GifAsset::Create(p);
  VxValue v{};
  ASSERT_EQ(VX_OK, a->ops->GetProperty(a, Id(a, VX_ASSET_PROP_FILE_NAME), &v));
  std::string text;
  EXPECT_TRUE(ValueText(v, &text));
  EXPECT_EQ(kThreeFrames, text);
  ReleaseHostValue(&v);
  ASSERT_EQ(VX_OK, a->ops->GetProperty(a, Id(a, VX_ASSET_PROP_FIXED_TEMPO), &v));
  int32_t n = -1;
  ASSERT_EQ(kValueInteger, v.type);
  n = static_cast<int32_t>(static_cast<uint32_t>(v.data));
  EXPECT_EQ(0, n);
  ASSERT_EQ(VX_OK, a->ops->GetProperty(a, Id(a, VX_ASSET_PROP_PLAYBACK_MODE), &v));
  VxSymbol mode = 0;
  ASSERT_EQ(kValueSymbol, v.type);
  mode = static_cast<VxSymbol>(v.data);
  EXPECT_EQ(InternSymbol("normal"), mode);

  v = VxValue{kValueSymbol, 0, InternSymbol("fixed")};
  EXPECT_EQ(VX_OK, a->ops->SetProperty(a, Id(a, VX_ASSET_PROP_PLAYBACK_MODE), &v));
  v = VxValue{kValueSymbol, 0, InternSymbol("sideways")};
  EXPECT_EQ(VX_E_INVALIDARG, a->ops->SetProperty(a, Id(a, VX_ASSET_PROP_PLAYBACK_MODE), &v));
  v = MakeInteger(12);
  EXPECT_EQ(VX_OK, a->ops->SetProperty(a, Id(a, VX_ASSET_PROP_FIXED_TEMPO), &v));
  EXPECT_EQ(VX_E_INVALIDARG, a->ops->SetProperty(a, Id(a, VX_ASSET_PROP_FILE_NAME), &v));
  VxSymbol none = 0;
  EXPECT_EQ(VX_E_INVALIDARG, a->ops->GetPropertyId(a, 99, &none));

  EXPECT_EQ((std::vector<std::string>{"get fileName", "get fixedTempo", "get playbackMode",
                                      "set playbackMode fixed", "set fixedTempo 12"}),
            a->log);
  EXPECT_EQ("fixed", a->properties.playbackMode);
  EXPECT_EQ(12, a->properties.fixedTempo);
  a->ops->Release(a);
}

TEST_F(Asset, MediaFollowsTheFileName) {
  GifAssetProperties p;
  p.fileName = kThreeFrames;
  GifAsset* a = GifAsset::Create(p);
  int32_t w = 0, h = 0, frames = 0;
  ASSERT_EQ(VX_OK, a->ops->GetMediaSize(a, &w, &h));
  ASSERT_EQ(VX_OK, a->ops->GetFrameCount(a, &frames));
  EXPECT_EQ(8, w);
  EXPECT_EQ(6, h);
  EXPECT_EQ(3, frames);

  VxValue v{};
  v = MakeText(kStill);
  ASSERT_EQ(VX_OK, a->ops->SetProperty(a, Id(a, VX_ASSET_PROP_FILE_NAME), &v));
  ReleaseHostValue(&v);
  ASSERT_EQ(VX_OK, a->ops->GetMediaSize(a, &w, &h));
  ASSERT_EQ(VX_OK, a->ops->GetFrameCount(a, &frames));
  EXPECT_EQ(5, w);
  EXPECT_EQ(4, h);
  EXPECT_EQ(1, frames);

  v = MakeText(kData + "no-such.gif");
  ASSERT_EQ(VX_OK, a->ops->SetProperty(a, Id(a, VX_ASSET_PROP_FILE_NAME), &v));
  ReleaseHostValue(&v);
  w = h = frames = -7;
  EXPECT_NE(VX_OK, a->ops->GetMediaSize(a, &w, &h));
  EXPECT_NE(VX_OK, a->ops->GetFrameCount(a, &frames));
  EXPECT_EQ(-7, frames);
  a->ops->Release(a);
}

TEST_F(Asset, InformationBlockPutsTheSettingsBack) {
  GifAssetProperties p;
  p.fileName = kThreeFrames;
  p.linked = 1;
  p.playbackMode = "lockStep";
  p.fixedTempo = 9;
  GifAsset* a = GifAsset::Create(p);
  VxAssetInfo info{};
  ASSERT_EQ(VX_OK, a->ops->GetInfo(a, &info));
  EXPECT_EQ(1u, info.linked);
  EXPECT_EQ(InternSymbol("lockStep"), info.playbackMode);
  EXPECT_EQ(9, info.fixedTempo);
  EXPECT_EQ(8, info.width);
  EXPECT_EQ(3, info.frameCount);
  EXPECT_EQ(kThreeFrames, info.fileName);

  a->properties.linked = 0;
  a->properties.playbackMode = "fixed";
  a->properties.fixedTempo = 30;
  a->properties.fileName = "elsewhere.gif";
  ASSERT_EQ(VX_OK, a->ops->SetInfo(a, &info));
  EXPECT_EQ(1, a->properties.linked);
  EXPECT_EQ("lockStep", a->properties.playbackMode);
  EXPECT_EQ(9, a->properties.fixedTempo);
  EXPECT_EQ("elsewhere.gif", a->properties.fileName);  // a file is set as a property
  info.version = 7;
  EXPECT_EQ(VX_E_INVALIDARG, a->ops->SetInfo(a, &info));
  EXPECT_EQ((std::vector<std::string>{"get info", "set info"}), a->log);
  a->ops->Release(a);
}

// Messages for `ms` milliseconds.
void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (static_cast<int32_t>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
}

TEST_F(Asset, SpriteViewPlaysTheFramesWhileThePlayerPlays) {
  GifAssetProperties p;
  p.fileName = kThreeFrames;
  GifAsset* a = GifAsset::Create(p);
  HostSpriteView* view = HostSpriteView::Create();
  ASSERT_EQ(VX_OK, view->ops->ShowMedia(view, a, 160, 120));
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 5, 5, 160, 120, parent,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  void* window = child;
  ASSERT_EQ(VX_OK, view->ops->AttachWindow(view, child));
  EXPECT_EQ(VX_E_INVALIDARG, view->ops->AttachWindow(view, child));  // one window only
  UpdateWindow(static_cast<HWND>(window));
  EXPECT_EQ(0, view->lastFrame);

  VxPlayer* player = nullptr;
  ASSERT_EQ(VX_OK, a->ops->GetPlayer(a, &player));
  ASSERT_EQ(VX_OK, player->ops->Play(player));
  std::vector<int32_t> seen;
  for (int i = 0; i < 300 && seen.size() < 4; ++i) {
    Pump(10);
    UpdateWindow(static_cast<HWND>(window));
    if (seen.empty() || seen.back() != view->lastFrame) seen.push_back(view->lastFrame);
  }
  EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 0}), seen);
  ASSERT_EQ(VX_OK, player->ops->Stop(player));
  Pump(50);
  const int32_t stoppedAt = a->frame;
  Pump(400);  // longer than any delay: no frame moves while stopped
  EXPECT_EQ(stoppedAt, a->frame);
  ASSERT_EQ(VX_OK, player->ops->Reset(player));
  EXPECT_EQ(0, a->frame);
  EXPECT_EQ((std::vector<std::string>{"play", "stop", "reset"}), a->playerLog);
  player->ops->Release(player);
  DestroyWindow(parent);  // the view's window goes with it
  EXPECT_EQ(nullptr, view->window());
  view->ops->Release(view);
  a->ops->Release(a);
}

TEST_F(Asset, HostServicesAndTheirRefusal) {
  HostCallback* host = HostCallback::Create();
  const VxGuid* classes[][2] = {{&CLSID_VxSpriteView, &IID_VxSpriteView},
                                {&CLSID_VxAddressDialog, &IID_VxAddressDialog},
                                {&CLSID_VxSystemDialogNotices, &IID_VxSystemDialogNotices}};
  for (auto& c : classes) {
    void* object = nullptr;
    ASSERT_EQ(VX_OK, host->CreateObject(*c[0], *c[1], &object));
    static_cast<VxUnknown*>(object)->ops->Release(static_cast<VxUnknown*>(object));
    EXPECT_EQ(VX_E_NOINTERFACE, host->CreateObject(*c[0], IID_VxAsset, &object));
    host->refusedClasses.push_back(*c[0]);
    EXPECT_EQ(VX_E_NOCLASS, host->CreateObject(*c[0], *c[1], &object));
    EXPECT_EQ(nullptr, object);
  }
  host->ops->Release(host);
}

TEST_F(Asset, AddressDialogAnswersAsScripted) {
  AddressScript script;
  script.scripted = true;
  script.answer = "http://example.com/walk.gif";
  HostAddressDialog* d = HostAddressDialog::Create(&script);
  char buffer[VX_ADDRESS_MAX_CHARS] = "C:\\art\\walk.gif";
  ASSERT_EQ(VX_OK, d->ops->AskAddress(d, nullptr, buffer, sizeof buffer));
  EXPECT_STREQ("http://example.com/walk.gif", buffer);
  script.cancel = true;
  EXPECT_EQ(VX_E_CANCELLED, d->ops->AskAddress(d, nullptr, buffer, sizeof buffer));
  EXPECT_STREQ("http://example.com/walk.gif", buffer);
  // An answer longer than the buffer is cut to it.
  script.cancel = false;
  script.answer = "http://example.com/long-name.gif";
  char small[12] = "";
  ASSERT_EQ(VX_OK, d->ops->AskAddress(d, nullptr, small, sizeof small));
  EXPECT_STREQ("http://exam", small);
  EXPECT_EQ((std::vector<std::string>{"C:\\art\\walk.gif", "http://example.com/walk.gif", ""}),
            script.asked);
  d->ops->Release(d);
}

}  // namespace
