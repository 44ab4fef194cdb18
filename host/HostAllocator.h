// The stand-in's allocator: counts live blocks and can be told to fail.
#pragma once

#include <cstdint>
#include <map>

#include "host/HostObject.h"

namespace vrixhost {

struct HostAllocator : VxAllocator {
  HostAllocator();
  ~HostAllocator();
  HostAllocator(const HostAllocator&) = delete;
  HostAllocator& operator=(const HostAllocator&) = delete;

  // The n-th allocation from now fails (1 = the next one); 0 turns it off.
  void FailAllocation(int n) { failIn_ = n; }
  // Every allocation fails while set.
  void FailAll(bool on) { failAll_ = on; }
  // New blocks are filled with this byte (zero by default), so that a test
  // sees which fields a plug-in clears itself.
  void FillNewBlocks(uint8_t byte) { fill_ = byte; }

  // For allocation sweeps, across every allocator of the process: before
  // each allocation `decide` is asked, and a non-zero answer fails it (null:
  // none fails). Blocks still held, counted over all allocators; a block
  // an allocator frees at its own end because the plug-in did not counts.
  static void FailWhen(int (*decide)());
  static int32_t BlocksHeldInAll();

  size_t LiveBlocks() const { return blocks_.size(); }
  int Allocations() const { return allocations_; }
  int Frees() const { return frees_; }
  int BadFrees() const { return badFrees_; }
  uint32_t LastSize() const { return lastSize_; }

  void* Allocate(uint32_t size);
  void Free(void* memory);

  uint32_t refs = 1;  // the stand-in keeps its allocators for their whole life

 private:
  std::map<void*, uint32_t> blocks_;
  int failIn_ = 0;
  bool failAll_ = false;
  int allocations_ = 0;
  int frees_ = 0;
  int badFrees_ = 0;
  uint32_t lastSize_ = 0;
  uint8_t fill_ = 0;
};

}  // namespace vrixhost
