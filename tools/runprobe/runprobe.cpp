// runprobe: starts a Windows program, tells what it shows and how it ends.
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

#include "tools/common/ToolCli.h"

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

const toolcli::Help kHelp = {
    "runprobe",
    "starts a Windows program, lists the top-level windows it made, closes them and prints "
    "the program's exit code",
    "[--wait MS] PROGRAM [ARGUMENTS...]",
    "  PROGRAM         the program to start\n"
    "  ARGUMENTS       given to PROGRAM as they are (/? and --help included)\n"
    "  --wait MS       how long to let it settle before its windows are listed, in\n"
    "                  milliseconds (default 1500, at most 600000); a program that does\n"
    "                  not end within five seconds of its windows closing is terminated",
    "runprobe --wait 3000 Somnel.scr /s",
    "PROGRAM could not be started (when it ran, its own exit code is printed, and runprobe "
    "exits with 0)"};

bool ParseWait(const char* text, DWORD* out) {
  char* end = nullptr;
  const unsigned long v = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0' || *text == '-' || v > 600000) return false;
  *out = static_cast<DWORD>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int code = 0;
  // Everything from PROGRAM on is the program's.
  if (toolcli::AnswerHelpOrVersion(kHelp, argc, argv, 1, &code, true)) return code;
  int first = 1;
  DWORD waitMs = 1500;
  while (first < argc && toolcli::LooksLikeOption(argv[first])) {
    if (std::strcmp(argv[first], "--") == 0) {
      ++first;
      break;
    }
    if (std::strcmp(argv[first], "--wait") != 0)
      return toolcli::UsageError(kHelp, std::string("unknown option ") + argv[first]);
    if (first + 1 >= argc || !ParseWait(argv[first + 1], &waitMs))
      return toolcli::UsageError(kHelp, "--wait takes milliseconds, from 0 to 600000");
    first += 2;
  }
  if (first >= argc) return toolcli::UsageError(kHelp, "which program? Name a PROGRAM");

  std::string commandLine = Quote(argv[first]);
  for (int i = first + 1; i < argc; ++i) commandLine += " " + Quote(argv[i]);
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(argv[first], buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    const DWORD error = GetLastError();
    return toolcli::FileFailure(kHelp, argv[first],
                                "cannot be started (system error " + std::to_string(error) +
                                    (error == ERROR_FILE_NOT_FOUND ? ": no such file)" : ")"));
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
