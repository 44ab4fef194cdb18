#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

#include "moviewriter/VDTBits.h"
#include "moviewriter/tests/ScratchDir.h"

namespace {

struct TagBytes {
  U16 code;
  U32 length;
  U32 headerSize;
  std::vector<U8> body;  // complete, with large data spliced in
};

// Writes the tag to a file through the stream and reads it back.
TagBytes WriteTag(VObj& tag) {
  VKMVStream s;
  tag.WriteTo(s);
  EXPECT_FALSE(s.Failed()) << s.Error();
  ScratchDir dir;
  std::string path = dir.File("tag.bin");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_TRUE(s.WriteToFile(f));
  std::fclose(f);
  std::vector<U8> bytes = ReadBytes(path);
  TagBytes t;
  U16 word = static_cast<U16>(bytes.at(0) | (bytes.at(1) << 8));
  t.code = word >> 6;
  t.length = word & 0x3F;
  t.headerSize = 2;
  if (t.length == 0x3F) {
    t.length = bytes.at(2) | (bytes.at(3) << 8) | (bytes.at(4) << 16) | (U32(bytes.at(5)) << 24);
    t.headerSize = 6;
  }
  t.body.assign(bytes.begin() + t.headerSize, bytes.end());
  return t;
}

std::vector<U8> Inflate(const U8* data, size_t size, size_t expected) {
  std::vector<U8> out(expected + 16);
  uLongf len = static_cast<uLongf>(out.size());
  EXPECT_EQ(uncompress(out.data(), &len, data, static_cast<uLong>(size)), Z_OK);
  out.resize(len);
  return out;
}

// An asymmetric palette and pixel pattern.
std::vector<U8> Table(U32 entries, U32 bytesEach) {
  std::vector<U8> t(entries * bytesEach);
  for (size_t i = 0; i < t.size(); ++i) t[i] = static_cast<U8>(i * 7 + 3);
  return t;
}

TEST(DefineBitsLossless, SizesCodesAndContent) {
  struct {
    const char* name;
    U8 format;
    U32 width, height, tableSize;
    bool alpha;
    U32 uncompressed;
    U16 code;
    const char* headerBytes;  // after the identifier
  } cases[] = {
      {"4x3 8-bit, 256 RGB", 3, 4, 3, 256, false, 768 + 12, 20, "03 04 00 03 00 FF"},
      {"4x3 8-bit, 256 RGBA", 3, 4, 3, 256, true, 1024 + 12, 36, "03 04 00 03 00 FF"},
      {"5x2 8-bit rows padded to 8", 3, 5, 2, 256, false, 768 + 16, 20, "03 05 00 02 00 FF"},
      {"2-entry table", 3, 4, 1, 2, false, 6 + 4, 20, "03 04 00 01 00 01"},
      {"16-bit, no table byte", 4, 3, 2, 0, false, 8 * 2, 20, "04 03 00 02 00"},
      {"32-bit, no table byte", 5, 3, 2, 0, false, 12 * 2, 20, "05 03 00 02 00"},
      // More than zlib's 32 KB window, so the stream slides it.
      {"300x300 8-bit, 256 RGB", 3, 300, 300, 256, false, 768 + 90000, 20, "03 2C 01 2C 01 FF"},
  };
  for (const auto& c : cases) {
    std::vector<U8> table = Table(c.tableSize, c.alpha ? 4 : 3);
    std::vector<U8> pixels(c.uncompressed - table.size());
    for (size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = static_cast<U8>(250 - i * 3 + ((i * i) >> 11));
    VDTDefineBitsLosslessBase tag(c.format, c.width, c.height, c.tableSize, table.data(),
                                  pixels.data(), c.alpha);
    EXPECT_EQ(tag.UncompressedSize(), c.uncompressed) << c.name;
    TagBytes t = WriteTag(tag);
    EXPECT_EQ(t.code, c.code) << c.name;
    EXPECT_EQ(t.length, t.body.size()) << c.name;
    std::string header = c.headerBytes;
    size_t headerLen = (header.size() + 1) / 3;
    EXPECT_EQ(t.body[0] | (t.body[1] << 8), tag.CharacterId()) << c.name;
    EXPECT_EQ(Hex(t.body.data() + 2, headerLen), header) << c.name;
    size_t zStart = 2 + headerLen;
    EXPECT_EQ(t.body.size() - zStart, tag.CompressedSize()) << c.name;
    // A zlib stream (header 78 DA at level 9) of the table, then the pixels.
    EXPECT_EQ(t.body[zStart], 0x78) << c.name;
    EXPECT_EQ(t.body[zStart + 1], 0xDA) << c.name;
    std::vector<U8> expected = table;
    expected.insert(expected.end(), pixels.begin(), pixels.end());
    EXPECT_EQ(Inflate(t.body.data() + zStart, t.body.size() - zStart, c.uncompressed), expected)
        << c.name;
    // Byte for byte what compress2 at level 9 makes of table and pixels: the
    // header 78 DA alone is the same for levels 7 to 9.
    uLongf refSize = compressBound(static_cast<uLong>(expected.size()));
    std::vector<U8> ref(refSize);
    ASSERT_EQ(
        compress2(ref.data(), &refSize, expected.data(), static_cast<uLong>(expected.size()), 9),
        Z_OK);
    ref.resize(refSize);
    EXPECT_TRUE(
        std::vector<U8>(t.body.begin() + static_cast<std::ptrdiff_t>(zStart), t.body.end()) == ref)
        << c.name << ": " << (t.body.size() - zStart) << " bytes stored, compress2 gives "
        << ref.size();
  }
}

TEST(DefineBitsLossless, UnfitValuesAreReportedNotWritten) {
  std::vector<U8> table = Table(256, 3);
  std::vector<U8> wide(70000 * 1, 1);
  struct {
    const char* name;
    U8 format;
    U32 width, height, tableSize;
  } cases[] = {
      {"width above 65535", 3, 70000, 1, 256},
      {"empty colour table", 3, 4, 0, 0},
      {"colour table above 256", 3, 4, 0, 257},
      {"unknown format", 6, 1, 1, 0},
  };
  for (const auto& c : cases) {
    std::vector<U8> t = Table(c.tableSize, 3);
    VDTDefineBitsLosslessBase tag(c.format, c.width, c.height, c.tableSize, t.data(), wide.data(),
                                  false);
    VKMVStream s;
    tag.WriteTo(s);
    EXPECT_TRUE(s.Failed()) << c.name;
  }
}

TEST(DefineBitsJPEG2, FramedAndReferenced) {
  std::vector<U8> jpeg(1000);
  for (size_t i = 0; i < jpeg.size(); ++i) jpeg[i] = static_cast<U8>(i * 13);
  jpeg[0] = 0xFF;
  jpeg[1] = 0xD8;
  jpeg[998] = 0xFF;
  jpeg[999] = 0xD9;
  VDTDefineBitsJPEG2 tag(jpeg.data(), 1000);
  VKMVStream s;
  tag.WriteTo(s);
  // Referenced, not copied: only the 6-byte header and 8 framing bytes.
  EXPECT_EQ(s.StreamPos(), 6u + 8);
  ASSERT_EQ(s.Large().size(), 1u);
  EXPECT_EQ(s.Large()[0].data, jpeg.data());

  TagBytes t = WriteTag(tag);
  EXPECT_EQ(t.code, 21);
  EXPECT_EQ(t.headerSize, 6u);
  EXPECT_EQ(t.length, 1008u);
  ASSERT_EQ(t.body.size(), 1008u);
  EXPECT_EQ(t.body[0] | (t.body[1] << 8), tag.CharacterId());
  EXPECT_EQ(Hex(t.body.data() + 2, 6), "FF D9 FF D8 FF D8");
  EXPECT_EQ(std::vector<U8>(t.body.begin() + 6, t.body.end() - 2), jpeg);
  EXPECT_EQ(Hex(t.body.data() + 1006, 2), "FF D9");
}

TEST(DefineBitsJPEG2, ShortDataUsesShortHeader) {
  static const U8 data[3] = {1, 2, 3};
  VDTDefineBitsJPEG2 tag(data, 3);
  TagBytes t = WriteTag(tag);
  EXPECT_EQ(t.headerSize, 2u);
  EXPECT_EQ(t.length, 11u);
  EXPECT_EQ(Hex(t.body.data() + 2, 9), "FF D9 FF D8 01 02 03 FF D9");
}

}  // namespace
