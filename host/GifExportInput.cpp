#include "host/GifExportInput.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace vrixhost {

namespace {

uint32_t U16(const uint8_t* p) {
  return p[0] | p[1] << 8;
}
uint32_t U32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

bool Fail(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

bool CheckSize(uint64_t w, uint64_t h, std::string* error) {
  if (w == 0 || h == 0) return Fail(error, "the picture is empty");
  if (w > kMaxInputSide || h > kMaxInputSide || w * h > kMaxInputPixels) {
    return Fail(error, "the picture is too large: " + std::to_string(w) + " x " +
                           std::to_string(h) + " pixels, more than " +
                           std::to_string(kMaxInputSide) + " a side or " +
                           std::to_string(kMaxInputPixels) + " in all");
  }
  return true;
}

VxColorEntry Entry(uint8_t r, uint8_t g, uint8_t b) {
  return VxColorEntry{0, uint16_t(r * 257), uint16_t(g * 257), uint16_t(b * 257)};
}

// With headerOnly the decoders stop once the picture's size and kind are
// known and checked, before any pixel is looked at.
bool DecodeBmp(const std::vector<uint8_t>& b, bool headerOnly, InputImage* image,
               std::string* error) {
  if (b.size() < 14 + 40) return Fail(error, "the BMP file is truncated");
  const uint32_t dataOffset = U32(&b[10]);
  const uint32_t headerSize = U32(&b[14]);
  if (headerSize < 40 || 14ull + headerSize > b.size()) {
    return Fail(error, "unsupported BMP header (only Windows BMP version 3 and later)");
  }
  const int32_t width = static_cast<int32_t>(U32(&b[18]));
  const int32_t rawHeight = static_cast<int32_t>(U32(&b[22]));
  const uint32_t bits = U16(&b[28]);
  const uint32_t compression = U32(&b[30]);
  uint32_t colorsUsed = U32(&b[46]);
  if (U16(&b[26]) != 1) return Fail(error, "the BMP file has more than one plane");
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) {
    return Fail(error, "the BMP file has no valid size");
  }
  const bool topDown = rawHeight < 0;
  const uint32_t height = static_cast<uint32_t>(topDown ? -rawHeight : rawHeight);
  if (!CheckSize(uint32_t(width), height, error)) return false;
  if (bits != 8 && bits != 24 && bits != 32) {
    return Fail(error, "unsupported BMP depth " + std::to_string(bits) +
                           " bits (8, 24 and 32 are supported)");
  }
  // Uncompressed rows; 32-bit may also name its channel masks, which must be
  // the usual byte order.
  uint32_t alphaMask = 0;
  if (compression == 3 && bits == 32) {
    const size_t masks = headerSize >= 56 ? 14 + 40 : 14 + headerSize;
    if (masks + 12 > b.size()) return Fail(error, "the BMP file is truncated");
    if (U32(&b[masks]) != 0x00FF0000 || U32(&b[masks + 4]) != 0x0000FF00 ||
        U32(&b[masks + 8]) != 0x000000FF) {
      return Fail(error, "unsupported BMP channel masks");
    }
    if (headerSize >= 56) alphaMask = U32(&b[14 + 52]);
    if (alphaMask != 0 && alphaMask != 0xFF000000) return Fail(error, "unsupported BMP alpha mask");
  } else if (compression != 0) {
    return Fail(error, "compressed BMP files are not supported");
  }

  image->width = uint32_t(width);
  image->height = height;
  image->palette.clear();
  if (headerOnly) return true;
  if (bits == 8) {
    if (colorsUsed == 0 || colorsUsed > 256) colorsUsed = 256;
    const size_t table = 14 + headerSize;
    if (table + 4ull * colorsUsed > b.size() || table + 4ull * colorsUsed > dataOffset) {
      return Fail(error, "the BMP colour table is truncated");
    }
    for (uint32_t i = 0; i < 256; ++i) {
      if (i < colorsUsed) {
        const uint8_t* q = &b[table + 4 * i];
        image->palette.push_back(Entry(q[2], q[1], q[0]));
      } else {
        image->palette.push_back(Entry(0, 0, 0));
      }
    }
  }
  const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
  if (dataOffset > b.size() || stride * height > b.size() - dataOffset) {
    return Fail(error, "the BMP pixel data is truncated");
  }
  const uint32_t outBpp = bits == 8 ? 1 : bits == 24 ? 3 : 4;
  image->kind = bits == 8 ? VX_PIXEL_INDEX8 : bits == 24 ? VX_PIXEL_RGB24 : VX_PIXEL_RGBA32;
  image->pixels.assign(size_t(width) * height * outBpp, 0);
  bool anyAlpha = false;
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* src = &b[dataOffset + stride * (topDown ? y : height - 1 - y)];
    uint8_t* dst = &image->pixels[size_t(y) * width * outBpp];
    for (int32_t x = 0; x < width; ++x) {
      if (bits == 8) {
        dst[x] = src[x];
      } else {
        const uint8_t* s = src + size_t(x) * (bits / 8);
        uint8_t* d = dst + size_t(x) * outBpp;
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        if (bits == 32) {
          d[3] = s[3];
          if (s[3] != 0) anyAlpha = true;
        }
      }
    }
  }
  // Most 32-bit BMP writers leave the fourth byte 0; a picture whose alpha
  // is 0 everywhere is taken as having no alpha at all, i.e. opaque.
  if (bits == 32 && !anyAlpha) {
    for (size_t i = 3; i < image->pixels.size(); i += 4) image->pixels[i] = 255;
  }
  return true;
}

