// The saver's pictures through the real program: the preview picture drawn
// in the preview window, the user's picture turned into a movie that the
// test player reads and draws, and the settings dialog grown around its
// picture with the package's sound choice.
//
// Each test packs its saver into a scratch folder with somnel-pack and
// points TMP and TEMP there. Pixels are read back with a BitBlt of a
// window's device context into a 32-bit DIB. Under Wine that shows only
// what the test's own process drew, so the preview's pixels are read from
// the saver's window made in this process (the program's own classes,
// linked in), over the packed saver's picture; the real program in preview
// mode is checked for what it does besides.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "moviewriter/KmvReader.h"
#include "saver/PackagePicture.h"
#include "saver/tests/WinTestUtil.h"
#include "saver/zySaver.h"
#include "saver/zySaverDlg.h"
#include "tests/PackedSaver.h"
#include "xlib/mm/xdisplay.h"

namespace {

using wintest::Bytes;
using Env = PackedSaver::Env;

const std::string kSaver = wintest::WinPath(SOMNEL_SCR);
const std::string kSource = wintest::WinPath(SOMNEL_SOURCE_DIR);
using wintest::EndProcess;
using wintest::kPatienceMs;
using wintest::Lines;
using wintest::Profile;
using wintest::Pump;
using wintest::Settle;
using wintest::WaitFor;
const DWORD kQuietMs = 1500;

// --- Pictures ---------------------------------------------------------------

// A picture as red, green, blue triples, top row first.
struct Picture {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;  // RGB() values
  COLORREF At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Asymmetric: a red "F" on a blue field over a green gradient, so flipped
// rows, mirrored columns and swapped channels all show.
Picture TestPicture(int width, int height) {
  Picture p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool stem =
          x >= width / 5 && x < width / 5 + width / 8 && y >= height / 6 && y < height - height / 6;
      const bool top =
          y >= height / 6 && y < height / 6 + height / 8 && x >= width / 5 && x < width - width / 5;
      const bool middle = y >= height / 2 - height / 16 && y < height / 2 + height / 16 &&
                          x >= width / 5 && x < width / 2 + width / 10;
      COLORREF c;
      if (stem || top || middle)
        c = RGB(230, 30, 20);
      else if (y < height / 2)
        c = RGB(20, 40, 200);
      else
        c = RGB(10, static_cast<BYTE>(60 + (x * 150) / width), 30);
      p.pixels.push_back(c);
    }
  }
  return p;
}

void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP file of the picture: 24 bits, or 8 bits with a table of the
// picture's distinct colours (at most 256).
Bytes MakeBmp(const Picture& p, int bitCount) {
  std::vector<COLORREF> table;
  std::vector<uint8_t> indices;
  if (bitCount == 8) {
    std::map<COLORREF, uint8_t> seen;
    for (COLORREF c : p.pixels) {
      auto it = seen.find(c);
      if (it == seen.end()) {
        it = seen.emplace(c, static_cast<uint8_t>(table.size())).first;
        table.push_back(c);
      }
      indices.push_back(it->second);
    }
  }
  const uint32_t rowBytes =
      bitCount == 8 ? (uint32_t(p.width) + 3) & ~3u : (uint32_t(p.width) * 3 + 3) & ~3u;
  const uint32_t tableBytes = uint32_t(table.size()) * 4;
  const uint32_t offset = 54 + tableBytes;
  Bytes b(offset + rowBytes * p.height, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, offset);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(p.width));
  Put32(b, 22, static_cast<uint32_t>(p.height));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<uint16_t>(bitCount));
  Put32(b, 34, rowBytes * p.height);
  Put32(b, 46, static_cast<uint32_t>(table.size()));
  for (size_t i = 0; i < table.size(); ++i) {
    b[54 + i * 4 + 0] = GetBValue(table[i]);
    b[54 + i * 4 + 1] = GetGValue(table[i]);
    b[54 + i * 4 + 2] = GetRValue(table[i]);
  }
  for (int y = 0; y < p.height; ++y) {
    uint8_t* row = b.data() + offset + size_t(p.height - 1 - y) * rowBytes;  // bottom-up
    for (int x = 0; x < p.width; ++x) {
      if (bitCount == 8) {
        row[x] = indices[size_t(y) * p.width + x];
      } else {
        const COLORREF c = p.At(x, y);
        row[x * 3 + 0] = GetBValue(c);
        row[x * 3 + 1] = GetGValue(c);
        row[x * 3 + 2] = GetRValue(c);
      }
    }
  }
  return b;
}

// Reads an uncompressed 8- or 24-bit BMP file (the oracle for the built-in
// picture). False when it is anything else.
bool ReadBmp(const std::string& path, Picture* p) {
  Bytes b;
  if (!wintest::ReadFileBytes(path, b) || b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  auto u32 = [&](size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
  };
  const int width = static_cast<int>(u32(18)), height = static_cast<int>(u32(22));
  const int bits = b[28];
  const uint32_t offset = u32(10), used = u32(46);
  if (u32(30) != 0 || (bits != 8 && bits != 24) || width <= 0 || height <= 0) return false;
  const uint32_t rowBytes =
      bits == 8 ? (uint32_t(width) + 3) & ~3u : (uint32_t(width) * 3 + 3) & ~3u;
  if (offset + uint64_t(rowBytes) * height > b.size()) return false;
  const uint32_t colors = bits == 8 ? (used ? used : 256) : 0;
  p->width = width;
  p->height = height;
  p->pixels.clear();
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = b.data() + offset + size_t(height - 1 - y) * rowBytes;
    for (int x = 0; x < width; ++x) {
      if (bits == 8) {
        const uint8_t i = row[x];
        if (i >= colors) return false;
        const uint8_t* e = b.data() + 54 + size_t(i) * 4;
        p->pixels.push_back(RGB(e[2], e[1], e[0]));
      } else {
        p->pixels.push_back(RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
      }
    }
  }
  return true;
}

// The client area of a window of this process as the screen shows it.
Picture Capture(HWND window) {
  Picture p;
  RECT client;
  if (!GetClientRect(window, &client)) return p;
  p.width = client.right;
  p.height = client.bottom;
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = p.width;
  info.bmiHeader.biHeight = -p.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, p.width, p.height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const uint32_t* px = static_cast<const uint32_t*>(bits);
  for (int i = 0; i < p.width * p.height; ++i)
    p.pixels.push_back(RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return p;
}

// Counts the pixels of shot that differ from picture drawn at (0, 0) on
// black; the first difference goes to *first.
int Differences(const Picture& shot, const Picture& picture, std::string* first) {
  int count = 0;
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const COLORREF want =
          x < picture.width && y < picture.height ? picture.At(x, y) : RGB(0, 0, 0);
      const COLORREF got = shot.At(x, y);
      if (got == want) continue;
      if (count++ == 0 && first) {
        char text[96];
        std::snprintf(text, sizeof text, "at %d,%d: %06lx, expected %06lx", x, y,
                      static_cast<unsigned long>(got), static_cast<unsigned long>(want));
        *first = text;
      }
    }
  }
  return count;
}

