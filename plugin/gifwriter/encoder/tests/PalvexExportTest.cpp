// Palvex.dll loaded by path and driven through its interfaces the way the
// host drives it, and the `vrixhost gif-export` command; outputs are read
// back with the tests' own GIF reader.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/HostDictionary.h"
#include "host/HostFile.h"
#include "host/HostImageSource.h"
#include "host/HostInstance.h"
#include "host/PluginModule.h"
#include "plugin/gifwriter/ExportOptions.h"
#include "plugin/gifwriter/Palettes.h"
#include "plugin/gifwriter/encoder/tests/EncodeHelper.h"
#include "plugin/gifwriter/encoder/tests/GifReader.h"
#include "plugin/gifwriter/encoder/tests/TestPalettes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace vrixhost;

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& b) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

std::string TempPath(const std::string& name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "palvex-test-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

std::vector<uint32_t> Colours(const giftest::DecodedGif& g, size_t image) {
  const giftest::DecodedImage& img = g.images[image];
  const Bytes& t = img.localTable.empty() ? g.globalTable : img.localTable;
  std::vector<uint32_t> out;
  for (uint8_t i : img.indices)
    out.push_back(uint32_t(t[i * 3]) << 16 | t[i * 3 + 1] << 8 | t[i * 3 + 2]);
  return out;
}

std::vector<uint32_t> Source(const Bytes& px, int bpp) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < px.size(); i += bpp)
    out.push_back(uint32_t(px[i]) << 16 | px[i + 1] << 8 | px[i + 2]);
  return out;
}

class PalvexExport : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Load(PALVEX_PATH)) << module_.error();
    callback_ = HostCallback::Create();
    ASSERT_EQ(HostInstance::Create(module_.exports(), CLSID_PalvexGifWriter, &allocator_, callback_,
                                   &instance_),
              VX_OK);
    ASSERT_EQ(instance_->GetInterface(IID_VxExportOptions, reinterpret_cast<void**>(&options_)),
              VX_OK);
    dictionary_ = HostDictionary::Create();
  }
  void TearDown() override {
    if (options_) options_->ops->Release(options_);
    if (dictionary_) dictionary_->ops->Release(dictionary_);
    if (instance_) {
      EXPECT_EQ(instance_->Destroy(), VX_OK);
    }
    if (callback_) callback_->ops->Release(callback_);
    for (const std::string& p : files_) DeleteFileA(p.c_str());
  }
  std::string File(const std::string& name) {
    files_.push_back(TempPath(name));
    DeleteFileA(files_.back().c_str());
    return files_.back();
  }
  // Reads the dictionary into the instance and exports `source` to `path`.
  VxStatus ExportTo(const std::string& path, HostImageSource* source) {
    EXPECT_EQ(options_->ops->ReadOptions(options_, dictionary_), VX_OK);
    EXPECT_EQ(options_->ops->SetImageSource(options_, source), VX_OK);
    FileTarget target(path);
    return options_->ops->ExportToFile(options_, &target.target);
  }

  PluginModule module_;
  HostAllocator allocator_;
  HostCallback* callback_ = nullptr;
  HostInstance* instance_ = nullptr;
  VxExportOptions* options_ = nullptr;
  HostDictionary* dictionary_ = nullptr;
  std::vector<std::string> files_;
};

TEST_F(PalvexExport, ExactPaletteFileRoundTripsBothPasses) {
  const Bytes px = giftest::LetterF(21, 15, 3);
  HostImageSource* source = HostImageSource::Create(21, 15, VX_PIXEL_RGB24, px);
  const std::string path = File("exact.gif");
  ASSERT_EQ(ExportTo(path, source), VX_OK);
  EXPECT_EQ(source->sends, 2);  // gathering pass, then the writing pass
  source->ops->Release(source);
  const giftest::DecodedGif g = giftest::ReadGif(ReadFile(path));
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_EQ(Colours(g, 0), Source(px, 3));
  EXPECT_TRUE(g.trailerLast);
}

TEST_F(PalvexExport, SingleImageOverALongerFileLeavesExactlyTheNewGif) {
  // Through the stand-in's file service and file stream, as the host does.
  const Bytes px = giftest::LetterF(9, 7, 3);
  const std::string fresh = File("fresh.gif");
  HostImageSource* source = HostImageSource::Create(9, 7, VX_PIXEL_RGB24, px);
  ASSERT_EQ(ExportTo(fresh, source), VX_OK);
  source->ops->Release(source);
  const Bytes expected = ReadFile(fresh);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(expected.back(), 0x3B);

  const std::string old = File("old.gif");
  WriteFile(old, Bytes(expected.size() * 3 + 100, 0xEE));
  source = HostImageSource::Create(9, 7, VX_PIXEL_RGB24, px);
  ASSERT_EQ(ExportTo(old, source), VX_OK);
  source->ops->Release(source);
  const Bytes written = ReadFile(old);
  EXPECT_EQ(written.size(), expected.size()) << "stale bytes after the trailer";
  EXPECT_TRUE(written == expected);
  const giftest::DecodedGif g = giftest::ReadGif(written);
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_TRUE(g.trailerLast);
}