// Netpbm header tokens: skips white space and comments.
struct PnmCursor {
  const std::vector<uint8_t>& b;
  size_t pos;
  void SkipSpace() {
    while (pos < b.size()) {
      if (b[pos] == '#') {
        while (pos < b.size() && b[pos] != '\n') ++pos;
      } else if (std::strchr(" \t\r\n\v\f", b[pos]) != nullptr) {
        ++pos;
      } else {
        break;
      }
    }
  }
  bool Number(uint64_t* v) {
    SkipSpace();
    if (pos >= b.size() || b[pos] < '0' || b[pos] > '9') return false;
    *v = 0;
    while (pos < b.size() && b[pos] >= '0' && b[pos] <= '9') {
      *v = *v * 10 + (b[pos++] - '0');
      if (*v > 0xFFFFFFFFull) return false;
    }
    return true;
  }
  std::string Word() {
    SkipSpace();
    std::string w;
    while (pos < b.size() && std::strchr(" \t\r\n\v\f", b[pos]) == nullptr) w += char(b[pos++]);
    return w;
  }
};

bool CopyRaster(const std::vector<uint8_t>& b, size_t start, uint32_t depth, InputImage* image,
                std::string* error) {
  const uint64_t size = uint64_t(image->width) * image->height * depth;
  if (start > b.size() || size > b.size() - start)
    return Fail(error, "the pixel data is truncated");
  image->pixels.assign(b.begin() + start, b.begin() + start + size);
  image->kind = depth == 4 ? VX_PIXEL_RGBA32 : VX_PIXEL_RGB24;
  return true;
}

bool DecodePpm(const std::vector<uint8_t>& b, bool headerOnly, InputImage* image,
               std::string* error) {
  PnmCursor c{b, 2};
  uint64_t w, h, maxval;
  if (!c.Number(&w) || !c.Number(&h) || !c.Number(&maxval)) {
    return Fail(error, "the PPM header is damaged");
  }
  if (maxval != 255)
    return Fail(error, "only PPM files with 8-bit samples (maxval 255) are supported");
  if (c.pos >= b.size()) return Fail(error, "the pixel data is truncated");
  if (!CheckSize(w, h, error)) return false;
  image->width = uint32_t(w);
  image->height = uint32_t(h);
  if (headerOnly) return true;
  return CopyRaster(b, c.pos + 1, 3, image, error);  // one white-space byte ends the header
}

