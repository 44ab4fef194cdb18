#include "host/HostInstance.h"

#include <map>

#include "host/HostDictionary.h"
#include "host/HostFile.h"
#include "host/HostMediaUtils.h"
#ifdef _WIN32
#include "host/SpriteView.h"
#include "host/ZepBuilder.h"
#endif

namespace vrixhost {
namespace {

std::map<VxInstance*, HostInstance*>& Instances() {
  static std::map<VxInstance*, HostInstance*> instances;
  return instances;
}

bool Fires(int& countdown) {
  return countdown > 0 && --countdown == 0;
}

VxStatus VXAPI CallbackCreate(VxHostCallback* self, const VxGuid* clsid, const VxGuid* iid,
                              void** out) {
  if (!clsid || !iid || !out) return VX_E_INVALIDARG;
  return static_cast<HostCallback*>(self)->CreateObject(*clsid, *iid, out);
}

VxStatus VXAPI CallbackOpenResources(VxHostCallback* self, void* module, void** resourceModule,
                                     uintptr_t* token) {
  HostCallback* host = static_cast<HostCallback*>(self);
  if (!resourceModule || !token) return VX_E_INVALIDARG;
  if (host->openResourcesStatus != VX_OK) return host->openResourcesStatus;
  ++host->resourceOpens;
  *resourceModule = module;
  *token = host->nextToken++;
  host->openTokens.insert(*token);
  return VX_OK;
}

VxStatus VXAPI CallbackCloseResources(VxHostCallback* self, void*, uintptr_t token) {
  HostCallback* host = static_cast<HostCallback*>(self);
  if (host->openTokens.erase(token) != 1) return VX_E_INVALIDARG;
  ++host->resourceCloses;
  return VX_OK;
}

const VxHostCallbackOps kCallbackOps = {
    VRIXHOST_UNKNOWN(HostCallback, VxHostCallback, IID_VxHostCallback), CallbackCreate,
    CallbackOpenResources, CallbackCloseResources};

// The instance as a whole: its query-interface asks the module for the
// interface on this instance.
VxStatus VXAPI InstanceQuery(VxInstance* self, const VxGuid* iid, void** out) {
  HostInstance* host = HostInstance::FromInstance(self);
  if (!host || !iid || !out) return VX_E_INVALIDARG;
  ++host->queries;
  for (const VxGuid& refused : host->refusedInterfaces)
    if (VxGuidEqual(*iid, refused)) return *out = nullptr, VX_E_NOINTERFACE;
  return host->GetInterface(*iid, out);
}
uint32_t VXAPI InstanceAddRef(VxInstance* self) {
  HostInstance* host = HostInstance::FromInstance(self);
  return host ? static_cast<uint32_t>(1 + ++host->addRefs - host->releases) : 0;
}
uint32_t VXAPI InstanceRelease(VxInstance* self) {
  HostInstance* host = HostInstance::FromInstance(self);
  return host ? static_cast<uint32_t>(1 + host->addRefs - ++host->releases) : 0;
}
const VxInstanceOps kInstanceOps = {InstanceQuery, InstanceAddRef, InstanceRelease};

}  // namespace

HostCallback::HostCallback() {
  ops = &kCallbackOps;
  CountHostObject(+1);
}
HostCallback::~HostCallback() {
  CountHostObject(-1);
}
HostCallback* HostCallback::Create() {
  return new HostCallback();
}

VxStatus HostCallback::CreateObject(const VxGuid& clsid, const VxGuid& iid, void** out) {
  ++creations;
  *out = nullptr;
  if (Fires(failCreateIn)) return VX_E_OUTOFMEMORY;
  for (const VxGuid& refused : refusedClasses)
    if (VxGuidEqual(clsid, refused)) return VX_E_NOCLASS;
  if (VxGuidEqual(clsid, CLSID_VxDictionaryService)) {
    if (!VxGuidEqual(iid, IID_VxDictionaryService)) return VX_E_NOINTERFACE;
    *out = static_cast<VxDictionaryService*>(HostDictionaryService::Create());
    return VX_OK;
  }
  if (VxGuidEqual(clsid, CLSID_VxFileService)) {
    if (!VxGuidEqual(iid, IID_VxFileService)) return VX_E_NOINTERFACE;
    *out = static_cast<VxFileService*>(HostFileService::Create());
    return VX_OK;
  }
  if (VxGuidEqual(clsid, CLSID_VxReaderRegistry)) {
    if (!VxGuidEqual(iid, IID_VxReaderRegistry)) return VX_E_NOINTERFACE;
    *out = static_cast<VxReaderRegistry*>(HostReaderRegistry::Create(paletteReaders));
    return VX_OK;
  }
  if (VxGuidEqual(clsid, CLSID_VxPathService)) {
    if (!VxGuidEqual(iid, IID_VxPathService)) return VX_E_NOINTERFACE;
    *out = static_cast<VxPathService*>(HostPathService::Create(hostPath));
    return VX_OK;
  }
  if (VxGuidEqual(clsid, CLSID_VxMediaUtils)) {
    if (VxGuidEqual(iid, IID_VxMediaUtils)) {
      *out = static_cast<VxMediaUtils*>(HostMediaUtils::Create(&messages));
    } else if (VxGuidEqual(iid, IID_VxMmValue)) {
      *out = static_cast<VxMmValue*>(HostValues::Create());
    } else if (VxGuidEqual(iid, IID_VxMmValueCoercion)) {
      *out = static_cast<VxMmValueCoercion*>(HostCoercion::Create());
    } else if (VxGuidEqual(iid, IID_VxMmList)) {
      *out = static_cast<VxMmList*>(HostList::Create());
    } else if (VxGuidEqual(iid, IID_VxMmLinearList)) {
      *out = &HostList::Create()->linear;
    } else {
      return VX_E_NOINTERFACE;
    }
    return VX_OK;
  }
  if (VxGuidEqual(clsid, CLSID_VxHelpService)) {
    if (!VxGuidEqual(iid, IID_VxHelpService)) return VX_E_NOINTERFACE;
    *out = static_cast<VxHelpService*>(HostHelpService::Create(&helpTopics, printHelp));
    return VX_OK;
  }
#ifdef _WIN32
  // The services with windows of their own.
  if (VxGuidEqual(clsid, CLSID_VxSpriteView)) {
    if (!VxGuidEqual(iid, IID_VxSpriteView)) return VX_E_NOINTERFACE;
    *out = static_cast<VxSpriteView*>(HostSpriteView::Create());
    return VX_OK;
  }
  if (VxGuidEqual(clsid, CLSID_VxAddressDialog)) {
    if (!VxGuidEqual(iid, IID_VxAddressDialog)) return VX_E_NOINTERFACE;
    *out = static_cast<VxAddressDialog*>(HostAddressDialog::Create(&addressScript));
    return VX_OK;
  }
  if (VxGuidEqual(clsid, CLSID_VxSystemDialogNotices)) {
    if (!VxGuidEqual(iid, IID_VxSystemDialogNotices)) return VX_E_NOINTERFACE;
    *out = static_cast<VxSystemDialogNotices*>(HostSystemDialogNotices::Create(&systemDialogs));
    return VX_OK;
  }
  {
    const VxStatus status = CreateBuilderObject(this, clsid, iid, out);
    if (status != VX_E_NOCLASS) return status;
  }
#endif
  if (extraClasses) return extraClasses(clsid, iid, out);
  return VX_E_NOCLASS;
}

HostInstance* HostInstance::FromInstance(VxInstance* instance) {
  auto it = Instances().find(instance);
  return it == Instances().end() ? nullptr : it->second;
}

VxStatus HostInstance::Create(const PluginExports& exports, const VxGuid& clsid,
                              HostAllocator* allocator, HostCallback* callback,
                              HostInstance** out) {
  if (!exports.Complete() || !allocator || !out) return VX_E_INVALIDARG;
  uint32_t size = 0;
  VxInitializer initializer = nullptr;
  VxFinalizer finalizer = nullptr;
  VxStatus status = exports.getClassForm(&clsid, &size, &initializer, &finalizer);
  if (status != VX_OK) return status;
  if (size < sizeof(VxInstance)) return VX_E_INVALIDARG;
  void* memory = allocator->Allocate(size);
  if (!memory) return VX_E_OUTOFMEMORY;

  HostInstance* host = new HostInstance();
  host->exports_ = exports;
  host->clsid_ = clsid;
  host->allocator_ = allocator;
  host->callback_ = callback;
  host->instance_ = static_cast<VxInstance*>(memory);
  host->size_ = size;
  host->finalizer_ = finalizer;
  host->instance_->ops = &kInstanceOps;
  host->instance_->allocator = allocator;
  host->instance_->callback = callback;
  Instances()[host->instance_] = host;

  status = initializer ? initializer(host->instance_) : VX_OK;
  if (status != VX_OK) {
    Instances().erase(host->instance_);
    allocator->Free(memory);
    delete host;
    return status;
  }
  *out = host;
  return VX_OK;
}

VxStatus HostInstance::Destroy() {
  VxStatus status = finalizer_ ? finalizer_(instance_) : VX_OK;
  Instances().erase(instance_);
  allocator_->Free(instance_);
  delete this;
  return status;
}

VxStatus HostInstance::GetInterface(const VxGuid& iid, void** out) {
  return exports_.getInterface(instance_, &clsid_, &iid, out);
}

}  // namespace vrixhost