TEST_F(PalvexExport, BuiltinPaletteInterlacedAndTransparent32Bit) {
  gif::PaletteSpec web{};
  gif::BuildBuiltinPalette(gif::kChoiceWeb, &web);
  dictionary_->SetBool(gif::kKeyInterlaced, true);
  dictionary_->SetBool(gif::kKeyTransparent, true);
  dictionary_->SetInt(gif::kKeyPaletteChoice, gif::kChoiceWeb);
  dictionary_->SetInt(gif::kKeyPaletteSize, 216);
  dictionary_->SetInt(gif::kKeyTransparentIndex, 215);
  dictionary_->SetBytes(gif::kKeyPalette, web.entries, 216 * 8);
  Bytes px = giftest::LetterF(12, 10, 4);
  px[3] = 0;  // the first pixel is transparent
  HostImageSource* source = HostImageSource::Create(12, 10, VX_PIXEL_RGBA32, px);
  const std::string path = File("web.gif");
  ASSERT_EQ(ExportTo(path, source), VX_OK);
  EXPECT_EQ(source->sends, 1);  // no gathering for a built-in palette
  source->ops->Release(source);
  const giftest::DecodedGif g = giftest::ReadGif(ReadFile(path));
  ASSERT_TRUE(g.ok) << g.error;
  const giftest::DecodedImage& img = g.images[0];
  EXPECT_EQ(img.packed & 0x40, 0x40);
  EXPECT_EQ(img.controlPacked, 0x09);
  EXPECT_EQ(img.controlIndex, 215);
  EXPECT_EQ(img.indices[0], 215);  // row 0 is stored first in every order
  EXPECT_EQ(img.indices[1], 5);    // blue: 36*0 + 6*0 + 5
}

TEST_F(PalvexExport, AnimationFramesAppendToOneFile) {
  const std::string path = File("anim.gif");
  dictionary_->SetBool(gif::kKeyAnimation, true);
  dictionary_->SetInt(gif::kKeyFramesPerSecond, 60);
  for (int frame = 0; frame < 3; ++frame) {
    dictionary_->SetBool(gif::kKeyInitialFrame, frame == 0);
    dictionary_->SetInt(gif::kKeyXOffset, frame);
    Bytes px = giftest::LetterF(8, 6, 3);
    if (frame == 2) px[0] = 77;  // a new colour: a local table
    HostImageSource* source = HostImageSource::Create(8, 6, VX_PIXEL_RGB24, px);
    ASSERT_EQ(ExportTo(path, source), VX_OK) << frame;
    source->ops->Release(source);
  }
  const giftest::DecodedGif g = giftest::ReadGif(ReadFile(path));
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_TRUE(g.hasLoop);
  ASSERT_EQ(g.images.size(), 3u);
  EXPECT_EQ(g.images[1].left, 1);
  EXPECT_EQ(g.images[2].left, 2);
  EXPECT_EQ(g.images[0].delay, 1);
  EXPECT_TRUE(g.images[1].localTable.empty());
  EXPECT_FALSE(g.images[2].localTable.empty());
  EXPECT_TRUE(g.trailerLast);
}

