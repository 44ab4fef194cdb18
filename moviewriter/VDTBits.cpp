#include "moviewriter/VDTBits.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "clib/Assert.h"

VDTDefineBitsJPEG2::VDTDefineBitsJPEG2(const U8* data_, U32 size_)
    : characterId(NextCharacterId()), size(size_), data(data_) {}

void VDTDefineBitsJPEG2::WriteTo(VKMVStream& s) {
  static const U8 kEnd = 0xD9;
  VKMVStream body;
  body.WriteWord(characterId);
  body.WriteByte(0xFF);
  body.WriteByte(kEnd);
  body.WriteByte(0xFF);
  body.WriteByte(0xD8);
  body.AddLargeData(data, size);
  body.WriteByte(0xFF);
  body.WriteByte(kEnd);
  if (uint64_t(size) + 8 > 0xFFFFFFFFull) body.SetError("JPEG data too large");
  s.AppendTag(21, size + 8, &body);
}

VDTDefineBitsLosslessBase::VDTDefineBitsLosslessBase(U8 format_, U32 width_, U32 height_,
                                                     U32 colorTableSize_, const U8* colorTable,
                                                     const U8* pixels, bool hasAlpha_)
    : characterId(NextCharacterId()),
      format(format_),
      width(width_),
      height(height_),
      colorTableSize(colorTableSize_),
      hasAlpha(hasAlpha_ ? 1 : 0),
      uncompressedSize(0),
      compressedSize(0),
      compressedData(nullptr),
      failure(nullptr) {
  if (format > 5) {
    failure = "bitmap format not supported";
    return;
  }
  const uint64_t tableBytes = uint64_t(hasAlpha ? 4 : 3) * colorTableSize;
  // Each row padded to a multiple of 32 bits, as the reader expects.
  const uint64_t rowBits = (uint64_t(width) << format);
  const uint64_t rowBytes = (rowBits + 31) / 32 * 4;
  const uint64_t pixelBytes = rowBytes * height;
  const uint64_t n = tableBytes + pixelBytes;
  // zlib's lengths are 32-bit on Windows; keep well inside them.
  if (n > 0x7FFFFFFFull) {
    failure = "bitmap too large";
    return;
  }
  ASSERT(tableBytes == 0 || colorTable != nullptr);
  ASSERT(pixelBytes == 0 || pixels != nullptr);
  uncompressedSize = static_cast<U32>(n);

  // Room for the worst case: the historical n + n/100 + 12, or zlib's own
  // bound where that is larger (tiny inputs).
  uLong capacity = static_cast<uLong>(n + n / 100 + 12);
  capacity = std::max(capacity, compressBound(static_cast<uLong>(n)));
  compressedData = new U8[capacity];
  // Table and pixels go to the compressor as two pieces of one stream: the
  // same bytes compress2 makes of them joined, without a joined copy (a
  // fresh block of the picture's size costs more than the copy itself).
  z_stream z;
  std::memset(&z, 0, sizeof z);
  int rc = deflateInit(&z, 9);
  if (rc == Z_OK) {
    z.next_out = compressedData;
    z.avail_out = static_cast<uInt>(capacity);
    z.next_in = const_cast<U8*>(colorTable);
    z.avail_in = static_cast<uInt>(tableBytes);
    if (tableBytes) rc = deflate(&z, Z_NO_FLUSH);
    if (rc == Z_OK) {
      z.next_in = const_cast<U8*>(pixels);
      z.avail_in = static_cast<uInt>(pixelBytes);
      rc = deflate(&z, Z_FINISH) == Z_STREAM_END ? Z_OK : Z_BUF_ERROR;
    }
    const uLong outLen = z.total_out;
    deflateEnd(&z);
    if (rc == Z_OK) compressedSize = static_cast<U32>(outLen);
  }
  if (rc != Z_OK) {
    delete[] compressedData;
    compressedData = nullptr;
    failure = "bitmap compression failed";
  }
}

VDTDefineBitsLosslessBase::~VDTDefineBitsLosslessBase() {
  delete[] compressedData;
}

void VDTDefineBitsLosslessBase::WriteTo(VKMVStream& s) {
  VKMVStream body;
  body.WriteWord(characterId);
  body.WriteByte(format);
  body.WriteU16(width, "bitmap width");
  body.WriteU16(height, "bitmap height");
  if (format <= 3) body.WriteUBits(colorTableSize - 1, 8, "colour table size - 1");
  if (compressedData) {
    body.AddLargeData(compressedData, compressedSize);
  } else {
    body.SetError(failure);
  }
  s.AppendTag(hasAlpha ? 36 : 20, body.TotalSize(), &body);
}
