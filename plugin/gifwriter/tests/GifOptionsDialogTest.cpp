// The GIF options dialog, shown by the real export-options operation of
// Palvex.dll and driven from a helper thread through window messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/HostDictionary.h"
#include "host/PluginModule.h"
#include "plugin/gifwriter/DialogGuard.h"
#include "plugin/gifwriter/GifWriterInstance.h"

using namespace vrixhost;

namespace {

HWND FindOwnWindow(const char* caption) {
  for (int tries = 0; tries < 500; ++tries) {
    HWND w = FindWindowA("#32770", caption);
    if (w && IsWindowVisible(w)) return w;
    Sleep(10);
  }
  return nullptr;
}

std::string Text(HWND w) {
  char buffer[256] = "";
  GetWindowTextA(w, buffer, sizeof buffer);
  return buffer;
}

void Command(HWND dialog, int id, int code) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SelectPalette(HWND dialog, int index) {
  SendDlgItemMessageA(dialog, 1009, CB_SETCURSEL, index, 0);
  Command(dialog, 1009, CBN_CLOSEUP);
}

void TypeIndex(HWND dialog, const char* text) {
  SetDlgItemTextA(dialog, 1012, text);  // the edit control sends EN_CHANGE itself
  Command(dialog, 1012, EN_KILLFOCUS);
}

void Click(HWND dialog, int x, int y) {
  SendMessageA(GetDlgItem(dialog, 1011), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

bool Enabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// 256 colours, colour i = (i, 255 - i, i / 2): no two alike, red and blue differ.
std::vector<uint8_t> ActPalette() {
  std::vector<uint8_t> b;
  for (int i = 0; i < 256; ++i) {
    b.push_back(static_cast<uint8_t>(i));
    b.push_back(static_cast<uint8_t>(255 - i));
    b.push_back(static_cast<uint8_t>(i / 2));
  }
  return b;
}

class GifOptionsDialog : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Load(PALVEX_PATH)) << module_.error();
    callback_ = HostCallback::Create();
    ASSERT_EQ(VX_OK, HostInstance::Create(module_.exports(), CLSID_PalvexGifWriter, &allocator_,
                                          callback_, &instance_));
    void* object = nullptr;
    ASSERT_EQ(VX_OK, instance_->GetInterface(IID_VxExportOptions, &object));
    options_ = static_cast<VxExportOptions*>(object);
  }
  void TearDown() override {
    if (options_) options_->ops->Release(options_);
    if (instance_) {
      EXPECT_EQ(VX_OK, instance_->Destroy());
    }
    if (callback_) callback_->ops->Release(callback_);
  }
  GifWriterInstance* State() { return reinterpret_cast<GifWriterInstance*>(instance_->instance()); }

  // Runs operation 7 while `script` drives the dialog from another thread;
  // the script ends the dialog itself.
  VxStatus Run(VxDictionary** dictionary, std::function<void(HWND)> script) {
    std::atomic<bool> found{false};
    std::thread helper([&] {
      HWND dialog = FindOwnWindow("GIF Options");
      if (!dialog) return;
      found = true;
      script(dialog);
    });
    const VxStatus status = options_->ops->RunOptionsDialog(options_, nullptr, dictionary);
    helper.join();
    EXPECT_TRUE(found) << "the dialog never appeared";
    return status;
  }

  PluginModule module_;
  HostAllocator allocator_;
  HostCallback* callback_ = nullptr;
  HostInstance* instance_ = nullptr;
  VxExportOptions* options_ = nullptr;
};

