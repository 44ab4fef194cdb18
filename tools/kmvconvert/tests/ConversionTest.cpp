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
#include "tools/kmvconvert/PictureCheck.h"
#include "tools/kmvconvert/PictureFile.h"
#ifdef _WIN32
#include "moviewriter/convert/PictureToMovie.h"
#endif

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kData = SOMNEL_SOURCE_DIR "/xlib/mm/tests/data/";
const std::string kRefusals = SOMNEL_SOURCE_DIR "/tools/kmvconvert/tests/data/";
const std::string kSuite = SOMNEL_TESTDATA_DIR "/bmpsuite/";

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
  const Bytes v5 = ReadAll(kData + "f8rle-v5.bmp");
  const Bytes v5cut(v5.begin(), v5.begin() + 100);  // inside the 124-byte header
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
       "its pixels are stored as bit fields (compression 3), which the saver cannot read"},
      {"os2.bmp", ReadAll(kSuite + "g/pal8os2.bmp"),
       "it has an OS/2 1.x header (12 bytes), which the saver cannot read; save it as a Windows "
       "BMP"},
      {"os2v2.bmp", ReadAll(kSuite + "q/pal8os2v2.bmp"),
       "it has an OS/2 2.x header (64 bytes), which the saver cannot read"},
      {"header66.bmp", ReadAll(kSuite + "b/badheadersize.bmp"),
       "its information header is 66 bytes long, a size no Windows version defines (40, 52, 56, "
       "108 and 124 are)"},
      {"v5cut.bmp", v5cut, "the BMP is cut short, its headers end after 100 bytes"},
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

// What the conversion would take without complaint but turn into a movie
// nothing can show is refused before it, naming the file and why; what it
// takes rightly, or refuses itself, passes the check.
TEST_F(ConversionTest, CheckBeforeConversionRefusesWhatNothingCouldShow) {
  struct Case {
    std::string picture;
    float scaleX, scaleY;
    const char* expected;  // part of the reason; empty: no problem
  } cases[] = {
      {kRefusals + "bmp-named.jpg", 1, 1,
       "its name says JPEG, but its JPEG header cannot be read. The file looks like a BMP: name "
       "it .bmp"},
      {kRefusals + "text-named.jpg", 1, 1,
       "its JPEG header cannot be read. The file looks like text, which cannot be converted"},
      {kRefusals + "empty.jpg", 1, 1, "cannot be converted: the file is empty"},
      {kRefusals + "empty.bmp", 1, 1, "cannot be converted: the file is empty"},
      {kRefusals + "cut-after-2.jpg", 1, 1,
       "its JPEG header cannot be read: the JPEG is cut short: it ends after 2 bytes, before its "
       "frame header"},
      {kRefusals + "cut-in-header.jpg", 1, 1,
       "the JPEG is cut short: it ends after 164 bytes, before its picture data starts"},
      {kRefusals + "cmyk.jpg", 1, 1, "JPEG with 4 components, which a movie player cannot draw"},
      {kRefusals + "prec12.jpg", 1, 1,
       "its samples have 12 bits, and a movie player draws only JPEGs of 8 bits a sample"},
      {kRefusals + "arith.jpg", 1, 1, "it is arithmetic-coded, which a movie player cannot draw"},
      {kRefusals + "nopixels.bmp", 1, 1,
       "the BMP is cut short: its 8 x 8 pixels take 64 bytes after the colour table, and the "
       "file holds 0"},
      {kRefusals + "offset.bmp", 1, 1,
       "the BMP is damaged: its file header puts the pixels at byte 4294967295, past the file's "
       "end (234 bytes)"},
      {kData + "f8.bmp", 0.001f, 0.001f,
       "its 13 x 9 pixels at --scale 0.001 0.001 make a movie of 0 x 0 twips, which shows "
       "nothing"},
      {kData + "f.jpg", 0.001f, 1, "make a movie of 0 x 480 twips"},
      {kData + "f8.bmp", 1, 1, ""},
      {kData + "f8.bmp", 0.004f, 0.006f, ""},  // 1 x 1 twip
      {kData + "f8rle.bmp", 1, 1, ""},
      {kData + "f8rle-v5.bmp", 1, 1, ""},
      {kData + "f.jpg", 1, 1, ""},
      {kData + "fgray.jpg", 1, 1, ""},
      {kData + "fprog.jpg", 1, 1, ""},
      // Left to the conversion, which refuses them with its own words.
      {kData + "f24.bmp", 1, 1, ""},
      {kData + "missing.jpg", 1, 1, ""},
      {kRefusals + "bmp-named.jpg.png", 1, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    const ConversionProblem problem =
        CheckPictureBeforeConversion(c.picture.c_str(), c.scaleX, c.scaleY);
    if (*c.expected == '\0') {
      EXPECT_EQ(problem.reason, "");
      continue;
    }
    EXPECT_EQ(problem.file, c.picture);
    EXPECT_EQ(problem.reason.rfind("cannot be converted: ", 0), 0u) << problem.reason;
    EXPECT_NE(problem.reason.find(c.expected), std::string::npos)
        << "expected: " << c.expected << "\n  got: " << problem.reason;
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
  for (const char* name :
       {"f8.bmp", "f8rle.bmp", "f8rle-v5.bmp", "f.jpg", "fgray.jpg", "fprog.jpg"}) {
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