// --- A packed saver -----------------------------------------------------------

class Saver : public PackedSaver {
 public:
  // Some tests leave the saver running for the end of the test to stop.
  explicit Saver(const Env& env = {}) : PackedSaver(env) { MayStayRunning(); }

  // The first visible top-level window of the saver of this class.
  HWND Window(const std::string& className) {
    HWND found = nullptr;
    WaitFor([&] {
      for (HWND w : wintest::TopLevelWindows(Pid()))
        if (wintest::ClassOf(w) == className && IsWindowVisible(w)) found = w;
      return found != nullptr;
    });
    return found;
  }
  bool WaitForEvent(const std::string& event) { return WaitForEvents(event, 1); }
};

const char kPlainProject[] = "[Settings]\r\nExternal=0\r\n";
const LPARAM kKeyData = 0x001E0001;

// --- Preview ---------------------------------------------------------------

// The system's preview window stand-in: 200 x 150 of client area.
HWND MakeHost() {
  return wintest::MakePlainWindow("host", WS_EX_TOPMOST, WS_POPUP | WS_CLIPCHILDREN, 20, 20, 200,
                                  150);
}

HWND PreviewOf(HWND host) {
  HWND found = nullptr;
  WaitFor([&] { return (found = wintest::ChildOfClass(host, "CSaverWin")) != nullptr; });
  return found;
}

using wintest::PreviewArguments;

TEST(SaverPictures, APreviewWithItsPictureStartsNoPlayerAndEndsWithItsWindow) {
  Saver saver;
  ASSERT_TRUE(wintest::WriteFileBytes(saver / "preview.bmp", MakeBmp(TestPicture(72, 50), 24)));
  ASSERT_TRUE(saver.Pack(kPlainProject, "--preview \"" + saver / "preview.bmp" + "\""));
  HWND host = MakeHost();
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(saver.Start(PreviewArguments(host)));
  HWND preview = PreviewOf(host);
  ASSERT_NE(preview, nullptr);
  Settle(kQuietMs);
  EXPECT_TRUE(saver.Running());
  EXPECT_EQ(saver.Log(), "");  // no player was started
  EXPECT_FALSE(wintest::Exists(saver / "Show.cfg"));
  DestroyWindow(host);
  EXPECT_TRUE(saver.WaitForEnd());
  EXPECT_EQ(saver.ExitCode(), 0u);
}

// --- The preview picture, drawn by the saver's window in this process ------

