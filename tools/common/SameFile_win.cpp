// File identity on Windows: the volume's serial number and the file index,
// which the C library's stat leaves 0.
#include <windows.h>

#include "tools/common/SameFile.h"

namespace toolcli {

namespace {

struct FileIdentity {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
};

// Opened for no access, sharing everything, so a file that another program
// holds open (or this one, as an input) is still looked at; folders too.
bool IdentityOf(const std::string& path, FileIdentity* identity) {
  const HANDLE file =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return false;
  *identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  FileIdentity first, second;
  if (!IdentityOf(a, &first) || !IdentityOf(b, &second)) return false;
  return first.volume == second.volume && first.indexHigh == second.indexHigh &&
         first.indexLow == second.indexLow;
}

}  // namespace toolcli
