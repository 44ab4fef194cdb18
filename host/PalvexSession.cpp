#include "host/PalvexSession.h"

#include <windows.h>

#include <cstdio>

namespace vrixhost {

PalvexSession::~PalvexSession() {
  Close();
}

bool PalvexSession::Open(const std::string& pluginPath, std::string* error) {
  if (!module_.Load(pluginPath)) {
    *error = module_.error();
    return false;
  }
  callback_ = HostCallback::Create();
  VxStatus status = HostInstance::Create(module_.exports(), CLSID_PalvexGifWriter, &allocator_,
                                         callback_, &instance_);
  if (status != VX_OK) {
    *error = "creating the GIF writer failed with status " + StatusText(status);
    return false;
  }
  status = instance_->GetInterface(IID_VxExportOptions, reinterpret_cast<void**>(&options_));
  if (status != VX_OK) {
    options_ = nullptr;
    *error = "asking for the export-options interface failed with status " + StatusText(status);
    return false;
  }
  return true;
}

VxStatus PalvexSession::Close() {
  if (options_) options_->ops->Release(options_);
  options_ = nullptr;
  VxStatus status = VX_OK;
  if (instance_) status = instance_->Destroy();
  instance_ = nullptr;
  if (callback_) callback_->ops->Release(callback_);
  callback_ = nullptr;
  return status;
}

std::string ProgramDirectory() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path, n < MAX_PATH ? n : 0);
  const size_t slash = p.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

std::string DefaultPalvexPath() {
  const std::string dir = ProgramDirectory();
  const std::string beside = dir + "\\Palvex.dll";
  if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
  return dir + "\\..\\plugin\\gifwriter\\Palvex.dll";
}

std::string StatusText(VxStatus status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
  return text;
}

}  // namespace vrixhost
