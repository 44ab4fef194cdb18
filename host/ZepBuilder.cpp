#include "host/ZepBuilder.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/HostMediaUtils.h"
#include "host/ZepLayout.h"

namespace vrixhost {
namespace {

// The stand-in's own sizes, in dialog units, for items whose record leaves
// a size at 0. The window record's figures (400, 400, 40, 2) are taken as
// given but not used: the dialog is as large as its items need, with the
// margins and spacing of an ordinary Windows dialog.
constexpr int kRowHeight = 16;  // labels and rows of a horizontal group
constexpr int kEditWidth = 30, kEditHeight = 12;
constexpr int kCheckHeight = 12;
constexpr int kButtonWidth = 54, kButtonHeight = 14;
constexpr int kPopupWidth = 60, kPopupHeight = 12;
constexpr int kPreviewWidth = 160, kPreviewHeight = 120;

int CodePageFor(const HostCallback* host) {
  if (host->builderCodePage) return host->builderCodePage;
  char text[16];
  const DWORD n = GetEnvironmentVariableA("VRIXHOST_LANGUAGE", text, sizeof text);
  return n && n < sizeof text && std::atoi(text) == 1 ? 932 : 1252;
}

std::wstring Wide(const char* text, int codePage) {
  if (!text || !*text) return std::wstring();
  const int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  std::wstring w(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text, -1, &w[0], n);
  if (!w.empty()) w.pop_back();  // the NUL
  return w;
}

std::string Narrow(const std::wstring& text, int codePage) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, text.c_str(), -1, &s[0], n, nullptr, nullptr);
  if (!s.empty()) s.pop_back();
  return s;
}

std::wstring WindowTextW(HWND w) {
  const int n = GetWindowTextLengthW(w);
  std::wstring text(n + 1, L'\0');
  GetWindowTextW(w, &text[0], n + 1);
  text.resize(n);
  return text;
}

// ---------------------------------------------------------------------------

struct BuilderWindow : ZepBuilderWindow {
  uint32_t refs = 1;
  HostCallback* host;  // add-referenced
  std::string title;
  ZepWindowRecord record{};
  VxOptionsDialog* callback = nullptr;   // add-referenced while attached
  ZepPropertyRecord* records = nullptr;  // the plug-in's
  int count = 0;
  int codePage = 1252;
  HWND dialog = nullptr;
  HFONT font = nullptr;  // ours when ownFont
  bool ownFont = false;
  bool updating = false;  // the builder itself is changing a control
  bool running = false;

  struct Item {
    HWND hwnd = nullptr;
    VxValue pending{kValueVoid, 0, 0};
    bool dirty = false;         // an edit the user changed since the last report
    int width = 0, height = 0;  // the record's size as last laid out
  };
  std::vector<Item> items;

  BuilderWindow(HostCallback* h, const ZepWindowRecord& r);
  ~BuilderWindow();

  const ZepPropertyRecord& Rec(int i) const { return records[i]; }
  int Widget(int i) const { return records[i].widget; }
  // Before the dialog runs the builder does not know how many records there
  // are; the plug-in's index is taken as given.
  bool Valid(int i) const { return records && i >= 0 && (running ? i < count : i < 4096); }
  VxSymbol Kind(const char* name) const { return InternSymbol(name); }

  void Notify(int32_t type, int32_t item);
  void FlushEdits();
  void CreateControls();
  void LayOut();
  void ApplyRecord(int i);
  void ApplyValue(int i);
  void FillPopup(int i);
  VxStatus ReadValue(int i, VxValue* out);
  // Keeps what every control shows as its value, for reading after the
  // dialog's controls have gone.
  void KeepValues();
  void Close();
  INT_PTR Command(int id, int code);
};

VxStatus VXAPI BwQuery(ZepBuilderWindow* self, const VxGuid* iid, void** out);
uint32_t VXAPI BwAddRef(ZepBuilderWindow* self) {
  return ++static_cast<BuilderWindow*>(self)->refs;
}
uint32_t VXAPI BwRelease(ZepBuilderWindow* self) {
  BuilderWindow* w = static_cast<BuilderWindow*>(self);
  const uint32_t n = --w->refs;
  if (n == 0) delete w;
  return n;
}
VxStatus VXAPI BwQuery(ZepBuilderWindow* self, const VxGuid* iid, void** out) {
  if (!out) return VX_E_INVALIDARG;
  *out = nullptr;
  if (!iid || !(VxGuidEqual(*iid, IID_ZepBuilderWindow) || VxGuidEqual(*iid, IID_IUnknown)))
    return VX_E_NOINTERFACE;
  BwAddRef(self);
  *out = self;
  return VX_OK;
}

