// The stand-in's palette readers: colour tables out of BMP, GIF and ACT
// bytes, the answers to "can you read this?", and delivery to a setter.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/PaletteReaders.h"
#include "plugin/gifwriter/encoder/PaletteSpec.h"

using namespace vrixhost;

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// An 8-bit 2x1 BMP whose table holds `used` colours: colour i = (10 + i, 100 + i, 200 - i).
std::vector<uint8_t> Bmp(uint32_t bits, uint32_t used) {
  std::vector<uint8_t> b = {'B', 'M'};
  const uint32_t colours = used ? used : (1u << bits);
  Put32(b, 14 + 40 + colours * 4 + 4);
  Put32(b, 0);
  Put32(b, 14 + 40 + colours * 4);
  Put32(b, 40);
  Put32(b, 2);
  Put32(b, 1);
  Put16(b, 1);
  Put16(b, bits);
  Put32(b, 0);
  Put32(b, 4);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, used);
  Put32(b, 0);
  for (uint32_t i = 0; i < colours; ++i) {
    b.push_back(static_cast<uint8_t>(200 - i));  // blue first
    b.push_back(static_cast<uint8_t>(100 + i));
    b.push_back(static_cast<uint8_t>(10 + i));
    b.push_back(0);
  }
  Put32(b, 0x00000100);
  return b;
}

// A GIF with a 4-colour global table (or, without it, a local one).
std::vector<uint8_t> Gif(bool global) {
  std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0};
  const uint8_t table[] = {255, 0, 0, 0, 0, 255, 1, 2, 3, 250, 251, 252};
  b.push_back(global ? 0x81 : 0x00);
  b.push_back(0);
  b.push_back(0);
  if (global) b.insert(b.end(), table, table + 12);
  b.insert(b.end(), {0x21, 0xF9, 4, 1, 0, 0, 0, 0});  // graphic control extension
  b.insert(b.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0});
  b.push_back(global ? 0x00 : 0x81);
  if (!global) b.insert(b.end(), table, table + 12);
  b.insert(b.end(), {2, 2, 0x44, 0x01, 0, 0x3B});
  return b;
}

TEST(PaletteReaders, ColourTablesOfEachKind) {
  std::vector<VxColorEntry> c;
  ASSERT_TRUE(ParsePalette(PaletteFileKind::kBmp, Bmp(8, 3), &c));
  ASSERT_EQ(3u, c.size());
  EXPECT_EQ(12 * 257, c[2].red);
  EXPECT_EQ(102 * 257, c[2].green);
  EXPECT_EQ(198 * 257, c[2].blue);
  ASSERT_TRUE(ParsePalette(PaletteFileKind::kBmp, Bmp(4, 0), &c));
  EXPECT_EQ(16u, c.size());  // 0 colours used means all of them
  ASSERT_TRUE(ParsePalette(PaletteFileKind::kBmp, Bmp(8, 300), &c));
  EXPECT_EQ(256u, c.size());  // a count beyond 8 bits is cut to the 256 there can be

  for (bool global : {true, false}) {
    SCOPED_TRACE(global);
    ASSERT_TRUE(ParsePalette(PaletteFileKind::kGif, Gif(global), &c));
    ASSERT_EQ(4u, c.size());
    EXPECT_EQ(255 * 257, c[0].red);
    EXPECT_EQ(0, c[0].blue);
    EXPECT_EQ(255 * 257, c[1].blue);
    EXPECT_EQ(252 * 257, c[3].blue);
  }

  std::vector<uint8_t> act;
  for (int i = 0; i < 768; ++i) act.push_back(static_cast<uint8_t>(i % 251));
  ASSERT_TRUE(ParsePalette(PaletteFileKind::kAct, act, &c));
  ASSERT_EQ(256u, c.size());
  EXPECT_EQ(3 * 257, c[1].red);
  EXPECT_EQ((767 % 251) * 257, c[255].blue);
}

// The newer ACT form, as Photoshop writes it: the 256 triples, then the
// number of colours used and the transparent index (0xFFFF: none), both
// most significant byte first.
TEST(PaletteReaders, ActWithItsColourCountHasThatManyColours) {
  std::vector<uint8_t> act;
  for (int i = 0; i < 768; ++i) act.push_back(static_cast<uint8_t>(i % 251));
  const struct {
    uint8_t tail[4];
    size_t colours;
  } cases[] = {
      {{0x01, 0x00, 0xFF, 0xFF}, 256},
      {{0x00, 0x10, 0xFF, 0xFF}, 16},
      {{0x00, 0x05, 0x00, 0x02}, 5},
      {{0x00, 0x01, 0x00, 0x00}, 1},
  };
  for (const auto& k : cases) {
    std::vector<uint8_t> file = act;
    file.insert(file.end(), k.tail, k.tail + 4);
    std::vector<VxColorEntry> c;
    ASSERT_TRUE(ParsePalette(PaletteFileKind::kAct, file, &c)) << k.colours;
    ASSERT_EQ(k.colours, c.size());
    EXPECT_EQ(1 * 257, c.front().green) << k.colours;
    EXPECT_EQ(act[3 * (k.colours - 1)] * 257, c.back().red) << k.colours;
    EXPECT_EQ(act[3 * (k.colours - 1) + 2] * 257, c.back().blue) << k.colours;
  }
  // A count that names no colours, or more than the table holds.
  for (uint8_t high : {0x00, 0x01, 0xFF}) {
    std::vector<uint8_t> file = act;
    file.insert(file.end(), {high, static_cast<uint8_t>(high == 0x01 ? 0x01 : 0x00), 0xFF, 0xFF});
    std::vector<VxColorEntry> c;
    EXPECT_FALSE(ParsePalette(PaletteFileKind::kAct, file, &c)) << int(high);
  }
}

