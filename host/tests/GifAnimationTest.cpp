// An animation's frames composed on one canvas, and the limits on what a GIF
// may make the preview keep.
#include "host/GifAnimation.h"

#include "host/tests/GifScene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vrixhost;

namespace {

using giftest::kScene;
using giftest::kScenePictures;
using giftest::Pixels;

constexpr size_t kColourCount = sizeof giftest::kColours / sizeof giftest::kColours[0];

GifFrame Frame(GifPictures& p, const giftest::SceneFrame& s) {
  GifFrame f;
  EXPECT_EQ("", p.Take(s.left, s.top, s.width, s.height, kColourCount, &f));
  for (uint32_t y = 0; y < f.height; ++y)
    for (uint32_t x = 0; x < f.width; ++x)
      f.indices.push_back(giftest::IndexOf(s.letters[y * s.width + x]));
  f.colours.assign(giftest::kColours, giftest::kColours + kColourCount);
  f.disposal = s.disposal;
  return f;
}

GifPictures SceneFrames() {
  GifPictures p;
  std::string why;
  EXPECT_TRUE(p.Start(giftest::kSceneWidth, giftest::kSceneHeight, &why)) << why;
  for (const giftest::SceneFrame& s : kScene) p.AddFrame(Frame(p, s));
  return p;
}

TEST(GifAnimation, ComposesEachFrameOnTheOneBeforeHonouringDisposal) {
  const GifPictures p = SceneFrames();
  ASSERT_EQ(4u, p.size());
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Pixels(kScenePictures[i]), p[i]) << "frame " << i;
  EXPECT_TRUE(p[4].empty());
}

TEST(GifAnimation, AnyOrderGivesTheSamePictures) {
  const GifPictures p = SceneFrames();
  for (size_t i : {3u, 1u, 1u, 0u, 2u, 3u, 2u})
    EXPECT_EQ(Pixels(kScenePictures[i]), p[i]) << "frame " << i;
}

TEST(GifAnimation, KeepsTheFramesOwnRectanglesAndOneCanvas) {
  const GifPictures p = SceneFrames();
  const uint64_t frames = 24 + 4 + 2 + 1 + 4 * (kColourCount * 4 + sizeof(GifFrame));
  EXPECT_EQ(frames, p.BytesKept());  // nothing composed yet
  for (size_t i = 0; i < 4; ++i) p[i];
  // The canvas, and room to restore the yellow frame's two pixels.
  EXPECT_GE(p.BytesKept(), frames + 24 * 4 + 2 * 4);
  EXPECT_LE(p.BytesKept(), frames + 2 * 24 * 4);
}

TEST(GifAnimation, RefusesScreensAndFramesBeyondTheLimit) {
  struct Case {
    uint32_t width, height;
    bool fits;
  } cases[] = {{20000, 20000, false}, {65535, 65535, false}, {4097, 4096, false},
               {4096, 4096, true},    {65535, 256, true},    {1, 1, true},
               {0, 10, false},        {10, 0, false}};
  for (const Case& c : cases) {
    const std::string what = std::to_string(c.width) + " x " + std::to_string(c.height);
    const std::string problem = GifPixelsProblem("its logical screen", c.width, c.height);
    EXPECT_EQ(c.fits, problem.empty()) << what << ": " << problem;
    if (!c.fits) {
      EXPECT_NE(std::string::npos, problem.find(what + " pixels")) << problem;
    }
    GifPictures p;
    std::string why;
    EXPECT_EQ(c.fits, p.Start(c.width, c.height, &why)) << what;
    EXPECT_EQ(problem, why);
  }
}

TEST(GifAnimation, RefusesAFrameThatWouldKeepTooMuch) {
  // Two canvases of 64 MiB leave 128 MiB for the frames: seven full ones of
  // 16 Mi indices fit, the eighth does not.
  GifBudget budget;
  ASSERT_EQ("", budget.Start(4096, 4096));
  GifFrame f;
  for (int i = 0; i < 7; ++i) ASSERT_EQ("", budget.Take(0, 0, 4096, 4096, 256, &f)) << i;
  const std::string problem = budget.Take(0, 0, 4096, 4096, 256, &f);
  EXPECT_NE(std::string::npos, problem.find("256 MiB")) << problem;
  EXPECT_NE(std::string::npos, problem.find("frame 8 goes past it")) << problem;
  // A frame beyond the screen keeps nothing of its pixels, but counts as
  // declared; one declared too large is refused however little of it shows.
  ASSERT_EQ("", budget.Take(5000, 10, 100, 100, 256, &f));
  EXPECT_EQ(0u, f.width);
  EXPECT_EQ(100u, f.height);
  EXPECT_EQ(8u, budget.frames());
  EXPECT_NE(std::string::npos,
            budget.Take(5000, 10, 4097, 4096, 256, &f).find("frame 9 is 4097 x 4096 pixels"));
  EXPECT_NE(std::string::npos, budget.Take(5000, 10, 4096, 4096, 256, &f).find("frame 9 goes"));
  EXPECT_EQ(8u, budget.frames());
}

}  // namespace
