#include <gtest/gtest.h>

#include <climits>

#include "moviewriter/VKMVStream.h"
#include "moviewriter/VRecords.h"
#include "moviewriter/tests/ScratchDir.h"

namespace {

// The complete bytes of a stream (placeholder excluded, no large data).
std::string Bytes(const VKMVStream& s) {
  return Hex(s.Buffer(), s.StreamPos());
}

TEST(MinBits, Table) {
  struct {
    U32 value, sign, bits;
  } cases[] = {
      {0, 0, 0},      {1, 0, 1},           {255, 0, 8},          {256, 1, 10},
      {0, 1, 1},      {200, 1, 9},         {65535, 1, 17},       {65536, 1, 18},
      {16383, 1, 15}, {0x7FFFFFFF, 0, 31}, {0x80000000u, 0, 32}, {0xFFFFFFFFu, 1, 33},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MinBits(c.value, c.sign), c.bits) << c.value << " sign " << c.sign;
  }
}

TEST(MaxAbs, NegativeAndMostNegative) {
  EXPECT_EQ(MaxAbs(3, -7, 5, 0), 7u);
  EXPECT_EQ(MaxAbs(0, 0, 0, 0), 0u);
  EXPECT_EQ(MaxAbs(INT_MIN, 1, 2, 3), 0x80000000u);
}

TEST(VKMVStream, StartsEmptyWithPlaceholder) {
  VKMVStream s;
  EXPECT_EQ(s.StreamPos(), 0u);
  EXPECT_EQ(s.BitsFree(), 8u);
  EXPECT_EQ(s.Buffer()[0], 0);
  EXPECT_EQ(s.TotalSize(), 0u);
}

TEST(VKMVStream, ZeroBitsWriteNothing) {
  VKMVStream s;
  s.WriteBits(0xFFFFFFFF, 0);
  EXPECT_EQ(s.StreamPos(), 0u);
  EXPECT_EQ(s.BitsFree(), 8u);
  s.WriteBits(1, 1);
  s.WriteBits(0xFFFFFFFF, 0);
  EXPECT_EQ(s.BitsFree(), 7u);
  s.FlushBits();
  EXPECT_EQ(Bytes(s), "80");
}

TEST(VKMVStream, Unaligned32BitWriteSpansFiveBytes) {
  VKMVStream s;
  s.WriteBits(0x5, 3);  // 101
  s.WriteBits(0x89ABCDEF, 32);
  // 101 10001001 10101011 11001101 11101111, then 5 pad bits.
  EXPECT_EQ(s.StreamPos(), 4u);
  EXPECT_EQ(s.BitsFree(), 5u);
  // The byte under construction sits in the placeholder position only once
  // completed; the placeholder itself stays zero.
  EXPECT_EQ(s.Buffer()[4], 0);
  s.FlushBits();
  EXPECT_EQ(Bytes(s), "B1 35 79 BD E0");
  EXPECT_EQ(s.TotalSize(), 5u);
}

TEST(VKMVStream, NegativeValuesKeepLowBits) {
  VKMVStream s;
  s.WriteBits(static_cast<U32>(-200), 9);  // 1 0011 1000
  s.FlushBits();
  EXPECT_EQ(Bytes(s), "9C 00");
}

TEST(VKMVStream, WordsAndDWordsAreLittleEndian) {
  VKMVStream s;
  s.WriteByte(0x1AB);
  s.WriteWord(0x1234);
  s.WriteDWord(0xA1B2C3D4);
  EXPECT_EQ(Bytes(s), "AB 34 12 D4 C3 B2 A1");
}

TEST(VKMVStream, CheckedWritersRecordFirstOverflow) {
  struct {
    const char* name;
    void (*write)(VKMVStream&);
    bool fails;
  } cases[] = {
      {"unsigned fits", [](VKMVStream& s) { s.WriteUBits(31, 5, "a"); }, false},
      {"unsigned too big", [](VKMVStream& s) { s.WriteUBits(32, 5, "a"); }, true},
      {"signed max", [](VKMVStream& s) { s.WriteSBits(255, 9, "a"); }, false},
      {"signed min", [](VKMVStream& s) { s.WriteSBits(-256, 9, "a"); }, false},
      {"signed too big", [](VKMVStream& s) { s.WriteSBits(256, 9, "a"); }, true},
      {"signed too small", [](VKMVStream& s) { s.WriteSBits(-257, 9, "a"); }, true},
      {"32 signed bits", [](VKMVStream& s) { s.WriteSBits(INT_MIN, 32, "a"); }, false},
      {"33 bits", [](VKMVStream& s) { s.WriteSBits(1, 33, "a"); }, true},
      {"word fits", [](VKMVStream& s) { s.WriteU16(65535, "a"); }, false},
      {"word too big", [](VKMVStream& s) { s.WriteU16(65536, "a"); }, true},
  };
  for (const auto& c : cases) {
    VKMVStream s;
    c.write(s);
    EXPECT_EQ(s.Failed(), c.fails) << c.name;
  }
  VKMVStream s;
  s.WriteU16(70000, "bitmap width");
  s.WriteU16(80000, "bitmap height");
  EXPECT_EQ(s.Error(), "bitmap width 70000 does not fit 16 bits");
}

