#include "plugin/gifwriter/encoder/NoiseGenerator.h"

#include <cstring>

namespace gif {

namespace {

const uint32_t kSeedWords[32] = {
    0x4C849220, 0x87144B93, 0x4120128F, 0x0F143130, 0xB2DFE624, 0x8623DF73, 0xBE40C9EF, 0xA16FDF94,
    0x07DD08DF, 0xB43F7AE4, 0xA840A66F, 0x2E749E13, 0x1AC37693, 0x94607D14, 0x3453EA60, 0x67147C90,
    0x3DDF3144, 0x6723AF13, 0x8DC0E314, 0x947312E0, 0x2E2FEA14, 0x6790A3E4, 0x3140EA34, 0x6B3393C3,
    0xB17055A4, 0xF4A0EC34, 0x92D09DC4, 0x07580D54, 0x2EF34AE0, 0xD96F938F, 0x4B9410F3, 0x19A0ECF4};

}  // namespace

// The seed table starts at position 0.
void NoiseGenerator::Reseed(uint32_t n) {
  if (n < m_WalkSteps) {
    std::memcpy(m_Walk, kSeedWords, sizeof m_Walk);
    m_WalkPos = 0;
    m_WalkSteps = 0;
  }
  for (; m_WalkSteps < n; ++m_WalkSteps) Step(m_Walk, m_WalkPos);
  std::memcpy(m_State, m_Walk, sizeof m_State);
  m_Pos = m_WalkPos;
  uint32_t fresh[32];
  for (uint32_t& w : fresh) w = Next();
  std::memcpy(m_State, fresh, sizeof m_State);
  m_Pos = 0;
}

}  // namespace gif
