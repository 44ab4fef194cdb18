// A stand-in for the system's password-change function. It logs the
// provider name and the owner window it was called with.
#include <cstdint>

#include "tests/stubs/StubLog.h"

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2) {
  StubLog(std::string("PwdChangePasswordA ") + (provider ? provider : "(null)") + " " +
          StubHandleText(owner) + " " + std::to_string(reserved1) + " " +
          std::to_string(reserved2));
  return 0;
}
