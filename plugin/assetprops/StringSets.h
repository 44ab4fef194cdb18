// Choosing a string set from the "MessagePoolMap" resource and the host's
// language. OS-free.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kDefaultStringSet = 256;  // English
constexpr uint32_t kMessagePoolMapType = 200;
constexpr const char kMessagePoolMapName[] = "MessagePoolMap";
constexpr size_t kMessagePoolMapSize = 56;  // 14 little-endian words
constexpr uint32_t kMessagePoolMapVersion = 1;
constexpr uint32_t kUnusedSlot = 0x2A2A2A2A;  // "****"

// The 1-based slot of a Windows primary language identifier in the map, or
// -1: 9 English, 12 French, 7 German, 16 Italian, 19 Dutch, 29 Swedish, 10
// Spanish, 6 Danish, 22 Portuguese, 20 Norwegian, 17 Japanese, 4 Chinese,
// 25 Russian.
int LanguageSlot(int32_t languageId);

// The set type for a language: the map word of its slot for slots 1 to 12
// (0xFFFFFFFF meaning 256), else 256. A null map, one shorter than 56 bytes
// or one whose version word is not 1 gives 256. Only the low 16 bits of the
// type are used.
uint16_t SelectStringSet(const uint8_t* map, size_t size, int32_t languageId);