TEST_F(GifOptionsDialog, FreshDictionaryStartsOnWebAndCancelWritesNothing) {
  VxDictionary* dictionary = nullptr;
  const int32_t choiceBefore = State()->settings.options.paletteChoice;
  const gif::PaletteSpec paletteBefore = State()->settings.working;
  int selection = -1;
  std::string index, caption;
  std::vector<std::string> names;
  const VxStatus status = Run(&dictionary, [&](HWND dialog) {
    selection = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCURSEL, 0, 0));
    index = Text(GetDlgItem(dialog, 1012));
    const int count = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char name[64] = "";
      SendDlgItemMessageA(dialog, 1009, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
      names.push_back(name);
    }
    SelectPalette(dialog, 4);  // a change the user then cancels
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(VX_E_CANCELLED, status);
  // Cancel leaves the export's options as they were, palette included.
  EXPECT_EQ(choiceBefore, State()->settings.options.paletteChoice);
  EXPECT_EQ(0, std::memcmp(&paletteBefore, &State()->settings.working, sizeof paletteBefore));
  EXPECT_EQ(1, selection);
  EXPECT_EQ("32", index);
  ASSERT_GE(names.size(), 8u);
  const char* const builtins[] = {"Exact Palette",  "Web",       "64 Colors",
                                  "32 Colors",      "16 Colors", "Macintosh System",
                                  "Windows System", "3-3-2"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(builtins[i], names[i]);
  EXPECT_EQ("Other...", names.back());  // the stand-in has palette readers
  ASSERT_NE(nullptr, dictionary);       // made by the operation, left empty
  EXPECT_TRUE(static_cast<HostDictionary*>(dictionary)->values.empty());
  dictionary->ops->Release(dictionary);
}

TEST_F(GifOptionsDialog, StoredPaletteFileChoiceStartsOnWeb) {
  HostDictionary* d = HostDictionary::Create();
  d->SetInt("PixelFormatRegKey_OverridePalette", 9);
  VxDictionary* dictionary = d;
  int selection = -1;
  EXPECT_EQ(VX_E_CANCELLED, Run(&dictionary, [&](HWND dialog) {
              selection = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCURSEL, 0, 0));
              PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }));
  EXPECT_EQ(1, selection);
  EXPECT_EQ(1u, d->values.size());  // untouched
  d->ops->Release(d);
}

// Check box 1014 starts from the adaptive palette's key as the host's
// dictionary holds it, and OK stores what it shows; reading that dictionary
// for the next dialog brings it back.
TEST_F(GifOptionsDialog, AdaptivePaletteBoxStoresAndRestoresItsKey) {
  HostDictionary* d = HostDictionary::Create();
  d->SetInt("PixelFormatRegKey_OverridePalette", 0);
  VxDictionary* dictionary = d;
  std::vector<bool> shown;
  std::string text;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(VX_OK, options_->ops->ReadOptions(options_, d));
    EXPECT_EQ(VX_OK, Run(&dictionary, [&](HWND dialog) {
                shown.push_back(IsDlgButtonChecked(dialog, 1014) == BST_CHECKED);
                text = Text(GetDlgItem(dialog, 1014));
                SendDlgItemMessageA(dialog, 1014, BM_CLICK, 0, 0);
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
              }));
    EXPECT_EQ(round == 0, State()->settings.options.adaptivePalette);
    ASSERT_TRUE(d->Has("PixelFormatRegKey_AdaptivePalette"));
    EXPECT_EQ(std::vector<uint8_t>{round == 0 ? uint8_t(1) : uint8_t(0)},
              d->Find("PixelFormatRegKey_AdaptivePalette")->bytes);
  }
  EXPECT_EQ((std::vector<bool>{false, true}), shown);  // absent reads as off, then on
  EXPECT_EQ("Adaptive Palette", text);
  d->ops->Release(d);
}

TEST_F(GifOptionsDialog, EnablingRuleFollowsTransparencyAndPalette) {
  State()->settings.options.transparent = true;
  HostDictionary* d = HostDictionary::Create();
  d->SetInt("PixelFormatRegKey_OverridePalette", 2);
  VxDictionary* dictionary = d;
  struct Seen {
    bool checkbox, edit, label, display;
  };
  std::vector<Seen> seen;
  auto look = [&](HWND dialog) {
    seen.push_back({Enabled(dialog, 1007), Enabled(dialog, 1012), Enabled(dialog, 1013),
                    Enabled(dialog, 1011)});
  };
  Run(&dictionary, [&](HWND dialog) {
    look(dialog);                                       // 64 colours, transparent
    SendDlgItemMessageA(dialog, 1007, BM_CLICK, 0, 0);  // transparency off
    look(dialog);
    SendDlgItemMessageA(dialog, 1007, BM_CLICK, 0, 0);  // on again
    look(dialog);
    SelectPalette(dialog, 0);  // exact palette
    look(dialog);
    SelectPalette(dialog, 4);  // 16 colours
    look(dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_EQ(5u, seen.size());
  const Seen expected[] = {{true, true, true, true},
                           {true, false, false, false},
                           {true, true, true, true},
                           {false, false, false, false},
                           {true, true, true, true}};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].checkbox, seen[i].checkbox);
    EXPECT_EQ(expected[i].edit, seen[i].edit);
    EXPECT_EQ(expected[i].label, seen[i].label);
    EXPECT_EQ(expected[i].display, seen[i].display);
  }
  d->ops->Release(d);
}

