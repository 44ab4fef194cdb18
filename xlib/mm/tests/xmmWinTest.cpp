// The Windows edge of the imaging library: files through xfile, bitmap
// resources, drawing, the class library's bitmap holder and the picture
// information with its file search.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "clib/cBitmap.h"
#include "xlib/lib/xdirfilter.h"
#include "xlib/lib/xfile.h"
#include "xlib/mm/PictureInfo.h"
#include "xlib/mm/tests/BmpBytes.h"
#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"
#include "xlib/mm/xdisplay.h"

namespace {

const std::string kData = std::string(SOMNEL_SOURCE_DIR) + "/xlib/mm/tests/data/";
const char kBadBitmapText[] = "<unknown error: 134217738>";

std::string TempDir() {
  char buf[MAX_PATH];
  GetTempPathA(MAX_PATH, buf);
  return buf;
}

std::string WriteTemp(const char* name, const std::vector<uint8_t>& bytes) {
  const std::string path = TempDir() + name;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr) << path;
  if (f) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

std::vector<uint8_t> Pixels(const XDIB& dib) {
  return std::vector<uint8_t>(dib.bits, dib.bits + dib.rowBytes * dib.bmiHeader.biHeight);
}

// The record read from memory: what every other route must reproduce.
struct Reference {
  XDIB dib;
  explicit Reference(const char* file) {
    std::memset(&dib, 0, sizeof dib);
    const std::vector<uint8_t> bytes = bmptest::ReadWholeFile(kData + file);
    XDibMemorySource src(bytes.data(), bytes.size());
    EXPECT_EQ(xdibReadFrom(&dib, src, true), XERR_OK) << file;
  }
  ~Reference() { xdibFree(&dib); }
};

TEST(XdibReadFile, ReadsFromTheFilesCurrentPosition) {
  for (const char* name : {"f8.bmp", "f8rle.bmp", "f4rle.bmp", "f24.bmp", "f8rle-v5.bmp"}) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> bytes(100, 0x33);
    const std::vector<uint8_t> bmp = bmptest::ReadWholeFile(kData + name);
    bytes.insert(bytes.end(), bmp.begin(), bmp.end());
    const std::string path = WriteTemp("xdib_offset.bin", bytes);
    xfile* file = xFileOpen(path.c_str(), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(file, nullptr);
    xFileSeek(file, 100, FILE_BEGIN);
    XDIB dib;
    std::memset(&dib, 0, sizeof dib);
    ASSERT_EQ(xdibReadFile(&dib, file), XERR_OK);
    xFileClose(file);
    Reference ref(name);
    EXPECT_EQ(Pixels(dib), Pixels(ref.dib));
    EXPECT_EQ(std::memcmp(dib.palette, ref.dib.palette, sizeof dib.palette), 0);
    xdibFree(&dib);
    DeleteFileA(path.c_str());
  }
}

TEST(XdibReadFile, RunLengthTwinsGiveTheSamePixels) {
  Reference plain("f8.bmp"), rle("f8rle.bmp");
  EXPECT_EQ(Pixels(plain.dib), Pixels(rle.dib));
}

TEST(XdibReadFile, DamagedFileLeavesNoBlock) {
  std::vector<uint8_t> bmp = bmptest::ReadWholeFile(kData + "f8rle.bmp");
  bmp.resize(bmp.size() - 2);  // drop the end-of-bitmap mark
  const std::string path = WriteTemp("xdib_cut.bmp", bmp);
  xfile* file = xFileOpen(path.c_str(), GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(file, nullptr);
  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  EXPECT_EQ(xdibReadFile(&dib, file), XERR_FORMAT);
  EXPECT_EQ(dib.bits, nullptr);
  xFileClose(file);
  DeleteFileA(path.c_str());
}

TEST(XdibLoadResource, SameAsTheFile) {
  struct Case {
    const char* resource;
    const char* file;
  } cases[] = {{"F8", "f8.bmp"},
               {"F8RLE", "f8.bmp"},
               {"F1", "f1.bmp"},
               {"F8RLEV5", "f8rle-v5.bmp"},
               {"F4V5", "f4-v5.bmp"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.resource);
    XDIB dib;
    std::memset(&dib, 0, sizeof dib);
    ASSERT_EQ(xdibLoadResource(&dib, GetModuleHandleA(nullptr), c.resource), XERR_OK);
    Reference ref(c.file);
    EXPECT_EQ(Pixels(dib), Pixels(ref.dib));
    EXPECT_EQ(std::memcmp(dib.palette, ref.dib.palette, sizeof dib.palette), 0);
    EXPECT_EQ(dib.bmiHeader.biWidth, ref.dib.bmiHeader.biWidth);
    xdibFree(&dib);
  }
  XDIB missing;
  std::memset(&missing, 0, sizeof missing);
  EXPECT_EQ(xdibLoadResource(&missing, GetModuleHandleA(nullptr), "NOSUCH"), XERR_RESOURCE);
  EXPECT_EQ(missing.bits, nullptr);
}

TEST(XdibDraw, PutsTheRowsTheRightWayUp) {
  Reference ref("f8.bmp");
  const int w = 13, h = 9;
  BITMAPINFO bi;
  std::memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down, so row 0 is the top
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  HBITMAP section = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HGDIOBJ old = SelectObject(dc, section);
  EXPECT_EQ(xdibDraw(&ref.dib, dc, 0, 0, nullptr, SRCCOPY), h);
  GdiFlush();
  const uint8_t* px = static_cast<const uint8_t*>(bits);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t index = ref.dib.bits[(h - 1 - y) * ref.dib.rowBytes + x];
      const RGBQUAD& q = ref.dib.palette[index];
      const uint8_t* p = px + (y * w + x) * 4;
      ASSERT_EQ(p[0], q.rgbBlue) << x << "," << y;
      ASSERT_EQ(p[1], q.rgbGreen) << x << "," << y;
      ASSERT_EQ(p[2], q.rgbRed) << x << "," << y;
    }
  }
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

TEST(CBitmap, LoadFileDecodesIntoAMoveableBlock) {
  Reference ref("f8.bmp");
  for (const char* name : {"f8.bmp", "f8rle.bmp"}) {
    SCOPED_TRACE(name);
    cBitmap bmp;
    bmp.LoadFile((kData + name).c_str(), 0);
    ASSERT_NE(bmp.m_hBits, nullptr);
    ASSERT_NE(bmp.m_pBits, nullptr);
    EXPECT_EQ(GlobalFlags(bmp.m_hBits) & GMEM_LOCKCOUNT, 1u);
    EXPECT_EQ(bmp.m_Header.biCompression, 0u);
    // Decoding clears the image size; an uncompressed file keeps its own.
    EXPECT_EQ(bmp.m_Header.biSizeImage, std::string(name) == "f8rle.bmp" ? 0u : 144u);
    EXPECT_EQ(bmp.m_RowBytes, 16u);
    EXPECT_EQ(bmp.RowBytes(), 16u);
    EXPECT_EQ(bmp.NumColors(), 9u);
    EXPECT_EQ(bmp.ImageSize(), 16u * 9);
    EXPECT_EQ(std::vector<uint8_t>(bmp.m_pBits, bmp.m_pBits + 16 * 9), Pixels(ref.dib));
    EXPECT_EQ(std::memcmp(bmp.m_Colors, ref.dib.palette, sizeof bmp.m_Colors), 0);
    bmp.Free();
    EXPECT_EQ(bmp.m_hBits, nullptr);
    EXPECT_EQ(bmp.m_pBits, nullptr);
    bmp.Free();
  }
}

// Headers of 124 bytes, as ImageMagick writes them: the class library's
// holder reads the same pixels and colours as the memory reader.
TEST(CBitmap, ReadsV5Headers) {
  for (const char* name : {"f8rle-v5.bmp", "f4-v5.bmp"}) {
    SCOPED_TRACE(name);
    Reference ref(name);
    cBitmap bmp;
    bmp.LoadFile((kData + name).c_str(), 0);
    ASSERT_NE(bmp.m_pBits, nullptr);
    EXPECT_EQ(bmp.m_Header.biSize, 40u);
    EXPECT_EQ(bmp.m_Header.biWidth, 21);
    EXPECT_EQ(std::vector<uint8_t>(bmp.m_pBits, bmp.m_pBits + bmp.m_RowBytes * 11),
              Pixels(ref.dib));
    EXPECT_EQ(std::memcmp(bmp.m_Colors, ref.dib.palette, sizeof bmp.m_Colors), 0);
    bmp.Free();
  }
}

TEST(CBitmap, ColoursImportantCountWhenUsedIsZero) {
  bmptest::BmpFields f;
  f.colorsImportant = 2;
  cBitmap bmp;
  const std::string path = WriteTemp(
      "cbitmap_important.bmp", bmptest::MakeBmp(f, 2, bmptest::Hex("01 00 01 01 00 01 01 00")));
  bmp.LoadFile(path.c_str(), 0);
  EXPECT_EQ(bmp.NumColors(), 2u);
  EXPECT_EQ(bmp.m_pBits[0], 1);
  EXPECT_EQ(bmp.m_pBits[7], 0);
  EXPECT_EQ(bmp.m_Colors[1].rgbGreen, 254);
  bmp.Free();
  DeleteFileA(path.c_str());
}

TEST(CBitmap, FailuresThrowTheClassLibraryText) {
  bmptest::BmpFields bad;
  bad.signature = "BN";
  bmptest::BmpFields tooManyImportant;
  tooManyImportant.colorsImportant = 300;  // more than the table holds
  bmptest::BmpFields deep;
  deep.bitCount = 32;
  // 54 bytes whose header asks for a 1.8 GB block: refused before either
  // holder allocates it.
  bmptest::BmpFields huge;
  huge.width = 20000;
  huge.height = 30000;
  huge.bitCount = 24;
  huge.imageSize = 0;
  std::vector<uint8_t> cutRle = bmptest::ReadWholeFile(kData + "f8rle.bmp");
  cutRle.resize(cutRle.size() - 2);
  const std::vector<uint8_t> v5 = bmptest::ReadWholeFile(kData + "f8rle-v5.bmp");
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"bad signature", bmptest::MakeBmp(bad, 0, std::vector<uint8_t>(8, 0))},
      {"300 important colours",
       bmptest::MakeBmp(tooManyImportant, 300, std::vector<uint8_t>(8, 0))},
      {"32 bits", bmptest::MakeBmp(deep, 0, std::vector<uint8_t>(32, 0))},
      {"RLE8 without end mark", cutRle},
      {"header claiming 1.8 GB", bmptest::MakeBmp(huge, 0, {})},
      {"OS/2 header",
       bmptest::ReadWholeFile(std::string(SOMNEL_TESTDATA_DIR) + "/bmpsuite/g/pal8os2.bmp")},
      {"V5 header cut", std::vector<uint8_t>(v5.begin(), v5.begin() + 100)},
      {"empty", {}},
  };
  for (const Case& c : cases) {
    const std::string path = WriteTemp("cbitmap_bad.bmp", c.bytes);
    cBitmap bmp;
    try {
      bmp.LoadFile(path.c_str(), 0);
      ADD_FAILURE() << c.what << ": no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), kBadBitmapText) << c.what;
    }
    EXPECT_EQ(bmp.m_hBits, nullptr) << c.what;
    // The file was closed: it can be deleted.
    EXPECT_TRUE(DeleteFileA(path.c_str())) << c.what;
  }
  cBitmap missing;
  EXPECT_THROW(missing.LoadFile((kData + "no-such.bmp").c_str(), 0), std::runtime_error);
}