// The adaptive palette's key through the plug-in: absent and off write the
// same bytes as the encoder always did; on, only a picture that overflows the
// exact palette changes, to a palette of its own.
TEST_F(PalvexExport, AdaptivePaletteKeyActsOnlyWhenTheExactPaletteOverflows) {
  for (bool photo : {false, true}) {
    SCOPED_TRACE(photo ? "photo-like" : "letter F");
    const Bytes px = photo ? giftest::PhotoLike(48, 32, 3, 4) : giftest::LetterF(48, 32, 3);
    Bytes written[3];  // key absent, off, on
    for (int k = 0; k < 3; ++k) {
      if (k > 0) dictionary_->SetBool(gif::kKeyAdaptivePalette, k == 2);
      HostImageSource* source = HostImageSource::Create(48, 32, VX_PIXEL_RGB24, px);
      const std::string path = File("adaptive" + std::to_string(k) + ".gif");
      ASSERT_EQ(ExportTo(path, source), VX_OK) << k;
      source->ops->Release(source);
      written[k] = ReadFile(path);
    }
    dictionary_->values.erase(gif::kKeyAdaptivePalette);
    // What the encoder writes with its options at their defaults.
    gif::EncoderModuleState module;
    const gif::PaletteSpec web = giftest::WebPalette();
    gif::GifEncoder e(&module, &web);
    gif::MemorySink sink;
    ASSERT_EQ(giftest::Export(e, sink, giftest::Describe(48, 32, 0), px).First(), 0u);
    EXPECT_EQ(written[0], sink.bytes);
    EXPECT_EQ(written[1], written[0]);
    const giftest::DecodedGif g = giftest::ReadGif(written[2]);
    ASSERT_TRUE(g.ok) << g.error;
    if (!photo) {
      EXPECT_EQ(written[2], written[0]);
      continue;
    }
    EXPECT_NE(written[2], written[0]);
    std::vector<uint32_t> colours = Colours(g, 0);
    std::sort(colours.begin(), colours.end());
    const size_t used = size_t(std::unique(colours.begin(), colours.end()) - colours.begin());
    EXPECT_GT(used, 216u);  // more than the whole web palette has
  }
}

TEST_F(PalvexExport, ExportToHostStreamLeavesItOpen) {
  const std::string path = File("stream.gif");
  HostFileStream* stream = HostFileStream::Create(path, 4096);
  ASSERT_EQ(stream->Open(VX_STREAM_OPEN_CREATE), VX_OK);
  HostImageSource* source =
      HostImageSource::Create(3, 2, VX_PIXEL_RGB24, giftest::LetterF(3, 2, 3));
  ASSERT_EQ(options_->ops->ReadOptions(options_, dictionary_), VX_OK);
  ASSERT_EQ(options_->ops->SetImageSource(options_, source), VX_OK);
  EXPECT_EQ(options_->ops->ExportToStream(options_, stream), VX_OK);
  EXPECT_EQ(stream->closes, 0);
  EXPECT_EQ(stream->refs, 1u);
  EXPECT_GE(stream->flushes, 1);
  stream->Close();
  stream->ops->Release(stream);
  source->ops->Release(source);
  const giftest::DecodedGif g = giftest::ReadGif(ReadFile(path));
  ASSERT_TRUE(g.ok) << g.error;
}

TEST_F(PalvexExport, FailedWriteIsAnEncoderFailure) {
  const std::string path = File("fail.gif");
  HostFileStream* stream = HostFileStream::Create(path, 4096);
  ASSERT_EQ(stream->Open(VX_STREAM_OPEN_CREATE), VX_OK);
  stream->failWriteIn = 2;
  HostImageSource* source =
      HostImageSource::Create(30, 20, VX_PIXEL_RGB24, giftest::PhotoLike(30, 20, 3));
  dictionary_->SetInt(gif::kKeyPaletteChoice, gif::kChoiceWeb);
  gif::PaletteSpec web{};
  gif::BuildBuiltinPalette(gif::kChoiceWeb, &web);
  dictionary_->SetInt(gif::kKeyPaletteSize, 216);
  dictionary_->SetBytes(gif::kKeyPalette, web.entries, 216 * 8);
  ASSERT_EQ(options_->ops->ReadOptions(options_, dictionary_), VX_OK);
  ASSERT_EQ(options_->ops->SetImageSource(options_, source), VX_OK);
  EXPECT_EQ(options_->ops->ExportToStream(options_, stream), VX_E_ENCODER);
  stream->Close();
  stream->ops->Release(stream);
  source->ops->Release(source);
}

TEST_F(PalvexExport, ExportNeedsAFileTargetAndASource) {
  VxExportTarget notFile{1, nullptr};
  EXPECT_EQ(options_->ops->ExportToFile(options_, &notFile), VX_E_INVALIDARG);
  FileTarget target(File("none.gif"));
  EXPECT_EQ(options_->ops->ExportToFile(options_, &target.target), VX_E_INVALIDARG);  // no source
}

