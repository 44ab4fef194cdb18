#include "host/HostDictionary.h"

#include <cstring>

namespace vrixhost {
namespace {

// The fixed sizes of the typed values; raw bytes and text carry their own.
bool SizeFitsType(uint32_t type, uint32_t size) {
  switch (type) {
    case VX_DICT_INT32:
      return size == 4;
    case VX_DICT_BOOL:
      return size == 1;
    case VX_DICT_BYTES:
      return true;
    case VX_DICT_TEXT:
      return size == 0;
    default:
      return false;
  }
}

// A countdown that fires on its n-th step.
bool Fires(int& countdown) {
  return countdown > 0 && --countdown == 0;
}

VxStatus VXAPI DictGet(VxDictionary* self, uint32_t type, void* buffer, uint32_t size,
                       const char* key) {
  return static_cast<HostDictionary*>(self)->Get(type, buffer, size, key);
}
VxStatus VXAPI DictPut(VxDictionary* self, uint32_t type, const void* data, uint32_t size,
                       const char* key) {
  return static_cast<HostDictionary*>(self)->Put(type, data, size, key);
}
const VxDictionaryOps kDictionaryOps = {
    VRIXHOST_UNKNOWN(HostDictionary, VxDictionary, IID_VxDictionary), DictGet, DictPut};

VxStatus VXAPI ServiceCreate(VxDictionaryService* self, VxDictionary** out) {
  HostDictionaryService* service = static_cast<HostDictionaryService*>(self);
  if (!out) return VX_E_INVALIDARG;
  if (Fires(service->failCreateIn)) return VX_E_OUTOFMEMORY;
  HostDictionary* d = HostDictionary::Create();
  service->created.push_back(d);
  *out = d;
  return VX_OK;
}
const VxDictionaryServiceOps kServiceOps = {
    VRIXHOST_UNKNOWN(HostDictionaryService, VxDictionaryService, IID_VxDictionaryService),
    ServiceCreate};

VxStatus VXAPI CacheGet(VxRegistryCache* self, const VxGuid* clsid, const VxGuid* iid,
                        VxDictionary** out) {
  if (!clsid || !iid || !out) return VX_E_INVALIDARG;
  return static_cast<HostRegistryCache*>(self)->Get(*clsid, *iid, out);
}
const VxRegistryCacheOps kCacheOps = {
    VRIXHOST_UNKNOWN(HostRegistryCache, VxRegistryCache, IID_VxRegistryCache), CacheGet};

}  // namespace

HostDictionary::HostDictionary() {
  ops = &kDictionaryOps;
  CountHostObject(+1);
}
HostDictionary::~HostDictionary() {
  CountHostObject(-1);
}
HostDictionary* HostDictionary::Create() {
  return new HostDictionary();
}

const DictionaryValue* HostDictionary::Find(const std::string& key) const {
  auto it = values.find(key);
  return it == values.end() ? nullptr : &it->second;
}

void HostDictionary::SetBool(const std::string& key, bool value) {
  values[key] = DictionaryValue{VX_DICT_BOOL, {static_cast<uint8_t>(value ? 1 : 0)}};
}
void HostDictionary::SetInt(const std::string& key, int32_t value) {
  DictionaryValue v{VX_DICT_INT32, std::vector<uint8_t>(4)};
  std::memcpy(v.bytes.data(), &value, 4);
  values[key] = v;
}
void HostDictionary::SetText(const std::string& key, const std::string& value) {
  values[key] = DictionaryValue{VX_DICT_TEXT, std::vector<uint8_t>(value.begin(), value.end())};
}
void HostDictionary::SetBytes(const std::string& key, const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  values[key] = DictionaryValue{VX_DICT_BYTES, std::vector<uint8_t>(p, p + size)};
}

VxStatus HostDictionary::Get(uint32_t type, void* buffer, uint32_t size, const char* key) const {
  if (!key || (!buffer && size)) return VX_E_INVALIDARG;
  const DictionaryValue* v = Find(key);
  if (!v) return kHostNoSuchKey;
  if (v->type != type) return VX_E_INVALIDARG;
  switch (type) {
    case VX_DICT_TEXT:
      // The buffer must hold the text and its NUL.
      if (size < v->bytes.size() + 1) return VX_E_INVALIDARG;
      if (!v->bytes.empty()) std::memcpy(buffer, v->bytes.data(), v->bytes.size());
      static_cast<char*>(buffer)[v->bytes.size()] = '\0';
      return VX_OK;
    case VX_DICT_BYTES:
      // Asking for more than is stored fails; a prefix may be read.
      if (size > v->bytes.size()) return VX_E_INVALIDARG;
      if (size) std::memcpy(buffer, v->bytes.data(), size);
      return VX_OK;
    default:
      if (size != v->bytes.size()) return VX_E_INVALIDARG;
      std::memcpy(buffer, v->bytes.data(), size);
      return VX_OK;
  }
}

VxStatus HostDictionary::Put(uint32_t type, const void* data, uint32_t size, const char* key) {
  if (!key || !SizeFitsType(type, size) || (!data && (size || type == VX_DICT_TEXT)))
    return VX_E_INVALIDARG;
  if (Fires(failPutIn)) return failStatus;
  DictionaryValue v;
  v.type = type;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (type == VX_DICT_TEXT)
    v.bytes.assign(p, p + std::strlen(static_cast<const char*>(data)));
  else
    v.bytes.assign(p, p + size);
  values[key] = v;
  putLog.push_back(key);
  return VX_OK;
}

HostDictionaryService::HostDictionaryService() {
  ops = &kServiceOps;
  CountHostObject(+1);
}
HostDictionaryService::~HostDictionaryService() {
  CountHostObject(-1);
}
HostDictionaryService* HostDictionaryService::Create() {
  return new HostDictionaryService();
}

HostRegistryCache::HostRegistryCache() {
  ops = &kCacheOps;
  CountHostObject(+1);
}
HostRegistryCache::~HostRegistryCache() {
  for (Slot& slot : slots) slot.dictionary->ops->Release(slot.dictionary);
  CountHostObject(-1);
}
HostRegistryCache* HostRegistryCache::Create() {
  return new HostRegistryCache();
}

HostDictionary* HostRegistryCache::Find(const VxGuid& clsid, const VxGuid& iid) const {
  for (const Slot& slot : slots)
    if (VxGuidEqual(slot.clsid, clsid) && VxGuidEqual(slot.iid, iid)) return slot.dictionary;
  return nullptr;
}

VxStatus HostRegistryCache::Get(const VxGuid& clsid, const VxGuid& iid, VxDictionary** out) {
  if (Fires(failGetIn)) return VX_E_OUTOFMEMORY;
  HostDictionary* d = Find(clsid, iid);
  if (!d) {
    d = HostDictionary::Create();
    slots.push_back(Slot{clsid, iid, d});
  }
  d->ops->AddRef(d);
  *out = d;
  return VX_OK;
}

}  // namespace vrixhost
