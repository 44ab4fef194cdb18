#include "saver/CommandLine.h"

#include <cstring>

#include "clib/Path.h"

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

uint32_t ParseCommandLine(const char* text, cSaverArgs& args, cWindowQueries& windows) {
  // Recorded before anything else: the saver gives the focus back to it.
  args.hwndForeground = windows.Foreground();
  args.hwnd = nullptr;
  if (!text) text = "";

  const char* p = text;
  while (*p == ' ') ++p;  // blanks only; a tab is examined as a letter
  if (*p == '-' || *p == '/') ++p;

  switch (Upper(*p)) {
    case 'A':
      args.mode = kModeChangePassword;
      args.hwnd = ParseWindowHandle(p + 1, windows);
      break;
    case 'C':
      args.mode = kModeConfigure;
      args.hwnd = args.hwndForeground;
      break;
    case 'L':
    case 'P':
      args.mode = kModePreview;
      args.hwnd = ParseWindowHandle(p + 1, windows);
      break;
    case 'S':
      args.mode = kModeRun;
      break;
    default:
      args.mode = kModeConfigure;
      break;
  }
  return args.mode;
}

HWND ParseWindowHandle(const char* text, cWindowQueries& windows) {
  if (!text) return nullptr;
  const char* p = text;
  if (*p == ':') ++p;
  while (IsWhiteSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';

  // Handles travel as 32-bit numbers, signed or not. Counting stops once the
  // value is out of that range, so no digit string can overflow.
  const int64_t kLimit = int64_t{1} << 32;
  int64_t value = 0;
  bool outOfRange = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (!outOfRange) value = value * 10 + (*p - '0');
    if (value > kLimit) outOfRange = true;
  }
  if (negative) value = -value;
  if (outOfRange || value >= kLimit || value < -(int64_t{1} << 31) || value == 0) return nullptr;

  // The low 32 bits, sign-extended as the system widens handles.
  const int32_t bits = static_cast<int32_t>(static_cast<uint32_t>(value & 0xFFFFFFFF));
  HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(bits));
  return windows.IsWindow(window) ? window : nullptr;
}

const char* SkipProgramName(const char* commandLine) {
  if (!commandLine) return "";
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

void DisplayNameFromFileName(const char* fileName, char* out) {
  if (!fileName) fileName = "";
  size_t length = std::strlen(fileName);
  const char* dot = std::strrchr(fileName, '.');
  if (dot) length = static_cast<size_t>(dot - fileName);
  if (length > static_cast<size_t>(kMaxPath - 1)) length = kMaxPath - 1;
  std::memcpy(out, fileName, length);
  out[length] = '\0';
}