TEST_F(GifOptionsDialog, IndexFieldClampsAndClicksPickCells) {
  State()->settings.options.transparent = true;
  VxDictionary* dictionary = nullptr;
  struct Step {
    std::string text;
    DWORD caret;
  };
  std::vector<Step> steps;
  auto look = [&](HWND dialog) {
    DWORD start = 0, end = 0;
    SendDlgItemMessageA(dialog, 1012, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
    steps.push_back({Text(GetDlgItem(dialog, 1012)), end});
  };
  const VxStatus status = Run(&dictionary, [&](HWND dialog) {
    TypeIndex(dialog, "300");
    look(dialog);
    TypeIndex(dialog, "-5");
    look(dialog);
    Click(dialog, 19, 19);
    look(dialog);
    Click(dialog, 16, 4);  // between two cells
    look(dialog);
    Click(dialog, 15, 15);  // the last pixel of cell 0
    look(dialog);
    Click(dialog, 19, 19);
    look(dialog);
    Click(dialog, 4, 4);
    look(dialog);
    TypeIndex(dialog, "99999999999");  // beyond any int
    look(dialog);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_EQ(VX_OK, status);
  const Step expected[] = {{"255", 3}, {"0", 1},  {"33", 2}, {"33", 2},
                           {"0", 1},   {"33", 2}, {"0", 1},  {"255", 3}};
  ASSERT_EQ(std::size(expected), steps.size());
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].text, steps[i].text);
    EXPECT_EQ(expected[i].caret, steps[i].caret);
  }
  HostDictionary* d = static_cast<HostDictionary*>(dictionary);
  int32_t index = -1;
  EXPECT_EQ(VX_OK, d->Get(VX_DICT_INT32, &index, 4, "PixelFormatRegKey_TransparentIndex"));
  EXPECT_EQ(255, index);
  dictionary->ops->Release(dictionary);
}

