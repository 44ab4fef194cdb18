// The palette description exchanged between the encoder, its options and its
// dialog, and with the host. Its byte layout is fixed (little-endian, 2068
// bytes), so it is a plain record.
#pragma once

#include <cstdint>

namespace gif {

constexpr uint32_t kPaletteKindExact = 0;     // gather the colours from the image
constexpr uint32_t kPaletteKindExplicit = 2;  // use the entries below
constexpr uint32_t kPaletteCapacity = 256;

// Components are 16-bit: an 8-bit component c is stored as c * 257, so the
// high byte is the 8-bit value.
struct PaletteEntry {
  uint16_t value;
  uint16_t red;
  uint16_t green;
  uint16_t blue;
};

struct PaletteSpec {
  uint32_t kind;
  uint16_t one;               // always 1
  uint16_t bitsPerComponent;  // always 8
  int16_t transparentIndex;
  uint16_t transparent;  // 1 or 0
  uint32_t size;         // colours in use, 0-256
  uint32_t capacity;     // 256
  PaletteEntry entries[kPaletteCapacity];
};

static_assert(sizeof(PaletteEntry) == 8, "palette entry is 8 bytes");
static_assert(sizeof(PaletteSpec) == 2068, "PaletteSpec is exchanged as 2068 bytes");

// An explicit palette with no colours yet.
inline PaletteSpec MakeExplicitPalette() {
  PaletteSpec p{};
  p.kind = kPaletteKindExplicit;
  p.one = 1;
  p.bitsPerComponent = 8;
  p.capacity = kPaletteCapacity;
  return p;
}

inline PaletteEntry MakeEntry(uint8_t r, uint8_t g, uint8_t b) {
  return PaletteEntry{0, static_cast<uint16_t>(r * 257), static_cast<uint16_t>(g * 257),
                      static_cast<uint16_t>(b * 257)};
}

}  // namespace gif
