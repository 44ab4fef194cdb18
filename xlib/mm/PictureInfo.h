// What kind of picture a file holds and what its headers say, without
// reading any pixels.
#pragma once

#include <cstdint>

enum PictureKind : uint8_t {
  kPictureUnknown = 0,
  kPictureBmp = 1,
  kPictureJpeg = 2,
};

// Results of ReadJpegHeaderInfo; the second is also the class-library code
// whose text a bad BMP reports.
enum : int {
  kPictureOk = 0,
  kPictureErrorOpen = 0x08000002,
  kPictureErrorFormat = 0x0800000A,
};

struct BmpHeaderInfo {
  int32_t width;
  int32_t height;
  uint32_t compression;
  uint32_t bitCount;
};

struct JpegHeaderInfo {
  uint32_t width;
  uint32_t height;
  int32_t components;
  int32_t colorSpace;  // as libjpeg reports it, 0 to 5
  char colorSpaceName[64];
  int32_t precision;
  int32_t progressive;
  int32_t arithmetic;
};

struct PictureInfo {
  uint8_t kind;  // PictureKind
  uint32_t fileSize;
  uint64_t created;  // file time of creation
  uint32_t colorCount;
  union {
    BmpHeaderInfo bmp;
    JpegHeaderInfo jpeg;
  } header;
};

// The kind from the text after the last dot of path (".jpg", ".jpeg",
// ".bmp", any letter case); kPictureUnknown without a dot.
PictureKind GetPictureKind(const char* path);

// 1 shifted left by bits, the shift taken modulo 32.
uint32_t PictureColorCount(uint32_t bits);

// The name libjpeg's colour space number stands for ("Unknown" for numbers
// outside 0 to 5).
const char* JpegColorSpaceName(int colorSpace);

// Fills info from the 14-byte file header and the 40-byte info header in
// bytes. False (info untouched) when the signature is not "BM".
bool ParseBmpHeaderInfo(const uint8_t (&bytes)[54], BmpHeaderInfo* info);

// True when the BMP information header's size is one the loader reads
// (xdibHeaderSizeKnown) and a file of fileSize bytes holds the 14-byte file
// header and all of that header.
bool BmpHeaderSizeFits(uint32_t headerSize, uint64_t fileSize);

// Reads the frame header of the JPEG starting offset bytes into path
// through libjpeg; no scan data is decoded and the library never prints or
// ends the process. Returns kPictureOk, kPictureErrorOpen, or
// kPictureErrorFormat when libjpeg rejects the header (info is then left as
// it was before the failing step).
int ReadJpegHeaderInfo(const char* path, long offset, JpegHeaderInfo* info);

#ifdef _WIN32
// Opens path with a cFile and copies width, height, compression and bit
// count from its headers (the first 40 bytes of the information header,
// whatever its size). Throws std::runtime_error with the class library's
// text for kPictureErrorFormat when the file cannot be opened, its
// signature is not "BM", or a whole information header has a size the
// loader refuses or one the file cannot hold (BmpHeaderSizeFits).
void ReadBmpHeaderInfo(const char* path, BmpHeaderInfo* info);

// Zeroes info, finds path (files only: the entry filter of xDirFindFirst
// with mask 0x8A5), records its size and creation time, its kind (from the
// name unless kind is non-zero) and its headers. 1 when found, else 0 with
// kind 0. A BMP with a bad signature throws as ReadBmpHeaderInfo does.
int GetPictureInfo(int kind, PictureInfo* info, const char* path);
#endif
