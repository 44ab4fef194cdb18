// Reading BMP data into an XDIB, widening and palette-index mode. No
// operating-system calls: the Windows edge (files, resources, drawing) is in
// xdib_win.cpp and hands its bytes over through an XDibSource.
#include "xlib/mm/xdib.h"

#include <cstdlib>
#include <cstring>

#include "clib/Assert.h"

namespace {

// Largest pixel block we agree to hold. Keeps every size below in 32 bits
// on both targets and far above any picture the saver shows.
constexpr uint64_t kMaxBlockBytes = 0x7FFFFFFF;
// Helping in which run-length data is read and decoded. Holds any single
// step (at most 258 bytes), so every refill lets the decoder move on.
constexpr size_t kRleChunk = size_t(1) << 16;
// Largest single read handed to a source (its result is a long).
constexpr uint32_t kMaxReadBytes = uint32_t(1) << 30;

// Row length in bytes computed without truncation.
uint64_t FullRowBytes(uint64_t width, int bitCount) {
  switch (bitCount) {
    case 1:
      return (width + 31) / 32 * 4;
    case 4:
      return (width + 7) / 8 * 4;
    case 8:
      return (width + 3) / 4 * 4;
    default:
      return (3 * width + 3) / 4 * 4;
  }
}

bool ValidPair(int bitCount, DWORD compression) {
  switch (bitCount) {
    case 1:
    case 24:
      return compression == BI_RGB;
    case 4:
      return compression == BI_RGB || compression == BI_RLE4;
    case 8:
      return compression == BI_RGB || compression == BI_RLE8;
    default:
      return false;
  }
}

// Reads count bytes in steps a source can report; -1 on a failed read.
long ReadSome(XDibSource& src, void* buffer, size_t count) {
  uint8_t* p = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    const size_t want = count - done < kMaxReadBytes ? count - done : kMaxReadBytes;
    const long n = src.Read(p + done, static_cast<uint32_t>(want));
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<long>(done);
}

// Where the run-length decoder has got to, so that it can take its input in
// helpings: offset of the current row in the output, and the pixel position
// in that row. Both only grow, and every write is checked against the
// output's size first.
struct RleCursor {
  uint64_t row = 0;
  uint64_t x = 0;
};

constexpr int kRleEnd = -1;   // the end-of-bitmap mark was decoded
constexpr int kRleMore = -2;  // the next step is not whole in this helping

// Decodes the steps of in[0..inSize) from the cursor on. With last false
// more input follows: a step cut at the end of the helping is left for the
// next one (*used tells where it starts) instead of being damage.
int DecodeSteps(const uint8_t* in, size_t inSize, bool last, size_t* used, RleCursor& at,
                uint8_t* out, DWORD rowBytes, uint64_t outSize, int bitCount,
                const volatile int* abortFlag) {
  size_t pos = 0;
  for (;;) {
    const size_t step = pos;
    // A cut step: more to come, or the stream ended without its mark.
    auto cut = [&] {
      *used = step;
      return last ? XERR_FORMAT : kRleMore;
    };
    if (abortFlag && *abortFlag) return XERR_FORMAT;
    if (inSize - pos < 2) return cut();
    const unsigned count = in[pos];
    const unsigned value = in[pos + 1];
    if (count > 0) {
      pos += 2;
      if (bitCount == 8) {
        const uint64_t to = at.row + at.x;
        if (to > outSize || count > outSize - to) return XERR_FORMAT;
        std::memset(out + to, static_cast<int>(value), count);
      } else {
        if (at.row + (at.x + count - 1) / 2 >= outSize) return XERR_FORMAT;
        const unsigned nibbles[2] = {value >> 4, value & 0x0F};
        for (unsigned i = 0; i < count; ++i) {
          const uint64_t px = at.x + i;
          uint8_t* b = out + at.row + px / 2;
          if (px & 1)
            *b = static_cast<uint8_t>((*b & 0xF0) | nibbles[i & 1]);
          else
            *b = static_cast<uint8_t>(nibbles[i & 1] << 4);
        }
      }
      at.x += count;
    } else if (value == 0) {  // end of line
      pos += 2;
      at.row += rowBytes;
      at.x = 0;
    } else if (value == 1) {  // end of bitmap
      *used = pos + 2;
      return kRleEnd;
    } else if (value == 2) {  // delta
      if (inSize - pos < 4) return cut();
      at.x += in[pos + 2];
      at.row += static_cast<uint64_t>(in[pos + 3]) * rowBytes;
      pos += 4;
    } else {
      // Absolute run, padded to 16 bits. Only the last helping may lack the
      // padding byte.
      const size_t bytes = bitCount == 8 ? value : (value + 1) / 2;
      const size_t need = 2 + bytes + (last ? 0 : (bytes & 1));
      if (inSize - pos < need) return cut();
      const uint8_t* src = in + pos + 2;
      if (bitCount == 8) {
        const uint64_t to = at.row + at.x;
        if (to > outSize || value > outSize - to) return XERR_FORMAT;
        std::memcpy(out + to, src, value);
      } else {
        if (at.row + (at.x + value - 1) / 2 >= outSize) return XERR_FORMAT;
        for (unsigned i = 0; i < value; ++i) {
          const unsigned nibble = (i & 1) ? (src[i / 2] & 0x0F) : (src[i / 2] >> 4);
          const uint64_t px = at.x + i;
          uint8_t* b = out + at.row + px / 2;
          if (px & 1)
            *b = static_cast<uint8_t>((*b & 0xF0) | nibble);
          else
            *b = static_cast<uint8_t>(nibble << 4);
        }
      }
      at.x += value;
      pos += 2 + bytes + (bytes & 1);
      if (pos > inSize) pos = inSize;
    }
  }
}

// Reads the run-length data (at most claim bytes, as far as the source has
// them) in fixed helpings and decodes it into a new block. The source is
// read to the claim or its end whatever the data holds, so a failed read is
// reported as such, as when the data was read whole before decoding.
int ReadRle(XDIB* dib, XDibSource& src, uint32_t claim, const volatile int* abortFlag) {
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  const size_t outSize = static_cast<size_t>(dib->rowBytes) * static_cast<DWORD>(h.biHeight);
  // Data shorter than a helping is read whole into a block of its own size.
  const size_t chunkSize = claim < kRleChunk ? claim : kRleChunk;
  uint8_t* chunk = static_cast<uint8_t*>(std::malloc(chunkSize ? chunkSize : 1));
  if (!chunk) return XERR_NOMEM;
  // Pixels the stream skips are cleared to index 0.
  uint8_t* out = static_cast<uint8_t*>(std::calloc(outSize ? outSize : 1, 1));
  int result = out ? kRleMore : XERR_NOMEM;
  RleCursor at;
  size_t have = 0;
  uint64_t left = claim;
  bool ended = false;
  for (;;) {
    while (!ended && have < chunkSize && left > 0) {
      const size_t want = chunkSize - have < left ? chunkSize - have : static_cast<size_t>(left);
      const long r = src.Read(chunk + have, static_cast<uint32_t>(want));
      if (r < 0) {
        std::free(chunk);
        std::free(out);
        return XERR_READ;
      }
      if (r == 0) ended = true;
      have += static_cast<size_t>(r);
      left -= static_cast<uint64_t>(r);
    }
    const bool last = ended || left == 0;
    if (result == kRleMore) {
      size_t used = 0;
      result = DecodeSteps(chunk, have, last, &used, at, out, dib->rowBytes, outSize, h.biBitCount,
                           abortFlag);
      if (result == kRleMore) {
        std::memmove(chunk, chunk + used, have - used);
        have -= used;
        continue;
      }
    }
    // Decoded or failed: the rest is read only to find a failing read.
    have = 0;
    if (last) break;
  }
  std::free(chunk);
  if (result != kRleEnd) {
    std::free(out);
    return result == XERR_NOMEM ? XERR_NOMEM : XERR_FORMAT;
  }
  dib->bits = out;
  dib->bmiHeader.biCompression = BI_RGB;
  dib->bmiHeader.biSizeImage = 0;
  return XERR_OK;
}

}  // namespace

