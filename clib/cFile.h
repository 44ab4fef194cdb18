// A system file handle with the last error kept in the object. Every
// operation ends by setting the error, so GetError() tells how it went.
#pragma once

#include <windows.h>

#include "clib/cError.h"

class cFile : public cError {
 public:
  cFile() = default;
  cFile(const cFile&) = delete;
  cFile& operator=(const cFile&) = delete;
  // Closes the file when it is still open.
  ~cFile() override;

  // Opens an existing file (random-access hint, normal attributes).
  // Returns kErrorNone or kErrorSystem.
  int OpenRead(DWORD access, const char* path, DWORD share);
  // Creates or truncates a file for reading and writing.
  // Returns kErrorNone or kErrorSystem.
  int Create(DWORD attributes, const char* path, DWORD share);
  // Closes when open; the handle is invalid afterwards.
  // Returns kErrorNone or kErrorSystem (the close failed).
  int Close();

  bool IsOpen() const { return m_Handle != INVALID_HANDLE_VALUE; }

  // Requires an open file. Returns the bytes read. Error kErrorEndOfFile
  // when none were read, kErrorSystem (and 0) when the system call failed.
  DWORD Read(void* buffer, DWORD count);
  // Requires an open file. Returns the bytes written; kErrorSystem and 0 on
  // failure.
  DWORD Write(const void* buffer, DWORD count);
  // origin: FILE_BEGIN, FILE_CURRENT or FILE_END. Not open: kErrorNotOpen
  // and -1, without a system call. Otherwise the new position, with
  // kErrorSystem when the system call failed or a seek from the beginning
  // did not land on distance.
  LONG Seek(LONG distance, DWORD origin);
  // Copies count bytes from the current position to out in chunks of at
  // most 8192 bytes. Returns kErrorNone, kErrorNoMemory, kErrorEndOfFile
  // (the source ended early), kErrorSystem, or the error of out when a write
  // fell short.
  int CopyTo(cFile& out, DWORD count);

  HANDLE m_Handle = INVALID_HANDLE_VALUE;
};
