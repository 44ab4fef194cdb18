#include "moviewriter/VObj.h"

namespace {
// Counts past 65535 so that an overflow is seen rather than wrapped.
U32 g_CharacterId = 0;
}  // namespace

U16 NextCharacterId() {
  if (g_CharacterId <= 0xFFFF) ++g_CharacterId;
  return static_cast<U16>(g_CharacterId);
}

bool CharacterIdOverflowed() {
  return g_CharacterId > 0xFFFF;
}

void ResetCharacterId() {
  g_CharacterId = 0;
}
