// A stand-in for the system's common-dialog library (comdlg32.dll) for the
// Browse tests: GetOpenFileNameA answers from a script and records what it
// was asked. A test program links it and runs with WINEDLLOVERRIDES naming
// comdlg32 native, so that Kinetra.dll binds to it too.
#pragma once

#include <windows.h>

struct StubOpenCall {
  char file[1024];   // lpstrFile as given
  char title[256];   // lpstrTitle
  char filter[512];  // lpstrFilter, its NULs shown as '|'
  DWORD flags;
  DWORD filterIndex;
  DWORD maxFile;
  HWND owner;
};

#ifndef STUB_COMDLG_API
#define STUB_COMDLG_API __declspec(dllimport)
#endif

extern "C" {
// Answers, one per call, separated by '\n': "invalid" (fails with
// FNERR_INVALIDFILENAME), "cancel", or the path chosen. After the last
// answer every call cancels. Clears the recorded calls.
STUB_COMDLG_API void StubComdlgScript(const char* answers);
STUB_COMDLG_API int StubComdlgCallCount();
STUB_COMDLG_API const StubOpenCall* StubComdlgCall(int index);
// Called inside every GetOpenFileNameA, while the "dialog" is up.
STUB_COMDLG_API void StubComdlgDuring(void (*during)());
}
