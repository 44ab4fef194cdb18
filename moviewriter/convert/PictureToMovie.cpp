// The picture-to-movie conversion: the parts that need no operating system.
#include "moviewriter/convert/PictureToMovie.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "clib/Assert.h"
#include "moviewriter/HVMovie.h"
#include "moviewriter/HVObject.h"

namespace {

// One movie of one frame holding bitmap, the size of the bitmap's bounds.
void WriteOneFrameMovie(HVBitmap& bitmap, int32_t widthTwips, int32_t heightTwips,
                        const char* moviePath) {
  HVMovie movie;
  movie.width = widthTwips;
  movie.height = heightTwips;
  movie.Frame(0)->AddObject(&bitmap);
  // A movie that could not be created must not pass for one that was.
  if (!movie.WriteMovie(moviePath))
    throw std::runtime_error(std::string("Error writing file. ") + moviePath);
}

// Closes a stdio stream on every path out of JpegToMovie.
struct StreamCloser {
  std::FILE* file;
  ~StreamCloser() {
    if (file) std::fclose(file);
  }
};

}  // namespace

int32_t PictureTwips(int32_t pixels, float scale) {
  const double twips = pixels * 20.0 * scale;
  if (std::isnan(twips)) return 0;
  if (twips >= 2147483647.0) return INT32_MAX;
  if (twips <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(twips);
}

void IndexedPictureToMovie(const RGBQUAD* colors, uint32_t numColors, int bitCount, uint8_t* pixels,
                           uint32_t rowBytes, int32_t width, int32_t height, const char* moviePath,
                           float scaleX, float scaleY) {
  ASSERT(colors != nullptr && moviePath != nullptr);
  // The movie's table always has 256 entries; the filler past the
  // picture's own colours is black.
  uint8_t table[256 * 3] = {};
  const uint32_t count = numColors < 256 ? numColors : 256;
  for (uint32_t i = 0; i < count; ++i) {
    table[3 * i] = colors[i].rgbRed;
    table[3 * i + 1] = colors[i].rgbGreen;
    table[3 * i + 2] = colors[i].rgbBlue;
  }
  const int32_t widthTwips = PictureTwips(width, scaleX);
  const int32_t heightTwips = PictureTwips(height, scaleY);
  if (bitCount != 8) throw std::runtime_error("Bitmaps must be 8-bit.");
  ASSERT(pixels != nullptr && width > 0 && height > 0 && rowBytes >= static_cast<uint32_t>(width));

  // The movie wants the top row first.
  std::vector<uint8_t> swap(static_cast<size_t>(width));
  for (int32_t i = 0, j = height - 1; i < j; ++i, --j) {
    uint8_t* a = pixels + static_cast<size_t>(i) * rowBytes;
    uint8_t* b = pixels + static_cast<size_t>(j) * rowBytes;
    std::memcpy(swap.data(), a, swap.size());
    std::memcpy(a, b, swap.size());
    std::memcpy(b, swap.data(), swap.size());
  }

  // Format 3: colour-mapped, 8 bits a pixel. Table and rows are compressed
  // by the constructor.
  HVBitmap bitmap(0, 0, widthTwips, heightTwips, 3, width, height, 256, false, pixels, table);
  WriteOneFrameMovie(bitmap, widthTwips, heightTwips, moviePath);
}

void JpegToMovie(const char* picturePath, int32_t width, int32_t height, const char* moviePath,
                 float scaleX, float scaleY) {
  ASSERT(picturePath != nullptr && moviePath != nullptr);
  StreamCloser in{std::fopen(picturePath, "rb")};
  if (!in.file) throw std::runtime_error(std::string("Error opening file. ") + picturePath);
  // The buffer is the file's own length, whatever its header claims.
  long length = -1;
  if (std::fseek(in.file, 0, SEEK_END) == 0) length = std::ftell(in.file);
  if (length < 0 || std::fseek(in.file, 0, SEEK_SET) != 0)
    throw std::runtime_error(std::string("Error reading file. ") + picturePath);
  std::vector<uint8_t> data(static_cast<size_t>(length));
  if (length > 0 && std::fread(data.data(), 1, data.size(), in.file) != data.size())
    throw std::runtime_error(std::string("Error reading file. ") + picturePath);

  const int32_t widthTwips = PictureTwips(width, scaleX);
  const int32_t heightTwips = PictureTwips(height, scaleY);
  // The JPEG bytes are referenced, not copied: data outlives the movie.
  HVBitmap bitmap(0, 0, widthTwips, heightTwips, width, height, data.data(),
                  static_cast<uint32_t>(data.size()));
  WriteOneFrameMovie(bitmap, widthTwips, heightTwips, moviePath);
}
