// Class instances as the host makes them, and the host callback each
// instance carries.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/AddressDialog.h"
#include "host/HostAllocator.h"
#include "host/HostObject.h"
#include "host/PaletteReaders.h"

namespace vrixhost {

// A plug-in module's five exports, however they were found.
struct PluginExports {
  DllGetClassObjectFn getClassObject = nullptr;
  DllCanUnloadNowFn canUnloadNow = nullptr;
  DllGetClassFormFn getClassForm = nullptr;
  DllGetInterfaceFn getInterface = nullptr;
  DllGetClassInfoFn getClassInfo = nullptr;
  bool Complete() const {
    return getClassObject && canUnloadNow && getClassForm && getInterface && getClassInfo;
  }
};

struct HostCallback : VxHostCallback {
  static HostCallback* Create();

  uint32_t refs = 1;
  int failCreateIn = 0;  // the n-th CreateObject from now fails with VX_E_OUTOFMEMORY
  int creations = 0;
  // Resource opening: the module handle itself is the resource module.
  int resourceOpens = 0;
  int resourceCloses = 0;
  std::set<uintptr_t> openTokens;
  uintptr_t nextToken = 0x100;
  VxStatus openResourcesStatus = VX_OK;  // what OpenModuleResources answers when not 0
  // What the path service answers (empty: the host has no path) and the
  // palette readers the reader registry lists.
  std::string hostPath;
  std::vector<PaletteFileKind> paletteReaders = AllPaletteReaders();
  // Classes CreateObject refuses with VX_E_NOCLASS, as a host without them.
  std::vector<VxGuid> refusedClasses;
  // The address-input dialog's scripted answer, and the notices of system
  // dialogs shown by plug-ins.
  AddressScript addressScript;
  SystemDialogLog systemDialogs;
  // Dialog builder and the services around it. Help topics asked for and
  // messages shown are recorded here; printHelp also prints each topic.
  std::vector<int32_t> helpTopics;
  bool printHelp = false;
  std::vector<std::string> messages;
  // The module of the builder's shared resources (the common file); null:
  // the running program's own module.
  void* commonFileModule = nullptr;
  // The code page of the texts the builder is given; 0: the one of the
  // host's language (VRIXHOST_LANGUAGE 1, Japanese: 932, else 1252).
  int builderCodePage = 0;
  // Every event the builder reported to a plug-in: type and item.
  std::vector<std::pair<int32_t, int32_t>> builderEvents;
  // What the plug-in answered to the events it did not handle with 0.
  std::vector<VxStatus> builderEventFailures;
  // Every item a plug-in asked the builder to refresh, in order.
  std::vector<int32_t> builderRefreshes;
  // Classes beyond the built-in ones (dictionary service, file service).
  std::function<VxStatus(const VxGuid& clsid, const VxGuid& iid, void** out)> extraClasses;

  VxStatus CreateObject(const VxGuid& clsid, const VxGuid& iid, void** out);

 private:
  HostCallback();
  ~HostCallback();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

// One instance of a plug-in class: memory of the class's instance size from
// the allocator, the host's part filled, the initialiser run.
class HostInstance {
 public:
  // 0 and the instance, or the failing status (class form, allocation,
  // initialiser); nothing is left behind on failure.
  static VxStatus Create(const PluginExports& exports, const VxGuid& clsid,
                         HostAllocator* allocator, HostCallback* callback, HostInstance** out);
  // Runs the finaliser and frees the memory; returns the finaliser's status.
  VxStatus Destroy();

  VxInstance* instance() const { return instance_; }
  uint32_t size() const { return size_; }
  // DllGetInterface on this instance.
  VxStatus GetInterface(const VxGuid& iid, void** out);

  int addRefs = 0;
  int releases = 0;
  int queries = 0;
  // Interfaces the instance's query-interface refuses with VX_E_NOINTERFACE.
  std::vector<VxGuid> refusedInterfaces;
  // Net references plug-in objects hold on the instance.
  int Held() const { return addRefs - releases; }

  static HostInstance* FromInstance(VxInstance* instance);

 private:
  HostInstance() = default;
  PluginExports exports_;
  VxGuid clsid_{};
  HostAllocator* allocator_ = nullptr;
  HostCallback* callback_ = nullptr;
  VxInstance* instance_ = nullptr;
  uint32_t size_ = 0;
  VxFinalizer finalizer_ = nullptr;
};

}  // namespace vrixhost