TEST(GetPictureInfo, KindsSizesAndColourCounts) {
  struct Case {
    const char* file;
    uint8_t kind;
    uint32_t colors;
    uint32_t width;
  } cases[] = {
      {"f8.bmp", kPictureBmp, 256, 13},
      {"f24.bmp", kPictureBmp, 16777216, 13},
      {"f.jpg", kPictureJpeg, 16777216, 32},
      {"fgray.jpg", kPictureJpeg, 256, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = kData + c.file;
    PictureInfo info;
    std::memset(&info, 0xCC, sizeof info);
    ASSERT_EQ(GetPictureInfo(0, &info, path.c_str()), 1);
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(info.colorCount, c.colors);
    EXPECT_EQ(info.fileSize, bmptest::ReadWholeFile(path).size());
    EXPECT_NE(info.created, 0u);
    if (c.kind == kPictureBmp) {
      EXPECT_EQ(static_cast<uint32_t>(info.header.bmp.width), c.width);
      EXPECT_EQ(info.header.bmp.height, 9);
    } else {
      EXPECT_EQ(info.header.jpeg.width, c.width);
      EXPECT_EQ(info.header.jpeg.height, 24u);
    }
  }
}

TEST(GetPictureInfo, Bit32HeaderGivesOneColour) {
  bmptest::BmpFields f;
  f.bitCount = 32;
  const std::string path =
      WriteTemp("deep32.bmp", bmptest::MakeBmp(f, 0, std::vector<uint8_t>(32, 0)));
  PictureInfo info{};
  ASSERT_EQ(GetPictureInfo(0, &info, path.c_str()), 1);
  EXPECT_EQ(info.colorCount, 1u);
  EXPECT_EQ(info.header.bmp.bitCount, 32u);
  DeleteFileA(path.c_str());
}

TEST(GetPictureInfo, NotFoundHiddenOrFolderGivesKindZero) {
  // The search's rule: a hidden-only entry shares no bit with 0x8A5.
  EXPECT_FALSE(xDirEntryPasses(kFilterFiles, FILE_ATTRIBUTE_HIDDEN, "hidden.jpg"));
  EXPECT_FALSE(xDirEntryPasses(kFilterFiles, FILE_ATTRIBUTE_DIRECTORY, "folder.bmp"));

  const std::string dir = TempDir() + "folder.bmp";
  CreateDirectoryA(dir.c_str(), nullptr);
  std::vector<std::string> paths = {kData + "no-such.jpg", dir};
  const std::string hidden = WriteTemp("hidden.jpg", bmptest::ReadWholeFile(kData + "f.jpg"));
  ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
  // Wine keeps the archive bit on every file, so a hidden-only file exists
  // only on Windows; there it is checked end to end.
  if (GetFileAttributesA(hidden.c_str()) == FILE_ATTRIBUTE_HIDDEN) paths.push_back(hidden);
  for (const std::string& path : paths) {
    PictureInfo info;
    std::memset(&info, 0xCC, sizeof info);
    EXPECT_EQ(GetPictureInfo(0, &info, path.c_str()), 0) << path;
    EXPECT_EQ(info.kind, 0) << path;
    EXPECT_EQ(info.fileSize, 0u) << path;
  }
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(hidden.c_str());
  RemoveDirectoryA(dir.c_str());
}

TEST(GetPictureInfo, JpegNameOnABmpGivesZeroSizeUnlessKindGiven) {
  const std::string path = WriteTemp("really_a_bmp.jpeg", bmptest::ReadWholeFile(kData + "f8.bmp"));
  PictureInfo info{};
  ASSERT_EQ(GetPictureInfo(0, &info, path.c_str()), 1);
  EXPECT_EQ(info.kind, kPictureJpeg);
  EXPECT_EQ(info.header.jpeg.width, 0u);
  EXPECT_EQ(info.header.jpeg.height, 0u);
  // Given kind 1, the same file is read as the BMP it is.
  ASSERT_EQ(GetPictureInfo(kPictureBmp, &info, path.c_str()), 1);
  EXPECT_EQ(info.kind, kPictureBmp);
  EXPECT_EQ(info.header.bmp.width, 13);
  DeleteFileA(path.c_str());
}

// The fields come from the first 40 bytes whatever the header's size; a
// whole header of a size the loader refuses, or one the file cannot hold,
// throws. A short 40-byte header still gives its zeros.
TEST(ReadBmpHeaderInfo, HeaderSizes) {
  const std::vector<uint8_t> v5 = bmptest::ReadWholeFile(kData + "f8rle-v5.bmp");
  BmpHeaderInfo info{};
  ReadBmpHeaderInfo((kData + "f8rle-v5.bmp").c_str(), &info);
  EXPECT_EQ(info.width, 21);
  EXPECT_EQ(info.height, 11);
  EXPECT_EQ(info.compression, 1u);
  EXPECT_EQ(info.bitCount, 8u);
  const std::string suite = std::string(SOMNEL_TESTDATA_DIR) + "/bmpsuite/";
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"OS/2 1.x", bmptest::ReadWholeFile(suite + "g/pal8os2.bmp")},
      {"OS/2 2.x", bmptest::ReadWholeFile(suite + "q/pal8os2v2.bmp")},
      {"66 bytes", bmptest::ReadWholeFile(suite + "b/badheadersize.bmp")},
      {"V5 cut in its header", std::vector<uint8_t>(v5.begin(), v5.begin() + 100)},
  };
  for (const Case& c : cases) {
    const std::string path = WriteTemp("header_size.bmp", c.bytes);
    EXPECT_THROW(ReadBmpHeaderInfo(path.c_str(), &info), std::runtime_error) << c.what;
    DeleteFileA(path.c_str());
  }
  const std::vector<uint8_t> f8 = bmptest::ReadWholeFile(kData + "f8.bmp");
  const std::string path =
      WriteTemp("header_short.bmp", std::vector<uint8_t>(f8.begin(), f8.begin() + 28));
  std::memset(&info, 0xCC, sizeof info);
  ReadBmpHeaderInfo(path.c_str(), &info);
  EXPECT_EQ(info.width, 13);
  EXPECT_EQ(info.height, 9);
  EXPECT_EQ(info.bitCount, 0u);
  DeleteFileA(path.c_str());
}