VxStatus VXAPI BwAttach(ZepBuilderWindow* self, VxUnknown* callback, void* properties) {
  BuilderWindow* w = static_cast<BuilderWindow*>(self);
  if (!callback || !properties) return VX_E_INVALIDARG;
  if (w->running) return VX_E_INVALIDARG;
  // The callback is the plug-in's options-dialog object itself: asking its
  // instance for the interface would make a new object.
  callback->ops->AddRef(callback);
  if (w->callback) w->callback->ops->Release(w->callback);
  w->callback = reinterpret_cast<VxOptionsDialog*>(callback);
  w->records = static_cast<ZepPropertyRecord*>(properties);
  return VX_OK;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  BuilderWindow* w = reinterpret_cast<BuilderWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      w = reinterpret_cast<BuilderWindow*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      w->dialog = dialog;
      w->CreateControls();
      w->LayOut();
      return TRUE;
    case WM_COMMAND:
      if (w) return w->Command(LOWORD(wParam), HIWORD(wParam));
      break;
    case WM_CLOSE:
      if (w) w->Close();
      return TRUE;
    default:
      break;
  }
  return FALSE;
}

VxStatus VXAPI BwRunModal(ZepBuilderWindow* self, int32_t itemCount, int32_t* resultItem) {
  BuilderWindow* w = static_cast<BuilderWindow*>(self);
  if (!resultItem || itemCount < 0 || !w->records || w->running) return VX_E_INVALIDARG;
  w->count = itemCount;
  w->items.resize(itemCount);
  // An empty template: the builder makes every control itself.
  struct {
    DLGTEMPLATE t;
    WORD menu, windowClass, title;
    WORD pointSize;
    WCHAR face[14];
  } tpl{};
  tpl.t.style = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  tpl.pointSize = 8;
  lstrcpyW(tpl.face, L"MS Shell Dlg");
  w->running = true;
  const INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tpl.t, nullptr, DialogProc,
                                            reinterpret_cast<LPARAM>(w));
  w->running = false;
  w->dialog = nullptr;
  for (auto& item : w->items) item.hwnd = nullptr;
  if (w->ownFont && w->font) DeleteObject(w->font);
  w->font = nullptr;
  w->ownFont = false;
  if (r == -1) return VX_E_OUTOFMEMORY;
  *resultItem = static_cast<int32_t>(r);
  return VX_OK;
}

VxStatus VXAPI BwRefreshItem(ZepBuilderWindow* self, int32_t item) {
  BuilderWindow* w = static_cast<BuilderWindow*>(self);
  if (!w->Valid(item) || item >= static_cast<int>(w->items.size())) return VX_E_INVALIDARG;
  w->host->builderRefreshes.push_back(item);
  if (!w->dialog) return VX_OK;  // shown as set when the dialog starts
  const ZepPropertyRecord& r = w->Rec(item);
  BuilderWindow::Item& it = w->items[item];
  const bool resized = r.width != it.width || r.height != it.height;
  w->ApplyRecord(item);
  w->ApplyValue(item);
  if (resized) w->LayOut();
  return VX_OK;
}

VxStatus VXAPI BwGetWindowHandle(ZepBuilderWindow* self, void** window) {
  if (!window) return VX_E_INVALIDARG;
  *window = static_cast<BuilderWindow*>(self)->dialog;
  return VX_OK;
}

VxStatus VXAPI BwGetItemValue(ZepBuilderWindow* self, int32_t item, VxSymbol kind, VxValue* out) {
  BuilderWindow* w = static_cast<BuilderWindow*>(self);
  if (!out) return VX_E_INVALIDARG;
  *out = VxValue{kValueVoid, 0, 0};
  if (!w->Valid(item)) return VX_E_INVALIDARG;
  if (w->Widget(item) == ZEP_WIDGET_POPUP && SymbolText(kind) == "Integer") {
    VxValue v;
    const VxStatus s = w->ReadValue(item, &v);
    if (s != VX_OK) return s;
    // The 1-based position of the chosen text.
    int32_t position = 0;
    std::string chosen;
    if (ValueText(v, &chosen) && w->Rec(item).list) {
      VxValue result;
      if (w->Rec(item).list->ops->Call(w->Rec(item).list, InternSymbol("getPos"), &v, 1, &result) ==
          VX_OK)
        position = static_cast<int32_t>(result.data);
    }
    ReleaseHostValue(&v);
    *out = MakeInteger(position);
    return VX_OK;
  }
  VxValue v;
  const VxStatus s = w->ReadValue(item, &v);
  if (s != VX_OK) return s;
  const VxStatus c = CoerceHostValue(v, kind, out);
  ReleaseHostValue(&v);
  return c;
}

