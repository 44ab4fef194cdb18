// The system's screen-saver password: changing it (mode 3).
#pragma once

#include "saver/CommandLine.h"

// Runs the system's password change for the screen saver, owned by the
// window of the command line or else the foreground window. Silently does
// nothing where the system has no such function.
void ChangePassword(const cSaverArgs& args);

// Whether the system wants the password before the saver closes: the
// "Control Panel\Desktop" string ScreenSaverIsSecure is not exactly "0", or
// its number ScreenSaveUsePassword is not 0. Missing values (or key) count as
// "0" and 0. Reads the registry only.
BOOL ReadPasswordState();

// Asks the system's password component, owned by `owner`. Non-zero when the
// saver may close: the component's answer, or 1 when the component or its
// check function is missing.
BOOL VerifyScreenSaverPassword(HWND owner);
