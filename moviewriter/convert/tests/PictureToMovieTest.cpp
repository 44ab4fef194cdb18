#include "moviewriter/convert/PictureToMovie.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "moviewriter/KmvReader.h"
#include "xlib/mm/PictureInfo.h"

namespace {

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/xlib/mm/tests/data/";

std::string Temp(const char* name) {
  return testing::TempDir() + name;
}

bool Exists(const std::string& path) {
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
    return true;
  }
  return false;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> data;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
  }
  return data;
}

const kmv::Tag* FindTag(const kmv::Movie& movie, uint16_t code) {
  for (const kmv::Tag& t : movie.tags)
    if (t.code == code) return &t;
  return nullptr;
}

int CountTags(const kmv::Movie& movie, uint16_t code) {
  int n = 0;
  for (const kmv::Tag& t : movie.tags) n += t.code == code;
  return n;
}

// An asymmetric 8-bit picture: value depends on x and y differently, and
// rows are kept bottom-up as in a BMP, padded to rowBytes with 0xEE.
struct Picture {
  int32_t width, height;
  uint32_t rowBytes;
  std::vector<uint8_t> rows;  // bottom row first
  std::vector<RGBQUAD> colors;
  Picture(int32_t w, int32_t h, uint32_t used = 256) : width(w), height(h) {
    rowBytes = (static_cast<uint32_t>(w) + 3) & ~3u;
    rows.assign(rowBytes * static_cast<size_t>(h), 0xEE);
    for (int32_t y = 0; y < h; ++y)  // y counts from the top
      for (int32_t x = 0; x < w; ++x) rows[(h - 1 - y) * rowBytes + x] = Value(x, y) % used;
    for (uint32_t i = 0; i < used; ++i)
      colors.push_back(RGBQUAD{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                               static_cast<uint8_t>(i * 7), 0});
  }
  static uint8_t Value(int32_t x, int32_t y) {
    return static_cast<uint8_t>(x * 3 + y * 17 + (x > y));
  }
  // Rows top first as the movie should hold them, padding unchanged.
  std::vector<uint8_t> TopFirst() const {
    std::vector<uint8_t> out;
    for (int32_t y = height - 1; y >= 0; --y)
      out.insert(out.end(), rows.begin() + y * rowBytes, rows.begin() + (y + 1) * rowBytes);
    return out;
  }
};

TEST(PictureTwips, TwentyPerPixelTimesScaleTruncated) {
  struct Case {
    int32_t pixels;
    float scale;
    int32_t expected;
  } cases[] = {
      {640, 1.0f, 12800},
      {480, 1.0f, 9600},
      {640, 0.5f, 6400},
      {480, 2.0f, 19200},
      {3, 0.33f, 19},
      {-3, 0.33f, -19},
      {0, 5.0f, 0},
      {1, 0.01f, 0},
      {819, 1.0f, 16380},
      {4000, 1.0f, 80000},
      {2000000000, 4.0f, INT32_MAX},
      {1, std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PictureTwips(c.pixels, c.scale), c.expected) << c.pixels << " x " << c.scale;
}

TEST(IndexedPictureToMovie, SixFortyByFourEighty) {
  Picture pic(640, 480);
  const std::vector<uint8_t> expectedRows = pic.TopFirst();
  const std::string path = Temp("p640.kmv");
  IndexedPictureToMovie(pic.colors.data(), 256, 8, pic.rows.data(), pic.rowBytes, 640, 480,
                        path.c_str(), 1.0f, 1.0f);
  const kmv::Movie movie = kmv::ReadFile(path);
  EXPECT_EQ(movie.frame.xmin, 0);
  EXPECT_EQ(movie.frame.xmax, 12800);
  EXPECT_EQ(movie.frame.ymin, 0);
  EXPECT_EQ(movie.frame.ymax, 9600);
  EXPECT_EQ(movie.frameCount, 1);
  EXPECT_EQ(CountTags(movie, 20), 1);  // DefineBitsLossless
  EXPECT_EQ(CountTags(movie, 1), 1);   // ShowFrame
  EXPECT_EQ(CountTags(movie, 26), 1);  // PlaceObject2
  const kmv::Tag* bits = FindTag(movie, 20);
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bits->bitmap.format, 3);
  EXPECT_EQ(bits->bitmap.width, 640);
  EXPECT_EQ(bits->bitmap.height, 480);
  EXPECT_EQ(bits->bitmap.colorTableSize, 256u);
  ASSERT_EQ(bits->bitmap.inflated.size(), 256u * 3 + 640 * 480);
  // Table as red, green, blue.
  EXPECT_EQ(bits->bitmap.inflated[3 * 5], 35);
  EXPECT_EQ(bits->bitmap.inflated[3 * 5 + 1], 250);
  EXPECT_EQ(bits->bitmap.inflated[3 * 5 + 2], 5);
  EXPECT_TRUE(std::equal(expectedRows.begin(), expectedRows.end(),
                         bits->bitmap.inflated.begin() + 256 * 3));
  // The shape is filled with that bitmap.
  const kmv::Tag* shape = FindTag(movie, 32);
  ASSERT_NE(shape, nullptr);
  bool filled = false;
  for (const kmv::FillStyle& fill : shape->shape.fills)
    filled |= fill.type >= 0x40 && fill.type <= 0x43 && fill.bitmapId == bits->bitmap.id;
  EXPECT_TRUE(filled);
  std::remove(path.c_str());
}

