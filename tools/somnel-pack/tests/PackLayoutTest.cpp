#include "tools/somnel-pack/PackLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

PayloadTrailer Zero() {
  PayloadTrailer t;
  std::memset(&t, 0, sizeof t);
  return t;
}

TEST(PackLayoutTest, ItemsFollowEachOtherAndTheTrailerEndsTheFile) {
  struct Case {
    const char* what;
    PackSizes sizes;
    uint32_t settingsBox, preview, playerStart, playerEnd;
    uint64_t total;
  } cases[] = {
      {"both pictures", {1000, 300, 200, 5000}, 1000, 1300, 1500, 6500, 6500 + kTrailerSize},
      {"no pictures", {1000, 0, 0, 5000}, 0, 0, 1000, 6000, 6000 + kTrailerSize},
      {"preview only", {1000, 0, 200, 5000}, 0, 1000, 1200, 6200, 6200 + kTrailerSize},
      {"settings box only", {1000, 300, 0, 7}, 1000, 0, 1300, 1307, 1307 + kTrailerSize},
  };
  for (const Case& c : cases) {
    PayloadTrailer t = Zero();
    t.flags = kFlagRunPreview;  // the plan leaves the project's fields alone
    uint64_t total = 0;
    std::string error;
    ASSERT_TRUE(PlanPackage(c.sizes, t, total, error)) << c.what << ": " << error;
    EXPECT_EQ(t.magic, kTrailerMagic) << c.what;
    EXPECT_EQ(t.settingsBoxImageOffset, c.settingsBox) << c.what;
    EXPECT_EQ(t.previewImageOffset, c.preview) << c.what;
    EXPECT_EQ(t.playerStart, c.playerStart) << c.what;
    EXPECT_EQ(t.playerEnd, c.playerEnd) << c.what;
    EXPECT_EQ(total, c.total) << c.what;
    EXPECT_EQ(t.flags, kFlagRunPreview) << c.what;
    EXPECT_TRUE(TrailerHasPackage(t)) << c.what;
    EXPECT_EQ(CheckTrailerOffsets(t, total), "") << c.what;
  }
}

TEST(PackLayoutTest, RefusesPackagesPast4GiB) {
  struct Case {
    const char* what;
    PackSizes sizes;
    bool fits;
  } cases[] = {
      {"exactly at the limit", {kMaxPackageSize - kTrailerSize - 10, 0, 0, 10}, true},
      {"one byte past", {kMaxPackageSize - kTrailerSize - 9, 0, 0, 10}, false},
      {"pieces add up past", {2000000000, 1000000000, 1000000000, 400000000}, false},
      {"one piece alone past", {100, 0, 0, kMaxPackageSize + 1}, false},
      {"huge sizes that would wrap a 64-bit sum", {~0ull, ~0ull, ~0ull, ~0ull}, false},
  };
  for (const Case& c : cases) {
    PayloadTrailer t = Zero();
    uint64_t total = 0;
    std::string error;
    EXPECT_EQ(PlanPackage(c.sizes, t, total, error), c.fits) << c.what;
    if (!c.fits) {
      EXPECT_EQ(error, "the package would pass 4 GiB") << c.what;
      EXPECT_EQ(t.magic, 0u) << c.what << ": a refused plan leaves the trailer alone";
    }
  }
}

TEST(PackLayoutTest, RefusesAnEmptyPlayer) {
  PayloadTrailer t = Zero();
  uint64_t total = 0;
  std::string error;
  EXPECT_FALSE(PlanPackage({1000, 0, 0, 0}, t, total, error));
  EXPECT_EQ(error, "the player is empty");
}

}  // namespace

namespace {

std::vector<uint8_t> Bmp(size_t size, uint32_t headerSize, uint32_t pixelOffset) {
  std::vector<uint8_t> bytes(size, 0x33);
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4 && at + i < size; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  if (size > 1) bytes[0] = 'B', bytes[1] = 'M';
  put(2, static_cast<uint32_t>(size));
  put(10, pixelOffset);
  put(14, headerSize);
  return bytes;
}

TEST(PackLayoutTest, BmpCheck) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool bmp;
  } cases[] = {
      {"information header", Bmp(70, 40, 54), true},
      {"core header", Bmp(40, 12, 26), true},
      {"version 5 header", Bmp(200, 124, 138), true},
      {"palette before the pixels", Bmp(1078 + 16, 40, 1078), true},
      {"unknown header size", Bmp(70, 41, 55), false},
      {"pixels inside the headers", Bmp(70, 40, 40), false},
      {"pixels past the end", Bmp(70, 40, 70), false},
      {"header cut short", Bmp(30, 40, 54), false},
      {"file header only", Bmp(14, 40, 54), false},
      {"no BM", std::vector<uint8_t>(70, 'x'), false},
      {"empty", {}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LooksLikeBmpFile(c.bytes.data(), c.bytes.size()), c.bmp) << c.what;
}

}  // namespace
