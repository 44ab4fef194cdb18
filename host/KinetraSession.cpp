#include "host/KinetraSession.h"

#include <windows.h>

#include "host/PalvexSession.h"

namespace vrixhost {

KinetraSession::~KinetraSession() {
  Close();
}

bool KinetraSession::Open(const std::string& pluginPath, std::string* error) {
  if (!module_.Load(pluginPath)) {
    *error = module_.error();
    return false;
  }
  callback_ = HostCallback::Create();
  VxStatus status = HostInstance::Create(module_.exports(), CLSID_KinetraGifOptions, &allocator_,
                                         callback_, &instance_);
  if (status == VX_OK) {
    void* out = nullptr;
    status = instance_->GetInterface(IID_VxAssetOptions, &out);
    options_ = static_cast<VxAssetOptions*>(out);
  }
  if (status != VX_OK || !options_) {
    *error = pluginPath + ": no asset-options interface (status " + StatusText(status) + ")";
    Close();
    return false;
  }
  return true;
}

void KinetraSession::ReleaseOptions() {
  if (options_) options_->ops->Release(options_);
  options_ = nullptr;
}

VxStatus KinetraSession::Close() {
  ReleaseOptions();
  VxStatus status = VX_OK;
  if (instance_) status = instance_->Destroy();
  instance_ = nullptr;
  if (callback_) callback_->ops->Release(callback_);
  callback_ = nullptr;
  module_.Unload();
  return status;
}

std::string DefaultKinetraPath() {
  const std::string dir = ProgramDirectory();
  const std::string beside = dir + "\\Kinetra.dll";
  if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
  return dir + "\\..\\plugin\\assetprops\\Kinetra.dll";
}

}  // namespace vrixhost
