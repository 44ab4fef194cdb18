// The system's own words for one of its error codes (Windows builds only),
// for messages that say why a file could not be read or written.
#pragma once

#include <string>

namespace toolcli {

// "There is not enough space on the disk" and the like, without the final
// full stop and line end; "system error N" when the system has no text.
std::string SystemErrorText(unsigned long code);

}  // namespace toolcli
