#include "plugin/assetprops/OptionsDialog.h"

#include <memory>
#include <new>

#include "plugin/assetprops/MsgPool.h"
#include "plugin/assetprops/TavHelper.h"
#include "plugin/assetprops/ZepItemWrapper.h"
#include "plugin/frame/InterfaceObject.h"

namespace {

// Fields of the window record besides the title, as the builder's record
// layout has them.
constexpr int32_t kWindowWidth = 400, kWindowHeight = 400, kWindowMargin = 40, kWindowSpacing = 2,
                  kWindowFlags = 0, kWindowModal = 1;

template <class W>
W* As(AssetOptionsObject* o, int item) {
  return dynamic_cast<W*>(ItemWrapper(o, item));
}

ZepItemWrapper& Need(AssetOptionsObject* o, int item) {
  ZepItemWrapper* w = ItemWrapper(o, item);
  if (!w) TavThrowNotInitialized("item wrapper");
  return *w;
}

OptionsDialogObject* Self(VxOptionsDialog* self) {
  return reinterpret_cast<OptionsDialogObject*>(self);
}

AssetOptionsObject* Attached(OptionsDialogObject* d) {
  if (!d->assetOptions || !d->assetOptions->wrappers) TavThrowNotInitialized("options dialog");
  return d->assetOptions;
}

// Runs an operation, turning every exception into a status: a failure never
// reaches the builder as an exception.
template <class F>
VxStatus Guarded(F f) {
  try {
    return f();
  } catch (const CTavException& e) {
    return e.status();
  } catch (const std::bad_alloc&) {
    return VX_E_OUTOFMEMORY;
  } catch (...) {
    return VX_E_INVALIDARG;
  }
}

void ShowLinkLabel(AssetOptionsObject* o, bool linked) {
  ZepItemWrapper& label = Need(o, kItemLinkLabel);
  label.SetTextNumber(linked ? 31 : 33);  // "Link File:" or "Import:"
  label.Refresh();
}

void EnableTempoField(AssetOptionsObject* o, int32_t selection) {
  ZepItemWrapper& field = Need(o, kItemTempoField);
  ZepItemWrapper& unit = Need(o, kItemTempoUnit);
  field.SetEnabled(selection == 2);  // "Fixed"
  unit.SetEnabled(selection - 1 == 1);
  field.Refresh();
  unit.Refresh();
}

int32_t TempoSelection(AssetOptionsObject* o) {
  ZepItemPopup* popup = As<ZepItemPopup>(o, kItemTempoPopup);
  if (!popup) TavThrowNotInitialized("tempo pop-up");
  return popup->Selection();
}

VxStatus ItemChanged(OptionsDialogObject* d, int32_t item) {
  AssetOptionsObject* o = Attached(d);
  switch (item) {
    case kItemFileName:
      o->linkTextChanged = 1;
      break;
    case kItemLinked: {
      o->linkedToggled = 1;
      ZepItemCheckbox* box = As<ZepItemCheckbox>(o, kItemLinked);
      if (!box) TavThrowNotInitialized("linked box");
      o->linked = box->Checked() ? 1 : 0;
      ShowLinkLabel(o, o->linked != 0);
      break;
    }
    case kItemTempoPopup: {
      const int32_t s = TempoSelection(o);
      EnableTempoField(o, s);
      o->playbackMode = s - 1;
      break;
    }
    case kItemTempoField: {
      if (TempoSelection(o) != 2) break;
      ZepItemWrapper& field = Need(o, kItemTempoField);
      int32_t fps = 0;
      // What the field shows is also what is kept, so that the tempo
      // written on OK is the one the user saw.
      if (!field.ReadInteger(&fps)) {
        fps = kDefaultFixedTempo;
        field.WriteInteger(fps);
      } else if (fps > kMaxFixedTempo) {
        fps = kMaxFixedTempo;
        field.WriteInteger(fps);
      } else if (fps < kMinFixedTempo) {
        fps = kMinFixedTempo;
        field.WriteInteger(fps);
      }
      o->fixedTempo = fps;
      field.Refresh();
      break;
    }
    default:
      break;
  }
  return VX_OK;
}

VxStatus StopPreviewIfPlaying(OptionsDialogObject* d);

// The preview item has a wrapper only when it became the "Preview Not
// Available" label; the sprite view's record is refreshed through the
// builder itself.
void RefreshPreview(AssetOptionsObject* o) {
  if (ZepItemWrapper* label = ItemWrapper(o, kItemPreviewView)) {
    label->Refresh();
    return;
  }
  ZepBuilderWindow* w = o->builderWindow;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  TavCheck(w->ops->RefreshItem(w, kItemPreviewView), "RefreshItem");
}

VxStatus PlayClicked(OptionsDialogObject* d) {
  AssetOptionsObject* o = Attached(d);
  VxStatus status = VX_OK;
  if (o->playing) {
    status = DialogStopPlayer(d);
    RefreshPreview(o);
  } else {
    if (o->linkTextChanged) {
      status = DialogReloadFile(d);
    } else {
      RefreshPreview(o);
    }
    if (status == VX_OK) status = DialogStartPlayer(d);
  }
  if (status != VX_OK) return status;
  o->playing = !o->playing;
  ZepItemWrapper& button = Need(o, kItemPlayButton);
  button.SetTextNumber(o->playing ? 23 : 3);  // "Stop" or "Play"
  button.Refresh();
  return VX_OK;
}

VxStatus EndWith(AssetOptionsObject* o, int32_t item) {
  ZepBuilderWindow* w = o->builderWindow;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  return w->ops->EndModal(w, item);
}

VxStatus ItemClicked(OptionsDialogObject* d, int32_t item) {
  AssetOptionsObject* o = Attached(d);
  VxStatus status = VX_OK;
  switch (item) {
    case kItemPlayButton:
      return PlayClicked(d);
    case kItemOk:
    case kItemCancel:
      status = StopPreviewIfPlaying(d);
      // The dialog ends even when the preview could not be stopped.
      {
        const VxStatus end = EndWith(o, item);
        return status != VX_OK ? status : end;
      }
    case kItemBrowse:
      status = StopPreviewIfPlaying(d);
      return status != VX_OK ? status : DialogBrowse(d);
    case kItemInternet:
      status = StopPreviewIfPlaying(d);
      return status != VX_OK ? status : DialogInternetAddress(d);
    case kItemHelp: {
      ITavHelper<VxHelpService> help(d->host);
      return help->ops->ShowTopic(help.get(), kDialogHelpTopic);
    }
    default:
      return VX_OK;
  }
}

VxStatus StopPreviewIfPlaying(OptionsDialogObject* d) {
  AssetOptionsObject* o = Attached(d);
  return o->playing ? PlayClicked(d) : VX_OK;
}

// --- the interface's operations

VxStatus VXAPI OpNotify(VxOptionsDialog* self, const VxGuid* source, const ZepEvent* event,
                        void* data) {
  if (!event || !data) return VX_E_INVALIDARG;
  if (!source || !VxGuidEqual(*source, CLSID_ZepDialogBuilder)) return VX_OK;
  OptionsDialogObject* d = Self(self);
  switch (event->type) {
    case ZEP_EVENT_ITEM_CHANGED:
      return Guarded([&] { return ItemChanged(d, event->item); });
    case ZEP_EVENT_ITEM_CLICKED:
      return Guarded([&] { return ItemClicked(d, event->item); });
    default:
      return VX_OK;
  }
}

VxStatus VXAPI OpAttach(VxOptionsDialog* self, VxHostCallback* host, VxAssetOptions* assetOptions) {
  OptionsDialogObject* d = Self(self);
  d->host = host;
  d->assetOptions = reinterpret_cast<AssetOptionsObject*>(assetOptions);
  return VX_OK;
}

VxStatus VXAPI OpItemChanged(VxOptionsDialog* self, int32_t item) {
  return Guarded([&] { return ItemChanged(Self(self), item); });
}
VxStatus VXAPI OpItemClicked(VxOptionsDialog* self, int32_t item) {
  return Guarded([&] { return ItemClicked(Self(self), item); });
}
VxStatus VXAPI OpBrowse(VxOptionsDialog* self) {
  return Guarded([&] { return DialogBrowse(Self(self)); });
}
VxStatus VXAPI OpInternet(VxOptionsDialog* self) {
  return Guarded([&] { return DialogInternetAddress(Self(self)); });
}
VxStatus VXAPI OpReload(VxOptionsDialog* self) {
  return Guarded([&] { return DialogReloadFile(Self(self)); });
}
VxStatus VXAPI OpStopPreview(VxOptionsDialog* self) {
  return Guarded([&] { return StopPreviewIfPlaying(Self(self)); });
}
VxStatus VXAPI OpStopPlayer(VxOptionsDialog* self) {
  return Guarded([&] { return DialogStopPlayer(Self(self)); });
}
VxStatus VXAPI OpStartPlayer(VxOptionsDialog* self) {
  return Guarded([&] { return DialogStartPlayer(Self(self)); });
}

}  // namespace

