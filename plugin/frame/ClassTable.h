// A module's constant class table and the one table walk that serves the
// table-driven exports (class form, interface, class information).
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/frame/VrixHost.h"

// Makes an interface object on an instance. Returns 0 and the object in *out,
// or VX_E_OUTOFMEMORY.
typedef VxStatus (*VxCreator)(VxInstance* instance, void** out);

struct VxInterfaceEntry {
  VxGuid iid;
  uint32_t version;
  VxCreator creator;
};

struct VxClassEntry {
  VxGuid clsid;
  uint32_t version;
  uint32_t instanceSize;  // bytes the host allocates, the host's own part included
  VxInitializer initializer;
  VxFinalizer finalizer;
  const VxInterfaceEntry* interfaces;  // in table order
  size_t interfaceCount;
};

struct VxClassTable {
  const VxClassEntry* classes;
  size_t classCount;
};

typedef VxStatus (*VxClassVisitor)(const VxGuid& clsid, uint32_t classVersion,
                                   uint32_t instanceSize, VxInitializer initializer,
                                   VxFinalizer finalizer, void* context);
typedef VxStatus (*VxInterfaceVisitor)(const VxGuid& clsid, uint32_t classVersion,
                                       const VxGuid& iid, uint32_t interfaceVersion,
                                       VxCreator creator, void* context);

// Visits each class (only those equal to *filter when it is given), then each
// of its interfaces in order. A visitor returning non-zero stops the walk and
// that value is the result; a complete walk returns 0. Either visitor may be
// null.
VxStatus VxWalkClassTable(const VxClassTable& table, const VxGuid* filter,
                          VxClassVisitor classVisitor, VxInterfaceVisitor interfaceVisitor,
                          void* context);

// The table-driven exports, OS-free so that they run natively too.

// 0 and the outputs stored; VX_E_NOCLASS (outputs untouched) for an unknown
// class; VX_E_INVALIDARG for null arguments.
VxStatus VxFrameGetClassForm(const VxClassTable& table, const VxGuid* clsid, uint32_t* instanceSize,
                             VxInitializer* initializer, VxFinalizer* finalizer);

// What the interface's creator returns; VX_E_NOINTERFACE (out untouched) when
// the class and interface pair is not in the table; VX_E_INVALIDARG for null
// arguments.
VxStatus VxFrameGetInterface(const VxClassTable& table, VxInstance* instance, const VxGuid* clsid,
                             const VxGuid* iid, void** out);

// 0 and a host-allocated array of 40-byte records ending in a terminator;
// VX_E_OUTOFMEMORY when the allocator gives nothing; VX_E_INVALIDARG for null
// arguments. The host owns and frees the array.
VxStatus VxFrameGetClassInfo(const VxClassTable& table, VxAllocator* allocator,
                             VxClassInfoRecord** out);

// Number of records VxFrameGetClassInfo writes, the terminator included.
size_t VxClassInfoRecordCount(const VxClassTable& table);
