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
    static const VxAllocatorOps kOps = {
        [](VxAllocator*, const VxGuid*, void**) -> VxStatus { return VX_E_NOINTERFACE; },
        [](VxAllocator*) -> uint32_t { return 1; },
        [](VxAllocator*) -> uint32_t { return 1; },
        [](VxAllocator* self, uint32_t size) -> void* {
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
        },
        [](VxAllocator* self, void* memory) {
          FakeAllocator* a = static_cast<FakeAllocator*>(self);
          if (a->live.erase(memory) == 1) std::free(memory);
        },
    };
    ops = &kOps;
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
    static const VxInstanceOps kOps = {
        [](VxInstance* self, const VxGuid*, void** out) -> VxStatus {
          ++static_cast<FakeOwner*>(self)->queries;
          *out = self;
          return VX_OK;
        },
        [](VxInstance* self) -> uint32_t {
          return static_cast<uint32_t>(++static_cast<FakeOwner*>(self)->addRefs);
        },
        [](VxInstance* self) -> uint32_t {
          return static_cast<uint32_t>(++static_cast<FakeOwner*>(self)->releases);
        },
    };
    ops = &kOps;
    allocator = &heap;
    callback = nullptr;
  }
};
