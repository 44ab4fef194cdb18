// A table of exports whose bytes are pinned: what the encoder wrote before
// the adaptive palette existed. With that option off (and for pictures the
// exact palette holds, with it on) every one must stay byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/gifwriter/encoder/GifEncoder.h"
#include "plugin/gifwriter/encoder/tests/EncodeHelper.h"
#include "plugin/gifwriter/encoder/tests/TestPalettes.h"

namespace giftest {

struct PinnedExport {
  std::string name;
  int kind;    // 0 24-bit, 1 32-bit
  bool photo;  // photo-like (more than 256 colours), else the letter F
  bool dither, interlaced, transparent;
  int hostIndex;  // the transparent index the host flags, or -1
};

inline std::vector<PinnedExport> PinnedExports() {
  std::vector<PinnedExport> cases;
  const struct {
    bool dither, interlaced, transparent;
  } options[] = {
      {false, false, false}, {true, false, false}, {true, true, true}, {false, false, true}};
  for (int kind : {0, 1}) {
    for (bool photo : {true, false}) {
      for (const auto& o : options) {
        std::string name = std::string(photo ? "photo" : "letter") + (kind ? "32" : "24") +
                           (o.dither ? " dither" : "") + (o.interlaced ? " interlaced" : "") +
                           (o.transparent ? " transparent" : "");
        cases.push_back({name, kind, photo, o.dither, o.interlaced, o.transparent, -1});
      }
    }
  }
  cases.push_back({"photo24 host index 5", 0, true, false, false, true, 5});
  cases.push_back({"photo32 host index 250 dither", 1, true, true, false, true, 250});
  return cases;
}

// The picture of a case: 40 x 30; 32-bit photos have a clear square.
inline std::vector<uint8_t> PinnedPixels(const PinnedExport& c) {
  const int bpp = c.kind ? 4 : 3;
  std::vector<uint8_t> px = c.photo ? PhotoLike(40, 30, bpp, 7) : LetterF(40, 30, bpp);
  if (c.kind == 1 && c.photo) {
    for (int y = 4; y < 12; ++y)
      for (int x = 6; x < 16; ++x) px[(size_t(y) * 40 + x) * 4 + 3] = 0;
  }
  return px;
}

// Exports a case with a fresh module state; `configure` may set more
// options on the encoder before the export.
template <typename Configure>
std::vector<uint8_t> PinnedExportBytes(const PinnedExport& c, Configure configure) {
  gif::EncoderModuleState module;
  const gif::PaletteSpec web = WebPalette();
  gif::GifEncoder e(&module, &web);
  e.options.dither = c.dither;
  e.options.interlaced = c.interlaced;
  e.options.transparent = c.transparent;
  configure(e);
  gif::ImageDescription d = Describe(40, 30, c.kind);
  if (c.hostIndex >= 0) {
    d.hasTransparentIndex = true;
    d.transparentIndex = static_cast<int16_t>(c.hostIndex);
  }
  gif::MemorySink sink;
  if (Export(e, sink, d, PinnedPixels(c)).First() != 0) return {};
  return sink.bytes;
}

// FNV-1a, 64 bits.
inline uint64_t Digest(const std::vector<uint8_t>& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

}  // namespace giftest