TEST(ReadBmpHeaderInfo, BadSignatureThrows) {
  const std::string path = WriteTemp("bad_signature.bmp", bmptest::ReadWholeFile(kData + "f.jpg"));
  BmpHeaderInfo info{};
  try {
    ReadBmpHeaderInfo(path.c_str(), &info);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), kBadBitmapText);
  }
  PictureInfo pic{};
  EXPECT_THROW(GetPictureInfo(0, &pic, path.c_str()), std::runtime_error);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

// Every corpus file through the two Windows readers: xdibReadFile gives
// what the memory reader gives, and cBitmap either reads the same pixels or
// throws the class library's text.
TEST(BmpCorpusOnWindows, FileReadersAgreeWithMemory) {
  const std::string suite = std::string(SOMNEL_TESTDATA_DIR) + "/bmpsuite/";
  int files = 0;
  for (const char* dir : {"g", "q", "b"}) {
    for (const std::string& name : bmptest::ListDirectory(suite + dir)) {
      const std::string path = suite + dir + "/" + name;
      SCOPED_TRACE(path);
      const std::vector<uint8_t> bytes = bmptest::ReadWholeFile(path);
      XDIB mem;
      std::memset(&mem, 0, sizeof mem);
      XDibMemorySource src(bytes.data(), bytes.size());
      const int expected = xdibReadFrom(&mem, src, true);

      xfile* file = xFileOpen(path.c_str(), GENERIC_READ, FILE_SHARE_READ);
      ASSERT_NE(file, nullptr);
      XDIB dib;
      std::memset(&dib, 0, sizeof dib);
      EXPECT_EQ(xdibReadFile(&dib, file), expected);
      xFileClose(file);
      if (expected == XERR_OK && dib.bits) {
        EXPECT_EQ(Pixels(dib), Pixels(mem));
      }
      xdibFree(&dib);

      cBitmap bmp;
      try {
        bmp.LoadFile(path.c_str(), 0);
        ASSERT_NE(bmp.m_pBits, nullptr);
        // Same reading unless the colours-important count moved the pixels.
        if (expected == XERR_OK && bmp.m_Header.biClrUsed == mem.bmiHeader.biClrUsed &&
            (bmp.m_Header.biClrUsed != 0 || bmp.m_Header.biClrImportant == 0)) {
          EXPECT_EQ(std::vector<uint8_t>(bmp.m_pBits,
                                         bmp.m_pBits + bmp.m_RowBytes * bmp.m_Header.biHeight),
                    Pixels(mem));
        }
      } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), kBadBitmapText);
        EXPECT_EQ(bmp.m_hBits, nullptr);
      }
      bmp.Free();
      xdibFree(&mem);
      ++files;
    }
  }
  EXPECT_GT(files, 60);
}

