// Every output of a table of pictures x options is read back by Pillow and by
// giflib's gif2rgb, and compared with what the mapping rules give.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "plugin/gifwriter/encoder/GifEncoder.h"
#include "plugin/gifwriter/encoder/Interlace.h"
#include "plugin/gifwriter/encoder/tests/EncodeHelper.h"
#include "plugin/gifwriter/encoder/tests/GifReader.h"
#include "plugin/gifwriter/encoder/tests/TestPalettes.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string dir = std::string(base ? base : "/tmp") + "/gifenc-oracle-XXXXXX";
  std::vector<char> buf(dir.begin(), dir.end());
  buf.push_back('\0');
  return mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

bool HaveTool(const std::string& probe) {
  return std::system((probe + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Capture(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Pillow's view: for every frame, the palette indices in display order as
// hex, and the transparency index if any.
const char* kPillowScript = R"(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
n = 0
while True:
    idx = bytes(im.getdata()) if im.mode == 'P' else b''
    print(im.mode, im.size[0], im.size[1], im.info.get('transparency', -1), im.info.get('loop', -1), im.info.get('duration', -1))
    print(idx.hex())
    n += 1
    try:
        im.seek(n)
    except EOFError:
        break
)";

struct Case {
  const char* name;
  int kind;
  int width, height;
  bool interlaced, transparent, dither, exact;
};

class Oracle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveTool("/usr/bin/python3 -c 'import PIL'")) GTEST_SKIP() << "Pillow is absent";
    if (!HaveTool("command -v gif2rgb")) GTEST_SKIP() << "giflib-tools is absent";
    m_Dir = TempDir();
    ASSERT_FALSE(m_Dir.empty());
    WriteFile(m_Dir + "/read.py", Bytes(kPillowScript, kPillowScript + std::strlen(kPillowScript)));
  }
  void TearDown() override {
    if (!m_Dir.empty()) std::system(("rm -rf '" + m_Dir + "'").c_str());
  }
  std::string m_Dir;
};

// Display-order indices from the stored order.
Bytes Deinterlace(const Bytes& stored, int w, int h) {
  Bytes out(stored.size());
  for (int i = 0; i < h; ++i) {
    std::copy(stored.begin() + size_t(i) * w, stored.begin() + size_t(i + 1) * w,
              out.begin() + size_t(gif::InterlacedRow(uint32_t(i), uint32_t(h))) * w);
  }
  return out;
}

std::string Hex(const Bytes& b) {
  static const char* d = "0123456789abcdef";
  std::string s;
  for (uint8_t v : b) s += d[v >> 4], s += d[v & 15];
  return s;
}

