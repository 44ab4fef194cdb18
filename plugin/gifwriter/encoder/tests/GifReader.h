// A small, strict GIF reader for the tests: it splits a file into its blocks
// and decodes the LZW data on its own, so the encoder is checked against an
// independent decoder, and records what it saw (code widths, clear codes,
// packet sizes) for the tests on the coder itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace giftest {

struct DecodedImage {
  // Graphic control extension (present when hasControl).
  bool hasControl = false;
  uint8_t controlPacked = 0;
  uint16_t delay = 0;
  uint8_t controlIndex = 0;
  // Image descriptor.
  uint16_t left = 0, top = 0, width = 0, height = 0;
  uint8_t packed = 0;
  std::vector<uint8_t> localTable;  // 3 bytes per entry
  uint8_t minCodeSize = 0;
  std::vector<uint8_t> indices;  // in stream order (interlaced: as stored)
  // What the coder did.
  std::vector<int> packetSizes;
  int maxCodeWidth = 0;
  int clearCodes = 0;  // including the leading one
  int codes = 0;
  bool sawEndCode = false;
  size_t dataEnd = 0;  // offset just past the 0x00 block terminator
};

struct DecodedGif {
  bool ok = false;
  std::string error;
  uint16_t screenWidth = 0, screenHeight = 0;
  uint8_t screenPacked = 0;
  std::vector<uint8_t> globalTable;
  bool hasLoop = false;
  std::vector<DecodedImage> images;
  bool trailerLast = false;  // 0x3B is the very last byte
};

DecodedGif ReadGif(const std::vector<uint8_t>& bytes);

// Decodes one LZW stream (the sub-block data already joined).
bool DecodeLzw(const std::vector<uint8_t>& data, int minCodeSize, size_t pixels,
               DecodedImage* image, std::string* error);

}  // namespace giftest
