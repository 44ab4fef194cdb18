#include <gtest/gtest.h>

#include "moviewriter/VDTShapes.h"
#include "moviewriter/tests/ScratchDir.h"

namespace {

// The stream's complete bytes as a string of bits, for hand-checked layouts.
std::string Bits(const VKMVStream& s) {
  std::string bits;
  for (U32 i = 0; i < s.StreamPos(); ++i) {
    for (int b = 7; b >= 0; --b) bits += ((s.Buffer()[i] >> b) & 1) ? '1' : '0';
  }
  return bits;
}

TEST(ShapeRecords, RectangleExampleBits) {
  VShapeRecChange change(0, 1, 1, 0, 1, 0, 0, 0, 1, 1, nullptr, nullptr);
  change.SetFillBits(1);
  change.SetLineBits(1);
  VShapeRecEdgeStraight e1(200, 0), e2(0, 100), e3(-200, 0), e4(0, -100);
  VShapeRecEnd end;
  VKMVStream s;
  change.WriteTo(s);
  e1.WriteTo(s);
  e2.WriteTo(s);
  e3.WriteTo(s);
  e4.WriteTo(s);
  end.WriteTo(s);
  const std::string expected = std::string("001101") + "00001" + "0" + "0" + "1" + "1" +
                               "11"
                               "0111"
                               "0"
                               "0"
                               "011001000" +  // (200, 0)
                               "11"
                               "0110"
                               "0"
                               "1"
                               "01100100" +  // (0, 100)
                               "11"
                               "0111"
                               "0"
                               "0"
                               "100111000" +  // (-200, 0)
                               "11"
                               "0110"
                               "0"
                               "1"
                               "10011100" +  // (0, -100)
                               "000000";
  std::string got = Bits(s);
  ASSERT_GE(got.size(), expected.size());
  EXPECT_EQ(got.substr(0, expected.size()), expected);
  EXPECT_EQ(got.size(), (expected.size() + 7) / 8 * 8);  // end record flushes
  EXPECT_EQ(got.find('1', expected.size()), std::string::npos);
  EXPECT_FALSE(s.Failed());
}

TEST(ShapeRecords, EdgeKindsAndSizes) {
  struct {
    S32 dx, dy;
    const char* bits;
  } cases[] = {
      {1, 0,
       "11"
       "0000"
       "0"
       "0"
       "01"},
      {0, -1,
       "11"
       "0000"
       "0"
       "1"
       "11"},
      {3, -5,
       "11"
       "0010"
       "1"
       "0011"
       "1011"},  // general: 4 bits each
      {65535, 0,
       "11"
       "1111"
       "0"
       "0"
       "01111111111111111"},
  };
  for (const auto& c : cases) {
    VShapeRecEdgeStraight e(c.dx, c.dy);
    VKMVStream s;
    e.WriteTo(s);
    s.FlushBits();
    std::string want = c.bits;
    EXPECT_EQ(Bits(s).substr(0, want.size()), want) << c.dx << "," << c.dy;
    EXPECT_FALSE(s.Failed());
  }
}

TEST(ShapeRecords, EdgesThatCannotBeEncodedAreReported) {
  for (auto d : {std::make_pair(65536, 0), std::make_pair(0, -70000), std::make_pair(0, 0)}) {
    VShapeRecEdgeStraight e(d.first, d.second);
    VKMVStream s;
    e.WriteTo(s);
    EXPECT_TRUE(s.Failed()) << d.first << "," << d.second;
  }
}

TEST(ShapeRecords, NoIndexBitsWithoutStyles) {
  VShapeRecChange change(0, 1, 1, 0, 0, 0, 0, 0, 1, 1, nullptr, nullptr);
  change.SetFillBits(2);
  change.SetLineBits(0);
  VKMVStream s;
  change.WriteTo(s);
  EXPECT_EQ(s.StreamPos(), 1u);
  EXPECT_EQ(s.BitsFree(), 8u);  // 6 flag bits + 2 index bits: exactly one byte
  EXPECT_EQ(Bits(s), "00110001");
  EXPECT_FALSE(s.Failed());
}

TEST(FillStyleArray, ExtendedCounts) {
  struct {
    U32 count;
    const char* prefix;
  } cases[] = {{254, "FE"}, {255, "FF FF 00"}, {300, "FF 2C 01"}};
  for (const auto& c : cases) {
    VFillStyleArray a;
    for (U32 i = 0; i < c.count; ++i) a.Add(new VFillStyleSolid(new VColor(i & 0xFF, 2, 3)));
    VKMVStream s;
    a.WriteTo(s);
    std::string prefix = c.prefix;
    U32 countBytes = c.count < 255 ? 1 : 3;
    EXPECT_EQ(s.StreamPos(), countBytes + 5 * c.count);
    EXPECT_EQ(Hex(s.Buffer(), countBytes), prefix);
    // The first style follows the count: solid, colour with alpha.
    EXPECT_EQ(Hex(s.Buffer() + countBytes, 5), "00 00 02 03 FF");
  }
}

TEST(FillStyles, Encodings) {
  struct {
    const char* name;
    VFillStyle* style;
    const char* bytes;
  } cases[] = {
      {"solid without alpha gains it", new VFillStyleSolid(new VColor(9, 8, 7)), "00 09 08 07 FF"},
      {"solid with alpha", new VFillStyleSolid(new VColor(9, 8, 7, 6)), "00 09 08 07 06"},
      {"clipped bitmap", new VFillStyleBitmap(0, 0x1234, new VMatrix()), "41 34 12 00"},
      {"repeating bitmap", new VFillStyleBitmap(1, 1, new VMatrix()), "40 01 00 00"},
      {"linear gradient", new VFillStyleGradient(1, new VMatrix(), new VGradient), "10 00 00"},
      {"radial gradient", new VFillStyleGradient(0, new VMatrix(), new VGradient), "12 00 00"},
  };
  for (const auto& c : cases) {
    VKMVStream s;
    c.style->WriteTo(s);
    EXPECT_EQ(Hex(s.Buffer(), s.StreamPos()), c.bytes) << c.name;
    delete c.style;
  }
  VKMVStream s;
  VLineStyle(0x0102, new VColor(1, 2, 3)).WriteTo(s);
  EXPECT_EQ(Hex(s.Buffer(), s.StreamPos()), "02 01 01 02 03 FF");
  VKMVStream wide;
  VLineStyle(70000, new VColor(1, 2, 3)).WriteTo(wide);
  EXPECT_TRUE(wide.Failed());
}

TEST(DefineShape3, StyleIndicesAndBitCounts) {
  VDTDefineShape3 shape(new VRect(0, 0, 200, 100));
  EXPECT_EQ(shape.AddFillStyle(new VFillStyleSolid(new VColor(1, 2, 3))), 1u);
  EXPECT_EQ(shape.AddFillStyle(new VFillStyleSolid(new VColor(1, 2, 3))), 2u);
  EXPECT_EQ(shape.AddFillStyle(new VFillStyleSolid(new VColor(1, 2, 3))), 3u);
  EXPECT_EQ(shape.AddLineStyle(20, new VColor(0, 0, 0)), 1u);
  shape.FinishStyleArrays();
  EXPECT_EQ(shape.Shape()->nFillBits, 2u);
  EXPECT_EQ(shape.Shape()->nLineBits, 1u);
  auto* rec = new VShapeRecChange(0, 1, 1, 0, 1, 0, 0, 0, 3, 1, nullptr, nullptr);
  shape.AddShapeRecord(rec);
  EXPECT_EQ(rec->nFillBits, 2u);
  EXPECT_EQ(rec->nLineBits, 1u);
}

TEST(DefineShape3, TagBytes) {
  // Hand-assembled: one solid fill, one line, a 200 x 100 rectangle.
  VDTDefineShape3 shape(new VRect(0, 0, 200, 100));
  U16 id = shape.CharacterId();
  shape.AddFillStyle(new VFillStyleSolid(new VColor(0xAA, 0xBB, 0xCC)));
  shape.AddLineStyle(20, new VColor(1, 2, 3));
  shape.FinishStyleArrays();
  shape.AddShapeRecord(new VShapeRecChange(0, 1, 1, 0, 1, 0, 0, 0, 1, 1, nullptr, nullptr));
  shape.AddShapeRecord(new VShapeRecEdgeStraight(200, 0));
  shape.AddShapeRecord(new VShapeRecEdgeStraight(0, 100));
  shape.AddShapeRecord(new VShapeRecEdgeStraight(-200, 0));
  shape.AddShapeRecord(new VShapeRecEdgeStraight(0, -100));
  shape.AddShapeRecord(new VShapeRecEnd);
  VKMVStream s;
  shape.WriteTo(s);
  // Body: id (2), rect (6), fills 1 + 5, lines 1 + 6, bits byte, records.
  // Records: 15 + 17 + 16 + 17 + 16 + 6 = 87 bits = 11 bytes.
  U32 bodyLength = 2 + 6 + 6 + 7 + 1 + 11;
  ASSERT_EQ(s.StreamPos(), 2 + bodyLength);
  EXPECT_EQ(s.Buffer()[0], ((32 << 6) | bodyLength) & 0xFF);
  EXPECT_EQ(s.Buffer()[1], (32 << 6) >> 8);
  EXPECT_EQ(s.Buffer()[2], id & 0xFF);
  EXPECT_EQ(s.Buffer()[3], id >> 8);
  EXPECT_EQ(Hex(s.Buffer() + 4, 6), "48 01 90 00 32 00");
  EXPECT_EQ(Hex(s.Buffer() + 10, 6), "01 00 AA BB CC FF");
  EXPECT_EQ(Hex(s.Buffer() + 16, 7), "01 14 00 01 02 03 FF");
  EXPECT_EQ(Hex(s.Buffer() + 23, 1), "11");
  EXPECT_FALSE(s.Failed());
}

using DefineShape3Death = ::testing::Test;

TEST(DefineShape3Death, PhaseRulesAreAsserted) {
  EXPECT_DEATH(
      {
        VDTDefineShape3 shape(new VRect());
        shape.FinishStyleArrays();
        shape.AddFillStyle(new VFillStyleSolid(new VColor(1, 2, 3)));
      },
      "Assertion failed: !styleArraysFinished, file .*VDTShapes");
  EXPECT_DEATH(
      {
        VDTDefineShape3 shape(new VRect());
        shape.FinishStyleArrays();
        shape.AddLineStyle(1, new VColor(1, 2, 3));
      },
      "Assertion failed: !styleArraysFinished");
  EXPECT_DEATH(
      {
        VDTDefineShape3 shape(new VRect());
        shape.AddShapeRecord(new VShapeRecEnd);
      },
      "Assertion failed: styleArraysFinished");
}

}  // namespace
