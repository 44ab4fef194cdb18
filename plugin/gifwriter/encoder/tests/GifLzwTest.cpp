#include "plugin/gifwriter/encoder/GifLzw.h"

#include <gtest/gtest.h>

#include <vector>

#include "plugin/gifwriter/encoder/tests/GifReader.h"

namespace {

struct Collected {
  std::vector<uint8_t> bytes;
  int failAfter = -1;  // packets accepted before writes start failing
};

bool Collect(void* context, const uint8_t* data, size_t count) {
  auto* c = static_cast<Collected*>(context);
  if (c->failAfter == 0) return false;
  if (c->failAfter > 0) --c->failAfter;
  c->bytes.insert(c->bytes.end(), data, data + count);
  return true;
}

struct Coder {
  gif::LzwState state{};
  std::vector<uint16_t> codes = std::vector<uint16_t>(gif::kHashSlots);
  std::vector<uint32_t> values = std::vector<uint32_t>(gif::kHashSlots);
  Collected out;
  void Run(int m, const std::vector<uint8_t>& pixels, size_t chunk = 1000) {
    gif::LzwStart(&state, m, codes.data(), values.data(), Collect, &out);
    for (size_t i = 0; i < pixels.size(); i += chunk) {
      gif::LzwCompress(&state, pixels.data() + i, std::min(chunk, pixels.size() - i));
    }
    gif::LzwFinish(&state);
  }
};

// Splits packets back into data, checking the count bytes.
std::vector<uint8_t> Unpack(const std::vector<uint8_t>& packets, std::vector<int>* sizes) {
  std::vector<uint8_t> data;
  size_t i = 0;
  while (i < packets.size()) {
    const int n = packets[i];
    EXPECT_GT(n, 0);
    sizes->push_back(n);
    data.insert(data.end(), packets.begin() + i + 1, packets.begin() + i + 1 + n);
    i += 1 + n;
  }
  EXPECT_EQ(i, packets.size());
  return data;
}

TEST(GifLzw, OnePixelWithMinimumCodeSizeTwo) {
  // Clear 4, pixel 1, end 5, three bits each: 100 001 101 -> 0x4C 0x01.
  Coder c;
  c.Run(2, {1});
  EXPECT_EQ(c.out.bytes, (std::vector<uint8_t>{0x02, 0x4C, 0x01}));
}

TEST(GifLzw, RepeatedPixelsBuildStrings) {
  // m = 2, four zeros. Codes: clear 4; 0 (stores 6 = "00"); 6 (stores 7 =
  // "000", next free 8); 0 at the end, still 3 bits, after which next free 8
  // passes the maximum 7 and the width grows; end code 5 at 4 bits.
  // Bits: 4 | 0 << 3 | 6 << 6 | 0 << 9 | 5 << 12 = 0x5184.
  Coder c;
  c.Run(2, {0, 0, 0, 0});
  EXPECT_EQ(c.out.bytes, (std::vector<uint8_t>{0x02, 0x84, 0x51}));
}

TEST(GifLzw, EightBitImageGrowsToTwelveBitsAndClears) {
  // Noise-like pixels make a new code at almost every step, so the table
  // fills and is cleared several times.
  std::vector<uint8_t> px(200000);
  uint32_t s = 12345;
  for (uint8_t& p : px) {
    s = s * 1103515245u + 12345u;
    p = static_cast<uint8_t>(s >> 24);
  }
  Coder c;
  c.Run(8, px);
  std::vector<int> sizes;
  const std::vector<uint8_t> data = Unpack(c.out.bytes, &sizes);
  giftest::DecodedImage img;
  std::string error;
  ASSERT_TRUE(giftest::DecodeLzw(data, 8, px.size(), &img, &error)) << error;
  EXPECT_EQ(img.indices, px);
  EXPECT_EQ(img.maxCodeWidth, 12);
  EXPECT_GE(img.clearCodes, 3);  // the first, and at least two at next free 4096
  EXPECT_TRUE(img.sawEndCode);
  for (size_t i = 0; i + 1 < sizes.size(); ++i) ASSERT_EQ(sizes[i], 255) << "packet " << i;
  EXPECT_GE(sizes.back(), 1);
  EXPECT_LE(sizes.back(), 255);
}

TEST(GifLzw, RoundTripTable) {
  struct Case {
    const char* name;
    int m;
    std::vector<uint8_t> pixels;
  } cases[] = {
      {"single", 2, {3}},
      {"two colours alternating", 2, {}},
      {"long run", 8, std::vector<uint8_t>(100000, 7)},
      {"ramp", 8, {}},
      {"four colours", 2, {}},
  };
  for (int i = 0; i < 5000; ++i) cases[1].pixels.push_back(i & 1);
  for (int i = 0; i < 70000; ++i) cases[3].pixels.push_back(static_cast<uint8_t>(i * 7 / 3));
  for (int i = 0; i < 30000; ++i) cases[4].pixels.push_back(static_cast<uint8_t>((i * i) >> 3 & 3));
  for (const Case& k : cases) {
    for (size_t chunk : {size_t(1), size_t(333), size_t(100000)}) {
      Coder c;
      c.Run(k.m, k.pixels, chunk);
      std::vector<int> sizes;
      giftest::DecodedImage img;
      std::string error;
      ASSERT_TRUE(
          giftest::DecodeLzw(Unpack(c.out.bytes, &sizes), k.m, k.pixels.size(), &img, &error))
          << k.name << ": " << error;
      EXPECT_EQ(img.indices, k.pixels) << k.name;
      EXPECT_LE(img.maxCodeWidth, 12) << k.name;
    }
  }
}

TEST(GifLzw, FailedPacketWriteStopsFurtherWrites) {
  std::vector<uint8_t> px(50000);
  for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 31 + i / 7);
  Coder c;
  c.out.failAfter = 2;
  c.Run(8, px);
  EXPECT_TRUE(c.state.failed);
  EXPECT_EQ(c.out.bytes.size(), 2u * 256u);
}

}  // namespace
