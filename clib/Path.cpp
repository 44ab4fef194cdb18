#include "clib/Path.h"

#include <cstring>

namespace {

// Copies len characters of src into a kMaxPath buffer, or empties it when
// they would not fit with their NUL. memmove: src may lie inside out.
bool CopyBounded(char* out, const char* src, size_t len) {
  if (len >= static_cast<size_t>(kMaxPath)) {
    out[0] = '\0';
    return false;
  }
  std::memmove(out, src, len);
  out[len] = '\0';
  return true;
}

const char* LastSeparator(const char* path) {
  const char* last = nullptr;
  for (const char* p = path; *p != '\0'; ++p) {
    if (IsPathSeparator(*p)) last = p;
  }
  return last;
}

}  // namespace

bool IsPathSeparator(char c) {
  return c == '\\' || c == ':' || c == '/';
}

bool SplitPath(const char* path, char* dirOut, char* nameOut) {
  const char* sep = LastSeparator(path);
  const char* name = sep ? sep + 1 : path;
  const size_t dirLen = sep ? static_cast<size_t>(sep - path) : 0;
  const size_t nameLen = std::strlen(name);

  // Work on copies so that either output may be the input buffer.
  char dir[kMaxPath];
  char base[kMaxPath];
  bool ok = CopyBounded(dir, path, dirLen);
  ok = CopyBounded(base, name, nameLen) && ok;
  if (dirOut) std::memcpy(dirOut, dir, std::strlen(dir) + 1);
  if (nameOut) std::memcpy(nameOut, base, std::strlen(base) + 1);
  return ok;
}

bool JoinPath(char* out, const char* dir, const char* name) {
  char result[kMaxPath];
  const size_t dirLen = dir ? std::strlen(dir) : 0;
  if (!CopyBounded(result, dir ? dir : "", dirLen)) {
    out[0] = '\0';
    return false;
  }
  size_t len = dirLen;
  if (name) {
    if (len >= 2 && !IsPathSeparator(result[len - 1])) {
      if (len + 1 >= static_cast<size_t>(kMaxPath)) {
        out[0] = '\0';
        return false;
      }
      result[len++] = '\\';
      result[len] = '\0';
    }
    const size_t nameLen = std::strlen(name);
    if (len + nameLen >= static_cast<size_t>(kMaxPath)) {
      out[0] = '\0';
      return false;
    }
    std::memcpy(result + len, name, nameLen + 1);
    len += nameLen;
  }
  std::memcpy(out, result, len + 1);
  return true;
}

bool ReplaceExtension(char* path, const char* extension) {
  // The buffer is kMaxPath long: a path without its NUL inside it is broken.
  const void* end = std::memchr(path, '\0', kMaxPath);
  if (!end) {
    path[0] = '\0';
    return false;
  }
  const size_t len = static_cast<size_t>(static_cast<const char*>(end) - path);
  const char* dot = std::strrchr(path, '.');
  const size_t keep = dot ? static_cast<size_t>(dot - path) : len;
  const size_t extLen = std::strlen(extension);
  if (keep + extLen >= static_cast<size_t>(kMaxPath)) {
    path[0] = '\0';
    return false;
  }
  std::memmove(path + keep, extension, extLen + 1);
  return true;
}
