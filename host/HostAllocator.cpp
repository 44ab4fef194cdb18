#include "host/HostAllocator.h"

#include <cstdlib>
#include <cstring>

namespace vrixhost {
namespace {

int32_t g_liveHostObjects = 0;
int (*g_decide)() = nullptr;
int32_t g_blocksHeld = 0;

VxStatus VXAPI AllocatorQuery(VxAllocator* self, const VxGuid* iid, void** out) {
  if (!out) return VX_E_INVALIDARG;
  if (iid && VxGuidEqual(*iid, IID_VxAllocator)) {
    *out = self;
    return VX_OK;
  }
  *out = nullptr;
  return VX_E_NOINTERFACE;
}
// The allocator outlives everything that uses it; references are counted
// for form only.
uint32_t VXAPI AllocatorAddRef(VxAllocator* self) {
  return ++static_cast<HostAllocator*>(self)->refs;
}
uint32_t VXAPI AllocatorRelease(VxAllocator* self) {
  return --static_cast<HostAllocator*>(self)->refs;
}
void* VXAPI AllocatorAlloc(VxAllocator* self, uint32_t size) {
  return static_cast<HostAllocator*>(self)->Allocate(size);
}
void VXAPI AllocatorFree(VxAllocator* self, void* memory) {
  static_cast<HostAllocator*>(self)->Free(memory);
}

const VxAllocatorOps kAllocatorOps = {AllocatorQuery, AllocatorAddRef, AllocatorRelease,
                                      AllocatorAlloc, AllocatorFree};

}  // namespace

int32_t LiveHostObjects() {
  return g_liveHostObjects;
}
void CountHostObject(int delta) {
  g_liveHostObjects += delta;
}

HostAllocator::HostAllocator() {
  ops = &kAllocatorOps;
}

HostAllocator::~HostAllocator() {
  // What the plug-in left is freed here but stays counted in BlocksHeldInAll.
  for (auto& block : blocks_) std::free(block.first);
}

void HostAllocator::FailWhen(int (*decide)()) {
  g_decide = decide;
}

int32_t HostAllocator::BlocksHeldInAll() {
  return g_blocksHeld;
}

void* HostAllocator::Allocate(uint32_t size) {
  ++allocations_;
  lastSize_ = size;
  if (failAll_) return nullptr;
  if (failIn_ > 0 && --failIn_ == 0) return nullptr;
  if (g_decide && g_decide()) return nullptr;
  void* memory = std::malloc(size ? size : 1);
  if (!memory) return nullptr;
  std::memset(memory, fill_, size);
  blocks_[memory] = size;
  ++g_blocksHeld;
  return memory;
}

void HostAllocator::Free(void* memory) {
  if (!memory) return;
  auto it = blocks_.find(memory);
  if (it == blocks_.end()) {
    ++badFrees_;  // not ours, or freed twice: never touch it
    return;
  }
  blocks_.erase(it);
  --g_blocksHeld;
  ++frees_;
  std::free(memory);
}

}  // namespace vrixhost
