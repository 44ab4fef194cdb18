// The test player's picture: the one bitmap of a picture movie, decoded for
// drawing. JPEG data goes through libjpeg, lossless colour-mapped data was
// inflated through zlib by the movie reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PlayerPicture {
  std::string kind;  // "jpeg" or "lossless"
  int width = 0;
  int height = 0;
  // Top row first, 4 bytes a pixel: blue, green, red, 0.
  std::vector<uint8_t> pixels;
};

// The largest picture decoded, in pixels (256 MiB of pixels at 4 bytes).
constexpr uint64_t kMaxPlayerPicturePixels = 64ull * 1024 * 1024;

// The value of SS_Picture in a parameter text ("" when there is none).
std::string PictureParameter(const std::string& parameters);

// Reads the movie at path with the movie reader and decodes its first
// bitmap. False, with the reason in error, when the movie cannot be read,
// holds no bitmap, its data cannot be decoded or its picture is larger than
// kMaxPlayerPicturePixels.
bool LoadMoviePicture(const std::string& path, PlayerPicture* picture, std::string* error);

// Where a picture of width x height goes in a client area of clientWidth x
// clientHeight: as large as fits with its proportions kept, centred.
struct PlayerPlacement {
  int x, y, width, height;
};
PlayerPlacement PlacePicture(int width, int height, int clientWidth, int clientHeight);
