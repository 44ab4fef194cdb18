// The begin/rows/end sequence: gathering an exact palette, statuses, and
// failures.
#include "plugin/gifwriter/encoder/GifEncoder.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "plugin/gifwriter/encoder/Interlace.h"
#include "plugin/gifwriter/encoder/tests/EncodeHelper.h"
#include "plugin/gifwriter/encoder/tests/GifReader.h"
#include "plugin/gifwriter/encoder/tests/TestPalettes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using giftest::Describe;

using giftest::Env;

// Colour of each pixel as the decoded file shows it.
std::vector<uint32_t> Colours(const giftest::DecodedGif& g, size_t image = 0) {
  const giftest::DecodedImage& img = g.images[image];
  const Bytes& table = img.localTable.empty() ? g.globalTable : img.localTable;
  std::vector<uint32_t> out;
  for (uint8_t i : img.indices) {
    out.push_back(uint32_t(table[i * 3]) << 16 | table[i * 3 + 1] << 8 | table[i * 3 + 2]);
  }
  return out;
}

std::vector<uint32_t> SourceColours(const Bytes& px, int bpp) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < px.size(); i += bpp) {
    out.push_back(uint32_t(px[i]) << 16 | px[i + 1] << 8 | px[i + 2]);
  }
  return out;
}

TEST(GifEncoder, ExactPaletteRoundTripsLosslessly) {
  for (int kind : {0, 1}) {
    for (bool interlaced : {false, true}) {
      Env env;
      env.encoder.options.interlaced = interlaced;
      env.encoder.options.dither = true;  // switched off for an exact palette
      const int bpp = kind == 0 ? 3 : 4;
      const Bytes px = giftest::LetterF(23, 17, bpp);
      ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(23, 17, kind), px).First(), 0u);
      const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
      ASSERT_TRUE(g.ok) << g.error;
      std::vector<uint32_t> got = Colours(g);
      if (interlaced) {
        std::vector<uint32_t> rows(got.size());
        for (uint32_t i = 0; i < 17; ++i) {
          std::copy(got.begin() + i * 23, got.begin() + (i + 1) * 23,
                    rows.begin() + gif::InterlacedRow(i, 17) * 23);
        }
        got = rows;
      }
      EXPECT_EQ(got, SourceColours(px, bpp)) << "kind " << kind << " interlaced " << interlaced;
    }
  }
}

TEST(GifEncoder, GatheredPaletteLayout) {
  // 24-bit: white, black, then colours in order of appearance; black is moved
  // to the last entry. 32-bit reserves entry 2 (white) for transparency.
  struct Case {
    int kind;
    std::vector<uint32_t> expected;
    int transparentIndex;
  } cases[] = {
      {0, {0xFFFFFF, 0x00FF00, 0xFF0000, 0x000000}, 0},
      {1, {0xFFFFFF, 0x00FF00, 0xFFFFFF, 0xFF0000, 0x000000}, 2},
  };
  for (const Case& c : cases) {
    Env env;
    const int bpp = c.kind == 0 ? 3 : 4;
    // Red, black, green, red, white.
    Bytes px;
    for (uint32_t rgb : {0xFF0000u, 0x000000u, 0x00FF00u, 0xFF0000u, 0xFFFFFFu}) {
      px.insert(px.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
      if (bpp == 4) px.push_back(255);
    }
    ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(5, 1, c.kind), px).First(), 0u);
    const gif::PaletteSpec& p = env.module.currentPalette;
    ASSERT_EQ(p.size, c.expected.size());
    EXPECT_EQ(p.kind, gif::kPaletteKindExplicit);
    EXPECT_EQ(p.transparentIndex, c.transparentIndex);
    for (size_t i = 0; i < c.expected.size(); ++i) {
      const uint32_t rgb = uint32_t(p.entries[i].red >> 8) << 16 | (p.entries[i].green >> 8) << 8 |
                           (p.entries[i].blue >> 8);
      EXPECT_EQ(rgb, c.expected[i]) << "kind " << c.kind << " entry " << i;
      EXPECT_EQ(p.entries[i].red & 0xFF, p.entries[i].red >> 8);
    }
    const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
    ASSERT_TRUE(g.ok) << g.error;
    EXPECT_EQ(Colours(g), SourceColours(px, bpp));
  }
}

