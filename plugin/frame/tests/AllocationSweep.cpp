#include "plugin/frame/tests/AllocationSweep.h"

#include <cstdlib>

namespace sweep {
namespace {

std::atomic<int> g_count{0};
std::atomic<int> g_failAt{0};
std::atomic<bool> g_counting{false};
std::atomic<int> g_failed{0};

int Decide(Failed who) {
  if (!g_counting) return 0;
  const int n = ++g_count;
  if (n != g_failAt) return 0;
  g_failed = static_cast<int>(who);
  return 1;
}
int DecideHost() {
  return Decide(Failed::kHost);
}
int DecideModule() {
  return Decide(Failed::kModule);
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountOwn(HWND w, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(w, CountChild, count);
  return TRUE;
}

template <class Fn>
void Find(HMODULE module, const char* name, Fn* out) {
  *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int OwnWindows() {
  int count = 0;
  EnumWindows(CountOwn, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace

std::string Describe(const Holdings& h) {
  return "host blocks " + std::to_string(h.hostBlocks) + ", module blocks " +
         std::to_string(h.moduleBlocks) + ", live objects " + std::to_string(h.liveObjects) +
         ", GDI " + std::to_string(h.gdiObjects) + ", USER " + std::to_string(h.userObjects) +
         ", windows " + std::to_string(h.windows);
}

Sweep::Sweep(const std::string& modulePath) : path_(modulePath) {
  module_ = LoadLibraryExA(modulePath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module_) return;
  Find(module_, kVxSweepSetDecision, &setDecision_);
  Find(module_, kVxSweepLiveBlocks, &liveBlocks_);
  Find(module_, kVxSweepLiveObjects, &liveObjects_);
  Find(module_, "DllCanUnloadNow", &canUnloadNow_);
  if (setDecision_) setDecision_(DecideModule);
  vrixhost::HostAllocator::FailWhen(DecideHost);
}

Sweep::~Sweep() {
  vrixhost::HostAllocator::FailWhen(nullptr);
  if (setDecision_) setDecision_(nullptr);
  if (module_) FreeLibrary(module_);
}

void Sweep::Arm(int failAt) {
  g_count = 0;
  g_failAt = failAt;
  g_failed = static_cast<int>(Failed::kNone);
  g_counting = true;
}

int Sweep::Disarm() {
  g_counting = false;
  return g_count;
}

Failed Sweep::failed() const {
  return static_cast<Failed>(g_failed.load());
}

Holdings Sweep::Now() const {
  Holdings h;
  h.hostBlocks = vrixhost::HostAllocator::BlocksHeldInAll();
  h.moduleBlocks = liveBlocks_ ? liveBlocks_() : -1;
  h.liveObjects = liveObjects_ ? liveObjects_() : -1;
  h.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  h.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  h.windows = OwnWindows();
  return h;
}

VxStatus Sweep::CanUnloadNow() const {
  return canUnloadNow_ ? canUnloadNow_() : VX_E_INVALIDARG;
}

bool Sweep::NothingLeft(Holdings* baseline, int n, const std::function<void()>& again,
                        std::string* report) {
  Holdings now = Now();
  if (now == *baseline) return true;
  Holdings grown = *baseline;
  grown.moduleBlocks = now.moduleBlocks;
  if (now == grown && now.moduleBlocks > baseline->moduleBlocks) {
    Arm(n);
    again();
    Disarm();
    if (Now() == now) {
      *baseline = now;
      return true;
    }
    now = Now();
  }
  *report = Describe(now) + " against " + Describe(*baseline);
  return false;
}

std::vector<int> Sweep::Plan(int total, int everyUpTo, int spread) {
  std::vector<int> plan;
  const char* all = std::getenv("SOMNEL_SWEEP_ALL");
  if (total <= everyUpTo || total <= 200 + spread || (all && std::atoi(all) == 1)) {
    for (int n = 1; n <= total; ++n) plan.push_back(n);
    return plan;
  }
  for (int n = 1; n <= 100; ++n) plan.push_back(n);
  // `spread` N evenly between the first hundred and the last.
  const int lastHundred = total - 99;
  for (int i = 1; i <= spread; ++i)
    plan.push_back(100 + static_cast<int>(int64_t(lastHundred - 100) * i / (spread + 1)));
  for (int n = lastHundred; n <= total; ++n) plan.push_back(n);
  return plan;
}

}  // namespace sweep
