// The picture-to-movie conversion: reading the user's file.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "clib/Assert.h"
#include "clib/cBitmap.h"
#include "moviewriter/convert/PictureToMovie.h"
#include "xlib/mm/PictureInfo.h"

void BmpToMovie(const char* picturePath, int32_t width, int32_t height, const char* moviePath,
                float scaleX, float scaleY) {
  ASSERT(picturePath != nullptr && moviePath != nullptr);
  (void)width;
  (void)height;
  cBitmap bitmap;
  bitmap.LoadFile(picturePath, 0);
  // The loaded bitmap's own size governs every pixel access; for a file
  // that did not change since its header was read it equals width x height.
  try {
    IndexedPictureToMovie(bitmap.m_Colors, bitmap.NumColors(), bitmap.m_Header.biBitCount,
                          bitmap.m_pBits, bitmap.m_RowBytes, bitmap.m_Header.biWidth,
                          bitmap.m_Header.biHeight, moviePath, scaleX, scaleY);
  } catch (...) {
    bitmap.Free();
    throw;
  }
  bitmap.Free();
}

void ConvertPictureToMovie(const char* picturePath, const char* moviePath, float scaleX,
                           float scaleY) {
  ASSERT(picturePath != nullptr && moviePath != nullptr);
  PictureInfo info;
  GetPictureInfo(0, &info, picturePath);
  if (info.kind == kPictureBmp) {
    BmpToMovie(picturePath, info.header.bmp.width, info.header.bmp.height, moviePath, scaleX,
               scaleY);
  } else if (info.kind == kPictureJpeg) {
    JpegToMovie(picturePath, static_cast<int32_t>(info.header.jpeg.width),
                static_cast<int32_t>(info.header.jpeg.height), moviePath, scaleX, scaleY);
  } else {
    throw std::runtime_error(std::string("Uknown file type. ") + picturePath);
  }
}
