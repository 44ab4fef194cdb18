#include "xlib/mm/PictureInfo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "xlib/mm/tests/BmpBytes.h"

namespace {

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/xlib/mm/tests/data/";

TEST(GetPictureKind, FromTheLastDot) {
  struct Case {
    const char* path;
    PictureKind expected;
  } cases[] = {
      {"C:\\pics\\photo.JPG", kPictureJpeg},
      {"photo.Jpeg", kPictureJpeg},
      {"photo.jpeg", kPictureJpeg},
      {"PHOTO.BMP", kPictureBmp},
      {"a.bmp", kPictureBmp},
      {"photo.jpe", kPictureUnknown},
      {"anim.gif", kPictureUnknown},
      {"C:\\no\\dot", kPictureUnknown},
      {"photo.bmp.jpg", kPictureJpeg},
      {"photo.jpg.bmp", kPictureBmp},
      {"C:\\my.jpg\\file", kPictureUnknown},
      {"photo.jpgx", kPictureUnknown},
      {"", kPictureUnknown},
      {".bmp", kPictureBmp},
  };
  for (const Case& c : cases) EXPECT_EQ(GetPictureKind(c.path), c.expected) << c.path;
}

TEST(PictureColorCount, ShiftTakenModulo32) {
  EXPECT_EQ(PictureColorCount(8), 256u);
  EXPECT_EQ(PictureColorCount(24), 16777216u);
  EXPECT_EQ(PictureColorCount(32), 1u);
  EXPECT_EQ(PictureColorCount(1), 2u);
}

TEST(ParseBmpHeaderInfo, CopiesTheFourFields) {
  bmptest::BmpFields f;
  f.width = 640;
  f.height = 480;
  f.bitCount = 8;
  f.compression = 1;
  const std::vector<uint8_t> bytes = bmptest::MakeBmp(f, 0, {});
  uint8_t head[54];
  std::memcpy(head, bytes.data(), 54);
  BmpHeaderInfo info{};
  ASSERT_TRUE(ParseBmpHeaderInfo(head, &info));
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_EQ(info.bitCount, 8u);
  EXPECT_EQ(info.compression, 1u);
  head[1] = 'A';
  BmpHeaderInfo untouched{};
  EXPECT_FALSE(ParseBmpHeaderInfo(head, &untouched));
  EXPECT_EQ(untouched.width, 0);
}

TEST(ReadJpegHeaderInfo, Fixtures) {
  struct Case {
    const char* file;
    int components;
    int colorSpace;
    const char* name;
    int progressive;
  } cases[] = {
      {"f.jpg", 3, 3, "YCC", 0},
      {"fgray.jpg", 1, 1, "Grayscale", 0},
      {"fprog.jpg", 3, 3, "YCC", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    JpegHeaderInfo info{};
    ASSERT_EQ(ReadJpegHeaderInfo((kData + c.file).c_str(), 0, &info), kPictureOk);
    EXPECT_EQ(info.width, 32u);
    EXPECT_EQ(info.height, 24u);
    EXPECT_EQ(info.components, c.components);
    EXPECT_EQ(info.colorSpace, c.colorSpace);
    EXPECT_STREQ(info.colorSpaceName, c.name);
    EXPECT_EQ(info.precision, 8);
    EXPECT_EQ(info.progressive, c.progressive);
    EXPECT_EQ(info.arithmetic, 0);
  }
  JpegHeaderInfo colour{}, gray{};
  ReadJpegHeaderInfo((kData + "f.jpg").c_str(), 0, &colour);
  ReadJpegHeaderInfo((kData + "fgray.jpg").c_str(), 0, &gray);
  EXPECT_EQ(PictureColorCount(colour.precision * colour.components), 16777216u);
  EXPECT_EQ(PictureColorCount(gray.precision * gray.components), 256u);
}

std::string TempPath(const char* name) {
  return testing::TempDir() + name;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

TEST(ReadJpegHeaderInfo, AtAnOffsetInsideALargerFile) {
  std::vector<uint8_t> bytes(100, 0x5A);
  const std::vector<uint8_t> jpeg = bmptest::ReadWholeFile(kData + "f.jpg");
  ASSERT_FALSE(jpeg.empty());
  bytes.insert(bytes.end(), jpeg.begin(), jpeg.end());
  const std::string path = TempPath("embedded_jpeg.bin");
  WriteFile(path, bytes);
  JpegHeaderInfo info{};
  EXPECT_EQ(ReadJpegHeaderInfo(path.c_str(), 100, &info), kPictureOk);
  EXPECT_EQ(info.width, 32u);
  JpegHeaderInfo wrong{};
  EXPECT_EQ(ReadJpegHeaderInfo(path.c_str(), 0, &wrong), kPictureErrorFormat);
  std::remove(path.c_str());
}

TEST(ReadJpegHeaderInfo, RejectedHeadersReturnWithoutEndingTheProcess) {
  const std::vector<uint8_t> jpeg = bmptest::ReadWholeFile(kData + "f.jpg");
  ASSERT_GT(jpeg.size(), 40u);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"a BMP", bmptest::MakeBmp(bmptest::BmpFields(), 0, std::vector<uint8_t>(8, 0))},
      {"empty", {}},
      {"cut in its header", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 30)},
      {"only the start mark", {0xFF, 0xD8}},
  };
  for (const Case& c : cases) {
    const std::string path = TempPath("rejected.jpg");
    WriteFile(path, c.bytes);
    JpegHeaderInfo info{};
    EXPECT_EQ(ReadJpegHeaderInfo(path.c_str(), 0, &info), kPictureErrorFormat) << c.what;
    EXPECT_EQ(info.width, 0u) << c.what;
    EXPECT_EQ(info.height, 0u) << c.what;
    std::remove(path.c_str());
  }
}

TEST(ReadJpegHeaderInfo, MissingFile) {
  JpegHeaderInfo info{};
  EXPECT_EQ(ReadJpegHeaderInfo((kData + "no-such-file.jpg").c_str(), 0, &info), kPictureErrorOpen);
}

}  // namespace
