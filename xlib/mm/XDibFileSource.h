// XDibSource over a Windows file handle that someone else owns, reading from
// its current position.
#pragma once

#include <windows.h>

#include "xlib/mm/xdib.h"

class XDibHandleSource : public XDibSource {
 public:
  // Bytes left between the handle's position and the end of its file.
  int64_t Remaining() override;

 protected:
  explicit XDibHandleSource(HANDLE handle) : m_Handle(handle) {}
  ~XDibHandleSource() = default;

 private:
  HANDLE m_Handle;  // not owned
};
