// picreduce: reduces a BMP picture as the saver prepares it for a display of
// N colours without a hardware palette, and writes the result as a BMP.
//
//   picreduce [--colours N] [--level L] IN.bmp OUT.bmp
//   picreduce --help          (also -h, /?; --version)
//
// Exit codes: 0 done, 1 the work failed (the message names the file and
// the problem; OUT is not written), 2 bad usage.
#ifdef _WIN32
#include <windows.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/common/BmpProblem.h"
#include "tools/common/SameFile.h"
#include "tools/common/ToolCli.h"
#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"
#include "xlib/mm/xdisplay.h"
#include "xlib/mm/xdither.h"

namespace {

const toolcli::Help kHelp = {
    "picreduce",
    "reduces the BMP picture IN.bmp exactly as the screen saver prepares a picture for a "
    "display of N colours that has no hardware palette, and writes the result to OUT.bmp: an "
    "uncompressed bottom-up BMP with the palette and the pixels' indices, 8 bits a pixel for "
    "more than 16 palette entries, 4 for more than 2, else 1",
    "[--colours N] [--level L] IN.bmp OUT.bmp",
    "  IN.bmp          the picture. A 24-bit picture goes through the octree colour\n"
    "                  cube: the 16 standard colours keep entries 0 to 7 and N-8 to\n"
    "                  N-1, the picture's colours fill the entries between, and the\n"
    "                  picture is error-diffused onto that palette (with 16 colours\n"
    "                  or fewer the palette holds only standard colours). A picture\n"
    "                  of 1, 4 or 8 bits keeps its own colours, pixels and depth.\n"
    "  OUT.bmp         written only when everything succeeded (through a temporary\n"
    "                  file beside it); an existing OUT.bmp is replaced\n"
    "  --colours N     the display's colour count, 1 to 256 (default 256; also\n"
    "                  --colors)\n"
    "  --level L       how strongly errors are passed on, 0 to 8 (default 2): 0 none\n"
    "                  (plain nearest colour), 1 unchanged, higher levels damp large\n"
    "                  errors more",
    "picreduce --colours 236 photo.bmp photo-236.bmp",
    "the picture could not be read, reduced or written (the message names the file and "
    "why)"};

int Usage(const std::string& problem) {
  return toolcli::UsageError(kHelp, problem);
}

int Fail(const std::string& file, const std::string& problem) {
  return toolcli::FileFailure(kHelp, file, problem);
}

// A whole decimal number in [low, high].
bool ParseNumber(const char* text, int low, int high, int* value) {
  if (!*text) return false;
  long n = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    n = n * 10 + (*p - '0');
    if (n > high) return false;
  }
  if (n < low) return false;
  *value = static_cast<int>(n);
  return true;
}

const char* LoadProblem(int rc) {
  switch (rc) {
    case XERR_READ:
      return "the file is too short, or could not be read";
    case XERR_FORMAT:
      return "not a BMP picture of 1, 4, 8 or 24 bits this reader supports (or damaged "
             "run-length data)";
    case XERR_NOMEM:
      return "not enough memory for the picture";
    default:
      return "the picture could not be read";
  }
}

// Why the reader refused a BMP, in words, read from the file's headers.
std::string FormatProblem(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
      bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  }
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return LoadProblem(XERR_FORMAT);
  std::string problem = BmpHeaderProblem(bytes.data(), bytes.size());
  if (problem.empty()) problem = BmpReadProblem(bytes.data(), bytes.size(), false);
  return problem.empty() ? LoadProblem(XERR_FORMAT) : problem;
}

// Owns what the preparation makes.
struct Work {
  XDIB dib;
  XCUBE cube;
  Work() {
    std::memset(&dib, 0, sizeof dib);
    std::memset(&cube, 0, sizeof cube);
  }
  ~Work() {
    xcubeFree(&cube);
    xdibFree(&dib);
  }
  Work(const Work&) = delete;
  Work& operator=(const Work&) = delete;
};

