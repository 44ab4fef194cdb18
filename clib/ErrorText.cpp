#include "clib/ErrorText.h"

#include <cstdio>
#include <cstring>

#include "clib/ErrorCodes.h"

namespace {

// Copies text into buffer, cut to size - 1 characters.
void CopyCut(char* buffer, int size, const char* text, size_t len) {
  if (size <= 0) return;
  if (len > static_cast<size_t>(size - 1)) len = static_cast<size_t>(size - 1);
  std::memcpy(buffer, text, len);
  buffer[len] = '\0';
}

// The system's text for number, cut to fit; its length, 0 when none. The
// system allocates the text so that a long message is cut rather than lost.
int FormatSystemMessage(DWORD number, DWORD widthFlags, char* buffer, int size) {
  char* text = nullptr;
  const DWORD len = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS | widthFlags,
                                   nullptr, number, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                   reinterpret_cast<char*>(&text), 0, nullptr);
  if (len == 0 || !text) {
    if (text) LocalFree(text);
    return 0;
  }
  CopyCut(buffer, size, text, len);
  LocalFree(text);
  return size > 0 ? static_cast<int>(std::strlen(buffer)) : 0;
}

}  // namespace

int FormatErrorText(int code, char* buffer, DWORD systemCode, int size) {
  if (size > 0) buffer[0] = '\0';
  if (code == kErrorNone) return 0;
  if (size > 0) std::snprintf(buffer, static_cast<size_t>(size), "<unknown error: %d>", code);

  if (code == kErrorSystem) {
    // Width 255: the message's own line breaks become blanks.
    return FormatSystemMessage(systemCode, 255, buffer, size) > 0 ? 1 : 0;
  }
  // String ids are 16 bits; a larger code would be cut to another id.
  if (size <= 0 || code < 0 || code > 0xFFFF) return 0;
  char text[1024];
  const int len = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(code), text,
                              static_cast<int>(sizeof(text)));
  if (len <= 0) return 0;
  CopyCut(buffer, size, text, static_cast<size_t>(len));
  return 1;
}

int ShowErrorBox(int code, HWND owner, DWORD systemCode, const char* after, const char* before) {
  constexpr int kMaxText = 1024;
  char error[kMaxText + 1];
  FormatErrorText(code, error, systemCode, sizeof(error));

  char text[kMaxText + 1];
  std::snprintf(text, sizeof(text), "%s%s%s%s%s", before ? before : "", before ? " " : "", error,
                after ? " " : "", after ? after : "");
  return MessageBoxA(owner, text, "Error", MB_OK | MB_ICONWARNING);
}

int SystemMessageText(DWORD number, char* buffer, int size) {
  if (size > 0) buffer[0] = '\0';
  return FormatSystemMessage(number, 0, buffer, size);
}
