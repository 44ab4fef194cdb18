// Path arguments of the vrixhost commands, made full before a command loads
// a plug-in or shows anything. The system's file dialog moves the current
// folder when a file is picked, so a relative path read after a dialog
// would name another file than the one the command line meant.
#pragma once

#include <initializer_list>
#include <string>

namespace vrixhost {

// `path` as a full path from the current folder; empty stays empty, and a
// path the system cannot make full is kept as given (opening it then fails
// with its own message).
std::string FullPathOf(const std::string& path);

// Each of the paths, in place.
void MakeFull(std::initializer_list<std::string*> paths);

}  // namespace vrixhost
