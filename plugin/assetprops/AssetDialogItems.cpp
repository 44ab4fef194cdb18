#include "plugin/assetprops/AssetDialogItems.h"

namespace {

VxHostCallback* HostOf(const AssetOptionsObject* self) {
  return self->owner ? self->owner->callback : nullptr;
}

// A host value given back when it goes.
struct HeldValue {
  explicit HeldValue(VxMmValue* v) : values(v) {}
  ~HeldValue() { values->ops->ReleaseValue(values, &value); }
  VxMmValue* values;
  VxValue value{};
};

}  // namespace

DialogItems::DialogItems(AssetOptionsObject* self)
    : self_(self), utils_(HostOf(self)), values_(HostOf(self)) {
  if (!self->builderWindow || !self->records) TavThrowNotInitialized("dialog");
}

VxSymbol DialogItems::Kind(const char* name) {
  VxSymbol s = 0;
  TavCheck(utils_->ops->SymbolFromText(utils_.get(), name, &s), "SymbolFromText");
  return s;
}

std::string DialogItems::GetText(int item) {
  HeldValue v(values_.get());
  ZepBuilderWindow* w = self_->builderWindow;
  TavCheck(w->ops->GetItemValue(w, item, Kind("String"), &v.value), "GetItemValue");
  char buffer[VX_ASSET_NAME_CHARS] = "";
  TavCheck(values_->ops->ToText(values_.get(), &v.value, buffer, sizeof buffer), "ToText");
  return buffer;
}

int32_t DialogItems::GetInteger(int item) {
  HeldValue v(values_.get());
  ZepBuilderWindow* w = self_->builderWindow;
  const VxStatus got = w->ops->GetItemValue(w, item, Kind("Integer"), &v.value);
  if (got == VX_E_MISMATCH) throw CTavMmValueMismatch(got, "GetItemValue");
  TavCheck(got, "GetItemValue");
  int32_t n = 0;
  TavCheck(values_->ops->ToInteger(values_.get(), &v.value, &n), "ToInteger");
  return n;
}

void DialogItems::SetText(int item, const std::string& text) {
  HeldValue v(values_.get());
  TavCheck(values_->ops->FromText(values_.get(), text.c_str(), &v.value), "FromText");
  ZepBuilderWindow* w = self_->builderWindow;
  TavCheck(w->ops->SetItemValue(w, item, Kind("String"), &v.value), "SetItemValue");
}

void DialogItems::SetInteger(int item, int32_t number) {
  HeldValue v(values_.get());
  TavCheck(values_->ops->FromInteger(values_.get(), number, &v.value), "FromInteger");
  ZepBuilderWindow* w = self_->builderWindow;
  TavCheck(w->ops->SetItemValue(w, item, Kind("Integer"), &v.value), "SetItemValue");
}

void DialogItems::Enable(int item, bool on) {
  if (item < 0 || item >= kItemCount) throw CTavOutOfRange(VX_E_INVALIDARG, "Enable");
  uint32_t& flags = self_->records[item].flags;
  flags = on ? (flags | ZEP_PROP_ENABLED) : (flags & ~static_cast<uint32_t>(ZEP_PROP_ENABLED));
}

void DialogItems::Refresh(int item) {
  ZepBuilderWindow* w = self_->builderWindow;
  TavCheck(w->ops->RefreshItem(w, item), "RefreshItem");
}
