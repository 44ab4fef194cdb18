#include "plugin/gifwriter/encoder/NoiseGenerator.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const uint32_t kSeed[32] = {
    0x4C849220, 0x87144B93, 0x4120128F, 0x0F143130, 0xB2DFE624, 0x8623DF73, 0xBE40C9EF, 0xA16FDF94,
    0x07DD08DF, 0xB43F7AE4, 0xA840A66F, 0x2E749E13, 0x1AC37693, 0x94607D14, 0x3453EA60, 0x67147C90,
    0x3DDF3144, 0x6723AF13, 0x8DC0E314, 0x947312E0, 0x2E2FEA14, 0x6790A3E4, 0x3140EA34, 0x6B3393C3,
    0xB17055A4, 0xF4A0EC34, 0x92D09DC4, 0x07580D54, 0x2EF34AE0, 0xD96F938F, 0x4B9410F3, 0x19A0ECF4};

// The generator written out plainly from its rule.
struct Reference {
  std::vector<uint32_t> s{std::begin(kSeed), std::end(kSeed)};
  int p = 0;
  uint32_t Next() {
    const uint32_t out = s[p];
    s[((p - 15) % 32 + 32) % 32] ^= out;
    s[((p - 9) % 32 + 32) % 32] ^= out;
    p = (p + 1) % 32;
    return out;
  }
  void Reseed(uint32_t n) {
    s.assign(std::begin(kSeed), std::end(kSeed));
    p = 0;
    for (uint32_t i = 0; i < n; ++i) Next();
    std::vector<uint32_t> fresh;
    for (int i = 0; i < 32; ++i) fresh.push_back(Next());
    s = fresh;
    p = 0;
  }
};

// Worked by hand: the first 17 outputs of the seeded table are the seed words
// themselves (the words they would change are read later), so after reseeding
// with n <= 16 the first output is seed word n.
TEST(NoiseGenerator, FirstOutputAfterReseedIsSeedWordForSmallRows) {
  gif::NoiseGenerator g;
  for (uint32_t n : {0u, 1u, 5u, 16u}) {
    g.Reseed(n);
    EXPECT_EQ(g.Next(), kSeed[n]) << "row " << n;
  }
}

TEST(NoiseGenerator, OutputsAfterReseedFollowTheRule) {
  gif::NoiseGenerator g;
  for (uint32_t row : {0u, 1u, 2u, 31u, 32u, 33u, 100u, 1000u}) {
    Reference ref;
    ref.Reseed(row);
    g.Reseed(row);
    for (int k = 0; k < 100; ++k) ASSERT_EQ(g.Next(), ref.Next()) << "row " << row << " k " << k;
  }
}

// Rows in order, repeated, backwards and far apart, with draws between: a
// reseed depends on its row alone, whatever rows came before.
TEST(NoiseGenerator, ReseedInAnyOrderFollowsTheRule) {
  gif::NoiseGenerator g;
  const uint32_t rows[] = {0, 1, 2, 2, 3, 40, 39, 0, 5, 700, 701, 703, 64, 65, 3000, 2999, 1};
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    Reference ref;
    ref.Reseed(rows[i]);
    g.Reseed(rows[i]);
    for (size_t k = 0; k < 40 + 7 * i; ++k) {
      ASSERT_EQ(g.Next(), ref.Next()) << "row " << rows[i] << " k " << k;
    }
  }
}

TEST(NoiseGenerator, ReseedForgetsEarlierDraws) {
  gif::NoiseGenerator a, b;
  for (int i = 0; i < 77; ++i) a.Next();
  a.Reseed(9);
  b.Reseed(9);
  for (int k = 0; k < 40; ++k) ASSERT_EQ(a.Next(), b.Next());
}

}  // namespace
