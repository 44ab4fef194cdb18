#include "tests/player/PlayerPicture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "moviewriter/KmvReader.h"

namespace {

constexpr uint16_t kTagJpeg = 21;
constexpr uint16_t kTagLossless = 20;
constexpr uint16_t kTagLosslessAlpha = 36;
constexpr uint8_t kFormatColorMapped = 3;

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char text[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info) {
  JpegError* error = reinterpret_cast<JpegError*>(info->err);
  info->err->format_message(info, error->text);
  std::longjmp(error->jump, 1);
}

void JpegSilent(j_common_ptr, int) {}

// Decodes a whole JPEG into picture. Only plain data lives across the jump.
bool DecodeJpeg(const uint8_t* data, size_t size, PlayerPicture* picture, std::string* error) {
  jpeg_decompress_struct info;
  JpegError jerr;
  info.err = jpeg_std_error(&jerr.manager);
  jerr.manager.error_exit = JpegErrorExit;
  jerr.manager.emit_message = JpegSilent;
  jerr.text[0] = '\0';
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&info);
    *error = std::string("JPEG data: ") + jerr.text;
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  // A header may claim a size that no memory holds (65000 x 65000 is 16
  // GB at 4 bytes a pixel): such a picture is refused, not decoded.
  if (uint64_t(info.image_width) * info.image_height > kMaxPlayerPicturePixels) {
    *error = "JPEG data: " + std::to_string(info.image_width) + " x " +
             std::to_string(info.image_height) + " pixels, more than the " +
             std::to_string(kMaxPlayerPicturePixels) + " a picture may have";
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture->width = static_cast<int>(info.output_width);
  picture->height = static_cast<int>(info.output_height);
  picture->pixels.assign(size_t(info.output_width) * info.output_height * 4, 0);
  std::vector<uint8_t> row(size_t(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    uint8_t* out = picture->pixels.data() + size_t(info.output_scanline) * info.output_width * 4;
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (size_t x = 0; x < info.output_width; ++x) {
      out[x * 4 + 0] = row[x * 3 + 2];
      out[x * 4 + 1] = row[x * 3 + 1];
      out[x * 4 + 2] = row[x * 3 + 0];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  picture->kind = "jpeg";
  return true;
}

bool DecodeColorMapped(const kmv::Bitmap& bitmap, PlayerPicture* picture, std::string* error) {
  if (bitmap.format != kFormatColorMapped) {
    *error = "lossless format " + std::to_string(bitmap.format) + " is not shown";
    return false;
  }
  if (uint64_t(bitmap.width) * bitmap.height > kMaxPlayerPicturePixels) {
    *error = "lossless data: " + std::to_string(bitmap.width) + " x " +
             std::to_string(bitmap.height) + " pixels, more than the " +
             std::to_string(kMaxPlayerPicturePixels) + " a picture may have";
    return false;
  }
  const size_t entry = bitmap.hasAlpha ? 4 : 3;
  const size_t table = entry * bitmap.colorTableSize;
  const size_t rowBytes = (size_t(bitmap.width) + 3) & ~size_t(3);
  // The reader has checked that the inflated data is exactly this long.
  const uint8_t* colors = bitmap.inflated.data();
  const uint8_t* rows = colors + table;
  picture->width = bitmap.width;
  picture->height = bitmap.height;
  picture->pixels.assign(size_t(bitmap.width) * bitmap.height * 4, 0);
  for (size_t y = 0; y < bitmap.height; ++y) {
    for (size_t x = 0; x < bitmap.width; ++x) {
      const size_t index = rows[y * rowBytes + x];
      uint8_t* out = picture->pixels.data() + (y * bitmap.width + x) * 4;
      if (index >= bitmap.colorTableSize) continue;  // black
      out[0] = colors[index * entry + 2];
      out[1] = colors[index * entry + 1];
      out[2] = colors[index * entry + 0];
    }
  }
  picture->kind = "lossless";
  return true;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes->insert(bytes->end(), buffer, buffer + got);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

}  // namespace

std::string PictureParameter(const std::string& parameters) {
  const std::string key = "SS_Picture=";
  size_t at = 0;
  for (;;) {
    at = parameters.find(key, at);
    if (at == std::string::npos) return "";
    if (at == 0 || parameters[at - 1] == '&') break;
    at += key.size();
  }
  const size_t start = at + key.size();
  const size_t end = parameters.find('&', start);
  return parameters.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool LoadMoviePicture(const std::string& path, PlayerPicture* picture, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadBytes(path, &bytes)) {
    *error = "cannot read the file";
    return false;
  }
  kmv::Movie movie;
  try {
    movie = kmv::Read(bytes);
  } catch (const kmv::ParseError& e) {
    *error = "offset " + std::to_string(e.Offset()) + ": " + e.what();
    return false;
  }
  for (const kmv::Tag& tag : movie.tags) {
    if (tag.code == kTagJpeg)
      return DecodeJpeg(bytes.data() + tag.jpeg.dataOffset, tag.jpeg.dataSize, picture, error);
    if (tag.code == kTagLossless || tag.code == kTagLosslessAlpha)
      return DecodeColorMapped(tag.bitmap, picture, error);
  }
  *error = "no bitmap in the movie";
  return false;
}

PlayerPlacement PlacePicture(int width, int height, int clientWidth, int clientHeight) {
  PlayerPlacement place = {0, 0, 0, 0};
  if (width <= 0 || height <= 0 || clientWidth <= 0 || clientHeight <= 0) return place;
  // Compare width / height with clientWidth / clientHeight without division.
  if (int64_t(width) * clientHeight >= int64_t(height) * clientWidth) {
    place.width = clientWidth;
    place.height = static_cast<int>(int64_t(height) * clientWidth / width);
  } else {
    place.height = clientHeight;
    place.width = static_cast<int>(int64_t(width) * clientHeight / height);
  }
  place.x = (clientWidth - place.width) / 2;
  place.y = (clientHeight - place.height) / 2;
  return place;
}
