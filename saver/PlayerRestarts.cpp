#include "saver/PlayerRestarts.h"

void PlayerRestarts::Started(uint32_t nowMs) {
  m_StartedAt = nowMs;
}

RestartDecision PlayerRestarts::Ended(uint32_t nowMs) {
  m_EndedAt = nowMs;
  const uint32_t ran = nowMs - m_StartedAt;  // unsigned: right across a wrap
  if (ran >= kQuickRunMs)
    m_QuickEnds = 0;
  else if (m_QuickEnds < kGiveUpQuickEnds)
    ++m_QuickEnds;

  m_DelayMs = 0;
  if (m_QuickEnds > kFreeQuickEnds) {
    m_DelayMs = kFirstBackoffMs;
    for (int i = kFreeQuickEnds + 1; i < m_QuickEnds && m_DelayMs < kMaxBackoffMs; ++i)
      m_DelayMs *= 2;
    if (m_DelayMs > kMaxBackoffMs) m_DelayMs = kMaxBackoffMs;
  }
  if (m_QuickEnds >= kGiveUpQuickEnds) m_GaveUp = true;
  return RestartDecision{m_GaveUp, m_GaveUp ? 0 : m_DelayMs};
}

bool PlayerRestarts::MayStart(uint32_t nowMs) const {
  if (m_GaveUp) return false;
  return nowMs - m_EndedAt >= m_DelayMs;
}
