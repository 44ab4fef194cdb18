#include "plugin/assetprops/ZepItemWrapper.h"

#include <cstring>

namespace {

VxSymbol Symbol(VxMediaUtils* utils, const char* name) {
  VxSymbol s = 0;
  if (utils->ops->SymbolFromText(utils, name, &s) != VX_OK)
    throw CTavRuntimeError(VX_E_INVALIDARG, "SymbolFromText", name);
  return s;
}

}  // namespace

DialogContext::DialogContext(VxHostCallback* h)
    : host(h), utils(h), values(ITavMmValue(h)), coercion(ITavMmValueCoercion(h)) {
  symString = Symbol(utils.get(), "String");
  symValue = Symbol(utils.get(), "Value");
  symFloat = Symbol(utils.get(), "Float");
  symInteger = Symbol(utils.get(), "Integer");
  symDeleteAt = Symbol(utils.get(), "deleteAt");
  symGetPos = Symbol(utils.get(), "getPos");
}

void TavValue::Reset() {
  if (value_.type != 0 || value_.data != 0) values_->ops->ReleaseValue(values_, &value_);
  value_ = VxValue{0, 0, 0};
}

void ResetPropertyRecord(ZepPropertyRecord* r) {
  std::memset(r, 0, sizeof *r);
  r->widget = ZEP_WIDGET_LABEL;
  r->titleField = "title";
  r->tipField = "tip";
  r->flags = ZEP_PROP_ENABLED;
}

ZepItemWrapper::ZepItemWrapper(DialogContext& context, int index, const ItemDescription& item,
                               ZepPropertyRecord* record)
    : context_(context), index_(index), item_(item), record_(record) {
  ResetPropertyRecord(record_);
}

ZepItemWrapper::~ZepItemWrapper() {
  // The record may outlive the wrapper; it must not point at our text.
  if (record_->title == text_.c_str()) record_->title = nullptr;
}

void ZepItemWrapper::Initialize() {}

void ZepItemWrapper::SetText(const std::string& text) {
  text_ = text;
  record_->title = text_.c_str();
}

void ZepItemWrapper::SetTextNumber(int32_t number) {
  if (number == 0) {
    SetText(std::string());
  } else if (IsCharacterNumber(number)) {
    SetText(std::string(1, CharacterOf(number)));
  } else {
    MMString s(kKinetraStrings, number);
    SetText(s.c_str());
  }
}

void ZepItemWrapper::SetEnabled(bool enabled) {
  if (enabled)
    record_->flags |= ZEP_PROP_ENABLED;
  else
    record_->flags &= ~ZEP_PROP_ENABLED;
}

void ZepItemWrapper::SetSize(int32_t width, int32_t height) {
  record_->width = width;
  record_->height = height;
}

void ZepItemWrapper::Refresh() {
  ZepBuilderWindow* w = context_.window;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  TavCheck(w->ops->RefreshItem(w, index_), "RefreshItem");
}

bool ZepItemWrapper::ReadInteger(int32_t* out) {
  ZepBuilderWindow* w = context_.window;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  // The item's text or state as it is, then converted by the host: a text
  // that is no number fails here.
  TavValue raw(context_.values.get());
  TavCheck(w->ops->GetItemValue(w, index_, context_.symValue, raw.get()), "GetItemValue");
  TavValue number(context_.values.get());
  if (context_.coercion->ops->Coerce(context_.coercion.get(), raw.get(), context_.symInteger,
                                     number.get()) != VX_OK)
    return false;
  return context_.values->ops->ToInteger(context_.values.get(), number.get(), out) == VX_OK;
}

bool ZepItemWrapper::ReadFloat(double* out) {
  ZepBuilderWindow* w = context_.window;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  TavValue v(context_.values.get());
  if (w->ops->GetItemValue(w, index_, context_.symFloat, v.get()) != VX_OK) return false;
  return context_.values->ops->ToFloat(context_.values.get(), v.get(), out) == VX_OK;
}

