#include "xlib/mm/xdib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "xlib/mm/tests/BmpBytes.h"

using bmptest::BmpFields;
using bmptest::Hex;
using bmptest::MakeBmp;

namespace {

// Reads bytes through a memory source into a fresh record.
struct Loaded {
  XDIB dib;
  int rc;
  Loaded(const std::vector<uint8_t>& bytes, bool withFileHeader = true) {
    std::memset(&dib, 0, sizeof dib);
    XDibMemorySource src(bytes.data(), bytes.size());
    rc = xdibReadFrom(&dib, src, withFileHeader);
  }
  ~Loaded() { xdibFree(&dib); }
};

BITMAPINFOHEADER Header(int bits, DWORD compression, LONG w, LONG h, DWORD used = 0,
                        DWORD imageSize = 0) {
  BITMAPINFOHEADER hd;
  std::memset(&hd, 0, sizeof hd);
  hd.biSize = 12345;
  hd.biWidth = w;
  hd.biHeight = h;
  hd.biPlanes = 1;
  hd.biBitCount = static_cast<WORD>(bits);
  hd.biCompression = compression;
  hd.biSizeImage = imageSize;
  hd.biClrUsed = used;
  return hd;
}

TEST(XdibRowBytes, FollowsThe16BitTable) {
  struct Case {
    LONG width;
    int bits;
    DWORD expected;
  } cases[] = {
      {1, 1, 4},
      {1, 4, 4},
      {1, 8, 4},
      {1, 24, 4},
      {32, 1, 4},
      {33, 1, 8},
      {8, 4, 4},
      {9, 4, 8},
      {5, 8, 8},
      {2, 24, 8},
      {13, 24, 40},
      {127, 8, 128},
      {65532, 8, 65532},
      // Where the 16-bit arithmetic wraps, the function still wraps; the
      // header check is what refuses such widths.
      {65535, 8, 0},
      {21845, 24, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(xdibRowBytes(c.width, c.bits), c.expected) << c.width << " x " << c.bits;
}

TEST(XdibNumColors, UsedElseDepthDefault) {
  struct Case {
    int bits;
    DWORD used;
    DWORD expected;
  } cases[] = {{1, 0, 2}, {4, 0, 16}, {8, 0, 256}, {24, 0, 0}, {8, 12, 12}, {24, 256, 256}};
  for (const Case& c : cases) {
    BITMAPINFOHEADER h = Header(c.bits, BI_RGB, 4, 4, c.used);
    EXPECT_EQ(xdibNumColors(&h), c.expected) << c.bits << "/" << c.used;
  }
}

TEST(XdibImageSize, FieldElseRowsTimesHeight) {
  BITMAPINFOHEADER h = Header(8, BI_RGB, 5, 3);
  EXPECT_EQ(xdibImageSize(&h), 24u);
  h.biSizeImage = 7;
  EXPECT_EQ(xdibImageSize(&h), 7u);
}

TEST(XdibCheckHeader, AcceptsOnlySupportedShapes) {
  struct Case {
    const char* what;
    BITMAPINFOHEADER header;
    int expected;
  } cases[] = {
      {"1 bit", Header(1, BI_RGB, 3, 3), XERR_OK},
      {"1 bit RLE4", Header(1, BI_RLE4, 3, 3, 0, 10), XERR_FORMAT},
      {"4 bit", Header(4, BI_RGB, 3, 3), XERR_OK},
      {"4 bit RLE4", Header(4, BI_RLE4, 3, 3, 0, 10), XERR_OK},
      {"4 bit RLE8", Header(4, BI_RLE8, 3, 3, 0, 10), XERR_FORMAT},
      {"8 bit", Header(8, BI_RGB, 3, 3), XERR_OK},
      {"8 bit RLE8", Header(8, BI_RLE8, 3, 3, 0, 10), XERR_OK},
      {"8 bit RLE4", Header(8, BI_RLE4, 3, 3, 0, 10), XERR_FORMAT},
      {"24 bit", Header(24, BI_RGB, 3, 3), XERR_OK},
      {"24 bit RLE8", Header(24, BI_RLE8, 3, 3, 0, 10), XERR_FORMAT},
      {"16 bit", Header(16, BI_RGB, 3, 3), XERR_FORMAT},
      {"32 bit", Header(32, BI_RGB, 3, 3), XERR_FORMAT},
      {"bit fields", Header(24, BI_BITFIELDS, 3, 3), XERR_FORMAT},
      {"256 colours", Header(8, BI_RGB, 3, 3, 256), XERR_OK},
      {"257 colours", Header(8, BI_RGB, 3, 3, 257), XERR_FORMAT},
      {"300 colours", Header(8, BI_RGB, 3, 3, 300), XERR_FORMAT},
      {"height 0", Header(8, BI_RGB, 3, 0), XERR_FORMAT},
      {"top-down rows", Header(8, BI_RGB, 3, -3), XERR_FORMAT},
      {"width 0", Header(8, BI_RGB, 0, 3), XERR_FORMAT},
      {"negative width", Header(8, BI_RGB, -3, 3), XERR_FORMAT},
      {"widest 8-bit row", Header(8, BI_RGB, 65532, 1), XERR_OK},
      {"8-bit row past 16 bits", Header(8, BI_RGB, 65533, 1), XERR_FORMAT},
      {"24-bit row past 16 bits", Header(24, BI_RGB, 21845, 1), XERR_FORMAT},
      {"1-bit row wrapping", Header(1, BI_RGB, 0x10001, 1), XERR_FORMAT},
      {"block of 2 GB", Header(8, BI_RGB, 65532, 32800), XERR_FORMAT},
      {"RLE8 with image size 0", Header(8, BI_RLE8, 3, 3, 0, 0), XERR_FORMAT},
  };
  for (Case& c : cases) {
    EXPECT_EQ(xdibCheckHeader(&c.header), c.expected) << c.what;
    EXPECT_EQ(c.header.biSize, 40u) << c.what;
  }
}

// Run-length streams, decoded into a zeroed block, bottom row first.
struct RleCase {
  const char* what;
  int bits;
  DWORD rowBytes;
  DWORD height;
  const char* input;
  int expected;
  const char* output;  // the whole block on success
};

const RleCase kRleCases[] = {
    {"encoded runs and end of line", 8, 4, 2, "03 07 00 00 02 09 00 01", XERR_OK,
     "07 07 07 00 09 09 00 00"},
    // 2 + 3 + 1 bytes: had the pad byte not been skipped, "00 02" would be
    // taken as a delta and the 05 run would land elsewhere.
    {"absolute run of 3 with its pad", 8, 4, 2, "00 03 01 02 03 00 02 05 00 01", XERR_OK,
     "01 02 03 05 05 00 00 00"},
    {"absolute run of 4 without pad", 8, 4, 2, "00 04 01 02 03 04 01 08 00 01", XERR_OK,
     "01 02 03 04 08 00 00 00"},
    {"delta right and up", 8, 4, 2, "00 02 01 01 01 05 00 01", XERR_OK, "00 00 00 00 00 05 00 00"},
    {"no end mark though every row is full", 8, 4, 2, "04 01 00 00 04 02", XERR_FORMAT, ""},
    {"no end mark", 8, 4, 2, "02 01", XERR_FORMAT, ""},
    {"end mark cut in half", 8, 4, 2, "02 01 00", XERR_FORMAT, ""},
    {"empty input", 8, 4, 2, "", XERR_FORMAT, ""},
    {"delta cut short", 8, 4, 2, "00 02 01", XERR_FORMAT, ""},
    {"run filling the block exactly", 8, 4, 2, "08 06 00 01", XERR_OK, "06 06 06 06 06 06 06 06"},
    {"run past the block", 8, 4, 2, "09 06 00 01", XERR_FORMAT, ""},
    {"end of line past the last row", 8, 4, 2, "00 00 00 00 01 01 00 01", XERR_FORMAT, ""},
    {"delta past the block", 8, 4, 2, "00 02 00 05 01 01 00 01", XERR_FORMAT, ""},
    {"absolute run past the input", 8, 4, 2, "00 05 01 02", XERR_FORMAT, ""},
    {"absolute run past the block", 8, 4, 1, "00 05 01 02 03 04 05 00 00 01", XERR_FORMAT, ""},
    {"RLE4 encoded run alternates nibbles", 4, 4, 2, "05 12 00 01", XERR_OK,
     "12 12 10 00 00 00 00 00"},
    // 5 nibbles in 3 bytes, then one pad byte.
    {"RLE4 absolute run of 5", 4, 4, 2, "00 05 12 34 50 00 00 01", XERR_OK,
     "12 34 50 00 00 00 00 00"},
    {"RLE4 absolute run of 3, no pad", 4, 4, 2, "00 03 12 30 01 44 00 01", XERR_OK,
     "12 34 00 00 00 00 00 00"},
    {"RLE4 packing follows the row position", 4, 4, 2, "01 AA 02 BC 00 01", XERR_OK,
     "AB C0 00 00 00 00 00 00"},
    {"RLE4 delta to an odd pixel", 4, 4, 2, "00 02 03 01 02 77 00 01", XERR_OK,
     "00 00 00 00 00 07 70 00"},
    {"RLE4 run past the block", 4, 4, 1, "09 11 00 01", XERR_FORMAT, ""},
};

TEST(XdibDecodeRLE, Table) {
  for (const RleCase& c : kRleCases) {
    const std::vector<uint8_t> in = Hex(c.input);
    std::vector<uint8_t> out(c.rowBytes * c.height, 0);
    const int rc =
        xdibDecodeRLE(in.data(), in.size(), out.data(), c.rowBytes, c.height, c.bits, nullptr);
    EXPECT_EQ(rc, c.expected) << c.what;
    if (rc == XERR_OK && c.expected == XERR_OK) {
      EXPECT_EQ(out, Hex(c.output)) << c.what;
    }
  }
}

TEST(XdibDecodeRLE, AbortFlagStopsDecoding) {
  const std::vector<uint8_t> in = Hex("02 01 00 01");
  std::vector<uint8_t> out(8, 0);
  volatile int abortFlag = 1;
  EXPECT_EQ(xdibDecodeRLE(in.data(), in.size(), out.data(), 4, 2, 8, &abortFlag), XERR_FORMAT);
  abortFlag = 0;
  EXPECT_EQ(xdibDecodeRLE(in.data(), in.size(), out.data(), 4, 2, 8, &abortFlag), XERR_OK);
}

TEST(XdibReadFrom, EightBitWithoutColourCountReads256Entries) {
  BmpFields f;
  f.width = 2;
  f.height = 1;
  const std::vector<uint8_t> px = Hex("05 FF 00 00");
  Loaded l(MakeBmp(f, 256, px));
  ASSERT_EQ(l.rc, XERR_OK);
  // 1024 table bytes were consumed: the pixels are right.
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 4), px);
  EXPECT_EQ(l.dib.palette[255].rgbBlue, 255);
  EXPECT_EQ(l.dib.palette[255].rgbGreen, 0);
  EXPECT_EQ(l.dib.bmiColors[5].rgbRed, 15);
  EXPECT_EQ(l.dib.rowBytes, 4u);
  EXPECT_EQ(l.dib.colorUse, XDIB_RGB_COLORS);
}

TEST(XdibReadFrom, TwentyFourBitsReadNoTable) {
  BmpFields f;
  f.width = 1;
  f.height = 2;
  f.bitCount = 24;
  const std::vector<uint8_t> px = Hex("01 02 03 00 04 05 06 00");
  Loaded l(MakeBmp(f, 0, px));
  ASSERT_EQ(l.rc, XERR_OK);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 8), px);
  EXPECT_EQ(l.dib.palette[0].rgbBlue, 0);
}

