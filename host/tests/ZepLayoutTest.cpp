// The builder's box layout, and the media utilities' values, conversions
// and lists.
#include <gtest/gtest.h>

#include "host/HostMediaUtils.h"
#include "host/ZepLayout.h"

using namespace vrixhost;

namespace {

LayoutItem Leaf(int w, int h, bool fill = false, bool button = false) {
  LayoutItem i;
  i.width = w;
  i.height = h;
  i.fillWidth = fill;
  i.button = button;
  return i;
}
LayoutItem Role(LayoutRole r) {
  LayoutItem i;
  i.role = r;
  return i;
}

LayoutRules Rules() {
  LayoutRules r;
  r.margin = 10;
  r.vSpacing = 4;
  r.hSpacing = 6;
  r.divider = 12;
  r.minRowHeight = 20;
  return r;
}

bool Same(const LayoutRect& r, int x, int y, int w, int h) {
  return r.x == x && r.y == y && r.width == w && r.height == h;
}

TEST(ZepLayout, VerticalGroupStacksAndFills) {
  const std::vector<LayoutItem> items = {
      Role(LayoutRole::kVGroupBegin), Leaf(100, 20, true),       Leaf(40, 30),
      Leaf(60, 10, false, true),      Leaf(80, 10, false, true), Role(LayoutRole::kGroupEnd)};
  int w = 0, h = 0;
  const auto r = LayOutItems(items, Rules(), &w, &h);
  EXPECT_TRUE(Same(r[1], 10, 10, 100, 20));
  EXPECT_TRUE(Same(r[2], 10, 34, 40, 30));
  EXPECT_TRUE(Same(r[3], 10, 68, 80, 10));  // buttons share the widest width
  EXPECT_TRUE(Same(r[4], 10, 82, 80, 10));
  EXPECT_TRUE(Same(r[0], 10, 10, 100, 82));
  EXPECT_TRUE(Same(r[5], 10, 10, 100, 82));  // an end shares its group's box
  EXPECT_EQ(120, w);
  EXPECT_EQ(102, h);
}

TEST(ZepLayout, HorizontalGroupCentresControlsAndStretchesColumns) {
  // | label | divider | column of two |
  const std::vector<LayoutItem> items = {Role(LayoutRole::kHGroupBegin),
                                         Leaf(30, 10),
                                         Role(LayoutRole::kVDivider),
                                         Role(LayoutRole::kVGroupBegin),
                                         Leaf(50, 20),
                                         Leaf(50, 20),
                                         Role(LayoutRole::kGroupEnd),
                                         Role(LayoutRole::kGroupEnd)};
  int w = 0, h = 0;
  const auto r = LayOutItems(items, Rules(), &w, &h);
  EXPECT_TRUE(Same(r[0], 10, 10, 30 + 6 + 12 + 6 + 50, 44));
  EXPECT_TRUE(Same(r[1], 10, 10 + 17, 30, 10));  // centred in the row's 44
  EXPECT_TRUE(Same(r[2], 46, 10, 12, 44));       // a divider spans the row
  EXPECT_TRUE(Same(r[3], 64, 10, 50, 44));
  EXPECT_TRUE(Same(r[4], 64, 10, 50, 20));
  EXPECT_TRUE(Same(r[5], 64, 34, 50, 20));
  EXPECT_EQ(104 + 20, w);
  EXPECT_EQ(64, h);
}

TEST(ZepLayout, RowsHaveTheMinimumHeightAndEndsBalance) {
  const std::vector<LayoutItem> items = {
      Role(LayoutRole::kHGroupBegin), Leaf(10, 8),
      Role(LayoutRole::kGroupEnd),    Role(LayoutRole::kGroupEnd),
      Role(LayoutRole::kHGroupBegin), Leaf(10, 8)};
  int w = 0, h = 0;
  const auto r = LayOutItems(items, Rules(), &w, &h);
  EXPECT_EQ(20, r[0].height);      // the minimum row
  EXPECT_EQ(16, r[1].y);           // (20 - 8) / 2 below the row's top
  EXPECT_EQ(10 + 20 + 4, r[4].y);  // the stray end is ignored; the open group is closed
  EXPECT_EQ(10 + 20 + 4 + 20 + 10, h);
  EXPECT_EQ(30, w);
}

TEST(MediaUtils, SymbolsAreSharedAndIgnoreCase) {
  const VxSymbol s = InternSymbol("getPos");
  EXPECT_EQ(s, InternSymbol("GETPOS"));
  EXPECT_NE(s, InternSymbol("deleteAt"));
  EXPECT_EQ("getPos", SymbolText(s));
  EXPECT_EQ("", SymbolText(0));
}

TEST(MediaUtils, ConversionsByKindName) {
  const struct {
    const char* text;
    const char* kind;
    VxStatus status;
    int32_t integer;
  } cases[] = {
      {"15", "Integer", VX_OK, 15},         {" -3 ", "Integer", VX_OK, -3},
      {"abc", "Integer", VX_E_MISMATCH, 0}, {"12x", "Integer", VX_E_MISMATCH, 0},
      {"", "Integer", VX_E_MISMATCH, 0},    {"99999999999", "Integer", VX_E_MISMATCH, 0},
  };
  for (const auto& c : cases) {
    VxValue text = MakeText(c.text), out;
    EXPECT_EQ(c.status, CoerceHostValue(text, InternSymbol(c.kind), &out)) << c.text;
    if (c.status == VX_OK) {
      EXPECT_EQ(uint32_t(kValueInteger), out.type);
      EXPECT_EQ(c.integer, static_cast<int32_t>(static_cast<uint32_t>(out.data)));
    }
    ReleaseHostValue(&text);
    ReleaseHostValue(&out);
  }
  VxValue n = MakeInteger(-42), s, f;
  ASSERT_EQ(VX_OK, CoerceHostValue(n, InternSymbol("String"), &s));
  std::string text;
  EXPECT_TRUE(ValueText(s, &text));
  EXPECT_EQ("-42", text);
  ASSERT_EQ(VX_OK, CoerceHostValue(n, InternSymbol("Float"), &f));
  EXPECT_EQ(uint32_t(kValueFloat), f.type);
  VxValue same;
  ASSERT_EQ(VX_OK, CoerceHostValue(s, InternSymbol("Value"), &same));
  EXPECT_TRUE(ValueText(same, &text));
  EXPECT_EQ("-42", text);
  EXPECT_EQ(VX_E_INVALIDARG, CoerceHostValue(n, InternSymbol("Colour"), &f));
  ReleaseHostValue(&s);
  ReleaseHostValue(&same);
  EXPECT_EQ(0, LiveHostValues());
}

TEST(MediaUtils, ListsByNamedOperations) {
  HostList* list = HostList::Create();
  VxMmLinearList* linear = nullptr;
  ASSERT_EQ(VX_OK, list->ops->QueryInterface(list, &IID_VxMmLinearList,
                                             reinterpret_cast<void**>(&linear)));
  for (const char* t : {"Normal", "Fixed", "Lock-Step"}) {
    VxValue v = MakeText(t);
    EXPECT_EQ(VX_OK, linear->ops->Append(linear, &v));
    ReleaseHostValue(&v);
  }
  int32_t count = 0;
  EXPECT_EQ(VX_OK, linear->ops->Count(linear, &count));
  EXPECT_EQ(3, count);
  VxValue fixed = MakeText("Fixed"), result;
  EXPECT_EQ(VX_OK, list->ops->Call(list, InternSymbol("getPos"), &fixed, 1, &result));
  EXPECT_EQ(2u, result.data);
  VxValue first = MakeInteger(1);
  EXPECT_EQ(VX_OK, list->ops->Call(list, InternSymbol("deleteAt"), &first, 1, &result));
  EXPECT_EQ(VX_OK, list->ops->Call(list, InternSymbol("getPos"), &fixed, 1, &result));
  EXPECT_EQ(1u, result.data);
  VxValue absent = MakeText("Slow");
  EXPECT_EQ(VX_OK, list->ops->Call(list, InternSymbol("getPos"), &absent, 1, &result));
  EXPECT_EQ(0u, result.data);
  VxValue nine = MakeInteger(9);
  EXPECT_EQ(VX_E_INVALIDARG, list->ops->Call(list, InternSymbol("deleteAt"), &nine, 1, &result));
  EXPECT_EQ(VX_E_NOCLASS, list->ops->Call(list, InternSymbol("sort"), nullptr, 0, &result));
  ReleaseHostValue(&fixed);
  ReleaseHostValue(&absent);
  EXPECT_EQ(1u, linear->ops->Release(linear));
  EXPECT_EQ(0u, list->ops->Release(list));
  EXPECT_EQ(0, LiveHostValues());
}

}  // namespace
