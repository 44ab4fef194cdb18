// Where the preview puts an image inside its bounds: the integer rules,
// worked out by hand for each case.
#include <gtest/gtest.h>

#include "plugin/assetprops/PreviewFit.h"

namespace {

struct FitCase {
  const char* what;
  int32_t w, h;
  PreviewRect bounds;
  PreviewRect expected;
};

const FitCase kCases[] = {
    {"the bounds' proportions, larger: the bounds", 320, 240, {0, 0, 160, 120}, {0, 0, 160, 120}},
    {"the bounds' proportions, same size", 160, 120, {0, 0, 160, 120}, {0, 0, 160, 120}},
    {"offset bounds kept as they are", 640, 480, {10, 20, 170, 140}, {10, 20, 170, 140}},
    {"smaller: centred unscaled", 100, 50, {0, 0, 160, 120}, {30, 35, 130, 85}},
    {"wide: 160 x 40 at top 40", 400, 100, {0, 0, 160, 120}, {0, 40, 160, 80}},
    // w < h: width = 100 * 120 / 400 = 30, below 160, so height 120.
    {"tall", 100, 400, {0, 0, 160, 120}, {65, 0, 95, 120}},
    {"the bounds' proportions, smaller: centred", 80, 60, {0, 0, 160, 120}, {40, 30, 120, 90}},
    {"1 x 1", 1, 1, {0, 0, 160, 120}, {79, 59, 80, 60}},
    // 1 * 120 / 1000 = 0 wide, the full height.
    {"1 x 1000", 1, 1000, {0, 0, 160, 120}, {80, 0, 80, 120}},
    // 160 * 1 / 1000 = 0 high, the full width.
    {"1000 x 1", 1000, 1, {0, 0, 160, 120}, {0, 60, 160, 60}},
    // w >= h: height = 160 * 199 / 200 = 159, not below 120, so
    // width = 200 * 120 / 199 = 120 and height 120.
    {"nearly square, wider", 200, 199, {0, 0, 160, 120}, {20, 0, 140, 120}},
    // w < h in tall bounds: width = 90 * 100 / 100 = 90, not below 50, so
    // height = 50 * 100 / 90 = 55 and width 50.
    {"nearly square, taller, tall bounds", 90, 100, {0, 0, 50, 100}, {0, 22, 50, 77}},
    {"as wide as the bounds, lower: unscaled", 160, 50, {0, 0, 160, 120}, {0, 35, 160, 85}},
    {"taller only: scaled", 100, 240, {0, 0, 160, 120}, {55, 0, 105, 120}},
    {"centred in offset bounds", 100, 50, {10, 20, 170, 140}, {40, 55, 140, 105}},
    // Products beyond 32 bits: 2000000000 * 120 / 2000000000.
    {"huge", 2000000000, 2000000000, {0, 0, 160, 120}, {20, 0, 140, 120}},
    {"empty image", 0, 0, {0, 0, 160, 120}, {80, 60, 80, 60}},
};

TEST(PreviewFit, Table) {
  for (const FitCase& c : kCases) {
    PreviewRect r{-1, -1, -1, -1};
    ASSERT_TRUE(FitPreview(c.w, c.h, c.bounds, &r)) << c.what;
    EXPECT_EQ(c.expected.left, r.left) << c.what;
    EXPECT_EQ(c.expected.top, r.top) << c.what;
    EXPECT_EQ(c.expected.right, r.right) << c.what;
    EXPECT_EQ(c.expected.bottom, r.bottom) << c.what;
  }
}

TEST(PreviewFit, RefusesNegativeSizesAndInvertedBounds) {
  const PreviewRect untouched{7, 7, 7, 7};
  PreviewRect r = untouched;
  EXPECT_FALSE(FitPreview(-1, 10, {0, 0, 160, 120}, &r));
  EXPECT_FALSE(FitPreview(10, -1, {0, 0, 160, 120}, &r));
  EXPECT_FALSE(FitPreview(10, 10, {160, 0, 0, 120}, &r));
  EXPECT_FALSE(FitPreview(10, 10, {0, 120, 160, 0}, &r));
  EXPECT_EQ(7, r.left);
  EXPECT_EQ(7, r.bottom);
  EXPECT_FALSE(FitPreview(10, 10, {0, 0, 160, 120}, nullptr));
}

}  // namespace
