// A password component that lacks the check function: the saver must then
// let itself be closed.
#include <cstdint>

#include "tests/stubs/StubLog.h"

extern "C" __declspec(dllexport) BOOL WINAPI SomethingElse(HWND owner) {
  StubLog("SomethingElse " + StubHandleText(owner));
  return FALSE;
}
