#include "host/PluginModule.h"

#include <windows.h>

namespace vrixhost {
namespace {

template <class Fn>
bool Find(HMODULE module, const char* name, Fn* out, std::string* missing) {
  *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (!*out) {
    if (!missing->empty()) *missing += ", ";
    *missing += name;
  }
  return *out != nullptr;
}

// Why LoadLibrary failed, in words for the usual cases.
std::string LoadProblem(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "no such file";
    case ERROR_MOD_NOT_FOUND:
      return "it, or a module it imports, cannot be found";
    case ERROR_BAD_EXE_FORMAT:
      return "not a Windows module for this processor (a 32-bit host loads 32-bit plug-ins)";
    case ERROR_DLL_INIT_FAILED:
      return "its start-up code failed";
    default:
      return "system error " + std::to_string(error);
  }
}

}  // namespace

PluginModule::~PluginModule() {
  Unload();
}

bool PluginModule::Load(const std::string& path) {
  Unload();
  // Like the host, look for the plug-in's own imports (Tesk32) beside it;
  // that search needs a full path.
  char full[MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  const char* name = n > 0 && n < sizeof full ? full : path.c_str();
  HMODULE module = LoadLibraryExA(name, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    const DWORD error = GetLastError();
    error_ = path + ": cannot be loaded: " + LoadProblem(error) + " (error " +
             std::to_string(error) + ")";
    return false;
  }
  std::string missing;
  Find(module, "DllGetClassObject", &exports_.getClassObject, &missing);
  Find(module, "DllCanUnloadNow", &exports_.canUnloadNow, &missing);
  Find(module, "DllGetClassForm", &exports_.getClassForm, &missing);
  Find(module, "DllGetInterface", &exports_.getInterface, &missing);
  Find(module, "DllGetClassInfo", &exports_.getClassInfo, &missing);
  if (!missing.empty()) {
    error_ = path + ": is not a plug-in: it lacks the exports " + missing;
    FreeLibrary(module);
    exports_ = PluginExports();
    return false;
  }
  module_ = module;
  return true;
}

void PluginModule::Unload() {
  if (module_) FreeLibrary(static_cast<HMODULE>(module_));
  module_ = nullptr;
  exports_ = PluginExports();
}

}  // namespace vrixhost
