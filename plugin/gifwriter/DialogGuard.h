// Keeps exceptions inside a dialog procedure. The system calls the procedure
// and the host called the system: an exception leaving it would cross both
// (and end the host). Whatever a step of the dialog throws - a standard
// container that cannot get memory, for one - ends the dialog with -1,
// which the options operation reports as out of memory.
#pragma once

#include <windows.h>

template <class Handler>
INT_PTR GuardedDialogMessage(HWND dialog, Handler&& handler) noexcept {
  try {
    return handler();
  } catch (...) {
    EndDialog(dialog, -1);
    return TRUE;
  }
}
