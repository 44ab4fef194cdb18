#include "xlib/lib/xdirfilter.h"

#include <cstring>

bool xDirEntryPasses(DWORD filter, DWORD attributes, const char* name) {
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  if (filter == 0) return true;
  if ((filter & attributes) != 0) return true;
  // Some systems report plain files with no attribute bits at all.
  return (filter & kFilterFiles) != 0 && attributes == 0;
}