TEST(XdibReadFrom, ColourCounts) {
  struct Case {
    uint32_t used;
    int expected;
  } cases[] = {{256, XERR_OK}, {300, XERR_FORMAT}, {3, XERR_OK}};
  for (const Case& c : cases) {
    BmpFields f;
    f.colorsUsed = c.used;
    Loaded l(MakeBmp(f, c.used > 256 ? 256 : c.used, std::vector<uint8_t>(8, 1)));
    EXPECT_EQ(l.rc, c.expected) << c.used;
    if (c.expected != XERR_OK) {
      EXPECT_EQ(l.dib.bits, nullptr);
    }
  }
}

TEST(XdibReadFrom, EntriesPastTheCountAreZero) {
  BmpFields f;
  f.width = 3;
  f.height = 1;
  f.colorsUsed = 2;
  // Index 200 lies past the file's two colours.
  Loaded l(MakeBmp(f, 2, Hex("00 01 C8 00")));
  ASSERT_EQ(l.rc, XERR_OK);
  ASSERT_EQ(xdibTo24Bit(&l.dib), XERR_OK);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 12),
            Hex("00 FF 00 01 FE 03 00 00 00 000000"));
}

TEST(XdibReadFrom, FailuresByStage) {
  BmpFields good;
  const std::vector<uint8_t> file = MakeBmp(good, 256, std::vector<uint8_t>(8, 1));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int expected;
  } cases[] = {
      {"empty", {}, XERR_READ},
      {"file header cut", std::vector<uint8_t>(file.begin(), file.begin() + 13), XERR_READ},
      {"info header cut", std::vector<uint8_t>(file.begin(), file.begin() + 53), XERR_READ},
      {"colour table cut", std::vector<uint8_t>(file.begin(), file.begin() + 54 + 1023), XERR_READ},
      {"pixels cut: accepted", std::vector<uint8_t>(file.begin(), file.begin() + 54 + 1024 + 3),
       XERR_OK},
  };
  for (Case& c : cases) {
    Loaded l(c.bytes);
    EXPECT_EQ(l.rc, c.expected) << c.what;
    if (c.expected != XERR_OK) {
      EXPECT_EQ(l.dib.bits, nullptr) << c.what;
    }
  }
  BmpFields bad = good;
  bad.signature = "MB";
  Loaded wrongSignature(MakeBmp(bad, 256, std::vector<uint8_t>(8, 1)));
  EXPECT_EQ(wrongSignature.rc, XERR_FORMAT);
}

