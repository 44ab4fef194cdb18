#include "host/NullDisplay.h"

#include <windows.h>

#include <cstdio>

namespace vrixhost {

namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A text value of the registry; empty when it cannot be read.
std::string RegistryText(HKEY root, const std::string& key, const char* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return "";
  char value[MAX_PATH] = "";
  DWORD size = sizeof value - 1, type = 0;
  const LONG status =
      RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(handle);
  if (status != ERROR_SUCCESS || type != REG_SZ) return "";
  value[size < sizeof value ? size : sizeof value - 1] = '\0';
  return value;
}

// The driver Wine loaded for this desktop ("null", or a module path).
std::string DesktopDriver() {
  const ATOM atom = static_cast<ATOM>(
      reinterpret_cast<UINT_PTR>(GetPropA(GetDesktopWindow(), "__wine_display_device_guid")));
  char guid[64] = "";
  if (!atom || !GlobalGetAtomNameA(atom, guid, sizeof guid)) return "";
  return RegistryText(
      HKEY_LOCAL_MACHINE,
      std::string("System\\CurrentControlSet\\Control\\Video\\{") + guid + "}\\0000",
      "GraphicsDriver");
}

std::string NullDisplayNotice(const std::string& command) {
  return command +
         ": nobody can see this dialog: Wine runs here with its null display driver, which "
         "shows no window, so the command waits for an answer that cannot come (end it with "
         "Ctrl+C). To see and answer the dialog, run it on a display: scripts/wine-run "
         "--prefix DIR --display PROGRAM ... uses Wine's X11 driver on $DISPLAY (xvfb-run "
         "gives a virtual one).\n";
}

bool IsNullDriverName(const std::string& name) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), -1, "null", -1) ==
         CSTR_EQUAL;
}

}  // namespace

bool NullDisplayDriver() {
  if (!UnderWine()) return false;
  const std::string loaded = DesktopDriver();
  if (!loaded.empty()) return IsNullDriverName(loaded);
  return IsNullDriverName(RegistryText(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", "Graphics"));
}

void NoticeWhenNobodyCanSee(const std::string& command) {
  if (!NullDisplayDriver()) return;
  std::fputs(NullDisplayNotice(command).c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace vrixhost
