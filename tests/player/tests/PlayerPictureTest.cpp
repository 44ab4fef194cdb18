// The test player's picture reading: movies the conversion wrote, and
// pictures whose headers claim more pixels than any memory holds.
#include "tests/player/PlayerPicture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "moviewriter/convert/PictureToMovie.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
  Bytes bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  return bytes;
}

bool WriteAll(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The JPEG with its frame header's height and width replaced.
Bytes WithFrameSize(Bytes jpeg, uint16_t width, uint16_t height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
      jpeg[i + 5] = uint8_t(height >> 8), jpeg[i + 6] = uint8_t(height);
      jpeg[i + 7] = uint8_t(width >> 8), jpeg[i + 8] = uint8_t(width);
      return jpeg;
    }
  }
  return {};
}

const std::string kJpeg = std::string(SOMNEL_SOURCE_DIR) + "/xlib/mm/tests/data/f.jpg";

TEST(PlayerPicture, DrawsTheJpegOfAMovie) {
  const std::string movie = testing::TempDir() + "player-f.kmv";
  JpegToMovie(kJpeg.c_str(), 32, 24, movie.c_str(), 1.0f, 1.0f);
  PlayerPicture picture;
  std::string error;
  ASSERT_TRUE(LoadMoviePicture(movie, &picture, &error)) << error;
  EXPECT_EQ(picture.kind, "jpeg");
  EXPECT_EQ(picture.width, 32);
  EXPECT_EQ(picture.height, 24);
  EXPECT_EQ(picture.pixels.size(), 32u * 24 * 4);
  std::remove(movie.c_str());
}

// 65000 x 65000 would be 16 GB of pixels: refused with the reason, and no
// memory is taken for it.
TEST(PlayerPicture, RefusesAJpegWhoseHeaderClaimsAHugeSize) {
  const Bytes huge = WithFrameSize(ReadAll(kJpeg), 65000, 65000);
  ASSERT_FALSE(huge.empty());
  const std::string jpeg = testing::TempDir() + "player-huge.jpg";
  const std::string movie = testing::TempDir() + "player-huge.kmv";
  ASSERT_TRUE(WriteAll(jpeg, huge));
  JpegToMovie(jpeg.c_str(), 65000, 65000, movie.c_str(), 0.0005f, 0.0005f);
  PlayerPicture picture;
  std::string error;
  EXPECT_FALSE(LoadMoviePicture(movie, &picture, &error));
  EXPECT_EQ(error, "JPEG data: 65000 x 65000 pixels, more than the 67108864 a picture may have");
  EXPECT_TRUE(picture.pixels.empty());
  std::remove(jpeg.c_str());
  std::remove(movie.c_str());
}

// A colour-mapped bitmap past the limit: 8200 x 8200 pixels of one colour.
TEST(PlayerPicture, RefusesALosslessBitmapPastTheLimit) {
  const int32_t side = 8200;
  Bytes pixels(size_t(side) * side, 1);
  RGBQUAD colours[2] = {{0, 0, 0, 0}, {10, 20, 30, 0}};
  const std::string movie = testing::TempDir() + "player-lossless.kmv";
  IndexedPictureToMovie(colours, 2, 8, pixels.data(), side, side, side, movie.c_str(), 0.05f,
                        0.05f);
  PlayerPicture picture;
  std::string error;
  EXPECT_FALSE(LoadMoviePicture(movie, &picture, &error));
  EXPECT_EQ(error, "lossless data: 8200 x 8200 pixels, more than the 67108864 a picture may have");
  std::remove(movie.c_str());
}

}  // namespace