TEST(XdibReadFrom, ShortPixelsLeaveZeroes) {
  BmpFields f;
  f.imageSize = 8;
  std::vector<uint8_t> bytes = MakeBmp(f, 256, Hex("01 02 03 04 05 06 07 08"));
  bytes.resize(bytes.size() - 3);
  Loaded l(bytes);
  ASSERT_EQ(l.rc, XERR_OK);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 8), Hex("01 02 03 04 05 00 00 00"));
}

TEST(XdibReadFrom, SizesTheFileCannotHoldAreRefusedBeforeAllocating) {
  // Headers whose pixel block the file could never fill: refused as damaged
  // without allocating (on 64-bit a lazily zeroed 1.8 GB block would be
  // allocated and the short read accepted).
  struct Case {
    const char* what;
    BmpFields fields;
    uint32_t table;
    const char* data;
  } cases[] = {
      {"54 bytes claiming 1.8 GB at 24 bits", {20000, 30000, 24, BI_RGB, 0, 0, 0}, 0, ""},
      {"8 bits, 1.6 GB, colour table only", {16000, 100000, 8, BI_RGB, 0, 0, 0}, 256, ""},
      // 16 rows of 4 bytes: 64, two more than the whole file of 62 bytes.
      {"block larger than the whole file",
       {1, 16, 24, BI_RGB, 0, 0, 0},
       0,
       "01 02 03 04 05 06 07 08"},
      {"RLE8 rows no stream of this length reaches",
       {4, 100000, 8, BI_RLE8, 0, 0, 2},
       256,
       "00 01"},
  };
  for (const Case& c : cases) {
    Loaded l(MakeBmp(c.fields, c.table, Hex(c.data)));
    EXPECT_EQ(l.rc, XERR_FORMAT) << c.what;
    EXPECT_EQ(l.dib.bits, nullptr) << c.what;
  }
  // A short file whose block still fits in it is read, the rest zero.
  {
    BmpFields shortFile{1, 15, 24, BI_RGB, 0, 0, 0};
    Loaded l(MakeBmp(shortFile, 0, Hex("01 02 03 04 05 06 07 08")));
    ASSERT_EQ(l.rc, XERR_OK);
    EXPECT_EQ(l.dib.bits[7], 8);
    EXPECT_EQ(l.dib.bits[59], 0);
  }
  // Rows skipped by deltas, 255 at a time, are still reachable.
  const uint32_t deltas = 40;
  std::vector<uint8_t> data;
  for (uint32_t i = 0; i < deltas; ++i) {
    const uint8_t delta[4] = {0, 2, 0, 255};
    data.insert(data.end(), delta, delta + 4);
  }
  const std::vector<uint8_t> tail = Hex("04 09 00 01");
  data.insert(data.end(), tail.begin(), tail.end());
  BmpFields tall;
  tall.height = static_cast<int32_t>(255 * deltas + 1);
  tall.compression = BI_RLE8;
  Loaded l(MakeBmp(tall, 256, data));
  ASSERT_EQ(l.rc, XERR_OK);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits + 4 * 255 * deltas, l.dib.bits + 4 * 255 * deltas + 4),
            Hex("09 09 09 09"));
}