TEST(PaletteReaders, RefusesWhatIsNotThereOrCutShort) {
  std::vector<VxColorEntry> c;
  std::vector<uint8_t> cut = Bmp(8, 0);
  cut.resize(54 + 100);
  std::vector<uint8_t> shortGif = Gif(true);
  shortGif.resize(20);
  const struct {
    PaletteFileKind kind;
    std::vector<uint8_t> bytes;
    const char* why;
  } cases[] = {
      {PaletteFileKind::kBmp, cut, "table cut short"},
      {PaletteFileKind::kBmp, {'B', 'M', 0, 0}, "header cut short"},
      {PaletteFileKind::kGif, shortGif, "global table cut short"},
      {PaletteFileKind::kGif, Bmp(8, 2), "not a GIF"},
      {PaletteFileKind::kAct, std::vector<uint8_t>(767, 1), "767 bytes"},
      {PaletteFileKind::kAct, std::vector<uint8_t>(769, 1), "769 bytes"},
  };
  for (const auto& k : cases) EXPECT_FALSE(ParsePalette(k.kind, k.bytes, &c)) << k.why;
}

struct Setter : VxPaletteSetter {
  gif::PaletteSpec got{};
  int calls = 0;
};
VxStatus VXAPI Ignore(VxPaletteSetter*, void*) {
  return VX_OK;
}
VxStatus VXAPI Take(VxPaletteSetter* self, const gif::PaletteSpec* p) {
  static_cast<Setter*>(self)->got = *p;
  ++static_cast<Setter*>(self)->calls;
  return VX_OK;
}
const VxPaletteSetterOps kSetterOps = {nullptr, nullptr, nullptr, Ignore, Take, Ignore};

TEST(PaletteReaders, ReaderAnswersAndDeliversToTheSetter) {
  const std::string dir = testing::TempDir();
  const std::string bmp = dir + "reader-test.bmp", act = dir + "reader-test-bmp.act";
  for (const std::string& path : {bmp, act}) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    const std::vector<uint8_t> bytes = Bmp(8, 5);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  const int32_t live = LiveHostObjects();
  HostPaletteReader* bmpReader = HostPaletteReader::Create(PaletteFileKind::kBmp);
  HostPaletteReader* actReader = HostPaletteReader::Create(PaletteFileKind::kAct);
  EXPECT_EQ(VX_OK, bmpReader->ops->CanReadFile(bmpReader, bmp.c_str()));
  EXPECT_EQ(VX_OK, bmpReader->ops->CanReadFile(bmpReader, act.c_str()));  // by its contents
  EXPECT_EQ(VX_S_READER_MAYBE, actReader->ops->CanReadFile(actReader, act.c_str()));
  EXPECT_EQ(VX_S_READER_UNLIKELY, actReader->ops->CanReadFile(actReader, bmp.c_str()));
  VxImageSource* source = nullptr;
  EXPECT_EQ(VX_E_ENCODER, actReader->ops->ReadFile(actReader, act.c_str(), &source));
  EXPECT_EQ(nullptr, source);
  ASSERT_EQ(VX_OK, bmpReader->ops->ReadFile(bmpReader, bmp.c_str(), &source));
  Setter setter;
  setter.ops = &kSetterOps;
  EXPECT_EQ(VX_E_NOINTERFACE, source->ops->SendImage(source, &setter, &IID_VxPixelReceptor));
  ASSERT_EQ(VX_OK, source->ops->SendImage(source, &setter, &IID_VxPaletteSetter));
  EXPECT_EQ(1, setter.calls);
  EXPECT_EQ(gif::kPaletteKindExplicit, setter.got.kind);
  EXPECT_EQ(5u, setter.got.size);
  EXPECT_EQ(14 * 257, setter.got.entries[4].red);
  EXPECT_EQ(196 * 257, setter.got.entries[4].blue);
  source->ops->Release(source);
  bmpReader->ops->Release(bmpReader);
  actReader->ops->Release(actReader);
  EXPECT_EQ(live, LiveHostObjects());
  std::remove(bmp.c_str());
  std::remove(act.c_str());
}

}  // namespace