// The saver's preparation for a display of colours colours; on failure
// *problem says what went wrong.
bool Prepare(Work& w, int colours, int level, std::string* problem) {
  XDisplayDescription display;
  display.hasPalette = false;
  display.numColors = colours;
  XDisplayScope use(display);

  if (xcubeCreate(&w.cube, 0, colours) != XERR_OK) {
    *problem = "the colour cube could not be made (not enough memory)";
    return false;
  }
  const int bits = xdibBitCount(&w.dib);
  if (bits <= 8) {
    DWORD count = w.dib.bmiHeader.biClrUsed;
    if (count == 0) count = DWORD(1) << bits;
    if (!xcubeFromColors(&w.cube, w.dib.palette, static_cast<int>(count), 0)) {
      *problem = "the picture's colours could not be made into a palette";
      return false;
    }
    return true;
  }
  int rc = xcubeAddDib(&w.cube, &w.dib);
  if (rc != XERR_OK) {
    *problem = rc == XERR_NOMEM ? "not enough memory for the colour cube"
                                : "the colour cube refuses this picture";
    return false;
  }
  if (!xcubeMakePalette(&w.cube, 0, 1)) {
    *problem = "no palette could be made from the picture (not enough memory)";
    return false;
  }
  rc = xdibTo24Bit(&w.dib);
  if (rc != XERR_OK) {
    *problem = "the picture could not be widened to 24 bits";
    return false;
  }
  XDITHER dither;
  std::memset(&dither, 0, sizeof dither);
  rc = xditherInit(&dither, &w.cube, 0, 6, 6, 6, level);
  if (rc == XERR_OK) rc = xditherDib(&dither, &w.dib);
  xditherFree(&dither);
  if (rc != XERR_OK) {
    *problem = rc == XERR_NOMEM ? "not enough memory to dither the picture"
                                : "the picture could not be dithered";
    return false;
  }
  return true;
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

// Writes bytes to path through a temporary file beside it.
bool WriteFileWhole(const std::string& path, const std::vector<uint8_t>& header, const XDIB& dib,
                    std::string* problem) {
  const std::string partial = path + ".partial";
  std::FILE* f = std::fopen(partial.c_str(), "wb");
  if (!f) {
    *problem = std::string("cannot create a file beside it: ") + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
  // Rows as held, with the bits past the last pixel cleared.
  const BITMAPINFOHEADER& h = dib.bmiHeader;
  const size_t rowBytes = xdibRowBytes(h.biWidth, h.biBitCount);
  const uint64_t usedBits = static_cast<uint64_t>(h.biWidth) * h.biBitCount;
  std::vector<uint8_t> row(rowBytes);
  for (LONG y = 0; ok && y < h.biHeight; ++y) {
    std::memcpy(row.data(), dib.bits + static_cast<size_t>(y) * dib.rowBytes, rowBytes);
    const size_t full = static_cast<size_t>(usedBits / 8);
    const unsigned rest = static_cast<unsigned>(usedBits % 8);
    size_t clearFrom = full;
    if (rest) {
      row[full] = static_cast<uint8_t>(row[full] & (0xFF00u >> rest));
      clearFrom = full + 1;
    }
    if (clearFrom < rowBytes) std::memset(row.data() + clearFrom, 0, rowBytes - clearFrom);
    ok = std::fwrite(row.data(), 1, rowBytes, f) == rowBytes;
  }
  if (std::fclose(f) != 0) ok = false;
  if (!ok) {
    *problem = "cannot write it (disk full?)";
    std::remove(partial.c_str());
    return false;
  }
#ifdef _WIN32
  ok = MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  ok = std::rename(partial.c_str(), path.c_str()) == 0;
#endif
  if (!ok) {
    *problem = "cannot replace it with the finished picture";
    std::remove(partial.c_str());
    return false;
  }
  return true;
}

// File header, information header and colour table of the reduced picture.
// A reduced picture's indices all name palette entries. A palette picture
// may hold indices past its own colours; the table then covers every index
// its depth can hold, the entries past the palette black, as the loader
// keeps them (and widens such pixels).
std::vector<uint8_t> Headers(const XDIB& dib, const LOGPALETTE& palette, bool ownColours) {
  const BITMAPINFOHEADER& h = dib.bmiHeader;
  const uint32_t depthEntries = uint32_t(1) << h.biBitCount;
  const uint32_t entries = ownColours ? depthEntries : palette.palNumEntries;
  const uint32_t rowBytes = xdibRowBytes(h.biWidth, h.biBitCount);
  const uint32_t imageSize = rowBytes * static_cast<uint32_t>(h.biHeight);
  const uint32_t offset = 14 + 40 + 4 * entries;
  std::vector<uint8_t> v;
  v.push_back('B');
  v.push_back('M');
  Put32(v, offset + imageSize);
  Put32(v, 0);
  Put32(v, offset);
  Put32(v, 40);
  Put32(v, static_cast<uint32_t>(h.biWidth));
  Put32(v, static_cast<uint32_t>(h.biHeight));
  Put16(v, 1);
  Put16(v, h.biBitCount);
  Put32(v, 0);  // no compression
  Put32(v, imageSize);
  Put32(v, static_cast<uint32_t>(h.biXPelsPerMeter));
  Put32(v, static_cast<uint32_t>(h.biYPelsPerMeter));
  Put32(v, entries);
  Put32(v, 0);
  for (uint32_t i = 0; i < entries; ++i) {
    PALETTEENTRY e = {0, 0, 0, 0};
    if (i < palette.palNumEntries) e = palette.palPalEntry[i];
    v.push_back(e.peBlue);
    v.push_back(e.peGreen);
    v.push_back(e.peRed);
    v.push_back(0);
  }
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  int colours = 256;
  int level = 2;
  std::vector<std::string> files;
  int code = 0;
  if (toolcli::AnswerHelpOrVersion(kHelp, argc, argv, 1, &code)) return code;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool hasValue = false;
    const size_t eq = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    if (arg == "--colours" || arg == "--colors" || arg == "--level") {
      if (!hasValue) {
        if (i + 1 >= argc) return Usage(arg + " needs a number");
        value = argv[++i];
      }
      if (arg == "--level") {
        if (!ParseNumber(value.c_str(), 0, 8, &level))
          return Usage("--level must be a whole number from 0 to 8, not '" + value + "'");
      } else if (!ParseNumber(value.c_str(), 1, 256, &colours)) {
        return Usage(arg + " must be a whole number from 1 to 256, not '" + value + "'");
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + std::string(argv[i]));
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.size() != 2)
    return Usage(files.size() < 2 ? "needs IN.bmp and OUT.bmp" : "too many files");
  const std::string& in = files[0];
  const std::string& out = files[1];
  const std::string same = toolcli::SameFileProblem(out, {in});
  if (!same.empty()) return Fail(out, same);

  Work w;
  std::FILE* f = std::fopen(in.c_str(), "rb");
  if (!f) return Fail(in, std::string("cannot open it: ") + std::strerror(errno));
  XDibStdioSource src(f);
  const int rc = xdibReadFrom(&w.dib, src, true);
  std::fclose(f);
  if (rc != XERR_OK) return Fail(in, rc == XERR_FORMAT ? FormatProblem(in) : LoadProblem(rc));

  std::string problem;
  const bool ownColours = xdibBitCount(&w.dib) <= 8;
  if (!Prepare(w, colours, level, &problem)) return Fail(in, problem);
  if (!WriteFileWhole(out, Headers(w.dib, *w.cube.logpal, ownColours), w.dib, &problem))
    return Fail(out, problem);
  return toolcli::kExitOk;
}
