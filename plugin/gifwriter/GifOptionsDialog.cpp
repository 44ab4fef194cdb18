#include "plugin/gifwriter/GifOptionsDialog.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plugin/frame/InterfaceObject.h"
#include "plugin/gifwriter/DialogGuard.h"
#include "plugin/gifwriter/GifWriterInterfaces.h"
#include "plugin/gifwriter/Palettes.h"

namespace {

constexpr int kFirstName = 1020;  // strings 1020-1027 name the built-ins
constexpr int kOtherString = 1028;
constexpr int kAllFilesString = 1018;
constexpr int kMaxFolderDepth = 4;

// Releases an interface object the host handed us.
template <class T>
void ReleaseObject(T*& object) {
  if (object) object->ops->Release(object);
  object = nullptr;
}

std::string LoadText(HINSTANCE resources, int id) {
  char buffer[256];
  const int n = LoadStringA(resources, static_cast<UINT>(id), buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

bool EnableRule() {
  const GifDialogState& s = GifDialog();
  return GifDialogPalette().kind == gif::kPaletteKindExplicit && s.transparencyBit && s.choice != 0;
}

void ApplyEnableRule(HWND dialog) {
  const BOOL on = EnableRule() ? TRUE : FALSE;
  EnableWindow(GetDlgItem(dialog, kIdIndexEdit), on);
  EnableWindow(GetDlgItem(dialog, kIdIndexLabel), on);
  EnableWindow(GetDlgItem(dialog, kIdPaletteDisplay), on);
}

void Repaint(HWND dialog) {
  InvalidateRect(GetDlgItem(dialog, kIdPaletteDisplay), nullptr, TRUE);
}

// Writes the index into 1012 and puts the caret after it.
void ShowIndex(HWND dialog, int index) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", index);
  HWND edit = GetDlgItem(dialog, kIdIndexEdit);
  SetWindowTextA(edit, text);
  const int end = static_cast<int>(std::strlen(text));
  SendMessageA(edit, EM_SETSEL, end, end);
}

std::string FileNameOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithoutExtension(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The host's palette readers; empty when it has none.
std::vector<VxPaletteReader*> OpenReaders(VxHostCallback* host) {
  std::vector<VxPaletteReader*> readers;
  if (!host) return readers;
  VxReaderRegistry* registry = nullptr;
  if (host->ops->CreateObject(host, &CLSID_VxReaderRegistry, &IID_VxReaderRegistry,
                              reinterpret_cast<void**>(&registry)) != VX_OK ||
      !registry)
    return readers;
  uint32_t count = 0;
  if (registry->ops->GetReaderCount(registry, VX_READER_CATEGORY_PALETTE, &count) == VX_OK) {
    for (uint32_t i = 0; i < count; ++i) {
      VxPaletteReader* reader = nullptr;
      if (registry->ops->GetReader(registry, VX_READER_CATEGORY_PALETTE, i, &reader) == VX_OK &&
          reader)
        readers.push_back(reader);
    }
  }
  ReleaseObject(registry);
  return readers;
}

void CloseReaders(std::vector<VxPaletteReader*>& readers) {
  for (VxPaletteReader*& r : readers) ReleaseObject(r);
  readers.clear();
}

// One reader reads `path` and sends its palette to our palette setter.
VxStatus ReadWith(VxPaletteReader* reader, const std::string& path) {
  GifDialogState& s = GifDialog();
  VxImageSource* source = nullptr;
  VxStatus status = reader->ops->ReadFile(reader, path.c_str(), &source);
  if (status != VX_OK) return status;
  if (!source) return VX_E_ENCODER;
  void* setter = nullptr;
  status = VxCreateInterfaceObject(&s.instance->host, sizeof(VxInterfaceObject), &kPaletteSetterOps,
                                   0, 0, &setter);
  if (status == VX_OK) {
    status = source->ops->SendImage(source, setter, &IID_VxPaletteSetter);
    VxPaletteSetter* object = static_cast<VxPaletteSetter*>(setter);
    object->ops->Release(object);
  }
  source->ops->Release(source);
  return status;
}

// Reads a palette file into the dialog's palette: with `only` when given,
// else every reader sorted by its answer (yes, maybe, unlikely). The
// palette is left as it was on failure, and the edited transparent index is
// kept on success, as it is for the built-in palettes.
VxStatus ReadPaletteFile(const std::string& path, VxPaletteReader* only) {
  GifDialogState& s = GifDialog();
  const gif::PaletteSpec before = GifDialogPalette();
  VxStatus status = VX_E_ENCODER;
  std::vector<VxPaletteReader*> readers;
  if (only) {
    status = ReadWith(only, path);
  } else {
    readers = OpenReaders(s.instance->host.callback);
    std::vector<VxPaletteReader*> groups[3];
    for (VxPaletteReader* r : readers) {
      const VxStatus answer = r->ops->CanReadFile(r, path.c_str());
      if (answer == VX_OK)
        groups[0].push_back(r);
      else if (answer == VX_S_READER_MAYBE)
        groups[1].push_back(r);
      else if (answer == VX_S_READER_UNLIKELY)
        groups[2].push_back(r);
    }
    for (auto& group : groups) {
      for (VxPaletteReader* r : group) {
        status = ReadWith(r, path);
        if (status == VX_OK) break;
      }
      if (status == VX_OK) break;
    }
    if (status != VX_OK) status = VX_E_ENCODER;  // no reader succeeded
  }
  CloseReaders(readers);
  gif::PaletteSpec& palette = GifDialogPalette();
  if (status != VX_OK || palette.kind != gif::kPaletteKindExplicit ||
      palette.size > gif::kPaletteCapacity) {
    palette = before;
    return status != VX_OK ? status : VX_E_ENCODER;
  }
  palette.transparentIndex = before.transparentIndex;
  return VX_OK;
}

// "Other...": the file dialog, one filter per reader and "All Files" last.
VxStatus ChooseAndReadFile(HWND dialog, std::string* chosen) {
  GifDialogState& s = GifDialog();
  std::vector<VxPaletteReader*> readers = OpenReaders(s.instance->host.callback);
  std::string filter, defaultExtension;
  for (size_t i = 0; i < readers.size(); ++i) {
    VxPaletteReader* r = readers[i];
    char description[128] = "", extensions[128] = "";
    r->ops->GetDescription(r, description, sizeof description);
    r->ops->GetExtensions(r, extensions, sizeof extensions);
    description[sizeof description - 1] = extensions[sizeof extensions - 1] = '\0';
    char pair[300];
    std::snprintf(pair, sizeof pair, "%s (%s)", description, extensions);
    filter += pair;
    filter += '\0';
    filter += extensions;
    filter += '\0';
    if (i == 0) {
      std::string first = extensions;
      first = first.substr(0, first.find(';'));
      if (first.compare(0, 2, "*.") == 0) defaultExtension = first.substr(2);
    }
  }
  std::string all = LoadText(s.resources, kAllFilesString);
  for (char& c : all)
    if (c == '$') c = '\0';
  filter += all;
  filter.append(2, '\0');

  char file[256] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(readers.size() + 1);
  ofn.lpstrFile = file;
  ofn.nMaxFile = 255;
  ofn.lpstrInitialDir = s.lastFolder.empty() ? nullptr : s.lastFolder.c_str();
  ofn.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  VxStatus status = VX_E_CANCELLED;
  if (GetOpenFileNameA(&ofn)) {
    *chosen = file;
    const size_t cut = chosen->find_last_of("\\/:");
    if (cut != std::string::npos) s.lastFolder = chosen->substr(0, cut);
    VxPaletteReader* only = nullptr;
    if (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= readers.size())
      only = readers[ofn.nFilterIndex - 1];
    status = ReadPaletteFile(*chosen, only);
  }
  CloseReaders(readers);
  return status;
}

void ChooseBuiltin(int32_t choice) {
  GifDialogState& s = GifDialog();
  gif::PaletteSpec& palette = GifDialogPalette();
  s.choice = choice;
  if (choice == gif::kChoiceExact) {
    palette.kind = gif::kPaletteKindExact;
    palette.size = 0;
  } else {
    const int16_t index = palette.transparentIndex;
    gif::BuildBuiltinPalette(choice, &palette);
    palette.transparentIndex = index;
  }
}

void OnPaletteCombo(HWND dialog) {
  GifDialogState& s = GifDialog();
  HWND combo = GetDlgItem(dialog, kIdPaletteCombo);
  const int a = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  if (a < 0) return;
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  EnableWindow(GetDlgItem(dialog, kIdTransparent), a != 0);
  if (a < gif::kBuiltinChoiceCount) {
    ChooseBuiltin(a);
    ShowIndex(dialog, GifDialogPalette().transparentIndex);
    SetDlgItemTextA(dialog, kIdFileName, "");
    ApplyEnableRule(dialog);
    Repaint(dialog);
    return;
  }
  std::string path;
  VxStatus status;
  // "Other..." is the last entry; it is there only when the host has readers.
  const bool other = count > gif::kBuiltinChoiceCount && a == count - 1;
  if (other) {
    status = ChooseAndReadFile(dialog, &path);
  } else if (static_cast<size_t>(a - gif::kBuiltinChoiceCount) < s.paletteFiles.size()) {
    path = s.paletteFiles[a - gif::kBuiltinChoiceCount];
    status = ReadPaletteFile(path, nullptr);
  } else {
    status = VX_E_INVALIDARG;
  }
  if (status != VX_OK) {
    if (status != VX_E_CANCELLED)
      MessageBoxA(dialog, "An error occured while reading the palette.", "Read Error",
                  MB_OK | MB_ICONERROR);
    SendMessageA(combo, CB_SETCURSEL, s.choice, 0);
    EnableWindow(GetDlgItem(dialog, kIdTransparent), s.choice != 0);
    return;
  }
  s.choice = a;
  SetDlgItemTextA(dialog, kIdFileName, FileNameOf(path).c_str());
  ShowIndex(dialog, GifDialogPalette().transparentIndex);
  ApplyEnableRule(dialog);
  Repaint(dialog);
}

void OnIndexEdit(HWND dialog) {
  char text[32] = "";
  GetDlgItemTextA(dialog, kIdIndexEdit, text, sizeof text);
  // Read like "%d" (leading blanks, a sign, digits, anything after), but a
  // number too long for an int saturates instead of being undefined.
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text) return;
  const int clamped = value < 0 ? 0 : value > 255 ? 255 : static_cast<int>(value);
  gif::PaletteSpec& palette = GifDialogPalette();
  if (clamped == palette.transparentIndex) return;
  palette.transparentIndex = static_cast<int16_t>(clamped);
  if (clamped != value) ShowIndex(dialog, clamped);
  Repaint(dialog);
}

void CentreOnOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT o, d;
  if (!owner || !GetWindowRect(owner, &o)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &o, 0);
  GetWindowRect(dialog, &d);
  const int w = d.right - d.left, h = d.bottom - d.top;
  HDC screen = GetDC(nullptr);
  const int sw = GetDeviceCaps(screen, HORZRES), sh = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  int x = o.left + ((o.right - o.left) - w) / 2;
  int y = o.top + ((o.bottom - o.top) - h) / 2;
  if (x > sw - w) x = sw - w;
  if (y > sh - h) y = sh - h;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnInitDialog(HWND dialog) {
  GifDialogState& s = GifDialog();
  CheckDlgButton(dialog, kIdInterlaced, s.interlaced ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kIdTransparent, s.transparent ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kIdDither, s.dither ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kIdAdaptivePalette, s.adaptivePalette ? BST_CHECKED : BST_UNCHECKED);
  s.transparencyBit = s.transparent;

  HWND combo = GetDlgItem(dialog, kIdPaletteCombo);
  for (int id = kFirstName; id < kFirstName + gif::kBuiltinChoiceCount; ++id)
    SendMessageA(combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(LoadText(s.resources, id).c_str()));

  s.paletteFiles.clear();
  std::vector<VxPaletteReader*> readers = OpenReaders(s.instance->host.callback);
  if (!readers.empty()) {
    const std::string folder = FindPaletteFolder(s.instance->host.callback);
    if (s.lastFolder.empty()) s.lastFolder = folder;
    if (!folder.empty()) {
      for (const std::string& path : WalkPaletteFolder(folder)) {
        bool accepted = false;
        for (VxPaletteReader* r : readers)
          if (r->ops->CanReadFile(r, path.c_str()) == VX_OK) accepted = true;
        if (!accepted) continue;
        s.paletteFiles.push_back(path);
        SendMessageA(combo, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(WithoutExtension(FileNameOf(path)).c_str()));
      }
    }
    SendMessageA(combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(LoadText(s.resources, kOtherString).c_str()));
  }
  CloseReaders(readers);

  // A palette file is not reread when the dialog opens: it starts on "Web".
  if (s.choice != 0) {
    if (s.choice >= gif::kBuiltinChoiceCount) s.choice = gif::kChoiceWeb;
    ChooseBuiltin(s.choice);
  } else {
    ChooseBuiltin(0);
    EnableWindow(GetDlgItem(dialog, kIdTransparent), FALSE);
  }
  SendMessageA(combo, CB_SETCURSEL, s.choice, 0);
  ShowIndex(dialog, GifDialogPalette().transparentIndex);
  ApplyEnableRule(dialog);
  CentreOnOwner(dialog);
}

INT_PTR HandleGifOptionsMessage(HWND dialog, UINT message, WPARAM wParam) {
  GifDialogState& s = GifDialog();
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      switch (id) {
        case IDOK:
          s.interlaced = IsDlgButtonChecked(dialog, kIdInterlaced) == BST_CHECKED;
          s.transparent = IsDlgButtonChecked(dialog, kIdTransparent) == BST_CHECKED;
          s.dither = IsDlgButtonChecked(dialog, kIdDither) == BST_CHECKED;
          s.adaptivePalette = IsDlgButtonChecked(dialog, kIdAdaptivePalette) == BST_CHECKED;
          s.choice = static_cast<int32_t>(
              SendDlgItemMessageA(dialog, kIdPaletteCombo, CB_GETCURSEL, 0, 0));
          EndDialog(dialog, 0);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 1);
          return TRUE;
        case kIdIndexEdit:
          if (code == EN_KILLFOCUS || code == EN_CHANGE) OnIndexEdit(dialog);
          return TRUE;
        case kIdTransparent:
          if (code == BN_CLICKED) {
            s.transparencyBit = IsDlgButtonChecked(dialog, kIdTransparent) == BST_CHECKED;
            Repaint(dialog);
            ApplyEnableRule(dialog);
          }
          return TRUE;
        case kIdPaletteCombo:
          if (code == CBN_CLOSEUP) OnPaletteCombo(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK GifOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return GuardedDialogMessage(dialog,
                              [&] { return HandleGifOptionsMessage(dialog, message, wParam); });
}

void Walk(const std::string& folder, int depth, std::vector<std::string>* files) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
    const std::string path = folder + "\\" + found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (depth < kMaxFolderDepth) Walk(path, depth + 1, files);
    } else {
      files->push_back(path);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

GifDialogState& GifDialog() {
  static GifDialogState state;
  return state;
}

gif::PaletteSpec& GifDialogPalette() {
  return gif::PalvexEncoderModule().currentPalette;
}

void GifDialogSetTransparentIndex(HWND dialog, int index) {
  GifDialogPalette().transparentIndex = static_cast<int16_t>(index);
  ShowIndex(dialog, index);
  Repaint(dialog);
}

std::string FindPaletteFolder(VxHostCallback* host) {
  char path[MAX_PATH + 1] = "";
  VxPathService* service = nullptr;
  bool found = false;
  if (host &&
      host->ops->CreateObject(host, &CLSID_VxPathService, &IID_VxPathService,
                              reinterpret_cast<void**>(&service)) == VX_OK &&
      service) {
    found = service->ops->GetPath(service, path, sizeof path) == VX_OK && path[0] != '\0';
    path[MAX_PATH] = '\0';
    ReleaseObject(service);
  }
  if (!found) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Corvane\\TAV", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
      return std::string();
    DWORD size = MAX_PATH, type = 0;
    const LONG result = RegQueryValueExA(key, "SharedVrixsDir", nullptr, &type,
                                         reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
    path[size < MAX_PATH ? size : MAX_PATH] = '\0';
  }
  // Either path names the plug-in folder; the palettes sit beside it.
  std::string folder = path;
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.empty()) return std::string();
  const size_t cut = folder.find_last_of("\\/:");
  folder = cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
  return folder + "Palettes";
}

std::vector<std::string> WalkPaletteFolder(const std::string& folder) {
  std::vector<std::string> files;
  if (!folder.empty()) Walk(folder, 0, &files);
  return files;
}

INT_PTR RunGifOptionsDialog(HINSTANCE resources, HWND parent, GifWriterInstance* instance) {
  GifDialogState& s = GifDialog();
  s.instance = instance;
  s.resources = resources;
  const INT_PTR result = DialogBoxParamA(resources, MAKEINTRESOURCEA(kGifOptionsDialog), parent,
                                         GifOptionsProc, reinterpret_cast<LPARAM>(instance));
  s.instance = nullptr;
  s.resources = nullptr;
  return result;
}
