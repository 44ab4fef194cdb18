// DllMain and the five exports. Listed in each module's .def file with their
// undecorated names.
#include "plugin/frame/ModuleExports.h"

#include <windows.h>

#include "plugin/frame/InterfaceObject.h"

namespace {
HINSTANCE g_module = nullptr;
}

void* VxModuleHandle() {
  return g_module;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

// The host never obtains objects this way.
extern "C" VxStatus VXAPI DllGetClassObject(const VxGuid*, const VxGuid*, void**) {
  return VX_E_NOCLASS;
}

extern "C" VxStatus VXAPI DllCanUnloadNow(void) {
  return VxFrameCanUnloadNow();
}

extern "C" VxStatus VXAPI DllGetClassForm(const VxGuid* clsid, uint32_t* instanceSize,
                                          VxInitializer* initializer, VxFinalizer* finalizer) {
  return VxFrameGetClassForm(g_VxModuleClassTable, clsid, instanceSize, initializer, finalizer);
}

extern "C" VxStatus VXAPI DllGetInterface(VxInstance* instance, const VxGuid* clsid,
                                          const VxGuid* iid, void** out) {
  return VxFrameGetInterface(g_VxModuleClassTable, instance, clsid, iid, out);
}

extern "C" VxStatus VXAPI DllGetClassInfo(VxAllocator* allocator, VxClassInfoRecord** out) {
  return VxFrameGetClassInfo(g_VxModuleClassTable, allocator, out);
}
