// Device-independent bitmaps: the XDIB record and the functions that read a
// BMP into it, decode run-length data, widen palette pictures and draw them.
//
// Every function takes a caller-owned record first and returns one of the
// XERR_* codes (0 is success) unless said otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "clib/WinTypes.h"

enum : int {
  XERR_OK = 0,
  XERR_READ = 4,       // a header or the colour table was short, or a read failed
  XERR_FORMAT = 10,    // not a BMP we support, or damaged run-length data
  XERR_NOMEM = 14,     // a pixel block could not be allocated
  XERR_RESOURCE = 16,  // the bitmap resource is missing or cannot be loaded
};

// colorUse values, as GDI takes them.
enum : DWORD { XDIB_RGB_COLORS = 0, XDIB_PAL_COLORS = 1 };

// Zero-filled by its owner before first use. bmiHeader and bmiColors
// together are the BITMAPINFO handed to GDI, so they must stay adjacent.
struct XDIB {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[256];  // RGB entries, or 16-bit palette indices in index mode
  RGBQUAD palette[256];    // the picture's own colours; entries past the count are 0
  uint8_t* bits;           // owned; rows bottom-up, rowBytes each
  DWORD colorUse;
  DWORD rowBytes;
};

// GDI takes &bmiHeader as a BITMAPINFO: the table must follow the header.
static_assert(offsetof(XDIB, bmiColors) == sizeof(BITMAPINFOHEADER), "XDIB layout");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(XDIB) == 40 + 1024 + 1024 + 4 + 4 + 4, "XDIB is the 32-bit record");
#endif

// A byte source for the loaders: a file, a resource or memory.
class XDibSource {
 public:
  // Reads up to count bytes. Returns the bytes read (fewer only at the end
  // of the data), or -1 when the read failed.
  virtual long Read(void* buffer, uint32_t count) = 0;
  // Bytes left from the current position, or -1 when not known.
  virtual int64_t Remaining() { return -1; }

 protected:
  ~XDibSource() = default;
};

// A source over a block of memory that it does not own.
class XDibMemorySource final : public XDibSource {
 public:
  XDibMemorySource(const void* data, size_t size)
      : m_Data(static_cast<const uint8_t*>(data)), m_Size(size) {}
  long Read(void* buffer, uint32_t count) override;
  int64_t Remaining() override { return static_cast<int64_t>(m_Size - m_Pos); }

 private:
  const uint8_t* m_Data;  // not owned
  size_t m_Size;
  size_t m_Pos = 0;
};

// A source over a stdio stream that it does not own, from its current
// position.
class XDibStdioSource final : public XDibSource {
 public:
  explicit XDibStdioSource(std::FILE* file) : m_File(file) {}
  long Read(void* buffer, uint32_t count) override;
  int64_t Remaining() override;

 private:
  std::FILE* m_File;  // not owned
};

// Row length in bytes for width and bitCount, in 16-bit arithmetic:
// 1 bit ((w + 31) & 0xFFE0) / 8, 4 bits ((w + 7) & 0xFFF8) / 2,
// 8 bits (w + 3) & 0xFFFC, otherwise (3w + 3) & 0xFFFC.
DWORD xdibRowBytes(LONG width, int bitCount);
// The header's image size when non-zero, else row bytes times height.
// Only meaningful for a header that passed xdibCheckHeader.
DWORD xdibImageSize(const BITMAPINFOHEADER* header);
// Colours used, else 2, 16 or 256 for 1, 4 or 8 bits, else 0.
DWORD xdibNumColors(const BITMAPINFOHEADER* header);
int xdibBitCount(const XDIB* dib);

// Forces the header size to 40 and tests it: 1 bit uncompressed, 4 bits
// uncompressed or RLE4, 8 bits uncompressed or RLE8, 24 bits uncompressed;
// at most 256 colours used. Also refused, because no block could safely hold
// such a picture: width or height not positive, a row longer than the 16-bit
// row arithmetic can express, a pixel block of 2 GB or more, and run-length
// data with an image size of 0. Returns XERR_OK or XERR_FORMAT.
int xdibCheckHeader(BITMAPINFOHEADER* header);

