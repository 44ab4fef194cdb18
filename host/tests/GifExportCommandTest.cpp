// vrixhost gif-export run as a program: outputs that are inputs, palette
// files of the newer ACT form, and failures said in words.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "plugin/gifwriter/encoder/tests/GifReader.h"
#include "saver/tests/WinTestUtil.h"

namespace {

using wintest::Bytes;
using wintest::ScratchDir;

struct ExportRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;  // standard output and error, without carriage returns
};

class GifExportCommand : public testing::Test {
 protected:
  ScratchDir dir;
  std::string bmp = dir / "in.bmp";
  Bytes bmpBytes;

  void SetUp() override {
    bmpBytes = Bmp24(5, 3);
    ASSERT_TRUE(wintest::WriteFileBytes(bmp, bmpBytes));
  }

  // A bottom-up 24-bit BMP, no two neighbouring pixels alike.
  static Bytes Bmp24(int w, int h) {
    const int stride = (w * 3 + 3) & ~3;
    Bytes b(54 + size_t(stride) * h, 0);
    auto put32 = [&b](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    b[26] = 1, b[28] = 24;
    const Bytes pattern = wintest::Pattern(size_t(stride) * h, 5);
    std::copy(pattern.begin(), pattern.end(), b.begin() + 54);
    return b;
  }

  ExportRun Export(const std::string& arguments) {
    ExportRun run;
    const std::string log = dir / "export-output.txt";
    const auto result =
        wintest::RunChild("\"" + wintest::WinPath(VRIXHOST_PATH) + "\" gif-export --plugin=\"" +
                              wintest::WinPath(PALVEX_PATH) + "\" " + arguments,
                          {}, "", log);
    EXPECT_TRUE(result.started && result.finished) << arguments;
    run.exitCode = result.exitCode;
    for (char c : wintest::ReadFileText(log))
      if (c != '\r') run.output += c;
    DeleteFileA(log.c_str());
    return run;
  }

  static std::string Q(const std::string& path) { return "\"" + path + "\""; }
};

// Writing the GIF would replace the file it was made from: refused before
// anything is written, however the output is spelled.
TEST_F(GifExportCommand, AnOutputThatIsAnInputIsRefused) {
  const std::string options = dir / "options.txt", act = dir / "ramp.act";
  const std::string optionsText = "PixelFormat_Interlaced bool 1\n";
  ASSERT_TRUE(wintest::WriteFileText(options, optionsText));
  Bytes ramp;
  for (int i = 0; i < 256; ++i) ramp.insert(ramp.end(), {uint8_t(i), uint8_t(255 - i), 7});
  ASSERT_TRUE(wintest::WriteFileBytes(act, ramp));
  const std::string otherSpelling = dir.Path() + "\\.\\IN.BMP";
  const struct {
    std::string arguments;
    std::string output, input;
  } cases[] = {
      {Q(bmp) + " " + Q(bmp), bmp, bmp},
      // The command names the output as it made it full.
      {Q(bmp) + " " + Q(otherSpelling), dir.Path() + "\\IN.BMP", bmp},
      {"--options=" + Q(options) + " " + Q(bmp) + " " + Q(options), options, options},
      {"--palette=" + Q(act) + " " + Q(bmp) + " " + Q(act), act, act},
  };
  for (const auto& c : cases) {
    const ExportRun run = Export(c.arguments);
    EXPECT_EQ(run.exitCode, 1u) << c.arguments;
    EXPECT_EQ(run.output, "vrixhost gif-export: " + c.output + ": is the same file as the input " +
                              c.input + "; nothing was written\n");
  }
  Bytes now;
  ASSERT_TRUE(wintest::ReadFileBytes(bmp, now));
  EXPECT_EQ(now, bmpBytes);
  EXPECT_EQ(wintest::ReadFileText(options), optionsText);
  ASSERT_TRUE(wintest::ReadFileBytes(act, now));
  EXPECT_EQ(now, ramp);
}

// An ACT file with its colour count (772 bytes, as Photoshop writes it)
// gives a palette of that many colours.
TEST_F(GifExportCommand, AnActFileWithItsColourCountGivesThatManyColours) {
  const std::string act = dir / "sixteen.act", gif = dir / "out.gif";
  Bytes file;
  for (int i = 0; i < 256; ++i) file.insert(file.end(), {uint8_t(i * 16), uint8_t(255 - i), 7});
  file.insert(file.end(), {0x00, 0x10, 0xFF, 0xFF});
  ASSERT_TRUE(wintest::WriteFileBytes(act, file));
  const ExportRun run = Export("--palette=" + Q(act) + " " + Q(bmp) + " " + Q(gif));
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  Bytes bytes;
  ASSERT_TRUE(wintest::ReadFileBytes(gif, bytes));
  const giftest::DecodedGif g = giftest::ReadGif(bytes);
  ASSERT_TRUE(g.ok) << g.error;
  const Bytes& table = g.images[0].localTable.empty() ? g.globalTable : g.images[0].localTable;
  EXPECT_EQ(table, Bytes(file.begin(), file.begin() + 16 * 3));
}

// A GIF that cannot be written names the file and the system's reason, not
// only the plug-in's status.
TEST_F(GifExportCommand, AFileThatCannotBeWrittenIsSaidInWords) {
  const std::string gif = dir / "no-such-folder\\out.gif";
  const ExportRun run = Export(Q(bmp) + " " + Q(gif));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.output, "vrixhost gif-export: \"" + gif +
                            ".partial\" cannot be created: No such file or directory; \"" + gif +
                            "\" is unchanged\n");
}

// Saved options that choose a palette but hold none: said so, where the
// plug-in would answer only "bad argument".
TEST_F(GifExportCommand, ASavedPaletteChoiceWithoutAPaletteIsSaidInWords) {
  const std::string options = dir / "options.txt", gif = dir / "out.gif";
  ASSERT_TRUE(wintest::WriteFileText(options, "PixelFormatRegKey_OverridePalette int 42\n"));
  const ExportRun run = Export("--options=" + Q(options) + " " + Q(bmp) + " " + Q(gif));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.output, "vrixhost gif-export: \"" + options +
                            "\": PixelFormatRegKey_OverridePalette 42 chooses a palette, but no "
                            "palette of 1 to 256 colours is saved with it "
                            "(PixelFormatRegKey_PaletteSize 0)\n");
  EXPECT_FALSE(wintest::Exists(gif));
}

}  // namespace
