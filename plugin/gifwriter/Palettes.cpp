#include "plugin/gifwriter/Palettes.h"

#include <cstring>
#include <initializer_list>

namespace gif {
namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return r << 16 | g << 8 | b;
}

struct MacintoshTable {
  uint32_t colors[256];
  constexpr MacintoshTable() : colors() {
    // 6x6x6 cube from FF down to 00, red slowest, blue next, green fastest;
    // its last colour (black) closes the table instead.
    int i = 0;
    for (int r = 0; r < 6; ++r)
      for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
          if (i < 215) colors[i++] = Rgb(255 - 51 * r, 255 - 51 * g, 255 - 51 * b);
    const uint32_t ramp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
    for (uint32_t v : ramp) colors[i++] = Rgb(v, 0, 0);
    for (uint32_t v : ramp) colors[i++] = Rgb(0, 0, v);
    for (uint32_t v : ramp) colors[i++] = Rgb(0, v, 0);
    for (uint32_t v : ramp) colors[i++] = Rgb(v, v, v);
    colors[i] = 0x000000;
  }
};

// Only the first and last ten colours of the Windows system palette are
// fixed. The 236 between them are our choice: a 6x6x6 cube (levels 00, 33,
// 66, 99, CC, FF) followed by a 20-step grey ramp (k * 255 / 21, k = 1..20),
// both in the channel order of the fixed entries: red fastest, then blue,
// then green.
struct WindowsTable {
  uint32_t colors[256];
  constexpr WindowsTable() : colors() {
    const uint32_t first[10] = {0x000000, 0x800000, 0x000080, 0x800080, 0x008000,
                                0x808000, 0x008080, 0x808080, 0xC0C0DC, 0xA6F0CA};
    const uint32_t last[10] = {0xFFF0FB, 0xA0A4A0, 0x808080, 0xFF0000, 0x0000FF,
                               0xFF00FF, 0x00FF00, 0xFFFF00, 0x00FFFF, 0xFFFFFF};
    int i = 0;
    for (uint32_t c : first) colors[i++] = c;
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        for (int r = 0; r < 6; ++r) colors[i++] = Rgb(51 * r, 51 * g, 51 * b);
    for (uint32_t k = 1; k <= 20; ++k) {
      const uint32_t v = k * 255 / 21;
      colors[i++] = Rgb(v, v, v);
    }
    for (uint32_t c : last) colors[i++] = c;
  }
};

constexpr uint32_t kSixteenColors[16] = {0x000000, 0xBF0000, 0x0000BF, 0xBF00BF, 0x00BF00, 0xBFBF00,
                                         0x00BFBF, 0xC0C0C0, 0x808080, 0xFF0000, 0x0000FF, 0xFF00FF,
                                         0x00FF00, 0xFFFF00, 0x00FFFF, 0xFFFFFF};
constexpr MacintoshTable kMacintosh;
constexpr WindowsTable kWindows;

void SetEntry(PaletteSpec* palette, int index, uint32_t rgb) {
  palette->entries[index] = MakeEntry(static_cast<uint8_t>(rgb >> 16),
                                      static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
}

// A 3-bit level k spread over 8 bits by repeating its bits.
uint32_t Level3(uint32_t k) {
  return (k * 32) | (k * 4) | (k / 2);
}

}  // namespace

bool BuildBuiltinPalette(int32_t choice, PaletteSpec* palette) {
  if (choice < 0 || choice >= kBuiltinChoiceCount) return false;
  if (choice == kChoiceExact) {
    palette->kind = kPaletteKindExact;
    palette->size = 0;
    return true;
  }
  const uint16_t transparent = palette->transparent;
  *palette = MakeExplicitPalette();
  palette->transparent = transparent;
  int size = 0;
  switch (choice) {
    case kChoiceWeb:
      for (uint32_t r = 0; r < 6; ++r)
        for (uint32_t g = 0; g < 6; ++g)
          for (uint32_t b = 0; b < 6; ++b) SetEntry(palette, size++, Rgb(51 * r, 51 * g, 51 * b));
      break;
    case kChoice64:
      for (uint32_t r = 0; r < 4; ++r)
        for (uint32_t g = 0; g < 4; ++g)
          for (uint32_t b = 0; b < 4; ++b) SetEntry(palette, size++, Rgb(85 * r, 85 * g, 85 * b));
      break;
    case kChoice32: {
      const uint32_t level[3] = {0, 127, 255};
      for (uint32_t r : level)
        for (uint32_t g : level)
          for (uint32_t b : level) SetEntry(palette, size++, Rgb(r, g, b));
      for (uint32_t v : {51u, 102u, 153u, 170u, 204u}) SetEntry(palette, size++, Rgb(v, v, v));
      break;
    }
    case kChoice16:
      for (uint32_t c : kSixteenColors) SetEntry(palette, size++, c);
      break;
    case kChoiceMacintosh:
      for (uint32_t c : kMacintosh.colors) SetEntry(palette, size++, c);
      break;
    case kChoiceWindows:
      for (uint32_t c : kWindows.colors) SetEntry(palette, size++, c);
      break;
    case kChoice332:
      for (uint32_t r = 0; r < 8; ++r)
        for (uint32_t g = 0; g < 8; ++g)
          for (uint32_t b = 0; b < 4; ++b)
            SetEntry(palette, size++, Rgb(Level3(r), Level3(g), 85 * b));
      break;
  }
  palette->size = static_cast<uint32_t>(size);
  // The last colour of each table is its transparent index, except the two
  // system palettes (0) and 3-3-2 (32).
  palette->transparentIndex =
      static_cast<int16_t>(choice == kChoiceMacintosh || choice == kChoiceWindows ? 0
                           : choice == kChoice332                                 ? 32
                                                                                  : size - 1);
  return true;
}

}  // namespace gif
