// Where Kinetra's texts are looked up: the module's own resources and the
// dialog builder's shared resources.
#pragma once

#include <cstdint>

#include "plugin/frame/VrixHost.h"

// Host-resource mode: the host opens the module's resources (the mode the
// exception support is initialised with under the host). With a null host
// the mode is off and the module's own resources are the process's main
// module's. `module` is the plug-in's instance handle either way.
void TavSetResourceHost(VxHostCallback* host, void* module);
VxHostCallback* TavResourceHost();  // null when not in host-resource mode
void* TavResourceModule();

// The module's own resources for as long as the helper lives: in host mode
// opened by the host (and closed again, handing its token back), else the
// process's main module.
class TavRezHelper {
 public:
  explicit TavRezHelper(void* module);
  ~TavRezHelper();
  TavRezHelper(const TavRezHelper&) = delete;
  TavRezHelper& operator=(const TavRezHelper&) = delete;
  void* resources() const { return resources_; }  // an HMODULE, null when not available

 private:
  void* module_;
  void* resources_ = nullptr;
  uintptr_t token_ = 0;
  bool open_ = false;
};

// The dialog builder's shared resources: the host's common-file object is
// made, asked for its module, and the host opens that module's resources;
// destroying the helper closes them and releases the object. Nothing is
// available outside host-resource mode.
class ZepCommonFileHelper {
 public:
  ZepCommonFileHelper();
  ~ZepCommonFileHelper();
  ZepCommonFileHelper(const ZepCommonFileHelper&) = delete;
  ZepCommonFileHelper& operator=(const ZepCommonFileHelper&) = delete;
  void* resources() const { return resources_; }

 private:
  ZepCommonFile* file_ = nullptr;
  void* module_ = nullptr;
  void* resources_ = nullptr;
  uintptr_t token_ = 0;
  bool open_ = false;
};
