#include "plugin/assetprops/AssetOptions.h"

#include <windows.h>

#include <commdlg.h>
// The builder operation of that name, not the Windows macro.
#undef CreateWindow

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "plugin/assetprops/MsgPool.h"
#include "plugin/assetprops/OptionsDialog.h"
#include "plugin/assetprops/PreviewFit.h"
#include "plugin/assetprops/TavException.h"
#include "plugin/assetprops/TavExceptionSupport.h"
#include "plugin/assetprops/TavHelper.h"
#include "plugin/assetprops/ZepItemWrapper.h"
#include "plugin/frame/InterfaceObject.h"
#include "plugin/frame/ModuleExports.h"

const char* const kPlaybackModeTexts[3] = {"normal", "fixed", "lockStep"};

namespace {

// String numbers of the texts used here.
enum : int {
  kStrTitle = 1,
  kStrPlay = 3,
  kStrFrames = 20,
  kStrHeight = 22,
  kStrStop = 23,
  kStrOpenTitle = 24,
  kStrGifFilter = 25,
  kStrGifPattern = 26,
  kStrAllFilter = 27,
  kStrAllPattern = 28,
  kStrLinkFile = 31,
  kStrImport = 33,
  kStrWidth = 34,
  kStrNoPreview = 35,
};

constexpr int32_t kDefaultTempo = 15;
constexpr int32_t kBrowseBufferChars = VX_ASSET_NAME_CHARS;  // the Browse buffer
constexpr DWORD kInvalidFileName = 0x3002;                   // FNERR_INVALIDFILENAME
constexpr char kUntypedException[] = "Untyped exception occurred.";

AssetOptionsObject* Self(VxAssetOptions* self) {
  return reinterpret_cast<AssetOptionsObject*>(self);
}

VxHostCallback* HostOf(const AssetOptionsObject* self) {
  return self->owner ? self->owner->callback : nullptr;
}

std::string Text(int number) {
  MMString s(kKinetraStrings, number);
  return s.c_str();
}

// A host object the holders of TavHelper.h do not cover, made through the
// host callback and released when the holder goes.
template <class I>
class HostObject {
 public:
  HostObject(VxHostCallback* host, const VxGuid& clsid, const VxGuid& iid) {
    void* out = nullptr;
    if (host && host->ops->CreateObject(host, &clsid, &iid, &out) == VX_OK)
      iface_ = static_cast<I*>(out);
  }
  ~HostObject() {
    if (iface_) iface_->ops->Release(iface_);
  }
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;
  I* get() const { return iface_; }

 private:
  I* iface_ = nullptr;
};

// The asset's properties, read and written through host values.
class AssetAccess {
 public:
  explicit AssetAccess(AssetOptionsObject* self)
      : self_(self), utils_(HostOf(self)), values_(HostOf(self)) {
    if (!self->asset) TavThrowNotInitialized("asset");
  }

  VxSymbol Symbol(const char* text) {
    VxSymbol s = 0;
    TavCheck(utils_->ops->SymbolFromText(utils_.get(), text, &s), "SymbolFromText");
    return s;
  }
  VxSymbol Id(uint32_t role) {
    VxSymbol id = 0;
    TavCheck(asset()->ops->GetPropertyId(asset(), role, &id), "GetPropertyId");
    return id;
  }

