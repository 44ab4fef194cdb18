// A strict reader for the KMV movies this program writes, for the kmvinfo
// tool and for tests. Every read is bounds-checked; a damaged file is
// rejected with KmvParseError naming the byte offset of the fault.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kmv {

class ParseError : public std::runtime_error {
 public:
  ParseError(uint32_t offset, const std::string& text);
  uint32_t Offset() const { return m_Offset; }

 private:
  uint32_t m_Offset;
};

struct Rect {
  uint32_t nBits = 0;
  int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

struct Matrix {
  bool hasScale = false;
  uint32_t scaleBits = 0;
  int32_t scaleX = 0, scaleY = 0;
  bool hasRotate = false;
  uint32_t rotateBits = 0;
  int32_t rotateSkew0 = 0, rotateSkew1 = 0;
  uint32_t translateBits = 0;
  int32_t translateX = 0, translateY = 0;
};

struct Color {
  uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct FillStyle {
  uint8_t type = 0;       // 0x00 solid, 0x10/0x12 gradient, 0x40..0x43 bitmap
  Color color;            // solid
  uint16_t bitmapId = 0;  // bitmap
  Matrix matrix;          // bitmap, gradient
  uint32_t gradientRecords = 0;
};

struct LineStyle {
  uint16_t width = 0;
  Color color;
};

struct ShapeRecord {
  enum Kind { kChange, kStraight, kCurve, kEnd } kind = kEnd;
  // Style change.
  bool newStyles = false, hasLineStyle = false, hasFill1 = false, hasFill0 = false, moveTo = false;
  uint32_t moveBits = 0;
  int32_t moveX = 0, moveY = 0;
  uint32_t fillStyle0 = 0, fillStyle1 = 0, lineStyle = 0;
  // Edges: nBits as stored (count field + 2); straight dx/dy (0 for the
  // absent one of a horizontal or vertical edge); curve control then anchor.
  uint32_t nBits = 0;
  bool general = false, vertical = false;
  int32_t dx = 0, dy = 0, anchorDx = 0, anchorDy = 0;
  uint32_t bitOffset = 0;  // bits from the start of the tag body
};

struct Shape {
  uint16_t id = 0;
  Rect bounds;
  std::vector<FillStyle> fills;
  std::vector<LineStyle> lines;
  uint32_t nFillBits = 0, nLineBits = 0;
  std::vector<ShapeRecord> records;
};

struct Bitmap {
  uint16_t id = 0;
  uint8_t format = 0;
  uint16_t width = 0, height = 0;
  uint32_t colorTableSize = 0;  // 0 for direct formats
  bool hasAlpha = false;
  uint32_t compressedSize = 0;
  std::vector<uint8_t> inflated;  // colour table, then the padded rows
};

struct Jpeg {
  uint16_t id = 0;
  uint32_t dataOffset = 0;  // in the file, after the FF D9 FF D8 prefix
  uint32_t dataSize = 0;    // without the 4-byte prefix and the FF D9 suffix
};

struct Place {
  uint8_t flags = 0;
  uint16_t depth = 0;
  bool hasCharacter = false;
  uint16_t characterId = 0;
  bool hasMatrix = false;
  Matrix matrix;
  bool hasRatio = false;
  uint16_t ratio = 0;
  bool hasClipDepth = false;
  uint16_t clipDepth = 0;
  bool hasName = false;
  std::string name;
};

struct Remove {
  uint16_t characterId = 0, depth = 0;
};

struct Tag {
  uint16_t code = 0;
  uint32_t offset = 0;      // of the tag header in the file
  uint32_t headerSize = 0;  // 2 or 6
  uint32_t length = 0;      // of the body
  Shape shape;              // code 32
  Bitmap bitmap;            // codes 20, 36
  Jpeg jpeg;                // code 21
  Place place;              // code 26
  Remove remove;            // code 5
};

struct Movie {
  std::string signature;
  uint8_t version = 0;
  uint32_t fileLength = 0;
  Rect frame;
  uint32_t headerSize = 0;
  uint16_t frameRate = 0;  // 8.8
  uint16_t frameCount = 0;
  std::vector<Tag> tags;
};

// Parses a whole movie; throws ParseError. A bitmap whose pixels would
// inflate to more than maxInflated bytes is rejected rather than allocated.
Movie Read(const std::vector<uint8_t>& bytes, uint64_t maxInflated = uint64_t(1) << 30);
// Reads the file and parses it; throws ParseError (offset 0 when the file
// cannot be read).
Movie ReadFile(const std::string& path);
// The readable listing printed by kmvinfo.
std::string Dump(const Movie& movie);
const char* TagName(uint16_t code);

}  // namespace kmv
