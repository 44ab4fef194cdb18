// A dictionary kept in a text file, so that options chosen in one vrixhost
// run (gif-options) are used by another (gif-export). One value a line:
//
//   KEY TYPE VALUE
//
// TYPE is "int" (decimal), "bool" (0 or 1), "bytes" (hex, two digits a
// byte, may be empty) or "text" (the rest of the line). Lines starting with
// "#" and empty lines are ignored. OS-free, so it is tested natively.
#pragma once

#include <string>

#include "host/HostDictionary.h"

namespace vrixhost {

// The file's text of `d`: keys in the order they were first put, then the
// keys that were only loaded, in name order.
std::string FormatDictionary(const HostDictionary& d);

// Adds the values of `text` to `d`. False with "line N: ..." in *error for
// a line that is not a value; `d` then holds the lines before it.
bool ParseDictionary(const std::string& text, HostDictionary* d, std::string* error);

// Whole-file forms. Saving writes a side file that replaces `path` only
// when it is complete.
bool LoadDictionaryFile(const std::string& path, HostDictionary* d, std::string* error);
bool SaveDictionaryFile(const std::string& path, const HostDictionary& d, std::string* error);

}  // namespace vrixhost
