#include "clib/LongName.h"

#include <cstring>

#include "clib/Path.h"
#include "xlib/lib/xdir.h"

bool LongName(const char* path, char* out) {
  struct xff search;
  const bool found = xDirFindFirst(search, path, kFilterFiles) != 0;
  xDirFindEnd(search);
  if (found) {
    const size_t len = std::strlen(search.data.cFileName);
    if (len < static_cast<size_t>(kMaxPath)) {
      std::memcpy(out, search.data.cFileName, len + 1);
      return true;
    }
  }
  SplitPath(path, nullptr, out);
  return false;
}
