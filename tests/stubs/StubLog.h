// Shared by the stub system libraries: one line per call, appended to the
// file named by SOMNEL_STUB_LOG.
#pragma once

#include <windows.h>

#include <string>

inline void StubLog(const std::string& line) {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("SOMNEL_STUB_LOG", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

inline std::string StubHandleText(const void* handle) {
  return std::to_string(reinterpret_cast<uintptr_t>(handle));
}
