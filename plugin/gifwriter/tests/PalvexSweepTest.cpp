// Palvex with every allocation failing in turn (the host allocator's and
// the module's own, through Palvex_sweep.dll): exports run the way
// `vrixhost gif-export` runs them, and the options dialog is opened and
// closed. Each run ends with 0x80040002, leaves nothing behind, and a
// failed export leaves the target file as it was.
#include <io.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "host/Commands.h"
#include "host/HostDictionary.h"
#include "host/PalvexSession.h"
#include "plugin/frame/tests/AllocationSweep.h"

using namespace vrixhost;

namespace {

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/plugin/gifwriter/tests/data/";
constexpr char kOutOfMemoryText[] = "0x80040002";

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string TempFolder() {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  const std::string folder =
      std::string(temp) + "palvex-sweep-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// Standard error goes to a file for the sweep, so that each run's message
// can be read back (and hundreds of them do not flood the log).
class ErrorCapture {
 public:
  explicit ErrorCapture(const std::string& path) : path_(path) {
    std::fflush(stderr);
    saved_ = _dup(_fileno(stderr));
    std::freopen(path.c_str(), "w", stderr);
  }
  ~ErrorCapture() {
    std::fflush(stderr);
    _dup2(saved_, _fileno(stderr));
    _close(saved_);
  }
  // What was written since the last call.
  std::string Take() {
    std::fflush(stderr);
    const std::string all = ReadAll(path_);
    std::string fresh = all.substr(std::min(seen_, all.size()));
    seen_ = all.size();
    return fresh;
  }

 private:
  std::string path_;
  int saved_ = -1;
  size_t seen_ = 0;
};

struct Export {
  const char* name;
  std::vector<std::string> options;
  const char* input;
  bool append;  // onto the animation the first frame run made
};

class PalvexExportSweep : public testing::TestWithParam<Export> {};

int RunExport(const std::string& module, const Export& e, const std::string& output) {
  std::vector<std::string> args = {"gif-export", "--plugin=" + module};
  args.insert(args.end(), e.options.begin(), e.options.end());
  args.push_back(kData + e.input);
  args.push_back(output);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  return RunGifExport(static_cast<int>(args.size()), argv.data());
}

TEST_P(PalvexExportSweep, EveryAllocationFailingLeavesTheTargetAsItWas) {
  const Export& e = GetParam();
  sweep::Sweep sweep(PALVEX_SWEEP_PATH);
  ASSERT_TRUE(sweep.Loaded()) << PALVEX_SWEEP_PATH;
  const std::string folder = TempFolder();
  const std::string target = folder + "target.gif";
  // The file an export starts from: an animation made by the first frame
  // when appending, else bytes that are no GIF at all.
  std::string old = "old content, not a GIF\n";
  if (e.append) {
    ASSERT_EQ(0,
              RunExport(sweep.path(), Export{"", {"--animate"}, "sweep-rgb.bmp", false}, target));
    old = ReadAll(target);
  }
  ErrorCapture errors(folder + "stderr.txt");

  // Once to set up what the module keeps, once counted: the result to
  // compare with.
  WriteAll(target, old);
  ASSERT_EQ(0, RunExport(sweep.path(), e, target)) << errors.Take();
  WriteAll(target, old);
  sweep::Holdings start = sweep.Now();
  sweep.Arm(0);
  ASSERT_EQ(0, RunExport(sweep.path(), e, target)) << errors.Take();
  const int total = sweep.Disarm();
  const std::string expected = ReadAll(target);
  ASSERT_NE(old, expected);
  EXPECT_TRUE(sweep.Now() == start) << sweep::Describe(sweep.Now());
  ASSERT_GT(total, 0);
  errors.Take();

  const std::vector<int> plan = sweep::Sweep::Plan(total, 3000, 200);
  int hostFailures = 0, moduleFailures = 0, absorbed = 0;
  for (int n : plan) {
    WriteAll(target, old);
    sweep.Arm(n);
    const int code = RunExport(sweep.path(), e, target);
    sweep.Disarm();
    const std::string message = errors.Take();
    ASSERT_NE(sweep::Failed::kNone, sweep.failed()) << "N " << n;
    (sweep.failed() == sweep::Failed::kHost ? hostFailures : moduleFailures) += 1;
    if (code == 0) {
      // A failure the module gets over, as libjpeg's pool allocator does
      // by asking again for less: the same GIF, written.
      ++absorbed;
      EXPECT_TRUE(ReadAll(target) == expected) << "N " << n << ": not the same GIF";
    } else {
      EXPECT_EQ(1, code) << "N " << n;
      EXPECT_NE(std::string::npos, message.find(kOutOfMemoryText)) << "N " << n << ": " << message;
      EXPECT_TRUE(ReadAll(target) == old) << "N " << n << ": the target changed";
    }
    std::string held;
    EXPECT_TRUE(sweep.NothingLeft(
        &start, n,
        [&] {
          WriteAll(target, old);
          RunExport(sweep.path(), e, target);
          errors.Take();
        },
        &held))
        << "N " << n << ": " << held;
    EXPECT_EQ(VX_OK, sweep.CanUnloadNow()) << "N " << n;
    if (HasFailure()) break;  // one N's report is enough to go on with
  }
  std::fprintf(stdout,
               "[ sweep    ] Palvex, %s: %d allocation points, %zu visited%s; %d host, %d module, "
               "%d got over\n",
               e.name, total, plan.size(),
               int(plan.size()) == total ? " (all)" : " (first and last 100, 200 between)",
               hostFailures, moduleFailures, absorbed);
  DeleteFileA(target.c_str());
}

const Export kExports[] = {
    {"single, 24-bit, Web, dither, interlaced",
     {"--palette=web", "--dither", "--interlace"},
     "sweep-rgb.bmp",
     false},
    {"single, 8-bit indexed, dither", {"--dither"}, "sweep-indexed.bmp", false},
    {"animation's first frame, 32-bit, exact palette, dither, transparent",
     {"--animate", "--dither", "--transparent"},
     "sweep-rgba.bmp",
     false},
    {"frame appended, 8-bit indexed, dither", {"--append", "--dither"}, "sweep-indexed.bmp", true},
};

std::string ExportName(const testing::TestParamInfo<Export>& info) {
  const char* names[] = {"SingleTrueColour", "SingleIndexed", "AnimationFirstFrame",
                         "AnimationAppendedFrame"};
  return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(Exports, PalvexExportSweep, testing::ValuesIn(kExports), ExportName);

// The options dialog opened and closed with OK, on a fresh session each time.
struct DialogOutcome {
  VxStatus status = VX_OK;
  bool sawDialog = false;
};

DialogOutcome RunOptionsDialog(const std::string& module) {
  DialogOutcome out;
  PalvexSession session;
  std::string error;
  if (!session.Open(module, &error)) {
    out.status =
        error.find(kOutOfMemoryText) != std::string::npos ? VX_E_OUTOFMEMORY : VX_E_INVALIDARG;
    return out;
  }
  std::atomic<bool> stop{false}, saw{false};
  std::thread driver([&] {
    while (!stop) {
      HWND w = nullptr;
      while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(w)) continue;
        char title[64] = "";
        GetWindowTextA(w, title, sizeof title);
        if (std::string(title) == "GIF Options") saw = true;
        PostMessageA(w, WM_COMMAND, IDOK, 0);
      }
      Sleep(2);
    }
  });
  HostDictionary* dictionary = HostDictionary::Create();
  VxDictionary* d = dictionary;
  VxExportOptions* o = session.options();
  out.status = o->ops->RunOptionsDialog(o, nullptr, &d);
  stop = true;
  driver.join();
  out.sawDialog = saw;
  dictionary->ops->Release(dictionary);
  session.Close();
  return out;
}

TEST(PalvexDialogSweep, EveryAllocationFailingEndsWithOutOfMemoryAndNoLeak) {
  sweep::Sweep sweep(PALVEX_SWEEP_PATH);
  ASSERT_TRUE(sweep.Loaded()) << PALVEX_SWEEP_PATH;
  ASSERT_EQ(VX_OK, RunOptionsDialog(sweep.path()).status);
  sweep::Holdings start = sweep.Now();
  sweep.Arm(0);
  const DialogOutcome plain = RunOptionsDialog(sweep.path());
  const int total = sweep.Disarm();
  ASSERT_EQ(VX_OK, plain.status);
  ASSERT_TRUE(plain.sawDialog);
  EXPECT_TRUE(sweep.Now() == start) << sweep::Describe(sweep.Now());
  ASSERT_GT(total, 0);

  const std::vector<int> plan = sweep::Sweep::Plan(total, 400, 60);
  for (int n : plan) {
    sweep.Arm(n);
    const DialogOutcome o = RunOptionsDialog(sweep.path());
    sweep.Disarm();
    ASSERT_NE(sweep::Failed::kNone, sweep.failed()) << "N " << n;
    EXPECT_EQ(VX_E_OUTOFMEMORY, o.status) << "N " << n;
    std::string held;
    EXPECT_TRUE(sweep.NothingLeft(
        &start, n, [&] { RunOptionsDialog(sweep.path()); }, &held))
        << "N " << n << ": " << held;
    EXPECT_EQ(VX_OK, sweep.CanUnloadNow()) << "N " << n;
    if (HasFailure()) break;
  }
  std::printf("[ sweep    ] Palvex, options dialog: %d allocation points, %zu visited%s\n", total,
              plan.size(),
              int(plan.size()) == total ? " (all)" : " (first and last 100, 60 between)");
}

}  // namespace
