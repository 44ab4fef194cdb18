// The stand-in's property dictionaries, the dictionary service and the
// registry cache. Values keep their type; reading a key with another type
// fails.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/HostObject.h"

namespace vrixhost {

// What Get answers for a key it does not hold.
constexpr VxStatus kHostNoSuchKey = VX_E_NOCLASS;

struct DictionaryValue {
  uint32_t type = 0;
  std::vector<uint8_t> bytes;  // text: without its NUL
};

struct HostDictionary : VxDictionary {
  static HostDictionary* Create();  // one reference, the caller's

  uint32_t refs = 1;
  std::map<std::string, DictionaryValue> values;
  std::vector<std::string> putLog;  // every successful put, in order
  int failPutIn = 0;                // the n-th put from now fails with failStatus
  VxStatus failStatus = VX_E_OUTOFMEMORY;

  // Direct access for tests and tools (not through the operation table).
  bool Has(const std::string& key) const { return values.count(key) != 0; }
  const DictionaryValue* Find(const std::string& key) const;
  void SetBool(const std::string& key, bool value);
  void SetInt(const std::string& key, int32_t value);
  void SetText(const std::string& key, const std::string& value);
  void SetBytes(const std::string& key, const void* data, size_t size);

  VxStatus Get(uint32_t type, void* buffer, uint32_t size, const char* key) const;
  VxStatus Put(uint32_t type, const void* data, uint32_t size, const char* key);

 private:
  HostDictionary();
  ~HostDictionary();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

struct HostDictionaryService : VxDictionaryService {
  static HostDictionaryService* Create();

  uint32_t refs = 1;
  int failCreateIn = 0;                  // the n-th creation from now fails with VX_E_OUTOFMEMORY
  std::vector<HostDictionary*> created;  // not owned: for inspection while alive

 private:
  HostDictionaryService();
  ~HostDictionaryService();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

struct HostRegistryCache : VxRegistryCache {
  static HostRegistryCache* Create();

  uint32_t refs = 1;
  int failGetIn = 0;  // the n-th GetDictionary from now fails with VX_E_OUTOFMEMORY
  // One dictionary per (class, interface), in the order first asked for.
  struct Slot {
    VxGuid clsid;
    VxGuid iid;
    HostDictionary* dictionary;  // one reference owned by the cache
  };
  std::vector<Slot> slots;

  HostDictionary* Find(const VxGuid& clsid, const VxGuid& iid) const;
  VxStatus Get(const VxGuid& clsid, const VxGuid& iid, VxDictionary** out);

 private:
  HostRegistryCache();
  ~HostRegistryCache();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

}  // namespace vrixhost
