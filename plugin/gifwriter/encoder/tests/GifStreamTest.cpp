// Byte-exact layout of small GIF files, worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "plugin/gifwriter/encoder/GifEncoder.h"
#include "plugin/gifwriter/encoder/Interlace.h"
#include "plugin/gifwriter/encoder/tests/EncodeHelper.h"
#include "plugin/gifwriter/encoder/tests/GifReader.h"
#include "plugin/gifwriter/encoder/tests/TestPalettes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using giftest::Describe;
using giftest::PaletteOf;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes kHeader = {'G', 'I', 'F', '8', '9', 'a'};

struct Fixture {
  gif::EncoderModuleState module;
  gif::PaletteSpec web = giftest::WebPalette();
  gif::GifEncoder encoder{&module, &web};
  gif::MemorySink sink;

  Fixture(const gif::PaletteSpec& palette) {
    encoder.options.paletteChoice = 1;  // an explicit palette: no gathering
    encoder.working = palette;
  }
  Bytes Encode(uint32_t w, uint32_t h, int kind, const Bytes& px) {
    sink.bytes.clear();
    const giftest::PushResult r = giftest::Export(encoder, sink, Describe(w, h, kind), px);
    EXPECT_EQ(r.First(), 0u);
    return sink.bytes;
  }
};

TEST(GifStream, OnePixelTwoColours) {
  Fixture f(PaletteOf({0xFF0000, 0x0000FF}));
  const Bytes got = f.Encode(1, 1, 0, {0, 0, 255});  // one blue pixel
  const Bytes expected = Cat({
      kHeader,
      {0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00},        // screen 1x1, b = 1
      {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF},              // 2-entry table
      {0x21, 0xF9, 0x04, 0x00, 0x0C, 0x00, 0xFF, 0x00},  // delay 12 at 5 fps
      {0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00},
      {0x02},                    // minimum code size 2
      {0x02, 0x4C, 0x01, 0x00},  // clear 4, 1, end 5 in 3-bit codes
      {0x3B},
  });
  EXPECT_EQ(got, expected);
}

TEST(GifStream, OneColourPaletteAlsoUsesOneBit) {
  Fixture f(PaletteOf({0x123456}));
  const Bytes got = f.Encode(1, 1, 0, {0x12, 0x34, 0x56});
  ASSERT_GE(got.size(), 19u);
  EXPECT_EQ(got[10], 0x80);
  EXPECT_EQ(Bytes(got.begin() + 13, got.begin() + 19), (Bytes{0x12, 0x34, 0x56, 0, 0, 0}));
}

TEST(GifStream, ThreeColoursMakeAFourEntryTable) {
  Fixture f(PaletteOf({0xFF0000, 0x00FF00, 0x0000FF}));
  // 2x1: green, blue.
  const Bytes got = f.Encode(2, 1, 0, {0, 255, 0, 0, 0, 255});
  // Codes (3 bits): clear 4, 1, 2, end 5 -> 4 | 1<<3 | 2<<6 | 5<<9 = 0xA8C.
  const Bytes expected = Cat({
      kHeader,
      {0x02, 0x00, 0x01, 0x00, 0x91, 0x00, 0x00},  // b = 2: 0x80 | 1 << 4 | 1
      {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},
      {0x21, 0xF9, 0x04, 0x00, 0x0C, 0x00, 0xFF, 0x00},
      {0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00},
      {0x02, 0x02, 0x8C, 0x0A, 0x00, 0x3B},
  });
  EXPECT_EQ(got, expected);
}

TEST(GifStream, CodeSizeFollowsColourCount) {
  struct Case {
    int colors;
    uint8_t screenPacked;
    uint8_t minCodeSize;
  } cases[] = {{1, 0x80, 2},  {2, 0x80, 2},  {3, 0x91, 2},   {4, 0x91, 2},   {5, 0xA2, 3},
               {16, 0xB3, 4}, {17, 0xC4, 5}, {128, 0xE6, 7}, {129, 0xF7, 8}, {256, 0xF7, 8}};
  for (const Case& c : cases) {
    std::vector<uint32_t> rgb;
    for (int i = 0; i < c.colors; ++i) rgb.push_back(uint32_t(i) * 0x010101);
    Fixture f(PaletteOf(rgb));
    const Bytes got = f.Encode(1, 1, 0, {0, 0, 0});
    const giftest::DecodedGif g = giftest::ReadGif(got);
    ASSERT_TRUE(g.ok) << g.error;
    EXPECT_EQ(g.screenPacked, c.screenPacked) << c.colors;
    ASSERT_EQ(g.images.size(), 1u);
    EXPECT_EQ(g.images[0].minCodeSize, c.minCodeSize) << c.colors;
    EXPECT_EQ(g.globalTable.size(), 3u << ((c.screenPacked & 7) + 1));
  }
}

