// Throughput of the encoder core against giflib (LZW) and Pillow (mapping to
// the web palette with dither). Not a test: it prints figures and ratios,
// medians of several rounds, for the same pixels. Times are processor time
// of this process (Pillow: of the Python process), which a busy machine
// disturbs less than wall time.
//
//   gifencoder_bench [ROUNDS] [WIDTH HEIGHT]
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "plugin/gifwriter/encoder/ColorMapper.h"
#include "plugin/gifwriter/encoder/GifEncoder.h"

namespace {

double Now() {
  return double(std::clock()) / CLOCKS_PER_SEC;
}

gif::PaletteSpec Web() {
  gif::PaletteSpec p = gif::MakeExplicitPalette();
  p.size = 216;
  p.transparentIndex = 215;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        p.entries[36 * r + 6 * g + b] = gif::MakeEntry(r * 51, g * 51, b * 51);
  return p;
}

// Smooth light and shade with fine texture and noise, like a photograph.
std::vector<uint8_t> Photo(int w, int h) {
  std::vector<uint8_t> px(size_t(w) * h * 3);
  uint32_t s = 2024;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      const int n = int(s >> 27) - 16;
      const int t = ((x / 7) ^ (y / 5)) & 15;
      auto c = [](int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
      uint8_t* p = &px[(size_t(y) * w + x) * 3];
      p[0] = c(x * 200 / w + 30 + t + n);
      p[1] = c(y * 180 / h + 40 - t + n / 2);
      p[2] = c(((x + 2 * y) * 160) / (w + 2 * h) + 50 + n);
    }
  }
  return px;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Memory {
  std::vector<uint8_t> bytes;
};

int GiflibWrite(GifFileType* f, const GifByteType* data, int n) {
  auto* m = static_cast<Memory*>(f->UserData);
  m->bytes.insert(m->bytes.end(), data, data + n);
  return n;
}

size_t EncodeWithGiflib(const std::vector<uint8_t>& indices, int w, int h,
                        const gif::PaletteSpec& pal) {
  Memory m;
  m.bytes.reserve(indices.size());
  int err = 0;
  GifFileType* f = EGifOpen(&m, GiflibWrite, &err);
  GifColorType colors[256] = {};
  for (uint32_t i = 0; i < pal.size; ++i) {
    colors[i] =
        GifColorType{GifByteType(pal.entries[i].red >> 8), GifByteType(pal.entries[i].green >> 8),
                     GifByteType(pal.entries[i].blue >> 8)};
  }
  ColorMapObject* map = GifMakeMapObject(256, colors);
  EGifPutScreenDesc(f, w, h, 8, 0, map);
  EGifPutImageDesc(f, 0, 0, w, h, false, nullptr);
  for (int y = 0; y < h; ++y) {
    EGifPutLine(f, const_cast<GifPixelType*>(&indices[size_t(y) * w]), w);
  }
  EGifCloseFile(f, &err);
  GifFreeMapObject(map);
  return m.bytes.size();
}

size_t EncodeWithOurs(const std::vector<uint8_t>& indices, int w, int h,
                      const gif::PaletteSpec& pal, gif::EncoderModuleState* module) {
  gif::GifEncoder e(module, &pal);
  gif::MemorySink sink;
  sink.bytes.reserve(indices.size());
  e.SetOutput(&sink);
  std::vector<gif::PaletteEntry> entries(pal.entries, pal.entries + 256);
  for (auto& en : entries) {  // the host's 8-bit palette uses the low bytes
    en.red >>= 8, en.green >>= 8, en.blue >>= 8;
  }
  gif::ImageDescription d;
  d.width = uint32_t(w);
  d.height = uint32_t(h);
  d.kind = 2;
  d.palette = entries.data();
  if (e.BeginImage(d) != 0) return 0;
  for (int y = 0; y < h; ++y) {
    if (e.ReceiveRow(uint32_t(y), &indices[size_t(y) * w]) != 0) return 0;
  }
  if (e.EndImage() != 0) return 0;
  return sink.bytes.size();
}

std::vector<uint8_t> MapOurs(const std::vector<uint8_t>& rgb, int w, int h,
                             const gif::PaletteSpec& pal, gif::NoiseGenerator& noise) {
  std::vector<uint8_t> out(size_t(w) * h);
  gif::ColorMapCache cache(&pal);
  gif::MapOptions o;
  o.dither = true;
  for (int y = 0; y < h; ++y) {
    o.row = uint32_t(y);
    gif::MapRow(&rgb[size_t(y) * w * 3], gif::PixelKind::kRgb24, size_t(w), &out[size_t(y) * w], o,
                cache, noise);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int w = argc > 3 ? std::atoi(argv[2]) : 4000;
  const int h = argc > 3 ? std::atoi(argv[3]) : 3000;
  const double megabytes8 = double(w) * h / 1e6;
  const double megabytes24 = 3.0 * w * h / 1e6;
  const gif::PaletteSpec web = Web();
  const std::vector<uint8_t> rgb = Photo(w, h);
  gif::EncoderModuleState module;

  // The 8-bit picture: the photo mapped to the web palette.
  std::vector<uint8_t> indices = MapOurs(rgb, w, h, web, module.noise);

  std::printf("picture %dx%d, %d rounds, medians\n", w, h, rounds);
  std::vector<double> ours, theirs;
  size_t oursSize = 0, theirsSize = 0;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = Now();
    oursSize = EncodeWithOurs(indices, w, h, web, &module);
    const double t1 = Now();
    theirsSize = EncodeWithGiflib(indices, w, h, web);
    const double t2 = Now();
    ours.push_back(t1 - t0);
    theirs.push_back(t2 - t1);
  }
  const double lzwOurs = megabytes8 / Median(ours), lzwGiflib = megabytes8 / Median(theirs);
  std::printf(
      "LZW 8-bit -> GIF in memory: ours %.1f MB/s (%zu bytes), giflib %.1f MB/s (%zu bytes), ratio "
      "%.2f\n",
      lzwOurs, oursSize, lzwGiflib, theirsSize, lzwOurs / lzwGiflib);

  std::vector<double> mapping;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = Now();
    std::vector<uint8_t> out = MapOurs(rgb, w, h, web, module.noise);
    mapping.push_back(Now() - t0);
    if (out != indices) {
      std::printf("mapping is not repeatable\n");
      return 1;
    }
  }
  const double mapOurs = megabytes24 / Median(mapping);

