// The dialog's tables: the item list and one property record per item with
// its text, made when the dialog starts and freed with it.
#include <cstring>
#include <new>

#include "plugin/assetprops/AssetDialogItems.h"
#include "plugin/assetprops/MsgPool.h"
#include "plugin/frame/ModuleExports.h"

namespace {

struct DialogTables {
  ZepPropertyRecord records[kItemCount];  // first: self->records points here
  char texts[kItemCount][256];
};

int32_t WidgetOf(const ItemDescription& d) {
  switch (d.kind) {
    case kItemWindowBegin:
      return ZEP_WIDGET_WINDOW_BEGIN;
    case kItemWindowEnd:
      return ZEP_WIDGET_WINDOW_END;
    case kItemVGroupBegin:
      return ZEP_WIDGET_VGROUP_BEGIN;
    case kItemVGroupEnd:
      return ZEP_WIDGET_VGROUP_END;
    case kItemHGroupBegin:
      return ZEP_WIDGET_HGROUP_BEGIN;
    case kItemHGroupEnd:
      return ZEP_WIDGET_HGROUP_END;
    case kItemVDivider:
      return ZEP_WIDGET_VDIVIDER;
    case kItemHDivider:
      return ZEP_WIDGET_HDIVIDER;
    case kItemEditText:
      return ZEP_WIDGET_EDIT;
    case kItemCheckbox:
      return ZEP_WIDGET_CHECKBOX;
    case kItemPopup:
      return ZEP_WIDGET_POPUP;
    case kItemPreview:
      return ZEP_WIDGET_PREVIEW;
    case kItemButton:
      return d.style == kButtonDefault  ? ZEP_WIDGET_DEFAULT_BUTTON
             : d.style == kButtonCancel ? ZEP_WIDGET_CANCEL_BUTTON
             : d.style == kButtonToggle ? ZEP_WIDGET_TOGGLE_BUTTON
                                        : ZEP_WIDGET_BUTTON;
    default:
      return ZEP_WIDGET_LABEL;
  }
}

}  // namespace

VxStatus BuildDialogItems(AssetOptionsObject* self) {
  FreeDialogItems(self);
  self->items = new (std::nothrow) ItemDescription[kItemTableSize];
  DialogTables* tables = new (std::nothrow) DialogTables();
  if (!self->items || !tables) {
    delete tables;
    FreeDialogItems(self);
    return VX_E_OUTOFMEMORY;
  }
  self->records = tables->records;
  BuildItemList(self->items);
  MsgPool pool(VxModuleHandle());
  for (int i = 0; i < kItemCount; ++i) {
    const ItemDescription& d = self->items[i];
    ZepPropertyRecord& r = tables->records[i];
    r.widget = WidgetOf(d);
    r.titleField = "title";
    r.tipField = "tip";
    r.flags = ZEP_PROP_ENABLED;
    r.textStyle = d.kind == kItemButton ? 0 : d.style;
    r.textStyle2 = d.kind == kItemLabel && d.flag == 1 ? ZEP_TEXT_SMALL : 0;
    char* text = tables->texts[i];
    text[0] = '\0';
    if (d.kind != kItemPopup && d.value > 0 && d.value < kFirstCharacterNumber) {
      char* buffer = text;
      pool.GetString(kKinetraStrings, static_cast<int>(d.value), &buffer, sizeof tables->texts[i],
                     false);
    }
    r.title = text;
  }
  return VX_OK;
}

void FreeDialogItems(AssetOptionsObject* self) {
  delete reinterpret_cast<DialogTables*>(self->records);
  self->records = nullptr;
  delete[] self->items;
  self->items = nullptr;
}

int ItemOfWrapper(const AssetOptionsObject* self, const void* wrapper) {
  if (!self->wrappers || !wrapper) return -1;
  for (int i = 0; i < kItemCount; ++i)
    if (self->wrappers[i] == wrapper) return i;
  return -1;
}