std::string ZepItemWrapper::ReadString() {
  ZepBuilderWindow* w = context_.window;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  TavValue v(context_.values.get());
  TavCheck(w->ops->GetItemValue(w, index_, context_.symString, v.get()), "GetItemValue");
  char text[VX_ADDRESS_MAX_CHARS + 1] = "";
  TavCheck(context_.values->ops->ToText(context_.values.get(), v.get(), text, sizeof text),
           "ToText");
  return text;
}

void ZepItemWrapper::WriteInteger(int32_t number) {
  ZepBuilderWindow* w = context_.window;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  TavValue v(context_.values.get());
  TavCheck(context_.values->ops->FromInteger(context_.values.get(), number, v.get()),
           "FromInteger");
  TavCheck(w->ops->SetItemValue(w, index_, context_.symInteger, v.get()), "SetItemValue");
}

void ZepItemWrapper::WriteString(const std::string& text) {
  ZepBuilderWindow* w = context_.window;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  TavValue v(context_.values.get());
  TavCheck(context_.values->ops->FromText(context_.values.get(), text.c_str(), v.get()),
           "FromText");
  TavCheck(w->ops->SetItemValue(w, index_, context_.symString, v.get()), "SetItemValue");
}

void ZepItemWindowBegin::Initialize() {
  SetWidget(ZEP_WIDGET_WINDOW_BEGIN);
}
void ZepItemWindowEnd::Initialize() {
  SetWidget(ZEP_WIDGET_WINDOW_END);
}
void ZepItemGroupBegin::Initialize() {
  SetWidget(item().kind == kItemHGroupBegin ? ZEP_WIDGET_HGROUP_BEGIN : ZEP_WIDGET_VGROUP_BEGIN);
}
void ZepItemGroupEnd::Initialize() {
  SetWidget(item().kind == kItemHGroupEnd ? ZEP_WIDGET_HGROUP_END : ZEP_WIDGET_VGROUP_END);
}
void ZepItemDivider::Initialize() {
  const bool vertical = item().kind == kItemVDivider;
  SetWidget(vertical ? ZEP_WIDGET_VDIVIDER : ZEP_WIDGET_HDIVIDER);
  SetText(vertical ? "vDiv" : "hDiv");
}

void ZepItemText::Initialize() {
  SetWidget(editable() ? ZEP_WIDGET_EDIT : ZEP_WIDGET_LABEL);
  const uint16_t style = item().style;
  record()->textStyle = style == ZEP_TEXT_RIGHT || style == ZEP_TEXT_CENTRED
                            ? int32_t(style)
                            : int32_t(ZEP_TEXT_LEFT);
  if (!editable() && item().flag == 1) record()->textStyle2 = ZEP_TEXT_SMALL;
  if (editable()) {
    // An editable text's value is a text buffer (or 0: empty).
    SetText(item().value ? reinterpret_cast<const char*>(item().value) : "");
  } else {
    SetTextNumber(static_cast<int32_t>(item().value));
  }
}

void ZepItemCheckbox::Initialize() {
  SetWidget(ZEP_WIDGET_CHECKBOX);
  SetTextNumber(static_cast<int32_t>(item().value));
}

bool ZepItemCheckbox::Checked() {
  int32_t n = 0;
  return ReadInteger(&n) && n != 0;
}

void ZepItemButton::Initialize() {
  switch (item().style) {
    case kButtonDefault:
      SetWidget(ZEP_WIDGET_DEFAULT_BUTTON);
      break;
    case kButtonCancel:
      SetWidget(ZEP_WIDGET_CANCEL_BUTTON);
      break;
    case kButtonToggle:
      SetWidget(ZEP_WIDGET_TOGGLE_BUTTON);
      break;
    default:
      SetWidget(ZEP_WIDGET_BUTTON);
      break;
  }
  // A toggle's value is its state, not a text.
  SetTextNumber(item().style == kButtonToggle ? 0 : static_cast<int32_t>(item().value));
}

