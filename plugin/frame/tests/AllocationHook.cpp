// Linked only into the sweep builds, with the C allocator wrapped
// (-Wl,--wrap=malloc and the others): see AllocationHook.h.
#include "plugin/frame/tests/AllocationHook.h"

#include <cstddef>
#include <cstdlib>
#include <new>

#include "plugin/frame/InterfaceObject.h"

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* memory, size_t size);
void __real_free(void* memory);
}

namespace {

VxSweepDecision g_decide = nullptr;
int32_t g_liveBlocks = 0;

bool Refused() {
  return g_decide != nullptr && g_decide() != 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) void VxSweepSetDecision(VxSweepDecision decide) {
  g_decide = decide;
}
__declspec(dllexport) int32_t VxSweepLiveBlocks(void) {
  return g_liveBlocks;
}
__declspec(dllexport) int32_t VxSweepLiveObjects(void) {
  return VxLiveObjectCount();
}

void* __wrap_malloc(size_t size) {
  if (Refused()) return nullptr;
  void* memory = __real_malloc(size);
  if (memory) ++g_liveBlocks;
  return memory;
}

void* __wrap_calloc(size_t count, size_t size) {
  if (Refused()) return nullptr;
  void* memory = __real_calloc(count, size);
  if (memory) ++g_liveBlocks;
  return memory;
}

void* __wrap_realloc(void* memory, size_t size) {
  if (!memory) return __wrap_malloc(size);
  if (Refused()) return nullptr;  // the old block stays, as realloc promises
  return __real_realloc(memory, size);
}

void __wrap_free(void* memory) {
  if (memory) --g_liveBlocks;
  __real_free(memory);
}

}  // extern "C"

// operator new and delete over the wrapped malloc and free, so that the
// module's C++ allocations take part too.
void* operator new(size_t size) {
  for (;;) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}
void* operator new[](size_t size) {
  return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
