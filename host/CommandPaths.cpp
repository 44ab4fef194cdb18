#include "host/CommandPaths.h"

#include <windows.h>

#include <vector>

namespace vrixhost {

std::string FullPathOf(const std::string& path) {
  if (path.empty()) return path;
  std::vector<char> full(MAX_PATH);
  DWORD length =
      GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {  // the size it needs, with its NUL
    full.resize(length);
    length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) return path;
  return std::string(full.data(), length);
}

void MakeFull(std::initializer_list<std::string*> paths) {
  for (std::string* p : paths) *p = FullPathOf(*p);
}

}  // namespace vrixhost
