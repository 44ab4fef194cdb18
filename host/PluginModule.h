// A plug-in DLL loaded the way the host loads it: by path, its five exports
// found by their undecorated names.
#pragma once

#include <string>

#include "host/HostInstance.h"

namespace vrixhost {

class PluginModule {
 public:
  PluginModule() = default;
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // False with a message in error() when the module cannot be loaded or
  // lacks one of the five exports.
  bool Load(const std::string& path);
  void Unload();

  bool loaded() const { return module_ != nullptr; }
  void* handle() const { return module_; }
  const PluginExports& exports() const { return exports_; }
  const std::string& error() const { return error_; }

 private:
  void* module_ = nullptr;  // an HMODULE
  PluginExports exports_;
  std::string error_;
};

}  // namespace vrixhost
