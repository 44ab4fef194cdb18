#include "host/HostFile.h"

#include <cerrno>
#include <cstring>

namespace vrixhost {
namespace {

bool Fires(int& countdown) {
  return countdown > 0 && --countdown == 0;
}

HostFileStream* S(VxStream* self) {
  return static_cast<HostFileStream*>(self);
}
VxStatus VXAPI StreamOpen(VxStream* self, uint32_t mode) {
  return S(self)->Open(mode);
}
VxStatus VXAPI StreamSize(VxStream* self, uint32_t* size) {
  return S(self)->Size(size);
}
VxStatus VXAPI StreamSeek(VxStream* self, uint32_t position) {
  return S(self)->Seek(position);
}
int32_t VXAPI StreamWrite(VxStream* self, const void* data, uint32_t count) {
  return S(self)->Write(data, count);
}
VxStatus VXAPI StreamFlush(VxStream* self) {
  return S(self)->Flush();
}
VxStatus VXAPI StreamClose(VxStream* self) {
  return S(self)->Close();
}
const VxStreamOps kStreamOps = {VRIXHOST_UNKNOWN(HostFileStream, VxStream, IID_VxStream),
                                StreamOpen,
                                StreamSize,
                                StreamSeek,
                                StreamWrite,
                                StreamFlush,
                                StreamClose};

VxStatus VXAPI ServicePath(VxFileService* self, const VxExportTarget* target, char* path,
                           uint32_t size) {
  HostFileService* service = static_cast<HostFileService*>(self);
  if (!target || !path || size == 0) return VX_E_INVALIDARG;
  if (target->kind != VX_EXPORT_TARGET_FILE || !target->host) return VX_E_INVALIDARG;
  if (Fires(service->failPathIn)) return kHostFileError;
  FileTarget* file = static_cast<FileTarget*>(target->host);
  const std::string& p = file->path;
  if (p.size() > VX_MAX_PATH_CHARS || p.size() + 1 > size) return VX_E_INVALIDARG;
  std::memcpy(path, p.c_str(), p.size() + 1);
  service->lastTarget = file;
  return VX_OK;
}

VxStatus VXAPI ServiceStream(VxFileService* self, const char* path, uint32_t bufferSize,
                             VxStream** out) {
  if (!path || !out) return VX_E_INVALIDARG;
  HostFileStream* stream = HostFileStream::Create(path, bufferSize);
  FileTarget* target = static_cast<HostFileService*>(self)->lastTarget;
  if (target && target->path == path) stream->problem = &target->problem;
  *out = stream;
  return VX_OK;
}

const VxFileServiceOps kServiceOps = {
    VRIXHOST_UNKNOWN(HostFileService, VxFileService, IID_VxFileService), ServicePath,
    ServiceStream};

}  // namespace

HostFileStream::HostFileStream() {
  ops = &kStreamOps;
  CountHostObject(+1);
}
HostFileStream::~HostFileStream() {
  if (file) std::fclose(file);
  CountHostObject(-1);
}
HostFileStream* HostFileStream::Create(const std::string& path, uint32_t bufferSize) {
  HostFileStream* s = new HostFileStream();
  s->path = path;
  s->bufferSize = bufferSize;
  return s;
}

VxStatus HostFileStream::Failed(const char* what) {
  if (problem && problem->empty()) *problem = std::string(what) + ": " + std::strerror(errno);
  return kHostFileError;
}

VxStatus HostFileStream::Open(uint32_t mode) {
  if (file) return VX_E_INVALIDARG;
  if (mode == VX_STREAM_OPEN_UPDATE) {
    // Keep what is there; create the file when it is missing.
    file = std::fopen(path.c_str(), "r+b");
    if (!file) file = std::fopen(path.c_str(), "w+b");
  } else if (mode == VX_STREAM_OPEN_CREATE) {
    file = std::fopen(path.c_str(), "w+b");
  } else {
    return VX_E_INVALIDARG;
  }
  if (!file)
    return Failed(mode == VX_STREAM_OPEN_CREATE ? "cannot be created" : "cannot be opened");
  if (bufferSize) {
    buffer_.resize(bufferSize);
    std::setvbuf(file, buffer_.data(), _IOFBF, buffer_.size());
  }
  openMode = mode;
  ++opens;
  return VX_OK;
}

VxStatus HostFileStream::Size(uint32_t* size) {
  ++sizeQueries;
  if (!file || !size) return VX_E_INVALIDARG;
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return Failed("cannot be sized");
  const long end = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  if (end < 0) return Failed("cannot be sized");
  *size = static_cast<uint32_t>(end);
  return VX_OK;
}

VxStatus HostFileStream::Seek(uint32_t position) {
  ++seeks;
  seekPositions.push_back(position);
  if (!file) return VX_E_INVALIDARG;
  if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0)
    return Failed("cannot be positioned");
  return VX_OK;
}

int32_t HostFileStream::Write(const void* data, uint32_t count) {
  if (!file || (!data && count)) return 0;
  if (Fires(failWriteIn)) return 0;
  const size_t written = std::fwrite(data, 1, count, file);
  if (written != count) Failed("cannot be written");
  return static_cast<int32_t>(written);
}

VxStatus HostFileStream::Flush() {
  ++flushes;
  if (!file) return VX_E_INVALIDARG;
  return std::fflush(file) == 0 ? VX_OK : Failed("cannot be written");
}

VxStatus HostFileStream::Close() {
  if (!file) return VX_E_INVALIDARG;
  ++closes;
  const int result = std::fclose(file);
  file = nullptr;
  return result == 0 ? VX_OK : Failed("cannot be written");
}

HostFileService::HostFileService() {
  ops = &kServiceOps;
  CountHostObject(+1);
}
HostFileService::~HostFileService() {
  CountHostObject(-1);
}
HostFileService* HostFileService::Create() {
  return new HostFileService();
}

}  // namespace vrixhost