const VxOptionsDialogOps kOptionsDialogOps = {
    VX_UNKNOWN_ENTRIES(VxOptionsDialog, kOptionsDialogOps),
    OpNotify,
    OpAttach,
    OpItemChanged,
    OpItemClicked,
    OpBrowse,
    OpInternet,
    OpReload,
    OpStopPreview,
    OpStopPlayer,
    OpStartPlayer,
};

ZepItemWrapper* ItemWrapper(AssetOptionsObject* o, int item) {
  if (!o || !o->wrappers || item < 0 || item >= kItemCount) return nullptr;
  return o->wrappers[item];
}

VxStatus StartOptionsDialog(AssetOptionsObject* o, VxHostCallback* host) {
  if (!o || !host) return VX_E_INVALIDARG;
  FreeOptionsDialog(o);
  try {
    o->items = new (std::nothrow) ItemDescription[kItemTableSize];
    o->records = new (std::nothrow) ZepPropertyRecord[kItemCount];
    o->wrappers = new (std::nothrow) ZepItemWrapper*[kItemCount]();
    if (!o->items || !o->records || !o->wrappers) {
      FreeOptionsDialog(o);
      return VX_E_OUTOFMEMORY;
    }
    for (int i = 0; i < kItemCount; ++i) ResetPropertyRecord(&o->records[i]);
    o->playText = new MMString(kKinetraStrings, 3);
    o->stopText = new MMString(kKinetraStrings, 23);
    o->context = new DialogContext(host);
    o->context->title = std::make_unique<MMString>(kKinetraStrings, 1);

    // The options-dialog object the builder reports to.
    VxInstance* owner = o->owner;
    void* dialog = nullptr;
    VxStatus status = owner->ops->QueryInterface(owner, &IID_VxOptionsDialog, &dialog);
    if (status != VX_OK || !dialog) {
      FreeOptionsDialog(o);
      return status != VX_OK ? status : VX_E_OUTOFMEMORY;
    }
    o->optionsDialog = static_cast<VxOptionsDialog*>(dialog);
    o->optionsDialog->ops->Attach(o->optionsDialog, host, reinterpret_cast<VxAssetOptions*>(o));

    ITavHelper<ZepDialogBuilder> builder(host);
    const ZepWindowRecord record = {o->context->title->c_str(),
                                    kWindowWidth,
                                    kWindowHeight,
                                    kWindowMargin,
                                    kWindowSpacing,
                                    kWindowFlags,
                                    kWindowModal};
    ZepBuilderWindow* window = nullptr;
    status = builder->ops->CreateWindow(builder.get(), &record, &window);
    if (status != VX_OK || !window) {
      FreeOptionsDialog(o);
      return status != VX_OK ? status : VX_E_OUTOFMEMORY;
    }
    o->builderWindow = window;
    o->context->window = window;

    BuildItemList(o->items);
    for (int i = 0; i < kItemCount; ++i)
      o->wrappers[i] = MakeItemWrapper(*o->context, i, o->items[i], &o->records[i]).release();
    for (int i = 0; i < kItemCount; ++i)
      if (o->wrappers[i]) o->wrappers[i]->Initialize();
    // The preview view has no wrapper: its record is the builder's view.
    o->records[kItemPreviewView].widget = ZEP_WIDGET_PREVIEW;
    o->records[kItemPreviewView].width = 160;
    o->records[kItemPreviewView].height = 120;

    status =
        window->ops->Attach(window, reinterpret_cast<VxUnknown*>(o->optionsDialog), o->records);
    if (status != VX_OK) {
      FreeOptionsDialog(o);
      return status;
    }
    return VX_OK;
  } catch (...) {
    FreeOptionsDialog(o);
    throw;
  }
}

