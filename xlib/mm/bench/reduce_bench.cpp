// Benchmark of colour reduction (native, optimised build):
//   reduce_bench make-photo FILE W H   writes a photo-like 24-bit BMP
//   reduce_bench reduce FILE ROUNDS    the saver's reduction of the loaded
//                                      picture to a 256-entry palette display
//                                      with 20 reserved colours (236 free),
//                                      timed in the process: prints one line
//                                      "wall processor" in seconds per round
//   reduce_bench process IN OUT        the whole job as one process: read IN,
//                                      reduce it as above, write OUT as an
//                                      8-bit BMP (timed from outside)
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"
#include "xlib/mm/xdisplay.h"
#include "xlib/mm/xdither.h"

namespace {

double Seconds(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

uint32_t Hash(uint32_t x, uint32_t y) {
  uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}

uint8_t Clamp(double v) {
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5);
}

// A landscape: a sky graded towards the horizon with a sun, hills whose
// outline waves, grass and rock with fine grain, and sensor noise of a few
// levels everywhere, so that neighbouring pixels rarely repeat exactly.
void PhotoPixel(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint8_t* bgr) {
  const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;  // v 0 at the top
  const double horizon = 0.55 + 0.06 * std::sin(u * 9.0) + 0.03 * std::sin(u * 23.0 + 1.0);
  const double noise = static_cast<double>(Hash(x, y) & 7) - 3.5;
  double r, g, b;
  if (v < horizon) {
    const double t = v / horizon;
    r = 70 + 120 * t;
    g = 120 + 90 * t;
    b = 230 - 30 * t;
    const double dx = u - 0.72, dy = v - 0.22;
    const double sun = std::exp(-(dx * dx + dy * dy) * 180.0);
    r += 180 * sun;
    g += 160 * sun;
    b += 60 * sun;
  } else {
    const double t = (v - horizon) / (1.0 - horizon);
    const double grain = static_cast<double>((Hash(x / 3, y / 3) >> 8) & 31) - 16.0;
    const bool rock = std::sin(u * 31.0 + v * 17.0) > 0.75;
    if (rock) {
      r = 120 + 40 * t + grain;
      g = 110 + 30 * t + grain;
      b = 100 + 20 * t + grain;
    } else {
      r = 60 + 60 * t + grain * 0.6;
      g = 120 + 50 * t + grain;
      b = 40 + 20 * t + grain * 0.4;
    }
  }
  bgr[0] = Clamp(b + noise);
  bgr[1] = Clamp(g + noise);
  bgr[2] = Clamp(r + noise);
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

std::vector<uint8_t> Headers(uint32_t w, uint32_t h, int bits, uint32_t rowBytes,
                             const RGBQUAD* table, uint32_t entries) {
  std::vector<uint8_t> v = {'B', 'M'};
  const uint32_t offset = 54 + 4 * entries;
  Put32(v, offset + rowBytes * h);
  Put32(v, 0);
  Put32(v, offset);
  Put32(v, 40);
  Put32(v, w);
  Put32(v, h);
  Put16(v, 1);
  Put16(v, static_cast<uint32_t>(bits));
  Put32(v, 0);
  Put32(v, rowBytes * h);
  Put32(v, 2835);
  Put32(v, 2835);
  Put32(v, entries);
  Put32(v, 0);
  for (uint32_t i = 0; i < entries; ++i) {
    v.push_back(table[i].rgbBlue);
    v.push_back(table[i].rgbGreen);
    v.push_back(table[i].rgbRed);
    v.push_back(0);
  }
  return v;
}

int MakePhoto(const char* path, uint32_t w, uint32_t h) {
  const uint32_t rowBytes = (3 * w + 3) & ~3u;
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return 1;
  const std::vector<uint8_t> head = Headers(w, h, 24, rowBytes, nullptr, 0);
  std::fwrite(head.data(), 1, head.size(), f);
  std::vector<uint8_t> row(rowBytes, 0);
  for (uint32_t y = 0; y < h; ++y) {
    // Stored bottom-up.
    for (uint32_t x = 0; x < w; ++x) PhotoPixel(x, h - 1 - y, w, h, &row[3 * x]);
    std::fwrite(row.data(), 1, rowBytes, f);
  }
  return std::fclose(f) == 0 ? 0 : 1;
}

int Load(const char* path, XDIB* dib) {
  std::memset(dib, 0, sizeof *dib);
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return 1;
  XDibStdioSource src(f);
  const int rc = xdibReadFrom(dib, src, true);
  std::fclose(f);
  return rc;
}

// The saver's preparation on a 256-entry palette display whose 20 reserved
// colours are the usual static ones.
XDisplayDescription SaverDisplay() {
  static const uint8_t kStatic[20][3] = {
      {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
      {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
      {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
      {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  XDisplayDescription d;
  d.hasPalette = true;
  d.paletteSize = 256;
  d.numColors = 20;
  d.numReserved = 20;
  for (int i = 0; i < 256; ++i) d.systemPalette[i] = PALETTEENTRY{0, 0, 0, 0};
  for (int i = 0; i < 10; ++i) {
    d.systemPalette[i] = PALETTEENTRY{kStatic[i][0], kStatic[i][1], kStatic[i][2], 0};
    d.systemPalette[246 + i] =
        PALETTEENTRY{kStatic[10 + i][0], kStatic[10 + i][1], kStatic[10 + i][2], 0};
  }
  return d;
}

int Reduce(XDIB* dib, XCUBE* cube) {
  XDisplayDescription display = SaverDisplay();
  XDisplayScope use(display);
  std::memset(cube, 0, sizeof *cube);
  if (xcubeCreate(cube, 0, 0) != XERR_OK) return 1;
  if (xcubeAddDib(cube, dib) != XERR_OK) return 1;
  if (!xcubeMakePalette(cube, 0, 1)) return 1;
  if (xdibTo24Bit(dib) != XERR_OK) return 1;
  XDITHER d;
  std::memset(&d, 0, sizeof d);
  int rc = xditherInit(&d, cube, 0, 6, 6, 6, 2);
  if (rc == XERR_OK) rc = xditherDib(&d, dib);
  xditherFree(&d);
  return rc == XERR_OK ? 0 : 1;
}

int ReduceRounds(const char* path, int rounds) {
  XDIB original;
  if (Load(path, &original) != XERR_OK) return 1;
  const size_t bytes = static_cast<size_t>(original.rowBytes) * original.bmiHeader.biHeight;
  for (int i = 0; i < rounds; ++i) {
    XDIB dib = original;
    dib.bits = static_cast<uint8_t*>(std::malloc(bytes));
    std::memcpy(dib.bits, original.bits, bytes);
    XCUBE cube;
    const double w0 = Seconds(CLOCK_MONOTONIC), p0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    const int rc = Reduce(&dib, &cube);
    const double w1 = Seconds(CLOCK_MONOTONIC), p1 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    xcubeFree(&cube);
    xdibFree(&dib);
    if (rc) return 1;
    std::printf("%.6f %.6f\n", w1 - w0, p1 - p0);
  }
  xdibFree(&original);
  return 0;
}

int Process(const char* in, const char* out) {
  XDIB dib;
  if (Load(in, &dib) != XERR_OK) return 1;
  XCUBE cube;
  if (Reduce(&dib, &cube)) return 1;
  const BITMAPINFOHEADER& h = dib.bmiHeader;
  const uint32_t entries = cube.logpal->palNumEntries;
  const std::vector<uint8_t> head =
      Headers(static_cast<uint32_t>(h.biWidth), static_cast<uint32_t>(h.biHeight), h.biBitCount,
              dib.rowBytes, dib.palette, entries);
  std::FILE* f = std::fopen(out, "wb");
  if (!f) return 1;
  std::fwrite(head.data(), 1, head.size(), f);
  std::fwrite(dib.bits, 1, static_cast<size_t>(dib.rowBytes) * h.biHeight, f);
  xcubeFree(&cube);
  xdibFree(&dib);
  return std::fclose(f) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "make-photo" && argc == 5)
    return MakePhoto(argv[2], static_cast<uint32_t>(std::atoi(argv[3])),
                     static_cast<uint32_t>(std::atoi(argv[4])));
  if (cmd == "reduce" && argc == 4) return ReduceRounds(argv[2], std::atoi(argv[3]));
  if (cmd == "process" && argc == 4) return Process(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: reduce_bench make-photo FILE W H | reduce FILE ROUNDS | process IN OUT\n");
  return 2;
}
