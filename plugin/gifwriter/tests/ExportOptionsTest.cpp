#include "plugin/gifwriter/ExportOptions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/HostDictionary.h"
#include "host/HostInstance.h"
#include "plugin/gifwriter/Palettes.h"

namespace {

using vrixhost::HostDictionary;

// A dictionary that releases itself with the test.
struct Dict {
  HostDictionary* d = HostDictionary::Create();
  ~Dict() { d->ops->Release(d); }
  HostDictionary* operator->() { return d; }
};

gif::ExportSettings Fresh() {
  gif::ExportSettings s;
  std::memset(static_cast<void*>(&s), 0xEE, sizeof s);
  gif::InitExportSettings(&s);
  return s;
}

TEST(ExportSettings, ClassInitialisationClearsAndSetsRateAndIndex) {
  gif::ExportSettings s = Fresh();
  EXPECT_FALSE(s.options.interlaced);
  EXPECT_FALSE(s.options.transparent);
  EXPECT_FALSE(s.options.dither);
  EXPECT_EQ(0, s.options.paletteChoice);
  EXPECT_EQ(0, s.options.xOffset);
  EXPECT_EQ(0, s.options.yOffset);
  EXPECT_EQ(5, s.options.framesPerSecond);
  EXPECT_EQ(32, s.currentTransparentIndex);
  EXPECT_EQ(0u, s.working.kind);
  EXPECT_EQ(0u, s.working.size);
}

TEST(ReadOptions, EmptyDictionaryGivesTheDefaults) {
  gif::ExportSettings s = Fresh();
  s.options.interlaced = s.options.transparent = s.options.dither = true;
  s.options.animation = true;
  s.options.initialFrame = false;
  s.options.framesPerSecond = 30;
  s.options.xOffset = s.options.yOffset = s.options.frameNumber = 9;
  Dict d;
  EXPECT_EQ(VX_OK, gif::ReadOptions(&s, d.d));
  EXPECT_FALSE(s.options.interlaced);
  EXPECT_FALSE(s.options.transparent);
  EXPECT_FALSE(s.options.dither);
  EXPECT_EQ(0, s.options.paletteChoice);
  EXPECT_FALSE(s.options.animation);
  EXPECT_EQ(0, s.options.frameNumber);
  EXPECT_TRUE(s.options.initialFrame);
  EXPECT_EQ(5, s.options.framesPerSecond);
  EXPECT_EQ(0, s.options.xOffset);
  EXPECT_EQ(0, s.options.yOffset);
  EXPECT_EQ(0u, s.working.kind);  // exact palette: the working palette is not touched
  EXPECT_EQ(32, s.currentTransparentIndex);
}

// The adaptive palette's key is not one of the host's: a dictionary without
// it (every dictionary written before it existed) reads as off.
TEST(ReadOptions, AdaptivePaletteIsOffUnlessItsKeySaysOn) {
  const struct {
    const char* name;
    int type;  // 0 absent, 6 bool, 3 int
    bool value;
    bool expected;
  } cases[] = {
      {"absent", 0, false, false},
      {"stored on", 6, true, true},
      {"stored off", 6, false, false},
      {"of another type", 3, true, false},
  };
  for (const auto& c : cases) {
    gif::ExportSettings s = Fresh();
    s.options.adaptivePalette = !c.expected;
    Dict d;
    if (c.type == 6) d->SetBool("PixelFormatRegKey_AdaptivePalette", c.value);
    if (c.type == 3) d->SetInt("PixelFormatRegKey_AdaptivePalette", c.value);
    EXPECT_EQ(VX_OK, gif::ReadOptions(&s, d.d));
    EXPECT_EQ(c.expected, s.options.adaptivePalette) << c.name;
  }
}

TEST(ReadOptions, NullDictionaryIsBadArgument) {
  gif::ExportSettings s = Fresh();
  EXPECT_EQ(VX_E_INVALIDARG, gif::ReadOptions(&s, nullptr));
}

TEST(ReadOptions, StoredValuesAndPalette) {
  Dict d;
  d->SetBool("PixelFormat_Interlaced", true);
  d->SetBool("PixelFormatRegKey_Transparent", true);
  d->SetBool("PixelFormatRegKey_Dither", false);
  d->SetInt("PixelFormatRegKey_OverridePalette", 4);
  d->SetInt("PixelFormatRegKey_TransparentIndex", 3);
  d->SetInt("PixelFormatRegKey_PaletteSize", 2);
  const uint16_t entries[8] = {0, 0xFFFF, 0, 0x1010, 0, 0, 0x2020, 0};  // red-ish, green
  d->SetBytes("PixelFormatRegKey_Palette", entries, sizeof entries);
  d->SetBool("Agent_Animation", true);
  d->SetInt("PixelFormat_FrameNumber", 7);
  d->SetBool("PixelFormat_InitialFrame", false);
  d->SetInt("PixelFormat_FPS", 12);
  d->SetInt("PixelFormat_XOffset", -4);
  d->SetInt("PixelFormat_YOffset", 40);
  gif::ExportSettings s = Fresh();
  ASSERT_EQ(VX_OK, gif::ReadOptions(&s, d.d));
  EXPECT_TRUE(s.options.interlaced);
  EXPECT_TRUE(s.options.transparent);
  EXPECT_FALSE(s.options.dither);
  EXPECT_EQ(4, s.options.paletteChoice);
  EXPECT_EQ(gif::kPaletteKindExplicit, s.working.kind);
  EXPECT_EQ(1, s.working.one);
  EXPECT_EQ(8, s.working.bitsPerComponent);
  EXPECT_EQ(1, s.working.transparent);
  EXPECT_EQ(3, s.working.transparentIndex);
  EXPECT_EQ(3, s.currentTransparentIndex);
  EXPECT_EQ(256u, s.working.capacity);
  EXPECT_EQ(2u, s.working.size);
  EXPECT_EQ(0, std::memcmp(entries, s.working.entries, sizeof entries));
  EXPECT_TRUE(s.options.animation);
  EXPECT_EQ(7, s.options.frameNumber);
  EXPECT_FALSE(s.options.initialFrame);
  EXPECT_EQ(12, s.options.framesPerSecond);
  EXPECT_EQ(-4, s.options.xOffset);
  EXPECT_EQ(40, s.options.yOffset);
}

TEST(ReadOptions, KeysOfTheWrongTypeTakeTheirDefaults) {
  Dict d;
  d->SetInt("PixelFormat_Interlaced", 1);                 // bool expected
  d->SetBool("PixelFormatRegKey_OverridePalette", true);  // i32 expected
  d->SetText("PixelFormat_FPS", "30");
  d->SetInt("PixelFormat_InitialFrame", 0);
  gif::ExportSettings s = Fresh();
  ASSERT_EQ(VX_OK, gif::ReadOptions(&s, d.d));
  EXPECT_FALSE(s.options.interlaced);
  EXPECT_EQ(0, s.options.paletteChoice);
  EXPECT_EQ(5, s.options.framesPerSecond);
  EXPECT_TRUE(s.options.initialFrame);
}

TEST(ReadOptions, MissingPaletteEntriesLeaveTheWorkingEntriesAsTheyWere) {
  Dict d;
  d->SetInt("PixelFormatRegKey_OverridePalette", 1);
  d->SetInt("PixelFormatRegKey_PaletteSize", 216);
  gif::ExportSettings s = Fresh();
  ASSERT_TRUE(gif::BuildBuiltinPalette(gif::kChoice16, &s.working));
  const gif::PaletteSpec before = s.working;
  ASSERT_EQ(VX_OK, gif::ReadOptions(&s, d.d));
  EXPECT_EQ(216u, s.working.size);
  EXPECT_EQ(0, std::memcmp(before.entries, s.working.entries, sizeof before.entries));
  EXPECT_EQ(0, s.working.transparentIndex);  // missing index reads as 0
}

// A stored size outside 0-256 would make the entry read run past the table.
TEST(ReadOptions, PaletteSizeBeyondTheTableIsNotUsed) {
  for (int32_t size : {257, 100000, -1}) {
    Dict d;
    d->SetInt("PixelFormatRegKey_OverridePalette", 1);
    d->SetInt("PixelFormatRegKey_PaletteSize", size);
    std::vector<uint8_t> huge(100000 * 8, 0x77);
    d->SetBytes("PixelFormatRegKey_Palette", huge.data(), huge.size());
    gif::ExportSettings s = Fresh();
    ASSERT_EQ(VX_OK, gif::ReadOptions(&s, d.d));
    EXPECT_EQ(0u, s.working.size) << size;
    EXPECT_EQ(0, s.working.entries[0].red) << size;
  }
}

// The frame delay divides by the rate.
TEST(ReadOptions, RateBelowOneBecomesOne) {
  for (int32_t fps : {0, -5}) {
    Dict d;
    d->SetInt("PixelFormat_FPS", fps);
    gif::ExportSettings s = Fresh();
    ASSERT_EQ(VX_OK, gif::ReadOptions(&s, d.d));
    EXPECT_EQ(1, s.options.framesPerSecond) << fps;
  }
}

std::vector<std::string> Keys(const HostDictionary* d) {
  return d->putLog;
}

void ExpectBool(HostDictionary* d, const char* key, bool value) {
  const vrixhost::DictionaryValue* v = d->Find(key);
  ASSERT_NE(nullptr, v) << key;
  EXPECT_EQ(6u, v->type) << key;
  EXPECT_EQ(std::vector<uint8_t>{static_cast<uint8_t>(value)}, v->bytes) << key;
}

void ExpectInt(HostDictionary* d, const char* key, int32_t value) {
  const vrixhost::DictionaryValue* v = d->Find(key);
  ASSERT_NE(nullptr, v) << key;
  EXPECT_EQ(3u, v->type) << key;
  ASSERT_EQ(4u, v->bytes.size()) << key;
  int32_t stored;
  std::memcpy(&stored, v->bytes.data(), 4);
  EXPECT_EQ(value, stored) << key;
}

void ExpectText(HostDictionary* d, const char* key, const char* value) {
  const vrixhost::DictionaryValue* v = d->Find(key);
  ASSERT_NE(nullptr, v) << key;
  EXPECT_EQ(9u, v->type) << key;
  EXPECT_EQ(std::string(value), std::string(v->bytes.begin(), v->bytes.end())) << key;
}

TEST(WriteOptions, PutsTheThreeFlagsInOrder) {
  gif::ExportSettings s = Fresh();
  s.options.interlaced = true;
  s.options.transparent = false;
  s.options.dither = true;
  s.options.paletteChoice = 3;
  Dict d;
  EXPECT_EQ(VX_OK, gif::WriteOptions(s, d.d));
  EXPECT_EQ((std::vector<std::string>{"PixelFormat_Interlaced", "PixelFormatRegKey_Transparent",
                                      "PixelFormatRegKey_Dither"}),
            Keys(d.d));
  ExpectBool(d.d, "PixelFormat_Interlaced", true);
  ExpectBool(d.d, "PixelFormatRegKey_Transparent", false);
  ExpectBool(d.d, "PixelFormatRegKey_Dither", true);
}

TEST(WriteDefaults, PutsInterlacedFalseTransparentFalseDitherTrue) {
  Dict d;
  EXPECT_EQ(VX_OK, gif::WriteDefaults(d.d));
  EXPECT_EQ((std::vector<std::string>{"PixelFormat_Interlaced", "PixelFormatRegKey_Transparent",
                                      "PixelFormatRegKey_Dither"}),
            Keys(d.d));
  ExpectBool(d.d, "PixelFormat_Interlaced", false);
  ExpectBool(d.d, "PixelFormatRegKey_Transparent", false);
  ExpectBool(d.d, "PixelFormatRegKey_Dither", true);
}

TEST(WriteOptions, FirstFailingPutEndsTheWrite) {
  for (int failing = 1; failing <= 3; ++failing) {
    Dict d;
    d->failPutIn = failing;
    d->failStatus = VxCode(0x80040777u);
    EXPECT_EQ(VxCode(0x80040777u), gif::WriteDefaults(d.d)) << failing;
    EXPECT_EQ(static_cast<size_t>(failing - 1), Keys(d.d).size()) << failing;
  }
}

TEST(WriteDialogOptions, ExactPaletteWritesOnlyTheTransparentIndexOfThePalette) {
  gif::ExportSettings s = Fresh();
  s.options.paletteChoice = 0;
  s.working.transparentIndex = 9;
  Dict d;
  EXPECT_EQ(VX_OK, gif::WriteDialogOptions(s, d.d));
  EXPECT_EQ(
      (std::vector<std::string>{"PixelFormat_Interlaced", "PixelFormatRegKey_Transparent",
                                "PixelFormatRegKey_Dither", "PixelFormatRegKey_OverridePalette",
                                "PixelFormatRegKey_TransparentIndex"}),
      Keys(d.d));
  ExpectInt(d.d, "PixelFormatRegKey_OverridePalette", 0);
  ExpectInt(d.d, "PixelFormatRegKey_TransparentIndex", 9);
}

// The dialog puts the adaptive palette last, and only when it is on or the
// dictionary already held it: a user who never turned it on gets no new key.
TEST(WriteDialogOptions, AdaptivePaletteOnlyWhenOnOrAlreadyHeld) {
  const struct {
    const char* name;
    bool on;
    bool held;
  } cases[] = {{"on", true, false},
               {"on, held", true, true},
               {"off, held", false, true},
               {"off", false, false}};
  for (const auto& c : cases) {
    gif::ExportSettings s = Fresh();
    s.options.adaptivePalette = c.on;
    Dict d;
    if (c.held) d->SetBool("PixelFormatRegKey_AdaptivePalette", !c.on);
    EXPECT_EQ(VX_OK, gif::WriteDialogOptions(s, d.d));
    std::vector<std::string> keys = {
        "PixelFormat_Interlaced", "PixelFormatRegKey_Transparent", "PixelFormatRegKey_Dither",
        "PixelFormatRegKey_OverridePalette", "PixelFormatRegKey_TransparentIndex"};
    if (c.on || c.held) keys.push_back("PixelFormatRegKey_AdaptivePalette");
    EXPECT_EQ(keys, Keys(d.d)) << c.name;
    if (c.on || c.held) ExpectBool(d.d, "PixelFormatRegKey_AdaptivePalette", c.on);
  }
}

TEST(WriteDialogOptions, BuiltInPaletteWritesSizeAndEntriesThenIndex) {
  gif::ExportSettings s = Fresh();
  s.options.paletteChoice = gif::kChoice16;
  s.options.transparent = true;
  ASSERT_TRUE(gif::BuildBuiltinPalette(gif::kChoice16, &s.working));
  Dict d;
  EXPECT_EQ(VX_OK, gif::WriteDialogOptions(s, d.d));
  EXPECT_EQ(
      (std::vector<std::string>{"PixelFormat_Interlaced", "PixelFormatRegKey_Transparent",
                                "PixelFormatRegKey_Dither", "PixelFormatRegKey_OverridePalette",
                                "PixelFormatRegKey_PaletteSize", "PixelFormatRegKey_Palette",
                                "PixelFormatRegKey_TransparentIndex"}),
      Keys(d.d));
  ExpectBool(d.d, "PixelFormatRegKey_Transparent", true);
  ExpectInt(d.d, "PixelFormatRegKey_PaletteSize", 16);
  ExpectInt(d.d, "PixelFormatRegKey_TransparentIndex", 15);
  const vrixhost::DictionaryValue* v = d->Find("PixelFormatRegKey_Palette");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(8u, v->type);
  ASSERT_EQ(128u, v->bytes.size());
  EXPECT_EQ(0, std::memcmp(s.working.entries, v->bytes.data(), 128));

  // Reading it back gives the same palette.
  gif::ExportSettings back = Fresh();
  ASSERT_EQ(VX_OK, gif::ReadOptions(&back, d.d));
  EXPECT_EQ(16u, back.working.size);
  EXPECT_EQ(15, back.working.transparentIndex);
  EXPECT_EQ(0, std::memcmp(s.working.entries, back.working.entries, 128));
}

TEST(Registration, PutsTheListedEntriesInOrder) {
  vrixhost::HostRegistryCache* cache = vrixhost::HostRegistryCache::Create();
  ASSERT_EQ(VX_OK, gif::RegisterFileFormat(cache, CLSID_PalvexGifWriter));
  HostDictionary* format = cache->Find(CLSID_PalvexGifWriter, IID_VxFileFormat);
  HostDictionary* options = cache->Find(CLSID_PalvexGifWriter, IID_VxExportOptions);
  ASSERT_NE(nullptr, format);
  ASSERT_NE(nullptr, options);
  EXPECT_EQ((std::vector<std::string>{"Name", "FileExts", "FileTypes", "FileCreator", "MimeType",
                                      "MacScrapTypes", "Format"}),
            Keys(format));
  ExpectText(format, "Name", "GIF");
  ExpectText(format, "FileExts", "*.gif");
  ExpectText(format, "FileTypes", "GIFfGIF ");
  ExpectText(format, "FileCreator", "GIF");
  ExpectText(format, "MimeType", "image/gif");
  ExpectText(format, "MacScrapTypes", "GIFfGIF ");
  ExpectText(format, "Format", "kTavCfFormat_GIF");
  EXPECT_EQ((std::vector<std::string>{"ProvidedReceptors", "HasUI", "Agent_Animation"}),
            Keys(options));
  const vrixhost::DictionaryValue* receptors = options->Find("ProvidedReceptors");
  ASSERT_NE(nullptr, receptors);
  EXPECT_EQ(8u, receptors->type);
  ASSERT_EQ(16u, receptors->bytes.size());
  EXPECT_EQ(0, std::memcmp(&IID_VxPixelReceptor, receptors->bytes.data(), 16));
  ExpectBool(options, "HasUI", true);
  ExpectBool(options, "Agent_Animation", true);
  EXPECT_EQ(2u, cache->slots.size());
  cache->ops->Release(cache);
}

TEST(Registration, FirstFailureIsReturned) {
  struct Case {
    int failGet;
    int failPut;  // in the file-format dictionary
  } cases[] = {{1, 0}, {2, 0}, {0, 1}, {0, 7}};
  for (const Case& c : cases) {
    vrixhost::HostRegistryCache* cache = vrixhost::HostRegistryCache::Create();
    cache->failGetIn = c.failGet;
    if (c.failPut) {
      VxDictionary* d = nullptr;
      ASSERT_EQ(VX_OK, cache->Get(CLSID_PalvexGifWriter, IID_VxFileFormat, &d));
      static_cast<HostDictionary*>(d)->failPutIn = c.failPut;
      d->ops->Release(d);
    }
    EXPECT_EQ(VX_E_OUTOFMEMORY, gif::RegisterFileFormat(cache, CLSID_PalvexGifWriter));
    // Nothing is put after the failure.
    EXPECT_EQ(nullptr, cache->Find(CLSID_PalvexGifWriter, IID_VxExportOptions));
    cache->ops->Release(cache);
  }
}

TEST(ObtainDictionary, CreatesOnlyWhenThePointerHoldsNull) {
  vrixhost::HostCallback* host = vrixhost::HostCallback::Create();
  const int32_t live = vrixhost::LiveHostObjects();
  VxDictionary* d = nullptr;
  ASSERT_EQ(VX_OK, gif::ObtainDictionary(host, &d));
  ASSERT_NE(nullptr, d);
  EXPECT_EQ(1, host->creations);
  EXPECT_EQ(live + 1, vrixhost::LiveHostObjects());  // the service went, the dictionary stays
  VxDictionary* same = d;
  ASSERT_EQ(VX_OK, gif::ObtainDictionary(host, &d));
  EXPECT_EQ(same, d);
  EXPECT_EQ(1, host->creations);
  d->ops->Release(d);
  EXPECT_EQ(VX_E_INVALIDARG, gif::ObtainDictionary(host, nullptr));
  host->failCreateIn = 1;
  VxDictionary* none = nullptr;
  EXPECT_EQ(VX_E_OUTOFMEMORY, gif::ObtainDictionary(host, &none));
  EXPECT_EQ(nullptr, none);
  host->ops->Release(host);
  EXPECT_EQ(live - 1, vrixhost::LiveHostObjects());
}

}  // namespace
