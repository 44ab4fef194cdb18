// The test side of an allocation sweep over a plug-in's sweep build (see
// AllocationHook.h): the host allocator and the module's own allocations are
// numbered together, a run is made once to count them, then again for each
// N chosen with the Nth failing; a snapshot before and after each run shows
// whether anything leaked.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/HostAllocator.h"
#include "plugin/frame/tests/AllocationHook.h"

namespace sweep {

// What is held while no run is in progress: host blocks, module blocks,
// live interface objects, the process's GDI and USER objects as
// GetGuiResources reports them, and its windows (which Wine, whose
// GetGuiResources may answer 0, does count).
struct Holdings {
  int32_t hostBlocks = 0;
  int32_t moduleBlocks = 0;
  int32_t liveObjects = 0;
  DWORD gdiObjects = 0;
  DWORD userObjects = 0;
  int windows = 0;
  bool operator==(const Holdings& o) const {
    return hostBlocks == o.hostBlocks && moduleBlocks == o.moduleBlocks &&
           liveObjects == o.liveObjects && gdiObjects == o.gdiObjects &&
           userObjects == o.userObjects && windows == o.windows;
  }
};

std::string Describe(const Holdings& h);

// Which allocator the failed allocation belonged to.
enum class Failed { kNone, kHost, kModule };

class Sweep {
 public:
  // Loads the sweep build and keeps it loaded, so that the module's state
  // (and its hook) lasts across the runs, which load it again by path.
  explicit Sweep(const std::string& modulePath);
  ~Sweep();
  Sweep(const Sweep&) = delete;
  Sweep& operator=(const Sweep&) = delete;

  bool Loaded() const { return setDecision_ && liveBlocks_ && liveObjects_ && canUnloadNow_; }
  const std::string& path() const { return path_; }

  // Counting starts at 0; with `failAt` > 0 that allocation fails.
  void Arm(int failAt);
  // Stops counting; the number of allocations made since Arm.
  int Disarm();
  Failed failed() const;

  Holdings Now() const;
  VxStatus CanUnloadNow() const;

  // After a run with N failing: true when the holdings are `*baseline`'s.
  // The module may keep blocks for good when a path is first taken (the
  // runtime's unwinder sets up its tables at the first exception); so when
  // only the module's blocks grew, `again` runs the same N once more, and if
  // that adds nothing the new count becomes the baseline. Otherwise false,
  // with what is held in *report.
  bool NothingLeft(Holdings* baseline, int n, const std::function<void()>& again,
                   std::string* report);

  // The N to visit for a run of `total` allocations: every N up to
  // `everyUpTo`; beyond that the first and last hundred and `spread` N
  // evenly between them. SOMNEL_SWEEP_ALL=1 in the environment visits all.
  static std::vector<int> Plan(int total, int everyUpTo, int spread);

 private:
  std::string path_;
  HMODULE module_ = nullptr;
  VxSweepSetDecisionFn setDecision_ = nullptr;
  VxSweepCountFn liveBlocks_ = nullptr;
  VxSweepCountFn liveObjects_ = nullptr;
  DllCanUnloadNowFn canUnloadNow_ = nullptr;
};

}  // namespace sweep
