// Kinetra's asset dialog with every allocation failing in turn (the host
// allocator's and the module's own, through Kinetra_sweep.dll): each run
// ends with 0x80040002 and leaves nothing behind. The dialog is driven from
// a helper thread; message boxes are closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "host/GifAsset.h"
#include "host/KinetraSession.h"
#include "plugin/assetprops/tests/ComdlgStub.h"
#include "plugin/frame/tests/AllocationSweep.h"

using namespace vrixhost;

namespace {

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/host/tests/data/";
const std::string kThreeFrames = kData + "three-frames.gif";
const std::string kStill = kData + "still.gif";
constexpr char kTitle[] = "Animated GIF Asset Properties";
constexpr char kUntyped[] = "Untyped exception occurred.";
constexpr int kFirstId = 1000;  // the builder's control of item i
constexpr VxStatus kOutOfMemory = VX_E_OUTOFMEMORY;

bool OwnVisible(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid == GetCurrentProcessId() && IsWindowVisible(w);
}

// Works the dialog while a show runs: the script once per dialog shown, and
// every message box of this process closed. A dialog still up long after
// its script is closed, and counted.
class Driver {
 public:
  explicit Driver(std::vector<int> clicks)
      : clicks_(std::move(clicks)), thread_([this] { Loop(); }) {}
  ~Driver() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool sawDialog() const { return sawDialog_; }
  int boxes() const { return boxes_; }
  bool forcedClose() const { return forcedClose_; }

 private:
  void Loop() {
    HWND handled = nullptr;
    int waited = 0;
    while (!stop_) {
      HWND w = nullptr;
      while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
        if (!OwnVisible(w)) continue;
        char title[128] = "";
        GetWindowTextA(w, title, sizeof title);
        if (std::string(title) == kTitle) {
          if (w != handled) {
            handled = w;
            sawDialog_ = true;
            waited = 0;
            for (int item : clicks_) SendMessageA(GetDlgItem(w, kFirstId + item), BM_CLICK, 0, 0);
          } else if (++waited == 500) {
            forcedClose_ = true;
            PostMessageA(w, WM_CLOSE, 0, 0);
          }
        } else if (GetDlgItem(w, 0xFFFF)) {
          ++boxes_;
          PostMessageA(w, WM_COMMAND, IDOK, 0);
        }
      }
      Sleep(2);
    }
  }
  std::vector<int> clicks_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> sawDialog_{false};
  std::atomic<int> boxes_{0};
  std::atomic<bool> forcedClose_{false};
  std::thread thread_;
};

struct Outcome {
  // The first failure of open, the item events the builder reported (an
  // action such as Browse fails there, and the dialog stays up), show and
  // finish.
  VxStatus status = VX_OK;
  int32_t result = -1;
  bool sawDialog = false;
  bool forcedClose = false;
  std::vector<std::string> messages;  // the host's message output
};

// One whole run: the session opened on the sweep build, the dialog shown
// over a fresh asset and worked by `clicks`, finished, everything closed.
Outcome RunDialog(const std::string& module, const std::vector<int>& clicks) {
  Outcome out;
  GifAssetProperties p;
  p.fileName = kThreeFrames;
  GifAsset* asset = GifAsset::Create(p);
  StubComdlgScript(kStill.c_str());
  {
    KinetraSession session;
    std::string error;
    if (!session.Open(module, &error)) {
      out.status = error.find("0x80040002") != std::string::npos ? kOutOfMemory : VX_E_INVALIDARG;
    } else {
      VxAssetOptions* o = session.options();
      o->ops->Attach(o, asset);
      Driver driver(clicks);
      const VxStatus shown = o->ops->ShowDialog(o, nullptr);
      driver.Stop();
      const std::vector<VxStatus>& events = session.callback()->builderEventFailures;
      out.status = events.empty() ? shown : events.front();
      out.sawDialog = driver.sawDialog();
      out.forcedClose = driver.forcedClose();
      const VxStatus finished = o->ops->Finish(o, 1, &out.result);
      if (out.status == VX_OK) out.status = finished;
      out.messages = session.callback()->messages;
      session.Close();
    }
  }
  asset->ops->Release(asset);
  return out;
}

struct DialogRun {
  const char* name;
  std::vector<int> clicks;
  int32_t result;  // of finish, when nothing fails
};

class KinetraSweep : public testing::TestWithParam<DialogRun> {};

TEST_P(KinetraSweep, EveryAllocationFailingEndsWithOutOfMemoryAndNoLeak) {
  const DialogRun& run = GetParam();
  sweep::Sweep sweep(KINETRA_SWEEP_PATH);
  ASSERT_TRUE(sweep.Loaded()) << KINETRA_SWEEP_PATH;

  // Once as it is, so that what the module sets up for good on first use
  // is there before counting; then once more, counted.
  Outcome plain = RunDialog(sweep.path(), run.clicks);
  ASSERT_EQ(VX_OK, plain.status);
  sweep::Holdings start = sweep.Now();
  sweep.Arm(0);
  plain = RunDialog(sweep.path(), run.clicks);
  const int total = sweep.Disarm();
  ASSERT_EQ(VX_OK, plain.status);
  ASSERT_TRUE(plain.sawDialog);
  EXPECT_EQ(run.result, plain.result);
  EXPECT_TRUE(plain.messages.empty());
  EXPECT_TRUE(sweep.Now() == start) << sweep::Describe(sweep.Now());
  ASSERT_GT(total, 0);

  const std::vector<int> plan = sweep::Sweep::Plan(total, 400, 60);
  std::printf("[ sweep    ] Kinetra, %s: %d allocation points, %zu visited%s\n", run.name, total,
              plan.size(),
              int(plan.size()) == total ? " (all)" : " (first and last 100, 60 between)");
  int untyped = 0;
  std::map<std::string, int> byKind;
  for (int n : plan) {
    sweep.Arm(n);
    const Outcome o = RunDialog(sweep.path(), run.clicks);
    sweep.Disarm();
    const sweep::Failed who = sweep.failed();
    ++byKind[who == sweep::Failed::kHost     ? "host"
             : who == sweep::Failed::kModule ? "module"
                                             : "none"];
    ASSERT_NE(sweep::Failed::kNone, who) << "N " << n;
    EXPECT_EQ(kOutOfMemory, o.status) << "N " << n;
    EXPECT_FALSE(o.forcedClose) << "N " << n << ": the dialog did not end";
    for (const std::string& m : o.messages) {
      EXPECT_EQ(kUntyped, m) << "N " << n;
      ++untyped;
    }
    std::string held;
    EXPECT_TRUE(sweep.NothingLeft(
        &start, n, [&] { RunDialog(sweep.path(), run.clicks); }, &held))
        << "N " << n << ": " << held;
    EXPECT_EQ(VX_OK, sweep.CanUnloadNow()) << "N " << n;
    if (HasFailure()) break;  // one N's report is enough to go on with
  }
  std::printf(
      "[ sweep    ] failed allocations: %d host, %d module; %d untyped-exception messages\n",
      byKind["host"], byKind["module"], untyped);
  // A module allocation that throws inside the show is reported through the
  // host's message output.
  EXPECT_GT(untyped, 0);
}

INSTANTIATE_TEST_SUITE_P(Runs, KinetraSweep,
                         testing::Values(DialogRun{"OK", {39}, 2},
                                         DialogRun{"Cancel after Browse", {40, 42}, 0}),
                         [](const testing::TestParamInfo<DialogRun>& info) {
                           return info.index == 0 ? std::string("Ok")
                                                  : std::string("CancelAfterBrowse");
                         });

}  // namespace