TEST(GifEncoder, MoreThan256ColoursFallBackToWeb) {
  Env env;
  // 257 distinct colours, none of them white or black.
  Bytes px;
  for (int i = 0; i < 257; ++i)
    px.insert(px.end(), {uint8_t(1 + i % 200), uint8_t(i / 200 + 1), 7});
  ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(257, 1, 0), px).First(), 0u);
  EXPECT_TRUE(env.encoder.Overflowed());
  EXPECT_EQ(env.module.currentPalette.size, 216u);
  const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
  ASSERT_TRUE(g.ok) << g.error;
  ASSERT_EQ(g.globalTable.size(), 768u);
  // The 216-entry web table, padded with black.
  EXPECT_EQ(Bytes(g.globalTable.begin() + 3 * 37, g.globalTable.begin() + 3 * 38),
            (Bytes{51, 0, 51}));
  EXPECT_EQ(Bytes(g.globalTable.begin() + 3 * 215, g.globalTable.begin() + 3 * 216),
            (Bytes{255, 255, 255}));
  EXPECT_EQ(Bytes(g.globalTable.begin() + 3 * 216, g.globalTable.begin() + 3 * 217),
            (Bytes{0, 0, 0}));
  // Without dither each pixel takes the nearest web colour: (1..200, 1|2, 7)
  // -> red level round(r / 51), green 0, blue 0.
  for (int i = 0; i < 257; ++i) {
    const int r = 1 + i % 200;
    int level = 0, best = 1 << 30;
    for (int l = 0; l < 6; ++l) {
      const int d = std::abs(r - 51 * l);
      if (d < best) best = d, level = l;
    }
    ASSERT_EQ(g.images[0].indices[i], 36 * level) << i;
  }
}

TEST(GifEncoder, AlphaZeroPixelsGetTheTransparentIndex) {
  Env env;
  env.encoder.options.transparent = true;
  Bytes px = giftest::LetterF(9, 7, 4);
  for (int i = 0; i < 9 * 7; i += 4) px[size_t(i) * 4 + 3] = 0;
  ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(9, 7, 1), px).First(), 0u);
  const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
  ASSERT_TRUE(g.ok) << g.error;
  const giftest::DecodedImage& img = g.images[0];
  EXPECT_EQ(img.controlPacked, 0x09);
  EXPECT_EQ(img.controlIndex, 2);  // the reserved entry of a gathered palette
  const std::vector<uint32_t> colours = Colours(g);
  const std::vector<uint32_t> source = SourceColours(px, 4);
  for (int i = 0; i < 9 * 7; ++i) {
    if (i % 4 == 0) {
      EXPECT_EQ(img.indices[i], 2) << i;
    } else {
      EXPECT_NE(img.indices[i], 2) << i;
      EXPECT_EQ(colours[i], source[i]) << i;
    }
  }
}