TEST_F(PalvexExport, NegotiationPrefersIndexedThen32Bit) {
  VxPixelReceptor* receptor = nullptr;
  ASSERT_EQ(instance_->GetInterface(IID_VxPixelReceptor, reinterpret_cast<void**>(&receptor)),
            VX_OK);
  struct Case {
    std::vector<int32_t> kinds, second;
    VxStatus status;
    int32_t chosen;
  } cases[] = {
      {{0, 1}, {0}, VX_OK, 1},           {{0, 2, 1}, {3, 0}, VX_OK, 2},  {{0}, {0}, VX_OK, 0},
      {{5, 7}, {0}, VX_E_INVALIDARG, 5}, {{1}, {4}, VX_E_INVALIDARG, 1},
  };
  for (Case& c : cases) {
    EXPECT_EQ(receptor->ops->Negotiate(receptor, c.kinds.data(), uint32_t(c.kinds.size()),
                                       c.second.data(), uint32_t(c.second.size())),
              c.status);
    EXPECT_EQ(c.kinds[0], c.chosen);
    if (c.status == VX_OK) {
      EXPECT_EQ(c.second[0], 0);
    }
  }
  VxImageDesc desc{};
  desc.width = 2;
  desc.height = 2;
  desc.kind = 3;
  EXPECT_EQ(receptor->ops->BeginImage(receptor, &desc), VX_E_INVALIDARG);
  receptor->ops->Release(receptor);
}

// --- the command ------------------------------------------------------------

int RunVrixhost(const std::string& args) {
  std::string line = "\"" VRIXHOST_PATH "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return -1;
  }
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
}

// A bottom-up 24-bit BMP of the F.
Bytes Bmp24(int w, int h, const Bytes& rgb) {
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
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* s = &rgb[(size_t(y) * w + x) * 3];
      uint8_t* d = &b[54 + size_t(h - 1 - y) * stride + x * 3];
      d[0] = s[2], d[1] = s[1], d[2] = s[0];
    }
  }
  return b;
}

TEST(GifExportCommand, WritesAppendsAndNeverLeavesHalfFiles) {
  const Bytes px = giftest::LetterF(10, 8, 3);
  const std::string bmp = TempPath("in.bmp"), gif = TempPath("out.gif"), bad = TempPath("bad.bmp");
  WriteFile(bmp, Bmp24(10, 8, px));
  WriteFile(bad, Bytes{'B', 'M', 1, 2, 3});
  DeleteFileA(gif.c_str());
  const std::string plugin = std::string("--plugin=\"") + PALVEX_PATH + "\" ";

  EXPECT_EQ(RunVrixhost("gif-export " + plugin + "--animate \"" + bmp + "\" \"" + gif + "\""), 0);
  EXPECT_EQ(RunVrixhost("gif-export " + plugin + "--append --x=2 \"" + bmp + "\" \"" + gif + "\""),
            0);
  const Bytes two = ReadFile(gif);
  giftest::DecodedGif g = giftest::ReadGif(two);
  ASSERT_TRUE(g.ok) << g.error;
  ASSERT_EQ(g.images.size(), 2u);
  EXPECT_EQ(Colours(g, 1), Source(px, 3));

  // Bad input, bad options: errors, and the animation is untouched.
  EXPECT_EQ(RunVrixhost("gif-export " + plugin + "--append \"" + bad + "\" \"" + gif + "\""), 1);
  EXPECT_EQ(RunVrixhost("gif-export " + plugin + "--palette=plaid \"" + bmp + "\" \"" + gif + "\""),
            2);  // no built-in palette has that name, and no file is named
  EXPECT_EQ(
      RunVrixhost("gif-export " + plugin + "--palette=plaid.act \"" + bmp + "\" \"" + gif + "\""),
      1);  // a palette file that is not there
  EXPECT_EQ(RunVrixhost("gif-export " + plugin + "--transparent --options=o.txt \"" + bmp +
                        "\" \"" + gif + "\""),
            2);
  EXPECT_EQ(ReadFile(gif), two);
  const std::string fresh = TempPath("fresh.gif");
  DeleteFileA(fresh.c_str());
  EXPECT_EQ(RunVrixhost("gif-export " + plugin + "\"" + bad + "\" \"" + fresh + "\""), 1);
  EXPECT_EQ(GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((fresh + ".partial").c_str()), INVALID_FILE_ATTRIBUTES);
  // Appending to something that is not an animation is refused.
  EXPECT_EQ(RunVrixhost("gif-export " + plugin + "--append \"" + bmp + "\" \"" + bmp + "\""), 1);
  for (const std::string& p : {bmp, gif, bad}) DeleteFileA(p.c_str());
}

