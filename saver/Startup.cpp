#include "saver/Startup.h"

#include <new>

#include "clib/Path.h"
#include "clib/cDlg.h"
#include "saver/Password.h"
#include "saver/resource.h"
#include "saver/zyPak.h"
#include "saver/zySaver.h"
#include "saver/zySaverDlg.h"

namespace {

class cSystemWindows : public cWindowQueries {
 public:
  HWND Foreground() override { return GetForegroundWindow(); }
  bool IsWindow(HWND window) override { return ::IsWindow(window) != FALSE; }
};

}  // namespace

const char* zyDisplayName() {
  static char name[kMaxPath];
  static bool done = false;
  if (!done) {
    char fileName[kMaxPath];
    SplitPath(zyModulePath(), nullptr, fileName);
    DisplayNameFromFileName(fileName, name);
    done = true;
  }
  return name;
}

uint32_t ParseCommandLine(const char* text, cSaverArgs& args) {
  cSystemWindows windows;
  return ParseCommandLine(text, args, windows);
}

HWND ParseWindowHandle(const char* text) {
  cSystemWindows windows;
  return ParseWindowHandle(text, windows);
}

int SaverMain(HINSTANCE instance, const char* commandLine, int showCommand) {
  // The names come first: everything after them derives files and titles
  // from them.
  zyModulePath();
  zyDisplayName();

  cSaverArgs args;
  ParseCommandLine(commandLine, args);

  switch (args.mode) {
    case kModeRun:
    case kModePreview: {
      zySaver* saver = new (std::nothrow) zySaver;
      if (!saver) break;
      saver->Run(args, instance, showCommand);
      delete saver;
      break;
    }
    case kModeChangePassword:
      ChangePassword(args);
      break;
    default: {
      zySaverDlg* dialog = new (std::nothrow) zySaverDlg;
      if (!dialog) break;
      DoModal(*dialog, instance, IDD_SETTINGS, args.hwnd);
      delete dialog;
      break;
    }
  }
  return 0;
}