TEST(IndexedPictureToMovie, PaddedRowsAndFillerColours) {
  Picture pic(13, 9, 5);
  const std::vector<uint8_t> expectedRows = pic.TopFirst();
  const std::string path = Temp("p13.kmv");
  IndexedPictureToMovie(pic.colors.data(), 5, 8, pic.rows.data(), pic.rowBytes, 13, 9, path.c_str(),
                        1.0f, 1.0f);
  const kmv::Movie movie = kmv::ReadFile(path);
  const kmv::Tag* bits = FindTag(movie, 20);
  ASSERT_NE(bits, nullptr);
  ASSERT_EQ(bits->bitmap.inflated.size(), 256u * 3 + 16 * 9);
  EXPECT_EQ(
      std::vector<uint8_t>(bits->bitmap.inflated.begin() + 256 * 3, bits->bitmap.inflated.end()),
      expectedRows);
  EXPECT_EQ(bits->bitmap.inflated[3 * 4 + 1], 251);
  for (size_t i = 3 * 5; i < 256 * 3; ++i) ASSERT_EQ(bits->bitmap.inflated[i], 0) << i;
  std::remove(path.c_str());
}

TEST(IndexedPictureToMovie, ScalesChangeTwipsOnly) {
  struct Case {
    float sx, sy;
    int32_t xmax, ymax;
  } cases[] = {{0.5f, 0.5f, 130, 90}, {2.0f, 2.0f, 520, 360}, {2.0f, 0.5f, 520, 90}};
  for (const Case& c : cases) {
    Picture pic(13, 9);
    const std::string path = Temp("scaled.kmv");
    IndexedPictureToMovie(pic.colors.data(), 256, 8, pic.rows.data(), pic.rowBytes, 13, 9,
                          path.c_str(), c.sx, c.sy);
    const kmv::Movie movie = kmv::ReadFile(path);
    EXPECT_EQ(movie.frame.xmax, c.xmax);
    EXPECT_EQ(movie.frame.ymax, c.ymax);
    const kmv::Tag* bits = FindTag(movie, 20);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits->bitmap.width, 13);
    EXPECT_EQ(bits->bitmap.height, 9);
    std::remove(path.c_str());
  }
}

TEST(IndexedPictureToMovie, OtherDepthsThrowAndWriteNothing) {
  Picture pic(4, 2);
  for (int bits : {1, 4, 24}) {
    const std::string path = Temp("deep.kmv");
    std::remove(path.c_str());
    try {
      IndexedPictureToMovie(pic.colors.data(), 0, bits, pic.rows.data(), pic.rowBytes, 4, 2,
                            path.c_str(), 1.0f, 1.0f);
      ADD_FAILURE() << bits << ": no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Bitmaps must be 8-bit.");
    }
    EXPECT_FALSE(Exists(path)) << bits;
  }
}

TEST(IndexedPictureToMovie, LargePictureGivesAValidMovie) {
  Picture pic(4000, 3000);
  const std::string path = Temp("large.kmv");
  IndexedPictureToMovie(pic.colors.data(), 256, 8, pic.rows.data(), pic.rowBytes, 4000, 3000,
                        path.c_str(), 1.0f, 1.0f);
  const kmv::Movie movie = kmv::ReadFile(path);
  EXPECT_EQ(movie.frame.xmax, 80000);
  EXPECT_EQ(movie.frame.ymax, 60000);
  const kmv::Tag* bits = FindTag(movie, 20);
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bits->bitmap.width, 4000);
  EXPECT_EQ(bits->bitmap.height, 3000);
  EXPECT_EQ(bits->bitmap.inflated.size(), 256u * 3 + 4000 * 3000);
  std::remove(path.c_str());
}