TEST(XdibReadFrom, GapBeforePixelsIsTakenAsPixels) {
  BmpFields f;
  f.width = 4;
  f.height = 1;
  f.colorsUsed = 2;
  // The offset field would skip the first two bytes; it is never consulted.
  std::vector<uint8_t> bytes = MakeBmp(f, 2, Hex("AA BB 01 02 03 04"));
  bytes[10] += 2;
  Loaded l(bytes);
  ASSERT_EQ(l.rc, XERR_OK);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 4), Hex("AA BB 01 02"));
}

// Larger information headers are read for their first 40 bytes and skipped
// to the colour table, in the file form and the resource form alike; OS/2
// sizes, sizes below 40 and sizes no Windows version defines are refused.
TEST(XdibReadFrom, InformationHeaderSizes) {
  struct Case {
    uint32_t headerSize;
    int expected;
  } cases[] = {
      {40, XERR_OK},      {52, XERR_OK},      {56, XERR_OK},     {108, XERR_OK},
      {124, XERR_OK},     {0, XERR_FORMAT},   {12, XERR_FORMAT}, {16, XERR_FORMAT},
      {39, XERR_FORMAT},  {41, XERR_FORMAT},  {64, XERR_FORMAT}, {66, XERR_FORMAT},
      {125, XERR_FORMAT}, {200, XERR_FORMAT},
  };
  BmpFields f;
  f.width = 3;
  f.height = 2;
  f.colorsUsed = 3;
  const std::vector<uint8_t> px = Hex("00 01 02 00 02 01 00 00");
  for (const Case& c : cases) {
    for (bool withFileHeader : {true, false}) {
      SCOPED_TRACE(std::to_string(c.headerSize) + (withFileHeader ? " file" : " resource"));
      f.headerSize = c.headerSize;
      std::vector<uint8_t> bytes = MakeBmp(f, 3, px);
      if (!withFileHeader) bytes.erase(bytes.begin(), bytes.begin() + 14);
      Loaded l(bytes, withFileHeader);
      ASSERT_EQ(l.rc, c.expected);
      if (c.expected != XERR_OK) {
        EXPECT_EQ(l.dib.bits, nullptr);
        continue;
      }
      // The table and pixels were found behind the whole header.
      EXPECT_EQ(l.dib.bmiHeader.biSize, 40u);
      EXPECT_EQ(l.dib.palette[2].rgbBlue, 2);
      EXPECT_EQ(l.dib.palette[2].rgbGreen, 253);
      EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 8), px);
    }
  }
}

