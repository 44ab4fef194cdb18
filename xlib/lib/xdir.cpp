#include "xlib/lib/xdir.h"

#include "clib/Assert.h"

namespace {

// Steps from the current entry onwards to the first one that passes.
int SkipToPassing(struct xff& search) {
  for (;;) {
    if (xDirEntryPasses(search.filter, search.data.dwFileAttributes, search.data.cFileName)) {
      return 1;
    }
    if (!FindNextFileA(search.handle, &search.data)) return 0;
  }
}

}  // namespace

int xDirFindFirst(struct xff& search, const char* pattern, DWORD filter) {
  xDirFindEnd(search);
  search.filter = filter;
  search.handle = FindFirstFileA(pattern, &search.data);
  if (search.handle == INVALID_HANDLE_VALUE) return 0;
  if (SkipToPassing(search)) return 1;
  xDirFindEnd(search);
  return 0;
}

int xDirFindNext(struct xff& search) {
  struct xff* xff = &search;
  ASSERT(xff->handle != INVALID_HANDLE_VALUE);
  if (!FindNextFileA(xff->handle, &xff->data)) return 0;
  return SkipToPassing(*xff);
}

void xDirFindEnd(struct xff& search) {
  if (search.handle != INVALID_HANDLE_VALUE) FindClose(search.handle);
  search.handle = INVALID_HANDLE_VALUE;
}

namespace {

int FindOnce(const char* path, DWORD filter) {
  struct xff search;
  const int found = xDirFindFirst(search, path, filter);
  xDirFindEnd(search);
  return found;
}

}  // namespace

int xFileExists(const char* path) {
  return FindOnce(path, kFilterFiles);
}

int xDirExists(const char* path) {
  return FindOnce(path, kFilterDirectories);
}
