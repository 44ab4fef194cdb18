// One animated-GIF options instance in the stand-in host, as vrixhost
// gif-asset and the tests use it: Kinetra.dll loaded by path, a host
// callback, an instance of the options class and its asset-options
// interface.
#pragma once

#include <string>

#include "host/HostAllocator.h"
#include "host/HostInstance.h"
#include "host/PluginModule.h"

namespace vrixhost {

class KinetraSession {
 public:
  KinetraSession() = default;
  ~KinetraSession();
  KinetraSession(const KinetraSession&) = delete;
  KinetraSession& operator=(const KinetraSession&) = delete;

  // False with a message in *error when the module, the instance or the
  // interface cannot be had.
  bool Open(const std::string& pluginPath, std::string* error);
  // Releases the interface and destroys the instance; the finaliser's status.
  VxStatus Close();

  HostCallback* callback() const { return callback_; }
  HostInstance* instance() const { return instance_; }
  VxAssetOptions* options() const { return options_; }
  // Lets the session's interface go (tests that make their own).
  void ReleaseOptions();
  const PluginModule& module() const { return module_; }

 private:
  PluginModule module_;
  HostAllocator allocator_;
  HostCallback* callback_ = nullptr;
  HostInstance* instance_ = nullptr;
  VxAssetOptions* options_ = nullptr;
};

// Kinetra.dll beside the running program, else where the build tree puts it.
std::string DefaultKinetraPath();

}  // namespace vrixhost
