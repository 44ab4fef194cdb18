// The five exports every plug-in module carries. Each module defines its
// class table under this name and links ModuleExports.cpp beside it.
#pragma once

#include "plugin/frame/ClassTable.h"

extern const VxClassTable g_VxModuleClassTable;

// The module's instance handle, recorded at load (an HINSTANCE).
void* VxModuleHandle();
