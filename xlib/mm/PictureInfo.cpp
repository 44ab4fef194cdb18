// Picture kind and header information: the OS-free part. The file search
// and the BMP header read through cFile are in PictureInfo_win.cpp.
#include "xlib/mm/PictureInfo.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "clib/Assert.h"
#include "xlib/mm/xdib.h"

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

bool SameTextNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char ca = *a, cb = *b;
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb - 'A' + 'a');
    if (ca != cb) return false;
    if (!ca) return true;
  }
}

uint32_t LittleEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// libjpeg's error manager with the place to jump back to when the library
// gives up. The default error exit would end the process.
struct JumpingErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf back;
};

void ErrorExitByJump(j_common_ptr cinfo) {
  JumpingErrorManager* err = reinterpret_cast<JumpingErrorManager*>(cinfo->err);
  std::longjmp(err->back, 1);
}

// Warnings and traces never reach the user.
void SilentMessage(j_common_ptr) {}

}  // namespace

PictureKind GetPictureKind(const char* path) {
  ASSERT(path != nullptr);
  const char* dot = std::strrchr(path, '.');
  if (!dot) return kPictureUnknown;
  if (SameTextNoCase(dot, ".jpg")) return kPictureJpeg;
  if (SameTextNoCase(dot, ".jpeg")) return kPictureJpeg;
  if (SameTextNoCase(dot, ".bmp")) return kPictureBmp;
  return kPictureUnknown;
}

uint32_t PictureColorCount(uint32_t bits) {
  return uint32_t(1) << (bits % 32);
}

const char* JpegColorSpaceName(int colorSpace) {
  static const char* const kNames[] = {"Unknown", "Grayscale", "RGB", "YCC", "CMYK", "YCCK"};
  if (colorSpace < 0 || colorSpace > 5) return kNames[0];
  return kNames[colorSpace];
}

bool ParseBmpHeaderInfo(const uint8_t (&bytes)[54], BmpHeaderInfo* info) {
  ASSERT(info != nullptr);
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint8_t* h = bytes + 14;
  info->width = static_cast<int32_t>(LittleEndian32(h + 4));
  info->height = static_cast<int32_t>(LittleEndian32(h + 8));
  info->bitCount = static_cast<uint32_t>(h[14]) | static_cast<uint32_t>(h[15]) << 8;
  info->compression = LittleEndian32(h + 16);
  return true;
}

bool BmpHeaderSizeFits(uint32_t headerSize, uint64_t fileSize) {
  return xdibHeaderSizeKnown(headerSize) && 14 + static_cast<uint64_t>(headerSize) <= fileSize;
}

int ReadJpegHeaderInfo(const char* path, long offset, JpegHeaderInfo* info) {
  ASSERT(path != nullptr && info != nullptr);
  // Kept outside the jump's reach: only these two live across setjmp, and
  // neither is changed after it.
  std::FILE* const file = std::fopen(path, "rb");
  if (!file) return kPictureErrorOpen;
  if (std::fseek(file, offset, SEEK_SET) != 0) {
    std::fclose(file);
    return kPictureErrorFormat;
  }
  jpeg_decompress_struct cinfo;
  JumpingErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExitByJump;
  err.pub.output_message = SilentMessage;
  if (setjmp(err.back)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return kPictureErrorFormat;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  info->width = cinfo.image_width;
  info->height = cinfo.image_height;
  info->components = cinfo.num_components;
  info->colorSpace = static_cast<int32_t>(cinfo.jpeg_color_space);
  std::memset(info->colorSpaceName, 0, sizeof info->colorSpaceName);
  std::strcpy(info->colorSpaceName, JpegColorSpaceName(info->colorSpace));
  info->precision = cinfo.data_precision;
  info->progressive = cinfo.progressive_mode ? 1 : 0;
  info->arithmetic = cinfo.arith_code ? 1 : 0;
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return kPictureOk;
}
