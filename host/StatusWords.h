// A plug-in status in words, for the messages of vrixhost's commands.
// OS-free.
#pragma once

#include <string>

#include "plugin/frame/VrixHost.h"

namespace vrixhost {

// What the status means ("out of memory"); empty for one without a known
// meaning.
std::string StatusMeaning(VxStatus status);

// "out of memory (status 0x80040002)", or "status 0x8004ABCD" alone when
// the meaning is not known.
std::string StatusInWords(VxStatus status);

}  // namespace vrixhost
