#include "plugin/frame/InterfaceObject.h"

#include <cstring>
#include <new>

namespace {
int32_t g_liveObjects = 0;

void* AllocateFromOwner(VxInstance* owner, uint32_t size) {
  VxAllocator* allocator = owner->allocator;
  void* memory = allocator->ops->Alloc(allocator, size);
  if (memory) return memory;
  std::new_handler handler = std::get_new_handler();
  if (!handler) return nullptr;
  // A new-handler may throw; nothing may cross back into the host.
  try {
    handler();
  } catch (...) {
    return nullptr;
  }
  return allocator->ops->Alloc(allocator, size);
}
}  // namespace

int32_t VxLiveObjectCount() {
  return g_liveObjects;
}

VxStatus VxFrameCanUnloadNow() {
  return g_liveObjects != 0 ? VX_E_LIVEOBJECTS : VX_OK;
}

VxStatus VxCreateInterfaceObject(VxInstance* owner, uint32_t size, const void* ops,
                                 size_t clearOffset, size_t clearSize, void** out) {
  if (!out) return VX_E_INVALIDARG;
  *out = nullptr;
  if (!owner || !ops || size < sizeof(VxInterfaceObject) || clearOffset > size ||
      clearSize > size - clearOffset)
    return VX_E_INVALIDARG;
  void* memory = AllocateFromOwner(owner, size);
  if (!memory) return VX_E_OUTOFMEMORY;

  VxInterfaceObject* object = static_cast<VxInterfaceObject*>(memory);
  object->owner = owner;
  object->refCount = 1;
  // The second owner reference is balanced by the extra owner release that
  // every release makes.
  owner->ops->AddRef(owner);
  owner->ops->AddRef(owner);
  ++g_liveObjects;

  object->ops = ops;
  if (clearSize) std::memset(static_cast<uint8_t*>(memory) + clearOffset, 0, clearSize);
  *out = object;
  return VX_OK;
}

VxStatus VxObjectQueryInterface(VxInterfaceObject* object, const VxGuid* iid, void** out) {
  // The host answers for the instance as a whole.
  VxInstance* owner = object->owner;
  return owner->ops->QueryInterface(owner, iid, out);
}

uint32_t VxObjectAddRef(VxInterfaceObject* object) {
  VxInstance* owner = object->owner;
  owner->ops->AddRef(owner);
  return ++object->refCount;
}

uint32_t VxObjectRelease(VxInterfaceObject* object, const void* ownOps,
                         void (*lastRelease)(VxInterfaceObject*)) {
  VxInstance* owner = object->owner;
  const uint32_t count = --object->refCount;
  if (count == 0) {
    if (lastRelease) lastRelease(object);
    object->ops = ownOps;
    VxAllocator* allocator = owner->allocator;
    allocator->ops->Free(allocator, object);
    --g_liveObjects;
    owner->ops->Release(owner);
  }
  owner->ops->Release(owner);
  return count;
}
