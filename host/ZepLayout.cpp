#include "host/ZepLayout.h"

#include <algorithm>
#include <memory>

namespace vrixhost {
namespace {

struct Node {
  int item = -1;  // index of the item (the begin item for groups)
  LayoutRole role = LayoutRole::kLeaf;
  int wantW = 0, wantH = 0;
  bool fillWidth = false;
  bool button = false;
  std::vector<std::unique_ptr<Node>> children;
  bool IsGroup() const {
    return role == LayoutRole::kVGroupBegin || role == LayoutRole::kHGroupBegin;
  }
};

void Measure(Node& n, const LayoutRules& r, bool inHGroup) {
  if (n.role == LayoutRole::kVDivider) {
    n.wantW = r.divider;
    n.wantH = 0;
    return;
  }
  if (n.role == LayoutRole::kHDivider) {
    n.wantW = 0;
    n.wantH = r.divider;
    return;
  }
  if (!n.IsGroup()) return;
  const bool horizontal = n.role == LayoutRole::kHGroupBegin;
  int along = 0, across = 0;
  for (size_t i = 0; i < n.children.size(); ++i) {
    Node& c = *n.children[i];
    Measure(c, r, horizontal);
    if (horizontal) {
      along += c.wantW + (i ? r.hSpacing : 0);
      across = std::max(across, c.wantH);
    } else {
      along += c.wantH + (i ? r.vSpacing : 0);
      across = std::max(across, c.wantW);
    }
  }
  if (horizontal) {
    n.wantW = along;
    n.wantH = std::max(across, n.children.empty() ? 0 : r.minRowHeight);
  } else {
    int widest = 0;
    for (const auto& c : n.children)
      if (c->button) widest = std::max(widest, c->wantW);
    for (auto& c : n.children)
      if (c->button) c->wantW = widest;
    n.wantW = across;
    n.wantH = along;
  }
  (void)inHGroup;
}

void Arrange(const Node& n, int x, int y, int w, int h, const LayoutRules& r,
             std::vector<LayoutRect>& out) {
  if (n.item >= 0) out[n.item] = {x, y, w, h};
  if (!n.IsGroup()) return;
  if (n.role == LayoutRole::kHGroupBegin) {
    int cx = x;
    for (const auto& c : n.children) {
      // Groups and dividers take the row's whole height; controls sit in
      // its middle.
      if (c->IsGroup() || c->role == LayoutRole::kVDivider) {
        Arrange(*c, cx, y, c->wantW, h, r, out);
      } else {
        Arrange(*c, cx, y + (h - c->wantH) / 2, c->wantW, c->wantH, r, out);
      }
      cx += c->wantW + r.hSpacing;
    }
  } else {
    int cy = y;
    for (const auto& c : n.children) {
      const bool fill = c->fillWidth || c->role == LayoutRole::kHDivider;
      Arrange(*c, x, cy, fill ? w : c->wantW, c->wantH, r, out);
      cy += c->wantH + r.vSpacing;
    }
  }
}

}  // namespace

std::vector<LayoutRect> LayOutItems(const std::vector<LayoutItem>& items, const LayoutRules& rules,
                                    int* width, int* height) {
  // Everything sits in one vertical box, as a window's begin makes one.
  Node root;
  root.role = LayoutRole::kVGroupBegin;
  std::vector<Node*> open{&root};
  for (size_t i = 0; i < items.size(); ++i) {
    const LayoutItem& it = items[i];
    if (it.role == LayoutRole::kGroupEnd) {
      if (open.size() > 1) open.pop_back();
      continue;
    }
    auto node = std::make_unique<Node>();
    node->item = static_cast<int>(i);
    node->role = it.role;
    node->wantW = it.width;
    node->wantH = it.height;
    node->fillWidth = it.fillWidth;
    node->button = it.button;
    Node* raw = node.get();
    open.back()->children.push_back(std::move(node));
    if (raw->IsGroup()) open.push_back(raw);
  }
  Measure(root, rules, false);
  std::vector<LayoutRect> rects(items.size());
  Arrange(root, rules.margin, rules.margin, root.wantW, root.wantH, rules, rects);
  // End items share their group's box.
  std::vector<int> stack;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].role == LayoutRole::kVGroupBegin || items[i].role == LayoutRole::kHGroupBegin) {
      stack.push_back(static_cast<int>(i));
    } else if (items[i].role == LayoutRole::kGroupEnd && !stack.empty()) {
      rects[i] = rects[stack.back()];
      stack.pop_back();
    }
  }
  *width = root.wantW + 2 * rules.margin;
  *height = root.wantH + 2 * rules.margin;
  return rects;
}

}  // namespace vrixhost
