// The settings dialog's growth around a picture larger than its frame.
#include <gtest/gtest.h>

#include "saver/SettingsLayout.h"

namespace {

struct Case {
  const char* what;
  int frameW, frameH, pictureW, pictureH;
  RECT dialog;
  int screenW, screenH;
  RECT work;  // the work area
  int dx, dy;
  RECT expected;
};

TEST(SettingsLayout, GrowsByThePicturesExcessWithinTheWorkAreaAndCentresOnTheScreen) {
  // A dialog of 303 x 212 pixels with a frame of 170 x 163 (113 x 100
  // dialog units at a 6 x 13 font cell) on a 1024 x 768 screen.
  const Case cases[] = {
      {"larger both ways",
       170,
       163,
       430,
       260,
       {361, 278, 664, 490},
       1024,
       768,
       {0, 0, 1024, 768},
       // 430 - 170 = 260 wider, 260 - 163 = 97 higher: 563 x 309, centred
       // at (1024 - 563) / 2 = 230 and (768 - 309) / 2 = 229.
       260,
       97,
       {230, 229, 793, 538}},
      {"smaller: no growth, only centred",
       170,
       163,
       96,
       64,
       {0, 0, 303, 212},
       1024,
       768,
       {0, 0, 1024, 768},
       0,
       0,
       {360, 278, 663, 490}},
      {"equal to the frame",
       170,
       163,
       170,
       163,
       {360, 278, 663, 490},
       1024,
       768,
       {0, 0, 1024, 768},
       0,
       0,
       {360, 278, 663, 490}},
      {"wider only",
       170,
       163,
       171,
       10,
       {10, 10, 313, 222},
       1024,
       768,
       {0, 0, 1024, 768},
       1,
       0,
       {360, 278, 664, 490}},
      // 303 + 1830 would make 2133 on an 800-pixel screen, with OK off it:
      // the growth stops at the work area, 800 - 303 = 497 and 240 - 212 = 28.
      {"wider than the screen",
       170,
       163,
       2000,
       600,
       {0, 0, 303, 212},
       800,
       240,
       {0, 0, 800, 240},
       497,
       28,
       {0, 0, 800, 240}},
      // The task bar's 30 pixels at the bottom stay free; centred at
      // (768 - 738) / 2 = 15 it would end under the task bar, so it moves up.
      {"8000 x 8000, task bar at the bottom",
       170,
       163,
       8000,
       8000,
       {360, 278, 663, 490},
       1024,
       768,
       {0, 0, 1024, 738},
       721,
       526,
       {0, 0, 1024, 738}},
      // 728 high at most; centred at 20 the title would be under the bar.
      {"task bar at the top",
       170,
       163,
       600,
       700,
       {0, 0, 303, 212},
       1024,
       768,
       {0, 40, 1024, 768},
       430,
       516,
       {145, 40, 878, 768}},
      {"task bar on the left: a dialog that fits moves right of it",
       170,
       163,
       600,
       300,
       {0, 0, 303, 212},
       1024,
       768,
       {200, 0, 1024, 768},
       430,
       137,
       {200, 209, 933, 558}},
      // Already higher than the work area: it cannot grow that way, and its
      // top-left corner is kept on the screen.
      {"a dialog higher than the work area",
       170,
       163,
       400,
       400,
       {0, 0, 303, 212},
       320,
       200,
       {0, 0, 320, 180},
       17,
       0,
       {0, 0, 320, 212}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SettingsGrowth g = GrowSettingsDialog(c.frameW, c.frameH, c.pictureW, c.pictureH,
                                                c.dialog, c.screenW, c.screenH, c.work);
    EXPECT_EQ(g.dx, c.dx);
    EXPECT_EQ(g.dy, c.dy);
    EXPECT_EQ(g.dialog.left, c.expected.left);
    EXPECT_EQ(g.dialog.top, c.expected.top);
    EXPECT_EQ(g.dialog.right, c.expected.right);
    EXPECT_EQ(g.dialog.bottom, c.expected.bottom);
  }
}

}  // namespace
