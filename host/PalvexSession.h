// One GIF writer instance in the stand-in host, as the vrixhost commands use
// it: Palvex.dll loaded by path, a host callback, an instance of the GIF
// writer class and its export-options interface.
#pragma once

#include <string>

#include "host/HostAllocator.h"
#include "host/HostInstance.h"
#include "host/PluginModule.h"

namespace vrixhost {

class PalvexSession {
 public:
  PalvexSession() = default;
  ~PalvexSession();
  PalvexSession(const PalvexSession&) = delete;
  PalvexSession& operator=(const PalvexSession&) = delete;

  // False with a message in *error when the module, the instance or the
  // interface cannot be had.
  bool Open(const std::string& pluginPath, std::string* error);
  // Releases the interface and destroys the instance; the finaliser's status.
  VxStatus Close();

  HostCallback* callback() const { return callback_; }
  VxExportOptions* options() const { return options_; }

 private:
  PluginModule module_;
  HostAllocator allocator_;
  HostCallback* callback_ = nullptr;
  HostInstance* instance_ = nullptr;
  VxExportOptions* options_ = nullptr;
};

// Palvex.dll beside the running program, else where the build tree puts it.
std::string DefaultPalvexPath();

// The folder of the running program.
std::string ProgramDirectory();

// "0x8004520B" and the like.
std::string StatusText(VxStatus status);

}  // namespace vrixhost