TEST(GifEncoder, TransparentIndexFlaggedByTheHost) {
  struct Case {
    int kind;
    int16_t index;
    bool expectTransparent;
    uint8_t expectIndex;
  } cases[] = {
      {2, 5, true, 5},     // indexed: taken as is
      {2, 300, false, 0},  // no table entry: transparency dropped
      {0, 1, true, 1},     // 24-bit: marked, but no pixel is transparent
      {1, 9, true, 3},     // beyond a 4-colour palette: the last entry
  };
  for (const Case& c : cases) {
    Env env;
    env.encoder.options.paletteChoice = 1;
    env.encoder.options.transparent = true;
    env.encoder.working = giftest::PaletteOf({0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    std::vector<gif::PaletteEntry> pal(256, gif::PaletteEntry{0, 1, 2, 3});
    gif::ImageDescription d = Describe(2, 1, c.kind);
    d.palette = pal.data();
    d.hasTransparentIndex = true;
    d.transparentIndex = c.index;
    const Bytes px = c.kind == 2   ? Bytes{5, 6}
                     : c.kind == 0 ? Bytes{255, 0, 0, 0, 0, 0}
                                   : Bytes{0, 0, 255, 255, 0, 0, 0, 0};
    ASSERT_EQ(giftest::Export(env.encoder, env.sink, d, px).First(), 0u) << c.kind;
    const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
    ASSERT_TRUE(g.ok) << g.error;
    EXPECT_EQ(g.images[0].controlPacked, c.expectTransparent ? 0x09 : 0x00) << c.kind;
    if (c.expectTransparent) {
      EXPECT_EQ(g.images[0].controlIndex, c.expectIndex) << c.kind;
    }
    // The transparent entry is never chosen for an opaque pixel: red falls to
    // black. A 24-bit pixel is never transparent, whatever follows it.
    if (c.kind == 0) {
      EXPECT_EQ(g.images[0].indices, (Bytes{0, 0}));
    }
    if (c.kind == 1) {
      EXPECT_EQ(g.images[0].indices, (Bytes{0, 3}));  // blue skips entry 3; alpha 0 gets it
    }
  }
}

TEST(GifEncoder, StatusesForBadCalls) {
  const gif::Status bad = gif::kBadArgument;
  {
    Env env;
    env.encoder.SetOutput(&env.sink);
    EXPECT_EQ(env.encoder.BeginImage(Describe(2, 2, 3)), bad);
    EXPECT_EQ(env.encoder.BeginImage(Describe(0, 2, 0)), bad);
    EXPECT_EQ(env.encoder.BeginImage(Describe(70000, 2, 0)), bad);
    EXPECT_EQ(env.encoder.BeginImage(Describe(2, 2, 2)), bad);  // indexed without palette
    EXPECT_TRUE(env.sink.bytes.empty());
  }
  {
    Env env;  // rows out of order, then the same status until the next begin
    env.encoder.options.paletteChoice = 1;
    env.encoder.working = giftest::PaletteOf({0, 0xFFFFFF});
    env.encoder.SetOutput(&env.sink);
    const Bytes row(6, 0);
    ASSERT_EQ(env.encoder.BeginImage(Describe(2, 3, 0)), 0u);
    EXPECT_EQ(env.encoder.ReceiveRow(1, row.data()), bad);
    EXPECT_EQ(env.encoder.ReceiveRow(0, row.data()), bad);
    EXPECT_EQ(env.encoder.EndImage(), bad);
  }
  {
    Env env;  // beyond the height
    env.encoder.options.paletteChoice = 1;
    env.encoder.working = giftest::PaletteOf({0, 0xFFFFFF});
    env.encoder.SetOutput(&env.sink);
    const Bytes row(6, 0);
    ASSERT_EQ(env.encoder.BeginImage(Describe(2, 1, 0)), 0u);
    EXPECT_EQ(env.encoder.ReceiveRow(0, row.data()), 0u);
    EXPECT_EQ(env.encoder.ReceiveRow(1, row.data()), bad);
  }
  {
    Env env;  // end without begin; an empty explicit palette
    EXPECT_EQ(env.encoder.EndImage(), bad);
    env.encoder.options.paletteChoice = 1;
    env.encoder.working = gif::MakeExplicitPalette();
    env.encoder.SetOutput(&env.sink);
    EXPECT_EQ(env.encoder.BeginImage(Describe(1, 1, 0)), bad);
  }
  {
    Env env;  // more than 256 colours in an explicit palette
    env.encoder.options.paletteChoice = 1;
    env.encoder.working = giftest::WebPalette();
    env.encoder.working.size = 300;
    env.encoder.SetOutput(&env.sink);
    EXPECT_EQ(env.encoder.BeginImage(Describe(1, 1, 0)), gif::kEncoderFailure);
    EXPECT_TRUE(env.sink.bytes.empty());
  }
}

TEST(GifEncoder, MissingRowsAreWrittenAsIndexZero) {
  for (bool interlaced : {false, true}) {
    Env env;
    env.encoder.options.paletteChoice = 1;
    env.encoder.options.interlaced = interlaced;
    env.encoder.working = giftest::PaletteOf({0x000000, 0xFFFFFF});
    env.encoder.SetOutput(&env.sink);
    const Bytes white(9, 255);
    ASSERT_EQ(env.encoder.BeginImage(Describe(3, 4, 0)), 0u);
    ASSERT_EQ(env.encoder.ReceiveRow(0, white.data()), 0u);
    ASSERT_EQ(env.encoder.EndImage(), 0u);
    const giftest::DecodedGif g = giftest::ReadGif(env.sink.bytes);
    ASSERT_TRUE(g.ok) << g.error;
    Bytes expected(12, 0);
    expected[0] = expected[1] = expected[2] = 1;
    EXPECT_EQ(g.images[0].indices, expected);
  }
}

// A sink that takes only its first `budget` bytes.
class ShortSink : public gif::ByteSink {
 public:
  explicit ShortSink(size_t budget) : m_Budget(budget) {}
  size_t Write(const uint8_t* data, size_t count) override {
    const size_t n = count < m_Budget ? count : m_Budget;
    m_Budget -= n;
    bytes.insert(bytes.end(), data, data + n);
    return n;
  }
  Bytes bytes;

 private:
  size_t m_Budget;
};

TEST(GifEncoder, ShortWritesAreEncoderFailures) {
  const Bytes px = giftest::PhotoLike(120, 80, 3);
  {
    Env env;
    env.encoder.options.paletteChoice = 1;
    env.encoder.working = env.web;
    ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(120, 80, 0), px).First(), 0u);
    ASSERT_GT(env.sink.bytes.size(), 2000u);
  }
  for (size_t budget : {size_t(0), size_t(10), size_t(900), size_t(2000)}) {
    for (bool interlaced : {false, true}) {
      Env env;
      env.encoder.options.paletteChoice = 1;
      env.encoder.options.interlaced = interlaced;
      env.encoder.working = env.web;
      ShortSink sink(budget);
      const giftest::PushResult r = giftest::Export(env.encoder, sink, Describe(120, 80, 0), px);
      EXPECT_EQ(r.First(), gif::kEncoderFailure) << budget << " " << interlaced;
      EXPECT_EQ(r.end, gif::kEncoderFailure);
      EXPECT_LE(sink.bytes.size(), budget);
    }
  }
}

