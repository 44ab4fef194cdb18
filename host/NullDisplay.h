// A dialog command that nobody can see: under Wine with its null display
// driver windows exist and take messages, but nothing is drawn anywhere, so
// a dialog waits for a person who cannot answer it (tests answer it through
// window messages instead).
#pragma once

#include <string>

namespace vrixhost {

// True when this process runs under Wine and the desktop's display driver is
// Wine's null driver. Wine keeps the driver it loaded for a desktop in the
// registry ("GraphicsDriver" of the desktop's video key, named by the
// desktop window's "__wine_display_device_guid" property); when that cannot
// be read, the driver chosen for the prefix ("Graphics" of
// HKCU\Software\Wine\Drivers) is used.
bool NullDisplayDriver();

// When NullDisplayDriver() holds, says on standard error that nobody can see
// the dialog and how to run the command on a display. `command` is
// "vrixhost gif-options" and the like; called before the dialog waits.
void NoticeWhenNobodyCanSee(const std::string& command);

}  // namespace vrixhost
