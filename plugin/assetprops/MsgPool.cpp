#include "plugin/assetprops/MsgPool.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "plugin/assetprops/Language.h"
#include "plugin/assetprops/StringSets.h"
#include "plugin/assetprops/TavException.h"
#include "plugin/assetprops/TavResources.h"

namespace {

struct ResourceBytes {
  const uint8_t* data = nullptr;
  DWORD size = 0;
};

// The resource's bytes while its module stays open.
bool FindBytes(void* module, const char* name, uint32_t type, ResourceBytes* out) {
  if (!module) return false;
  HMODULE m = static_cast<HMODULE>(module);
  HRSRC found = FindResourceA(m, name, MAKEINTRESOURCEA(type & 0xFFFF));
  if (!found) return false;
  HGLOBAL loaded = LoadResource(m, found);
  if (!loaded) return false;
  out->data = static_cast<const uint8_t*>(LockResource(loaded));
  out->size = SizeofResource(m, found);
  return out->data != nullptr;
}

}  // namespace

MsgPool::MsgPool(void* module) : module_(module) {
  uint8_t map[kMessagePoolMapSize];
  bool haveMap = false;
  {
    TavRezHelper own(module_);
    ZepCommonFileHelper shared;
    ResourceBytes bytes;
    if (FindBytes(own.resources(), kMessagePoolMapName, kMessagePoolMapType, &bytes) ||
        FindBytes(shared.resources(), kMessagePoolMapName, kMessagePoolMapType, &bytes)) {
      if (bytes.size >= kMessagePoolMapSize) {
        std::memcpy(map, bytes.data, kMessagePoolMapSize);
        haveMap = true;
      }
    }
  }
  type_ = haveMap ? SelectStringSet(map, sizeof map, HostLanguageId()) : kDefaultStringSet;
}

MsgPool::~MsgPool() {
  delete[] own_;
}

int MsgPool::GetString(const char* prefix, int number, char** buffer, uint32_t length, bool grow) {
  if (length == 0 || !buffer || !*buffer) return 0;
  std::memset(*buffer, 0, length);
  if (!prefix) throw CTavInvalidArgument(VX_E_INVALIDARG, "MsgPool", "null string prefix");
  if (std::strlen(prefix) >= 250) return 0;
  char name[272];
  std::snprintf(name, sizeof name, "%s%d", prefix, number);

  TavRezHelper own(module_);
  ZepCommonFileHelper shared;
  ResourceBytes bytes;
  const bool found = FindBytes(own.resources(), name, type_, &bytes) ||
                     FindBytes(shared.resources(), name, type_, &bytes) ||
                     FindBytes(own.resources(), name, kDefaultStringSet, &bytes) ||
                     FindBytes(shared.resources(), name, kDefaultStringSet, &bytes);
  if (!found) {
    std::strncpy(*buffer, kStringNotAvailable, length);
    return 0;
  }
  // The text ends at its NUL or at the end of the resource, whichever comes first.
  const char* text = reinterpret_cast<const char*>(bytes.data);
  const size_t textLength = strnlen(text, bytes.size);
  if (grow && textLength > length) {
    char* bigger = new char[textLength + 1]();
    delete[] * buffer;
    *buffer = bigger;
    std::memcpy(bigger, text, textLength);
  } else {
    std::memcpy(*buffer, text, textLength < length ? textLength : length);
  }
  return 1;
}

char* MsgPool::GetString(const char* prefix, int number, bool grow) {
  char* fresh = new char[kMsgPoolOwnBufferSize]();
  delete[] own_;
  own_ = fresh;
  GetString(prefix, number, &own_, kMsgPoolOwnBufferSize - 1, grow);
  return own_;
}

MMString::MMString(const char* prefix, int number) {
  MsgPool pool(TavResourceModule());
  Store(pool.GetString(prefix, number, true));
}

MMString::MMString(const char* text) {
  Store(text ? text : "");
}

MMString::~MMString() {
  delete[] data_;
}

void MMString::Store(const char* text) {
  const size_t n = std::strlen(text);
  data_ = new char[n + 2];
  data_[0] = static_cast<char>(n <= 253 ? n : 255);
  std::memcpy(data_ + 1, text, n + 1);
}
