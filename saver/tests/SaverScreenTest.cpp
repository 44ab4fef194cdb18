// The full-screen saver's geometry over monitor layouts: the windows cover
// every monitor, the primary monitor is found inside them, and screen points
// map to the saver window's client coordinates.
#include <gtest/gtest.h>

#include <string>

#include "saver/SaverScreen.h"

namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

TEST(SaverScreen, CoversTheVirtualScreenAndFindsThePrimaryInIt) {
  const struct {
    const char* layout;
    int vx, vy, vcx, vcy;  // the virtual screen as the system reports it
    int cx, cy;            // the primary monitor
    RECT window;           // expected, screen coordinates
    RECT primary;          // expected, client coordinates
  } cases[] = {
      {"one monitor", 0, 0, 1024, 768, 1024, 768, {0, 0, 1024, 768}, {0, 0, 1024, 768}},
      {"no virtual screen reported", 0, 0, 0, 0, 800, 600, {0, 0, 800, 600}, {0, 0, 800, 600}},
      {"second monitor right", 0, 0, 1440, 600, 800, 600, {0, 0, 1440, 600}, {0, 0, 800, 600}},
      {"second monitor left",
       -1280,
       0,
       2304,
       1024,
       1024,
       768,
       {-1280, 0, 1024, 1024},
       {1280, 0, 2304, 768}},
      {"second monitor above",
       0,
       -1024,
       1280,
       1792,
       1024,
       768,
       {0, -1024, 1280, 768},
       {0, 1024, 1024, 1792}},
      {"left and above, taller",
       -1920,
       -312,
       3200,
       1392,
       1280,
       1024,
       {-1920, -312, 1280, 1080},
       {1920, 312, 3200, 1336}},
      {"below and right", 0, 0, 2944, 1848, 1024, 768, {0, 0, 2944, 1848}, {0, 0, 1024, 768}},
      {"three in a row, primary in the middle",
       -1024,
       0,
       3072,
       768,
       1024,
       768,
       {-1024, 0, 2048, 768},
       {1024, 0, 2048, 768}},
      {"virtual screen short of the primary",
       0,
       0,
       640,
       480,
       800,
       600,
       {0, 0, 800, 600},
       {0, 0, 800, 600}},
  };
  for (const auto& c : cases) {
    const SaverScreen s = SaverScreenFor(c.vx, c.vy, c.vcx, c.vcy, c.cx, c.cy);
    EXPECT_TRUE(Same(c.window, s.window)) << c.layout << ": window " << Show(s.window);
    EXPECT_TRUE(Same(c.primary, s.primary)) << c.layout << ": primary " << Show(s.primary);
    // The primary monitor keeps its size and lies inside the window.
    EXPECT_EQ(c.cx, s.primary.right - s.primary.left) << c.layout;
    EXPECT_EQ(c.cy, s.primary.bottom - s.primary.top) << c.layout;
    EXPECT_GE(s.primary.left, 0) << c.layout;
    EXPECT_GE(s.primary.top, 0) << c.layout;
    EXPECT_LE(s.primary.right, s.window.right - s.window.left) << c.layout;
    EXPECT_LE(s.primary.bottom, s.window.bottom - s.window.top) << c.layout;
  }
}

TEST(SaverScreen, ScreenPointsBecomeClientPoints) {
  // A monitor left of and above the primary: screen points there are
  // negative, client points never are, so the mouse messages' unsigned
  // 16-bit coordinates compare with the start position as on one monitor.
  const SaverScreen s = SaverScreenFor(-1280, -200, 2304, 968, 1024, 768);
  const struct {
    POINT screen, client;
  } cases[] = {
      {{0, 0}, {1280, 200}},       // the primary's top left corner
      {{-1280, -200}, {0, 0}},     // the virtual screen's top left corner
      {{-5, 10}, {1275, 210}},     // just left of the primary
      {{1023, 767}, {2303, 967}},  // the primary's bottom right pixel
      {{-1200, 700}, {80, 900}},   // low on the left monitor
  };
  for (const auto& c : cases) {
    const POINT p = ScreenToSaverClient(s, c.screen);
    EXPECT_EQ(c.client.x, p.x) << c.screen.x << ", " << c.screen.y;
    EXPECT_EQ(c.client.y, p.y) << c.screen.x << ", " << c.screen.y;
  }
  // One monitor: client and screen coordinates are the same, as before.
  const SaverScreen one = SaverScreenFor(0, 0, 1024, 768, 1024, 768);
  const POINT p = ScreenToSaverClient(one, POINT{517, 300});
  EXPECT_EQ(517, p.x);
  EXPECT_EQ(300, p.y);
}

TEST(SaverScreen, PreviewIsTheAreaItself) {
  const SaverScreen s = PreviewScreen(152, 112);
  EXPECT_TRUE(Same(RECT{0, 0, 152, 112}, s.window));
  EXPECT_TRUE(Same(RECT{0, 0, 152, 112}, s.primary));
  const POINT p = ScreenToSaverClient(s, POINT{40, 30});
  EXPECT_EQ(40, p.x);
  EXPECT_EQ(30, p.y);
}

}  // namespace
