#include "tools/kmvconvert/PictureFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "moviewriter/convert/PictureToMovie.h"
#include "xlib/mm/PictureInfo.h"
#include "xlib/mm/xdib.h"

namespace {

// The class library's text for a picture it cannot read: its code has no
// text of its own.
[[noreturn]] void ThrowBadBitmap() {
  throw std::runtime_error("<unknown error: " + std::to_string(kPictureErrorFormat) + ">");
}

bool IsFile(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG;
}

// Releases the loader's pixel block on every path.
struct DibHolder {
  XDIB dib;
  DibHolder() { std::memset(&dib, 0, sizeof dib); }
  ~DibHolder() { xdibFree(&dib); }
};

void BmpFileToMovie(const char* picturePath, const char* moviePath, float scaleX, float scaleY) {
  std::FILE* file = std::fopen(picturePath, "rb");
  if (file == nullptr) ThrowBadBitmap();
  DibHolder holder;
  XDibStdioSource source(file);
  XDibReadOptions options;
  options.importantColorsCount = true;
  const int result = xdibReadWith(&holder.dib, source, options);
  std::fclose(file);
  if (result != XERR_OK) ThrowBadBitmap();
  const BITMAPINFOHEADER& h = holder.dib.bmiHeader;
  const uint32_t colours = h.biClrUsed        ? h.biClrUsed
                           : h.biClrImportant ? h.biClrImportant
                                              : xdibNumColors(&h);
  IndexedPictureToMovie(holder.dib.palette, colours, h.biBitCount, holder.dib.bits,
                        holder.dib.rowBytes, h.biWidth, h.biHeight, moviePath, scaleX, scaleY);
}

}  // namespace

void ConvertPictureFile(const char* picturePath, const char* moviePath, float scaleX,
                        float scaleY) {
  const PictureKind kind = IsFile(picturePath) ? GetPictureKind(picturePath) : kPictureUnknown;
  if (kind == kPictureBmp) {
    // The headers are looked at first, as the saver does: a bad signature
    // fails before any pixel is read.
    uint8_t bytes[54] = {};
    std::FILE* file = std::fopen(picturePath, "rb");
    if (file == nullptr) ThrowBadBitmap();
    const size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    BmpHeaderInfo info;
    if (got < 2 || !ParseBmpHeaderInfo(bytes, &info)) ThrowBadBitmap();
    BmpFileToMovie(picturePath, moviePath, scaleX, scaleY);
  } else if (kind == kPictureJpeg) {
    // A header the library rejects leaves the size 0, and the conversion
    // goes on with it.
    JpegHeaderInfo info;
    std::memset(&info, 0, sizeof info);
    ReadJpegHeaderInfo(picturePath, 0, &info);
    JpegToMovie(picturePath, static_cast<int32_t>(info.width), static_cast<int32_t>(info.height),
                moviePath, scaleX, scaleY);
  } else {
    throw std::runtime_error(std::string("Uknown file type. ") + picturePath);
  }
}
