// When the saver starts the player again after it has ended. Plain
// arithmetic on millisecond ticks, so that it is tested without a window
// system.
//
// A player whose movie ran for a while is started again on the next tick,
// as always. A run shorter than kQuickRunMs is a quick end: the first
// kFreeQuickEnds quick ends in a row are also restarted on the next tick;
// after them each restart waits, kFirstBackoffMs and then twice as long
// each time, up to kMaxBackoffMs; at the kGiveUpQuickEnds-th quick end in a
// row the saver stops starting the player and shows its error line. One run
// of at least kQuickRunMs starts the count again.
//
// Ticks are the 32-bit millisecond counter of the system: only differences
// are taken, so its wrap-around after 49.7 days changes nothing.
#pragma once

#include <cstdint>

struct RestartDecision {
  bool giveUp;       // stop starting the player: it cannot show its movie
  uint32_t delayMs;  // the wait from the end to the next start (0: next tick)
};

class PlayerRestarts {
 public:
  static constexpr uint32_t kQuickRunMs = 1000;
  static constexpr int kFreeQuickEnds = 3;
  static constexpr uint32_t kFirstBackoffMs = 250;
  static constexpr uint32_t kMaxBackoffMs = 1000;
  static constexpr int kGiveUpQuickEnds = 8;

  // The player was started (its window found) at nowMs.
  void Started(uint32_t nowMs);
  // The player was seen to have ended at nowMs.
  RestartDecision Ended(uint32_t nowMs);
  // Whether a start is due at nowMs: never after giving up, else once the
  // delay since the last end has passed (at once before the first start).
  bool MayStart(uint32_t nowMs) const;

 private:
  uint32_t m_StartedAt = 0;
  uint32_t m_EndedAt = 0;
  uint32_t m_DelayMs = 0;
  int m_QuickEnds = 0;  // quick ends in a row
  bool m_GaveUp = false;
};