// A header whose size the data cannot hold is damaged, not short: a format
// error, as is a known size cut by the end of the data.
TEST(XdibReadFrom, HeaderTheDataCannotHoldIsAFormatError) {
  BmpFields f;
  f.headerSize = 124;
  const std::vector<uint8_t> whole = MakeBmp(f, 256, Hex("01 02 03 04 05 06 07 08"));
  for (size_t keep : {size_t(54), size_t(100), size_t(137)}) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(keep));
    Loaded l(cut);
    EXPECT_EQ(l.rc, XERR_FORMAT) << keep;
    EXPECT_EQ(l.dib.bits, nullptr) << keep;
  }
  // A 40-byte header cut short stays a read error, as it always was.
  f.headerSize = 40;
  const std::vector<uint8_t> plain = MakeBmp(f, 256, {});
  Loaded l(std::vector<uint8_t>(plain.begin(), plain.begin() + 50));
  EXPECT_EQ(l.rc, XERR_READ);
}

TEST(XdibReadFrom, V5RunLengthPictureDecodes) {
  BmpFields f;
  f.headerSize = 124;
  f.compression = BI_RLE8;
  f.width = 4;
  f.height = 2;
  Loaded l(MakeBmp(f, 256, Hex("04 07 00 00 02 08 01 09 01 0A 00 01")));
  ASSERT_EQ(l.rc, XERR_OK);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 8), Hex("07 07 07 07 08 08 09 0A"));
}

TEST(XdibHeaderSizeKnown, TheWindowsSizes) {
  for (DWORD size = 0; size < 200; ++size) {
    const bool known = size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
    EXPECT_EQ(xdibHeaderSizeKnown(size), known) << size;
  }
}

TEST(XdibReadFrom, SmallImageSizeFieldStillGivesWholeRows) {
  BmpFields f;
  f.imageSize = 3;  // lies: rows need 8 bytes
  Loaded l(MakeBmp(f, 256, Hex("01 02 03 04 05 06 07 08")));
  ASSERT_EQ(l.rc, XERR_OK);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 8), Hex("01 02 03 00 00 00 00 00"));
}

TEST(XdibReadFrom, ResourceFormHasNoFileHeader) {
  BmpFields f;
  std::vector<uint8_t> bytes = MakeBmp(f, 256, Hex("01 02 03 04 05 06 07 08"));
  bytes.erase(bytes.begin(), bytes.begin() + 14);
  Loaded l(bytes, false);
  ASSERT_EQ(l.rc, XERR_OK);
  EXPECT_EQ(l.dib.bits[7], 8);
}

TEST(XdibReadFrom, Rle8DecodesAndClearsCompression) {
  BmpFields f;
  f.compression = BI_RLE8;
  Loaded l(MakeBmp(f, 256, Hex("03 07 00 00 00 03 01 02 03 00 00 01")));
  ASSERT_EQ(l.rc, XERR_OK);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 8), Hex("07 07 07 00 01 02 03 00"));
  EXPECT_EQ(l.dib.bmiHeader.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(l.dib.bmiHeader.biSizeImage, 0u);
}

TEST(XdibReadFrom, RleFailures) {
  struct Case {
    const char* what;
    uint32_t compression;
    uint16_t bits;
    int64_t imageSize;
    const char* data;
    int expected;
  } cases[] = {
      {"RLE8 image size 0", BI_RLE8, 8, 0, "02 01 00 01", XERR_FORMAT},
      {"RLE8 without end mark", BI_RLE8, 8, -1, "04 01 00 00 04 01", XERR_FORMAT},
      {"RLE8 damaged run", BI_RLE8, 8, -1, "00 09 01", XERR_FORMAT},
      // The claim is far beyond the file: only what is there is read.
      {"RLE8 huge claimed size", BI_RLE8, 8, 0xFFFFFFF0, "02 01 00 01", XERR_OK},
      {"RLE4 image size 0", BI_RLE4, 4, 0, "02 11 00 01", XERR_FORMAT},
      {"RLE4 good", BI_RLE4, 4, -1, "02 11 00 01", XERR_OK},
  };
  for (const Case& c : cases) {
    BmpFields f;
    f.compression = c.compression;
    f.bitCount = c.bits;
    f.imageSize = c.imageSize;
    Loaded l(MakeBmp(f, c.bits == 8 ? 256 : 16, Hex(c.data)));
    EXPECT_EQ(l.rc, c.expected) << c.what;
    EXPECT_EQ(l.dib.bits == nullptr, c.expected != XERR_OK) << c.what;
  }
}

