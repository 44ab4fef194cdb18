// The sizes a GIF declares, checked over its blocks before any reader takes
// memory for them.
#include "host/GifDeclaredSizes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/tests/GifCraft.h"

using namespace vrixhost;
using giftest::CraftedFrame;
using giftest::CraftGif;
using giftest::Dot;

namespace {

std::string Problem(const std::vector<uint8_t>& bytes) {
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  return GifDeclaredProblem(in);
}

CraftedFrame Declared(uint16_t left, uint16_t top, uint16_t width, uint16_t height) {
  CraftedFrame f = Dot(left, top, 1);  // one pixel's data, whatever the size
  f.width = width;
  f.height = height;
  return f;
}

std::vector<uint8_t> ManyFrames(uint16_t side, size_t count, const CraftedFrame& frame) {
  return CraftGif(side, side, std::vector<CraftedFrame>(count, frame));
}

TEST(GifDeclaredSizes, RefusesWhatWouldKeepTooMuchBeforeAnyPixelIsRead) {
  struct Case {
    const char* what;
    std::vector<uint8_t> gif;
    const char* problem;  // "" when it fits
  } cases[] = {
      {"a small screen", CraftGif(6, 4, {Dot(0, 0, 1), Dot(5, 3, 2)}), ""},
      {"the largest screen", CraftGif(4096, 4096, {Dot(0, 0, 1)}), ""},
      {"a 20000 x 20000 screen", CraftGif(20000, 20000, {Dot(0, 0, 1)}),
       "its logical screen is 20000 x 20000 pixels"},
      {"a 65535 x 65535 screen", CraftGif(65535, 65535, {Dot(0, 0, 1)}),
       "its logical screen is 65535 x 65535 pixels"},
      {"a frame larger than the limit",
       CraftGif(10, 10, {Dot(0, 0, 1), Declared(0, 0, 65535, 65535)}),
       "frame 2 is 65535 x 65535 pixels"},
      {"no screen: the first frame's extent", CraftGif(0, 0, {Dot(4095, 4095, 1)}), ""},
      {"no screen, a frame far out", CraftGif(0, 0, {Dot(5000, 5000, 1)}),
       "its logical screen is 5001 x 5001 pixels"},
      {"2000 dots on 2000 x 2000", ManyFrames(2000, 2000, Dot(7, 9, 1)), ""},
      {"full frames past 256 MiB", ManyFrames(4096, 8, Declared(0, 0, 4096, 4096)),
       "(frame 8 goes past it)"},
      // What a decoder holding every frame whole would take.
      {"large frames on a small screen", ManyFrames(10, 2000, Declared(0, 0, 4096, 4096)),
       "(frame 16 goes past it)"},
  };
  for (const Case& c : cases) {
    const std::string problem = Problem(c.gif);
    if (*c.problem == 0) {
      EXPECT_EQ("", problem) << c.what;
    } else {
      EXPECT_NE(std::string::npos, problem.find(c.problem)) << c.what << ": " << problem;
    }
  }
}

TEST(GifDeclaredSizes, LeavesWhatIsNotAGifOrEndsEarlyToTheReader) {
  const std::vector<uint8_t> huge = CraftGif(20000, 20000, {Dot(0, 0, 1)});
  EXPECT_EQ("", Problem({'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ("", Problem(std::vector<uint8_t>(huge.begin(), huge.begin() + 8)));
  EXPECT_EQ("", Problem({}));
  // The screen is known before the first image: cut just after it, nothing
  // is refused yet; a file that goes on to its image is.
  EXPECT_EQ("", Problem(std::vector<uint8_t>(huge.begin(), huge.begin() + 40)));
  EXPECT_NE("", Problem(std::vector<uint8_t>(huge.begin(), huge.end() - 3)));
}

TEST(GifDeclaredSizes, WalksEveryImageOfAFileAnEncoderWrote) {
  // Pillow's animation: extensions, sub-frames, colour tables.
  std::ifstream in(std::string(SOMNEL_SOURCE_DIR) + "/host/tests/data/three-frames.gif",
                   std::ios::binary);
  ASSERT_TRUE(in.is_open());
  size_t images = 0;
  EXPECT_EQ("", GifDeclaredProblem(in, &images));
  EXPECT_EQ(3u, images);
  const std::vector<uint8_t> five = ManyFrames(9, 5, Dot(1, 2, 3));
  std::istringstream fiveIn(std::string(five.begin(), five.end()));
  EXPECT_EQ("", GifDeclaredProblem(fiveIn, &images));
  EXPECT_EQ(5u, images);
}

}  // namespace
