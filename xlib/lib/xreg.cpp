#include "xlib/lib/xreg.h"

#include <cstring>

#include "clib/Assert.h"

namespace {

// Read, set value and create subkey.
constexpr REGSAM kOpenAccess = 0x2001F;

void CopyCut(char* buffer, int size, const char* text) {
  if (size <= 0) return;
  size_t len = text ? std::strlen(text) : 0;
  if (len > static_cast<size_t>(size - 1)) len = static_cast<size_t>(size - 1);
  if (len) std::memcpy(buffer, text, len);
  buffer[len] = '\0';
}

}  // namespace

HKEY xRegOpen(xreg& reg, HKEY root, const char* subkey) {
  // A key the record still holds would otherwise be lost open.
  xRegClose(reg);
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subkey, 0, kOpenAccess, &key) != ERROR_SUCCESS) key = nullptr;
  reg.hKey = key;
  return key;
}

void xRegClose(xreg& reg) {
  if (reg.hKey) RegCloseKey(reg.hKey);
  reg.hKey = nullptr;
}

int xRegGetInt(const xreg* reg, const char* name, int def) {
  ASSERT(reg != NULL);
  ASSERT(reg->hKey != NULL);
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExA(reg->hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return def;
  }
  return static_cast<int>(value);
}

int xRegGetString(const xreg* reg, const char* name, const char* def, char* buffer, int size) {
  ASSERT(reg != NULL);
  ASSERT(reg->hKey != NULL);
  if (size <= 0) return 0;
  DWORD type = 0;
  // The whole buffer is offered: a value that fills it exactly, NUL included,
  // fits. Keeping a byte back would refuse such a value and give the default.
  DWORD got = static_cast<DWORD>(size);
  if (RegQueryValueExA(reg->hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &got) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    CopyCut(buffer, size, def);
    return 0;
  }
  // A value stored without its NUL: terminate it, at the last byte when it
  // fills the buffer.
  if (got < static_cast<DWORD>(size))
    buffer[got] = '\0';
  else
    buffer[size - 1] = '\0';
  return static_cast<int>(got);
}
