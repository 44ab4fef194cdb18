#include <windows.h>

#include "tools/common/SystemError.h"

namespace toolcli {

std::string SystemErrorText(unsigned long code) {
  char text[512] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  while (length && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                    text[length - 1] == ' ' || text[length - 1] == '.'))
    text[--length] = '\0';
  if (!length) return "system error " + std::to_string(code);
  return text;
}

}  // namespace toolcli