// Renders the display into a 32-bit bitmap through WM_PRINTCLIENT.
std::vector<COLORREF> Render(HWND display, int* width) {
  RECT r;
  GetClientRect(display, &r);
  *width = r.right;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.right;
  bi.bmiHeader.biHeight = -r.bottom;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageA(display, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  std::vector<COLORREF> pixels(static_cast<size_t>(r.right) * r.bottom);
  const uint8_t* p = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = RGB(p[4 * i + 2], p[4 * i + 1], p[4 * i]);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

TEST_F(GifOptionsDialog, DisplayPaintsSwatchesEmptyCellsAndTheTransparentFrame) {
  State()->settings.options.transparent = true;
  HostDictionary* d = HostDictionary::Create();
  d->SetInt("PixelFormatRegKey_OverridePalette", 4);  // 16 colours
  VxDictionary* dictionary = d;
  std::vector<COLORREF> dark, light;
  int width = 0;
  Run(&dictionary, [&](HWND dialog) {
    TypeIndex(dialog, "3");
    dark = Render(GetDlgItem(dialog, 1011), &width);
    SendDlgItemMessageA(dialog, 1007, BM_CLICK, 0, 0);  // transparency bit off
    light = Render(GetDlgItem(dialog, 1011), &width);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_GT(width, 4 + 15 * 31 + 12);
  auto at = [&](const std::vector<COLORREF>& img, int x, int y) { return img[y * width + x]; };
  auto cellX = [](int i) { return 4 + 15 * (i % 32); };
  auto cellY = [](int i) { return 4 + 15 * (i / 32); };
  // Swatches: the 16-colour table's entries 1 (BF0000) and 2 (0000BF), 9 (FF0000).
  EXPECT_EQ(RGB(0xBF, 0, 0), at(dark, cellX(1) + 6, cellY(1) + 6));
  EXPECT_EQ(RGB(0, 0, 0xBF), at(dark, cellX(2) + 6, cellY(2) + 6));
  EXPECT_EQ(RGB(0xFF, 0, 0), at(dark, cellX(9) + 11, cellY(9) + 11));
  // Cell 40 is empty: white inside, framed, crossed on both diagonals.
  const int ex = cellX(40), ey = cellY(40);
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  for (const auto& [img, line] :
       {std::make_pair(&dark, RGB(0, 0, 0)), std::make_pair(&light, grey)}) {
    EXPECT_EQ(RGB(255, 255, 255), at(*img, ex + 6, ey + 3));
    EXPECT_EQ(line, at(*img, ex, ey + 6));      // frame
    EXPECT_EQ(line, at(*img, ex + 3, ey + 3));  // one diagonal
    EXPECT_EQ(line, at(*img, ex + 8, ey + 3));  // the other
    // Transparent index 3: a second frame 2 pixels outside; none around cell 6.
    EXPECT_EQ(line, at(*img, cellX(3) - 2, cellY(3) + 6));
    EXPECT_EQ(RGB(255, 255, 255), at(*img, cellX(6) - 2, cellY(6) + 6));
    EXPECT_EQ(line, at(*img, 0, 60));  // the outer frame
  }
  d->ops->Release(d);
}

// A palette folder tree beside the host's plug-in folder.
class GifOptionsFiles : public GifOptionsDialog {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ = std::string(temp) + "gifoptions-" + std::to_string(GetCurrentProcessId());
    const std::string p = root_ + "\\Palettes";
    for (const std::string& dir : {root_, p, p + "\\sub", p + "\\1", p + "\\1\\2", p + "\\1\\2\\3",
                                   p + "\\1\\2\\3\\4", p + "\\1\\2\\3\\4\\5"})
      CreateDirectoryA(dir.c_str(), nullptr);
    WriteBytes(p + "\\ramp.act", ActPalette());
    WriteBytes(p + "\\notes.txt", {'h', 'i'});
    WriteBytes(p + "\\sub\\broken.act", ActPalette());
    WriteBytes(p + "\\1\\2\\3\\4\\deep4.act", ActPalette());
    WriteBytes(p + "\\1\\2\\3\\4\\5\\deep5.act", ActPalette());
    GifOptionsDialog::SetUp();
    callback_->hostPath = root_ + "\\Vrixs";
  }
  void TearDown() override {
    GifOptionsDialog::TearDown();
    const std::string p = root_ + "\\Palettes";
    for (const char* f : {"\\ramp.act", "\\notes.txt", "\\sub\\broken.act",
                          "\\1\\2\\3\\4\\deep4.act", "\\1\\2\\3\\4\\5\\deep5.act"})
      DeleteFileA((p + f).c_str());
    for (const char* dir :
         {"\\1\\2\\3\\4\\5", "\\1\\2\\3\\4", "\\1\\2\\3", "\\1\\2", "\\1", "\\sub", ""})
      RemoveDirectoryA((p + dir).c_str());
    RemoveDirectoryA(root_.c_str());
  }
  std::string root_;
};

int FindEntry(HWND dialog, const char* name) {
  return static_cast<int>(
      SendDlgItemMessageA(dialog, 1009, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name)));
}

TEST_F(GifOptionsFiles, ListsReadableFilesFourLevelsDeepAndWritesTheChosenPalette) {
  State()->settings.options.transparent = true;
  VxDictionary* dictionary = nullptr;
  int ramp = -1, deep4 = -1, deep5 = -1, notes = -1, count = 0;
  std::string fileName;
  const VxStatus status = Run(&dictionary, [&](HWND dialog) {
    ramp = FindEntry(dialog, "ramp");
    deep4 = FindEntry(dialog, "deep4");
    deep5 = FindEntry(dialog, "deep5");
    notes = FindEntry(dialog, "notes");
    count = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCOUNT, 0, 0));
    TypeIndex(dialog, "7");
    if (ramp >= 0) SelectPalette(dialog, ramp);
    fileName = Text(GetDlgItem(dialog, 1010));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_EQ(VX_OK, status);
  EXPECT_GE(ramp, 8);
  EXPECT_GE(deep4, 8);
  EXPECT_EQ(CB_ERR, deep5);
  EXPECT_EQ(CB_ERR, notes);
  EXPECT_EQ(8 + 3 + 1, count);  // built-ins, ramp, broken, deep4, "Other..."
  EXPECT_EQ("ramp.act", fileName);

  HostDictionary* d = static_cast<HostDictionary*>(dictionary);
  const std::vector<std::string> order = {"PixelFormat_Interlaced",
                                          "PixelFormatRegKey_Transparent",
                                          "PixelFormatRegKey_Dither",
                                          "PixelFormatRegKey_OverridePalette",
                                          "PixelFormatRegKey_PaletteSize",
                                          "PixelFormatRegKey_Palette",
                                          "PixelFormatRegKey_TransparentIndex"};
  EXPECT_EQ(order, d->putLog);
  EXPECT_EQ(order.size(), d->values.size());
  int32_t choice = -1, size = -1, index = -1;
  d->Get(VX_DICT_INT32, &choice, 4, "PixelFormatRegKey_OverridePalette");
  d->Get(VX_DICT_INT32, &size, 4, "PixelFormatRegKey_PaletteSize");
  d->Get(VX_DICT_INT32, &index, 4, "PixelFormatRegKey_TransparentIndex");
  EXPECT_EQ(ramp, choice);
  EXPECT_EQ(256, size);
  EXPECT_EQ(7, index);  // the edited index survives the change of palette
  const DictionaryValue* bytes = d->Find("PixelFormatRegKey_Palette");
  ASSERT_NE(nullptr, bytes);
  ASSERT_EQ(256u * 8, bytes->bytes.size());
  VxColorEntry e[256];
  std::memcpy(e, bytes->bytes.data(), sizeof e);
  EXPECT_EQ(200 * 257, e[200].red);
  EXPECT_EQ(55 * 257, e[200].green);
  EXPECT_EQ(100 * 257, e[200].blue);
  dictionary->ops->Release(dictionary);
}

TEST_F(GifOptionsFiles, UnreadableFileShowsReadErrorAndKeepsTheChoice) {
  HostDictionary* d = HostDictionary::Create();
  d->SetInt("PixelFormatRegKey_OverridePalette", 3);
  VxDictionary* dictionary = d;
  std::string message, caption;
  int selection = -1;
  Run(&dictionary, [&](HWND dialog) {
    const int broken = FindEntry(dialog, "broken");
    if (broken < 0) {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    // Spoil the file after it was listed.
    WriteBytes(root_ + "\\Palettes\\sub\\broken.act", {1, 2, 3});
    SendDlgItemMessageA(dialog, 1009, CB_SETCURSEL, broken, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1009, CBN_CLOSEUP),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1009)));
    HWND box = FindOwnWindow("Read Error");
    if (box) {
      caption = Text(box);
      message = Text(GetDlgItem(box, 0xFFFF));
      SendMessageA(box, WM_COMMAND, IDOK, 0);
    }
    for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
    selection = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCURSEL, 0, 0));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ("Read Error", caption);
  EXPECT_EQ("An error occured while reading the palette.", message);
  EXPECT_EQ(3, selection);
  EXPECT_EQ(1u, d->values.size());
  d->ops->Release(d);
}

