#include "clib/cError.h"

#include "clib/ErrorText.h"

int cError::SetError(int code) {
  m_Error = code;
  m_SystemError = code == kErrorSystem ? GetLastError() : 0;
  return GetError();
}

int cError::GetError() const {
  return m_Error;
}

DWORD cError::GetSystemError() const {
  return m_SystemError;
}

bool cError::IsSystemError() const {
  return m_Error == kErrorSystem;
}

int cError::CopyError(const cError& other) {
  m_Error = other.m_Error;
  m_SystemError = other.m_SystemError;
  return GetError();
}

int cError::GetErrorText(char* buffer, int size) const {
  return FormatErrorText(m_Error, buffer, m_SystemError, size);
}

int cError::ShowErrorMessage(HWND owner, const char* before, const char* after) const {
  return ShowErrorBox(m_Error, owner, m_SystemError, after, before);
}