// --adaptive puts the key: a picture of more than 256 colours gets a palette
// of its own instead of the web palette.
TEST(GifExportCommand, AdaptiveBuildsAPaletteForAPhoto) {
  const Bytes px = giftest::PhotoLike(40, 30, 3, 6);
  const std::string bmp = TempPath("photo.bmp"), web = TempPath("web.gif");
  const std::string adaptive = TempPath("adaptive.gif");
  WriteFile(bmp, Bmp24(40, 30, px));
  const std::string plugin = std::string("--plugin=\"") + PALVEX_PATH + "\" ";
  ASSERT_EQ(RunVrixhost("gif-export " + plugin + "\"" + bmp + "\" \"" + web + "\""), 0);
  ASSERT_EQ(RunVrixhost("gif-export " + plugin + "--adaptive \"" + bmp + "\" \"" + adaptive + "\""),
            0);
  const giftest::DecodedGif w = giftest::ReadGif(ReadFile(web));
  const giftest::DecodedGif a = giftest::ReadGif(ReadFile(adaptive));
  ASSERT_TRUE(w.ok && a.ok);
  const gif::PaletteSpec webPalette = giftest::WebPalette();
  for (int i = 0; i < 216; ++i)
    ASSERT_EQ(w.globalTable[3 * i], webPalette.entries[i].red >> 8) << i;
  // The adaptive one is nearer the picture, pixel for pixel.
  uint64_t errors[2] = {};
  const std::vector<uint32_t> source = Source(px, 3);
  const std::vector<uint32_t> got[2] = {Colours(w, 0), Colours(a, 0)};
  for (int k = 0; k < 2; ++k)
    for (size_t i = 0; i < source.size(); ++i)
      for (int shift : {0, 8, 16})
        errors[k] +=
            uint64_t(std::abs(int(source[i] >> shift & 0xFF) - int(got[k][i] >> shift & 0xFF)));
  EXPECT_LT(errors[1] * 3, errors[0]) << errors[0] << " " << errors[1];
  for (const std::string& p : {bmp, web, adaptive}) DeleteFileA(p.c_str());
}

// The colour table the image is drawn with.
const Bytes& TableOf(const giftest::DecodedGif& g) {
  return g.images[0].localTable.empty() ? g.globalTable : g.images[0].localTable;
}

TEST(GifExportCommand, PaletteFilesAndSavedOptions) {
  const Bytes px = giftest::LetterF(10, 8, 3);
  const std::string bmp = TempPath("in.bmp"), gif = TempPath("out.gif");
  const std::string act = TempPath("ramp.act"), options = TempPath("options.txt");
  WriteFile(bmp, Bmp24(10, 8, px));
  Bytes ramp;
  for (int i = 0; i < 256; ++i) ramp.insert(ramp.end(), {uint8_t(i), uint8_t(255 - i), 7});
  WriteFile(act, ramp);
  const std::string plugin = std::string("--plugin=\"") + PALVEX_PATH + "\" ";

  // A palette file read by the host's readers is the image's colour table.
  ASSERT_EQ(RunVrixhost("gif-export " + plugin + "--palette=\"" + act + "\" \"" + bmp + "\" \"" +
                        gif + "\""),
            0);
  giftest::DecodedGif g = giftest::ReadGif(ReadFile(gif));
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_EQ(ramp, TableOf(g));

  // Options as gif-options saves them: interlaced, the 16-colour palette.
  const std::string saved =
      "# saved by the dialog\n"
      "PixelFormat_Interlaced bool 1\n"
      "PixelFormatRegKey_Transparent bool 0\n"
      "PixelFormatRegKey_Dither bool 0\n"
      "PixelFormatRegKey_OverridePalette int 4\n"
      "PixelFormatRegKey_PaletteSize int 16\n"
      "PixelFormatRegKey_Palette bytes " +
      std::string(16 * 16, '0') +
      "\n"
      "PixelFormatRegKey_TransparentIndex int 15\n";
  WriteFile(options, Bytes(saved.begin(), saved.end()));
  ASSERT_EQ(RunVrixhost("gif-export " + plugin + "--options=\"" + options + "\" \"" + bmp +
                        "\" \"" + gif + "\""),
            0);
  g = giftest::ReadGif(ReadFile(gif));
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_EQ(0x40, g.images[0].packed & 0x40);  // interlaced
  EXPECT_EQ(16u * 3, TableOf(g).size());       // the saved palette's 16 entries

  // A damaged options file is reported and writes nothing.
  WriteFile(options, Bytes{'X', ' ', 'i', 'n', 't', ' ', '?', '\n'});
  DeleteFileA(gif.c_str());
  EXPECT_EQ(RunVrixhost("gif-export " + plugin + "--options=\"" + options + "\" \"" + bmp +
                        "\" \"" + gif + "\""),
            1);
  EXPECT_EQ(GetFileAttributesA(gif.c_str()), INVALID_FILE_ATTRIBUTES);
  for (const std::string& p : {bmp, gif, act, options}) DeleteFileA(p.c_str());
}

}  // namespace