TEST(XdibTo24Bit, OneBitBlackAndWhite) {
  BmpFields f;
  f.width = 10;
  f.height = 1;
  f.bitCount = 1;
  const std::vector<uint8_t> table = Hex("000000 00 FFFFFF 00");
  // 1 0 1 1 0 0 0 0 | 1 0: most significant bit first.
  Loaded l(MakeBmp(f, 2, Hex("B0 80 00 00"), &table));
  ASSERT_EQ(l.rc, XERR_OK);
  ASSERT_EQ(xdibTo24Bit(&l.dib), XERR_OK);
  EXPECT_EQ(l.dib.rowBytes, 32u);
  EXPECT_EQ(l.dib.bmiHeader.biBitCount, 24);
  EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 32),
            Hex("FFFFFF 000000 FFFFFF FFFFFF 000000 000000 000000 000000 FFFFFF 000000 0000"));
}

TEST(XdibTo24Bit, FourAndEightBitsThroughPalette) {
  const std::vector<uint8_t> table = Hex("01 02 03 00 11 12 13 00 21 22 23 00");
  struct Case {
    uint16_t bits;
    const char* pixels;
  } cases[] = {{4, "12 00 00 00"}, {8, "01 02 00 00"}};
  for (const Case& c : cases) {
    BmpFields f;
    f.width = 3;
    f.height = 1;
    f.bitCount = c.bits;
    f.colorsUsed = 3;
    f.colorsImportant = 3;
    Loaded l(MakeBmp(f, 3, Hex(c.pixels), &table));
    ASSERT_EQ(l.rc, XERR_OK);
    ASSERT_EQ(xdibTo24Bit(&l.dib), XERR_OK);
    EXPECT_EQ(std::vector<uint8_t>(l.dib.bits, l.dib.bits + 12), Hex("111213 212223 010203 000000"))
        << c.bits;
    EXPECT_EQ(l.dib.bmiHeader.biClrUsed, 0u);
    EXPECT_EQ(l.dib.bmiHeader.biClrImportant, 0u);
    EXPECT_EQ(l.dib.bmiHeader.biSizeImage, 0u);
  }
}

TEST(XdibTo24Bit, RefusesRowsTheRecordCannotHold) {
  // 30000 pixels fit a 1-bit row but not a 24-bit one.
  BmpFields f;
  f.width = 30000;
  f.height = 1;
  f.bitCount = 1;
  Loaded l(MakeBmp(f, 2, std::vector<uint8_t>(3752, 0xF0)));
  ASSERT_EQ(l.rc, XERR_OK);
  uint8_t* before = l.dib.bits;
  EXPECT_EQ(xdibTo24Bit(&l.dib), XERR_FORMAT);
  EXPECT_EQ(l.dib.bits, before);
  EXPECT_EQ(l.dib.bmiHeader.biBitCount, 1);
}

TEST(XdibTo24Bit, OtherBitCountsAreFormatErrors) {
  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  uint8_t pixels[8] = {};
  dib.bits = pixels;
  dib.bmiHeader = Header(16, BI_RGB, 2, 2);
  EXPECT_EQ(xdibTo24Bit(&dib), XERR_FORMAT);
  EXPECT_EQ(dib.bits, pixels);
  dib.bmiHeader = Header(24, BI_RGB, 2, 2);
  EXPECT_EQ(xdibTo24Bit(&dib), XERR_OK);
  EXPECT_EQ(dib.bits, pixels);
}

TEST(XdibUsePaletteIndices, IdentityForPalettesNothingFor24Bits) {
  BmpFields f;
  f.colorsUsed = 3;
  Loaded eight(MakeBmp(f, 3, std::vector<uint8_t>(8, 0)));
  ASSERT_EQ(eight.rc, XERR_OK);
  xdibUsePaletteIndices(&eight.dib);
  EXPECT_EQ(eight.dib.colorUse, XDIB_PAL_COLORS);
  uint16_t slots[4];
  std::memcpy(slots, eight.dib.bmiColors, sizeof slots);
  EXPECT_EQ(slots[0], 0);
  EXPECT_EQ(slots[1], 1);
  EXPECT_EQ(slots[2], 2);
  // The picture's own colours are kept for later.
  EXPECT_EQ(eight.dib.palette[2].rgbGreen, 253);

  f.bitCount = 24;
  f.colorsUsed = 0;
  f.width = 1;
  Loaded deep(MakeBmp(f, 0, std::vector<uint8_t>(8, 0)));
  ASSERT_EQ(deep.rc, XERR_OK);
  xdibUsePaletteIndices(&deep.dib);
  EXPECT_EQ(deep.dib.colorUse, XDIB_RGB_COLORS);
}

