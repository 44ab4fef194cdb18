#include "plugin/assetprops/StringSets.h"

namespace {
const int32_t kSlotLanguages[] = {9, 12, 7, 16, 19, 29, 10, 6, 22, 20, 17, 4, 25};

uint32_t Word(const uint8_t* map, int index) {
  const uint8_t* p = map + 4 * index;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
}  // namespace

int LanguageSlot(int32_t languageId) {
  for (int i = 0; i < 13; ++i)
    if (kSlotLanguages[i] == languageId) return i + 1;
  return -1;
}

uint16_t SelectStringSet(const uint8_t* map, size_t size, int32_t languageId) {
  if (!map || size < kMessagePoolMapSize || Word(map, 0) != kMessagePoolMapVersion)
    return kDefaultStringSet;
  const int slot = LanguageSlot(languageId);
  // The map has words for slots 1 to 13; the thirteenth is never used.
  if (slot < 1 || slot > 12) return kDefaultStringSet;
  const uint32_t type = Word(map, slot);
  if (type == 0xFFFFFFFFu) return kDefaultStringSet;
  return static_cast<uint16_t>(type & 0xFFFF);
}
