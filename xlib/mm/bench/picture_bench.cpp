// Benchmarks of the picture path (native, optimised build):
//   picture_bench make-rle8 FILE W H   writes an RLE8 BMP of a photo-like picture
//   picture_bench decode FILE          reads and decodes a BMP (timed as a process)
//   picture_bench decode-inner FILE    the RLE8 decoder alone into a touched block
//   picture_bench fresh-block BYTES    only takes a zeroed block and touches each
//                                      page: what a decoded picture of that size
//                                      costs a process before any decoding
//   picture_bench convert [RUNS]       a 640 x 480 8-bit picture to a movie versus
//                                      compress2 at level 9 of the same table and rows
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "moviewriter/convert/PictureToMovie.h"
#include "xlib/mm/xdib.h"

namespace {

// Smooth areas with long runs, broken by a band of detail that needs
// literal runs, like a photo reduced to 256 colours.
uint8_t PhotoPixel(uint32_t x, uint32_t y) {
  if ((y / 64) % 4 == 3) return static_cast<uint8_t>((x * 7 + y * 13) ^ (x >> 3));
  return static_cast<uint8_t>(x / 16 + y / 12);
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

void EncodeRow(const uint8_t* row, uint32_t w, std::vector<uint8_t>& out) {
  uint32_t i = 0;
  while (i < w) {
    uint32_t j = i;
    while (j < w && row[j] == row[i] && j - i < 255) ++j;
    if (j - i >= 2) {
      out.push_back(static_cast<uint8_t>(j - i));
      out.push_back(row[i]);
      i = j;
      continue;
    }
    uint32_t k = i;
    while (k < w && (k + 1 >= w || row[k] != row[k + 1]) && k - i < 255) ++k;
    const uint32_t n = k - i;
    if (n >= 3) {
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), row + i, row + k);
      if (n & 1) out.push_back(0);
    } else {
      for (uint32_t t = i; t < k; ++t) {
        out.push_back(1);
        out.push_back(row[t]);
      }
    }
    i = k;
  }
}

int MakeRle8(const char* path, uint32_t w, uint32_t h) {
  std::vector<uint8_t> data;
  std::vector<uint8_t> row(w);
  for (uint32_t y = 0; y < h; ++y) {  // stored bottom row first
    for (uint32_t x = 0; x < w; ++x) row[x] = PhotoPixel(x, h - 1 - y);
    EncodeRow(row.data(), w, data);
    data.push_back(0);
    data.push_back(y + 1 == h ? 1 : 0);
  }
  std::vector<uint8_t> f = {'B', 'M'};
  const uint32_t off = 54 + 1024;
  Put32(f, off + static_cast<uint32_t>(data.size()));
  Put32(f, 0);
  Put32(f, off);
  Put32(f, 40);
  Put32(f, w);
  Put32(f, h);
  Put16(f, 1);
  Put16(f, 8);
  Put32(f, 1);
  Put32(f, static_cast<uint32_t>(data.size()));
  Put32(f, 2835);
  Put32(f, 2835);
  Put32(f, 256);
  Put32(f, 0);
  for (uint32_t i = 0; i < 256; ++i) {
    f.push_back(static_cast<uint8_t>(i));
    f.push_back(static_cast<uint8_t>(255 - i));
    f.push_back(static_cast<uint8_t>(i * 3));
    f.push_back(0);
  }
  f.insert(f.end(), data.begin(), data.end());
  FILE* out = std::fopen(path, "wb");
  if (!out) return 1;
  std::fwrite(f.data(), 1, f.size(), out);
  std::fclose(out);
  return 0;
}

int Decode(const char* path) {
  FILE* in = std::fopen(path, "rb");
  if (!in) return 1;
  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  XDibStdioSource src(in);
  const int rc = xdibReadFrom(&dib, src, true);
  std::fclose(in);
  if (rc == XERR_OK) {
    // Keep the work observable.
    std::printf("%d x %d, first byte %u\n", static_cast<int>(dib.bmiHeader.biWidth),
                static_cast<int>(dib.bmiHeader.biHeight), dib.bits[0]);
  }
  xdibFree(&dib);
  return rc;
}