class FlushFails : public gif::MemorySink {
 public:
  gif::Status Flush() override { return 0x80030003u; }
};

TEST(GifEncoder, FlushFailureIsReported) {
  Env env;
  env.encoder.options.paletteChoice = 1;
  env.encoder.working = giftest::PaletteOf({0x000000, 0xFFFFFF});
  FlushFails sink;
  EXPECT_EQ(giftest::Export(env.encoder, sink, Describe(1, 1, 0), {0, 0, 0}).end, 0x80030003u);
}

TEST(GifEncoder, EncoderIsReusableAfterAFailure) {
  Env env;
  env.encoder.options.paletteChoice = 1;
  env.encoder.working = giftest::PaletteOf({0x000000, 0xFFFFFF});
  ShortSink broken(3);
  ASSERT_NE(giftest::Export(env.encoder, broken, Describe(1, 1, 0), {0, 0, 0}).First(), 0u);
  ASSERT_EQ(giftest::Export(env.encoder, env.sink, Describe(1, 1, 0), {0, 0, 0}).First(), 0u);
  EXPECT_TRUE(giftest::ReadGif(env.sink.bytes).ok);
}

}  // namespace

namespace {

TEST(GifEncoder, ExactPaletteSwitchesDitherOffForItsOwnWritingPassOnly) {
  gif::EncoderModuleState module;
  gif::PaletteSpec web = giftest::WebPalette();
  gif::GifEncoder e(&module, &web);
  e.options.dither = true;
  const Bytes photo = giftest::PhotoLike(40, 6, 3);
  // An exact-palette export whose writing pass fails at once.
  gif::MemorySink exact;
  const Bytes f = giftest::LetterF(12, 9, 3);
  e.SetGathering(true);
  ASSERT_EQ(giftest::Push(e, giftest::Describe(12, 9, 0), f).First(), 0u);
  e.SetGathering(false);
  e.SetOutput(&exact);
  ASSERT_EQ(e.BeginImage(giftest::Describe(0, 9, 0)), gif::kBadArgument);
  // A later export with the web palette dithers again: compare with the
  // same export from a fresh encoder.
  e.options.paletteChoice = 1;
  e.working = web;
  gif::MemorySink after;
  ASSERT_EQ(giftest::Export(e, after, giftest::Describe(40, 6, 0), photo).First(), 0u);
  gif::EncoderModuleState module2;
  gif::GifEncoder fresh(&module2, &web);
  fresh.options = e.options;
  fresh.working = web;
  gif::MemorySink expected;
  ASSERT_EQ(giftest::Export(fresh, expected, giftest::Describe(40, 6, 0), photo).First(), 0u);
  EXPECT_EQ(after.bytes, expected.bytes);
  fresh.options.dither = false;
  gif::MemorySink plain;
  ASSERT_EQ(giftest::Export(fresh, plain, giftest::Describe(40, 6, 0), photo).First(), 0u);
  EXPECT_NE(after.bytes, plain.bytes);
}

}  // namespace
