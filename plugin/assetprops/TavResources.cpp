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

namespace {

// Opens a module's resources through the host; on refusal nothing is
// changed and the answer is false.
bool OpenResources(void* module, void** resources, uintptr_t* token) {
  void* opened = nullptr;
  uintptr_t openedToken = 0;
  if (g_host->ops->OpenModuleResources(g_host, module, &opened, &openedToken) != VX_OK)
    return false;
  *resources = opened;
  *token = openedToken;
  return true;
}

}  // namespace

TavRezHelper::TavRezHelper(void* module) : module_(module) {
  if (!g_host) {
    resources_ = GetModuleHandleA(nullptr);
    return;
  }
  open_ = OpenResources(module_, &resources_, &token_);
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
  open_ = OpenResources(module_, &resources_, &token_);
}

ZepCommonFileHelper::~ZepCommonFileHelper() {
  if (open_) g_host->ops->CloseModuleResources(g_host, module_, token_);
  if (file_) file_->ops->Release(file_);
}
