// The saver's command line: which of the four modes the system asks for, and
// the window that comes with it. OS-free: the two questions asked of the
// window system (which window is in the foreground, does a handle name a
// window) are put to a cWindowQueries, so the decision is testable anywhere.
#pragma once

#include <cstdint>

#include "clib/WinTypes.h"

#ifndef _WIN32
struct HWND__;
typedef HWND__* HWND;
#endif

// The modes, in the values the rest of the saver stores.
enum : uint32_t {
  kModeRun = 0,             // full screen
  kModePreview = 1,         // inside the display settings' preview window
  kModeConfigure = 2,       // settings dialog
  kModeChangePassword = 3,  // the system's password change
};

struct cSaverArgs {
  uint32_t mode = kModeConfigure;
  HWND hwnd = nullptr;            // the window named, or the dialog's owner
  HWND hwndForeground = nullptr;  // foreground window at start
};

class cWindowQueries {
 public:
  virtual HWND Foreground() = 0;
  virtual bool IsWindow(HWND window) = 0;

 protected:
  ~cWindowQueries() = default;
};

// Returns the mode and fills args. Only the first letter after blanks and
// one '-' or '/' counts: "/config", "/c:4711" and "C" all configure.
uint32_t ParseCommandLine(const char* text, cSaverArgs& args, cWindowQueries& windows);

// The window whose decimal handle text gives (after one optional ':' and
// white space), or null when it names no existing window. A number outside
// the 32 bits that window handles are passed in names no window.
HWND ParseWindowHandle(const char* text, cWindowQueries& windows);

// The part of a full process command line after the program's own name
// (quoted or not) and the blanks that follow it.
const char* SkipProgramName(const char* commandLine);

// The display name: fileName without its extension (cut at the last '.').
// out holds at least kMaxPath characters; a longer name is cut to fit.
void DisplayNameFromFileName(const char* fileName, char* out);
