// Every file of the public BMP corpus reads without crash and with a result
// code; the files we support read to the pixels Pillow gives (golden.txt,
// rebuilt by make_golden.py).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "xlib/mm/tests/BmpBytes.h"
#include "xlib/mm/xdib.h"

namespace {

const std::string kSuite = std::string(SOMNEL_TESTDATA_DIR) + "/bmpsuite/";
const std::string kHere = std::string(SOMNEL_SOURCE_DIR) + "/xlib/mm/tests/";

struct Golden {
  int width;
  int height;
  uint32_t crc;
};

std::map<std::string, Golden> LoadGolden() {
  std::map<std::string, Golden> golden;
  std::ifstream in(kHere + "golden.txt");
  std::string name;
  Golden g;
  std::string crc, oracle;
  while (in >> name >> g.width >> g.height >> crc >> oracle) {
    g.crc = static_cast<uint32_t>(std::stoul(crc, nullptr, 16));
    golden[name] = g;
  }
  return golden;
}

std::string PathOf(const std::string& goldenName) {
  const std::string prefix = "bmpsuite/";
  if (goldenName.compare(0, prefix.size(), prefix) == 0)
    return kSuite + goldenName.substr(prefix.size());
  return kHere + goldenName;
}

// The record's pixels as RGB, top row first, no padding: Pillow's layout.
uint32_t RgbCrc(XDIB& dib) {
  EXPECT_EQ(xdibTo24Bit(&dib), XERR_OK);
  const int w = dib.bmiHeader.biWidth;
  const int h = dib.bmiHeader.biHeight;
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(w) * h * 3);
  for (int y = h - 1; y >= 0; --y) {
    const uint8_t* row = dib.bits + static_cast<size_t>(y) * dib.rowBytes;
    for (int x = 0; x < w; ++x) {
      rgb.push_back(row[3 * x + 2]);
      rgb.push_back(row[3 * x + 1]);
      rgb.push_back(row[3 * x]);
    }
  }
  return static_cast<uint32_t>(crc32(0, rgb.data(), static_cast<uInt>(rgb.size())));
}

int ReadFile(const std::string& path, XDIB& dib) {
  std::memset(&dib, 0, sizeof dib);
  const std::vector<uint8_t> bytes = bmptest::ReadWholeFile(path);
  XDibMemorySource src(bytes.data(), bytes.size());
  return xdibReadFrom(&dib, src, true);
}

// Files of the supported shape that we refuse on purpose: runs that would
// write past the picture.
const std::map<std::string, int> kRefused = {
    {"bmpsuite/b/badrle.bmp", XERR_FORMAT},
    {"bmpsuite/b/badrle4.bmp", XERR_FORMAT},
    {"bmpsuite/b/badrle4ter.bmp", XERR_FORMAT},
    {"bmpsuite/b/badrleter.bmp", XERR_FORMAT},
};

// Files we read, but whose pixels are ours to choose, so no oracle can
// agree: streams that end early leave pixels unwritten (ours are index 0),
// and damaged runs that cross a row's end go on into the next row where
// other readers cut them off.
const std::set<std::string> kOwnPixels = {
    "bmpsuite/q/pal4rlecut.bmp",
    "bmpsuite/q/pal8rlecut.bmp",
    "bmpsuite/b/badrle4bis.bmp",
    "bmpsuite/b/badrlebis.bmp",
};

TEST(BmpCorpus, SupportedFilesMatchPillow) {
  const std::map<std::string, Golden> golden = LoadGolden();
  ASSERT_FALSE(golden.empty()) << "golden.txt missing";
  for (const auto& [name, g] : golden) {
    SCOPED_TRACE(name);
    XDIB dib;
    const int rc = ReadFile(PathOf(name), dib);
    auto refused = kRefused.find(name);
    if (refused != kRefused.end()) {
      EXPECT_EQ(rc, refused->second);
      EXPECT_EQ(dib.bits, nullptr);
      continue;
    }
    ASSERT_EQ(rc, XERR_OK);
    if (kOwnPixels.count(name)) {
      xdibFree(&dib);
      continue;
    }
    EXPECT_EQ(dib.bmiHeader.biWidth, g.width);
    EXPECT_EQ(dib.bmiHeader.biHeight, g.height);
    EXPECT_EQ(RgbCrc(dib), g.crc);
    xdibFree(&dib);
  }
}

TEST(BmpCorpus, EveryFileGivesACode) {
  const std::set<int> codes = {XERR_OK, XERR_READ, XERR_FORMAT, XERR_NOMEM};
  int files = 0;
  for (const char* dir : {"g", "q", "b"}) {
    for (const std::string& name : bmptest::ListDirectory(kSuite + dir)) {
      SCOPED_TRACE(std::string(dir) + "/" + name);
      XDIB dib;
      const int rc = ReadFile(kSuite + dir + "/" + name, dib);
      EXPECT_TRUE(codes.count(rc)) << rc;
      if (rc == XERR_OK) {
        ASSERT_NE(dib.bits, nullptr);
        // Whatever was accepted can be widened and walked end to end.
        RgbCrc(dib);
      } else {
        EXPECT_EQ(dib.bits, nullptr);
      }
      xdibFree(&dib);
      ++files;
    }
  }
  EXPECT_GT(files, 0);
}

// Indices past the file's 101 colours widen to black.
TEST(BmpCorpus, IndicesPastTheColourCountAreBlack) {
  XDIB dib;
  ASSERT_EQ(ReadFile(kSuite + "b/pal8badindex.bmp", dib), XERR_OK);
  ASSERT_EQ(dib.bmiHeader.biClrUsed, 101u);
  std::vector<uint8_t> indices(dib.bits, dib.bits + dib.rowBytes * dib.bmiHeader.biHeight);
  ASSERT_EQ(xdibTo24Bit(&dib), XERR_OK);
  int past = 0;
  for (int y = 0; y < dib.bmiHeader.biHeight; ++y) {
    for (int x = 0; x < dib.bmiHeader.biWidth; ++x) {
      const uint8_t index = indices[static_cast<size_t>(y) * 128 + x];
      const uint8_t* p = dib.bits + static_cast<size_t>(y) * dib.rowBytes + 3 * x;
      if (index >= 101) {
        ++past;
        EXPECT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
      }
    }
  }
  EXPECT_GT(past, 0);
  xdibFree(&dib);
}

}  // namespace
