#include "plugin/assetprops/TavExceptionSupport.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "plugin/assetprops/MsgPool.h"
#include "plugin/assetprops/TavException.h"
#include "plugin/assetprops/TavResources.h"

namespace {

int32_t g_count = 0;
HGLOBAL g_emergency = nullptr;
std::terminate_handler g_previous = nullptr;

// The block is given back first so that the message box has memory to work
// with. (C++17 has no unexpected handler: an exception leaving a function
// that may not throw ends here too.)
[[noreturn]] void FatalError() {
  if (g_emergency) {
    GlobalFree(g_emergency);
    g_emergency = nullptr;
  }
  MessageBoxA(nullptr, kTavFatalErrorText, "Kinetra", MB_OK | MB_ICONWARNING | MB_TASKMODAL);
  std::abort();
}

}  // namespace

void TavInitExceptionSupport(VxHostCallback* host, void* module) {
  if (g_count++ > 0) return;
  g_emergency = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kTavEmergencyBlockSize);
  g_previous = std::set_terminate(FatalError);
  TavSetResourceHost(host, module);
}

void TavReleaseExceptionSupport() {
  if (g_count <= 0) return;
  if (--g_count > 0) return;
  std::set_terminate(g_previous);
  g_previous = nullptr;
  if (g_emergency) GlobalFree(g_emergency);
  g_emergency = nullptr;
  TavSetResourceHost(nullptr, nullptr);
}

int32_t TavExceptionSupportCount() {
  return g_count;
}

void* TavEmergencyBlock() {
  return g_emergency;
}

bool TavFatalHandlerInstalled() {
  return std::get_terminate() == FatalError;
}

// ---------------------------------------------------------------------------
// Showing an exception.

void TavShowException(const CTavException& e, void* window) {
  if (e.suppressed()) return;
  // The message pools of the exception texts are not among Kinetra's
  // resources; their lookups give the placeholder text.
  MsgPool pool(TavResourceModule());
  std::string caption = pool.GetString("CTavExceptionNames", 1, false);
  std::string body = pool.GetString("CTavExceptionStrings", 1, false);
  char line[600];
  std::snprintf(line, sizeof line, "\n%s: %s\n%s%s%s\nStatus 0x%08X", e.KindName(), e.context(),
                e.text(), e.detail()[0] ? "\n" : "", e.detail(), static_cast<unsigned>(e.status()));
  body += line;
  MessageBoxA(static_cast<HWND>(window), body.c_str(), caption.c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