// Processor time of this process: a busy machine disturbs it less than the
// wall clock.
double Now() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The decoder alone, from the file's bytes in memory into a block that was
// already touched: what is left once the fresh pages of the process are
// paid for (they dominate on virtual machines with costly page faults).
int DecodeInner(const char* path, int runs) {
  FILE* in = std::fopen(path, "rb");
  if (!in) return 1;
  std::vector<uint8_t> bytes;
  uint8_t buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(in);
  if (bytes.size() < 54) return 1;
  BITMAPINFOHEADER h;
  std::memcpy(&h, bytes.data() + 14, sizeof h);
  if (xdibCheckHeader(&h) != XERR_OK || h.biCompression != BI_RLE8) return 1;
  const size_t table = 4 * xdibNumColors(&h);
  const DWORD rowBytes = xdibRowBytes(h.biWidth, 8);
  std::vector<uint8_t> out(static_cast<size_t>(rowBytes) * h.biHeight, 0);
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    const double a = Now();
    if (xdibDecodeRLE(bytes.data() + 54 + table, bytes.size() - 54 - table, out.data(), rowBytes,
                      static_cast<DWORD>(h.biHeight), 8, nullptr) != XERR_OK)
      return 1;
    times.push_back(Now() - a);
  }
  std::printf("%.4f\n", Median(times));
  return 0;
}

int FreshBlock(size_t bytes) {
  uint8_t* block = static_cast<uint8_t*>(std::calloc(bytes ? bytes : 1, 1));
  if (!block) return 1;
  for (size_t i = 0; i < bytes; i += 4096) block[i] = static_cast<uint8_t>(i >> 12);
  std::printf("%u\n", block[bytes / 2]);
  std::free(block);
  return 0;
}

int Convert(int runs) {
  const uint32_t w = 640, h = 480;
  std::vector<RGBQUAD> colors(256);
  for (uint32_t i = 0; i < 256; ++i)
    colors[i] = RGBQUAD{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                        static_cast<uint8_t>(i * 3), 0};
  std::vector<uint8_t> bottomUp(w * h);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) bottomUp[(h - 1 - y) * w + x] = PhotoPixel(x, y);

  // What the bare compression gets: the 768-byte table, then the rows.
  std::vector<uint8_t> plain(768 + w * h);
  for (uint32_t i = 0; i < 256; ++i) {
    plain[3 * i] = colors[i].rgbRed;
    plain[3 * i + 1] = colors[i].rgbGreen;
    plain[3 * i + 2] = colors[i].rgbBlue;
  }
  for (uint32_t y = 0; y < h; ++y) std::memcpy(&plain[768 + y * w], &bottomUp[(h - 1 - y) * w], w);
  std::vector<uint8_t> packed(compressBound(static_cast<uLong>(plain.size())));

  const std::string movie = "/tmp/picture_bench.kmv";
  std::vector<double> conv, bare;
  // The two alternate which goes first, so that neither always finds the
  // caches warmed by the other.
  auto timeConversion = [&] {
    std::vector<uint8_t> pixels = bottomUp;  // the conversion turns rows in place
    const double a = Now();
    IndexedPictureToMovie(colors.data(), 256, 8, pixels.data(), w, w, h, movie.c_str(), 1.0f, 1.0f);
    conv.push_back(Now() - a);
  };
  auto timeCompress = [&] {
    uLongf len = static_cast<uLongf>(packed.size());
    const double a = Now();
    const int rc =
        compress2(packed.data(), &len, plain.data(), static_cast<uLong>(plain.size()), 9);
    bare.push_back(Now() - a);
    return rc == Z_OK;
  };
  for (int r = 0; r < runs; ++r) {
    if (r & 1) {
      if (!timeCompress()) return 1;
      timeConversion();
    } else {
      timeConversion();
      if (!timeCompress()) return 1;
    }
  }
  std::remove(movie.c_str());
  const double mc = Median(conv), mb = Median(bare);
  std::printf("convert 640x480 8-bit to movie: median %.3f ms processor time over %d runs\n",
              mc * 1e3, runs);
  std::printf("bare compress2 level 9:         median %.3f ms\n", mb * 1e3);
  std::printf("ratio conversion / compress2:   %.3f (goal: at most 1.05)\n", mc / mb);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "make-rle8" && argc == 5)
    return MakeRle8(argv[2], static_cast<uint32_t>(std::atoi(argv[3])),
                    static_cast<uint32_t>(std::atoi(argv[4])));
  if (cmd == "decode" && argc == 3) return Decode(argv[2]);
  if (cmd == "decode-inner" && argc == 3) return DecodeInner(argv[2], 9);
  if (cmd == "fresh-block" && argc == 3)
    return FreshBlock(static_cast<size_t>(std::strtoull(argv[2], nullptr, 10)));
  if (cmd == "convert") return Convert(argc > 2 ? std::atoi(argv[2]) : 15);
  std::fprintf(stderr,
               "usage: picture_bench make-rle8 FILE W H | decode FILE | decode-inner FILE | "
               "fresh-block BYTES | convert [RUNS]\n");
  return 2;
}
