#include "plugin/assetprops/TavExceptionSupport.h"

#include <windows.h>

#include <cstdlib>
#include <exception>

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