  // Pillow, timed inside Python on the same pixels.
  const std::string raw = "/tmp/gifencoder_bench_photo.rgb";
  if (FILE* f = std::fopen(raw.c_str(), "wb")) {
    std::fwrite(rgb.data(), 1, rgb.size(), f);
    std::fclose(f);
  }
  const std::string script =
      "import sys,time\n"
      "from PIL import Image\n"
      "w,h,rounds=int(sys.argv[2]),int(sys.argv[3]),int(sys.argv[4])\n"
      "im=Image.frombytes('RGB',(w,h),open(sys.argv[1],'rb').read())\n"
      "pal=Image.new('P',(1,1))\n"
      "p=[]\n"
      "for r in range(6):\n"
      "  for g in range(6):\n"
      "    for b in range(6): p+= [r*51,g*51,b*51]\n"
      "pal.putpalette(p+[0]*(768-len(p)))\n"
      "t=[]\n"
      "for i in range(rounds):\n"
      "  t0=time.process_time(); im.quantize(palette=pal,dither=Image.Dither.FLOYDSTEINBERG); "
      "t.append(time.process_time()-t0)\n"
      "t.sort(); print(t[len(t)//2])\n";
  const std::string scriptPath = "/tmp/gifencoder_bench_pillow.py";
  if (FILE* f = std::fopen(scriptPath.c_str(), "w")) {
    std::fputs(script.c_str(), f);
    std::fclose(f);
  }
  const std::string cmd = "/usr/bin/python3 " + scriptPath + " " + raw + " " + std::to_string(w) +
                          " " + std::to_string(h) + " " + std::to_string(rounds);
  double pillowSeconds = 0;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    if (std::fscanf(p, "%lf", &pillowSeconds) != 1) pillowSeconds = 0;
    pclose(p);
  }
  std::remove(raw.c_str());
  std::remove(scriptPath.c_str());
  if (pillowSeconds > 0) {
    const double mapPillow = megabytes24 / pillowSeconds;
    std::printf("24-bit -> web palette with dither: ours %.1f MB/s, Pillow %.1f MB/s, ratio %.2f\n",
                mapOurs, mapPillow, mapOurs / mapPillow);
  } else {
    std::printf("24-bit -> web palette with dither: ours %.1f MB/s, Pillow not available\n",
                mapOurs);
  }
  return 0;
}