// Sizes of the information header the loaders read. Its first 40 bytes are
// always the BITMAPINFOHEADER fields; what a larger header adds (the bit
// masks of 52 and 56 bytes, the colour space of the V4 and V5 headers) only
// matters to bit-field and colour-managed pictures, which are not supported,
// so it is skipped. OS/2 headers (12 and 16 to 64 bytes) lay their fields out
// differently and are refused, as is any size no Windows version defines.
enum : DWORD {
  kInfoHeaderSize = 40,       // BITMAPINFOHEADER
  kBitMaskHeaderSize = 52,    // with red, green and blue masks (Adobe's V2)
  kAlphaMaskHeaderSize = 56,  // with an alpha mask as well (Adobe's V3)
  kOs2HeaderSize = 64,        // OS/2 2.x BITMAPINFOHEADER2: refused
  kV4HeaderSize = 108,        // BITMAPV4HEADER
  kV5HeaderSize = 124,        // BITMAPV5HEADER
};
// True for 40, 52, 56, 108 and 124.
bool xdibHeaderSizeKnown(DWORD headerSize);

// Reads one BMP from src: the 14-byte file header when withFileHeader
// (signature "BM" required), the information header (its first 40 bytes,
// then the rest of a larger one skipped), the colour table and the pixels,
// then decodes run-length data. The pixels are taken to follow the colour
// table, whatever the file header's pixel offset says. Returns XERR_OK,
// XERR_READ, XERR_FORMAT (also for a header size xdibHeaderSizeKnown refuses,
// or one that the data ends inside) or XERR_NOMEM; on failure bits is null.
// Does not release a block the record already holds.
int xdibReadFrom(XDIB* dib, XDibSource& src, bool withFileHeader);

// The loader's variations: the class library's bitmap holder counts its
// colours as colours used, else colours important, else the depth's default,
// and lets its owner stop the run-length decoder.
struct XDibReadOptions {
  bool withFileHeader = true;
  bool importantColorsCount = false;
  const volatile int* abortFlag = nullptr;
};
int xdibReadWith(XDIB* dib, XDibSource& src, const XDibReadOptions& options);

// Decodes the RLE8 (bitCount 8) or RLE4 (bitCount 4) stream in[0..inSize)
// into out, rowBytes * height bytes, bottom row first. Bytes the stream
// skips stay as they are. abortFlag, when given, is tested before each step
// (a set flag fails the decoding). Returns XERR_OK, or XERR_FORMAT when the
// stream ends without its end-of-bitmap mark, a run reads past the input or
// writes past the output.
int xdibDecodeRLE(const uint8_t* in, size_t inSize, uint8_t* out, DWORD rowBytes, DWORD height,
                  int bitCount, const volatile int* abortFlag);

// Replaces the encoded block of a record holding RLE8/RLE4 data (inSize
// bytes) by its decoded form and sets compression and image size to 0.
// On failure the record keeps its encoded block. XERR_OK, XERR_FORMAT or
// XERR_NOMEM.
int xdibDecodeRecord(XDIB* dib, size_t inSize, const volatile int* abortFlag = nullptr);

// Releases bits and sets it to null. Safe on an empty record.
void xdibFree(XDIB* dib);
// Widens a 1-, 4- or 8-bit picture to 24 bits through palette. XERR_OK,
// XERR_NOMEM, or XERR_FORMAT (other bit counts, or a row too long for the
// 16-bit row arithmetic at 24 bits); the record is unchanged on failure.
int xdibTo24Bit(XDIB* dib);
// For pictures of at most 8 bits: index mode with the identity mapping.
void xdibUsePaletteIndices(XDIB* dib);

#ifdef _WIN32
struct xfile;
// Reads a BMP from an open file at its current position. The caller closes
// the file. XERR_OK, XERR_READ, XERR_FORMAT or XERR_NOMEM.
int xdibReadFile(XDIB* dib, xfile* file);
// Reads a bitmap resource (RT_BITMAP) of module. XERR_OK, XERR_RESOURCE,
// XERR_READ, XERR_FORMAT or XERR_NOMEM.
int xdibLoadResource(XDIB* dib, HINSTANCE module, const char* name);
// One StretchDIBits of the whole picture at x, y. memoryDc is not used.
// Returns the scan-line count GDI reports.
int xdibDraw(XDIB* dib, HDC dc, int x, int y, HDC memoryDc, DWORD rop);
#endif
