// The text form of dictionaries that vrixhost gif-options writes and
// gif-export --options reads.
#include "host/DictionaryFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using vrixhost::HostDictionary;

struct Dict {
  HostDictionary* d = HostDictionary::Create();
  ~Dict() { d->ops->Release(d); }
  HostDictionary* operator->() const { return d; }
};

TEST(DictionaryFile, EveryTypeSurvivesARoundTripInPutOrder) {
  Dict a;
  const int32_t size = -7;
  const uint8_t bytes[] = {0x00, 0xff, 0x10, 0x3b};
  ASSERT_EQ(VX_OK, a->Put(VX_DICT_BOOL, "\1", 1, "Zeta"));
  ASSERT_EQ(VX_OK, a->Put(VX_DICT_INT32, &size, 4, "Alpha"));
  ASSERT_EQ(VX_OK, a->Put(VX_DICT_BYTES, bytes, sizeof bytes, "Mid"));
  ASSERT_EQ(VX_OK, a->Put(VX_DICT_BYTES, bytes, 0, "Empty"));
  ASSERT_EQ(VX_OK, a->Put(VX_DICT_TEXT, "two words", 0, "Name"));
  a->SetBool("Loaded", false);  // not put: written after the put keys

  const std::string text = vrixhost::FormatDictionary(*a.d);
  EXPECT_NE(std::string::npos,
            text.find("Zeta bool 1\nAlpha int -7\nMid bytes 00ff103b\nEmpty bytes \n"
                      "Name text two words\nLoaded bool 0\n"))
      << text;

  Dict b;
  std::string error;
  ASSERT_TRUE(vrixhost::ParseDictionary(text, b.d, &error)) << error;
  ASSERT_EQ(a->values.size(), b->values.size());
  for (const auto& [key, value] : a->values) {
    const vrixhost::DictionaryValue* v = b->Find(key);
    ASSERT_NE(nullptr, v) << key;
    EXPECT_EQ(value.type, v->type) << key;
    EXPECT_EQ(value.bytes, v->bytes) << key;
  }
}

TEST(DictionaryFile, BadLinesAreReportedWithTheirNumber) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"# note\n\nKey int 12x\n", "line 3: \"12x\" is not a 32-bit integer"},
      {"Key int 2147483648\n", "line 1: \"2147483648\""},
      {"Key bool yes\n", "line 1: a bool is 0 or 1"},
      {"Key bytes abc\n", "line 1: bytes are written"},
      {"Key bytes zz\n", "line 1: bytes are written"},
      {"Key float 1.5\n", "line 1: unknown type \"float\""},
      {"JustAKey\n", "line 1: expected KEY TYPE VALUE"},
      {" int 3\n", "line 1: expected KEY TYPE VALUE"},
  };
  for (const auto& c : cases) {
    Dict d;
    std::string error;
    EXPECT_FALSE(vrixhost::ParseDictionary(c.text, d.d, &error)) << c.text;
    EXPECT_NE(std::string::npos, error.find(c.reason)) << c.text << " -> " << error;
  }
}

TEST(DictionaryFile, CarriageReturnsAndTheLowestIntegerAreRead) {
  Dict d;
  std::string error;
  ASSERT_TRUE(vrixhost::ParseDictionary("A int -2147483648\r\nB text \r\n", d.d, &error)) << error;
  int32_t a = 0;
  ASSERT_EQ(VX_OK, d->Get(VX_DICT_INT32, &a, 4, "A"));
  EXPECT_EQ(INT32_MIN, a);
  char b[4] = "x";
  ASSERT_EQ(VX_OK, d->Get(VX_DICT_TEXT, b, sizeof b, "B"));
  EXPECT_STREQ("", b);
}

TEST(DictionaryFile, SavingReplacesTheFileWholeAndLoadingReadsItBack) {
  const std::string path = testing::TempDir() + "dictionary-file-test.txt";
  std::remove(path.c_str());
  Dict a;
  a->SetInt("Choice", 8);
  std::string error;
  ASSERT_TRUE(vrixhost::SaveDictionaryFile(path, *a.d, &error)) << error;
  a->SetInt("Choice", 3);
  ASSERT_TRUE(vrixhost::SaveDictionaryFile(path, *a.d, &error)) << error;
  EXPECT_EQ(nullptr, std::fopen((path + ".partial").c_str(), "rb"));

  Dict b;
  ASSERT_TRUE(vrixhost::LoadDictionaryFile(path, b.d, &error)) << error;
  int32_t choice = 0;
  ASSERT_EQ(VX_OK, b->Get(VX_DICT_INT32, &choice, 4, "Choice"));
  EXPECT_EQ(3, choice);
  std::remove(path.c_str());

  EXPECT_FALSE(vrixhost::LoadDictionaryFile(path, b.d, &error));
  EXPECT_NE(std::string::npos, error.find("cannot open")) << error;
}

TEST(DictionaryFile, ValuesTheLinesCannotHoldAreRefusedAndNothingIsWritten) {
  const std::string path = testing::TempDir() + "dictionary-file-refused.txt";
  std::remove(path.c_str());
  Dict spaced, multiline;
  spaced->SetInt("two words", 1);
  multiline->SetText("Note", "one\ntwo");
  for (HostDictionary* d : {spaced.d, multiline.d}) {
    std::string error;
    EXPECT_FALSE(vrixhost::SaveDictionaryFile(path, *d, &error));
    EXPECT_NE(std::string::npos, error.find("cannot write")) << error;
    EXPECT_EQ(nullptr, std::fopen(path.c_str(), "rb"));
  }
}

}  // namespace