  int32_t GetInteger(uint32_t role) {
    Value v(this);
    TavCheck(asset()->ops->GetProperty(asset(), Id(role), &v.v), "GetProperty");
    int32_t n = 0;
    if (values_->ops->ToInteger(values_.get(), &v.v, &n) != VX_OK)
      throw CTavMmValueMismatch(VX_E_MISMATCH, "GetProperty", "an integer was expected");
    return n;
  }
  std::string GetText(uint32_t role) {
    Value v(this);
    TavCheck(asset()->ops->GetProperty(asset(), Id(role), &v.v), "GetProperty");
    char buffer[VX_ASSET_NAME_CHARS] = "";
    if (values_->ops->ToText(values_.get(), &v.v, buffer, sizeof buffer) != VX_OK)
      throw CTavMmValueMismatch(VX_E_MISMATCH, "GetProperty", "a text was expected");
    return buffer;
  }
  VxSymbol GetSymbol(uint32_t role) {
    Value v(this);
    TavCheck(asset()->ops->GetProperty(asset(), Id(role), &v.v), "GetProperty");
    VxSymbol s = 0;
    if (values_->ops->ToSymbol(values_.get(), &v.v, &s) != VX_OK)
      throw CTavMmValueMismatch(VX_E_MISMATCH, "GetProperty", "a symbol was expected");
    return s;
  }

  void SetInteger(uint32_t role, int32_t n) {
    Value v(this);
    TavCheck(values_->ops->FromInteger(values_.get(), n, &v.v), "FromInteger");
    TavCheck(asset()->ops->SetProperty(asset(), Id(role), &v.v), "SetProperty");
  }
  void SetText(uint32_t role, const std::string& text) {
    Value v(this);
    TavCheck(values_->ops->FromText(values_.get(), text.c_str(), &v.v), "FromText");
    TavCheck(asset()->ops->SetProperty(asset(), Id(role), &v.v), "SetProperty");
  }
  void SetSymbol(uint32_t role, VxSymbol s) {
    Value v(this);
    TavCheck(values_->ops->FromSymbol(values_.get(), s, &v.v), "FromSymbol");
    TavCheck(asset()->ops->SetProperty(asset(), Id(role), &v.v), "SetProperty");
  }

  VxAsset* asset() const { return self_->asset; }

