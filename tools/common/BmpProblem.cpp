#include "tools/common/BmpProblem.h"

#include <cstring>

#include "xlib/mm/xdib.h"

namespace {

constexpr size_t kFileHeaderSize = 14;

uint32_t Word32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

std::string CutShort(size_t size) {
  return "the BMP is cut short, its headers end after " + std::to_string(size) + " bytes";
}

BITMAPINFOHEADER InfoHeader(const uint8_t* bytes) {
  BITMAPINFOHEADER h;
  std::memcpy(&h, bytes + kFileHeaderSize, sizeof h);
  return h;
}

std::string DepthProblem(const BITMAPINFOHEADER& h) {
  switch (h.biCompression) {
    case BI_RGB:
    case BI_RLE8:
    case BI_RLE4:
      break;
    case 3:
      return "its pixels are stored as bit fields (compression 3), which the saver cannot read; "
             "save it with 8 or 24 bits a pixel, without bit fields";
    case 4:
    case 5:
      return std::string("it holds a ") + (h.biCompression == 4 ? "JPEG" : "PNG") +
             " inside a BMP (compression " + std::to_string(h.biCompression) +
             "), which the saver cannot read";
    default:
      return "it is compressed in a way that is not supported (compression " +
             std::to_string(h.biCompression) + "; uncompressed, RLE8 and RLE4 are)";
  }
  const int bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
    return "it has " + std::to_string(bits) +
           " bits a pixel, and the saver reads BMPs of 1, 4, 8 or 24 bits a pixel";
  if ((h.biCompression == BI_RLE8 && bits != 8) || (h.biCompression == BI_RLE4 && bits != 4))
    return "its compression (" + std::string(h.biCompression == BI_RLE8 ? "RLE8" : "RLE4") +
           ") does not fit its " + std::to_string(bits) + " bits a pixel";
  if (h.biHeight < 0)
    return "its rows are stored top row first (a negative height), which the saver cannot read";
  if (h.biClrUsed > 256)
    return "its colour table claims " + std::to_string(h.biClrUsed) +
           " colours, more than the 256 a BMP can have";
  return "";
}

// Bytes the pixels take, as the reader takes them: every row of an
// uncompressed picture, the image-size field of run-length data.
uint64_t PixelBytes(const BITMAPINFOHEADER& h) {
  if (h.biCompression != BI_RGB) return h.biSizeImage;
  return static_cast<uint64_t>(xdibRowBytes(h.biWidth, h.biBitCount)) *
         static_cast<uint32_t>(h.biHeight);
}

std::string Pixels(const BITMAPINFOHEADER& h) {
  return std::to_string(h.biWidth) + " x " + std::to_string(h.biHeight) + " pixels";
}

}  // namespace

std::string BmpPixelPlaceProblem(const uint8_t* bytes, size_t size, bool importantColorsCount) {
  const BITMAPINFOHEADER h = InfoHeader(bytes);
  // The table as the reader counts it.
  uint32_t tableEntries = xdibNumColors(&h);
  if (importantColorsCount && h.biClrUsed == 0 && h.biClrImportant != 0)
    tableEntries = h.biClrImportant;
  const uint64_t start = kFileHeaderSize + Word32(bytes + kFileHeaderSize) + 4ull * tableEntries;
  const uint64_t need = PixelBytes(h);
  const uint64_t held = size > start ? size - start : 0;
  if (held < need)
    return "the BMP is cut short: its " + Pixels(h) + " take " + std::to_string(need) +
           " bytes after the colour table, and the file holds " + std::to_string(held);
  const uint32_t offset = Word32(bytes + 10);
  if (offset >= size)
    return "the BMP is damaged: its file header puts the pixels at byte " + std::to_string(offset) +
           ", past the file's end (" + std::to_string(size) + " bytes)";
  return "";
}

std::string BmpHeaderProblem(const uint8_t* bytes, size_t size) {
  if (size < kFileHeaderSize + 4) return CutShort(size);
  const uint32_t headerSize = Word32(bytes + kFileHeaderSize);
  if (headerSize == 12)
    return "it has an OS/2 1.x header (12 bytes), which the saver cannot read; save it as a "
           "Windows BMP";
  if (headerSize >= 16 && headerSize <= kOs2HeaderSize && !xdibHeaderSizeKnown(headerSize))
    return "it has an OS/2 2.x header (" + std::to_string(headerSize) +
           " bytes), which the saver cannot read; save it as a Windows BMP";
  if (headerSize < kInfoHeaderSize)
    return "its information header says it is " + std::to_string(headerSize) +
           " bytes long, shorter than the 40 bytes every Windows BMP header has";
  if (!xdibHeaderSizeKnown(headerSize))
    return "its information header is " + std::to_string(headerSize) +
           " bytes long, a size no Windows version defines (40, 52, 56, 108 and 124 are)";
  if (size < kFileHeaderSize + headerSize) return CutShort(size);
  return "";
}

std::string BmpReadProblem(const uint8_t* bytes, size_t size, bool importantColorsCount) {
  const BITMAPINFOHEADER h = InfoHeader(bytes);
  const std::string depth = DepthProblem(h);
  if (!depth.empty()) return depth;
  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  XDibMemorySource source(bytes, size);
  XDibReadOptions options;
  options.importantColorsCount = importantColorsCount;
  const int result = xdibReadWith(&dib, source, options);
  xdibFree(&dib);
  switch (result) {
    case XERR_OK:
      break;
    case XERR_READ:
      return "the BMP is cut short, it ends before its colour table or pixels do";
    case XERR_NOMEM:
      return "there is not enough memory for its pixels";
    default: {
      // Uncompressed rows the whole file could not hold are refused by the
      // reader as a damaged header; saying how short it is helps more.
      BITMAPINFOHEADER checked = h;
      const bool sound = xdibCheckHeader(&checked) == XERR_OK;
      const std::string place = sound && h.biCompression == BI_RGB
                                    ? BmpPixelPlaceProblem(bytes, size, importantColorsCount)
                                    : "";
      if (!place.empty()) return place;
      return "the BMP is damaged: its header (" + Pixels(h) +
             ") or its run-length data cannot be right";
    }
  }
  return BmpPixelPlaceProblem(bytes, size, importantColorsCount);
}