// The file name box of the common Open dialog: a combo box in newer
// layouts, an edit control in older ones.
HWND FileNameBox(HWND open) {
  HWND box = GetDlgItem(open, 0x47C);          // cmb13
  return box ? box : GetDlgItem(open, 0x480);  // edt1
}

TEST_F(GifOptionsFiles, OtherOpensTheFileDialogWithAFilterPerReader) {
  // Outside the palette folder, so that only "Other..." can reach it.
  const std::string elsewhere = root_ + "\\elsewhere.act";
  WriteBytes(elsewhere, ActPalette());
  VxDictionary* dictionary = nullptr;
  std::vector<std::string> filters;
  int initialFilter = -1, afterCancel = -1, other = -1, afterOpen = -1;
  bool cancelShowedNothing = false;
  std::string fileName;
  const VxStatus status = Run(&dictionary, [&](HWND dialog) {
    other = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCOUNT, 0, 0)) - 1;
    const auto openOther = [&] {
      SendDlgItemMessageA(dialog, 1009, CB_SETCURSEL, other, 0);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1009, CBN_CLOSEUP),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1009)));
      return FindOwnWindow("Open");
    };
    // First look at the filters, then cancel: no message, the choice stays.
    HWND open = openOther();
    if (!open) return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0), void();
    HWND types = GetDlgItem(open, 0x470);  // cmb1, the file types
    const int n = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char item[256] = "";
      SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      filters.push_back(item);
    }
    initialFilter = static_cast<int>(SendMessageA(types, CB_GETCURSEL, 0, 0));
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 200 && IsWindow(open); ++i) Sleep(10);
    Sleep(100);
    cancelShowedNothing = FindWindowA("#32770", "Read Error") == nullptr;
    afterCancel = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCURSEL, 0, 0));

    // Then choose the file.
    open = openOther();
    if (!open) return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0), void();
    SetWindowTextA(FileNameBox(open), elsewhere.c_str());
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 300 && IsWindow(open); ++i) Sleep(10);
    Sleep(100);
    afterOpen = static_cast<int>(SendDlgItemMessageA(dialog, 1009, CB_GETCURSEL, 0, 0));
    fileName = Text(GetDlgItem(dialog, 1010));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  DeleteFileA(elsewhere.c_str());
  ASSERT_EQ(VX_OK, status);
  ASSERT_EQ(4u, filters.size());  // three readers, then "All Files"
  EXPECT_EQ("All Files (*.*)", filters.back());
  for (size_t i = 0; i < 3; ++i)
    EXPECT_NE(std::string::npos, filters[i].find(" (*.")) << filters[i];
  EXPECT_EQ(3, initialFilter);
  EXPECT_TRUE(cancelShowedNothing);
  EXPECT_EQ(1, afterCancel);  // a fresh dictionary's "Web"
  EXPECT_EQ(other, afterOpen);
  EXPECT_EQ("elsewhere.act", fileName);
  HostDictionary* d = static_cast<HostDictionary*>(dictionary);
  int32_t choice = -1, size = -1;
  d->Get(VX_DICT_INT32, &choice, 4, "PixelFormatRegKey_OverridePalette");
  d->Get(VX_DICT_INT32, &size, 4, "PixelFormatRegKey_PaletteSize");
  EXPECT_EQ(other, choice);
  EXPECT_EQ(256, size);
  dictionary->ops->Release(dictionary);
}

}  // namespace

