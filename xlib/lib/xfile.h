// Record-style file access: a record allocated by xFileOpen and freed by
// xFileClose. Misuse (a null record, a closed handle) ends the program
// through an assertion.
#pragma once

#include <windows.h>

#include <cstddef>

struct xfile {
  HANDLE handle;
};

// Opens an existing file (random-access hint, normal attributes). Returns a
// new record, or null when the file cannot be opened or memory runs out.
xfile* xFileOpen(const char* path, DWORD access, DWORD share);
// Closes a valid handle and frees the record.
void xFileClose(xfile* file);
// count in: bytes wanted; out: bytes read. Returns the bytes read, or -1
// when the system call failed (count is then 0).
long xFileRead(xfile* file, void* buffer, DWORD& count);
// Returns the new position as SetFilePointer gives it (INVALID_SET_FILE_POINTER
// on failure).
DWORD xFileSeek(xfile* file, LONG distance, DWORD origin);
// DeleteFileA's result.
BOOL xFileDelete(const char* path);

// A zero-filled block of size bytes, or null. Free it with xFree.
void* xAllocZero(size_t size);
void xFree(void* block);
