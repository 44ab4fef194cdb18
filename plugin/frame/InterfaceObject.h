// Interface objects: an operation table, the owning instance and a reference
// count, followed by whatever fields an interface keeps of its own. Their
// add-reference and release also add-reference and release the owning
// instance, and the module counts the objects alive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "plugin/frame/VrixHost.h"

// Module-wide count of live interface objects (one per module: each module
// links its own copy of the frame). A plain integer: the host calls on one
// thread only.
int32_t VxLiveObjectCount();

// VX_E_LIVEOBJECTS while an interface object lives, else 0.
VxStatus VxFrameCanUnloadNow();

// Makes an interface object of `size` bytes (at least the three-word header)
// on `owner`: memory from the owner's allocator, retried once after the
// process's new-handler when one is installed; owner set and add-referenced
// twice, count 1, live count raised; then the operation table set and
// `clearSize` bytes from `clearOffset` zeroed. Returns 0 with the object in
// *out, or VX_E_OUTOFMEMORY with *out set to null.
VxStatus VxCreateInterfaceObject(VxInstance* owner, uint32_t size, const void* ops,
                                 size_t clearOffset, size_t clearSize, void** out);

// The three common operations.
VxStatus VxObjectQueryInterface(VxInterfaceObject* object, const VxGuid* iid, void** out);
uint32_t VxObjectAddRef(VxInterfaceObject* object);
// `ownOps` is the table the object is restored to before its memory goes.
// `lastRelease`, when given, is called once the count reaches 0 and before
// then, so that an object can let go of what it holds.
uint32_t VxObjectRelease(VxInterfaceObject* object, const void* ownOps,
                         void (*lastRelease)(VxInterfaceObject*) = nullptr);

// Typed entry points for an interface's operation table:
//   VX_UNKNOWN_ENTRIES(VxExportOptions, kExportOptionsOps)
// fills the first three slots of a table whose self type is VxExportOptions.
template <class Self>
VxStatus VXAPI VxQueryInterfaceOf(Self* self, const VxGuid* iid, void** out) {
  return VxObjectQueryInterface(reinterpret_cast<VxInterfaceObject*>(self), iid, out);
}
template <class Self>
uint32_t VXAPI VxAddRefOf(Self* self) {
  return VxObjectAddRef(reinterpret_cast<VxInterfaceObject*>(self));
}
template <class Self, class Ops, const Ops* OwnOps>
uint32_t VXAPI VxReleaseOf(Self* self) {
  return VxObjectRelease(reinterpret_cast<VxInterfaceObject*>(self), OwnOps);
}

template <class Self, class Ops, const Ops* OwnOps, void (*LastRelease)(VxInterfaceObject*)>
uint32_t VXAPI VxReleaseWith(Self* self) {
  return VxObjectRelease(reinterpret_cast<VxInterfaceObject*>(self), OwnOps, LastRelease);
}

// The table must be declared before it is defined with these entries.
#define VX_UNKNOWN_ENTRIES(Self, ownOps)      \
  VxQueryInterfaceOf<Self>, VxAddRefOf<Self>, \
      VxReleaseOf<Self, std::remove_const_t<decltype(ownOps)>, &ownOps>
// The same for an object that frees what it holds at its last release.
#define VX_UNKNOWN_ENTRIES_FREEING(Self, ownOps, lastRelease) \
  VxQueryInterfaceOf<Self>, VxAddRefOf<Self>,                 \
      VxReleaseWith<Self, std::remove_const_t<decltype(ownOps)>, &ownOps, lastRelease>
