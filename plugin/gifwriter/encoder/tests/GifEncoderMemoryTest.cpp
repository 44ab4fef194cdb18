// Memory the encoder cannot get fails the image with the out-of-memory
// status; no exception reaches the caller (the host calls through its
// interfaces, where one would end the host). A program of its own, because
// it replaces the global operator new.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "plugin/gifwriter/encoder/GifEncoder.h"
#include "plugin/gifwriter/encoder/tests/TestPalettes.h"

namespace {

// Blocks larger than this fail while armed; small ones (the test's own
// bookkeeping) still succeed.
size_t g_failAbove = SIZE_MAX;

struct FailLargeBlocks {
  explicit FailLargeBlocks(size_t bytes) { g_failAbove = bytes; }
  ~FailLargeBlocks() { g_failAbove = SIZE_MAX; }
};

void* Allocate(size_t n) {
  if (n > g_failAbove) throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t n) {
  return Allocate(n);
}
void* operator new[](size_t n) {
  return Allocate(n);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
  std::free(p);
}

namespace {

gif::ImageDescription TrueColour(uint32_t w, uint32_t h) {
  gif::ImageDescription d;
  d.width = w;
  d.height = h;
  d.kind = 0;  // 24-bit
  return d;
}

// Many different colours, so the mapping has work in many places.
std::vector<uint8_t> Row(uint32_t width, uint32_t y) {
  std::vector<uint8_t> row;
  for (uint32_t x = 0; x < width; ++x) {
    row.push_back(static_cast<uint8_t>(x * 37 + y));
    row.push_back(static_cast<uint8_t>(x * 11 + y * 5));
    row.push_back(static_cast<uint8_t>(255 - x * 3));
  }
  return row;
}

TEST(GifEncoderMemory, AFailedAllocationFailsTheImageInsteadOfThrowing) {
  for (const bool atBegin : {true, false}) {
    SCOPED_TRACE(atBegin ? "memory short at begin" : "memory short in the rows");
    gif::EncoderModuleState module;
    gif::PaletteSpec web = giftest::WebPalette();
    gif::GifEncoder encoder{&module, &web};
    gif::MemorySink sink;
    encoder.options.paletteChoice = 1;
    encoder.options.dither = true;
    // One entry off the web palette's levels, so that answers are not
    // worked out channel by channel but kept in the grid.
    encoder.working = giftest::WebPalette();
    encoder.working.entries[100] = gif::MakeEntry(1, 2, 3);
    encoder.SetOutput(&sink);
    // Large enough for the colour cache to keep its answers a grid cell at
    // a time, which takes memory as the rows' colours arrive (a smaller
    // image's cache takes all it needs at begin).
    const uint32_t width = 256;
    const uint32_t height = static_cast<uint32_t>(gif::ColorMapCache::kGridFromLookups / width);
    std::vector<std::vector<uint8_t>> rows;
    for (uint32_t y = 0; y < height; ++y) rows.push_back(Row(width, y));
    gif::Status begin = 0, firstRow = 0, end = 0;
    if (!atBegin) begin = encoder.BeginImage(TrueColour(width, height));
    {
      // Nothing at all at begin; nothing above 1 KB in the rows.
      FailLargeBlocks shortOfMemory(atBegin ? 0 : 1024);
      if (atBegin) begin = encoder.BeginImage(TrueColour(width, height));
      for (uint32_t y = 0; y < height; ++y) {
        const gif::Status s = encoder.ReceiveRow(y, rows[y].data());
        if (s != 0 && firstRow == 0) firstRow = s;
      }
      end = encoder.EndImage();
    }
    if (atBegin) {
      EXPECT_EQ(gif::kOutOfMemory, begin);
    } else {
      EXPECT_EQ(0u, begin);
      EXPECT_EQ(gif::kOutOfMemory, firstRow);
    }
    EXPECT_EQ(gif::kOutOfMemory, end);  // the image stays failed

    // With memory back, the same encoder writes the next image.
    ASSERT_EQ(0u, encoder.BeginImage(TrueColour(width, height)));
    for (uint32_t y = 0; y < height; ++y) ASSERT_EQ(0u, encoder.ReceiveRow(y, rows[y].data()));
    EXPECT_EQ(0u, encoder.EndImage());
  }
}

}  // namespace
