// The conversion kmvconvert runs where the saver's is not built, and the
// explanation it gives when a picture cannot be converted. Every case is
// first refused by the real conversion; on Windows the saver's conversion
// is run beside it and must answer the same, to the byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/kmvconvert/ConversionProblem.h"
#include "tools/kmvconvert/PictureFile.h"
#ifdef _WIN32
#include "moviewriter/convert/PictureToMovie.h"
#endif

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kData = SOMNEL_SOURCE_DIR "/xlib/mm/tests/data/";

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
  return std::ifstream(path).good();
}

// The text the conversion throws, "" when it succeeds.
std::string Refusal(void (*convert)(const char*, const char*, float, float),
                    const std::string& picture, const std::string& movie) {
  try {
    convert(picture.c_str(), movie.c_str(), 1.0f, 1.0f);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

class ConversionTest : public testing::Test {
 protected:
  void SetUp() override {
    dir = testing::TempDir() + "kmvconvert-" +
          testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    std::remove((dir + "out.kmv").c_str());
#ifdef _WIN32
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "a.folder").c_str(), nullptr);
    CreateDirectoryA((dir + "dir.v2").c_str(), nullptr);
#else
    std::system(("mkdir -p '" + dir + "a.folder' '" + dir + "dir.v2'").c_str());
#endif
  }
  std::string dir;
};

TEST_F(ConversionTest, RefusalsAreExplainedNamingTheFileAndWhy) {
  const Bytes bmp8 = ReadAll(kData + "f8.bmp");
  ASSERT_GT(bmp8.size(), 200u);
  Bytes bitfields = bmp8;
  bitfields[30] = 3;  // compression BI_BITFIELDS
  Bytes noWidth = bmp8;
  noWidth[18] = noWidth[19] = noWidth[20] = noWidth[21] = 0;
  const Bytes cut(bmp8.begin(), bmp8.begin() + 70);  // in the colour table
  const Bytes headerOnly(bmp8.begin(), bmp8.begin() + 30);
  const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
  const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};

  struct Case {
    const char* name;  // created from contents unless empty
    Bytes contents;
    const char* expected;  // part of the reason
  } cases[] = {
      {"missing.bmp", {}, "cannot be converted: the picture does not exist"},
      {"a.folder", {}, "cannot be converted: the picture is a folder, not a file"},
      {"bmp.png", bmp8,
       "the kind of picture is told from the file's extension, and \".png\" is not one that is "
       "known; known are .bmp (an 8-bit BMP), .jpg or .jpeg (a JPEG). The file looks like a "
       "BMP: name it .bmp"},
      {"jpegfile", ReadAll(kData + "f.jpg"),
       "and the file's name has none; known are .bmp (an 8-bit BMP), .jpg or .jpeg (a JPEG). "
       "The file looks like a JPEG: name it .jpg"},
      {"dir.v2/picture", png, "the file's name has none"},
      {"picture.png", png, "The file looks like a PNG, which cannot be converted"},
      {"gif.bmp", gif,
       "its name says BMP, but it does not start with \"BM\" as a BMP does (it "
       "looks like a GIF)"},
      {"f24.bmp", ReadAll(kData + "f24.bmp"),
       "it has 24 bits a pixel, and only BMPs of 8 bits a pixel (256 colours) can be converted"},
      {"f4.bmp", ReadAll(kData + "f4.bmp"), "it has 4 bits a pixel"},
      {"pal1.bmp", ReadAll(SOMNEL_TESTDATA_DIR "/bmpsuite/g/pal1.bmp"),
       "it has 1 bit a pixel, and only BMPs of 8 bits a pixel"},
      {"cut.bmp", cut, "the BMP is cut short, it ends before its colour table or pixels do"},
      {"header.bmp", headerOnly, "the BMP is cut short, its headers end after 30 bytes"},
      {"fields.bmp", bitfields,
       "the BMP is compressed in a way that is not supported (compression 3; uncompressed and "
       "RLE8 are)"},
      {"nowidth.bmp", noWidth, "the BMP is damaged: its header (0 x 9 pixels)"},
  };
  for (const Case& c : cases) {
    const std::string picture = dir + c.name;
    const std::string movie = dir + "out.kmv";
    if (!c.contents.empty()) WriteAll(picture, c.contents);
    const std::string text = Refusal(ConvertPictureFile, picture, movie);
    ASSERT_NE(text, "") << c.name << " was converted";
    EXPECT_FALSE(Exists(movie)) << c.name;
#ifdef _WIN32
    EXPECT_EQ(Refusal(ConvertPictureToMovie, picture, movie), text) << c.name;
    EXPECT_FALSE(Exists(movie)) << c.name;
#endif
    const ConversionProblem problem =
        ExplainConversionFailure(picture.c_str(), movie.c_str(), text, false);
    EXPECT_EQ(problem.file, picture) << c.name;
    EXPECT_NE(problem.reason.find(c.expected), std::string::npos)
        << c.name << "\n  expected: " << c.expected << "\n  got: " << problem.reason;
    EXPECT_EQ(problem.reason.rfind("cannot be converted: ", 0), 0u) << problem.reason;
  }
}

TEST_F(ConversionTest, AMovieThatCannotBeWrittenIsNamed) {
  const std::string picture = kData + "f8.bmp";
  const std::string movie = dir + "no-such-folder/out.kmv";
  const std::string text = Refusal(ConvertPictureFile, picture, movie);
  EXPECT_EQ(text, "Error writing file. " + movie);
  const ConversionProblem problem =
      ExplainConversionFailure(picture.c_str(), movie.c_str(), text, false);
  EXPECT_EQ(problem.file, movie);
  EXPECT_EQ(problem.reason,
            "cannot be written: its folder " + dir + "no-such-folder does not exist");
}

TEST_F(ConversionTest, AHiddenPictureIsSaidToBePassedOver) {
  const std::string picture = kData + "f8.bmp";
  EXPECT_EQ(
      ExplainConversionFailure(picture.c_str(), "out.kmv", "Uknown file type. x", true).reason,
      "cannot be converted: it is a hidden file, and hidden pictures are passed over");
}

// Good pictures make the same movies as the saver's conversion (on Windows)
// and movies that start as KMV movies do (everywhere).
TEST_F(ConversionTest, PicturesBecomeMovies) {
  // The writer numbers definitions from 1 again after each movie it writes;
  // a movie it could not start leaves the count where it was.
  ASSERT_EQ(Refusal(ConvertPictureFile, kData + "f8.bmp", dir + "first.kmv"), "");
  for (const char* name : {"f8.bmp", "f8rle.bmp", "f.jpg", "fgray.jpg", "fprog.jpg"}) {
    const std::string movie = dir + "out.kmv";
    ASSERT_EQ(Refusal(ConvertPictureFile, kData + name, movie), "") << name;
    const Bytes made = ReadAll(movie);
    ASSERT_GE(made.size(), 8u) << name;
    EXPECT_EQ(std::string(made.begin(), made.begin() + 3), "VMK") << name;
#ifdef _WIN32
    const std::string saverMovie = dir + "saver.kmv";
    ASSERT_EQ(Refusal(ConvertPictureToMovie, kData + name, saverMovie), "") << name;
    EXPECT_EQ(ReadAll(saverMovie), made) << name;
#endif
  }
}

}  // namespace
