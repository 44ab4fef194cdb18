// An error code kept in an object, with the system's error number beside it
// when the code is kErrorSystem.
#pragma once

#include <windows.h>

#include "clib/ErrorCodes.h"

class cError {
 public:
  cError() = default;
  cError(const cError&) = default;
  cError& operator=(const cError&) = default;

  // Stores code; the system code becomes GetLastError() for kErrorSystem,
  // else 0. Returns GetError().
  virtual int SetError(int code);
  virtual int GetError() const;
  virtual DWORD GetSystemError() const;
  virtual bool IsSystemError() const;
  // Takes over both codes of other. Returns GetError().
  virtual int CopyError(const cError& other);
  // FormatErrorText for the two codes; returns its result.
  virtual int GetErrorText(char* buffer, int size) const;
  // ShowErrorBox for the two codes; returns the MessageBoxA result.
  virtual int ShowErrorMessage(HWND owner, const char* before, const char* after) const;

  virtual ~cError() = default;

 protected:
  int m_Error = kErrorNone;
  DWORD m_SystemError = 0;
};
