// Record-style registry access. The value functions require an open key.
#pragma once

#include <windows.h>

struct xreg {
  HKEY hKey = nullptr;
};

// Opens subkey under root with read, set-value and create-subkey access
// (0x2001F). Returns the key, or null when it cannot be opened. A key the
// record still holds is closed first.
HKEY xRegOpen(xreg& reg, HKEY root, const char* subkey);
// Closes the key when open and clears the record.
void xRegClose(xreg& reg);
// A REG_DWORD value, or def when it cannot be read.
int xRegGetInt(const xreg* reg, const char* name, int def);
// A string value (REG_SZ or REG_EXPAND_SZ, unexpanded) into buffer of size
// bytes, always NUL-terminated. Returns the bytes read as the registry gives
// them. When the value is missing, of another type or does not fit, def (empty
// when null) is copied into buffer, cut to fit, and the result is 0.
int xRegGetString(const xreg* reg, const char* name, const char* def, char* buffer, int size);