// The saver's preview window over a packed saver's pictures, made here so
// that its pixels can be read back. Its own start-up found no package (this
// test program has none); the packed saver's package is then read and the
// preview picture prepared from it, as the start-up of that saver does.
class LocalPreview {
 public:
  LocalPreview(const std::string& packed, HINSTANCE resources) {
    host_ = MakeHost();
    saver_.m_Mode = kModePreview;
    saver_.m_hwndParent = host_;
    if (!saver_.Create(GetModuleHandleA(nullptr), SW_SHOW, host_)) return;
    saver_.FreePreviewPicture();
    saver_.m_Pak.Load(packed.c_str(), 0);
    loaded_ = PreparePackagePicture(saver_.m_Pak, zyPak::kPreviewImage, packed.c_str(), resources,
                                    &saver_.m_PreviewDib, &saver_.m_PreviewCube,
                                    &saver_.m_hPreviewPalette);
    InvalidateRect(saver_.m_Handle, nullptr, FALSE);
    UpdateWindow(saver_.m_Handle);
    Settle(200);
  }
  ~LocalPreview() {
    saver_.FreePreviewPicture();
    if (host_) DestroyWindow(host_);
    // The next preview registers the saver's window class again.
    UnregisterClassA(saver_.m_ClassName, GetModuleHandleA(nullptr));
    // The saver window's end posts a quit message to this thread; it is
    // not meant for the test.
    MSG message;
    PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  LocalPreview(const LocalPreview&) = delete;
  LocalPreview& operator=(const LocalPreview&) = delete;

  bool Loaded() const { return loaded_; }
  zySaver& Saver() { return saver_; }
  HWND Window() const { return saver_.m_Handle; }

 private:
  HWND host_ = nullptr;
  zySaver saver_;
  bool loaded_ = false;
};

// A palette display of 256 entries whose system keeps 20: the standard
// colours in entries 0 to 9 and 246 to 255, and some other colour between.
XDisplayDescription PaletteDisplay() {
  XDisplayDescription d;
  d.hasPalette = true;
  d.paletteSize = 256;
  d.numColors = 20;
  d.numReserved = 20;
  const BYTE low[10][3] = {{0, 0, 0},       {128, 0, 0},    {0, 128, 0},   {128, 128, 0},
                           {0, 0, 128},     {128, 0, 128},  {0, 128, 128}, {192, 192, 192},
                           {192, 220, 192}, {166, 202, 240}};
  const BYTE high[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                            {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                            {0, 255, 255},   {255, 255, 255}};
  for (int i = 0; i < 256; ++i) d.systemPalette[i] = {BYTE(i), BYTE(255 - i), BYTE(i / 2), 0};
  for (int i = 0; i < 10; ++i) {
    d.systemPalette[i] = {low[i][0], low[i][1], low[i][2], 0};
    d.systemPalette[246 + i] = {high[i][0], high[i][1], high[i][2], 0};
  }
  return d;
}

TEST(PreviewPicture, OnATrueColourDisplayThePictureIsDrawnUnreducedAtTheTopLeftOnBlack) {
  struct Case {
    const char* what;
    int bitCount;  // 0: the package has no pictures, the built-in one is shown
  };
  XDisplayDescription trueColour;  // no palette, NUMCOLORS -1
  XDisplayScope scope(trueColour);
  HMODULE program = LoadLibraryExA(kSaver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  for (const Case& c :
       {Case{"24-bit picture", 24}, Case{"8-bit picture", 8}, Case{"built-in picture", 0}}) {
    SCOPED_TRACE(c.what);
    Saver saver;
    Picture picture;
    std::string options;
    if (c.bitCount) {
      picture = TestPicture(72, 50);
      ASSERT_TRUE(wintest::WriteFileBytes(saver / "preview.bmp", MakeBmp(picture, c.bitCount)));
      // A settings-box picture before it: the preview is found by its own offset.
      ASSERT_TRUE(wintest::WriteFileBytes(saver / "box.bmp", MakeBmp(TestPicture(20, 10), 24)));
      options = "--settings-box \"" + saver / "box.bmp" + "\" --preview \"" +
                saver / "preview.bmp" + "\"";
    } else {
      ASSERT_TRUE(ReadBmp(kSource + "\\saver\\res\\picture.bmp", &picture));
    }
    ASSERT_TRUE(saver.Pack(kPlainProject, options));
    LocalPreview preview(saver.SaverPath(), program);
    ASSERT_TRUE(preview.Loaded());
    // Drawn as loaded: no cube, no palette, the picture's own depth.
    EXPECT_EQ(preview.Saver().m_hPreviewPalette, nullptr);
    EXPECT_EQ(xdibBitCount(&preview.Saver().m_PreviewDib), c.bitCount ? c.bitCount : 8);
    const Picture shot = Capture(preview.Window());
    ASSERT_EQ(shot.width, 200);
    ASSERT_EQ(shot.height, 150);
    std::string first;
    EXPECT_EQ(Differences(shot, picture, &first), 0) << first;
  }
  FreeLibrary(program);
}

TEST(PreviewPicture, OnAPaletteDisplayA24BitPictureIsDitheredIntoTheCubesPaletteAndDrawnWithIt) {
  XDisplayDescription display = PaletteDisplay();
  XDisplayScope scope(display);
  const Picture picture = TestPicture(72, 50);
  Saver saver;
  ASSERT_TRUE(wintest::WriteFileBytes(saver / "preview.bmp", MakeBmp(picture, 24)));
  ASSERT_TRUE(saver.Pack(kPlainProject, "--preview \"" + saver / "preview.bmp" + "\""));
  LocalPreview preview(saver.SaverPath(), GetModuleHandleA(nullptr));
  ASSERT_TRUE(preview.Loaded());
  zySaver& s = preview.Saver();

  // Reduced to 8 bits of palette indices into the cube's 256-entry palette,
  // which keeps the system's reserved colours where the system has them.
  ASSERT_NE(s.m_hPreviewPalette, nullptr);
  ASSERT_NE(s.m_PreviewCube.logpal, nullptr);
  const LOGPALETTE* logpal = s.m_PreviewCube.logpal;
  ASSERT_EQ(logpal->palNumEntries, 256);
  for (int i : {0, 5, 9, 246, 250, 255}) {
    EXPECT_EQ(logpal->palPalEntry[i].peRed, display.systemPalette[i].peRed) << i;
    EXPECT_EQ(logpal->palPalEntry[i].peGreen, display.systemPalette[i].peGreen) << i;
    EXPECT_EQ(logpal->palPalEntry[i].peBlue, display.systemPalette[i].peBlue) << i;
  }
  const XDIB& dib = s.m_PreviewDib;
  ASSERT_EQ(xdibBitCount(&dib), 8);
  EXPECT_EQ(dib.colorUse, static_cast<DWORD>(XDIB_PAL_COLORS));

  // Every pixel shows the palette entry its index names; around it, black.
  const Picture shot = Capture(preview.Window());
  ASSERT_EQ(shot.width, 200);
  ASSERT_EQ(shot.height, 150);
  Picture expected;
  expected.width = picture.width;
  expected.height = picture.height;
  long error = 0;
  for (int y = 0; y < picture.height; ++y) {
    const uint8_t* row = dib.bits + size_t(picture.height - 1 - y) * dib.rowBytes;
    for (int x = 0; x < picture.width; ++x) {
      const PALETTEENTRY& e = logpal->palPalEntry[row[x]];
      expected.pixels.push_back(RGB(e.peRed, e.peGreen, e.peBlue));
      const COLORREF o = picture.At(x, y);
      error += std::abs(int(e.peRed) - int(GetRValue(o))) +
               std::abs(int(e.peGreen) - int(GetGValue(o))) +
               std::abs(int(e.peBlue) - int(GetBValue(o)));
    }
  }
  std::string first;
  EXPECT_EQ(Differences(shot, expected, &first), 0) << first;
  // The dithered picture stays close to the original: on average within a
  // few levels a channel (its few colours have room in the free entries).
  EXPECT_LT(error / (picture.width * picture.height * 3), 8) << error;
  // Each of the picture's main colours is found in the palette exactly.
  for (COLORREF c : {RGB(230, 30, 20), RGB(20, 40, 200)}) {
    bool found = false;
    for (int i = 10; i < 246; ++i) {
      const PALETTEENTRY& e = logpal->palPalEntry[i];
      found = found || RGB(e.peRed, e.peGreen, e.peBlue) == c;
    }
    EXPECT_TRUE(found) << std::hex << c;
  }
}

TEST(PreviewPicture, WithoutAPackageThereIsNoPictureAndThePreviewIsBlack) {
  XDisplayDescription trueColour;
  XDisplayScope scope(trueColour);
  wintest::ScratchDir dir;
  const std::string bare = dir / "Bare.scr";
  ASSERT_TRUE(wintest::CopyTo(kSaver, bare));
  HMODULE program = LoadLibraryExA(kSaver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  {
    LocalPreview preview(bare, program);
    EXPECT_FALSE(preview.Loaded());
    EXPECT_EQ(preview.Saver().m_PreviewDib.bits, nullptr);
    const Picture shot = Capture(preview.Window());
    ASSERT_EQ(shot.width, 200);
    std::string first;
    EXPECT_EQ(Differences(shot, Picture(), &first), 0) << first;
  }
  FreeLibrary(program);
}

// The package's preview picture damaged in place: the saver reads it from
// the preview offset of a program file that somnel-pack wrote whole, so the
// bytes are changed there afterwards. None may crash or show garbage: the
// preview stays black.
TEST(PreviewPicture, ADamagedPictureAtThePreviewOffsetLeavesThePreviewBlack) {
  struct Case {
    const char* what;
    std::function<void(Bytes&, size_t)> damage;  // the file and the picture's offset
  };
  const Case cases[] = {
      {"not a BMP", [](Bytes& b, size_t at) { b[at] = 'X'; }},
      {"60000 x 60000 pixels",
       [](Bytes& b, size_t at) {
         Put32(b, at + 18, 60000);
         Put32(b, at + 22, 60000);
       }},
      {"negative width", [](Bytes& b, size_t at) { Put32(b, at + 18, 0xFFFFFFB8u); }},
      {"7 bits a pixel", [](Bytes& b, size_t at) { Put16(b, at + 28, 7); }},
      {"height 0", [](Bytes& b, size_t at) { Put32(b, at + 22, 0); }},
      {"5000 colours used", [](Bytes& b, size_t at) { Put32(b, at + 46, 5000); }},
      {"RLE8 on a 24-bit header", [](Bytes& b, size_t at) { Put32(b, at + 30, 1); }},
  };
  XDisplayDescription trueColour;
  XDisplayScope scope(trueColour);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Saver saver;
    ASSERT_TRUE(wintest::WriteFileBytes(saver / "preview.bmp", MakeBmp(TestPicture(72, 50), 24)));
    ASSERT_TRUE(saver.Pack(kPlainProject, "--preview \"" + saver / "preview.bmp" + "\""));
    Bytes program;
    ASSERT_TRUE(wintest::ReadFileBytes(saver.SaverPath(), program));
    ASSERT_GT(program.size(), kTrailerSize);
    const size_t trailer = program.size() - kTrailerSize;
    const size_t offset = uint32_t(program[trailer + 12]) | uint32_t(program[trailer + 13]) << 8 |
                          uint32_t(program[trailer + 14]) << 16 |
                          uint32_t(program[trailer + 15]) << 24;
    ASSERT_GT(offset, 0u);
    ASSERT_EQ(program[offset], 'B');
    c.damage(program, offset);
    ASSERT_TRUE(wintest::WriteFileBytes(saver.SaverPath(), program));

    LocalPreview preview(saver.SaverPath(), GetModuleHandleA(nullptr));
    EXPECT_FALSE(preview.Loaded());
    EXPECT_EQ(preview.Saver().m_PreviewDib.bits, nullptr);
    const Picture shot = Capture(preview.Window());
    ASSERT_EQ(shot.width, 200);
    std::string first;
    EXPECT_EQ(Differences(shot, Picture(), &first), 0) << first;
  }
}

// An 8-bit picture on a palette display keeps its own colours: its colour
// table becomes the palette, and every pixel is drawn through it with the
// colour the picture gives it.
TEST(PreviewPicture, OnAPaletteDisplayAn8BitPictureIsDrawnWithItsOwnColoursThroughThePalette) {
  XDisplayDescription display = PaletteDisplay();
  XDisplayScope scope(display);
  const Picture picture = TestPicture(72, 50);
  Saver saver;
  ASSERT_TRUE(wintest::WriteFileBytes(saver / "preview.bmp", MakeBmp(picture, 8)));
  ASSERT_TRUE(saver.Pack(kPlainProject, "--preview \"" + saver / "preview.bmp" + "\""));
  LocalPreview preview(saver.SaverPath(), GetModuleHandleA(nullptr));
  ASSERT_TRUE(preview.Loaded());
  zySaver& s = preview.Saver();
  ASSERT_NE(s.m_hPreviewPalette, nullptr);
  EXPECT_EQ(s.m_PreviewDib.colorUse, static_cast<DWORD>(XDIB_PAL_COLORS));
  // The GDI palette holds the picture's colours and nothing else.
  std::map<COLORREF, int> colours;
  for (COLORREF c : picture.pixels) colours[c] = 1;
  PALETTEENTRY entries[256];
  const UINT count = GetPaletteEntries(s.m_hPreviewPalette, 0, 256, entries);
  EXPECT_EQ(count, colours.size());
  for (UINT i = 0; i < count; ++i)
    EXPECT_EQ(colours.count(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue)), 1u) << i;
  const Picture shot = Capture(preview.Window());
  ASSERT_EQ(shot.width, 200);
  std::string first;
  EXPECT_EQ(Differences(shot, picture, &first), 0) << first;
}

// --- The user's picture in a show -------------------------------------------

// Runs a show of a saver whose [Photo] File names file in the folder pics
// (which holds what `content` gives) and returns when the player has
// started and logged its picture; the caller looks at the rest.
struct PhotoShow {
  explicit PhotoShow(const Env& env = {}) : saver(env) {}
  Saver saver;
  std::string pics;
  HWND window = nullptr;

  bool Run(const std::string& photoName, const Bytes* content) {
    pics = saver / "pics";
    if (!CreateDirectoryA(pics.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    if (content && !wintest::WriteFileBytes(pics + "\\" + photoName, *content)) return false;
    if (!saver.Pack(kPlainProject)) return false;
    if (!wintest::WriteFileText(saver.IniPath(),
                                "[Photo]\r\nFile=" + pics + "\\" + photoName + "\r\n"))
      return false;
    if (!saver.Start("/s")) return false;
    window = saver.Window("CSaverWin");
    return window && WaitFor([&] {
             return !saver.Events("picture").empty() || !saver.Events("nopicture").empty();
           });
  }
  bool End() {
    PostMessageA(window, WM_KEYDOWN, 'A', kKeyData);
    return saver.WaitForEnd();
  }
  std::string Cfg() const {
    const std::vector<std::string> cfgs = saver.Events("cfg");
    return cfgs.empty() ? "" : cfgs[0];
  }
};

Bytes FileBytes(const std::string& path) {
  Bytes b;
  wintest::ReadFileBytes(path, b);
  return b;
}

TEST(PictureMovie, An8BitBmpBecomesAMovieBesideItThatThePlayerReadsAndDraws) {
  wintest::ScratchDir shots;
  const std::string capture = shots / "player.bmp";
  PhotoShow show(Env{{"SOMNEL_PLAYER_CAPTURE", capture}});
  // Twice as wide as high: on the screen it has black bands above and below.
  const Picture picture = TestPicture(48, 24);
  const Bytes bmp = MakeBmp(picture, 8);
  // A stale movie of that name is written over.
  ASSERT_TRUE(CreateDirectoryA((show.saver / "pics").c_str(), nullptr));
  ASSERT_TRUE(wintest::WriteFileText(show.saver / "pics\\photo.kmv", "stale"));
  ASSERT_TRUE(show.Run("photo.bmp", &bmp)) << show.saver.Log();
  // The player runs in the picture's folder, told the movie's bare name.
  EXPECT_EQ(show.saver.Events("cwd"), std::vector<std::string>{show.pics});
  EXPECT_EQ(show.Cfg(), "SS_Mode=S&SS_Sound=0&SS_RunCount=1&SS_Picture=photo.kmv");
  // The movie was there before the player's start: the player read it.
  EXPECT_EQ(show.saver.Events("picture"), std::vector<std::string>{"photo.kmv lossless 48x24"})
      << show.saver.Log();
  ASSERT_TRUE(WaitFor([&] { return !show.saver.Events("captured").empty(); })) << show.saver.Log();
  // Full screen, proportions kept, centred.
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  const int height = 24 * cx / 48;
  const int top = (cy - height) / 2;
  ASSERT_GT(top, 0);
  EXPECT_EQ(show.saver.Events("drew")[0], "0," + std::to_string(top) + " " + std::to_string(cx) +
                                              "x" + std::to_string(height) + " in " +
                                              std::to_string(cx) + "x" + std::to_string(cy));
  // What the player's window shows: black bands, the blue field top right,
  // the F's red top bar, the green ground lower left.
  Picture shot;
  ASSERT_TRUE(ReadBmp(capture, &shot));
  ASSERT_EQ(shot.width, cx);
  ASSERT_EQ(shot.height, cy);
  auto at = [&](double px, double py) {  // picture coordinates to the screen
    return shot.At(static_cast<int>(px * cx / 48), top + static_cast<int>(py * height / 24));
  };
  EXPECT_EQ(shot.At(cx / 2, top / 2), RGB(0, 0, 0));
  EXPECT_EQ(shot.At(cx / 2, cy - 1 - top / 2), RGB(0, 0, 0));
  EXPECT_EQ(at(43.5, 1.5), RGB(20, 40, 200));
  EXPECT_EQ(at(24.5, 5.5), RGB(230, 30, 20));
  EXPECT_EQ(GetRValue(at(2.5, 22.5)), 10);
  EXPECT_EQ(GetBValue(at(2.5, 22.5)), 30);

  const kmv::Movie movie = kmv::ReadFile(show.pics + "\\photo.kmv");
  EXPECT_EQ(movie.frame.xmax, 48 * 20);
  EXPECT_EQ(movie.frame.ymax, 24 * 20);
  EXPECT_EQ(movie.frameCount, 1);
  bool lossless = false;
  for (const kmv::Tag& tag : movie.tags) {
    if (tag.code != 20) continue;
    lossless = true;
    EXPECT_EQ(tag.bitmap.width, 48);
    EXPECT_EQ(tag.bitmap.height, 24);
    EXPECT_EQ(tag.bitmap.colorTableSize, 256u);
    // The top row comes first: the F's top bar at row 5 is red.
    const uint8_t* rows = tag.bitmap.inflated.data() + 3 * 256;
    const uint8_t* red = tag.bitmap.inflated.data() + 3 * rows[5 * 48 + 20];
    EXPECT_EQ(RGB(red[0], red[1], red[2]), RGB(230, 30, 20));
  }
  EXPECT_TRUE(lossless);
  EXPECT_TRUE(show.End());
  // The movie stays beside the picture.
  EXPECT_TRUE(wintest::Exists(show.pics + "\\photo.kmv"));
}

// A picture's folder that does not take the player's file: the player is
// extracted to the temporary folder instead, the movie is made there too,
// and the show runs. The test makes the folder refuse the file by giving a
// folder the player's name there: Wine keeps a read-only folder writable
// for root, as the tests may run, while no one can create a file where a
// folder of that name stands. The saver sees the same failed creation.
TEST(PictureMovie, APictureFolderThatTakesNoPlayerSendsThePlayerAndTheMovieToTheTemporaryFolder) {
  PhotoShow show;
  const Picture picture = TestPicture(48, 24);
  const Bytes bmp = MakeBmp(picture, 8);
  const std::string pics = show.saver / "pics";
  ASSERT_TRUE(CreateDirectoryA(pics.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((pics + "\\Show.dat").c_str(), nullptr));
  ASSERT_TRUE(show.Run("photo.bmp", &bmp)) << show.saver.Log();
  // TMP is the saver's own folder.
  EXPECT_EQ(show.saver.Events("path"), std::vector<std::string>{show.saver.DatPath()});
  EXPECT_EQ(show.saver.Events("cwd"), std::vector<std::string>{show.saver.Folder()});
  EXPECT_EQ(show.Cfg(), "SS_Mode=S&SS_Sound=0&SS_RunCount=1&SS_Picture=photo.kmv");
  EXPECT_EQ(show.saver.Events("picture"), std::vector<std::string>{"photo.kmv lossless 48x24"})
      << show.saver.Log();
  EXPECT_TRUE(wintest::Exists(show.saver / "photo.kmv"));
  EXPECT_FALSE(wintest::Exists(pics + "\\photo.kmv"));
  EXPECT_TRUE(show.saver.WaitForEvent("window")) << show.saver.Log();
  EXPECT_TRUE(show.End());
  EXPECT_FALSE(wintest::Exists(show.saver.DatPath()));
  // The folder that stood in the way is left as it was.
  const DWORD attributes = GetFileAttributesA((pics + "\\Show.dat").c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(PictureMovie, AJpegIsEmbeddedAsItIsAndThePlayerDecodesIt) {
  PhotoShow show;
  const Bytes jpeg = FileBytes(kSource + "\\xlib\\mm\\tests\\data\\f.jpg");
  ASSERT_FALSE(jpeg.empty());
  ASSERT_TRUE(show.Run("Beach.JPG", &jpeg)) << show.saver.Log();
  EXPECT_EQ(show.Cfg(), "SS_Mode=S&SS_Sound=0&SS_RunCount=1&SS_Picture=Beach.kmv");
  EXPECT_EQ(show.saver.Events("picture"), std::vector<std::string>{"Beach.kmv jpeg 32x24"})
      << show.saver.Log();
  const Bytes movieBytes = FileBytes(show.pics + "\\Beach.kmv");
  const kmv::Movie movie = kmv::Read(movieBytes);
  bool found = false;
  for (const kmv::Tag& tag : movie.tags) {
    if (tag.code != 21) continue;
    found = true;
    ASSERT_EQ(tag.jpeg.dataSize, jpeg.size());
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), movieBytes.begin() + tag.jpeg.dataOffset));
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(show.End());
}

TEST(PictureMovie, WithoutAMovieThePlayerIsStartedAndToldTheNameItWasToHave) {
  struct Case {
    const char* what;
    const char* name;
    bool present;       // the picture file exists
    int bitCount;       // of the BMP written
    const char* named;  // in the parameter text
  };
  const Case cases[] = {
      // No file: nothing is converted; the picture's own name is passed on.
      {"missing file", "missing.jpg", false, 8, "missing.jpg"},
      // No extension: ".kmv" is appended, and the conversion refuses the kind.
      {"no extension", "photo", true, 8, "photo.kmv"},
      // The conversion throws: the player starts all the same.
      {"24-bit BMP", "deep.bmp", true, 24, "deep.kmv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PhotoShow show;
    const Bytes bmp = MakeBmp(TestPicture(16, 12), c.bitCount);
    ASSERT_TRUE(show.Run(c.name, c.present ? &bmp : nullptr)) << show.saver.Log();
    EXPECT_EQ(show.Cfg(), std::string("SS_Mode=S&SS_Sound=0&SS_RunCount=1&SS_Picture=") + c.named);
    ASSERT_EQ(show.saver.Events("nopicture").size(), 1u) << show.saver.Log();
    EXPECT_EQ(show.saver.Events("nopicture")[0], std::string(c.named) + " cannot read the file");
    EXPECT_FALSE(
        wintest::Exists(show.pics + "\\" + std::string(c.named) + (c.present ? "" : ".kmv")));
    // The player goes on to make its window as usual.
    EXPECT_TRUE(show.saver.WaitForEvent("window")) << show.saver.Log();
    EXPECT_TRUE(show.End());
  }
}

// --- The settings dialog -----------------------------------------------------

const int kDialogControls[] = {IDOK, IDCANCEL, 101, 102, 103, 104, 105};

RECT ControlRect(HWND dialog, int id) {
  RECT rect = {0, 0, 0, 0};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

struct Layout {
  RECT window;
  RECT frame;
  std::map<int, RECT> controls;
};

Layout ReadLayout(HWND dialog) {
  Layout l;
  GetWindowRect(dialog, &l.window);
  l.frame = ControlRect(dialog, 100);
  for (int id : kDialogControls) l.controls[id] = ControlRect(dialog, id);
  return l;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

// The settings dialog's resource as the dialog manager lays it out, made in
// this process from the program's own resource.
Layout ResourceLayout() {
  Layout l{};
  HMODULE program = LoadLibraryExA(kSaver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!program) return l;
  HWND dialog = CreateDialogParamA(program, MAKEINTRESOURCEA(1000), nullptr, PlainDialogProc, 0);
  if (dialog) {
    l = ReadLayout(dialog);
    DestroyWindow(dialog);
  }
  FreeLibrary(program);
  return l;
}

void ExpectSameSize(const RECT& a, const RECT& b) {
  EXPECT_EQ(a.right - a.left, b.right - b.left);
  EXPECT_EQ(a.bottom - a.top, b.bottom - b.top);
}

void ExpectSame(const RECT& a, const RECT& b) {
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.top, b.top);
  EXPECT_EQ(a.right, b.right);
  EXPECT_EQ(a.bottom, b.bottom);
}

// Opens the settings dialog of a saver packed with project and options;
// the dialog window, or null.
HWND OpenSettings(Saver& saver, const std::string& project, const std::string& options = "",
                  const std::string& program = "") {
  if (program.empty() && !saver.Pack(project, options)) return nullptr;
  if (!saver.Start("/c", program)) return nullptr;
  HWND dialog = saver.Window("#32770");
  Settle(300);
  return dialog;
}

TEST(SettingsDialog, APictureLargerThanTheFrameGrowsTheDialogCentresItAndMovesTheControls) {
  // The reference: the built-in picture, smaller than the frame.
  Saver small;
  HWND smallDialog = OpenSettings(small, "[Settings]\r\nThreeWaySound=1\r\n");
  ASSERT_NE(smallDialog, nullptr);
  EXPECT_EQ(wintest::TextOf(smallDialog), "Show");
  const Layout before = ReadLayout(smallDialog);
  PostMessageA(smallDialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(small.WaitForEnd());

  Saver large;
  ASSERT_TRUE(wintest::WriteFileBytes(large / "box.bmp", MakeBmp(TestPicture(430, 260), 24)));
  HWND dialog = OpenSettings(large, "[Settings]\r\nThreeWaySound=1\r\n",
                             "--settings-box \"" + large / "box.bmp" + "\"");
  ASSERT_NE(dialog, nullptr);
  const Layout after = ReadLayout(dialog);
  const int dx = 430 - (before.frame.right - before.frame.left);
  const int dy = 260 - (before.frame.bottom - before.frame.top);
  ASSERT_GT(dx, 0);
  ASSERT_GT(dy, 0);
  // The frame keeps its corner and takes the picture's size.
  EXPECT_EQ(after.frame.left, before.frame.left);
  EXPECT_EQ(after.frame.top, before.frame.top);
  EXPECT_EQ(after.frame.right - after.frame.left, 430);
  EXPECT_EQ(after.frame.bottom - after.frame.top, 260);
  // The dialog grows by as much and is centred on the screen.
  const int width = after.window.right - after.window.left;
  const int height = after.window.bottom - after.window.top;
  EXPECT_EQ(width, before.window.right - before.window.left + dx);
  EXPECT_EQ(height, before.window.bottom - before.window.top + dy);
  EXPECT_EQ(after.window.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(after.window.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  // OK, Cancel and the sound controls move right by dx, nothing else.
  for (int id : kDialogControls) {
    SCOPED_TRACE(id);
    const RECT& b = before.controls.at(id);
    const RECT& a = after.controls.at(id);
    EXPECT_EQ(a.left, b.left + dx);
    EXPECT_EQ(a.right, b.right + dx);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.bottom, b.bottom);
  }
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(large.WaitForEnd());
}

TEST(SettingsDialog, APictureSmallerThanTheFrameChangesNoLayout) {
  Saver saver;
  ASSERT_TRUE(wintest::WriteFileBytes(saver / "box.bmp", MakeBmp(TestPicture(60, 40), 8)));
  HWND dialog = OpenSettings(saver, kPlainProject, "--settings-box \"" + saver / "box.bmp" + "\"");
  ASSERT_NE(dialog, nullptr);
  const Layout l = ReadLayout(dialog);
  const Layout resource = ResourceLayout();
  ASSERT_GT(resource.frame.right, 0);
  ExpectSameSize(l.window, resource.window);
  ExpectSame(l.frame, resource.frame);
  for (int id : kDialogControls) {
    SCOPED_TRACE(id);
    ExpectSame(l.controls.at(id), resource.controls.at(id));
  }
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(saver.WaitForEnd());
}

bool Shown(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return IsWindowVisible(control) && IsWindowEnabled(control);
}
bool Checked(HWND dialog, int id) {
  return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TEST(SettingsDialog, EachSoundLayoutShowsExactlyItsControlsAndOkWritesTheChoice) {
  struct Case {
    const char* what;
    const char* flags;       // [Settings] keys of the project
    const char* ini;         // the user settings file before, "" for none
    std::vector<int> shown;  // of 101 to 105, shown and enabled
    int checked;             // the control checked at the start, 0 for none
    int click;               // the control clicked before OK, 0 for none
    const char* written;     // [Screensaver] Sound after OK
  };
  const Case cases[] = {
      {"two-way, setting 1", "TwoWaySound=1", "[Screensaver]\r\nSound=1\r\n", {101}, 0, 0, "0"},
      {"two-way, setting 2", "TwoWaySound=1", "[Screensaver]\r\nSound=2\r\n", {101}, 101, 0, "2"},
      {"two-way, muted by a click", "TwoWaySound=1", "", {101}, 0, 101, "2"},
      {"three-way, setting 1",
       "ThreeWaySound=1",
       "[Screensaver]\r\nSound=1\r\n",
       {102, 103, 104, 105},
       104,
       0,
       "1"},
      {"three-way, Never clicked",
       "ThreeWaySound=1",
       "[Screensaver]\r\nSound=0\r\n",
       {102, 103, 104, 105},
       103,
       105,
       "2"},
      {"three-way, setting 7",
       "ThreeWaySound=1",
       "[Screensaver]\r\nSound=7\r\n",
       {102, 103, 104, 105},
       103,
       0,
       "0"},
      {"both: the check box",
       "TwoWaySound=1\r\nThreeWaySound=1",
       "[Screensaver]\r\nSound=2\r\n",
       {101},
       101,
       0,
       "2"},
      {"neither: written as read", "External=0", "[Screensaver]\r\nSound=1\r\n", {}, 0, 0, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Saver saver;
    if (c.ini[0]) {
      ASSERT_TRUE(wintest::WriteFileText(saver.IniPath(), c.ini));
    }
    HWND dialog = OpenSettings(saver, std::string("[Settings]\r\n") + c.flags + "\r\n");
    ASSERT_NE(dialog, nullptr);
    for (int id = 101; id <= 105; ++id) {
      const bool expected = std::find(c.shown.begin(), c.shown.end(), id) != c.shown.end();
      EXPECT_EQ(Shown(dialog, id), expected) << id;
      // Hidden controls are disabled too.
      if (!expected) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
      } else if (id != 102) {
        EXPECT_EQ(Checked(dialog, id), id == c.checked) << id;
      }
    }
    if (c.click) {
      SendMessageA(GetDlgItem(dialog, c.click), BM_CLICK, 0, 0);
      Settle(100);
    }
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(saver.WaitForEnd());
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_EQ(Profile(saver.IniPath(), "Screensaver", "Sound"), c.written);
  }
}

TEST(SettingsDialog, CancelTheCloseBoxAndEscWriteNothing) {
  struct Case {
    const char* what;
    std::function<void(HWND)> close;
  };
  const Case cases[] = {
      {"Cancel", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }},
      {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Esc",
       [](HWND d) {
         HWND focus = GetDlgItem(d, IDOK);
         PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
       }},
  };
  // Odd spacing and another section: any rewrite would show.
  const std::string ini =
      "; kept as it is\r\n[Screensaver]\r\nSound = 1\r\n\r\n[Photo]\r\nFile=\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Saver saver;
    ASSERT_TRUE(wintest::WriteFileText(saver.IniPath(), ini));
    HWND dialog = OpenSettings(saver, "[Settings]\r\nThreeWaySound=1\r\n");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(dialog, 104));
    SendMessageA(GetDlgItem(dialog, 105), BM_CLICK, 0, 0);
    EXPECT_TRUE(Checked(dialog, 105));
    c.close(dialog);
    ASSERT_TRUE(saver.WaitForEnd());
    EXPECT_EQ(wintest::ReadFileText(saver.IniPath()), ini);
  }
  // Without a settings file, none is made.
  Saver saver;
  HWND dialog = OpenSettings(saver, "[Settings]\r\nTwoWaySound=1\r\n");
  ASSERT_NE(dialog, nullptr);
  SendMessageA(GetDlgItem(dialog, 101), BM_CLICK, 0, 0);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(saver.WaitForEnd());
  EXPECT_FALSE(wintest::Exists(saver.IniPath()));
}

// The message box of the saver's process owned by the dialog, once it is up.
HWND OwnedBox(DWORD pid, HWND dialog) {
  HWND found = nullptr;
  WaitFor([&] {
    for (HWND w : wintest::TopLevelWindows(pid))
      if (w != dialog && wintest::ClassOf(w) == "#32770" && GetWindow(w, GW_OWNER) == dialog &&
          IsWindowVisible(w))
        found = w;
    return found != nullptr;
  });
  return found;
}

// The texts of a window's children, joined by line ends.
std::string ChildTexts(HWND window) {
  std::string texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    texts += wintest::TextOf(child) + "\n";
  return texts;
}

// A settings file that cannot be written: the user is told, and the dialog
// stays open with the choice as it was made, so it is not lost. The test
// keeps the file from being written by a folder of its name (a read-only
// folder stays writable for root under Wine).
TEST(SettingsDialog, AFailedWriteIsToldAndTheDialogStaysOpenWithTheChoice) {
  Saver saver;
  ASSERT_TRUE(CreateDirectoryA(saver.IniPath().c_str(), nullptr));
  HWND dialog = OpenSettings(saver, "[Settings]\r\nTwoWaySound=1\r\n");
  ASSERT_NE(dialog, nullptr);
  SendMessageA(GetDlgItem(dialog, 101), BM_CLICK, 0, 0);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  HWND box = OwnedBox(saver.Pid(), dialog);
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(wintest::TextOf(box), "Show");
  const std::string texts = ChildTexts(box);
  EXPECT_NE(texts.find("could not be saved"), std::string::npos) << texts;
  EXPECT_NE(texts.find(saver.IniPath()), std::string::npos) << texts;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  Settle(300);
  EXPECT_TRUE(saver.Running());
  ASSERT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(Checked(dialog, 101));

  // Once the way is free, OK again saves the same choice.
  ASSERT_TRUE(RemoveDirectoryA(saver.IniPath().c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(saver.WaitForEnd());
  EXPECT_EQ(Profile(saver.IniPath(), "Screensaver", "Sound"), "2");
}

// The screen's work area, where a dialog is fully usable.
RECT WorkArea() {
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// A picture larger than the screen: the dialog grows only to the work area,
// the picture is cut at the frame's edges, and OK and Cancel stay in reach.
TEST(SettingsDialog, APictureLargerThanTheScreenKeepsTheDialogAndItsButtonsInTheWorkArea) {
  const RECT work = WorkArea();
  const int pictureWidth = (work.right - work.left) * 2 + 100;
  const int pictureHeight = (work.bottom - work.top) * 2 + 60;
  Saver small;
  HWND smallDialog = OpenSettings(small, "[Settings]\r\nThreeWaySound=1\r\n");
  ASSERT_NE(smallDialog, nullptr);
  const Layout before = ReadLayout(smallDialog);
  PostMessageA(smallDialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(small.WaitForEnd());

  Saver saver;
  ASSERT_TRUE(wintest::WriteFileBytes(saver / "box.bmp",
                                      MakeBmp(TestPicture(pictureWidth, pictureHeight), 8)));
  HWND dialog = OpenSettings(saver, "[Settings]\r\nThreeWaySound=1\r\n",
                             "--settings-box \"" + saver / "box.bmp" + "\"");
  ASSERT_NE(dialog, nullptr);
  const Layout after = ReadLayout(dialog);
  // As large as the work area allows, inside it.
  EXPECT_EQ(after.window.right - after.window.left, work.right - work.left);
  EXPECT_EQ(after.window.bottom - after.window.top, work.bottom - work.top);
  EXPECT_TRUE(Inside(after.window, work));
  // The frame and the controls moved as the dialog grew.
  const int dx =
      (after.window.right - after.window.left) - (before.window.right - before.window.left);
  const int dy =
      (after.window.bottom - after.window.top) - (before.window.bottom - before.window.top);
  EXPECT_EQ(after.frame.right - after.frame.left, before.frame.right - before.frame.left + dx);
  EXPECT_EQ(after.frame.bottom - after.frame.top, before.frame.bottom - before.frame.top + dy);
  RECT client;
  GetClientRect(dialog, &client);
  for (int id : kDialogControls) {
    SCOPED_TRACE(id);
    EXPECT_EQ(after.controls.at(id).left, before.controls.at(id).left + dx);
    EXPECT_EQ(after.controls.at(id).top, before.controls.at(id).top);
  }
  // OK and Cancel on the screen, within the dialog and the work area.
  for (int id : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(Inside(after.controls.at(id), client));
    RECT onScreen;
    GetWindowRect(GetDlgItem(dialog, id), &onScreen);
    EXPECT_TRUE(Inside(onScreen, work));
  }
  // OK is reachable: pressing it saves and ends the dialog.
  SendMessageA(GetDlgItem(dialog, 105), BM_CLICK, 0, 0);
  SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(saver.WaitForEnd());
  EXPECT_EQ(Profile(saver.IniPath(), "Screensaver", "Sound"), "2");
}

// The settings dialog over a packed saver's pictures, made in this process
// (with the program's own dialog resource) so that its pixels can be read
// back.
class LocalSettings {
 public:
  LocalSettings(const std::string& packed, HINSTANCE program)
      : path_(packed), dialog_(path_.c_str(), program) {
    window_ = CreateModeless(dialog_, program, 1000, nullptr);
    if (!window_) return;
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    Settle(200);
  }
  ~LocalSettings() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
  }
  LocalSettings(const LocalSettings&) = delete;
  LocalSettings& operator=(const LocalSettings&) = delete;

  HWND Window() const { return window_; }
  HWND Frame() const { return GetDlgItem(window_, 100); }
  zySaverDlg& Dialog() { return dialog_; }

 private:
  std::string path_;
  zySaverDlg dialog_;
  HWND window_ = nullptr;
};

// The frame shows the settings-box picture pixel for pixel, in its own
// colours: as loaded on a true-colour display, through its palette on a
// palette display. The picture is larger than the frame, so the frame
// grows to just its size.
TEST(SettingsDialog, TheFrameShowsThePicturesOwnPixels) {
  struct Case {
    const char* what;
    int bitCount;
    bool paletteDisplay;
  };
  const Case cases[] = {{"24-bit, true colour", 24, false},
                        {"8-bit, true colour", 8, false},
                        {"8-bit, palette display", 8, true}};
  HMODULE program = LoadLibraryExA(kSaver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    XDisplayDescription display = c.paletteDisplay ? PaletteDisplay() : XDisplayDescription();
    XDisplayScope scope(display);
    const Picture picture = TestPicture(230, 190);
    Saver saver;
    ASSERT_TRUE(wintest::WriteFileBytes(saver / "box.bmp", MakeBmp(picture, c.bitCount)));
    // A preview picture after it: the settings box is found by its own offset.
    ASSERT_TRUE(wintest::WriteFileBytes(saver / "preview.bmp", MakeBmp(TestPicture(20, 10), 24)));
    ASSERT_TRUE(saver.Pack(kPlainProject, "--settings-box \"" + saver / "box.bmp" +
                                              "\" --preview \"" + saver / "preview.bmp" + "\""));
    LocalSettings settings(saver.SaverPath(), program);
    ASSERT_NE(settings.Window(), nullptr);
    ASSERT_NE(settings.Dialog().m_Dib.bits, nullptr);
    EXPECT_EQ(settings.Dialog().m_hPalette != nullptr, c.paletteDisplay);
    const Picture shot = Capture(settings.Frame());
    ASSERT_EQ(shot.width, picture.width);
    ASSERT_EQ(shot.height, picture.height);
    std::string first;
    EXPECT_EQ(Differences(shot, picture, &first), 0) << first;
  }
  FreeLibrary(program);
}

TEST(SettingsDialog, WithoutAPackageNoSoundControlIsShownAndTheFrameKeepsItsSize) {
  Saver saver;
  const std::string bare = saver / "Bare.scr";
  ASSERT_TRUE(wintest::CopyTo(kSaver, bare));
  HWND dialog = OpenSettings(saver, "", "", bare);
  ASSERT_NE(dialog, nullptr);
  for (int id = 101; id <= 105; ++id) EXPECT_FALSE(Shown(dialog, id)) << id;
  const Layout resource = ResourceLayout();
  ASSERT_GT(resource.frame.right, 0);
  ExpectSame(ControlRect(dialog, 100), resource.frame);
  RECT window;
  GetWindowRect(dialog, &window);
  ExpectSameSize(window, resource.window);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(saver.WaitForEnd());
  // OK writes the setting as read (none: 0).
  EXPECT_EQ(Profile(saver / "Bare.ini", "Screensaver", "Sound"), "0");
}

}  // namespace
