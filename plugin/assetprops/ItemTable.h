// The items of the asset properties dialog, as Kinetra describes them to
// the host's dialog builder. OS-free.
#pragma once

#include <cstdint>
#include <string>

enum ItemKind : int32_t {
  kItemEnd = 0,
  kItemWindowBegin = 1,
  kItemWindowEnd = 2,
  kItemVGroupBegin = 3,
  kItemVGroupEnd = 4,
  kItemHGroupBegin = 5,
  kItemHGroupEnd = 6,
  kItemVDivider = 7,
  kItemHDivider = 8,
  kItemLabel = 9,
  kItemEditText = 10,
  kItemCheckbox = 11,
  kItemButton = 12,
  kItemPopup = 15,
  kItemPreview = 18,
};

// Button styles.
enum : uint16_t {
  kButtonToggle = 1,
  kButtonCancel = 2,
  kButtonDefault = 3,
};

// One item. `value` is a string number, a pointer to a text buffer or to a
// 0-terminated list of string numbers, or 0 (a pointer does not fit 32 bits
// on 64-bit Windows, so the field is pointer-sized).
struct ItemDescription {
  int32_t kind;
  intptr_t value;
  uint8_t flag;
  uint16_t style;  // text style (15 left, 16 right, 17 centred) or button style
};

constexpr int kItemCount = 51;      // items 0-50
constexpr int kItemTableSize = 52;  // and the end mark

// Items the dialog code refers to by index.
enum : int {
  kItemPreviewView = 4,
  kItemPlayButton = 5,
  kItemFrameCount = 6,
  kItemWidth = 7,
  kItemHeight = 8,
  kItemLinkLabel = 12,
  kItemFileName = 13,
  kItemLinked = 22,
  kItemDirectToStage = 26,
  kItemTempoPopup = 30,
  kItemTempoField = 31,
  kItemTempoUnit = 32,
  kItemOk = 39,
  kItemBrowse = 40,
  kItemInternet = 41,
  kItemCancel = 42,
  kItemHelp = 47,
};

// The pop-up's entries: "Normal", "Fixed", "Lock-Step".
extern const int32_t kTempoEntries[4];

// Fills the kItemTableSize entries of the dialog.
void BuildItemList(ItemDescription* items);

// String numbers of 50000 and above stand for one character (number - 32).
constexpr int32_t kFirstCharacterNumber = 50000;
inline bool IsCharacterNumber(int32_t number) {
  return number >= kFirstCharacterNumber;
}
inline char CharacterOf(int32_t number) {
  return static_cast<char>(number - 32);
}
