// The dialog's item list, the choice of string set and the exceptions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugin/assetprops/ItemTable.h"
#include "plugin/assetprops/StringSets.h"
#include "plugin/assetprops/TavException.h"

namespace {

struct Expected {
  int32_t kind;
  int32_t text;  // string number, 0 for none; -1: the tempo list
  uint8_t flag;
  uint16_t style;
};

// The dialog as it is to be described: index, kind, text, flag and style.
constexpr uint16_t L = 15, R = 16, C = 17;
const Expected kItems[kItemTableSize] = {
    {1, 0, 0, 0},   {5, 0, 0, 0},  {3, 0, 0, 0},  {9, 2, 0, C},   {18, 0, 0, 0},  {12, 3, 0, 0},
    {9, 0, 1, L},   {9, 0, 1, L},  {9, 0, 1, L},  {4, 0, 0, 0},   {7, 0, 0, 0},   {3, 0, 0, 0},
    {9, 31, 0, L},  {10, 0, 0, L}, {5, 0, 0, 0},  {3, 0, 0, 0},   {9, 32, 0, R},  {9, 4, 0, R},
    {9, 8, 0, R},   {4, 0, 0, 0},  {3, 0, 0, 0},  {5, 0, 0, 0},   {11, 29, 0, 0}, {6, 0, 0, 0},
    {5, 0, 0, 0},   {3, 0, 0, 0},  {11, 7, 0, 0}, {4, 0, 0, 0},   {6, 0, 0, 0},   {5, 0, 0, 0},
    {15, -1, 0, 0}, {10, 0, 0, R}, {9, 12, 1, L}, {6, 0, 0, 0},   {4, 0, 0, 0},   {6, 0, 0, 0},
    {4, 0, 0, 0},   {7, 0, 0, 0},  {3, 0, 0, 0},  {12, 13, 0, 3}, {12, 14, 0, 0}, {12, 15, 0, 0},
    {12, 17, 0, 2}, {9, 0, 0, L},  {9, 0, 0, L},  {9, 0, 0, L},   {9, 0, 0, L},   {12, 18, 0, 0},
    {4, 0, 0, 0},   {6, 0, 0, 0},  {2, 0, 0, 0},  {0, 0, 0, 0},
};

TEST(ItemList, FiftyOneItemsAndTheEndMarkAsTabled) {
  ItemDescription items[kItemTableSize];
  std::memset(items, 0xAB, sizeof items);
  BuildItemList(items);
  for (int i = 0; i < kItemTableSize; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(kItems[i].kind, items[i].kind);
    EXPECT_EQ(kItems[i].flag, items[i].flag);
    EXPECT_EQ(kItems[i].style, items[i].style);
    if (kItems[i].text == -1) {
      const int32_t* list = reinterpret_cast<const int32_t*>(items[i].value);
      ASSERT_NE(nullptr, list);
      EXPECT_EQ(9, list[0]);
      EXPECT_EQ(10, list[1]);
      EXPECT_EQ(11, list[2]);
      EXPECT_EQ(0, list[3]);
    } else {
      EXPECT_EQ(kItems[i].text, items[i].value);
    }
  }
}

TEST(ItemList, GroupsBalance) {
  ItemDescription items[kItemTableSize];
  BuildItemList(items);
  std::vector<int32_t> open;
  for (int i = 0; i < kItemCount; ++i) {
    const int32_t k = items[i].kind;
    if (k == kItemWindowBegin || k == kItemVGroupBegin || k == kItemHGroupBegin) {
      open.push_back(k);
    } else if (k == kItemWindowEnd || k == kItemVGroupEnd || k == kItemHGroupEnd) {
      ASSERT_FALSE(open.empty()) << i;
      EXPECT_EQ(open.back() + 1, k) << "item " << i << " ends another kind of group";
      open.pop_back();
    }
  }
  EXPECT_TRUE(open.empty());
}

TEST(ItemList, NumbersFromFiftyThousandAreSingleCharacters) {
  EXPECT_FALSE(IsCharacterNumber(36));
  EXPECT_FALSE(IsCharacterNumber(49999));
  EXPECT_TRUE(IsCharacterNumber(50000));
  EXPECT_EQ(static_cast<char>(50000 - 32), CharacterOf(50000));
  EXPECT_EQ('A', CharacterOf(65 + 32));  // below the range; the rule alone
}

std::vector<uint8_t> Map(std::vector<uint32_t> words) {
  std::vector<uint8_t> bytes;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
  return bytes;
}

const uint32_t S = kUnusedSlot;
const std::vector<uint32_t> kShippedMap = {1, 256, 3400, 3401, S, S, S, S, S, S, S, 3409, S, S};

TEST(StringSets, LanguageSlotsInTableOrder) {
  const int32_t languages[] = {9, 12, 7, 16, 19, 29, 10, 6, 22, 20, 17, 4, 25};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(i + 1, LanguageSlot(languages[i]));
  EXPECT_EQ(-1, LanguageSlot(0));
  EXPECT_EQ(-1, LanguageSlot(8));
}

TEST(StringSets, ShippedMapChoosesEachSet) {
  const std::vector<uint8_t> map = Map(kShippedMap);
  ASSERT_EQ(56u, map.size());
  const struct {
    int32_t language;
    uint16_t set;
  } cases[] = {
      {9, 256},   {12, 3400},   {7, 3401},
      {17, 3409}, {16, 0x2A2A},  // an unused slot: its word, low half, names a set nobody has
      {25, 256},                 // slot 13 is never used
      {99, 256},                 // no slot
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.set, SelectStringSet(map.data(), map.size(), c.language)) << c.language;
}

TEST(StringSets, UnusableMapsGiveEnglish) {
  std::vector<uint32_t> words = kShippedMap;
  words[0] = 2;
  std::vector<uint8_t> v2 = Map(words);
  EXPECT_EQ(256, SelectStringSet(v2.data(), v2.size(), 12));
  const std::vector<uint8_t> map = Map(kShippedMap);
  EXPECT_EQ(256, SelectStringSet(map.data(), 52, 12));  // too short
  EXPECT_EQ(256, SelectStringSet(nullptr, 56, 12));
  words = kShippedMap;
  words[2] = 0xFFFFFFFFu;  // "none": English
  std::vector<uint8_t> none = Map(words);
  EXPECT_EQ(256, SelectStringSet(none.data(), none.size(), 12));
}

TEST(TavException, CarriesItsFieldsCutToSize) {
  const std::string longText(400, 'x');
  CTavOutOfRange e(VX_E_INVALIDARG, "a context that is longer than thirty-one characters",
                   longText.c_str(), "detail", 7, -3);
  EXPECT_EQ(VX_E_INVALIDARG, e.status());
  EXPECT_EQ(std::string("a context that is longer than t"), e.context());
  EXPECT_EQ(255u, std::strlen(e.text()));
  EXPECT_STREQ("detail", e.detail());
  EXPECT_EQ(7, e.value1());
  EXPECT_EQ(-3, e.value2());
  EXPECT_FALSE(e.suppressed());
  e.Suppress();
  EXPECT_TRUE(e.suppressed());
  EXPECT_STREQ("CTavOutOfRange", e.KindName());
}

TEST(TavException, SevenKindsCaughtAsTheBase) {
  auto kind = [](auto thrower) -> std::string {
    try {
      thrower();
    } catch (const CTavException& e) {
      return e.KindName();
    }
    return "";
  };
  EXPECT_EQ("CTavBadException", kind([] { throw CTavBadException(1, "c"); }));
  EXPECT_EQ("CTavInvalidArgument", kind([] { throw CTavInvalidArgument(1, "c"); }));
  EXPECT_EQ("CTavLogicError", kind([] { throw CTavLogicError(1, "c"); }));
  EXPECT_EQ("CTavMmValueMismatch", kind([] { throw CTavMmValueMismatch(1, "c"); }));
  EXPECT_EQ("CTavOutOfRange", kind([] { throw CTavOutOfRange(1, "c"); }));
  EXPECT_EQ("CTavRuntimeError", kind([] { throw CTavRuntimeError(1, "c"); }));
  EXPECT_EQ("CTavUnImplemented", kind([] { throw CTavUnImplemented(1, "c"); }));
}

TEST(TavException, MissingInterfaceAndNotInitialised) {
  try {
    TavThrowInterfaceMissing("VxMediaUtils");
    FAIL();
  } catch (const CTavBadException& e) {
    EXPECT_EQ(static_cast<VxStatus>(0x80040014u), e.status());
    EXPECT_STREQ("Interface Missing!", e.context());
    EXPECT_STREQ("VxMediaUtils", e.text());
  }
  try {
    TavThrowNotInitialized();
    FAIL();
  } catch (const CTavBadException& e) {
    EXPECT_EQ(static_cast<VxStatus>(0x80040014u), e.status());
    EXPECT_STREQ("Not Initialized", e.context());
  }
}

}  // namespace