// The colour reduction asks the screen by default: a palette display answers
// its palette size, any other its NUMCOLORS (-1 on true colour, where the
// saver shows its picture unreduced).
TEST(XScreenDisplay, AnswersFromTheScreen) {
  HDC dc = GetDC(nullptr);
  ASSERT_NE(dc, nullptr);
  const bool palette = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
  const int colors = palette ? GetDeviceCaps(dc, SIZEPALETTE) : GetDeviceCaps(dc, NUMCOLORS);
  const int reserved = GetDeviceCaps(dc, NUMRESERVED);
  ReleaseDC(nullptr, dc);
  XScreenDisplay screen;
  EXPECT_EQ(screen.HasPalette(), palette);
  EXPECT_EQ(screen.NumReserved(), reserved);
  EXPECT_EQ(xdibDisplayColors(), colors);
  XCUBE cube;
  std::memset(&cube, 0, sizeof cube);
  EXPECT_EQ(xcubeCreate(&cube, 0, 0), colors >= 1 && colors <= 256 ? XERR_OK : -1);
  xcubeFree(&cube);
  if (!palette) {
    PALETTEENTRY entries[4];
    EXPECT_EQ(screen.SystemPaletteEntries(0, 4, entries), 0);
  }
  // A described display takes the screen's place while it is in use.
  XDisplayDescription described;
  described.hasPalette = true;
  described.paletteSize = 256;
  described.numReserved = 20;
  {
    XDisplayScope use(described);
    EXPECT_EQ(xdibDisplayColors(), 256);
  }
  EXPECT_EQ(xdibDisplayColors(), colors);
}

}  // namespace
