// Exports a PPM (P6, maxval 255) picture as a GIF through the encoder core,
// the way Palvex does with the "Exact Palette": a gathering pass, then the
// writing pass, rows top first. Used by scripts/bench-gif-quality to compare
// our GIFs with other writers' natively; on Windows `vrixhost gif-export`
// does the same through the plug-in.
// Usage: gifexport [--adaptive] [--dither] IN.ppm OUT.gif
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/gifwriter/Palettes.h"
#include "plugin/gifwriter/encoder/GifEncoder.h"

namespace {

// Skips blanks and '#' comments between the header's fields.
int NextNumber(std::FILE* f) {
  int c = std::fgetc(f);
  while (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#') {
    if (c == '#')
      while (c != '\n' && c != EOF) c = std::fgetc(f);
    c = std::fgetc(f);
  }
  int v = 0, digits = 0;
  for (; c >= '0' && c <= '9'; c = std::fgetc(f), ++digits) v = v * 10 + (c - '0');
  return digits ? v : -1;
}

bool ReadPpm(const char* path, uint32_t* w, uint32_t* h, std::vector<uint8_t>* rgb) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char magic[2] = {};
  bool ok = std::fread(magic, 1, 2, f) == 2 && magic[0] == 'P' && magic[1] == '6';
  const int width = ok ? NextNumber(f) : -1, height = ok ? NextNumber(f) : -1;
  const int maxval = ok ? NextNumber(f) : -1;
  ok = width > 0 && height > 0 && width <= 65535 && height <= 65535 && maxval == 255;
  if (ok) {
    rgb->resize(size_t(width) * height * 3);
    ok = std::fread(rgb->data(), 1, rgb->size(), f) == rgb->size();
    *w = uint32_t(width);
    *h = uint32_t(height);
  }
  std::fclose(f);
  return ok;
}

gif::Status Pass(gif::GifEncoder& e, const gif::ImageDescription& d, const uint8_t* rgb) {
  gif::Status s = e.BeginImage(d);
  for (uint32_t y = 0; y < d.height && s == gif::kOk; ++y)
    s = e.ReceiveRow(y, rgb + size_t(y) * d.width * 3);
  return s == gif::kOk ? e.EndImage() : s;
}

}  // namespace

int main(int argc, char** argv) {
  bool adaptive = false, dither = false;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--adaptive") == 0) {
      adaptive = true;
    } else if (std::strcmp(argv[i], "--dither") == 0) {
      dither = true;
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.size() != 2) {
    std::fprintf(stderr, "usage: gifexport [--adaptive] [--dither] IN.ppm OUT.gif\n");
    return 2;
  }
  uint32_t w = 0, h = 0;
  std::vector<uint8_t> rgb;
  if (!ReadPpm(files[0], &w, &h, &rgb)) {
    std::fprintf(stderr, "gifexport: %s: not a P6 PPM of maxval 255\n", files[0]);
    return 1;
  }
  static gif::EncoderModuleState module;
  static gif::PaletteSpec web{};
  gif::BuildBuiltinPalette(gif::kChoiceWeb, &web);
  gif::GifEncoder encoder(&module, &web);
  encoder.options.dither = dither;
  encoder.options.adaptivePalette = adaptive;
  gif::ImageDescription d;
  d.width = w;
  d.height = h;
  d.kind = static_cast<int32_t>(gif::PixelKind::kRgb24);
  encoder.SetGathering(true);
  gif::Status s = Pass(encoder, d, rgb.data());
  encoder.SetGathering(false);
  gif::MemorySink sink;
  encoder.SetOutput(&sink);
  if (s == gif::kOk) s = Pass(encoder, d, rgb.data());
  std::FILE* out = s == gif::kOk ? std::fopen(files[1], "wb") : nullptr;
  if (!out || std::fwrite(sink.bytes.data(), 1, sink.bytes.size(), out) != sink.bytes.size()) {
    std::fprintf(stderr, "gifexport: %s: export failed (status 0x%08X)\n", files[1], unsigned(s));
    if (out) std::fclose(out);
    return 1;
  }
  std::fclose(out);
  return 0;
}