VxStatus VXAPI BwSetItemValue(ZepBuilderWindow* self, int32_t item, VxSymbol kind,
                              const VxValue* value) {
  BuilderWindow* w = static_cast<BuilderWindow*>(self);
  if (!value || !w->Valid(item)) return VX_E_INVALIDARG;
  if (static_cast<int>(w->items.size()) < w->count || w->items.size() <= size_t(item))
    w->items.resize(std::max<size_t>(item + 1, w->items.size()));
  VxValue v;
  const VxStatus s = CoerceHostValue(*value, kind, &v);
  if (s != VX_OK) return s;
  ReleaseHostValue(&w->items[item].pending);
  w->items[item].pending = v;
  return VX_OK;
}

VxStatus VXAPI BwEndModal(ZepBuilderWindow* self, int32_t item) {
  BuilderWindow* w = static_cast<BuilderWindow*>(self);
  if (!w->dialog) return VX_E_INVALIDARG;
  w->KeepValues();
  EndDialog(w->dialog, item);
  return VX_OK;
}

VxStatus VXAPI BwGetItemWindow(ZepBuilderWindow* self, int32_t item, void** window) {
  BuilderWindow* w = static_cast<BuilderWindow*>(self);
  if (!window) return VX_E_INVALIDARG;
  *window = nullptr;
  if (!w->Valid(item) || size_t(item) >= w->items.size()) return VX_E_INVALIDARG;
  *window = w->items[item].hwnd;
  return VX_OK;
}

const ZepBuilderWindowOps kWindowOps = {
    BwQuery,           BwAddRef,       BwRelease,      BwAttach,   BwRunModal,     BwRefreshItem,
    BwGetWindowHandle, BwGetItemValue, BwSetItemValue, BwEndModal, BwGetItemWindow};

BuilderWindow::BuilderWindow(HostCallback* h, const ZepWindowRecord& r) : host(h), record(r) {
  ops = &kWindowOps;
  host->ops->AddRef(host);
  title = r.title ? r.title : "";
  record.title = nullptr;  // the copy above is the one kept
  codePage = CodePageFor(host);
  CountHostObject(+1);
}

BuilderWindow::~BuilderWindow() {
  for (Item& it : items) ReleaseHostValue(&it.pending);
  if (callback) callback->ops->Release(callback);
  host->ops->Release(host);
  CountHostObject(-1);
}

void BuilderWindow::Notify(int32_t type, int32_t item) {
  host->builderEvents.push_back({type, item});
  if (!callback) return;
  const ZepEvent event{type, item};
  const VxStatus status = callback->ops->Notify(callback, &CLSID_ZepDialogBuilder, &event, this);
  if (status != VX_OK) host->builderEventFailures.push_back(status);
}

// Edits report their change when they lose the focus; a click or a choice
// made while an edit still holds an unreported change reports it first.
void BuilderWindow::FlushEdits() {
  for (int i = 0; i < count; ++i) {
    if (Widget(i) == ZEP_WIDGET_EDIT && items[i].dirty) {
      items[i].dirty = false;
      Notify(ZEP_EVENT_ITEM_CHANGED, i);
    }
  }
}

void BuilderWindow::Close() {
  int cancel = -1;
  for (int i = 0; i < count && cancel < 0; ++i)
    if (Widget(i) == ZEP_WIDGET_CANCEL_BUTTON) cancel = i;
  if (cancel >= 0) Notify(ZEP_EVENT_ITEM_CLICKED, cancel);
  // The plug-in normally ends the dialog on its cancel button; if it did
  // not, closing the window still ends it.
  if (dialog && running) {
    KeepValues();
    EndDialog(dialog, cancel);
  }
}

