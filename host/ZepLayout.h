// The stand-in dialog builder's layout: boxes in two passes, OS-free. Each
// item answers the size it wants; groups stack their children vertically or
// horizontally; then every item receives its rectangle.
#pragma once

#include <cstdint>
#include <vector>

namespace vrixhost {

enum class LayoutRole {
  kLeaf,         // a control
  kVGroupBegin,  // the window's begin counts as one
  kHGroupBegin,
  kGroupEnd,  // the window's end counts as one
  kVDivider,  // a line between the columns of a horizontal group
  kHDivider,  // a line between the rows of a vertical group
};

struct LayoutItem {
  LayoutRole role = LayoutRole::kLeaf;
  int width = 0;  // pixels the item wants
  int height = 0;
  bool fillWidth = false;  // in a vertical group, take the group's width
  bool button = false;     // buttons of one vertical group share the widest one's width
};

struct LayoutRect {
  int x = 0, y = 0, width = 0, height = 0;
};

struct LayoutRules {
  int margin = 10;       // around everything
  int vSpacing = 5;      // between the children of a vertical group
  int hSpacing = 6;      // between the children of a horizontal group
  int divider = 14;      // the room a divider takes across its line
  int minRowHeight = 0;  // a horizontal group is at least this tall
};

// Rectangles for every item (group items get their group's box), inside a
// client area whose size goes in *width and *height. Unbalanced ends are
// closed at the end of the list; extra ends are ignored.
std::vector<LayoutRect> LayOutItems(const std::vector<LayoutItem>& items, const LayoutRules& rules,
                                    int* width, int* height);

}  // namespace vrixhost
