#include "clib/cFile.h"

#include <algorithm>
#include <memory>
#include <new>

#include "clib/Assert.h"

namespace {

// The handle of a file that is not open.
const HANDLE NULL_HANDLE = INVALID_HANDLE_VALUE;

constexpr DWORD kCopyChunk = 8192;

}  // namespace

cFile::~cFile() {
  if (m_Handle != NULL_HANDLE) CloseHandle(m_Handle);
}

int cFile::OpenRead(DWORD access, const char* path, DWORD share) {
  Close();
  m_Handle = CreateFileA(path, access, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
  return SetError(m_Handle == NULL_HANDLE ? kErrorSystem : kErrorNone);
}

int cFile::Create(DWORD attributes, const char* path, DWORD share) {
  Close();
  m_Handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                         attributes, nullptr);
  return SetError(m_Handle == NULL_HANDLE ? kErrorSystem : kErrorNone);
}

int cFile::Close() {
  int code = kErrorNone;
  if (m_Handle != NULL_HANDLE) {
    if (!CloseHandle(m_Handle)) code = kErrorSystem;
    m_Handle = NULL_HANDLE;
  }
  return SetError(code);
}

DWORD cFile::Read(void* buffer, DWORD count) {
  ASSERT(m_Handle != NULL_HANDLE);
  DWORD read = 0;
  if (!ReadFile(m_Handle, buffer, count, &read, nullptr)) {
    SetError(kErrorSystem);
    return 0;
  }
  SetError(read == 0 ? kErrorEndOfFile : kErrorNone);
  return read;
}

DWORD cFile::Write(const void* buffer, DWORD count) {
  ASSERT(m_Handle != NULL_HANDLE);
  DWORD written = 0;
  if (!WriteFile(m_Handle, buffer, count, &written, nullptr)) {
    SetError(kErrorSystem);
    return 0;
  }
  SetError(kErrorNone);
  return written;
}

LONG cFile::Seek(LONG distance, DWORD origin) {
  if (m_Handle == NULL_HANDLE) {
    SetError(kErrorNotOpen);
    return -1;
  }
  // SetFilePointer returns INVALID_SET_FILE_POINTER both for a failure and
  // for the valid position 0xFFFFFFFF; only the last error tells them apart.
  // A seek from the beginning must also land where it was asked to.
  SetLastError(NO_ERROR);
  const DWORD pos = SetFilePointer(m_Handle, distance, nullptr, origin);
  const bool failed = (pos == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) ||
                      (origin == FILE_BEGIN && static_cast<LONG>(pos) != distance);
  SetError(failed ? kErrorSystem : kErrorNone);
  return static_cast<LONG>(pos);
}

int cFile::CopyTo(cFile& out, DWORD count) {
  const DWORD chunk = std::min(count, kCopyChunk);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[chunk ? chunk : 1]);
  if (!buffer) return SetError(kErrorNoMemory);

  SetError(kErrorNone);
  DWORD remaining = count;
  while (GetError() == kErrorNone && remaining > 0) {
    const DWORD n = std::min(remaining, chunk);
    const DWORD read = Read(buffer.get(), n);
    remaining -= n;
    if (read != n) {
      // A chunk that was not read in full is not written. A partly read
      // chunk leaves the error at 0, which would report a short copy as
      // complete; it is the end of the source.
      if (GetError() == kErrorNone) SetError(kErrorEndOfFile);
      break;
    }
    if (out.Write(buffer.get(), n) < n) {
      CopyError(out);
      // A write that fell short without a failure still lost data.
      if (GetError() == kErrorNone) {
        SetLastError(ERROR_WRITE_FAULT);
        SetError(kErrorSystem);
      }
    }
  }
  return GetError();
}
