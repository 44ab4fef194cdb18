#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <vector>

#include "moviewriter/HVMovie.h"
#include "moviewriter/KmvReader.h"
#include "moviewriter/tests/ScratchDir.h"

namespace {

// A small colour-mapped bitmap movie, as written by the library.
std::vector<uint8_t> SampleMovie() {
  ResetCharacterId();
  std::vector<U8> table(2 * 3);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<U8>(0x10 * i + 1);
  std::vector<U8> pixels = {0, 1, 1, 0, 1, 1, 0, 0};  // 3 x 2, rows padded to 4
  HVBitmap bitmap(0, 0, 60, 40, 3, 3, 2, 2, false, pixels.data(), table.data());
  HVMovie movie;
  movie.width = 60;
  movie.height = 40;
  movie.Frame(0)->AddObject(&bitmap);
  ScratchDir dir;
  std::string path = dir.File("sample.kmv");
  EXPECT_TRUE(movie.WriteMovie(path.c_str()));
  return ReadBytes(path);
}

void SetU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(KmvReader, ReadsTheSample) {
  std::vector<uint8_t> b = SampleMovie();
  kmv::Movie m = kmv::Read(b);
  EXPECT_EQ(m.signature, "VMK");
  EXPECT_EQ(m.version, 4);
  EXPECT_EQ(m.fileLength, b.size());
  ASSERT_EQ(m.tags.size(), 5u);
  EXPECT_EQ(m.tags[0].bitmap.inflated,
            std::vector<uint8_t>({0x01, 0x11, 0x21, 0x31, 0x41, 0x51, 0, 1, 1, 0, 1, 1, 0, 0}));
  std::string text = kmv::Dump(m);
  for (const char* want :
       {"signature VMK, version 4", "DefineBitsLossless (20)", "3 x 2 pixels, 2 colours",
        "DefineShape3 (32)", "fill 2: clipped bitmap 1", "PlaceObject2 (26)",
        "depth 0, character 2", "ShowFrame (1)", "End (0)"}) {
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  }
}

TEST(KmvReader, DamagedFilesNameTheOffset) {
  const std::vector<uint8_t> good = SampleMovie();
  const kmv::Movie sample = kmv::Read(good);
  const uint32_t shapeAt = sample.tags[1].offset;
  const uint32_t bitmapAt = sample.tags[0].offset;
  const uint32_t endAt = sample.tags.back().offset;
  struct {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    uint32_t offset;  // the offset named, or the first of a range
    const char* text;
    uint32_t last = 0;  // the range's last offset, 0 for one offset
  } cases[] = {
      {"signature", [](std::vector<uint8_t>& b) { b[1] = 'X'; }, 0, "signature"},
      {"one byte short", [](std::vector<uint8_t>& b) { b.pop_back(); }, 4, "file length"},
      {"length field", [](std::vector<uint8_t>& b) { b[4] ^= 1; }, 4, "file length"},
      {"no End tag",
       [](std::vector<uint8_t>& b) {
         b.resize(b.size() - 2);
         SetU32(b, 4, static_cast<uint32_t>(b.size()));
       },
       endAt, "no End tag"},
      {"data after End",
       [](std::vector<uint8_t>& b) {
         b.push_back(0);
         SetU32(b, 4, static_cast<uint32_t>(b.size()));
       },
       endAt + 2, "after the End tag"},
      {"tag runs past the end", [shapeAt](std::vector<uint8_t>& b) { b[shapeAt] |= 0x3E; }, shapeAt,
       "past the end"},
      {"zlib stream damaged",
       [bitmapAt](std::vector<uint8_t>& b) { b[bitmapAt + 2 + 8 + 2] ^= 0xFF; },
       // Named where inflating stopped: inside the stream, at or after the damage.
       bitmapAt + 2 + 8 + 2, "zlib", sample.tags[1].offset - 1},
      {"frame count", [](std::vector<uint8_t>& b) { b[19] = 2; }, 19, "frames"},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> b = good;
    c.damage(b);
    try {
      kmv::Read(b);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const kmv::ParseError& e) {
      if (c.last) {
        EXPECT_GE(e.Offset(), c.offset) << c.name << ": " << e.what();
        EXPECT_LE(e.Offset(), c.last) << c.name << ": " << e.what();
      } else {
        EXPECT_EQ(e.Offset(), c.offset) << c.name << ": " << e.what();
      }
      EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
}

TEST(KmvReader, BitmapSizesItsDataCannotHoldAreRefused) {
  // Width and height raised to 65535 x 16383: just under the 1 GiB the reader
  // inflates at most, from a zlib stream of some twenty bytes.
  std::vector<uint8_t> b = SampleMovie();
  const uint8_t fields[] = {3, 3, 0, 2, 0, 1};  // format 3, 3 x 2 pixels, 2 colours
  auto it = std::search(b.begin(), b.end(), std::begin(fields), std::end(fields));
  ASSERT_NE(it, b.end());
  const uint32_t formatAt = static_cast<uint32_t>(it - b.begin());
  b[formatAt + 1] = 0xFF, b[formatAt + 2] = 0xFF;
  b[formatAt + 3] = 0xFF, b[formatAt + 4] = 0x3F;
  try {
    kmv::Read(b);
    ADD_FAILURE() << "accepted";
  } catch (const kmv::ParseError& e) {
    EXPECT_EQ(e.Offset(), formatAt) << e.what();
    EXPECT_NE(std::string(e.what()).find("cannot come from"), std::string::npos) << e.what();
  }
}

TEST(KmvReader, EveryTruncationIsRejected) {
  const std::vector<uint8_t> good = SampleMovie();
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> b(good.begin(), good.begin() + n);
    if (b.size() >= 8) SetU32(b, 4, static_cast<uint32_t>(n));  // only the truncation is wrong
    EXPECT_THROW(kmv::Read(b), kmv::ParseError) << n;
  }
}

}  // namespace