TEST(VKMVStream, TagHeaderForms) {
  struct {
    U16 code;
    U32 length;
    const char* bytes;
  } cases[] = {
      {1, 0, "40 00"},
      {26, 5, "85 06"},
      {32, 62, "3E 08"},
      {32, 63, "3F 08 3F 00 00 00"},
      {21, 1008, "7F 05 F0 03 00 00"},
  };
  for (const auto& c : cases) {
    VKMVStream s;
    s.AppendTag(c.code, c.length);
    EXPECT_EQ(Bytes(s), c.bytes) << c.code << "/" << c.length;
  }
}

TEST(VKMVStream, BodyWithLargeDataIsSplicedAtItsPosition) {
  static const U8 block[5] = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4};
  VKMVStream body;
  body.WriteWord(0x0201);
  body.AddLargeData(block, 5);
  body.WriteByte(0xEE);
  EXPECT_EQ(body.TotalSize(), 8u);

  VKMVStream out;
  out.WriteByte(0x77);
  out.AppendTag(9, body.TotalSize(), &body);
  EXPECT_EQ(out.TotalSize(), 1u + 2 + 8);
  ASSERT_EQ(out.Large().size(), 1u);
  EXPECT_EQ(out.Large()[0].position, 5u);  // 1 + header 2 + the word
  EXPECT_TRUE(body.Large().empty());

  ScratchDir dir;
  std::string path = dir.File("spliced.bin");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(out.WriteToFile(f));
  std::fclose(f);
  EXPECT_EQ(Hex(ReadBytes(path)), "77 48 02 01 02 B0 B1 B2 B3 B4 EE");
}

TEST(VKMVStream, AppendStreamDropsUnflushedBitsAndCarriesErrors) {
  VKMVStream body;
  body.WriteByte(0x12);
  body.WriteBits(1, 1);  // pending, not copied
  body.WriteU16(0x10000, "depth");
  VKMVStream out;
  out.AppendStream(body);
  EXPECT_EQ(Bytes(out), "12 80 00");  // the pending bit went into 80
  EXPECT_TRUE(out.Failed());
  EXPECT_EQ(out.Error(), "depth 65536 does not fit 16 bits");
}

TEST(VRect, Encodings) {
  struct {
    S32 xmin, ymin, xmax, ymax;
    const char* bytes;
  } cases[] = {
      {0, 0, 200, 100, "48 01 90 00 32 00"},
      {0, 0, 0, 0, "08 00"},
      {-1, 0, 0, 0, "16 00"},  // 00010, then 11 00 00 00
  };
  for (const auto& c : cases) {
    VKMVStream s;
    VRect(c.xmin, c.ymin, c.xmax, c.ymax).WriteTo(s);
    EXPECT_EQ(Bytes(s), c.bytes);
    EXPECT_FALSE(s.Failed());
  }
}

TEST(VRect, TooLargeForFieldCountIsReported) {
  VKMVStream s;
  VRect(0, 0, INT_MAX, 0).WriteTo(s);  // needs 32 bits; the count holds 31
  EXPECT_TRUE(s.Failed());
}

TEST(VMatrix, Encodings) {
  struct {
    const char* name;
    VMatrix m;
    const char* bytes;
  } cases[] = {
      {"identity", VMatrix(), "00"},
      // no scale, no rotation, nTranslate 1, 0, 0: 0 0 00001 0 0
      {"zero translation", VMatrix(0, 0, 0, 0, 0, 0, 0, 0), "02 00"},
      // scale 10.0 (0xA0000, 21 bits) both, no rotation, translate 0,0.
      {"scale 10", VMatrix(1, 0xA0000, 0xA0000, 0, 0, 0, 0, 0), "D5 40 00 0A 00 00 04"},
      // rotate only: 0, 1, 00010 (2 bits), 01, 11, 00011 (3 bits), 011, 110
      {"rotate", VMatrix(0, 0, 0, 1, 1, -1, 3, -2), "44 E3 78"},
  };
  for (const auto& c : cases) {
    VKMVStream s;
    c.m.WriteTo(s);
    EXPECT_EQ(Bytes(s), c.bytes) << c.name;
  }
}

TEST(VColorAndVString, Encodings) {
  VKMVStream s;
  VColor(1, 2, 3).WriteTo(s);
  VColor(4, 5, 6, 7).WriteTo(s);
  VString("Ab").WriteTo(s, true);
  VString("c").WriteTo(s, false);
  EXPECT_EQ(Bytes(s), "01 02 03 04 05 06 07 41 62 00 63");
}

}  // namespace
