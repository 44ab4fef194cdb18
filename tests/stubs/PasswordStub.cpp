// A stand-in for the system's screen-saver password component. It logs each
// call with its owner window and answers with SOMNEL_STUB_VERIFY_RESULT
// (a decimal number, 0 when unset): the test decides whether the password
// was right.
#include <cstdint>
#include <cstdlib>

#include "tests/stubs/StubLog.h"

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
  char text[32];
  DWORD length = GetEnvironmentVariableA("SOMNEL_STUB_VERIFY_RESULT", text, sizeof text);
  const BOOL result =
      (length > 0 && length < sizeof text) ? static_cast<BOOL>(std::atoi(text)) : FALSE;
  StubLog("VerifyScreenSavePwd " + StubHandleText(owner) + " -> " + std::to_string(result));
  return result;
}
