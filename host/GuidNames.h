// Identifiers as text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" and the
// names the stand-in knows them by.
#pragma once

#include <string>

#include "plugin/frame/VrixHost.h"

namespace vrixhost {

std::string GuidText(const VxGuid& guid);
// A short role name ("GIF writer", "export options", ...), or "" when unknown.
const char* GuidName(const VxGuid& guid);

}  // namespace vrixhost
