#include "plugin/gifwriter/encoder/GifLzw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
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
  std::unique_ptr<gif::LzwTable> table = std::make_unique<gif::LzwTable>();
  Collected out;
  void Run(int m, const std::vector<uint8_t>& pixels, size_t chunk = 1000) {
    gif::LzwStart(&state, m, table.get(), Collect, &out);
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

// The coder written the plain way, a bit at a time with an ordered map for
// the dictionary, to hold the table-driven coder to the same bytes.
std::vector<uint8_t> ReferencePackets(int m, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> data;
  uint32_t pending = 0;
  int pendingBits = 0;
  const uint32_t clear = 1u << m;
  const uint32_t end = clear + 1;
  uint32_t next = clear + 2;
  int width = m + 1;
  auto emit = [&](uint32_t code) {
    for (int b = 0; b < width; ++b) {
      pending |= ((code >> b) & 1u) << pendingBits;
      if (++pendingBits == 8) {
        data.push_back(static_cast<uint8_t>(pending));
        pending = 0;
        pendingBits = 0;
      }
    }
    // The width grows once the next free code no longer fits; 12 at most.
    if (next >= (1u << width) && width < 12) ++width;
  };
  std::map<std::pair<uint32_t, uint32_t>, uint32_t> dict;
  emit(clear);
  if (!pixels.empty()) {
    uint32_t w = pixels[0];
    for (size_t k = 1; k < pixels.size(); ++k) {
      const uint32_t c = pixels[k];
      auto found = dict.find({w, c});
      if (found != dict.end()) {
        w = found->second;
        continue;
      }
      emit(w);
      if (next < 4096) {
        dict[{w, c}] = next++;
      } else {
        dict.clear();
        next = clear + 2;
        emit(clear);
        width = m + 1;
      }
      w = c;
    }
    emit(w);
  }
  emit(end);
  if (pendingBits > 0) data.push_back(static_cast<uint8_t>(pending));
  std::vector<uint8_t> packets;
  for (size_t i = 0; i < data.size(); i += 255) {
    const size_t n = std::min<size_t>(255, data.size() - i);
    packets.push_back(static_cast<uint8_t>(n));
    packets.insert(packets.end(), data.begin() + i, data.begin() + i + n);
  }
  return packets;
}

uint32_t NextRandom(uint32_t* s) {
  *s = *s * 1664525u + 1013904223u;
  return *s >> 8;
}

TEST(GifLzw, MatchesPlainCoderOnVariedInput) {
  struct Case {
    std::string name;
    int m;
    std::vector<uint8_t> pixels;
  };
  std::vector<Case> cases;
  cases.push_back({"nothing", 8, {}});
  cases.push_back({"one pixel", 8, {200}});
  cases.push_back({"long run", 8, std::vector<uint8_t>(300000, 9)});
  cases.push_back({"long run, two bits", 2, std::vector<uint8_t>(300000, 3)});
  {
    // Every pair of byte values once: the table fills and clears over and
    // over with strings of two.
    std::vector<uint8_t> px;
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        px.push_back(static_cast<uint8_t>(a));
        px.push_back(static_cast<uint8_t>(b));
      }
    }
    cases.push_back({"all pairs", 8, px});
  }
  {
    std::vector<uint8_t> px;
    for (int i = 0; i < 100000; ++i) px.push_back(static_cast<uint8_t>(i));
    cases.push_back({"all distinct in turn", 8, px});
  }
  uint32_t seed = 77;
  for (int m = 2; m <= 8; ++m) {
    std::vector<uint8_t> noise(60000);
    for (uint8_t& p : noise) p = static_cast<uint8_t>(NextRandom(&seed) & ((1u << m) - 1));
    cases.push_back({"noise, m = " + std::to_string(m), m, noise});
    // Smooth ramps with small noise and runs, like a mapped photograph.
    std::vector<uint8_t> photo(60000);
    for (size_t i = 0; i < photo.size(); ++i) {
      const uint32_t r = NextRandom(&seed);
      const uint32_t base = static_cast<uint32_t>(i / 97 + (i % 613) / 41);
      photo[i] = static_cast<uint8_t>((base + (r % 4 == 0 ? r >> 8 & 3 : 0)) & ((1u << m) - 1));
    }
    cases.push_back({"photo-like, m = " + std::to_string(m), m, photo});
  }
  for (int m : {2, 8}) {
    // Runs of 1 to 300 pixels of random colours, long enough for the table
    // to fill and clear in the middle of runs, and areas with few colours,
    // where a run's strings are found again and again.
    std::vector<uint8_t> px;
    while (px.size() < 600000) {
      const uint32_t r = NextRandom(&seed);
      const size_t length = 1 + r % 300;
      const uint32_t colour = px.size() < 300000 ? r >> 12 : (r >> 12) % 3;
      px.insert(px.end(), length, static_cast<uint8_t>(colour & ((1u << m) - 1)));
    }
    cases.push_back({"runs, m = " + std::to_string(m), m, px});
  }
  {
    // Lengths either side of a packet boundary.
    for (size_t n : {size_t(300), size_t(339), size_t(340), size_t(341), size_t(1020)}) {
      std::vector<uint8_t> px(n);
      for (uint8_t& p : px) p = static_cast<uint8_t>(NextRandom(&seed));
      cases.push_back({"noise of " + std::to_string(n), 8, px});
    }
  }
  for (const Case& k : cases) {
    const std::vector<uint8_t> expected = ReferencePackets(k.m, k.pixels);
    for (size_t chunk : {size_t(1), size_t(7), size_t(4000), size_t(1) << 30}) {
      Coder c;
      c.Run(k.m, k.pixels, chunk);
      ASSERT_EQ(c.out.bytes, expected) << k.name << ", rows of " << chunk;
    }
  }
}

TEST(GifLzw, MatchesPlainCoderOnRowsOfRandomLengths) {
  uint32_t seed = 4242;
  std::vector<uint8_t> px(400000);
  for (size_t i = 0; i < px.size(); ++i) {
    px[i] = static_cast<uint8_t>(NextRandom(&seed) % 5 == 0 ? NextRandom(&seed) : i / 1000);
  }
  const std::vector<uint8_t> expected = ReferencePackets(8, px);
  Coder c;
  gif::LzwStart(&c.state, 8, c.table.get(), Collect, &c.out);
  for (size_t i = 0; i < px.size();) {
    const size_t n = std::min<size_t>(NextRandom(&seed) % 700, px.size() - i);
    gif::LzwCompress(&c.state, px.data() + i, n);  // empty rows too
    i += n;
  }
  gif::LzwFinish(&c.state);
  EXPECT_EQ(c.out.bytes, expected);
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
