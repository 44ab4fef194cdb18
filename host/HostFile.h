// The stand-in's file service and file streams, on the C library's files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/HostObject.h"

namespace vrixhost {

// What a stream operation answers when the file system fails it.
constexpr VxStatus kHostFileError = VxCode(0x80041001u);

// An export target naming a file; the stand-in keeps the path in the
// target's host word.
struct FileTarget {
  VxExportTarget target;
  std::string path;
  // What the file system said when a stream on path first failed, such as
  // "cannot be created: Permission denied"; empty while none did.
  std::string problem;
  explicit FileTarget(std::string p) : path(std::move(p)) {
    target.kind = VX_EXPORT_TARGET_FILE;
    target.host = this;
  }
  FileTarget(const FileTarget&) = delete;
  FileTarget& operator=(const FileTarget&) = delete;
};

struct HostFileStream : VxStream {
  static HostFileStream* Create(const std::string& path, uint32_t bufferSize);

  uint32_t refs = 1;
  std::string path;
  uint32_t bufferSize = 0;
  std::FILE* file = nullptr;
  uint32_t openMode = 0;
  // Counts of the operations, for tests.
  int opens = 0, closes = 0, flushes = 0, seeks = 0, sizeQueries = 0;
  std::vector<uint32_t> seekPositions;
  int failWriteIn = 0;  // the n-th write from now writes nothing
  // Not owned: where the first failure is told, the problem of the target
  // the stream was made for (which outlives the export and so the stream);
  // null for a stream made for no target.
  std::string* problem = nullptr;

  VxStatus Open(uint32_t mode);
  VxStatus Size(uint32_t* size);
  VxStatus Seek(uint32_t position);
  int32_t Write(const void* data, uint32_t count);
  VxStatus Flush();
  VxStatus Close();

 private:
  HostFileStream();
  ~HostFileStream();
  // kHostFileError, telling what failed and the C library's reason.
  VxStatus Failed(const char* what);
  std::vector<char> buffer_;
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

struct HostFileService : VxFileService {
  static HostFileService* Create();

  uint32_t refs = 1;
  int failPathIn = 0;  // the n-th GetExportPath from now fails with kHostFileError
  // Not owned: the target whose path was given last; a stream made for
  // that path tells its failures to it.
  FileTarget* lastTarget = nullptr;

 private:
  HostFileService();
  ~HostFileService();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

}  // namespace vrixhost