void SetItemSizes(AssetOptionsObject* o) {
  Need(o, kItemFileName).SetSize(220, 12);
  Need(o, kItemLinked).SetSize(78, 12);
  Need(o, kItemDirectToStage).SetSize(90, 16);
  for (int i : {kItemFrameCount, kItemWidth, kItemHeight}) Need(o, i).SetSize(75, 10);
  Need(o, kItemTempoUnit).SetSize(15, 12);
  Need(o, kItemTempoPopup).SetSize(90, 12);
}

void FillItemsWithoutAsset(AssetOptionsObject* o) {
  SetItemSizes(o);
  o->linked = 1;
  o->playbackMode = 0;
  o->fixedTempo = kDefaultFixedTempo;
  o->previewAvailable = 0;
  As<ZepItemCheckbox>(o, kItemLinked)->SetChecked(true);
  As<ZepItemCheckbox>(o, kItemDirectToStage)->SetChecked(false);
  Need(o, kItemTempoField).WriteInteger(o->fixedTempo);
  Need(o, kItemFileName).WriteString("");
  As<ZepItemPopup>(o, kItemTempoPopup)->Select(1);
  Need(o, kItemLinkLabel).SetTextNumber(31);
  Need(o, kItemTempoField).SetEnabled(false);
  Need(o, kItemTempoUnit).SetEnabled(false);
  // Without an asset there is nothing to preview: the view becomes a
  // centred label, and Play has nothing to play.
  ZepPropertyRecord* view = &o->records[kItemPreviewView];
  const ItemDescription label = {kItemLabel, 35, 1, ZEP_TEXT_CENTRED};
  o->wrappers[kItemPreviewView] =
      MakeItemWrapper(*o->context, kItemPreviewView, label, view).release();
  o->wrappers[kItemPreviewView]->Initialize();
  o->wrappers[kItemPreviewView]->SetSize(160, 120);
  ZepItemWrapper& play = Need(o, kItemPlayButton);
  play.SetText(o->playText->c_str());
  play.SetEnabled(false);
}

VxStatus RunOptionsDialog(AssetOptionsObject* o, int32_t* result) {
  if (!o || !o->builderWindow || !result) return VX_E_INVALIDARG;
  ZepBuilderWindow* w = o->builderWindow;
  return w->ops->RunModal(w, kItemCount, result);
}

void FreeOptionsDialog(AssetOptionsObject* o) {
  if (!o) return;
  if (o->wrappers) {
    for (int i = 0; i < kItemCount; ++i) delete o->wrappers[i];
    delete[] o->wrappers;
    o->wrappers = nullptr;
  }
  if (o->builderWindow) o->builderWindow->ops->Release(o->builderWindow);
  o->builderWindow = nullptr;
  if (o->optionsDialog) {
    o->optionsDialog->ops->Attach(o->optionsDialog, nullptr, nullptr);
    o->optionsDialog->ops->Release(o->optionsDialog);
  }
  o->optionsDialog = nullptr;
  delete o->context;
  o->context = nullptr;
  delete[] o->records;
  o->records = nullptr;
  delete[] o->items;
  o->items = nullptr;
  delete o->playText;
  o->playText = nullptr;
  delete o->stopText;
  o->stopText = nullptr;
}
