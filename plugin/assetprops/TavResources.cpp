#include "plugin/assetprops/TavResources.h"

#include <windows.h>

namespace {
VxHostCallback* g_host = nullptr;  // not owned
void* g_module = nullptr;
}  // namespace

void TavSetResourceHost(VxHostCallback* host, void* module) {
  g_host = host;
  g_module = module;
}
VxHostCallback* TavResourceHost() {
  return g_host;
}
void* TavResourceModule() {
  return g_module;
}

TavRezHelper::TavRezHelper(void* module) : module_(module) {
  if (!g_host) {
    resources_ = GetModuleHandleA(nullptr);
    return;
  }
  void* resources = nullptr;
  uintptr_t token = 0;
  if (g_host->ops->OpenModuleResources(g_host, module_, &resources, &token) == VX_OK) {
    resources_ = resources;
    token_ = token;
    open_ = true;
  }
}

TavRezHelper::~TavRezHelper() {
  if (open_) g_host->ops->CloseModuleResources(g_host, module_, token_);
}

ZepCommonFileHelper::ZepCommonFileHelper() {
  if (!g_host) return;
  void* out = nullptr;
  if (g_host->ops->CreateObject(g_host, &CLSID_ZepCommonFile, &IID_ZepCommonFile, &out) != VX_OK ||
      !out)
    return;
  file_ = static_cast<ZepCommonFile*>(out);
  if (file_->ops->GetModule(file_, &module_) != VX_OK || !module_) return;
  void* resources = nullptr;
  uintptr_t token = 0;
  if (g_host->ops->OpenModuleResources(g_host, module_, &resources, &token) == VX_OK) {
    resources_ = resources;
    token_ = token;
    open_ = true;
  }
}

ZepCommonFileHelper::~ZepCommonFileHelper() {
  if (open_) g_host->ops->CloseModuleResources(g_host, module_, token_);
  if (file_) file_->ops->Release(file_);
}
