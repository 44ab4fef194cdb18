// Kinetra's exception support, set up for as long as a dialog runs: an
// emergency memory block and a terminate handler that ends the process with
// a message when an exception could not be handled. Initialisation is
// counted; the last release undoes it.
#pragma once

#include <cstdint>

#include "plugin/frame/VrixHost.h"

constexpr uint32_t kTavEmergencyBlockSize = 512;
constexpr const char kTavFatalErrorText[] = "A Fatal Error has occurred. Click OK to Quit.";

// First call: reserves the emergency block (movable, zeroed global memory),
// installs the terminate handler and turns on host-resource mode with `host`
// and `module` (Kinetra's instance handle). Later calls only count.
void TavInitExceptionSupport(VxHostCallback* host, void* module);
// The last release frees the block, restores the previous terminate handler
// and ends host-resource mode.
void TavReleaseExceptionSupport();

int32_t TavExceptionSupportCount();
// The emergency block (an HGLOBAL), null while the support is not set up.
void* TavEmergencyBlock();
// Whether the fatal-error handler is the one installed.
bool TavFatalHandlerInstalled();

// Shows an exception of the family in a message box, nothing when it is
// suppressed. `window`: the box's owner, an HWND or null.
void TavShowException(const class CTavException& e, void* window);
