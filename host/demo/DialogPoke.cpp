// dialogpoke: works a dialog of another program the way a person would, for
// the demo on a virtual display: it finds the top-level window by its title
// and clicks a control, chooses a drop-down entry or types into an edit,
// each control named by its identifier.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kHelp[] =
    "usage: dialogpoke TITLE ACTION...\n"
    "  Finds the visible top-level window titled TITLE (waiting up to 10 s) and\n"
    "  does each action in turn:\n"
    "    click ID          press the button with control identifier ID\n"
    "    select ID INDEX   choose entry INDEX (from 0) of the drop-down list ID\n"
    "    text ID TEXT      put TEXT into the edit ID and leave it\n"
    "    sleep MS          wait MS milliseconds\n"
    "    show ID           print the control's text\n"
    "example:\n"
    "  dialogpoke \"Animated GIF Asset Properties\" click 1005 sleep 500 show 1005\n";

HWND FindDialog(const char* title) {
  for (int i = 0; i < 1000; ++i) {
    HWND w = FindWindowA(nullptr, title);
    if (w && IsWindowVisible(w)) return w;
    Sleep(10);
  }
  return nullptr;
}

HWND Control(HWND dialog, const char* id) {
  HWND c = GetDlgItem(dialog, std::atoi(id));
  if (!c) std::fprintf(stderr, "dialogpoke: no control %s\n", id);
  return c;
}

void Command(HWND dialog, HWND control, int code) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "/?") == 0)) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc < 3) {
    std::fputs(kHelp, stderr);
    return 2;
  }
  HWND dialog = FindDialog(argv[1]);
  if (!dialog) {
    std::fprintf(stderr, "dialogpoke: no window titled \"%s\"\n", argv[1]);
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const char* action = argv[i];
    const bool two = std::strcmp(action, "select") == 0 || std::strcmp(action, "text") == 0;
    if (i + 1 >= argc || (two && i + 2 >= argc)) {
      std::fputs(kHelp, stderr);
      return 2;
    }
    if (std::strcmp(action, "sleep") == 0) {
      Sleep(static_cast<DWORD>(std::atoi(argv[++i])));
      continue;
    }
    HWND c = Control(dialog, argv[++i]);
    if (!c) return 1;
    if (std::strcmp(action, "click") == 0) {
      SendMessageA(c, BM_CLICK, 0, 0);
    } else if (std::strcmp(action, "select") == 0) {
      SendMessageA(c, CB_SETCURSEL, std::atoi(argv[++i]), 0);
      Command(dialog, c, CBN_SELCHANGE);
    } else if (std::strcmp(action, "text") == 0) {
      SetWindowTextA(c, argv[++i]);
      Command(dialog, c, EN_KILLFOCUS);
    } else if (std::strcmp(action, "show") == 0) {
      char text[1100] = "";
      // Of another program, GetWindowText gives only a caption: ask the control.
      SendMessageA(c, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      std::printf("%s\n", text);
    } else {
      std::fprintf(stderr, "dialogpoke: unknown action \"%s\"\n", action);
      return 2;
    }
  }
  return 0;
}
