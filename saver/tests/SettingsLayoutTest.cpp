// The settings dialog's growth around a picture larger than its frame.
#include <gtest/gtest.h>

#include "saver/SettingsLayout.h"

namespace {

struct Case {
  const char* what;
  int frameW, frameH, pictureW, pictureH;
  RECT dialog;
  int screenW, screenH;
  int dx, dy;
  RECT expected;
};

TEST(SettingsLayout, GrowsByThePicturesExcessAndCentresOnTheScreen) {
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
       0,
       0,
       {360, 278, 663, 490}},
      {"wider only", 170, 163, 171, 10, {10, 10, 313, 222}, 1024, 768, 1, 0, {360, 278, 664, 490}},
      // 303 + 1830 = 2133 on an 800-pixel screen: (800 - 2133) / 2 is
      // -666.5, rounded toward zero to -666; likewise -204.5 to -204.
      {"wider than the screen",
       170,
       163,
       2000,
       600,
       {0, 0, 303, 212},
       800,
       240,
       1830,
       437,
       {-666, -204, 1467, 445}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SettingsGrowth g = GrowSettingsDialog(c.frameW, c.frameH, c.pictureW, c.pictureH,
                                                c.dialog, c.screenW, c.screenH);
    EXPECT_EQ(g.dx, c.dx);
    EXPECT_EQ(g.dy, c.dy);
    EXPECT_EQ(g.dialog.left, c.expected.left);
    EXPECT_EQ(g.dialog.top, c.expected.top);
    EXPECT_EQ(g.dialog.right, c.expected.right);
    EXPECT_EQ(g.dialog.bottom, c.expected.bottom);
  }
}

}  // namespace