TEST_F(Oracle, PicturesTimesOptionsDecodeAsTheRulesSay) {
  const Case cases[] = {
      {"F 24-bit exact", 0, 31, 23, false, false, false, true},
      {"F 32-bit exact interlaced", 1, 31, 23, true, false, false, true},
      {"F 32-bit transparent", 1, 30, 20, false, true, false, true},
      {"photo 24-bit web", 0, 64, 48, false, false, false, false},
      {"photo 24-bit web dither", 0, 64, 48, false, false, true, false},
      {"photo 32-bit web dither interlaced transparent", 1, 40, 33, true, true, true, false},
      {"photo 24-bit exact overflows", 0, 70, 50, false, false, false, true},
      {"8-bit indexed", 2, 45, 19, true, false, false, false},
      {"1x1", 0, 1, 1, false, false, false, true},
  };
  std::vector<gif::PaletteEntry> indexedPalette(256);
  for (int i = 0; i < 256; ++i) {
    indexedPalette[i] =
        gif::PaletteEntry{0, uint16_t(0xAB00 | i), uint16_t(i ^ 0x5A), uint16_t(255 - i)};
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gif::EncoderModuleState module;
    gif::PaletteSpec web = giftest::WebPalette();
    gif::GifEncoder e(&module, &web);
    e.options.interlaced = c.interlaced;
    e.options.transparent = c.transparent;
    e.options.dither = c.dither;
    e.options.paletteChoice = c.exact ? 0 : 1;
    if (!c.exact) e.working = web;
    const int bpp = giftest::BytesPerPixel(c.kind);
    Bytes px;
    if (c.kind == 2) {
      for (int i = 0; i < c.width * c.height; ++i) px.push_back(uint8_t(i * 7 + i / c.width));
    } else if (std::string(c.name).rfind("photo", 0) == 0) {
      px = giftest::PhotoLike(c.width, c.height, bpp, 11);
    } else {
      px = giftest::LetterF(c.width, c.height, bpp);
    }
    if (c.transparent && c.kind == 1) {
      for (int i = 0; i < c.width * c.height; i += 5) px[size_t(i) * 4 + 3] = 0;
    }
    gif::ImageDescription d = giftest::Describe(uint32_t(c.width), uint32_t(c.height), c.kind);
    d.palette = indexedPalette.data();
    gif::MemorySink sink;
    ASSERT_EQ(giftest::Export(e, sink, d, px).First(), 0u);

    // Our own reading gives the indices; the independent decoders must agree.
    const giftest::DecodedGif g = giftest::ReadGif(sink.bytes);
    ASSERT_TRUE(g.ok) << g.error;
    const Bytes indices =
        c.interlaced ? Deinterlace(g.images[0].indices, c.width, c.height) : g.images[0].indices;

    // What the rules give, computed here: exact palettes reproduce every
    // colour; web without dither is the nearest cube colour; alpha 0 is the
    // transparent index; indexed input is copied.
    const Bytes& table = g.globalTable;
    for (int i = 0; i < c.width * c.height; ++i) {
      const uint8_t* s = &px[size_t(i) * bpp];
      const uint8_t k = indices[i];
      if (c.kind == 2) {
        ASSERT_EQ(k, s[0]) << i;
      } else if (c.transparent && c.kind == 1 && s[3] == 0) {
        ASSERT_EQ(k, g.images[0].controlIndex) << i;
      } else if (c.exact && std::string(c.name).find("overflows") == std::string::npos) {
        ASSERT_EQ(Bytes(table.begin() + k * 3, table.begin() + k * 3 + 3), Bytes(s, s + 3)) << i;
      } else if (!c.dither) {
        auto level = [](int v) { return (v + 25) / 51; };  // nearest of 0, 51, ... 255
        const int expected = 36 * level(s[0]) + 6 * level(s[1]) + level(s[2]);
        ASSERT_EQ(k, expected) << i;
      }
    }

    const std::string path = m_Dir + "/out.gif";
    WriteFile(path, sink.bytes);
    // Pillow.
    const std::string pillow = Capture("/usr/bin/python3 '" + m_Dir + "/read.py' '" + path + "'");
    const std::string header = "P " + std::to_string(c.width) + " " + std::to_string(c.height);
    ASSERT_EQ(pillow.rfind(header, 0), 0u) << pillow.substr(0, 200);
    const size_t nl = pillow.find('\n');
    ASSERT_NE(nl, std::string::npos);
    EXPECT_EQ(pillow.substr(nl + 1, indices.size() * 2), Hex(indices));
    if (c.transparent && c.kind == 1) {
      EXPECT_NE(pillow.find(" " + std::to_string(g.images[0].controlIndex) + " "),
                std::string::npos);
    }
    // giflib: RGB triples in display order.
    const std::string rgbPath = m_Dir + "/out.rgb";
    ASSERT_EQ(
        std::system(("gif2rgb -1 -o '" + rgbPath + "' '" + path + "' >/dev/null 2>&1").c_str()), 0);
    const Bytes rgb = ReadFile(rgbPath);
    ASSERT_EQ(rgb.size(), size_t(c.width) * c.height * 3);
    for (int i = 0; i < c.width * c.height; ++i) {
      ASSERT_EQ(Bytes(rgb.begin() + i * 3, rgb.begin() + i * 3 + 3),
                Bytes(table.begin() + indices[i] * 3, table.begin() + indices[i] * 3 + 3))
          << "pixel " << i;
    }
  }
}

