// runprobe: starts a Windows program, tells what it shows and how it ends.
//
//   runprobe [--wait MS] PROGRAM [ARGUMENTS...]
//
// Starts PROGRAM, waits until it is idle (or MS milliseconds, default 1500),
// lists the top-level windows its process made (class, title, style), closes
// them (WM_CLOSE, or IDCANCEL for dialogs) and prints the exit code. A
// process that does not end within five more seconds is terminated, and that
// is said too. Used by the demo to show what a program does under Wine.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct WindowInfo {
  HWND handle;
  std::string className;
  std::string title;
  LONG style;
  LONG exStyle;
};

struct EnumState {
  DWORD processId;
  std::vector<WindowInfo> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != state->processId) return TRUE;
  char className[256] = "";
  GetClassNameA(window, className, sizeof className);
  // The input-method window every GUI thread gets says nothing about the program.
  if (std::strcmp(className, "IME") == 0) return TRUE;
  WindowInfo info{
      window, {}, {}, GetWindowLongA(window, GWL_STYLE), GetWindowLongA(window, GWL_EXSTYLE)};
  info.className = className;
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  info.title = text;
  state->windows.push_back(info);
  return TRUE;
}

std::vector<WindowInfo> WindowsOf(DWORD processId) {
  EnumState state{processId, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
  return state.windows;
}

// Quotes one argument the way the C runtime splits command lines.
std::string Quote(const char* argument) {
  if (*argument != '\0' && std::strpbrk(argument, " \t\"") == nullptr) return argument;
  std::string quoted = "\"";
  for (const char* p = argument; *p != '\0'; ++p) {
    if (*p == '"') quoted += '\\';
    quoted += *p;
  }
  return quoted + "\"";
}

int Usage() {
  std::fprintf(stderr, "usage: runprobe [--wait MS] PROGRAM [ARGUMENTS...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  DWORD waitMs = 1500;
  if (argc > 2 && std::strcmp(argv[1], "--wait") == 0) {
    waitMs = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    first = 3;
  }
  if (first >= argc) return Usage();

  std::string commandLine = Quote(argv[first]);
  for (int i = first + 1; i < argc; ++i) commandLine += " " + Quote(argv[i]);
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(argv[first], buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("could not start %s (system error %lu)\n", argv[first], GetLastError());
    return 1;
  }
  WaitForInputIdle(process.hProcess, waitMs);
  if (WaitForSingleObject(process.hProcess, waitMs) == WAIT_OBJECT_0) {
    std::printf("windows: none (the program ended by itself)\n");
  } else {
    std::vector<WindowInfo> windows = WindowsOf(process.dwProcessId);
    if (windows.empty()) std::printf("windows: none\n");
    for (const WindowInfo& w : windows) {
      std::printf("window: class \"%s\", title \"%s\", style 0x%08lX, extended style 0x%08lX%s\n",
                  w.className.c_str(), w.title.c_str(), static_cast<unsigned long>(w.style),
                  static_cast<unsigned long>(w.exStyle), (w.style & WS_VISIBLE) ? ", visible" : "");
    }
    for (const WindowInfo& w : windows) {
      if (w.className == "#32770")
        PostMessageA(w.handle, WM_COMMAND, IDCANCEL, 0);
      else
        PostMessageA(w.handle, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
      std::printf("the program did not end when its windows were closed: terminated\n");
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
    }
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::printf("exit code: %lu\n", static_cast<unsigned long>(exitCode));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
