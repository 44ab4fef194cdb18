// Reference counting shared by the stand-in's service objects. Each object
// derives from the interface record (whose first word is its operation
// table) and carries no virtual functions, so the address handed to a
// plug-in is the interface itself.
#pragma once

#include <cstdint>

#include "plugin/frame/VrixHost.h"

namespace vrixhost {

// Number of stand-in service objects alive (leak checks in tests).
int32_t LiveHostObjects();
void CountHostObject(int delta);

// Common operations for a host object type T that has a `refs` member and is
// deleted when it reaches 0. QueryInterface answers only `ownIid` and
// IID_IUnknown.
template <class T, class Iface, const VxGuid* OwnIid>
struct HostRefCounting {
  static VxStatus VXAPI QueryInterface(Iface* self, const VxGuid* iid, void** out) {
    if (!out) return VX_E_INVALIDARG;
    if (iid && (VxGuidEqual(*iid, *OwnIid) || VxGuidEqual(*iid, IID_IUnknown))) {
      AddRef(self);
      *out = self;
      return VX_OK;
    }
    *out = nullptr;
    return VX_E_NOINTERFACE;
  }
  static uint32_t VXAPI AddRef(Iface* self) { return ++static_cast<T*>(self)->refs; }
  static uint32_t VXAPI Release(Iface* self) {
    T* object = static_cast<T*>(self);
    const uint32_t count = --object->refs;
    if (count == 0) delete object;
    return count;
  }
};

#define VRIXHOST_UNKNOWN(T, Iface, iid)                                                     \
  HostRefCounting<T, Iface, &iid>::QueryInterface, HostRefCounting<T, Iface, &iid>::AddRef, \
      HostRefCounting<T, Iface, &iid>::Release

}  // namespace vrixhost
