// The part of the same-file check that needs no operating system.
#include "tools/common/SameFile.h"

namespace toolcli {

std::string SameFileProblem(const std::string& output, const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) {
    if (!input.empty() && SameFile(output, input))
      return "is the same file as the input " + input + "; nothing was written";
  }
  return "";
}

}  // namespace toolcli
