#include "saver/Password.h"

#include <windows.h>

#include <cstring>

#include "xlib/lib/xreg.h"

namespace {

// The provider name, the owner, and two reserved zeros; the result is not
// used.
typedef DWORD(WINAPI* PwdChangePasswordFn)(LPCSTR provider, HWND owner, DWORD, DWORD);

// The owner window; non-zero when the password was right.
typedef BOOL(WINAPI* VerifyScreenSavePwdFn)(HWND owner);

}  // namespace

void ChangePassword(const cSaverArgs& args) {
  HMODULE library = LoadLibraryA("MPR.DLL");
  if (!library) return;
  auto change = reinterpret_cast<PwdChangePasswordFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", args.hwnd ? args.hwnd : GetForegroundWindow(), 0, 0);
  FreeLibrary(library);
}

BOOL ReadPasswordState() {
  xreg desktop;
  if (!xRegOpen(desktop, HKEY_CURRENT_USER, "Control Panel\\Desktop")) return FALSE;
  char isSecure[32];
  xRegGetString(&desktop, "ScreenSaverIsSecure", "0", isSecure, sizeof isSecure);
  const int usePassword = xRegGetInt(&desktop, "ScreenSaveUsePassword", 0);
  xRegClose(desktop);
  return usePassword != 0 || std::strcmp(isSecure, "0") != 0;
}

BOOL VerifyScreenSaverPassword(HWND owner) {
  HMODULE library = LoadLibraryA("PASSWORD.CPL");
  if (!library) return TRUE;
  BOOL result = TRUE;
  auto verify = reinterpret_cast<VerifyScreenSavePwdFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "VerifyScreenSavePwd")));
  if (verify) result = verify(owner);
  FreeLibrary(library);
  return result;
}
