// Drives a GifEncoder the way the module does: an optional gathering pass,
// then the writing pass into memory.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/gifwriter/encoder/GifEncoder.h"
#include "plugin/gifwriter/encoder/tests/TestPalettes.h"

namespace giftest {

// One module's state and an encoder over the web palette, writing to memory.
struct Env {
  gif::EncoderModuleState module;
  gif::PaletteSpec web = giftest::WebPalette();
  gif::GifEncoder encoder{&module, &web};
  gif::MemorySink sink;
};

struct PushResult {
  gif::Status begin = 0;
  gif::Status rows = 0;  // first non-zero row status
  gif::Status end = 0;
  gif::Status First() const { return begin ? begin : rows ? rows : end; }
};

inline int BytesPerPixel(int kind) {
  return kind == 0 ? 3 : kind == 1 ? 4 : 1;
}

inline PushResult Push(gif::GifEncoder& e, const gif::ImageDescription& d,
                       const std::vector<uint8_t>& pixels) {
  PushResult r;
  r.begin = e.BeginImage(d);
  const size_t stride = size_t(d.width) * BytesPerPixel(d.kind);
  for (uint32_t y = 0; y < d.height; ++y) {
    // Each row in a buffer of its own size, so a read past it is caught.
    std::vector<uint8_t> row(pixels.begin() + y * stride, pixels.begin() + (y + 1) * stride);
    const gif::Status s = e.ReceiveRow(y, row.data());
    if (s != 0 && r.rows == 0) r.rows = s;
  }
  r.end = e.EndImage();
  return r;
}

// The export sequence's passes: gathering when the palette choice is 0.
inline PushResult Export(gif::GifEncoder& e, gif::ByteSink& sink, const gif::ImageDescription& d,
                         const std::vector<uint8_t>& pixels) {
  if (e.options.paletteChoice == 0) {
    e.SetGathering(true);
    PushResult g = Push(e, d, pixels);
    e.SetGathering(false);
    if (g.First() != 0) return g;
  }
  e.SetOutput(&sink);
  return Push(e, d, pixels);
}

inline gif::ImageDescription Describe(uint32_t w, uint32_t h, int kind) {
  gif::ImageDescription d;
  d.width = w;
  d.height = h;
  d.kind = kind;
  return d;
}

}  // namespace giftest
