// A small owning instance and allocator for frame tests: they count what the
// frame does to them.
#pragma once

#include <cstdlib>
#include <set>

#include "plugin/frame/VrixHost.h"

struct FakeAllocator : VxAllocator {
  int allocations = 0;
  int failNext = 0;  // the next n allocations fail
  std::set<void*> live;
  uint32_t lastSize = 0;

  FakeAllocator() {
    static const VxAllocatorOps kOps = {Query, AddRef, Release, Alloc, Free};
    ops = &kOps;
  }
  static VxStatus VXAPI Query(VxAllocator*, const VxGuid*, void**) { return VX_E_NOINTERFACE; }
  static uint32_t VXAPI AddRef(VxAllocator*) { return 1; }
  static uint32_t VXAPI Release(VxAllocator*) { return 1; }
  static void* VXAPI Alloc(VxAllocator* self, uint32_t size) {
    FakeAllocator* a = static_cast<FakeAllocator*>(self);
    ++a->allocations;
    a->lastSize = size;
    if (a->failNext > 0) {
      --a->failNext;
      return nullptr;
    }
    void* p = std::malloc(size);
    a->live.insert(p);
    return p;
  }
  static void VXAPI Free(VxAllocator* self, void* memory) {
    FakeAllocator* a = static_cast<FakeAllocator*>(self);
    if (a->live.erase(memory) == 1) std::free(memory);
  }
  ~FakeAllocator() {
    for (void* p : live) std::free(p);
  }
};

struct FakeOwner : VxInstance {
  int addRefs = 0;
  int releases = 0;
  int queries = 0;
  FakeAllocator heap;

  FakeOwner() {
    static const VxInstanceOps kOps = {Query, AddRef, Release};
    ops = &kOps;
    allocator = &heap;
    callback = nullptr;
  }
  static VxStatus VXAPI Query(VxInstance* self, const VxGuid*, void** out) {
    ++static_cast<FakeOwner*>(self)->queries;
    *out = self;
    return VX_OK;
  }
  static uint32_t VXAPI AddRef(VxInstance* self) {
    return static_cast<uint32_t>(++static_cast<FakeOwner*>(self)->addRefs);
  }
  static uint32_t VXAPI Release(VxInstance* self) {
    return static_cast<uint32_t>(++static_cast<FakeOwner*>(self)->releases);
  }
};