namespace {

// Every shipped language has dialog 102 and both string blocks (1008-1023
// and 1024-1039); the English strings read as the dialog shows them.
// The controls of one dialog template (DIALOG, not DIALOGEX): id, class
// ordinal (0 for a named class), style and rectangle in dialog units.
struct TemplateItem {
  int id;
  int classOrdinal;
  DWORD style;
  RECT rect;
};

const WORD* SkipNameOrOrdinal(const WORD* p) {
  if (*p == 0xFFFF) return p + 2;
  while (*p) ++p;
  return p + 1;
}

std::vector<TemplateItem> TemplateItems(const void* resource) {
  const DLGTEMPLATE* t = static_cast<const DLGTEMPLATE*>(resource);
  const WORD* p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(t) + 18);
  p = SkipNameOrOrdinal(p);  // menu
  p = SkipNameOrOrdinal(p);  // class
  p = SkipNameOrOrdinal(p);  // caption
  if (t->style & DS_SETFONT) p = SkipNameOrOrdinal(p + 1);
  std::vector<TemplateItem> items;
  for (WORD i = 0; i < t->cdit; ++i) {
    const uintptr_t at = (reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t(3);
    const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(at);
    p = reinterpret_cast<const WORD*>(at + 18);
    const int ordinal = *p == 0xFFFF ? p[1] : 0;
    p = SkipNameOrOrdinal(p);  // class
    p = SkipNameOrOrdinal(p);  // text
    p += 1 + (*p + 1) / 2;     // creation data
    items.push_back({static_cast<short>(item->id), ordinal, item->style,
                     RECT{item->x, item->y, item->x + item->cx, item->y + item->cy}});
  }
  return items;
}

// Check box 1014, the adaptive palette, is in every language's dialog: an
// auto check box inside the dialog that overlaps no other control.
TEST(GifOptionsResources, AdaptivePaletteBoxInEveryLanguageLaidOutWithTheOthers) {
  HMODULE dll = LoadLibraryExA(PALVEX_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, dll);
  for (WORD language : {1028, 1031, 1033, 1034, 1036, 1040, 1041, 1053, 2058, 3082}) {
    SCOPED_TRACE(language);
    HRSRC found = FindResourceExA(dll, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(102), language);
    ASSERT_NE(nullptr, found);
    const DLGTEMPLATE* t = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(dll, found)));
    const std::vector<TemplateItem> items = TemplateItems(t);
    ASSERT_EQ(13u, items.size());
    const TemplateItem* box = nullptr;
    for (const TemplateItem& item : items)
      if (item.id == 1014) box = &item;
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(0x0080, box->classOrdinal);  // a button
    EXPECT_EQ(DWORD(BS_AUTOCHECKBOX), box->style & 0x0F);
    EXPECT_TRUE(box->style & WS_TABSTOP);
    EXPECT_GE(box->rect.left, 0);
    EXPECT_LE(box->rect.right, t->cx);
    EXPECT_LE(box->rect.bottom, t->cy);
    for (const TemplateItem& item : items) {
      if (&item == box) continue;
      RECT overlap;
      EXPECT_FALSE(IntersectRect(&overlap, &item.rect, &box->rect)) << "control " << item.id;
    }
  }
  FreeLibrary(dll);
}

