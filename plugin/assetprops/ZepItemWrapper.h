// The wrappers that turn Kinetra's item descriptions into the dialog
// builder's property records, and read and set the items' values through
// the builder.
#pragma once

#include <memory>
#include <string>

#include "plugin/assetprops/ItemTable.h"
#include "plugin/assetprops/MsgPool.h"
#include "plugin/assetprops/TavHelper.h"
#include "plugin/frame/VrixHost.h"

// What every wrapper of one dialog shares: the host's media utilities and
// the symbols the wrappers name when they talk to the builder.
struct DialogContext {
  // Acquires the media utilities, values and coercion of the host and
  // resolves the symbols; throws CTavBadException when the host lacks them.
  explicit DialogContext(VxHostCallback* host);

  VxHostCallback* host;                // not owned
  ZepBuilderWindow* window = nullptr;  // not owned: set once the builder's window exists
  ITavMmUtils utils;
  ITavMmValue values;
  ITavMmValueCoercion coercion;
  VxSymbol symString = 0, symValue = 0, symFloat = 0, symInteger = 0;
  VxSymbol symDeleteAt = 0, symGetPos = 0;
  std::unique_ptr<MMString> title;  // string 1, the window's title
};

// A value the host made, given back when the holder goes.
class TavValue {
 public:
  explicit TavValue(VxMmValue* values) : values_(values) {}
  ~TavValue() { Reset(); }
  TavValue(const TavValue&) = delete;
  TavValue& operator=(const TavValue&) = delete;
  VxValue* get() { return &value_; }
  const VxValue* get() const { return &value_; }
  void Reset();

 private:
  VxMmValue* values_;  // not owned
  VxValue value_{0, 0, 0};
};

class ZepItemWrapper {
 public:
  // The record is the item's; a fresh record gets widget code 70, the field
  // names "title" and "tip", no size and the enabled flag.
  ZepItemWrapper(DialogContext& context, int index, const ItemDescription& item,
                 ZepPropertyRecord* record);
  virtual ~ZepItemWrapper();
  ZepItemWrapper(const ZepItemWrapper&) = delete;
  ZepItemWrapper& operator=(const ZepItemWrapper&) = delete;

  // Fills the record from the description: widget code, text and styles.
  virtual void Initialize();

  int index() const { return index_; }
  const ItemDescription& item() const { return item_; }
  ZepPropertyRecord* record() const { return record_; }
  int32_t widget() const { return record_->widget; }
  const std::string& text() const { return text_; }

  // The text of a string number (50000 and above: one character; 0: empty).
  void SetTextNumber(int32_t number);
  void SetText(const std::string& text);
  void SetEnabled(bool enabled);
  void SetSize(int32_t width, int32_t height);
  // Has the builder show the record and the value as they now are.
  void Refresh();

  // The item's value through the builder, as the kind named. False (and
  // nothing stored) when it does not convert.
  bool ReadInteger(int32_t* out);
  bool ReadFloat(double* out);
  std::string ReadString();
  void WriteInteger(int32_t number);
  void WriteString(const std::string& text);

 protected:
  void SetWidget(int32_t widget) { record_->widget = widget; }
  DialogContext& context_;

 private:
  int index_;
  ItemDescription item_;
  ZepPropertyRecord* record_;  // not owned: the dialog's record table
  std::string text_;
};

class ZepItemWindowBegin : public ZepItemWrapper {
 public:
  using ZepItemWrapper::ZepItemWrapper;
  void Initialize() override;
};

class ZepItemWindowEnd : public ZepItemWrapper {
 public:
  using ZepItemWrapper::ZepItemWrapper;
  void Initialize() override;
};

// Vertical (kind 3) or horizontal (kind 5) group.
class ZepItemGroupBegin : public ZepItemWrapper {
 public:
  using ZepItemWrapper::ZepItemWrapper;
  void Initialize() override;
};

class ZepItemGroupEnd : public ZepItemWrapper {
 public:
  using ZepItemWrapper::ZepItemWrapper;
  void Initialize() override;
};

class ZepItemDivider : public ZepItemWrapper {
 public:
  using ZepItemWrapper::ZepItemWrapper;
  void Initialize() override;
};

// A label (kind 9) or an editable text (kind 10).
class ZepItemText : public ZepItemWrapper {
 public:
  using ZepItemWrapper::ZepItemWrapper;
  void Initialize() override;
  bool editable() const { return item().kind == kItemEditText; }
};

class ZepItemCheckbox : public ZepItemWrapper {
 public:
  using ZepItemWrapper::ZepItemWrapper;
  void Initialize() override;
  bool Checked();
  void SetChecked(bool on) { WriteInteger(on ? 1 : 0); }
};

// Style 3 default push, 2 cancel push, 1 toggle, anything else push.
class ZepItemButton : public ZepItemWrapper {
 public:
  using ZepItemWrapper::ZepItemWrapper;
  void Initialize() override;
};

// A pop-up list of string numbers (the description's value points at a
// 0-terminated list). Its entries live in a host list that the record names.
class ZepItemPopup : public ZepItemWrapper {
 public:
  ZepItemPopup(DialogContext& context, int index, const ItemDescription& item,
               ZepPropertyRecord* record);
  ~ZepItemPopup() override;
  void Initialize() override;
  // The 1-based position of the chosen entry, 0 when none.
  int32_t Selection();
  void Select(int32_t position);
  int32_t EntryCount() const { return entries_; }

 private:
  VxMmList* list_ = nullptr;  // owned
  int32_t entries_ = 0;
};

// The wrapper for an item description (null for the end mark and the
// preview view, which have none).
std::unique_ptr<ZepItemWrapper> MakeItemWrapper(DialogContext& context, int index,
                                                const ItemDescription& item,
                                                ZepPropertyRecord* record);

// A fresh property record.
void ResetPropertyRecord(ZepPropertyRecord* record);