bool DecodePam(const std::vector<uint8_t>& b, bool headerOnly, InputImage* image,
               std::string* error) {
  PnmCursor c{b, 2};
  uint64_t w = 0, h = 0, depth = 0, maxval = 0;
  std::string tupl;
  while (true) {
    const std::string key = c.Word();
    if (key.empty()) return Fail(error, "the PAM header has no ENDHDR");
    if (key == "ENDHDR") break;
    bool ok = true;
    if (key == "WIDTH") {
      ok = c.Number(&w);
    } else if (key == "HEIGHT") {
      ok = c.Number(&h);
    } else if (key == "DEPTH") {
      ok = c.Number(&depth);
    } else if (key == "MAXVAL") {
      ok = c.Number(&maxval);
    } else if (key == "TUPLTYPE") {
      tupl = c.Word();
    } else {
      return Fail(error, "unknown PAM header field " + key);
    }
    if (!ok) return Fail(error, "the PAM header is damaged");
  }
  if (maxval != 255)
    return Fail(error, "only PAM files with 8-bit samples (MAXVAL 255) are supported");
  if (!((depth == 3 && (tupl.empty() || tupl == "RGB")) ||
        (depth == 4 && (tupl.empty() || tupl == "RGB_ALPHA")))) {
    return Fail(error, "only RGB and RGB_ALPHA PAM files are supported");
  }
  if (!CheckSize(w, h, error)) return false;
  // ENDHDR is followed by one newline.
  while (c.pos < b.size() && b[c.pos] != '\n') ++c.pos;
  image->width = uint32_t(w);
  image->height = uint32_t(h);
  image->palette.clear();
  if (headerOnly) return true;
  return CopyRaster(b, c.pos + 1, uint32_t(depth), image, error);
}

bool Decode(const std::vector<uint8_t>& bytes, bool headerOnly, InputImage* image,
            std::string* error) {
  *image = InputImage{};
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
    return DecodeBmp(bytes, headerOnly, image, error);
  if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] == '6')
    return DecodePpm(bytes, headerOnly, image, error);
  if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] == '7')
    return DecodePam(bytes, headerOnly, image, error);
  return Fail(error, "unsupported picture format (BMP, PPM P6 and PAM are supported)");
}

// The length of an open file, for files past 2 GiB too.
bool ByteCount(std::FILE* f, uint64_t* count) {
#ifdef _WIN32
  if (_fseeki64(f, 0, SEEK_END) != 0) return false;
  const int64_t end = _ftelli64(f);
  if (end < 0 || _fseeki64(f, 0, SEEK_SET) != 0) return false;
#else
  if (fseeko(f, 0, SEEK_END) != 0) return false;
  const int64_t end = ftello(f);
  if (end < 0 || fseeko(f, 0, SEEK_SET) != 0) return false;
#endif
  *count = static_cast<uint64_t>(end);
  return true;
}

// Why a file of count bytes, more than any accepted picture needs, is
// refused: by what its header declares when that is what is too large.
std::string TooLargeReason(std::FILE* f, uint64_t count) {
  std::vector<uint8_t> head(kInputHeaderProbe);
  head.resize(std::fread(head.data(), 1, head.size(), f));
  InputImage probe;
  std::string reason;
  if (!Decode(head, true, &probe, &reason)) return reason;
  return "the file is too large: " + std::to_string(count) + " bytes, more than the " +
         std::to_string(kMaxInputFileBytes) + " that the largest picture accepted needs";
}

}  // namespace

bool DecodeInputImage(const std::vector<uint8_t>& bytes, InputImage* image, std::string* error) {
  return Decode(bytes, false, image, error);
}

bool ReadInputImage(const std::string& path, InputImage* image, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return Fail(error, "cannot open \"" + path + "\"");
  // The file's length is checked before memory is taken for its bytes, and
  // they are read into one block of that length.
  uint64_t count = 0;
  if (!ByteCount(f, &count)) {
    std::fclose(f);
    return Fail(error, "cannot read \"" + path + "\"");
  }
  if (count > kMaxInputFileBytes) {
    const std::string reason = TooLargeReason(f, count);
    std::fclose(f);
    return Fail(error, "\"" + path + "\": " + reason);
  }
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    std::fclose(f);
    return Fail(error, "\"" + path + "\": not enough memory to read its " + std::to_string(count) +
                           " bytes");
  }
  const bool complete = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  std::fclose(f);
  if (!complete) return Fail(error, "cannot read \"" + path + "\"");
  bool decoded = false;
  try {
    decoded = DecodeInputImage(bytes, image, error);
  } catch (const std::bad_alloc&) {
    *error = "not enough memory for its pixels";
  }
  if (!decoded) {
    *error = "\"" + path + "\": " + *error;
    return false;
  }
  return true;
}

}  // namespace vrixhost