 private:
  // A host value given back when it goes.
  struct Value {
    explicit Value(AssetAccess* a) : access(a) {}
    ~Value() { access->values_->ops->ReleaseValue(access->values_.get(), &v); }
    AssetAccess* access;
    VxValue v{};
  };
  AssetOptionsObject* self_;
  ITavMmUtils utils_;
  ITavMmValue values_;
};

VxStatus StatusOfUntyped(const std::exception* e) {
  return e && dynamic_cast<const std::bad_alloc*>(e) ? VX_E_OUTOFMEMORY : VX_E_INVALIDARG;
}

// Any other exception is told through the host's message output; a host
// without one hears nothing.
void ReportUntyped(AssetOptionsObject* self) {
  try {
    ITavMmUtils utils(HostOf(self));
    utils->ops->ShowMessage(utils.get(), kUntypedException);
  } catch (...) {
  }
}

void* DialogWindow(const AssetOptionsObject* self) {
  void* window = nullptr;
  if (self->builderWindow) self->builderWindow->ops->GetWindowHandle(self->builderWindow, &window);
  return window;
}

// Runs `body` with every exception turned into a status: the family shown
// (unless suppressed), anything else reported as untyped.
template <class Body>
VxStatus Guarded(AssetOptionsObject* self, Body body) {
  try {
    body();
    return VX_OK;
  } catch (const CTavException& e) {
    if (!e.suppressed()) {
      try {
        TavShowException(e, DialogWindow(self));
      } catch (...) {
      }
    }
    return e.status() != VX_OK ? e.status() : VX_E_INVALIDARG;
  } catch (const std::exception& e) {
    ReportUntyped(self);
    return StatusOfUntyped(&e);
  } catch (...) {
    ReportUntyped(self);
    return StatusOfUntyped(nullptr);
  }
}

// ---------------------------------------------------------------------------
// Filling the dialog.

int32_t ModePosition(AssetAccess& a, VxSymbol mode) {
  for (int i = 0; i < 3; ++i)
    if (mode == a.Symbol(kPlaybackModeTexts[i])) return i + 1;
  return 1;  // an unknown mode shows as Normal
}

void* DialogWindow(const AssetOptionsObject* self);

// Items are refreshed only while the builder's window is up: before it
// runs, the builder reads every record and value when it starts.
void Refresh(AssetOptionsObject* self, ZepItemWrapper& item) {
  if (DialogWindow(self)) item.Refresh();
}

ZepItemWrapper& Need(AssetOptionsObject* self, int item) {
  ZepItemWrapper* w = ItemWrapper(self, item);
  if (!w) TavThrowNotInitialized("dialog item");
  return *w;
}

template <class W>
W& NeedAs(AssetOptionsObject* self, int item) {
  W* w = dynamic_cast<W*>(&Need(self, item));
  if (!w) throw CTavLogicError(VX_E_INVALIDARG, "dialog item kind");
  return *w;
}

void UpdateInfoLines(AssetOptionsObject* self) {
  VxAsset* asset = self->asset;
  if (!asset) TavThrowNotInitialized("asset");
  int32_t w = 0, h = 0, frames = 0;
  const bool known = asset->ops->GetMediaSize(asset, &w, &h) == VX_OK &&
                     asset->ops->GetFrameCount(asset, &frames) == VX_OK;
  const struct {
    int item, format;
    int32_t value;
  } lines[3] = {{kItemFrameCount, kStrFrames, frames},
                {kItemWidth, kStrWidth, w},
                {kItemHeight, kStrHeight, h}};
  for (const auto& l : lines) {
    char line[300] = "";
    if (known) std::snprintf(line, sizeof line, Text(l.format).c_str(), static_cast<int>(l.value));
    ZepItemWrapper& item = Need(self, l.item);
    item.SetText(line);
    Refresh(self, item);
  }
}

// Whether `record` is one of this dialog's property records: the host may
// only resize what it was given.
bool IsOwnRecord(const AssetOptionsObject* self, const void* record) {
  if (!record || !self->records) return false;
  for (int i = 0; i < kItemCount; ++i)
    if (record == &self->records[i]) return true;
  return false;
}

bool IsOwnWrapper(const AssetOptionsObject* self, const void* wrapper) {
  if (!wrapper || !self->wrappers) return false;
  for (int i = 0; i < kItemCount; ++i)
    if (wrapper == self->wrappers[i]) return true;
  return false;
}

void SetRecordSize(AssetOptionsObject* self, ZepPropertyRecord* record, int32_t w, int32_t h) {
  record->width = w;
  record->height = h;
  // The item shows it through its wrapper (which knows whether the
  // builder's window is up yet).
  for (int i = 0; self->wrappers && i < kItemCount; ++i)
    if (self->wrappers[i] && self->wrappers[i]->record() == record)
      Refresh(self, *self->wrappers[i]);
}

void FillItems(AssetOptionsObject* self) {
  if (!self->wrappers) TavThrowNotInitialized("dialog");
  AssetAccess a(self);
  const int32_t linked = a.GetInteger(VX_ASSET_PROP_LINKED) != 0;
  NeedAs<ZepItemCheckbox>(self, kItemLinked).SetChecked(linked != 0);
  NeedAs<ZepItemCheckbox>(self, kItemDirectToStage)
      .SetChecked(a.GetInteger(VX_ASSET_PROP_DIRECT_TO_STAGE) != 0);
  int32_t tempo = a.GetInteger(VX_ASSET_PROP_FIXED_TEMPO);
  if (tempo < 1) tempo = kDefaultTempo;
  Need(self, kItemTempoField).WriteInteger(tempo);
  Need(self, kItemFileName).WriteString(a.GetText(VX_ASSET_PROP_FILE_NAME));

  const int32_t position = ModePosition(a, a.GetSymbol(VX_ASSET_PROP_PLAYBACK_MODE));
  NeedAs<ZepItemPopup>(self, kItemTempoPopup).Select(position);
  self->linked = static_cast<uint8_t>(linked);
  self->playbackMode = position - 1;
  self->fixedTempo = tempo;

  Need(self, kItemLinkLabel).SetTextNumber(linked ? kStrLinkFile : kStrImport);
  Need(self, kItemTempoField).SetEnabled(position == 2);
  Need(self, kItemTempoUnit).SetEnabled(position - 1 == 1);

  ZepItemWrapper& play = Need(self, kItemPlayButton);
  play.SetTextNumber(self->playing ? kStrStop : kStrPlay);
  play.SetEnabled(self->previewAvailable != 0);

  // Sizes in dialog units; the preview view keeps its 160 x 120 pixels, and
  // the label that replaces it when there is none gets 80 x 60 units.
  SetItemSizes(self);
  if (!self->previewAvailable) Need(self, kItemPreviewView).SetSize(80, 60);
  for (int item : {kItemLinked, kItemDirectToStage, kItemTempoField, kItemFileName, kItemTempoPopup,
                   kItemLinkLabel, kItemTempoUnit, kItemPlayButton})
    Refresh(self, Need(self, item));
}

// The preview view: the host's sprite view showing the asset's media, or
// the centred label "Preview Not Available" (with Play disabled).
void MakePreview(AssetOptionsObject* self) {
  ZepPropertyRecord& r = self->records[kItemPreviewView];
  r.widget = ZEP_WIDGET_PREVIEW;
  r.width = 160;
  r.height = 120;
  r.view = nullptr;
  void* out = nullptr;
  VxHostCallback* host = HostOf(self);
  if (host->ops->CreateObject(host, &CLSID_VxSpriteView, &IID_VxSpriteView, &out) == VX_OK && out) {
    VxSpriteView* view = static_cast<VxSpriteView*>(out);
    if (view->ops->ShowMedia(view, self->asset, 160, 120) == VX_OK) {
      view->ops->SetClient(view, reinterpret_cast<VxAssetOptions*>(self));
      self->spriteView = view;
      r.view = view;
      self->previewAvailable = 1;
      return;
    }
    view->ops->Release(view);
  }
  self->previewAvailable = 0;
  const ItemDescription label = {kItemLabel, kStrNoPreview, 1, ZEP_TEXT_CENTRED};
  std::unique_ptr<ZepItemWrapper> w = MakeItemWrapper(*self->context, kItemPreviewView, label, &r);
  w->Initialize();
  delete self->wrappers[kItemPreviewView];
  self->wrappers[kItemPreviewView] = w.release();
}

void ReleasePreview(AssetOptionsObject* self) {
  if (self->spriteView) self->spriteView->ops->Release(self->spriteView);
  self->spriteView = nullptr;
  self->previewAvailable = 0;
}

// Everything the dialog made; safe on a half-made dialog and on one already
// freed.
void FreeDialog(AssetOptionsObject* self) {
  FreeOptionsDialog(self);
  ReleasePreview(self);
  if (self->supportHeld) TavReleaseExceptionSupport();
  self->supportHeld = 0;
}

// 0, or a status the host's services gave (passed on unchanged).
VxStatus ShowDialog(AssetOptionsObject* self) {
  VxHostCallback* host = HostOf(self);
  if (!host) TavThrowNotInitialized("host");
  if (!self->supportHeld) TavInitExceptionSupport(host, VxModuleHandle());
  self->supportHeld = 1;
  // A show without finish before this one: its dialog and preview go now
  // (the exception support it took is this show's).
  FreeOptionsDialog(self);
  ReleasePreview(self);
  if (!self->asset) {
    // Without an asset: the values a new asset would have, nothing to keep.
    VxStatus status = StartOptionsDialog(self, host);
    if (status != VX_OK) return status;
    FillItemsWithoutAsset(self);
    int32_t result = -1;
    status = RunOptionsDialog(self, &result);
    self->dialogRan = status == VX_OK;
    self->okPressed = self->dialogRan && result == kItemOk;
    return status;
  }
  VxStatus status = self->asset->ops->GetInfo(self->asset, self->info);
  if (status != VX_OK) return status;
  self->infoSaved = 1;
  self->dialogRan = self->okPressed = self->playing = 0;
  self->linkTextChanged = self->linkedToggled = self->fileChanged = 0;

  status = StartOptionsDialog(self, host);
  if (status != VX_OK) return status;
  MakePreview(self);
  FillItems(self);
  UpdateInfoLines(self);

  int32_t result = -1;
  status = RunOptionsDialog(self, &result);
  if (status != VX_OK) return status;
  self->dialogRan = 1;
  self->okPressed = result == kItemOk;
  return VX_OK;
}

// ---------------------------------------------------------------------------
// Finishing.

void Revert(AssetOptionsObject* self) {
  if (!self->asset || !self->infoSaved) return;
  TavCheck(self->asset->ops->SetInfo(self->asset, self->info), "SetInfo");
  if (self->fileChanged || self->linkTextChanged || self->linkedToggled) {
    VxAssetInfo info;
    std::memcpy(&info, self->info, sizeof info);
    info.fileName[sizeof info.fileName - 1] = '\0';
    AssetAccess(self).SetText(VX_ASSET_PROP_FILE_NAME, info.fileName);
  }
}

void Apply(AssetOptionsObject* self) {
  AssetAccess a(self);
  if (self->fileChanged || self->linkTextChanged || self->linkedToggled) {
    a.SetText(VX_ASSET_PROP_FILE_NAME, Need(self, kItemFileName).ReadString());
    if (self->linkedToggled) a.SetInteger(VX_ASSET_PROP_LINKED, self->linked);
  }
  a.SetInteger(VX_ASSET_PROP_DIRECT_TO_STAGE,
               NeedAs<ZepItemCheckbox>(self, kItemDirectToStage).Checked() ? 1 : 0);
  const int32_t mode = self->playbackMode >= 0 && self->playbackMode < 3 ? self->playbackMode : 0;
  a.SetSymbol(VX_ASSET_PROP_PLAYBACK_MODE, a.Symbol(kPlaybackModeTexts[mode]));
  if (mode == 1) a.SetInteger(VX_ASSET_PROP_FIXED_TEMPO, self->fixedTempo);
}

// ---------------------------------------------------------------------------
// The operations.

VxStatus VXAPI OpAttach(VxAssetOptions* self, VxAsset* asset) {
  Self(self)->asset = asset;
  return VX_OK;
}

VxStatus VXAPI OpShowDialog(VxAssetOptions* self, void*) {
  AssetOptionsObject* o = Self(self);
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  VxStatus shown = VX_OK;
  VxStatus status = Guarded(o, [o, &shown] { shown = ShowDialog(o); });
  if (status == VX_OK) status = shown;
  SetCursor(previous);
  // A dialog that did not run leaves nothing behind but the saved block.
  if (status != VX_OK) FreeDialog(o);
  return status;
}

VxStatus VXAPI OpFinish(VxAssetOptions* self, int32_t, int32_t* result) {
  // Without a place for the result the host cannot learn what was written:
  // nothing is done (a last release still frees the dialog).
  if (!result) return VX_E_INVALIDARG;
  AssetOptionsObject* o = Self(self);
  int32_t written = 0;
  const VxStatus status = Guarded(o, [o, &written] {
    if (!o->asset) return;  // nothing to write or put back
    if (o->dialogRan && o->okPressed) {
      Apply(o);
      written = 2;
    } else {
      Revert(o);
    }
  });
  FreeDialog(o);
  o->dialogRan = o->okPressed = 0;
  o->infoSaved = 0;
  *result = written;
  return status;
}

VxStatus VXAPI OpFitPreview(VxAssetOptions*, int32_t w, int32_t h, const int32_t* bounds,
                            int32_t* rect) {
  if (!bounds || !rect) return VX_E_INVALIDARG;
  PreviewRect out{};
  if (!FitPreview(w, h, {bounds[0], bounds[1], bounds[2], bounds[3]}, &out)) return VX_E_INVALIDARG;
  rect[0] = out.left;
  rect[1] = out.top;
  rect[2] = out.right;
  rect[3] = out.bottom;
  return VX_OK;
}

VxStatus VXAPI OpPaintBackground(VxAssetOptions*, int32_t top, int32_t left, int32_t bottom,
                                 int32_t right, void* drawingContext) {
  const VxDrawingContext* dc = static_cast<const VxDrawingContext*>(drawingContext);
  if (!dc) return VX_E_INVALIDARG;
  if (dc->kind != VX_DRAWING_WIN32 || !dc->handle) return VX_OK;  // not ours to paint
  const RECT r = {left, top, right, bottom};
  FillRect(static_cast<HDC>(dc->handle), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  return VX_OK;
}

VxStatus VXAPI OpSetPlaybackMode(VxAssetOptions* self, int32_t mode) {
  if (mode < 0 || mode > 2) return VX_E_INVALIDARG;
  AssetOptionsObject* o = Self(self);
  return Guarded(o, [o, mode] {
    AssetAccess a(o);
    a.SetSymbol(VX_ASSET_PROP_PLAYBACK_MODE, a.Symbol(kPlaybackModeTexts[mode]));
    o->playbackMode = mode;
  });
}

VxStatus VXAPI OpFillItems(VxAssetOptions* self) {
  AssetOptionsObject* o = Self(self);
  return Guarded(o, [o] { FillItems(o); });
}

VxStatus VXAPI OpReserved(VxAssetOptions*) {
  return VX_OK;
}

// A pointer that is not one the module gave out is refused before anything
// is written through it.
VxStatus VXAPI OpSetItemSize(VxAssetOptions* self, void* wrapper, int32_t w, int32_t h) {
  AssetOptionsObject* o = Self(self);
  if (!IsOwnWrapper(o, wrapper)) return VX_E_INVALIDARG;
  return Guarded(o, [o, wrapper, w, h] {
    ZepItemWrapper* item = static_cast<ZepItemWrapper*>(wrapper);
    item->SetSize(w, h);
    Refresh(o, *item);
  });
}

VxStatus VXAPI OpSetRecordSize(VxAssetOptions* self, void* record, int32_t w, int32_t h) {
  AssetOptionsObject* o = Self(self);
  if (!IsOwnRecord(o, record)) return VX_E_INVALIDARG;
  return Guarded(
      o, [o, record, w, h] { SetRecordSize(o, static_cast<ZepPropertyRecord*>(record), w, h); });
}

VxStatus VXAPI OpUpdateInfoLines(VxAssetOptions* self) {
  AssetOptionsObject* o = Self(self);
  return Guarded(o, [o] { UpdateInfoLines(o); });
}

VxStatus VXAPI OpRevert(VxAssetOptions* self) {
  AssetOptionsObject* o = Self(self);
  return Guarded(o, [o] { Revert(o); });
}

// The last release without finish: the dialog's tables, wrappers, preview
// and exception support go; the asset is not touched (it may be gone).
void FreeAtLastRelease(VxInterfaceObject* object) {
  try {
    FreeDialog(reinterpret_cast<AssetOptionsObject*>(object));
  } catch (...) {
  }
}

}  // namespace

const VxAssetOptionsOps kAssetOptionsOps = {
    VX_UNKNOWN_ENTRIES_FREEING(VxAssetOptions, kAssetOptionsOps, FreeAtLastRelease),
    OpAttach,
    OpShowDialog,
    OpFinish,
    OpFitPreview,
    OpPaintBackground,
    OpSetPlaybackMode,
    OpFillItems,
    OpReserved,
    OpSetItemSize,
    OpSetRecordSize,
    OpUpdateInfoLines,
    OpRevert,
};

// ---------------------------------------------------------------------------
// Browse, Internet address, reload file.

void TavReloadFile(AssetOptionsObject* self) {
  self->linkTextChanged = 0;
  if (self->optionsDialog) self->optionsDialog->ops->StopPreview(self->optionsDialog);
  AssetAccess a(self);
  a.SetText(VX_ASSET_PROP_FILE_NAME, Need(self, kItemFileName).ReadString());
  self->fileChanged = 1;
  VxPlayer* player = nullptr;
  if (self->asset->ops->GetPlayer(self->asset, &player) == VX_OK && player) {
    ITavVxPlayer held = ITavVxPlayer::Adopt(player);
    TavCheck(held->ops->Reset(held.get()), "Reset");
  }
  if (self->spriteView) self->spriteView->ops->Refresh(self->spriteView);
  for (int item = 0; item < kItemCount; ++item)
    if (ZepItemWrapper* w = ItemWrapper(self, item)) Refresh(self, *w);
  UpdateInfoLines(self);
}

void TavBrowse(AssetOptionsObject* self) {
  const std::string current = Need(self, kItemFileName).ReadString();
  std::vector<char> file(kBrowseBufferChars, '\0');
  std::strncpy(file.data(), current.c_str(), file.size() - 1);
  const std::string title = Text(kStrOpenTitle);
  std::string filter;
  for (int n : {kStrGifFilter, kStrGifPattern, kStrAllFilter, kStrAllPattern}) {
    filter += Text(n);
    filter += '\0';
  }
  filter += '\0';

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(DialogWindow(self));
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_SHAREAWARE;

  // The host hears of the system dialog before and after it; a host
  // without the notices is simply not told.
  HostObject<VxSystemDialogNotices> notices(HostOf(self), CLSID_VxSystemDialogNotices,
                                            IID_VxSystemDialogNotices);
  if (notices.get()) notices.get()->ops->BeforeSystemDialog(notices.get());
  BOOL chosen = GetOpenFileNameA(&ofn);
  if (!chosen && CommDlgExtendedError() == kInvalidFileName) {
    file[0] = '\0';
    chosen = GetOpenFileNameA(&ofn);
  }
  if (notices.get()) notices.get()->ops->AfterSystemDialog(notices.get());
  if (!chosen) return;
  Need(self, kItemFileName).WriteString(file.data());
  Refresh(self, Need(self, kItemFileName));
  TavReloadFile(self);
}

void TavInternetAddress(AssetOptionsObject* self) {
  HostObject<VxAddressDialog> dialog(HostOf(self), CLSID_VxAddressDialog, IID_VxAddressDialog);
  if (!dialog.get()) TavThrowInterfaceMissing("address dialog");
  std::vector<char> address(VX_ADDRESS_MAX_CHARS, '\0');
  std::strncpy(address.data(), Need(self, kItemFileName).ReadString().c_str(), address.size() - 1);
  const VxStatus status = dialog.get()->ops->AskAddress(
      dialog.get(), DialogWindow(self), address.data(), static_cast<uint32_t>(address.size()));
  if (status == VX_E_CANCELLED) return;
  TavCheck(status, "AskAddress");
  address.back() = '\0';
  if (!address[0]) return;
  Need(self, kItemFileName).WriteString(address.data());
  Refresh(self, Need(self, kItemFileName));
  TavReloadFile(self);
}

VxStatus AssetOptionsBrowse(AssetOptionsObject* self) {
  return Guarded(self, [self] { TavBrowse(self); });
}
VxStatus AssetOptionsInternetAddress(AssetOptionsObject* self) {
  return Guarded(self, [self] { TavInternetAddress(self); });
}
VxStatus AssetOptionsReloadFile(AssetOptionsObject* self) {
  return Guarded(self, [self] { TavReloadFile(self); });
}
