// When the saver starts a player again that has ended.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "saver/PlayerRestarts.h"

namespace {

struct PlayerRun {
  uint32_t start, end;  // ticks in milliseconds
  uint32_t delay;       // expected wait before the next start
  bool giveUp;
};

struct Case {
  const char* what;
  std::vector<PlayerRun> runs;
};

TEST(PlayerRestarts, QuickEndsInARowFirstRestartAtOnceThenWaitLongerThenGiveUp) {
  const Case cases[] = {
      {"a movie that runs for a while is restarted on the next tick, every time",
       {{0, 5000, 0, false},
        {5050, 60000, 0, false},
        {60050, 61050, 0, false},  // exactly a second is no quick end
        {61100, 70000, 0, false}}},
      {"quick ends: three at once, then 250, 500, 1000, 1000 (the cap), then give up",
       {{0, 100, 0, false},
        {150, 250, 0, false},
        {300, 400, 0, false},
        {450, 550, 250, false},
        {800, 900, 500, false},
        {1400, 1500, 1000, false},
        {2500, 2600, 1000, false},
        {3600, 3700, 0, true}}},
      {"a long run between quick ends starts the count again",
       {{0, 100, 0, false},
        {150, 250, 0, false},
        {300, 400, 0, false},
        {450, 550, 250, false},
        {800, 9000, 0, false},  // the movie ran: back to restarts at once
        {9050, 9100, 0, false},
        {9150, 9200, 0, false},
        {9250, 9300, 0, false},
        {9350, 9400, 250, false}}},
      {"a run of 999 ms is quick",
       {{0, 999, 0, false},
        {1000, 1999, 0, false},
        {2000, 2999, 0, false},
        {3000, 3999, 250, false}}},
      {"across the wrap of the tick counter",
       {{0xFFFFFF00u, 0x00000100u, 0, false},  // 512 ms: quick
        {0x00000150u, 0x00000200u, 0, false},
        {0x00000250u, 0x00000300u, 0, false},
        {0x00000350u, 0x00000400u, 250, false},
        {0x00000500u, 0x00001000u, 0, false}}},  // 2816 ms: ran
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlayerRestarts restarts;
    EXPECT_TRUE(restarts.MayStart(c.runs.front().start));
    for (size_t i = 0; i < c.runs.size(); ++i) {
      SCOPED_TRACE(i);
      const PlayerRun& run = c.runs[i];
      restarts.Started(run.start);
      const RestartDecision decision = restarts.Ended(run.end);
      EXPECT_EQ(decision.giveUp, run.giveUp);
      EXPECT_EQ(decision.delayMs, run.delay);
      if (run.giveUp) {
        EXPECT_FALSE(restarts.MayStart(run.end));
        EXPECT_FALSE(restarts.MayStart(run.end + 3600000));
        continue;
      }
      // Due exactly when the delay has passed, not a tick before.
      if (run.delay) {
        EXPECT_FALSE(restarts.MayStart(run.end + run.delay - 1));
      }
      EXPECT_TRUE(restarts.MayStart(run.end + run.delay));
    }
  }
}

TEST(PlayerRestarts, AfterGivingUpNothingStartsAgain) {
  PlayerRestarts restarts;
  uint32_t t = 0;
  RestartDecision decision{false, 0};
  int quickEnds = 0;
  while (!decision.giveUp && quickEnds < 100) {
    restarts.Started(t);
    decision = restarts.Ended(t + 10);
    t += 10 + decision.delayMs;
    ++quickEnds;
  }
  EXPECT_EQ(quickEnds, PlayerRestarts::kGiveUpQuickEnds);
  // A long run reported later does not bring the player back.
  restarts.Started(t);
  EXPECT_TRUE(restarts.Ended(t + 60000).giveUp);
  EXPECT_FALSE(restarts.MayStart(t + 120000));
}

}  // namespace