TEST(GifStream, DelayFromFramesPerSecond) {
  // Sixtieths of the frame time, rounded up; below 1 fps counts as 1.
  struct Case {
    int fps;
    uint16_t delay;
  } cases[] = {{5, 12}, {1, 60}, {60, 1}, {7, 9}, {30, 2}, {120, 1}, {0, 60}, {-3, 60}};
  for (const Case& c : cases) {
    Fixture f(PaletteOf({0x000000, 0xFFFFFF}));
    f.encoder.options.framesPerSecond = c.fps;
    const giftest::DecodedGif g = giftest::ReadGif(f.Encode(1, 1, 0, {0, 0, 0}));
    ASSERT_TRUE(g.ok) << g.error;
    EXPECT_EQ(g.images[0].delay, c.delay) << c.fps << " fps";
  }
}

TEST(GifStream, TransparencyInGraphicControl) {
  Fixture f(PaletteOf({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 3));
  f.encoder.options.transparent = true;
  // 32-bit: red, then a pixel with alpha 0.
  const Bytes got = f.Encode(2, 1, 1, {255, 0, 0, 255, 9, 9, 9, 0});
  const Bytes gce = {0x21, 0xF9, 0x04, 0x09, 0x0C, 0x00, 0x03, 0x00};
  ASSERT_GE(got.size(), 13u + 12u + 8u);
  EXPECT_EQ(Bytes(got.begin() + 25, got.begin() + 33), gce);
  const giftest::DecodedGif g = giftest::ReadGif(got);
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_EQ(g.images[0].indices, (Bytes{0, 3}));
}

TEST(GifStream, AnimationStartsWithLoopBlockAndLaterFramesAppend) {
  gif::EncoderModuleState module;
  gif::PaletteSpec web = giftest::WebPalette();
  gif::GifEncoder e(&module, &web);
  e.options.paletteChoice = 1;
  e.options.animation = true;
  e.options.initialFrame = true;
  e.options.framesPerSecond = 10;
  e.working = PaletteOf({0x000000, 0xFFFFFF});
  gif::MemorySink first;
  ASSERT_EQ(giftest::Export(e, first, Describe(2, 1, 0), {0, 0, 0, 255, 255, 255}).First(), 0u);
  const Bytes loop = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                      'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
  EXPECT_EQ(Bytes(first.bytes.begin() + 19, first.bytes.begin() + 38), loop);
  EXPECT_EQ(first.bytes[38], 0x21);
  EXPECT_EQ(first.bytes[39], 0xF9);
  EXPECT_EQ(first.bytes[42], 6);  // (10 + 59) / 10

  // Second frame, same colours: no local table.
  e.options.initialFrame = false;
  e.options.xOffset = 1;
  gif::MemorySink second;
  ASSERT_EQ(giftest::Export(e, second, Describe(1, 1, 0), {255, 255, 255}).First(), 0u);
  const Bytes expected2 = {0x21, 0xF9, 0x04, 0x00, 0x06, 0x00, 0xFF, 0x00, 0x2C, 0x01, 0x00, 0x00,
                           0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x4C, 0x01, 0x00, 0x3B};
  EXPECT_EQ(second.bytes, expected2);

  // Third frame, other colours: a local table of the same form.
  e.working = PaletteOf({0xFF0000, 0x00FF00, 0x0000FF});
  gif::MemorySink third;
  ASSERT_EQ(giftest::Export(e, third, Describe(1, 1, 0), {0, 0, 255}).First(), 0u);
  const Bytes expected3 = {0x21, 0xF9, 0x04, 0x00, 0x06, 0x00, 0xFF, 0x00, 0x2C, 0x01, 0x00, 0x00,
                           0x00, 0x01, 0x00, 0x01, 0x00, 0x81, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00,
                           0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x02, 0x02, 0x54, 0x01, 0x00, 0x3B};
  // Pixel index 2 in 3-bit codes: 4 | 2 << 3 | 5 << 6 = 0x154.
  EXPECT_EQ(third.bytes, expected3);

  // The local table did not replace the remembered global one.
  e.working = PaletteOf({0x000000, 0xFFFFFF});
  gif::MemorySink fourth;
  ASSERT_EQ(giftest::Export(e, fourth, Describe(1, 1, 0), {0, 0, 0}).First(), 0u);
  EXPECT_EQ(fourth.bytes[17], 0x00);

  // The frames joined as the module joins them (each over the previous
  // trailer) make one valid file.
  Bytes file = first.bytes;
  for (const Bytes* b : {&second.bytes, &third.bytes, &fourth.bytes}) {
    file.pop_back();
    file.insert(file.end(), b->begin(), b->end());
  }
  const giftest::DecodedGif g = giftest::ReadGif(file);
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_TRUE(g.hasLoop);
  ASSERT_EQ(g.images.size(), 4u);
  EXPECT_EQ(g.images[2].indices, Bytes{2});
}

TEST(GifStream, InterlaceOrder) {
  auto order = [](uint32_t h) {
    std::vector<uint32_t> rows;
    for (uint32_t i = 0; i < h; ++i) rows.push_back(gif::InterlacedRow(i, h));
    return rows;
  };
  EXPECT_EQ(order(1), (std::vector<uint32_t>{0}));
  EXPECT_EQ(order(10), (std::vector<uint32_t>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
  EXPECT_EQ(order(5), (std::vector<uint32_t>{0, 4, 2, 1, 3}));
  for (uint32_t h = 1; h < 70; ++h) {  // every row exactly once
    std::vector<uint32_t> rows = order(h);
    std::sort(rows.begin(), rows.end());
    for (uint32_t i = 0; i < h; ++i) ASSERT_EQ(rows[i], i) << "height " << h;
  }
}

TEST(GifStream, InterlacedImageStoresRowsInInterlaceOrder) {
  // Ten rows, row y drawn in colour y, written through the encoder.
  std::vector<uint32_t> rgb;
  for (uint32_t i = 0; i < 10; ++i) rgb.push_back(i * 0x101010);
  Fixture f(PaletteOf(rgb));
  f.encoder.options.interlaced = true;
  Bytes px;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 3; ++x)
      px.insert(px.end(), {uint8_t(y * 16), uint8_t(y * 16), uint8_t(y * 16)});
  }
  const giftest::DecodedGif g = giftest::ReadGif(f.Encode(3, 10, 0, px));
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_EQ(g.images[0].packed & 0x40, 0x40);
  Bytes firstColumn;
  for (int i = 0; i < 10; ++i) firstColumn.push_back(g.images[0].indices[size_t(i) * 3]);
  EXPECT_EQ(firstColumn, (Bytes{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST(GifStream, LargeEightBitImagePacketsAndEnd) {
  // 8-bit indexed input with its own palette, noisy enough to fill the
  // code table several times.
  std::vector<gif::PaletteEntry> pal(256);
  for (int i = 0; i < 256; ++i) {
    pal[i] = gif::PaletteEntry{0, uint16_t(i), uint16_t(255 - i), uint16_t(i * 3 & 255)};
  }
  const uint32_t w = 301, h = 211;
  Bytes px(size_t(w) * h);
  uint32_t s = 99;
  for (uint8_t& p : px) {
    s = s * 1103515245u + 12345u;
    p = static_cast<uint8_t>(s >> 23);
  }
  Fixture f(PaletteOf({0}));
  gif::ImageDescription d = Describe(w, h, 2);
  d.palette = pal.data();
  f.sink.bytes.clear();
  f.encoder.SetOutput(&f.sink);
  ASSERT_EQ(giftest::Push(f.encoder, d, px).First(), 0u);
  const Bytes& got = f.sink.bytes;
  const giftest::DecodedGif g = giftest::ReadGif(got);
  ASSERT_TRUE(g.ok) << g.error;
  const giftest::DecodedImage& img = g.images[0];
  EXPECT_EQ(img.indices, px);
  EXPECT_EQ(img.maxCodeWidth, 12);
  EXPECT_GE(img.clearCodes, 3);
  for (size_t i = 0; i + 1 < img.packetSizes.size(); ++i) ASSERT_EQ(img.packetSizes[i], 255);
  EXPECT_EQ(got[img.dataEnd - 1], 0x00);
  EXPECT_EQ(img.dataEnd + 1, got.size());
  EXPECT_EQ(got.back(), 0x3B);
  // The table is the image's palette, low bytes of each component.
  EXPECT_EQ(Bytes(g.globalTable.begin() + 3 * 7, g.globalTable.begin() + 3 * 8),
            (Bytes{7, 248, 21}));
}

}  // namespace
