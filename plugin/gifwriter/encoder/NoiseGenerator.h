// Additive lagged-XOR generator behind the dither noise. Reseeding with a row
// number makes every row's noise depend on the row alone, so a row encodes
// the same way whatever came before it.
#pragma once

#include <cstdint>

namespace gif {

class NoiseGenerator {
 public:
  NoiseGenerator() { Reseed(0); }

  uint32_t Next() {
    const uint32_t out = m_State[m_Pos];
    m_State[(m_Pos + 32 - 15) & 31] ^= out;
    m_State[(m_Pos + 32 - 9) & 31] ^= out;
    m_Pos = (m_Pos + 1) & 31;
    return out;
  }

  void Reseed(uint32_t n);

 private:
  uint32_t m_State[32];
  uint32_t m_Pos = 0;
};

}  // namespace gif
