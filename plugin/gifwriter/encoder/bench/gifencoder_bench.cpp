// Throughput of the encoder core against giflib (LZW) and Pillow (mapping to
// the web palette with dither). Not a test: it prints figures and ratios,
// medians of several rounds, for the same pixels, ours and theirs taking
// turns at going first. Times are processor time of this process (Pillow:
// of the Python process), which a busy machine disturbs less than wall time.
// Beside each time: the peak resident set of one run (from getrusage), what
// that run added to the process, and the picture's own size.
//
// LZW is measured on three 8-bit pictures: the photo-like one mapped to the
// web palette, a flat one (large areas of one colour) and a noisy one
// (every pixel drawn at random).
//
//   gifencoder_bench [ROUNDS] [WIDTH HEIGHT]
#include <gif_lib.h>
#include <sys/resource.h>

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
// Row y of it into row (w pixels); s carries the noise from row to row.
void PhotoRow(int w, int h, int y, uint32_t& s, uint8_t* row) {
  for (int x = 0; x < w; ++x) {
    s = s * 1103515245u + 12345u;
    const int n = int(s >> 27) - 16;
    const int t = ((x / 7) ^ (y / 5)) & 15;
    auto c = [](int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    uint8_t* p = row + size_t(x) * 3;
    p[0] = c(x * 200 / w + 30 + t + n);
    p[1] = c(y * 180 / h + 40 - t + n / 2);
    p[2] = c(((x + 2 * y) * 160) / (w + 2 * h) + 50 + n);
  }
}

std::vector<uint8_t> Photo(int w, int h) {
  std::vector<uint8_t> px(size_t(w) * h * 3);
  uint32_t s = 2024;
  for (int y = 0; y < h; ++y) PhotoRow(w, h, y, s, &px[size_t(y) * w * 3]);
  return px;
}

// A flat picture: rectangles of one colour each.
std::vector<uint8_t> Flat(int w, int h) {
  std::vector<uint8_t> px(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[size_t(y) * w + x] = uint8_t((x / 500 + y / 400 * 8) % 216);
  return px;
}

// A noisy picture: every index drawn at random.
std::vector<uint8_t> Noisy(int w, int h) {
  std::vector<uint8_t> px(size_t(w) * h);
  uint32_t s = 99;
  for (uint8_t& v : px) {
    s = s * 1664525u + 1013904223u;
    v = uint8_t((s >> 24) % 216);
  }
  return px;
}

// Peak resident set of one run, and what the run added to it, in MB. Each
// is measured in a fresh process of this program ("--memory WHAT W H"),
// which makes only the picture the run needs: in this process, memory freed
// by earlier rounds would be reused and hide what a run takes.
struct MemoryUse {
  double peak = 0;
  double added = 0;
};

MemoryUse MeasureMemory(const char* self, const std::string& what, int w, int h) {
  std::fflush(stdout);
  const std::string cmd =
      std::string(self) + " --memory " + what + " " + std::to_string(w) + " " + std::to_string(h);
  MemoryUse m;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    if (std::fscanf(p, "%lf %lf", &m.peak, &m.added) != 2) m = MemoryUse{};
    pclose(p);
  }
  return m;
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

// The child of MeasureMemory: one run of `what` on a picture made here.
int RunForMemory(const std::string& what, int w, int h) {
  const gif::PaletteSpec web = Web();
  gif::EncoderModuleState module;
  std::vector<uint8_t> indices;
  std::vector<uint8_t> rgb;
  const std::string picture = what.substr(what.find(':') + 1);
  if (what.rfind("map", 0) == 0) {
    rgb = Photo(w, h);
  } else if (picture == "photo-like") {
    // The same indices as MapOurs gives, made a row at a time so that the
    // 24-bit picture never takes memory here.
    indices.resize(size_t(w) * h);
    std::vector<uint8_t> row(size_t(w) * 3);
    gif::ColorMapCache cache(&web);
    gif::MapOptions o;
    o.dither = true;
    uint32_t seed = 2024;
    for (int y = 0; y < h; ++y) {
      PhotoRow(w, h, y, seed, row.data());
      o.row = uint32_t(y);
      gif::MapRow(row.data(), gif::PixelKind::kRgb24, size_t(w), &indices[size_t(y) * w], o, cache,
                  module.noise);
    }
  } else if (picture == "flat") {
    indices = Flat(w, h);
  } else if (picture == "noisy") {
    indices = Noisy(w, h);
  }
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  if (what.rfind("ours:", 0) == 0) {
    EncodeWithOurs(indices, w, h, web, &module);
  } else if (what.rfind("giflib:", 0) == 0) {
    EncodeWithGiflib(indices, w, h, web);
  } else {
    MapOurs(rgb, w, h, web, module.noise);
  }
  getrusage(RUSAGE_SELF, &after);
  std::printf("%.1f %.1f\n", after.ru_maxrss / 1024.0,
              (after.ru_maxrss - before.ru_maxrss) / 1024.0);
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--memory")
    return RunForMemory(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int w = argc > 3 ? std::atoi(argv[2]) : 4000;
  const int h = argc > 3 ? std::atoi(argv[3]) : 3000;
  const double megabytes8 = double(w) * h / 1e6;
  const double megabytes24 = 3.0 * w * h / 1e6;
  const gif::PaletteSpec web = Web();
  const std::vector<uint8_t> rgb = Photo(w, h);
  gif::EncoderModuleState module;

  std::printf(
      "pictures %dx%d, %d rounds, medians; memory: peak resident of one run (added by "
      "the run), picture size\n",
      w, h, rounds);
  // The 8-bit pictures: the photo mapped to the web palette, a flat one, a
  // noisy one.
  struct Picture {
    const char* name;
    std::vector<uint8_t> indices;
  };
  const Picture pictures[] = {{"photo-like", MapOurs(rgb, w, h, web, module.noise)},
                              {"flat", Flat(w, h)},
                              {"noisy", Noisy(w, h)}};
  for (const Picture& pic : pictures) {
    std::vector<double> ours, theirs;
    size_t oursSize = 0, theirsSize = 0;
    for (int r = 0; r < rounds; ++r) {
      for (int turn = 0; turn < 2; ++turn) {
        const bool oursNow = (turn == 0) == (r % 2 == 0);
        const double t0 = Now();
        if (oursNow) {
          oursSize = EncodeWithOurs(pic.indices, w, h, web, &module);
          ours.push_back(Now() - t0);
        } else {
          theirsSize = EncodeWithGiflib(pic.indices, w, h, web);
          theirs.push_back(Now() - t0);
        }
      }
    }
    const MemoryUse oursMemory = MeasureMemory(argv[0], std::string("ours:") + pic.name, w, h);
    const MemoryUse theirsMemory = MeasureMemory(argv[0], std::string("giflib:") + pic.name, w, h);
    const double lzwOurs = megabytes8 / Median(ours), lzwGiflib = megabytes8 / Median(theirs);
    std::printf(
        "LZW 8-bit %s -> GIF in memory: ours %.1f MB/s (%zu bytes), giflib %.1f MB/s (%zu bytes), "
        "ratio %.2f (goal: at least 1.5)\n",
        pic.name, lzwOurs, oursSize, lzwGiflib, theirsSize, lzwOurs / lzwGiflib);
    std::printf("  memory: ours %.1f MB (+%.1f), giflib %.1f MB (+%.1f), picture %.1f MB\n",
                oursMemory.peak, oursMemory.added, theirsMemory.peak, theirsMemory.added,
                megabytes8);
  }
  const std::vector<uint8_t>& indices = pictures[0].indices;

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
  const MemoryUse mapMemory = MeasureMemory(argv[0], "map:photo-like", w, h);

  // Pillow, timed inside Python on the same pixels, its rounds taking turns
  // with ours above and below.
  const std::string raw = "/tmp/gifencoder_bench_photo.rgb";
  if (FILE* f = std::fopen(raw.c_str(), "wb")) {
    std::fwrite(rgb.data(), 1, rgb.size(), f);
    std::fclose(f);
  }
  const std::string script =
      "import resource,sys,time\n"
      "from PIL import Image\n"
      "w,h,rounds=int(sys.argv[2]),int(sys.argv[3]),int(sys.argv[4])\n"
      "im=Image.frombytes('RGB',(w,h),open(sys.argv[1],'rb').read())\n"
      "pal=Image.new('P',(1,1))\n"
      "p=[]\n"
      "for r in range(6):\n"
      "  for g in range(6):\n"
      "    for b in range(6): p+= [r*51,g*51,b*51]\n"
      "pal.putpalette(p+[0]*(768-len(p)))\n"
      "before=resource.getrusage(resource.RUSAGE_SELF).ru_maxrss\n"
      "t=[]\n"
      "for i in range(rounds):\n"
      "  t0=time.process_time(); im.quantize(palette=pal,dither=Image.Dither.FLOYDSTEINBERG); "
      "t.append(time.process_time()-t0)\n"
      "after=resource.getrusage(resource.RUSAGE_SELF).ru_maxrss\n"
      "t.sort(); print(t[len(t)//2], after/1024, (after-before)/1024)\n";
  const std::string scriptPath = "/tmp/gifencoder_bench_pillow.py";
  if (FILE* f = std::fopen(scriptPath.c_str(), "w")) {
    std::fputs(script.c_str(), f);
    std::fclose(f);
  }
  const std::string cmd = "/usr/bin/python3 " + scriptPath + " " + raw + " " + std::to_string(w) +
                          " " + std::to_string(h) + " " + std::to_string(rounds);
  double pillowSeconds = 0, pillowPeak = 0, pillowAdded = 0;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    if (std::fscanf(p, "%lf %lf %lf", &pillowSeconds, &pillowPeak, &pillowAdded) != 3) {
      pillowSeconds = 0;
    }
    pclose(p);
  }
  for (int r = 0; r < rounds; ++r) {
    const double t0 = Now();
    MapOurs(rgb, w, h, web, module.noise);
    mapping.push_back(Now() - t0);
  }
  const double mapOursAll = megabytes24 / Median(mapping);
  std::remove(raw.c_str());
  std::remove(scriptPath.c_str());
  (void)mapOurs;
  if (pillowSeconds > 0) {
    const double mapPillow = megabytes24 / pillowSeconds;
    std::printf(
        "24-bit photo-like -> web palette with dither: ours %.1f MB/s, Pillow %.1f MB/s, ratio "
        "%.2f (goal: at least 2.5)\n",
        mapOursAll, mapPillow, mapOursAll / mapPillow);
    std::printf(
        "  memory: ours %.1f MB (+%.1f), Pillow's process %.1f MB (+%.1f), picture %.1f MB in, "
        "%.1f MB out\n",
        mapMemory.peak, mapMemory.added, pillowPeak, pillowAdded, megabytes24, megabytes8);
  } else {
    std::printf("24-bit -> web palette with dither: ours %.1f MB/s, Pillow not available\n",
                mapOursAll);
  }
  return 0;
}