long XDibMemorySource::Read(void* buffer, uint32_t count) {
  size_t n = m_Size - m_Pos;
  if (count < n) n = count;
  if (n > kMaxReadBytes) n = kMaxReadBytes;
  if (n) std::memcpy(buffer, m_Data + m_Pos, n);
  m_Pos += n;
  return static_cast<long>(n);
}

long XDibStdioSource::Read(void* buffer, uint32_t count) {
  if (count > kMaxReadBytes) count = kMaxReadBytes;
  const size_t n = std::fread(buffer, 1, count, m_File);
  if (n < count && std::ferror(m_File)) return -1;
  return static_cast<long>(n);
}

int64_t XDibStdioSource::Remaining() {
  const long pos = std::ftell(m_File);
  if (pos < 0 || std::fseek(m_File, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(m_File);
  if (std::fseek(m_File, pos, SEEK_SET) != 0 || end < 0) return -1;
  return end > pos ? end - pos : 0;
}

DWORD xdibRowBytes(LONG width, int bitCount) {
  // The records' row arithmetic is 16-bit; xdibCheckHeader refuses the
  // widths where it would wrap.
  const uint16_t w = static_cast<uint16_t>(width);
  uint16_t row;
  switch (bitCount) {
    case 1:
      row = static_cast<uint16_t>(static_cast<uint16_t>(w + 31) & 0xFFE0) / 8;
      break;
    case 4:
      row = static_cast<uint16_t>(static_cast<uint16_t>(w + 7) & 0xFFF8) / 2;
      break;
    case 8:
      row = static_cast<uint16_t>(w + 3) & 0xFFFC;
      break;
    default:
      row = static_cast<uint16_t>(3 * w + 3) & 0xFFFC;
      break;
  }
  return row;
}

DWORD xdibImageSize(const BITMAPINFOHEADER* header) {
  ASSERT(header != nullptr);
  if (header->biSizeImage) return header->biSizeImage;
  return xdibRowBytes(header->biWidth, header->biBitCount) * static_cast<DWORD>(header->biHeight);
}

DWORD xdibNumColors(const BITMAPINFOHEADER* header) {
  ASSERT(header != nullptr);
  if (header->biClrUsed) return header->biClrUsed;
  switch (header->biBitCount) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

int xdibBitCount(const XDIB* dib) {
  ASSERT(dib != nullptr);
  return dib->bmiHeader.biBitCount;
}

int xdibCheckHeader(BITMAPINFOHEADER* header) {
  ASSERT(header != nullptr);
  header->biSize = sizeof(BITMAPINFOHEADER);
  const int bitCount = header->biBitCount;
  if (!ValidPair(bitCount, header->biCompression)) return XERR_FORMAT;
  if (header->biClrUsed > 256) return XERR_FORMAT;
  // Bottom-up rows only; a width or height below 1 has no pixels to hold.
  if (header->biWidth <= 0 || header->biHeight <= 0) return XERR_FORMAT;
  const uint64_t fullRow = FullRowBytes(static_cast<uint64_t>(header->biWidth), bitCount);
  if (fullRow > 65532 || fullRow != xdibRowBytes(header->biWidth, bitCount)) return XERR_FORMAT;
  if (fullRow * static_cast<uint64_t>(header->biHeight) > kMaxBlockBytes) return XERR_FORMAT;
  // The decoder's input is exactly the image-size field.
  if (header->biCompression != BI_RGB && header->biSizeImage == 0) return XERR_FORMAT;
  return XERR_OK;
}

int xdibDecodeRLE(const uint8_t* in, size_t inSize, uint8_t* out, DWORD rowBytes, DWORD height,
                  int bitCount, const volatile int* abortFlag) {
  ASSERT(bitCount == 8 || bitCount == 4);
  const uint64_t outSize = static_cast<uint64_t>(rowBytes) * height;
  RleCursor at;
  size_t used = 0;
  const int rc =
      DecodeSteps(in, inSize, true, &used, at, out, rowBytes, outSize, bitCount, abortFlag);
  return rc == kRleEnd ? XERR_OK : rc;
}

int xdibDecodeRecord(XDIB* dib, size_t inSize, const volatile int* abortFlag) {
  ASSERT(dib != nullptr && dib->bits != nullptr);
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  const int bitCount = h.biBitCount;
  if (!((bitCount == 8 && h.biCompression == BI_RLE8) ||
        (bitCount == 4 && h.biCompression == BI_RLE4)))
    return XERR_FORMAT;
  const size_t outSize = static_cast<size_t>(dib->rowBytes) * static_cast<DWORD>(h.biHeight);
  // Pixels the stream skips are cleared to index 0.
  uint8_t* out = static_cast<uint8_t*>(std::calloc(outSize ? outSize : 1, 1));
  if (!out) return XERR_NOMEM;
  const int rc = xdibDecodeRLE(dib->bits, inSize, out, dib->rowBytes,
                               static_cast<DWORD>(h.biHeight), bitCount, abortFlag);
  if (rc != XERR_OK) {
    std::free(out);
    return rc;
  }
  std::free(dib->bits);
  dib->bits = out;
  dib->bmiHeader.biCompression = BI_RGB;
  dib->bmiHeader.biSizeImage = 0;
  return XERR_OK;
}

bool xdibHeaderSizeKnown(DWORD headerSize) {
  switch (headerSize) {
    case kInfoHeaderSize:
    case kBitMaskHeaderSize:
    case kAlphaMaskHeaderSize:
    case kV4HeaderSize:
    case kV5HeaderSize:
      return true;
    default:
      return false;
  }
}

// Skips what a larger information header holds past its first 40 bytes
// (masks, colour space, profile place): the colour table follows it. A file
// that ends inside its own header is damaged, not short.
static int SkipHeaderRest(XDibSource& src, DWORD headerSize) {
  uint8_t rest[kV5HeaderSize - sizeof(BITMAPINFOHEADER)];
  const size_t count = headerSize - sizeof(BITMAPINFOHEADER);
  ASSERT(count <= sizeof rest);
  if (count == 0) return XERR_OK;
  return ReadSome(src, rest, count) == static_cast<long>(count) ? XERR_OK : XERR_FORMAT;
}

int xdibReadFrom(XDIB* dib, XDibSource& src, bool withFileHeader) {
  XDibReadOptions options;
  options.withFileHeader = withFileHeader;
  return xdibReadWith(dib, src, options);
}

// Most rows a run-length stream of inSize bytes can reach: a step of four
// bytes moves at most 255 rows up (delta) and 255 pixels on, and a row is at
// least 4 bytes, so 255 + 64 rows. A picture with more rows cannot come from
// that data, however it ends.
static uint64_t RleReachableRows(uint64_t inSize) {
  return 1 + (inSize / 4 + 1) * (255 + 64);
}

int xdibReadWith(XDIB* dib, XDibSource& src, const XDibReadOptions& options) {
  ASSERT(dib != nullptr);
  dib->bits = nullptr;
  // What the picture's file holds from here, when the source knows: sizes it
  // cannot hold are refused before a block is allocated for them.
  const int64_t available = src.Remaining();
  if (options.withFileHeader) {
    uint8_t fileHeader[14];
    if (ReadSome(src, fileHeader, sizeof fileHeader) != static_cast<long>(sizeof fileHeader))
      return XERR_READ;
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return XERR_FORMAT;
  }
  if (ReadSome(src, &dib->bmiHeader, sizeof dib->bmiHeader) !=
      static_cast<long>(sizeof dib->bmiHeader))
    return XERR_READ;
  if (!xdibHeaderSizeKnown(dib->bmiHeader.biSize)) return XERR_FORMAT;
  if (SkipHeaderRest(src, dib->bmiHeader.biSize) != XERR_OK) return XERR_FORMAT;
  dib->colorUse = XDIB_RGB_COLORS;
  if (xdibCheckHeader(&dib->bmiHeader) != XERR_OK) return XERR_FORMAT;

  // Entries past the file's count stay 0, so any 8-bit index finds a colour.
  DWORD colors = xdibNumColors(&dib->bmiHeader);
  if (options.importantColorsCount && dib->bmiHeader.biClrUsed == 0 &&
      dib->bmiHeader.biClrImportant != 0)
    colors = dib->bmiHeader.biClrImportant;
  // The table holds 256 entries, whatever a header claims.
  if (colors > 256) return XERR_FORMAT;
  std::memset(dib->palette, 0, sizeof dib->palette);
  if (colors) {
    const long want = static_cast<long>(colors * sizeof(RGBQUAD));
    if (ReadSome(src, dib->palette, static_cast<size_t>(want)) != want) return XERR_READ;
  }
  std::memcpy(dib->bmiColors, dib->palette, sizeof dib->palette);

  const BITMAPINFOHEADER& h = dib->bmiHeader;
  dib->rowBytes = xdibRowBytes(h.biWidth, h.biBitCount);
  const size_t blockSize = static_cast<size_t>(dib->rowBytes) * static_cast<DWORD>(h.biHeight);

  if (h.biCompression == BI_RGB) {
    // The block always holds every row, whatever the image-size field says;
    // bytes a short file does not supply stay 0. A block larger than the
    // whole picture file, though, is a damaged header, not a short file.
    if (available >= 0 && blockSize > static_cast<uint64_t>(available)) return XERR_FORMAT;
    uint8_t* block = static_cast<uint8_t*>(std::calloc(blockSize, 1));
    if (!block) return XERR_NOMEM;
    size_t want = h.biSizeImage ? h.biSizeImage : blockSize;
    if (want > blockSize) want = blockSize;
    if (ReadSome(src, block, want) < 0) {
      std::free(block);
      return XERR_READ;
    }
    dib->bits = block;
    return XERR_OK;
  }

  const int64_t data = src.Remaining();
  uint64_t input = h.biSizeImage;
  if (data >= 0 && static_cast<uint64_t>(data) < input) input = static_cast<uint64_t>(data);
  if (static_cast<DWORD>(h.biHeight) > RleReachableRows(input)) return XERR_FORMAT;
  return ReadRle(dib, src, h.biSizeImage, options.abortFlag);
}

void xdibFree(XDIB* dib) {
  ASSERT(dib != nullptr);
  std::free(dib->bits);
  dib->bits = nullptr;
}

int xdibTo24Bit(XDIB* dib) {
  ASSERT(dib != nullptr && dib->bits != nullptr);
  const BITMAPINFOHEADER& h = dib->bmiHeader;
  const int bitCount = h.biBitCount;
  if (bitCount == 24) return XERR_OK;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8) return XERR_FORMAT;
  if (h.biWidth <= 0 || h.biHeight <= 0) return XERR_FORMAT;
  const uint64_t width = static_cast<uint64_t>(h.biWidth);
  const uint64_t height = static_cast<uint64_t>(h.biHeight);
  // A wide 1-bit picture can have rows the 16-bit arithmetic cannot express
  // at 24 bits; refuse rather than allocate a block shorter than its rows.
  const uint64_t newRow = FullRowBytes(width, 24);
  if (newRow > 65532 || newRow != xdibRowBytes(h.biWidth, 24)) return XERR_FORMAT;
  if (newRow * height > kMaxBlockBytes) return XERR_FORMAT;
  if (dib->rowBytes < FullRowBytes(width, bitCount)) return XERR_FORMAT;

  uint8_t* out = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(newRow * height)));
  if (!out) return XERR_NOMEM;
  uint8_t lut[256][3];
  for (int i = 0; i < 256; ++i) {
    lut[i][0] = dib->palette[i].rgbBlue;
    lut[i][1] = dib->palette[i].rgbGreen;
    lut[i][2] = dib->palette[i].rgbRed;
  }
  const size_t w = static_cast<size_t>(width);
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* s = dib->bits + y * dib->rowBytes;
    uint8_t* d = out + y * newRow;
    for (size_t x = 0; x < w; ++x) {
      unsigned index;
      if (bitCount == 8)
        index = s[x];
      else if (bitCount == 4)
        index = (x & 1) ? (s[x / 2] & 0x0F) : (s[x / 2] >> 4);
      else
        index = (s[x / 8] >> (7 - (x & 7))) & 1;
      std::memcpy(d + 3 * x, lut[index], 3);
    }
    std::memset(d + 3 * w, 0, static_cast<size_t>(newRow) - 3 * w);
  }
  std::free(dib->bits);
  dib->bits = out;
  dib->rowBytes = static_cast<DWORD>(newRow);
  dib->bmiHeader.biBitCount = 24;
  dib->bmiHeader.biSizeImage = 0;
  dib->bmiHeader.biClrUsed = 0;
  dib->bmiHeader.biClrImportant = 0;
  return XERR_OK;
}

void xdibUsePaletteIndices(XDIB* dib) {
  ASSERT(dib != nullptr);
  if (dib->bmiHeader.biBitCount > 8) return;
  dib->colorUse = XDIB_PAL_COLORS;
  DWORD n = xdibNumColors(&dib->bmiHeader);
  if (n > 256) n = 256;
  uint8_t* slots = reinterpret_cast<uint8_t*>(dib->bmiColors);
  for (DWORD i = 0; i < n; ++i) {
    const uint16_t index = static_cast<uint16_t>(i);
    std::memcpy(slots + 2 * i, &index, sizeof index);
  }
}