INT_PTR BuilderWindow::Command(int id, int code) {
  if (id == IDCANCEL) {
    Close();
    return TRUE;
  }
  if (id == IDOK) {  // Return with no default button
    return TRUE;
  }
  const int i = id - kFirstItemControlId;
  if (!Valid(i) || updating) return FALSE;
  switch (Widget(i)) {
    case ZEP_WIDGET_EDIT:
      if (code == EN_CHANGE) {
        items[i].dirty = true;
      } else if (code == EN_KILLFOCUS && items[i].dirty) {
        items[i].dirty = false;
        Notify(ZEP_EVENT_ITEM_CHANGED, i);
      }
      return TRUE;
    case ZEP_WIDGET_CHECKBOX:
      if (code == BN_CLICKED) {
        FlushEdits();
        Notify(ZEP_EVENT_ITEM_CHANGED, i);
      }
      return TRUE;
    case ZEP_WIDGET_POPUP:
      if (code == CBN_SELCHANGE) {
        FlushEdits();
        Notify(ZEP_EVENT_ITEM_CHANGED, i);
      }
      return TRUE;
    case ZEP_WIDGET_DEFAULT_BUTTON:
    case ZEP_WIDGET_BUTTON:
    case ZEP_WIDGET_CANCEL_BUTTON:
    case ZEP_WIDGET_TOGGLE_BUTTON:
      if (code == BN_CLICKED) {
        FlushEdits();
        Notify(ZEP_EVENT_ITEM_CLICKED, i);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT CALLBACK PreviewProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(w, &r);
    FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return 1;
  }
  return DefWindowProcW(w, message, wParam, lParam);
}

void RegisterPreviewClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSW c{};
  c.lpfnWndProc = PreviewProc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  c.lpszClassName = L"ZepPreviewView";
  RegisterClassW(&c);
  done = true;
}

void BuilderWindow::CreateControls() {
  SetWindowTextW(dialog, Wide(title.c_str(), codePage).c_str());
  font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  if (codePage == 932) {
    // Japanese texts need a face with Japanese glyphs; the font mapper picks
    // one for the character set when this face is missing.
    HDC dc = GetDC(dialog);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(dialog, dc);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpyW(lf.lfFaceName, L"MS UI Gothic");
    HFONT japanese = CreateFontIndirectW(&lf);
    if (japanese) {
      font = japanese;
      ownFont = true;
    }
  }
  RegisterPreviewClass();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  int defaultId = 0;
  for (int i = 0; i < count; ++i) {
    const ZepPropertyRecord& r = Rec(i);
    const wchar_t* cls = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (r.widget) {
      case ZEP_WIDGET_LABEL:
        cls = L"STATIC";
        style |= SS_NOPREFIX | SS_CENTERIMAGE |
                 (r.textStyle == ZEP_TEXT_RIGHT     ? SS_RIGHT
                  : r.textStyle == ZEP_TEXT_CENTRED ? SS_CENTER
                                                    : SS_LEFT);
        break;
      case ZEP_WIDGET_EDIT:
        cls = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL | (r.textStyle == ZEP_TEXT_RIGHT ? ES_RIGHT : ES_LEFT);
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ZEP_WIDGET_CHECKBOX:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
      case ZEP_WIDGET_DEFAULT_BUTTON:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_DEFPUSHBUTTON;
        defaultId = kFirstItemControlId + i;
        break;
      case ZEP_WIDGET_BUTTON:
      case ZEP_WIDGET_CANCEL_BUTTON:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ZEP_WIDGET_TOGGLE_BUTTON:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE;
        break;
      case ZEP_WIDGET_POPUP:
        cls = L"COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        break;
      case ZEP_WIDGET_VDIVIDER:
        cls = L"STATIC";
        style |= SS_ETCHEDVERT;
        break;
      case ZEP_WIDGET_HDIVIDER:
        cls = L"STATIC";
        style |= SS_ETCHEDHORZ;
        break;
      case ZEP_WIDGET_PREVIEW:
        cls = L"ZepPreviewView";
        exStyle = WS_EX_CLIENTEDGE;
        break;
      default:
        break;  // groups and the window's begin and end make no control
    }
    if (!cls) continue;
    const std::wstring text = r.widget == ZEP_WIDGET_EDIT || r.widget == ZEP_WIDGET_PREVIEW
                                  ? std::wstring()
                                  : Wide(r.title, codePage);
    HWND c = CreateWindowExW(exStyle, cls, text.c_str(), style, 0, 0, 10, 10, dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstItemControlId + i)),
                             instance, nullptr);
    items[i].hwnd = c;
    if (!c) continue;
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (r.widget == ZEP_WIDGET_EDIT && r.title) {
      updating = true;
      SetWindowTextW(c, Wide(r.title, codePage).c_str());
      updating = false;
    }
    if (r.widget == ZEP_WIDGET_POPUP) FillPopup(i);
    // A preview with a sprite view: the view draws in the preview's window.
    if (r.widget == ZEP_WIDGET_PREVIEW && r.view) r.view->ops->AttachWindow(r.view, c);
    EnableWindow(c, (r.flags & ZEP_PROP_ENABLED) != 0);
    ApplyValue(i);
  }
  if (defaultId) SendMessageW(dialog, DM_SETDEFID, defaultId, 0);
}

