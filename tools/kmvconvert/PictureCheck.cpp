#include "tools/kmvconvert/PictureCheck.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "moviewriter/convert/PictureToMovie.h"
#include "tools/common/BmpProblem.h"
#include "tools/common/ToolCli.h"
#include "xlib/mm/PictureInfo.h"

namespace {

const char kPrefix[] = "cannot be converted: ";

uint32_t Word16BigEndian(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 8 | p[1];
}

bool LooksLikeText(const uint8_t* b, size_t n) {
  if (n == 0) return false;
  for (size_t i = 0; i < n; ++i)
    if (b[i] < 0x20 && b[i] != '\t' && b[i] != '\n' && b[i] != '\r') return false;
  return true;
}

// A frame header's marker: SOF0 to SOF15 but DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameMarker(uint8_t m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

std::string ScaleProblem(int32_t width, int32_t height, float scaleX, float scaleY) {
  const int32_t w = PictureTwips(width, scaleX);
  const int32_t h = PictureTwips(height, scaleY);
  if (w > 0 && h > 0) return "";
  char scale[64];
  std::snprintf(scale, sizeof scale, "%g %g", static_cast<double>(scaleX),
                static_cast<double>(scaleY));
  return std::string(kPrefix) + "its " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels at --scale " + scale + " make a movie of " + std::to_string(w) + " x " +
         std::to_string(h) + " twips, which shows nothing; choose a larger scale";
}

std::string JpegProblem(const std::vector<uint8_t>& bytes, const char* path, float scaleX,
                        float scaleY) {
  JpegHeaderInfo info;
  std::memset(&info, 0, sizeof info);
  if (ReadJpegHeaderInfo(path, 0, &info) != kPictureOk) {
    std::string reason =
        std::string(kPrefix) + "its name says JPEG, but its JPEG header cannot be read";
    const char* looks = PictureLooksLike(bytes.data(), bytes.size());
    const std::string markers = JpegMarkerProblem(bytes.data(), bytes.size());
    if (looks && std::strcmp(looks, "a JPEG") == 0)
      reason += markers.empty() ? ": the JPEG is damaged" : ": " + markers;
    else if (looks && std::strcmp(looks, "a BMP") == 0)
      reason += ". The file looks like a BMP: name it .bmp";
    else if (looks)
      reason += std::string(". The file looks like ") + looks + ", which cannot be converted";
    else
      reason += " (it does not start with the bytes FF D8 FF a JPEG starts with)";
    return reason;
  }
  if (info.components != 1 && info.components != 3)
    return std::string(kPrefix) + "it is a " + info.colorSpaceName + " JPEG with " +
           std::to_string(info.components) +
           " components, which a movie player cannot draw; save it as an RGB or greyscale JPEG";
  if (info.precision != 8)
    return std::string(kPrefix) + "its samples have " + std::to_string(info.precision) +
           " bits, and a movie player draws only JPEGs of 8 bits a sample";
  if (info.arithmetic)
    return std::string(kPrefix) +
           "it is arithmetic-coded, which a movie player cannot draw; save it with the usual "
           "(Huffman) coding";
  return ScaleProblem(static_cast<int32_t>(info.width), static_cast<int32_t>(info.height), scaleX,
                      scaleY);
}

std::string BmpProblem(const std::vector<uint8_t>& bytes, float scaleX, float scaleY) {
  // Headers the conversion refuses are explained after it has failed.
  uint8_t headers[54] = {};
  std::memcpy(headers, bytes.data(), bytes.size() < sizeof headers ? bytes.size() : sizeof headers);
  BmpHeaderInfo info;
  if (!ParseBmpHeaderInfo(headers, &info) || info.bitCount != 8) return "";
  if (!BmpHeaderProblem(bytes.data(), bytes.size()).empty()) return "";
  const std::string read = BmpReadProblem(bytes.data(), bytes.size(), true);
  if (!read.empty()) {
    // Only a picture the reader takes is the pre-check's to refuse.
    const std::string place = BmpPixelPlaceProblem(bytes.data(), bytes.size(), true);
    return read == place ? kPrefix + read : "";
  }
  return ScaleProblem(info.width, info.height, scaleX, scaleY);
}

}  // namespace

bool ReadPictureBytes(const char* path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

const char* PictureLooksLike(const uint8_t* b, size_t n) {
  if (n >= 2 && b[0] == 'B' && b[1] == 'M') return "a BMP";
  if (n >= 2 && b[0] == 0xFF && b[1] == 0xD8 && (n == 2 || b[2] == 0xFF)) return "a JPEG";
  if (n >= 4 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') return "a PNG";
  if (n >= 4 && std::memcmp(b, "GIF8", 4) == 0) return "a GIF";
  if (n >= 4 && (std::memcmp(b, "II*", 4) == 0 || std::memcmp(b, "MM\0*", 4) == 0)) return "a TIFF";
  if (LooksLikeText(b, n < 512 ? n : 512)) return "text";
  return nullptr;
}

std::string JpegMarkerProblem(const uint8_t* b, size_t n) {
  bool frame = false;
  size_t pos = 2;  // after the start-of-image marker
  for (;;) {
    while (pos < n && b[pos] == 0xFF) ++pos;  // the marker's lead and fill bytes
    if (pos + 3 > n)
      return "the JPEG is cut short: it ends after " + std::to_string(n) + " bytes, before " +
             (frame ? "its picture data starts" : "its frame header");
    const uint8_t marker = b[pos];
    const size_t length = Word16BigEndian(b + pos + 1);
    if (marker == 0xDA || marker == 0xD9 || length < 2) return "";
    if (IsFrameMarker(marker) && pos + 4 <= n) {
      const uint32_t precision = b[pos + 3];
      if (precision != 8)
        return "its samples have " + std::to_string(precision) +
               " bits, and a movie player draws only JPEGs of 8 bits a sample";
      if (marker >= 0xC9)
        return "it is arithmetic-coded, which a movie player cannot draw; save it with the usual "
               "(Huffman) coding";
      if (marker == 0xC3 || marker == 0xC7)
        return "it is a lossless JPEG, which a movie player cannot draw";
      frame = true;
    }
    pos += 1 + length;
  }
}

ConversionProblem CheckPictureBeforeConversion(const char* picturePath, float scaleX,
                                               float scaleY) {
  const PictureKind kind = GetPictureKind(picturePath);
  if (kind == kPictureUnknown || !toolcli::ReadProblem(picturePath).empty()) return {};
  std::vector<uint8_t> bytes;
  if (!ReadPictureBytes(picturePath, bytes)) return {};
  if (bytes.empty()) return {picturePath, std::string(kPrefix) + "the file is empty"};
  if (kind == kPictureJpeg) return {picturePath, JpegProblem(bytes, picturePath, scaleX, scaleY)};
  return {picturePath, BmpProblem(bytes, scaleX, scaleY)};
}
