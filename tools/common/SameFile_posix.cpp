// File identity on POSIX systems: device and inode.
#include <sys/stat.h>

#include "tools/common/SameFile.h"

namespace toolcli {

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  if (stat(a.c_str(), &first) != 0 || stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace toolcli
