#include "plugin/assetprops/ItemTable.h"

#include <cstring>

const int32_t kTempoEntries[4] = {9, 10, 11, 0};

namespace {
constexpr uint16_t kLeft = 15, kRight = 16, kCentred = 17;
}

void BuildItemList(ItemDescription* items) {
  std::memset(items, 0, sizeof(ItemDescription) * kItemTableSize);
  auto set = [&](int index, int32_t kind, intptr_t value = 0, uint8_t flag = 0,
                 uint16_t style = 0) {
    items[index] = {kind, value, flag, style};
  };
  set(0, kItemWindowBegin);
  set(1, kItemHGroupBegin);
  set(2, kItemVGroupBegin);
  set(3, kItemLabel, 2, 0, kCentred);  // "Preview"
  set(4, kItemPreview);
  set(5, kItemButton, 3);           // "Play"
  set(6, kItemLabel, 0, 1, kLeft);  // frame count
  set(7, kItemLabel, 0, 1, kLeft);  // width
  set(8, kItemLabel, 0, 1, kLeft);  // height
  set(9, kItemVGroupEnd);
  set(10, kItemVDivider);
  set(11, kItemVGroupBegin);
  set(12, kItemLabel, 31, 0, kLeft);    // "Link File:"
  set(13, kItemEditText, 0, 0, kLeft);  // file name or address
  set(14, kItemHGroupBegin);
  set(15, kItemVGroupBegin);
  set(16, kItemLabel, 32, 0, kRight);  // "Media:"
  set(17, kItemLabel, 4, 0, kRight);   // "Playback:"
  set(18, kItemLabel, 8, 0, kRight);   // "Tempo:"
  set(19, kItemVGroupEnd);
  set(20, kItemVGroupBegin);
  set(21, kItemHGroupBegin);
  set(22, kItemCheckbox, 29);  // "Linked"
  set(23, kItemHGroupEnd);
  set(24, kItemHGroupBegin);
  set(25, kItemVGroupBegin);
  set(26, kItemCheckbox, 7);  // "Direct to Stage"
  set(27, kItemVGroupEnd);
  set(28, kItemHGroupEnd);
  set(29, kItemHGroupBegin);
  set(30, kItemPopup, reinterpret_cast<intptr_t>(kTempoEntries));
  set(31, kItemEditText, 0, 0, kRight);  // frames per second
  set(32, kItemLabel, 12, 1, kLeft);     // "fps"
  set(33, kItemHGroupEnd);
  set(34, kItemVGroupEnd);
  set(35, kItemHGroupEnd);
  set(36, kItemVGroupEnd);
  set(37, kItemVDivider);
  set(38, kItemVGroupBegin);
  set(39, kItemButton, 13, 0, kButtonDefault);  // "OK"
  set(40, kItemButton, 14);                     // "Browse..."
  set(41, kItemButton, 15);                     // "Internet..."
  set(42, kItemButton, 17, 0, kButtonCancel);   // "Cancel"
  for (int i = 43; i <= 46; ++i) set(i, kItemLabel, 0, 0, kLeft);
  set(47, kItemButton, 18);  // "Help"
  set(48, kItemVGroupEnd);
  set(49, kItemHGroupEnd);
  set(50, kItemWindowEnd);
  set(51, kItemEnd);
}
