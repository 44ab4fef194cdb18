// The whole conversion as the saver runs it: picture information, reading
// the user's file, writing the movie.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "moviewriter/KmvReader.h"
#include "moviewriter/convert/PictureToMovie.h"
#include "xlib/mm/tests/BmpBytes.h"
#include "xlib/mm/xdib.h"

namespace {

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/xlib/mm/tests/data/";

std::string TempDir() {
  char buf[MAX_PATH];
  GetTempPathA(MAX_PATH, buf);
  return buf;
}

std::string CopyToTemp(const char* from, const char* to) {
  const std::string path = TempDir() + to;
  EXPECT_TRUE(CopyFileA((kData + from).c_str(), path.c_str(), FALSE)) << from;
  return path;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

const kmv::Tag* FindTag(const kmv::Movie& movie, uint16_t code) {
  for (const kmv::Tag& t : movie.tags)
    if (t.code == code) return &t;
  return nullptr;
}

// The inflated rows of the movie's lossless bitmap.
std::vector<uint8_t> MovieRows(const std::string& path) {
  const kmv::Movie movie = kmv::ReadFile(path);
  const kmv::Tag* bits = FindTag(movie, 20);
  if (!bits) return {};
  return std::vector<uint8_t>(bits->bitmap.inflated.begin() + 3 * bits->bitmap.colorTableSize,
                              bits->bitmap.inflated.end());
}

std::string Message(const std::string& picture, const std::string& movie) {
  try {
    ConvertPictureToMovie(picture.c_str(), movie.c_str(), 1.0f, 1.0f);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "(no exception)";
}

TEST(ConvertPictureToMovie, EightBitBmpAndItsRunLengthTwin) {
  const std::string plain = CopyToTemp("f8.bmp", "conv_f8.bmp");
  const std::string rle = CopyToTemp("f8rle.bmp", "conv_f8rle.bmp");
  const std::string moviePlain = TempDir() + "conv_f8.kmv";
  const std::string movieRle = TempDir() + "conv_f8rle.kmv";
  ConvertPictureToMovie(plain.c_str(), moviePlain.c_str(), 1.0f, 1.0f);
  ConvertPictureToMovie(rle.c_str(), movieRle.c_str(), 1.0f, 1.0f);

  const kmv::Movie movie = kmv::ReadFile(moviePlain);
  EXPECT_EQ(movie.frame.xmax, 13 * 20);
  EXPECT_EQ(movie.frame.ymax, 9 * 20);
  const kmv::Tag* bits = FindTag(movie, 20);
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bits->bitmap.colorTableSize, 256u);
  // The top row of the F picture is all background (index 1): red 200,
  // green 30, blue 10 in the table; its bottom row counts 4, 5, 6, 7, 8.
  EXPECT_EQ(bits->bitmap.inflated[3], 200);
  EXPECT_EQ(bits->bitmap.inflated[4], 30);
  EXPECT_EQ(bits->bitmap.inflated[5], 10);
  const std::vector<uint8_t> rows = MovieRows(moviePlain);
  ASSERT_EQ(rows.size(), 16u * 9);
  EXPECT_EQ(rows[0], 1);
  EXPECT_EQ(rows[8 * 16 + 0], 4);
  EXPECT_EQ(rows[8 * 16 + 1], 5);
  EXPECT_EQ(rows[1 * 16 + 2], 2);  // the stem starts on the second row
  EXPECT_EQ(MovieRows(movieRle), rows);
  for (const std::string& p : {plain, rle, moviePlain, movieRle}) DeleteFileA(p.c_str());
}

TEST(ConvertPictureToMovie, JpegIsEmbeddedWithItsHeaderSize) {
  const std::string picture = CopyToTemp("f.jpg", "conv_f.JPG");
  const std::string moviePath = TempDir() + "conv_f.kmv";
  ConvertPictureToMovie(picture.c_str(), moviePath.c_str(), 2.0f, 0.5f);
  const kmv::Movie movie = kmv::ReadFile(moviePath);
  EXPECT_EQ(movie.frame.xmax, 32 * 40);
  EXPECT_EQ(movie.frame.ymax, 24 * 10);
  const kmv::Tag* jpeg = FindTag(movie, 21);
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->jpeg.dataSize, bmptest::ReadWholeFile(picture).size());
  DeleteFileA(picture.c_str());
  DeleteFileA(moviePath.c_str());
}

TEST(ConvertPictureToMovie, BmpNamedJpegIsEmbeddedAsGiven) {
  const std::string picture = CopyToTemp("f8.bmp", "conv_picture.jpeg");
  const std::string moviePath = TempDir() + "conv_picture.kmv";
  ConvertPictureToMovie(picture.c_str(), moviePath.c_str(), 1.0f, 1.0f);
  const std::vector<uint8_t> original = bmptest::ReadWholeFile(picture);
  const std::vector<uint8_t> file = bmptest::ReadWholeFile(moviePath);
  const kmv::Movie movie = kmv::Read(file);
  EXPECT_EQ(movie.frame.xmax, 0);
  const kmv::Tag* jpeg = FindTag(movie, 21);
  ASSERT_NE(jpeg, nullptr);
  ASSERT_EQ(jpeg->jpeg.dataSize, original.size());
  EXPECT_TRUE(std::equal(original.begin(), original.end(), file.begin() + jpeg->jpeg.dataOffset));
  DeleteFileA(picture.c_str());
  DeleteFileA(moviePath.c_str());
}

TEST(ConvertPictureToMovie, FailuresAndTheirTexts) {
  const std::string deep = CopyToTemp("f24.bmp", "conv_f24.bmp");
  const std::string four = CopyToTemp("f4rle.bmp", "conv_f4rle.bmp");
  const std::string gif = CopyToTemp("f8.bmp", "conv_f8.gif");
  const std::string badSignature = CopyToTemp("f.jpg", "conv_notbmp.bmp");
  const std::string missing = TempDir() + "conv_missing.jpg";
  struct Case {
    std::string picture;
    std::string text;
  } cases[] = {
      {deep, "Bitmaps must be 8-bit."},
      {four, "Bitmaps must be 8-bit."},
      {gif, "Uknown file type. " + gif},
      {missing, "Uknown file type. " + missing},
      {badSignature, "<unknown error: 134217738>"},
  };
  for (const Case& c : cases) {
    const std::string moviePath = TempDir() + "conv_failed.kmv";
    DeleteFileA(moviePath.c_str());
    EXPECT_EQ(Message(c.picture, moviePath), c.text) << c.picture;
    EXPECT_FALSE(Exists(moviePath)) << c.picture;
  }
  for (const std::string& p : {deep, four, gif, badSignature}) DeleteFileA(p.c_str());
}

TEST(ConvertPictureToMovie, DamagedRunLengthDataThrowsTheClassLibraryText) {
  std::vector<uint8_t> bytes = bmptest::ReadWholeFile(kData + "f8rle.bmp");
  bytes.resize(bytes.size() - 2);
  const std::string picture = TempDir() + "conv_cut.bmp";
  FILE* f = std::fopen(picture.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  const std::string moviePath = TempDir() + "conv_cut.kmv";
  EXPECT_EQ(Message(picture, moviePath), "<unknown error: 134217738>");
  EXPECT_FALSE(Exists(moviePath));
  DeleteFileA(picture.c_str());
}

}  // namespace
