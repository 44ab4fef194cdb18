// Bitmap definitions: a JPEG stream (code 21) and zlib-compressed pixels with
// a colour table (code 20, or 36 when the table carries alpha).
#pragma once

#include "moviewriter/VObj.h"

class VDTDefineBitsJPEG2 : public VDT {
 public:
  // data is not owned and must stay valid until the movie has been written.
  VDTDefineBitsJPEG2(const U8* data, U32 size);
  U16 CharacterId() override { return characterId; }
  // Body: id, FF D9 FF D8, the data (referenced), FF D9.
  void WriteTo(VKMVStream& s) override;

 private:
  U16 characterId;
  U32 size;
  const U8* data;  // not owned
};

class VDTDefineBitsLosslessBase : public VDT {
 public:
  // Reads the colour table (3 bytes an entry, 4 with alpha) and the pixels
  // (top row first, rows padded to 4 bytes) and compresses them at once; the
  // caller may free both afterwards. Width and height are taken wide so that
  // a size that does not fit 16 bits is reported when written instead of
  // being cut; a failed compression (or a size too large to compress) is
  // reported then too (VKMVStream::Failed), never written as a tag.
  VDTDefineBitsLosslessBase(U8 format, U32 width, U32 height, U32 colorTableSize,
                            const U8* colorTable, const U8* pixels, bool hasAlpha);
  ~VDTDefineBitsLosslessBase() override;
  VDTDefineBitsLosslessBase(const VDTDefineBitsLosslessBase&) = delete;
  VDTDefineBitsLosslessBase& operator=(const VDTDefineBitsLosslessBase&) = delete;

  U16 CharacterId() override { return characterId; }
  void WriteTo(VKMVStream& s) override;

  // Bytes handed to the compressor: colour table, then pixel rows.
  U32 UncompressedSize() const { return uncompressedSize; }
  U32 CompressedSize() const { return compressedSize; }
  const U8* CompressedData() const { return compressedData; }

 private:
  U16 characterId;
  U8 format;  // bits per pixel = 2^format
  U32 width, height;
  U32 colorTableSize;
  U8 hasAlpha;
  U32 uncompressedSize;
  U32 compressedSize;
  U8* compressedData;   // owned; null when compression failed
  const char* failure;  // why there is no compressed data
};