TEST(XdibFree, SafeOnEmptyRecord) {
  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  xdibFree(&dib);
  xdibFree(&dib);
  EXPECT_EQ(dib.bits, nullptr);
}

}  // namespace

namespace {

TEST(XdibStdioSource, ReadsLikeMemory) {
  const std::string dir = std::string(SOMNEL_SOURCE_DIR) + "/xlib/mm/tests/data/";
  for (const char* name : {"f8rle.bmp", "f4.bmp"}) {
    const std::vector<uint8_t> bytes = bmptest::ReadWholeFile(dir + name);
    Loaded fromMemory(bytes);
    ASSERT_EQ(fromMemory.rc, XERR_OK) << name;
    FILE* f = std::fopen((dir + name).c_str(), "rb");
    ASSERT_NE(f, nullptr);
    XDibStdioSource src(f);
    EXPECT_EQ(src.Remaining(), static_cast<int64_t>(bytes.size()));
    XDIB dib;
    std::memset(&dib, 0, sizeof dib);
    ASSERT_EQ(xdibReadFrom(&dib, src, true), XERR_OK) << name;
    std::fclose(f);
    const size_t size = fromMemory.dib.rowBytes * 9;
    EXPECT_EQ(std::memcmp(dib.bits, fromMemory.dib.bits, size), 0) << name;
    xdibFree(&dib);
  }
}

// Run-length data longer than the loader's read helping, with every kind of
// step, the expected picture built alongside. firstRowSteps single-pixel
// runs open the stream, so that later steps (and the padding of absolute
// runs) fall on every even offset across a helping's end.
struct RleStream {
  std::vector<uint8_t> data;
  std::vector<uint8_t> pixels;  // expected: one byte a pixel (8 bits) or nibble (4 bits)
  uint32_t width = 0;
  uint32_t height = 0;
};

RleStream MakeLongRle(int bits, uint32_t firstRowSteps, uint32_t seed) {
  RleStream r;
  r.width = 300;
  uint32_t state = seed * 2654435761u + 1;
  auto next = [&state](uint32_t n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  const uint8_t mask = bits == 8 ? 0xFF : 0x0F;
  std::vector<uint8_t> row;
  const uint32_t kCycle[3] = {0, 3, 7};  // run, absolute run, delta
  uint32_t cycle = 0;
  auto endRow = [&] {
    row.resize(r.width, 0);
    r.pixels.insert(r.pixels.end(), row.begin(), row.end());
    row.clear();
    r.height += 1;
  };
  for (uint32_t i = 0; i < firstRowSteps; ++i) {
    const uint8_t v = static_cast<uint8_t>(next(256));
    r.data.insert(r.data.end(), {1, v});
    row.push_back(static_cast<uint8_t>((bits == 8 ? v : v >> 4) & mask));
  }
  r.data.insert(r.data.end(), {0, 0});
  endRow();
  while (r.data.size() < 67000) {
    while (row.size() < r.width) {
      const uint32_t room = r.width - static_cast<uint32_t>(row.size());
      // Short steps of each kind in turn around the first helping's end, so
      // that each kind is cut there at every offset as the prefix grows.
      const bool nearCut = r.data.size() + 600 > 65536 && r.data.size() < 65536 + 300;
      const uint32_t kind = nearCut ? kCycle[cycle++ % 3] : next(8);
      if (kind < 3) {  // run
        const uint32_t n = 1 + next(room < 255 ? room : 255);
        const uint8_t v = static_cast<uint8_t>(next(256));
        r.data.insert(r.data.end(), {static_cast<uint8_t>(n), v});
        for (uint32_t k = 0; k < n; ++k)
          row.push_back(bits == 8 ? v : static_cast<uint8_t>((k & 1) ? v & 0x0F : v >> 4));
      } else if (kind < 7 && room >= 3) {  // absolute run, padded to 16 bits
        const uint32_t most = nearCut ? 9 : 255;
        const uint32_t n = 3 + next((room < most ? room : most) - 2);
        r.data.insert(r.data.end(), {0, static_cast<uint8_t>(n)});
        const uint32_t bytes = bits == 8 ? n : (n + 1) / 2;
        for (uint32_t k = 0; k < bytes; ++k) {
          const uint8_t b = static_cast<uint8_t>(next(256));
          r.data.push_back(b);
          if (bits == 8) {
            row.push_back(b);
          } else {
            row.push_back(b >> 4);
            if (2 * k + 1 < n) row.push_back(b & 0x0F);
          }
        }
        if (bytes & 1) r.data.push_back(0);
      } else if (kind >= 6 && bits == 8 && room > 1) {  // delta: skipped pixels stay 0
        const uint32_t dx = 1 + next(room - 1 < 40 ? room - 1 : 40);
        r.data.insert(r.data.end(), {0, 2, static_cast<uint8_t>(dx), 0});
        row.resize(row.size() + dx, 0);
      }
    }
    r.data.insert(r.data.end(), {0, 0});
    endRow();
  }
  r.data.insert(r.data.end(), {0, 1});
  return r;
}

// The decoded block as pixels, one byte a pixel or nibble.
std::vector<uint8_t> Unpack(const XDIB& dib, int bits) {
  const uint32_t w = static_cast<uint32_t>(dib.bmiHeader.biWidth);
  std::vector<uint8_t> px(static_cast<size_t>(w) * static_cast<uint32_t>(dib.bmiHeader.biHeight));
  uint8_t* to = px.data();
  for (int32_t y = 0; y < dib.bmiHeader.biHeight; ++y) {
    const uint8_t* row = dib.bits + static_cast<size_t>(y) * dib.rowBytes;
    for (uint32_t x = 0; x < w; ++x)
      *to++ = bits == 8 ? row[x] : ((x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4);
  }
  return px;
}

std::vector<uint8_t> LongRleBmp(const RleStream& r, int bits) {
  BmpFields f;
  f.width = static_cast<int32_t>(r.width);
  f.height = static_cast<int32_t>(r.height);
  f.bitCount = static_cast<uint16_t>(bits);
  f.compression = bits == 8 ? BI_RLE8 : BI_RLE4;
  return MakeBmp(f, bits == 8 ? 256 : 16, r.data);
}

TEST(XdibReadFrom, LongRunLengthDataAtEveryOffset) {
  for (int bits : {8, 4}) {
    for (uint32_t steps = 0; steps < 140; ++steps) {
      const RleStream r = MakeLongRle(bits, steps, static_cast<uint32_t>(bits));
      Loaded l(LongRleBmp(r, bits));
      ASSERT_EQ(l.rc, XERR_OK) << bits << " bits, " << steps << " steps";
      ASSERT_EQ(Unpack(l.dib, bits), r.pixels) << bits << " bits, " << steps << " steps";
    }
  }
}

// Hands out at most a few bytes a call, and fails once past failAt.
class TrickleSource final : public XDibSource {
 public:
  TrickleSource(const std::vector<uint8_t>& bytes, size_t failAt)
      : m_Bytes(bytes), m_FailAt(failAt) {}
  long Read(void* buffer, uint32_t count) override {
    if (m_Pos >= m_FailAt) return -1;
    size_t n = (m_FailAt < m_Bytes.size() ? m_FailAt : m_Bytes.size()) - m_Pos;
    if (n > count) n = count;
    if (n > 1000) n = 1000;
    std::memcpy(buffer, m_Bytes.data() + m_Pos, n);
    m_Pos += n;
    return static_cast<long>(n);
  }

 private:
  const std::vector<uint8_t>& m_Bytes;
  size_t m_FailAt;
  size_t m_Pos = 0;
};

TEST(XdibReadFrom, LongRunLengthDataInShortReadsAndFailedReads) {
  const RleStream r = MakeLongRle(8, 11, 3);
  std::vector<uint8_t> bytes = LongRleBmp(r, 8);
  {
    TrickleSource src(bytes, bytes.size() + 1);
    XDIB dib;
    std::memset(&dib, 0, sizeof dib);
    ASSERT_EQ(xdibReadFrom(&dib, src, true), XERR_OK);
    EXPECT_EQ(Unpack(dib, 8), r.pixels);
    xdibFree(&dib);
  }
  // Bytes after the end mark that the image size still claims are read, so
  // a read failing there fails the load; so does one in damaged data.
  bytes.insert(bytes.end(), 5000, 0);
  const uint32_t claim = static_cast<uint32_t>(r.data.size() + 5000);
  std::memcpy(&bytes[34], &claim, 4);
  // Three deltas of 255 rows at the start: the next run lands past the block.
  ASSERT_LT(r.height, 765u);
  std::vector<uint8_t> damaged = bytes;
  for (size_t i = 0; i < 3; ++i) {
    const uint8_t delta[4] = {0, 2, 0, 255};
    std::memcpy(&damaged[54 + 1024 + 4 * i], delta, 4);
  }
  for (const std::vector<uint8_t>* b : {&bytes, &damaged}) {
    TrickleSource src(*b, b->size() - 10);
    XDIB dib;
    std::memset(&dib, 0, sizeof dib);
    EXPECT_EQ(xdibReadFrom(&dib, src, true), XERR_READ);
    EXPECT_EQ(dib.bits, nullptr);
    TrickleSource whole(*b, b->size() + 1);
    EXPECT_EQ(xdibReadFrom(&dib, whole, true), b == &bytes ? XERR_OK : XERR_FORMAT);
    xdibFree(&dib);
  }
}

}  // namespace
