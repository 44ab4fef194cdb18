// Whether an output names one of a tool's inputs. Writing it would replace
// the input, so the tools refuse such an output before anything is written.
// Files are compared by identity, not by name: the device and inode, or on
// Windows the volume serial number and the file index, so another spelling
// of a path, a link or a name in other letter case on a case-blind file
// system is caught as well.
#pragma once

#include <string>
#include <vector>

namespace toolcli {

// True when a and b name one existing file. A path that names nothing (an
// output not made yet) is never the same file as another.
bool SameFile(const std::string& a, const std::string& b);

// "is the same file as the input IN; nothing was written" for the first of
// inputs that output names (empty names are passed over); empty when it
// names none. For FileFailure(help, output, problem).
std::string SameFileProblem(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace toolcli