TEST(IndexedPictureToMovie, UnwritableMovieIsAnError) {
  Picture pic(4, 2);
  const std::string path = Temp("no-such-dir/x.kmv");
  EXPECT_THROW(IndexedPictureToMovie(pic.colors.data(), 256, 8, pic.rows.data(), pic.rowBytes, 4, 2,
                                     path.c_str(), 1.0f, 1.0f),
               std::runtime_error);
}

TEST(JpegToMovie, EmbedsTheFileByteForByte) {
  for (const char* name : {"f.jpg", "fprog.jpg", "f8.bmp"}) {
    SCOPED_TRACE(name);
    const std::string picture = kData + name;
    const std::vector<uint8_t> original = ReadAll(picture);
    ASSERT_FALSE(original.empty());
    const std::string path = Temp("jpeg.kmv");
    JpegToMovie(picture.c_str(), 32, 24, path.c_str(), 1.0f, 1.0f);
    const std::vector<uint8_t> file = ReadAll(path);
    const kmv::Movie movie = kmv::Read(file);
    EXPECT_EQ(movie.frame.xmax, 640);
    EXPECT_EQ(movie.frame.ymax, 480);
    const kmv::Tag* jpeg = FindTag(movie, 21);
    ASSERT_NE(jpeg, nullptr);
    ASSERT_EQ(jpeg->jpeg.dataSize, original.size());
    EXPECT_TRUE(std::equal(original.begin(), original.end(), file.begin() + jpeg->jpeg.dataOffset));
    std::remove(path.c_str());
  }
}

TEST(JpegToMovie, RejectedHeaderSizeZero) {
  const std::string path = Temp("zero.kmv");
  JpegToMovie((kData + "f8.bmp").c_str(), 0, 0, path.c_str(), 1.0f, 1.0f);
  const kmv::Movie movie = kmv::ReadFile(path);
  EXPECT_EQ(movie.frame.xmax, 0);
  EXPECT_EQ(movie.frame.ymax, 0);
  EXPECT_NE(FindTag(movie, 21), nullptr);
  std::remove(path.c_str());
}

TEST(JpegToMovie, AbsurdHeaderSizeCostsOnlyTheFile) {
  // The frame header claims 65500 x 65500 pixels; the movie embeds the
  // file's own bytes and never decodes them.
  std::vector<uint8_t> jpeg = ReadAll(kData + "f.jpg");
  bool patched = false;
  for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = jpeg[i + 7] = 0xFF;  // 65500, libjpeg's largest
      jpeg[i + 6] = jpeg[i + 8] = 0xDC;
      patched = true;
      break;
    }
  }
  ASSERT_TRUE(patched);
  const std::string picture = Temp("absurd.jpg");
  FILE* f = std::fopen(picture.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(jpeg.data(), 1, jpeg.size(), f);
  std::fclose(f);
  JpegHeaderInfo info{};
  ASSERT_EQ(ReadJpegHeaderInfo(picture.c_str(), 0, &info), kPictureOk);
  EXPECT_EQ(info.width, 65500u);
  const std::string path = Temp("absurd.kmv");
  std::remove(path.c_str());
  try {
    JpegToMovie(picture.c_str(), static_cast<int32_t>(info.width),
                static_cast<int32_t>(info.height), path.c_str(), 1.0f, 1.0f);
    const std::vector<uint8_t> file = ReadAll(path);
    // The movie holds the file and a few hundred bytes of tags, nothing
    // that grows with the claimed size.
    EXPECT_LT(file.size(), jpeg.size() + 1024);
    const kmv::Movie movie = kmv::Read(file);
    const kmv::Tag* tag = FindTag(movie, 21);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->jpeg.dataSize, jpeg.size());
  } catch (const std::runtime_error& e) {
    // A size the movie's fields cannot carry may be refused; then no file.
    EXPECT_FALSE(Exists(path)) << e.what();
  }
  std::remove(picture.c_str());
  std::remove(path.c_str());
}

TEST(JpegToMovie, MissingFile) {
  const std::string picture = kData + "no-such.jpg";
  const std::string path = Temp("missing.kmv");
  std::remove(path.c_str());
  try {
    JpegToMovie(picture.c_str(), 1, 1, path.c_str(), 1.0f, 1.0f);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Error opening file. " + picture);
  }
  EXPECT_FALSE(Exists(path));
}

}  // namespace
