#include "plugin/gifwriter/encoder/tests/GifReader.h"

namespace giftest {

bool DecodeLzw(const std::vector<uint8_t>& data, int minCodeSize, size_t pixels,
               DecodedImage* image, std::string* error) {
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  std::vector<int> prefix(4096, -1);
  std::vector<uint8_t> suffix(4096, 0);
  std::vector<uint8_t> first(4096, 0);
  for (int i = 0; i < clear; ++i) {
    suffix[i] = static_cast<uint8_t>(i);
    first[i] = static_cast<uint8_t>(i);
  }
  int width = minCodeSize + 1;
  int next = clear + 2;
  int previous = -1;
  size_t bitPos = 0;
  const size_t totalBits = data.size() * 8;
  std::vector<uint8_t> stack;
  while (true) {
    if (bitPos + width > totalBits) {
      *error = "data ends without an end code";
      return false;
    }
    int code = 0;
    for (int b = 0; b < width; ++b, ++bitPos) {
      if (data[bitPos / 8] >> (bitPos % 8) & 1) code |= 1 << b;
    }
    ++image->codes;
    if (width > image->maxCodeWidth) image->maxCodeWidth = width;
    if (code == clear) {
      ++image->clearCodes;
      width = minCodeSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == end) {
      image->sawEndCode = true;
      break;
    }
    if (image->clearCodes == 0) {
      *error = "first code is not a clear code";
      return false;
    }
    if (code > next || (code == next && previous < 0)) {
      *error = "code " + std::to_string(code) + " beyond the table (" + std::to_string(next) + ")";
      return false;
    }
    int c = code == next ? previous : code;
    stack.clear();
    if (code == next) stack.push_back(first[previous]);
    while (c >= clear + 2) {
      stack.push_back(suffix[c]);
      c = prefix[c];
    }
    stack.push_back(static_cast<uint8_t>(c));
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) image->indices.push_back(*it);
    if (previous >= 0 && next < 4096) {
      prefix[next] = previous;
      suffix[next] = code == next ? first[previous] : first[code];
      first[next] = first[previous];
      ++next;
      if (next == (1 << width) && width < 12) ++width;
    }
    previous = code;
  }
  if (image->indices.size() != pixels) {
    *error = "decoded " + std::to_string(image->indices.size()) + " pixels, expected " +
             std::to_string(pixels);
    return false;
  }
  return true;
}

namespace {

struct Cursor {
  const std::vector<uint8_t>& b;
  size_t pos = 0;
  bool Has(size_t n) const { return pos + n <= b.size(); }
  uint8_t U8() { return b[pos++]; }
  uint16_t U16() {
    const uint16_t v = static_cast<uint16_t>(b[pos] | b[pos + 1] << 8);
    pos += 2;
    return v;
  }
};

bool ReadSubBlocks(Cursor& c, std::vector<uint8_t>* out, std::vector<int>* sizes) {
  while (true) {
    if (!c.Has(1)) return false;
    const uint8_t n = c.U8();
    if (n == 0) return true;
    if (!c.Has(n)) return false;
    if (sizes) sizes->push_back(n);
    if (out) out->insert(out->end(), c.b.begin() + c.pos, c.b.begin() + c.pos + n);
    c.pos += n;
  }
}

}  // namespace

DecodedGif ReadGif(const std::vector<uint8_t>& bytes) {
  DecodedGif g;
  Cursor c{bytes};
  auto fail = [&](const std::string& e) {
    g.ok = false;
    g.error = e + " at offset " + std::to_string(c.pos);
    return g;
  };
  if (!c.Has(13) || std::string(bytes.begin(), bytes.begin() + 6) != "GIF89a") {
    return fail("no GIF89a header");
  }
  c.pos = 6;
  g.screenWidth = c.U16();
  g.screenHeight = c.U16();
  g.screenPacked = c.U8();
  c.pos += 2;
  if (g.screenPacked & 0x80) {
    const size_t n = 3u << ((g.screenPacked & 7) + 1);
    if (!c.Has(n)) return fail("short global table");
    g.globalTable.assign(bytes.begin() + c.pos, bytes.begin() + c.pos + n);
    c.pos += n;
  }
  DecodedImage pending;
  while (true) {
    if (!c.Has(1)) return fail("no trailer");
    const uint8_t kind = c.U8();
    if (kind == 0x3B) {
      g.trailerLast = c.pos == bytes.size();
      break;
    }
    if (kind == 0x21) {
      if (!c.Has(2)) return fail("short extension");
      const uint8_t label = c.U8();
      if (label == 0xF9) {
        if (!c.Has(6) || c.b[c.pos] != 4) return fail("bad graphic control");
        c.pos++;
        pending.hasControl = true;
        pending.controlPacked = c.U8();
        pending.delay = c.U16();
        pending.controlIndex = c.U8();
        if (c.U8() != 0) return fail("graphic control not terminated");
      } else if (label == 0xFF) {
        std::vector<uint8_t> app;
        if (!ReadSubBlocks(c, &app, nullptr)) return fail("short application extension");
        if (std::string(app.begin(), app.begin() + 11) == "NETSCAPE2.0") g.hasLoop = true;
      } else if (!ReadSubBlocks(c, nullptr, nullptr)) {
        return fail("short extension");
      }
      continue;
    }
    if (kind != 0x2C) return fail("unknown block");
    if (!c.Has(10)) return fail("short image descriptor");
    DecodedImage img = pending;
    pending = DecodedImage{};
    img.left = c.U16();
    img.top = c.U16();
    img.width = c.U16();
    img.height = c.U16();
    img.packed = c.U8();
    if (img.packed & 0x80) {
      const size_t n = 3u << ((img.packed & 7) + 1);
      if (!c.Has(n)) return fail("short local table");
      img.localTable.assign(bytes.begin() + c.pos, bytes.begin() + c.pos + n);
      c.pos += n;
    }
    img.minCodeSize = c.U8();
    std::vector<uint8_t> data;
    if (!ReadSubBlocks(c, &data, &img.packetSizes)) return fail("short image data");
    img.dataEnd = c.pos;
    std::string error;
    if (!DecodeLzw(data, img.minCodeSize, size_t(img.width) * img.height, &img, &error)) {
      return fail(error);
    }
    g.images.push_back(std::move(img));
  }
  g.ok = true;
  return g;
}

}  // namespace giftest