TEST_F(Oracle, AnimationReadsAsLoopingFrames) {
  gif::EncoderModuleState module;
  gif::PaletteSpec web = giftest::WebPalette();
  gif::GifEncoder e(&module, &web);
  e.options.animation = true;
  e.options.framesPerSecond = 4;  // delay 15: 150 ms
  Bytes file;
  for (int frame = 0; frame < 3; ++frame) {
    e.options.initialFrame = frame == 0;
    Bytes px = giftest::LetterF(16, 12, 3);
    for (size_t i = 0; i < px.size(); i += 3) px[i + 1] = uint8_t(frame * 60);  // colours differ
    gif::MemorySink sink;
    ASSERT_EQ(giftest::Export(e, sink, giftest::Describe(16, 12, 0), px).First(), 0u);
    if (!file.empty()) file.pop_back();  // over the previous trailer
    file.insert(file.end(), sink.bytes.begin(), sink.bytes.end());
  }
  const std::string path = m_Dir + "/anim.gif";
  WriteFile(path, file);
  const std::string pillow = Capture("/usr/bin/python3 '" + m_Dir + "/read.py' '" + path + "'");
  int frames = 0;
  // Pillow shows later frames in RGB mode; count them by their size.
  for (size_t p = 0; (p = pillow.find(" 16 12 ", p)) != std::string::npos; ++p) ++frames;
  EXPECT_EQ(frames, 3) << pillow.substr(0, 300);
  EXPECT_NE(pillow.find("P 16 12 -1 0 150"), std::string::npos) << pillow.substr(0, 300);
  const std::string text = Capture("giftext '" + path + "' 2>&1");
  EXPECT_NE(text.find("application block"), std::string::npos) << text.substr(0, 400);
  int descriptors = 0;
  for (size_t p = 0; (p = text.find("Image #", p)) != std::string::npos; ++p) ++descriptors;
  EXPECT_EQ(descriptors, 3) << text.substr(0, 400);
}

// Pillow's reading of every frame against the pictures the frames were
// made of (raw R, G, B, A bytes, frame after frame): per frame the PSNR over
// the opaque pixels and the number of clear pixels Pillow does not show as
// clear.
const char* kPsnrScript = R"(
import math, sys
from PIL import Image
im = Image.open(sys.argv[1])
w, h, frames = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
src = open(sys.argv[2], 'rb').read()
for n in range(frames):
    im.seek(n)
    got = im.convert('RGBA').tobytes()
    s = src[n * w * h * 4:(n + 1) * w * h * 4]
    se, count, wrong = 0, 0, 0
    for i in range(0, len(s), 4):
        if s[i + 3] == 0:
            wrong += got[i + 3] != 0
            continue
        count += 1
        se += sum((s[i + k] - got[i + k]) ** 2 for k in range(3))
    mse = se / (3 * count)
    print('%d %.2f %d' % (n, 99.0 if mse == 0 else 10 * math.log10(255 ** 2 / mse), wrong))
)";

struct FramePsnr {
  double psnr;
  int wrongClear;
};

std::vector<FramePsnr> PillowPsnr(const std::string& dir, const Bytes& gif, const Bytes& rgba,
                                  int w, int h, int frames) {
  WriteFile(dir + "/psnr.py", Bytes(kPsnrScript, kPsnrScript + std::strlen(kPsnrScript)));
  WriteFile(dir + "/frames.gif", gif);
  WriteFile(dir + "/frames.rgba", rgba);
  const std::string text = Capture("/usr/bin/python3 '" + dir + "/psnr.py' '" + dir +
                                   "/frames.gif' '" + dir + "/frames.rgba' " + std::to_string(w) +
                                   " " + std::to_string(h) + " " + std::to_string(frames));
  std::vector<FramePsnr> out;
  int n = 0, wrong = 0;
  double psnr = 0;
  for (size_t p = 0; p < text.size();) {
    if (std::sscanf(text.c_str() + p, "%d %lf %d", &n, &psnr, &wrong) != 3) break;
    out.push_back({psnr, wrong});
    p = text.find('\n', p);
    if (p == std::string::npos) break;
    ++p;
  }
  return out;
}

Bytes WithAlpha(const Bytes& px, int bpp) {
  if (bpp == 4) return px;
  Bytes out;
  for (size_t i = 0; i < px.size(); i += 3)
    out.insert(out.end(), {px[i], px[i + 1], px[i + 2], 255});
  return out;
}

