// Builds BMP files in memory for the tests: exactly the bytes asked for, so
// that damaged and unusual files are as easy to make as good ones.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace bmptest {

struct BmpFields {
  int32_t width = 4;
  int32_t height = 2;
  uint16_t bitCount = 8;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  uint32_t colorsImportant = 0;
  int64_t imageSize = -1;  // -1: the length of pixels
  const char* signature = "BM";
  // The information header's size field; past 40 the header is that long,
  // its extra bytes 0xA5 (a reader that takes them for colours shows it).
  uint32_t headerSize = 40;
};

inline void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}

inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

// tableEntries colour-table entries (blue, green, red, 0) are written; entry
// i is (i, 255 - i, 3 * i) unless table is given.
inline std::vector<uint8_t> MakeBmp(const BmpFields& f, uint32_t tableEntries,
                                    const std::vector<uint8_t>& pixels,
                                    const std::vector<uint8_t>* table = nullptr) {
  std::vector<uint8_t> v;
  v.push_back(static_cast<uint8_t>(f.signature[0]));
  v.push_back(static_cast<uint8_t>(f.signature[1]));
  const uint32_t extra = f.headerSize > 40 ? f.headerSize - 40 : 0;
  const uint32_t off = 54 + extra + 4 * tableEntries;
  Put32(v, off + static_cast<uint32_t>(pixels.size()));
  Put32(v, 0);
  Put32(v, off);
  Put32(v, f.headerSize);
  Put32(v, static_cast<uint32_t>(f.width));
  Put32(v, static_cast<uint32_t>(f.height));
  Put16(v, 1);
  Put16(v, f.bitCount);
  Put32(v, f.compression);
  Put32(v, f.imageSize < 0 ? static_cast<uint32_t>(pixels.size())
                           : static_cast<uint32_t>(f.imageSize));
  Put32(v, 2835);
  Put32(v, 2835);
  Put32(v, f.colorsUsed);
  Put32(v, f.colorsImportant);
  v.insert(v.end(), extra, 0xA5);
  if (table) {
    v.insert(v.end(), table->begin(), table->end());
  } else {
    for (uint32_t i = 0; i < tableEntries; ++i) {
      v.push_back(static_cast<uint8_t>(i));
      v.push_back(static_cast<uint8_t>(255 - i));
      v.push_back(static_cast<uint8_t>(3 * i));
      v.push_back(0);
    }
  }
  v.insert(v.end(), pixels.begin(), pixels.end());
  return v;
}

inline std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> out;
  int high = -1;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      continue;
    if (high < 0) {
      high = d;
    } else {
      out.push_back(static_cast<uint8_t>(high << 4 | d));
      high = -1;
    }
  }
  return out;
}

inline std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> data;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
  }
  return data;
}

// Names of the regular files in dir, sorted.
inline std::vector<std::string> ListDirectory(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace bmptest
