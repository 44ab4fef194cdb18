// The picture readers and the command line of vrixhost gif-export.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "host/GifExportArgs.h"
#include "host/GifExportInput.h"

namespace {

using Bytes = std::vector<uint8_t>;
using vrixhost::InputImage;

void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A BMP of 3 x 2 pixels: top row red, green, blue; bottom row white, black,
// grey (asymmetric both ways). height < 0 makes it top-down.
Bytes Bmp(int bits, int height = 2, uint32_t compression = 0, uint8_t alpha = 0) {
  const int w = 3, h = height < 0 ? -height : height;
  const int stride = ((w * bits + 31) / 32) * 4;
  const uint32_t colors = bits == 8 ? 6 : 0;
  const size_t offset = 54 + (compression == 3 ? 12 : 0) + colors * 4;
  Bytes b(offset + size_t(stride) * h, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 2, uint32_t(b.size()));
  Put32(b, 10, uint32_t(offset));
  Put32(b, 14, 40);
  Put32(b, 18, w);
  Put32(b, 22, uint32_t(height));
  b[26] = 1, b[28] = uint8_t(bits);
  Put32(b, 30, compression);
  Put32(b, 46, colors);
  if (compression == 3) {
    Put32(b, 54, 0x00FF0000);
    Put32(b, 58, 0x0000FF00);
    Put32(b, 62, 0x000000FF);
  }
  const uint32_t rgb[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0x808080}};
  for (uint32_t i = 0; i < colors; ++i) {  // colour table, B G R x
    const uint32_t c = rgb[i / 3][i % 3];
    b[54 + i * 4] = uint8_t(c), b[55 + i * 4] = uint8_t(c >> 8), b[56 + i * 4] = uint8_t(c >> 16);
  }
  for (int y = 0; y < h; ++y) {
    const int fileRow = height < 0 ? y : h - 1 - y;
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &b[offset + size_t(fileRow) * stride + size_t(x) * (bits / 8)];
      const uint32_t c = rgb[y][x];
      if (bits == 8) {
        p[0] = uint8_t(y * 3 + x);
      } else {
        p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
        if (bits == 32) p[3] = alpha;
      }
    }
  }
  return b;
}

const Bytes kRgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};