// The adaptive palette read back by Pillow: close to the picture (well above
// what the web palette gives it), clear pixels clear.
TEST_F(Oracle, AdaptivePaletteReadsBackWithinAPsnrBound) {
  for (int kind : {0, 1}) {
    for (bool dither : {false, true}) {
      SCOPED_TRACE(std::string(kind ? "32-bit" : "24-bit") + (dither ? ", dither" : ""));
      const int w = 96, h = 64, bpp = kind ? 4 : 3;
      Bytes px = giftest::PhotoLike(w, h, bpp, 9);
      if (kind == 1) {
        for (int y = 20; y < 30; ++y)
          for (int x = 40; x < 70; ++x) px[(size_t(y) * w + x) * 4 + 3] = 0;
      }
      double psnr[2] = {};
      for (bool adaptive : {false, true}) {
        gif::EncoderModuleState module;
        gif::PaletteSpec web = giftest::WebPalette();
        gif::GifEncoder e(&module, &web);
        e.options.adaptivePalette = adaptive;
        e.options.dither = dither;
        e.options.transparent = true;
        gif::MemorySink sink;
        ASSERT_EQ(giftest::Export(e, sink, giftest::Describe(w, h, kind), px).First(), 0u);
        const std::vector<FramePsnr> got =
            PillowPsnr(m_Dir, sink.bytes, WithAlpha(px, bpp), w, h, 1);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].wrongClear, 0);
        psnr[adaptive] = got[0].psnr;
      }
      EXPECT_GE(psnr[1], 32.0);
      EXPECT_GE(psnr[1], psnr[0] + 4.0) << "web " << psnr[0] << ", adaptive " << psnr[1];
    }
  }
}

// Three frames of different colours: the first writes the global table,
// each later one its own palette as a local table; Pillow reads every frame
// back close to its picture.
TEST_F(Oracle, AdaptiveAnimationWritesLocalTablesReadBackFrameByFrame) {
  gif::EncoderModuleState module;
  gif::PaletteSpec web = giftest::WebPalette();
  gif::GifEncoder e(&module, &web);
  e.options.animation = true;
  e.options.adaptivePalette = true;
  const int w = 64, h = 40;
  Bytes file, sources;
  std::vector<Bytes> tables;
  for (int frame = 0; frame < 3; ++frame) {
    e.options.initialFrame = frame == 0;
    Bytes px = giftest::PhotoLike(w, h, 3, 20 + frame);
    for (size_t i = 0; i < px.size(); i += 3) {
      if (frame == 1) std::swap(px[i], px[i + 2]);  // blue where red was
      if (frame == 2) px[i + 1] = uint8_t(255 - px[i + 1]);
    }
    gif::MemorySink sink;
    ASSERT_EQ(giftest::Export(e, sink, giftest::Describe(w, h, 0), px).First(), 0u);
    ASSERT_TRUE(e.Overflowed()) << frame;
    if (!file.empty()) file.pop_back();  // over the previous trailer
    file.insert(file.end(), sink.bytes.begin(), sink.bytes.end());
    const Bytes rgba = WithAlpha(px, 3);
    sources.insert(sources.end(), rgba.begin(), rgba.end());
    Bytes table;
    for (uint32_t i = 0; i < module.currentPalette.size; ++i) {
      const gif::PaletteEntry& c = module.currentPalette.entries[i];
      table.insert(table.end(), {uint8_t(c.red >> 8), uint8_t(c.green >> 8), uint8_t(c.blue >> 8)});
    }
    table.resize(768, 0);
    tables.push_back(table);
  }
  const giftest::DecodedGif g = giftest::ReadGif(file);
  ASSERT_TRUE(g.ok) << g.error;
  ASSERT_EQ(g.images.size(), 3u);
  EXPECT_EQ(g.globalTable, tables[0]);
  EXPECT_TRUE(g.images[0].localTable.empty());
  EXPECT_EQ(g.images[1].localTable, tables[1]);
  EXPECT_EQ(g.images[2].localTable, tables[2]);
  EXPECT_NE(tables[1], tables[2]);
  const std::vector<FramePsnr> got = PillowPsnr(m_Dir, file, sources, w, h, 3);
  ASSERT_EQ(got.size(), 3u);
  for (int frame = 0; frame < 3; ++frame) EXPECT_GE(got[frame].psnr, 32.0) << frame;
}

}  // namespace
