// Picture information: the file search and the BMP header read through the
// class library's file.
#include <windows.h>

#include <cstring>
#include <stdexcept>

#include "clib/Assert.h"
#include "clib/ErrorText.h"
#include "clib/cFile.h"
#include "xlib/lib/xdir.h"
#include "xlib/mm/PictureInfo.h"

namespace {

[[noreturn]] void ThrowFormatError() {
  char text[256];
  FormatErrorText(kPictureErrorFormat, text, 0, sizeof text);
  throw std::runtime_error(text);
}

}  // namespace

void ReadBmpHeaderInfo(const char* path, BmpHeaderInfo* info) {
  ASSERT(path != nullptr && info != nullptr);
  cFile file;
  // A file that was found but cannot be opened must not be read: it counts
  // as a bad picture.
  if (file.OpenRead(GENERIC_READ, path, FILE_SHARE_READ | FILE_SHARE_WRITE) != kErrorNone)
    ThrowFormatError();
  // Short reads leave zeros, which then show up as a bad signature or an
  // empty header.
  uint8_t bytes[54] = {};
  file.Read(bytes, 14);
  if (bytes[0] != 'B' || bytes[1] != 'M') {
    file.Close();
    ThrowFormatError();
  }
  const DWORD got = file.Read(bytes + 14, 40);
  // A short header keeps its zeros as before; a whole one must have a size
  // the loader reads, and the file must hold all of it.
  uint32_t headerSize = 0;
  for (int i = 3; i >= 0; --i) headerSize = headerSize << 8 | bytes[14 + i];
  LARGE_INTEGER fileSize;
  const bool sized = GetFileSizeEx(file.m_Handle, &fileSize) != 0;
  file.Close();
  if (got == 40 &&
      (!sized || !BmpHeaderSizeFits(headerSize, static_cast<uint64_t>(fileSize.QuadPart))))
    ThrowFormatError();
  ParseBmpHeaderInfo(bytes, info);
}

int GetPictureInfo(int kind, PictureInfo* info, const char* path) {
  ASSERT(info != nullptr && path != nullptr);
  std::memset(info, 0, sizeof *info);
  xff search;
  if (!xDirFindFirst(search, path, kFilterFiles)) return 0;
  const WIN32_FIND_DATAA found = search.data;
  xDirFindEnd(search);
  info->fileSize = found.nFileSizeLow;
  info->created = static_cast<uint64_t>(found.ftCreationTime.dwHighDateTime) << 32 |
                  found.ftCreationTime.dwLowDateTime;
  info->kind = static_cast<uint8_t>(kind ? kind : GetPictureKind(path));
  if (info->kind == kPictureBmp) {
    ReadBmpHeaderInfo(path, &info->header.bmp);
    info->colorCount = PictureColorCount(info->header.bmp.bitCount);
  } else if (info->kind == kPictureJpeg) {
    // On failure the fields stay 0 and the conversion goes on with them.
    ReadJpegHeaderInfo(path, 0, &info->header.jpeg);
    info->colorCount = PictureColorCount(static_cast<uint32_t>(info->header.jpeg.precision) *
                                         static_cast<uint32_t>(info->header.jpeg.components));
  }
  return 1;
}