TEST(GifOptionsResources, TenLanguagesAndTheEnglishTexts) {
  HMODULE dll = LoadLibraryExA(PALVEX_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, dll);
  for (WORD language : {1028, 1031, 1033, 1034, 1036, 1040, 1041, 1053, 2058, 3082}) {
    SCOPED_TRACE(language);
    EXPECT_NE(nullptr, FindResourceExA(dll, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(102), language));
    EXPECT_NE(nullptr,
              FindResourceExA(dll, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(1018 / 16 + 1), language));
    EXPECT_NE(nullptr,
              FindResourceExA(dll, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(1028 / 16 + 1), language));
  }
  EXPECT_EQ(nullptr, FindResourceExA(dll, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(102), 1043));
  // The English table holds the filter pair with its "$" marks.
  HRSRC block = FindResourceExA(dll, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(1018 / 16 + 1), 1033);
  ASSERT_NE(nullptr, block);
  const WCHAR* p = static_cast<const WCHAR*>(LockResource(LoadResource(dll, block)));
  for (int i = 0; i < 1018 % 16; ++i) p += 1 + *p;  // counted strings
  EXPECT_EQ(std::wstring(L"All Files (*.*)$*.*$$"), std::wstring(p + 1, *p));
  FreeLibrary(dll);
}

}  // namespace

namespace {

// What the guarded procedure of the test dialog throws, and when.
enum class Throw { kNothing, kBadAllocOnInit, kLengthErrorOnCommand };
Throw g_throw = Throw::kNothing;

INT_PTR HandleTestDialog(HWND dialog, UINT message) {
  switch (message) {
    case WM_INITDIALOG:
      if (g_throw == Throw::kBadAllocOnInit) throw std::bad_alloc();
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      return TRUE;
    case WM_COMMAND:
      if (g_throw == Throw::kLengthErrorOnCommand) std::vector<int>().reserve(SIZE_MAX);
      EndDialog(dialog, 5);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  return GuardedDialogMessage(dialog, [&] { return HandleTestDialog(dialog, message); });
}

// A standard container's exception inside a dialog step never leaves the
// procedure: the dialog ends with -1, which the options operation turns into
// the out-of-memory status.
TEST(GifOptionsDialogGuard, ExceptionsEndTheDialogWithMinusOne) {
  // An empty dialog template: no menu, class or title, no controls.
  alignas(4) WORD templ[16] = {};
  DLGTEMPLATE* t = reinterpret_cast<DLGTEMPLATE*>(templ);
  t->style = WS_POPUP | DS_MODALFRAME;
  t->cx = 40;
  t->cy = 20;
  const struct {
    Throw what;
    INT_PTR result;
  } cases[] = {
      {Throw::kNothing, 5},
      {Throw::kBadAllocOnInit, -1},
      {Throw::kLengthErrorOnCommand, -1},
  };
  for (const auto& c : cases) {
    g_throw = c.what;
    INT_PTR result = 0;
    EXPECT_NO_THROW(
        result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t, nullptr, TestDialogProc, 0));
    EXPECT_EQ(result, c.result) << static_cast<int>(c.what);
  }
  g_throw = Throw::kNothing;
}

}  // namespace