ZepItemPopup::ZepItemPopup(DialogContext& context, int index, const ItemDescription& item,
                           ZepPropertyRecord* record)
    : ZepItemWrapper(context, index, item, record) {}

ZepItemPopup::~ZepItemPopup() {
  record()->list = nullptr;
  if (!list_) return;
  // Empty the list through its own operation before letting it go.
  VxValue first{0, 0, 0}, result{0, 0, 0};
  VxMmValue* values = context_.values.get();
  for (int32_t i = 0; i < entries_; ++i) {
    if (values->ops->FromInteger(values, 1, &first) != VX_OK) break;
    const VxStatus s = list_->ops->Call(list_, context_.symDeleteAt, &first, 1, &result);
    values->ops->ReleaseValue(values, &first);
    values->ops->ReleaseValue(values, &result);
    if (s != VX_OK) break;
  }
  list_->ops->Release(list_);
}

void ZepItemPopup::Initialize() {
  SetWidget(ZEP_WIDGET_POPUP);
  record()->textStyle = ZEP_TEXT_LEFT;
  if (!list_) {
    TavCheck(context_.utils->ops->CreateList(context_.utils.get(), &list_), "CreateList");
    if (!list_) TavThrowInterfaceMissing("VxMmList");
  }
  record()->list = list_;
  ITavMmLinearList linear = ITavMmLinearList::From(list_);
  const int32_t* numbers = reinterpret_cast<const int32_t*>(item().value);
  for (int i = 0; numbers && numbers[i]; ++i) {
    MMString s(kKinetraStrings, numbers[i]);
    TavValue v(context_.values.get());
    TavCheck(context_.values->ops->FromText(context_.values.get(), s.c_str(), v.get()), "FromText");
    TavCheck(linear->ops->Append(linear.get(), v.get()), "Append");
    ++entries_;
  }
}

int32_t ZepItemPopup::Selection() {
  // The chosen text's position in the entries.
  ZepBuilderWindow* w = context_.window;
  if (!w) TavThrowNotInitialized("ZepBuilderWindow");
  TavValue chosen(context_.values.get());
  TavCheck(w->ops->GetItemValue(w, index(), context_.symString, chosen.get()), "GetItemValue");
  TavValue position(context_.values.get());
  TavCheck(list_->ops->Call(list_, context_.symGetPos, chosen.get(), 1, position.get()), "getPos");
  int32_t s = 0;
  if (context_.values->ops->ToInteger(context_.values.get(), position.get(), &s) != VX_OK) return 0;
  return s;
}

void ZepItemPopup::Select(int32_t position) {
  WriteInteger(position);
}

std::unique_ptr<ZepItemWrapper> MakeItemWrapper(DialogContext& c, int index,
                                                const ItemDescription& item,
                                                ZepPropertyRecord* record) {
  switch (item.kind) {
    case kItemWindowBegin:
      return std::make_unique<ZepItemWindowBegin>(c, index, item, record);
    case kItemWindowEnd:
      return std::make_unique<ZepItemWindowEnd>(c, index, item, record);
    case kItemVGroupBegin:
    case kItemHGroupBegin:
      return std::make_unique<ZepItemGroupBegin>(c, index, item, record);
    case kItemVGroupEnd:
    case kItemHGroupEnd:
      return std::make_unique<ZepItemGroupEnd>(c, index, item, record);
    case kItemVDivider:
    case kItemHDivider:
      return std::make_unique<ZepItemDivider>(c, index, item, record);
    case kItemLabel:
    case kItemEditText:
      return std::make_unique<ZepItemText>(c, index, item, record);
    case kItemCheckbox:
      return std::make_unique<ZepItemCheckbox>(c, index, item, record);
    case kItemButton:
      return std::make_unique<ZepItemButton>(c, index, item, record);
    case kItemPopup:
      return std::make_unique<ZepItemPopup>(c, index, item, record);
    default:
      return nullptr;
  }
}