void BuilderWindow::FillPopup(int i) {
  HWND c = items[i].hwnd;
  VxMmList* list = Rec(i).list;
  updating = true;
  const LRESULT chosen = SendMessageW(c, CB_GETCURSEL, 0, 0);
  SendMessageW(c, CB_RESETCONTENT, 0, 0);
  if (list) {
    VxValue n;
    if (list->ops->Call(list, InternSymbol("count"), nullptr, 0, &n) == VX_OK) {
      for (int32_t p = 1; p <= static_cast<int32_t>(n.data); ++p) {
        VxValue at = MakeInteger(p), entry;
        if (list->ops->Call(list, InternSymbol("getAt"), &at, 1, &entry) != VX_OK) continue;
        std::string text;
        ValueText(entry, &text);
        SendMessageW(c, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Wide(text.c_str(), codePage).c_str()));
        ReleaseHostValue(&entry);
      }
    }
  }
  if (chosen != CB_ERR) SendMessageW(c, CB_SETCURSEL, chosen, 0);
  updating = false;
}

void BuilderWindow::ApplyRecord(int i) {
  HWND c = items[i].hwnd;
  if (!c) return;
  const ZepPropertyRecord& r = Rec(i);
  updating = true;
  if (r.widget != ZEP_WIDGET_EDIT && r.widget != ZEP_WIDGET_PREVIEW &&
      r.widget != ZEP_WIDGET_POPUP) {
    const std::wstring text = Wide(r.title, codePage);
    if (WindowTextW(c) != text) SetWindowTextW(c, text.c_str());
  }
  if (r.widget == ZEP_WIDGET_POPUP) FillPopup(i);
  EnableWindow(c, (r.flags & ZEP_PROP_ENABLED) != 0);
  updating = false;
}

