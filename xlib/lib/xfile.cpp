#include "xlib/lib/xfile.h"

#include <cstdlib>

#include "clib/Assert.h"

xfile* xFileOpen(const char* path, DWORD access, DWORD share) {
  HANDLE handle = CreateFileA(path, access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  xfile* file = static_cast<xfile*>(xAllocZero(sizeof(xfile)));
  if (!file) {
    CloseHandle(handle);
    return nullptr;
  }
  file->handle = handle;
  return file;
}

void xFileClose(xfile* file) {
  ASSERT(file != NULL);
  if (file->handle != INVALID_HANDLE_VALUE) CloseHandle(file->handle);
  xFree(file);
}

long xFileRead(xfile* file, void* buffer, DWORD& count) {
  ASSERT(file != NULL && file->handle != INVALID_HANDLE_VALUE);
  DWORD read = 0;
  if (!ReadFile(file->handle, buffer, count, &read, nullptr)) {
    count = 0;
    return -1;
  }
  count = read;
  return static_cast<long>(read);
}

DWORD xFileSeek(xfile* file, LONG distance, DWORD origin) {
  ASSERT(file != NULL && file->handle != INVALID_HANDLE_VALUE);
  return SetFilePointer(file->handle, distance, nullptr, origin);
}

BOOL xFileDelete(const char* path) {
  return DeleteFileA(path);
}

void* xAllocZero(size_t size) {
  return std::calloc(1, size);
}

void xFree(void* block) {
  std::free(block);
}