Bytes WithAlpha(const Bytes& rgb, uint8_t a) {
  Bytes out;
  for (size_t i = 0; i < rgb.size(); i += 3)
    out.insert(out.end(), {rgb[i], rgb[i + 1], rgb[i + 2], a});
  return out;
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

TEST(GifExportInput, ReadsEveryKind) {
  struct Case {
    const char* name;
    Bytes file;
    uint32_t kind;
    Bytes pixels;
  } cases[] = {
      {"bmp 24 bottom-up", Bmp(24), VX_PIXEL_RGB24, kRgb},
      {"bmp 24 top-down", Bmp(24, -2), VX_PIXEL_RGB24, kRgb},
      {"bmp 32 without alpha is opaque", Bmp(32), VX_PIXEL_RGBA32, WithAlpha(kRgb, 255)},
      {"bmp 32 with alpha", Bmp(32, 2, 0, 7), VX_PIXEL_RGBA32, WithAlpha(kRgb, 7)},
      {"bmp 32 bitfields", Bmp(32, 2, 3, 9), VX_PIXEL_RGBA32, WithAlpha(kRgb, 9)},
      {"bmp 8", Bmp(8), VX_PIXEL_INDEX8, {0, 1, 2, 3, 4, 5}},
  };
  Bytes ppm = Text("P6\n# a comment\n3 2\n255\n");
  ppm.insert(ppm.end(), kRgb.begin(), kRgb.end());
  Bytes pam = Text("P7\nWIDTH 3\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n");
  const Bytes rgba = WithAlpha(kRgb, 0);
  pam.insert(pam.end(), rgba.begin(), rgba.end());
  for (const Case& c : cases) {
    InputImage image;
    std::string error;
    ASSERT_TRUE(vrixhost::DecodeInputImage(c.file, &image, &error)) << c.name << ": " << error;
    EXPECT_EQ(image.width, 3u) << c.name;
    EXPECT_EQ(image.height, 2u) << c.name;
    EXPECT_EQ(image.kind, c.kind) << c.name;
    EXPECT_EQ(image.pixels, c.pixels) << c.name;
  }
  InputImage image;
  std::string error;
  ASSERT_TRUE(vrixhost::DecodeInputImage(ppm, &image, &error)) << error;
  EXPECT_EQ(image.pixels, kRgb);
  ASSERT_TRUE(vrixhost::DecodeInputImage(pam, &image, &error)) << error;
  EXPECT_EQ(image.kind, uint32_t(VX_PIXEL_RGBA32));
  EXPECT_EQ(image.pixels, rgba);  // PAM alpha is taken as it is
}

TEST(GifExportInput, EightBitKeepsItsColourTable) {
  InputImage image;
  std::string error;
  ASSERT_TRUE(vrixhost::DecodeInputImage(Bmp(8), &image, &error)) << error;
  ASSERT_EQ(image.palette.size(), 256u);
  EXPECT_EQ(image.palette[0].red, 0xFFFF);
  EXPECT_EQ(image.palette[0].blue, 0);
  EXPECT_EQ(image.palette[2].blue, 0xFFFF);
  EXPECT_EQ(image.palette[5].green, 0x8080);
  EXPECT_EQ(image.palette[6].red, 0);  // beyond the table: black
}

TEST(GifExportInput, RefusesBadFilesWithAReason) {
  Bytes truncated = Bmp(24);
  truncated.resize(truncated.size() - 1);
  Bytes depth4 = Bmp(24);
  depth4[28] = 4;
  Bytes rle = Bmp(8);
  rle[30] = 1;
  Bytes huge = Bmp(24);
  Put32(huge, 18, 70000);
  Bytes ppm16 = Text("P6 3 2 65535\n");
  ppm16.resize(ppm16.size() + 36);
  Bytes shortPpm = Text("P6 3 2 255\n");
  shortPpm.resize(shortPpm.size() + 17);
  struct Case {
    const char* name;
    Bytes file;
    const char* reason;
  } cases[] = {
      {"truncated", truncated, "truncated"},
      {"4-bit", depth4, "unsupported BMP depth"},
      {"RLE", rle, "compressed"},
      {"huge", huge, "too large"},
      {"16-bit PPM", ppm16, "maxval 255"},
      {"short PPM", shortPpm, "truncated"},
      {"PNG", Bytes{0x89, 'P', 'N', 'G'}, "unsupported picture format"},
      {"empty", Bytes{}, "unsupported picture format"},
  };
  for (const Case& c : cases) {
    InputImage image;
    std::string error;
    EXPECT_FALSE(vrixhost::DecodeInputImage(c.file, &image, &error)) << c.name;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
  }
}

// A file of `size` bytes that starts with head; the rest is a hole, so a
// file of hundreds of megabytes costs no disk.
std::string SparseFile(const char* name, const Bytes& head, uint64_t size) {
  const std::string path = testing::TempDir() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return "";
  std::fwrite(head.data(), 1, head.size(), f);
#ifdef _WIN32
  _fseeki64(f, static_cast<int64_t>(size - 1), SEEK_SET);
#else
  fseeko(f, static_cast<off_t>(size - 1), SEEK_SET);
#endif
  std::fputc(0, f);
  std::fclose(f);
  return path;
}

// The most memory this process has held so far, in KiB; 0 where unknown.
long PeakKiB() {
#ifdef _WIN32
  return 0;
#else
  rusage usage;
  return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
#endif
}

// A 10000 x 10000 picture is refused by what its header says, before its
// 300 MB are read; a long file with a small picture by its length.
TEST(GifExportInput, HugeFilesAreRefusedBeforeTheyAreRead) {
  Bytes bmp = Bmp(24);
  Put32(bmp, 18, 10000);
  Put32(bmp, 22, 10000);
  Bytes ppm = Text("P6\n10000 10000\n255\n");
  Bytes smallPpm = Text("P6\n3 2\n255\n");
  struct Case {
    const char* name;
    Bytes head;
    uint64_t size;
    const char* reason;
  } cases[] = {
      {"huge.bmp", bmp, 54 + 300000000ull,
       "the picture is too large: 10000 x 10000 pixels, more than 65535 a side or 67108864 in all"},
      {"huge.ppm", ppm, ppm.size() + 300000000ull,
       "the picture is too large: 10000 x 10000 pixels, more than 65535 a side or 67108864 in all"},
      {"long.ppm", smallPpm, 300000000ull,
       "the file is too large: 300000000 bytes, more than the 269484032 that the largest picture "
       "accepted needs"},
  };
  for (const Case& c : cases) {
    const std::string path = SparseFile(c.name, c.head, c.size);
    ASSERT_FALSE(path.empty()) << c.name;
    const long before = PeakKiB();
    InputImage image;
    std::string error;
    EXPECT_FALSE(vrixhost::ReadInputImage(path, &image, &error)) << c.name;
    EXPECT_EQ(error, "\"" + path + "\": " + c.reason) << c.name;
    // Reading the file would have taken over 256 MiB.
    EXPECT_LT(PeakKiB() - before, 32 * 1024) << c.name;
    std::remove(path.c_str());
  }
}

TEST(GifExportInput, ReadsAFileWhole) {
  const std::string path = testing::TempDir() + "whole.bmp";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const Bytes bmp = Bmp(24);
  std::fwrite(bmp.data(), 1, bmp.size(), f);
  std::fclose(f);
  InputImage image;
  std::string error;
  ASSERT_TRUE(vrixhost::ReadInputImage(path, &image, &error)) << error;
  EXPECT_EQ(image.pixels, kRgb);
  std::remove(path.c_str());
  EXPECT_FALSE(vrixhost::ReadInputImage(path, &image, &error));
  EXPECT_EQ(error, "cannot open \"" + path + "\"");
}

bool Parse(std::vector<std::string> args, vrixhost::GifExportRequest* r, std::string* error) {
  args.insert(args.begin(), "gif-export");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  return vrixhost::ParseGifExportArgs(int(argv.size()), argv.data(), r, error);
}

TEST(GifExportArgs, OptionsTable) {
  vrixhost::GifExportRequest r;
  std::string error;
  ASSERT_TRUE(Parse({"in.bmp", "out.gif"}, &r, &error)) << error;
  EXPECT_EQ(r.paletteChoice, 0);
  EXPECT_FALSE(r.animation);
  EXPECT_EQ(r.framesPerSecond, 5);
  EXPECT_FALSE(r.adaptivePalette);
  ASSERT_TRUE(Parse({"--adaptive", "--dither", "in.bmp", "out.gif"}, &r, &error)) << error;
  EXPECT_TRUE(r.adaptivePalette && r.dither);
  EXPECT_EQ(r.paletteChoice, 0);

  ASSERT_TRUE(Parse({"--interlace", "--dither", "--transparent=12", "--palette=3-3-2", "--append",
                     "--fps=30", "--x=4", "--y=5", "a.ppm", "b.gif"},
                    &r, &error))
      << error;
  EXPECT_TRUE(r.interlaced && r.dither && r.transparent && r.hasTransparentIndex);
  EXPECT_EQ(r.transparentIndex, 12);
  EXPECT_EQ(r.paletteChoice, 7);
  EXPECT_TRUE(r.animation);
  EXPECT_FALSE(r.initialFrame);
  EXPECT_EQ(r.framesPerSecond, 30);
  EXPECT_EQ(r.xOffset, 4);
  EXPECT_EQ(r.yOffset, 5);
  EXPECT_EQ(r.input, "a.ppm");
  EXPECT_EQ(r.output, "b.gif");

  ASSERT_TRUE(Parse({"--animate", "--palette=mac", "a", "b"}, &r, &error));
  EXPECT_TRUE(r.animation && r.initialFrame);
  EXPECT_EQ(r.paletteChoice, 5);

  // A value that names no built-in palette is a palette file.
  ASSERT_TRUE(Parse({"--palette=C:\\pal\\ramp.act", "a", "b"}, &r, &error));
  EXPECT_EQ(r.paletteChoice, vrixhost::kFirstPaletteFileChoice);
  EXPECT_EQ(r.paletteFile, "C:\\pal\\ramp.act");
  ASSERT_TRUE(Parse({"--palette=16", "a", "b"}, &r, &error));
  EXPECT_EQ(r.paletteChoice, 4);
  EXPECT_TRUE(r.paletteFile.empty());

  ASSERT_TRUE(Parse({"--options=opts.txt", "--animate", "--fps=3", "a", "b"}, &r, &error));
  EXPECT_EQ(r.optionsFile, "opts.txt");
  EXPECT_TRUE(r.animation);

  const std::vector<std::vector<std::string>> bad = {
      {"only-one"},
      {"a", "b", "c"},
      {"--palette=", "a", "b"},
      {"--options=", "a", "b"},
      {"--options=o.txt", "--dither", "a", "b"},
      {"--transparent=3", "--options=o.txt", "a", "b"},
      {"--options=o.txt", "--palette=web", "a", "b"},
      {"--options=o.txt", "--adaptive", "a", "b"},
      {"--fps=0", "a", "b"},
      {"--transparent=256", "a", "b"},
      {"--x=-1", "a", "b"},
      {"--bogus", "a", "b"},
      {"--animate", "--append", "a", "b"},
      {"--fps=1x", "a", "b"},
  };
  for (const auto& args : bad) {
    error.clear();
    EXPECT_FALSE(Parse(args, &r, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

// The names the options dialog shows and the short ones, in any case and
// with or without blanks; anything else is left to be a palette file.
TEST(GifExportArgs, PaletteNamesAsTheDialogShowsThem) {
  const struct {
    const char* value;
    int32_t choice;  // -1: no built-in palette
  } cases[] = {
      {"Exact Palette", 0},
      {"exact", 0},
      {"EXACT", 0},
      {"Web", 1},
      {"WEB", 1},
      {"64 Colors", 2},
      {"64-colors", 2},
      {"64", 2},
      {"32 colors", 3},
      {"16_Colors", 4},
      {"Macintosh System", 5},
      {"macintoshsystem", 5},
      {"Mac", 5},
      {"windows system", 6},
      {"Windows", 6},
      {"3-3-2", 7},
      {"332", 7},
      {"webb", -1},
      {"64 Colours", -1},
      {"ramp.act", -1},
      {"", -1},
  };
  for (const auto& c : cases) {
    int32_t choice = -1;
    EXPECT_EQ(c.choice >= 0, vrixhost::BuiltinPaletteChoice(c.value, &choice)) << c.value;
    if (c.choice >= 0) {
      EXPECT_EQ(c.choice, choice) << c.value;
    }
  }
  vrixhost::GifExportRequest r;
  std::string error;
  ASSERT_TRUE(Parse({"--palette=Macintosh System", "a", "b"}, &r, &error)) << error;
  EXPECT_EQ(r.paletteChoice, 5);
  EXPECT_TRUE(r.paletteFile.empty());
  ASSERT_TRUE(Parse({"--palette=Webb", "a", "b"}, &r, &error)) << error;
  EXPECT_EQ(r.paletteChoice, vrixhost::kFirstPaletteFileChoice);
  EXPECT_EQ(r.paletteFile, "Webb");

  EXPECT_EQ(vrixhost::BuiltinPaletteNames(),
            "\"Exact Palette\" (exact), \"Web\", \"64 Colors\" (64), \"32 Colors\" (32), "
            "\"16 Colors\" (16), \"Macintosh System\" (mac), \"Windows System\" (windows), "
            "\"3-3-2\"");
  EXPECT_FALSE(vrixhost::NamesAPaletteFile("Webb"));
  EXPECT_TRUE(vrixhost::NamesAPaletteFile("ramp.act"));
  EXPECT_TRUE(vrixhost::NamesAPaletteFile("pal\\ramp"));
  EXPECT_TRUE(vrixhost::NamesAPaletteFile("C:ramp"));
}

}  // namespace