void BuilderWindow::ApplyValue(int i) {
  Item& it = items[i];
  if (!it.hwnd || it.pending.type == kValueVoid) return;
  updating = true;
  std::string text;
  switch (Widget(i)) {
    case ZEP_WIDGET_EDIT:
    case ZEP_WIDGET_LABEL: {
      VxValue s;
      if (CoerceHostValue(it.pending, InternSymbol("String"), &s) == VX_OK) {
        ValueText(s, &text);
        SetWindowTextW(it.hwnd, Wide(text.c_str(), codePage).c_str());
        ReleaseHostValue(&s);
      }
      break;
    }
    case ZEP_WIDGET_CHECKBOX:
    case ZEP_WIDGET_TOGGLE_BUTTON: {
      VxValue n;
      if (CoerceHostValue(it.pending, InternSymbol("Integer"), &n) == VX_OK)
        SendMessageW(it.hwnd, BM_SETCHECK, n.data ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    }
    case ZEP_WIDGET_POPUP:
      if (it.pending.type == kValueInteger) {
        SendMessageW(it.hwnd, CB_SETCURSEL,
                     static_cast<WPARAM>(static_cast<int32_t>(it.pending.data) - 1), 0);
      } else if (ValueText(it.pending, &text)) {
        SendMessageW(it.hwnd, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(Wide(text.c_str(), codePage).c_str()));
      }
      break;
    default:
      break;
  }
  updating = false;
  // Shown; what the control holds is the value from now on.
  ReleaseHostValue(&it.pending);
  if (Widget(i) == ZEP_WIDGET_EDIT) it.dirty = false;
}

void BuilderWindow::KeepValues() {
  for (int i = 0; i < count && size_t(i) < items.size(); ++i) {
    if (!items[i].hwnd || items[i].pending.type != kValueVoid) continue;
    VxValue v;
    if (ReadValue(i, &v) == VX_OK) items[i].pending = v;
  }
}

VxStatus BuilderWindow::ReadValue(int i, VxValue* out) {
  const Item* it = size_t(i) < items.size() ? &items[i] : nullptr;
  if (it && it->pending.type != kValueVoid) {
    *out = CopyHostValue(it->pending);
    return VX_OK;
  }
  HWND c = it ? it->hwnd : nullptr;
  switch (Widget(i)) {
    case ZEP_WIDGET_EDIT:
    case ZEP_WIDGET_LABEL:
      *out = MakeText(c ? Narrow(WindowTextW(c), codePage)
                        : std::string(Rec(i).title ? Rec(i).title : ""));
      return VX_OK;
    case ZEP_WIDGET_CHECKBOX:
    case ZEP_WIDGET_TOGGLE_BUTTON:
      *out = MakeInteger(c && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
      return VX_OK;
    case ZEP_WIDGET_POPUP: {
      const LRESULT sel = c ? SendMessageW(c, CB_GETCURSEL, 0, 0) : CB_ERR;
      if (sel == CB_ERR) {
        *out = MakeText("");
        return VX_OK;
      }
      const LRESULT n = SendMessageW(c, CB_GETLBTEXTLEN, sel, 0);
      std::wstring text(n + 1, L'\0');
      SendMessageW(c, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(&text[0]));
      text.resize(n);
      *out = MakeText(Narrow(text, codePage));
      return VX_OK;
    }
    default:
      return VX_E_MISMATCH;
  }
}

void BuilderWindow::LayOut() {
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, font);
  auto textWidth = [&](const ZepPropertyRecord& r) {
    const std::wstring t = Wide(r.title, codePage);
    SIZE s{0, 0};
    if (!t.empty()) GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &s);
    return static_cast<int>(s.cx);
  };
  auto px = [&](int w, int h) {
    RECT r{0, 0, w, h};
    MapDialogRect(dialog, &r);
    return std::make_pair(static_cast<int>(r.right), static_cast<int>(r.bottom));
  };
  std::vector<LayoutItem> layout(count);
  for (int i = 0; i < count; ++i) {
    const ZepPropertyRecord& r = Rec(i);
    LayoutItem& l = layout[i];
    items[i].width = r.width;
    items[i].height = r.height;
    int w = 0, h = 0;  // dialog units
    int extraPx = 0;
    switch (r.widget) {
      case ZEP_WIDGET_WINDOW_BEGIN:
      case ZEP_WIDGET_VGROUP_BEGIN:
        l.role = LayoutRole::kVGroupBegin;
        continue;
      case ZEP_WIDGET_HGROUP_BEGIN:
        l.role = LayoutRole::kHGroupBegin;
        continue;
      case ZEP_WIDGET_WINDOW_END:
      case ZEP_WIDGET_VGROUP_END:
      case ZEP_WIDGET_HGROUP_END:
        l.role = LayoutRole::kGroupEnd;
        continue;
      case ZEP_WIDGET_VDIVIDER:
        l.role = LayoutRole::kVDivider;
        continue;
      case ZEP_WIDGET_HDIVIDER:
        l.role = LayoutRole::kHDivider;
        continue;
      case ZEP_WIDGET_PREVIEW:
        w = kPreviewWidth;
        h = kPreviewHeight;
        break;
      case ZEP_WIDGET_LABEL:
        h = kRowHeight;
        extraPx = textWidth(r) + 2;
        l.fillWidth = r.width == 0;
        break;
      case ZEP_WIDGET_EDIT:
        w = kEditWidth;
        h = kEditHeight;
        break;
      case ZEP_WIDGET_CHECKBOX:
        h = kCheckHeight;
        extraPx = textWidth(r) + GetSystemMetrics(SM_CXMENUCHECK) + 8;
        break;
      case ZEP_WIDGET_POPUP:
        w = kPopupWidth;
        h = kPopupHeight;
        break;
      default:  // buttons
        l.button = r.width == 0;
        w = kButtonWidth;
        h = kButtonHeight;
        extraPx = textWidth(r) + 16;
        break;
    }
    if (r.width) w = r.width;
    if (r.height) h = r.height;
    const auto size = px(w, h);
    l.width = r.width ? size.first : std::max(size.first, extraPx);
    l.height = size.second;
  }
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);

  LayoutRules rules;
  const auto margin = px(7, 7), spacing = px(4, 3), divider = px(12, 12), row = px(0, kRowHeight);
  rules.margin = margin.first;
  rules.hSpacing = spacing.first;
  rules.vSpacing = spacing.second;
  rules.divider = divider.first;
  rules.minRowHeight = row.second;
  int width = 0, height = 0;
  const std::vector<LayoutRect> rects = LayOutItems(layout, rules, &width, &height);
  for (int i = 0; i < count; ++i) {
    HWND c = items[i].hwnd;
    if (!c) continue;
    LayoutRect r = rects[i];
    if (Widget(i) == ZEP_WIDGET_VDIVIDER) {
      r.x += r.width / 2 - 1;
      r.width = 2;
    } else if (Widget(i) == ZEP_WIDGET_HDIVIDER) {
      r.y += r.height / 2 - 1;
      r.height = 2;
    } else if (Widget(i) == ZEP_WIDGET_POPUP) {
      r.height += px(0, 60).second;  // room for the list when it drops down
    }
    MoveWindow(c, r.x, r.y, r.width, r.height, TRUE);
  }
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, GetWindowLongW(dialog, GWL_STYLE), FALSE,
                     GetWindowLongW(dialog, GWL_EXSTYLE));
  const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(dialog, nullptr, work.left + std::max(0L, (work.right - work.left - fw) / 2),
               work.top + std::max(0L, (work.bottom - work.top - fh) / 2), fw, fh,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------
// The builder service and the common file.

struct DialogBuilder : ZepDialogBuilder {
  uint32_t refs = 1;
  HostCallback* host;
  explicit DialogBuilder(HostCallback* h);
  ~DialogBuilder();
};

VxStatus VXAPI DbCreateWindow(ZepDialogBuilder* self, const ZepWindowRecord* record,
                              ZepBuilderWindow** out) {
  if (!record || !out) return VX_E_INVALIDARG;
  *out = new BuilderWindow(static_cast<DialogBuilder*>(self)->host, *record);
  return VX_OK;
}

const ZepDialogBuilderOps kBuilderOps = {
    VRIXHOST_UNKNOWN(DialogBuilder, ZepDialogBuilder, IID_ZepDialogBuilder), DbCreateWindow};

DialogBuilder::DialogBuilder(HostCallback* h) : host(h) {
  ops = &kBuilderOps;
  host->ops->AddRef(host);
  CountHostObject(+1);
}
DialogBuilder::~DialogBuilder() {
  host->ops->Release(host);
  CountHostObject(-1);
}

struct CommonFile : ZepCommonFile {
  uint32_t refs = 1;
  void* module;
  explicit CommonFile(void* m) : module(m) {
    ops = &kCommonFileOps;
    CountHostObject(+1);
  }
  ~CommonFile() { CountHostObject(-1); }
  static const ZepCommonFileOps kCommonFileOps;
};

VxStatus VXAPI CfGetModule(ZepCommonFile* self, void** module) {
  if (!module) return VX_E_INVALIDARG;
  *module = static_cast<CommonFile*>(self)->module;
  return VX_OK;
}

const ZepCommonFileOps CommonFile::kCommonFileOps = {
    VRIXHOST_UNKNOWN(CommonFile, ZepCommonFile, IID_ZepCommonFile), CfGetModule};

}  // namespace

VxStatus CreateBuilderObject(HostCallback* host, const VxGuid& clsid, const VxGuid& iid,
                             void** out) {
  if (VxGuidEqual(clsid, CLSID_ZepDialogBuilder)) {
    if (!VxGuidEqual(iid, IID_ZepDialogBuilder)) return VX_E_NOINTERFACE;
    *out = static_cast<ZepDialogBuilder*>(new DialogBuilder(host));
    return VX_OK;
  }
  if (VxGuidEqual(clsid, CLSID_ZepCommonFile)) {
    if (!VxGuidEqual(iid, IID_ZepCommonFile)) return VX_E_NOINTERFACE;
    void* module = host->commonFileModule ? host->commonFileModule : GetModuleHandleW(nullptr);
    *out = static_cast<ZepCommonFile*>(new CommonFile(module));
    return VX_OK;
  }
  return VX_E_NOCLASS;
}

}  // namespace vrixhost
