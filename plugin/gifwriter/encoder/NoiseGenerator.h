// Additive lagged-XOR generator behind the dither noise. Reseeding with a row
// number makes every row's noise depend on the row alone, so a row encodes
// the same way whatever came before it.
#pragma once

#include <cstdint>

namespace gif {

class NoiseGenerator {
 public:
  NoiseGenerator() { Reseed(0); }

  uint32_t Next() { return Step(m_State, m_Pos); }

  void Reseed(uint32_t n);

 private:
  static uint32_t Step(uint32_t* state, uint32_t& pos) {
    const uint32_t out = state[pos];
    state[(pos + 32 - 15) & 31] ^= out;
    state[(pos + 32 - 9) & 31] ^= out;
    pos = (pos + 1) & 31;
    return out;
  }

  uint32_t m_State[32];
  uint32_t m_Pos = 0;
  // The seed table run on by m_WalkSteps draws: rows come in order, so the
  // next Reseed mostly goes on from here instead of from the start.
  uint32_t m_Walk[32];
  uint32_t m_WalkPos = 0;
  uint32_t m_WalkSteps = 0xFFFFFFFF;  // none yet
};

}  // namespace gif
