// Palvex and Kinetra loaded the way the host loads them, driven through
// their five exports and their interface objects.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/HostDictionary.h"
#include "host/HostInstance.h"
#include "host/PluginModule.h"
#include "plugin/assetprops/KinetraObjects.h"
#include "plugin/gifwriter/GifWriterInstance.h"

namespace {

using namespace vrixhost;

struct ExpectedRecord {
  const VxGuid* clsid;
  uint32_t classVersion;
  const VxGuid* iid;
  uint32_t interfaceVersion;
};

const ExpectedRecord kPalvexRecords[] = {
    {&CLSID_PalvexGifWriter, 1, &IID_IClassFactory, 1},
    {&CLSID_PalvexGifWriter, 1, &IID_VxFileFormat, 1},
    {&CLSID_PalvexGifWriter, 1, &IID_VxExportOptions, 1},
    {&CLSID_PalvexGifWriter, 1, &IID_VxPixelReceptor, 1},
    {&CLSID_PalvexGifWriter, 1, &IID_VxPaletteSetter, 1},
    {&CLSID_PalvexGifWriter, 1, &IID_VxRegistration, 1},
};
const ExpectedRecord kKinetraRecords[] = {
    {&CLSID_KinetraGifOptions, 0x070002C0, &IID_IClassFactory, 1},
    {&CLSID_KinetraGifOptions, 0x070002C0, &IID_VxAssetOptions, 0x02000002},
    {&CLSID_KinetraGifOptions, 0x070002C0, &IID_VxOptionsDialog, 0x02000002},
};

struct ModuleCase {
  const char* path;
  const VxGuid* clsid;
  const ExpectedRecord* records;
  size_t recordCount;
  uint32_t instanceSize;
};

const ModuleCase kModules[] = {
    {PALVEX_PATH, &CLSID_PalvexGifWriter, kPalvexRecords, 6, sizeof(GifWriterInstance)},
    {KINETRA_PATH, &CLSID_KinetraGifOptions, kKinetraRecords, 3, sizeof(VxInstance)},
};

class Plugins : public testing::TestWithParam<ModuleCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Load(GetParam().path)) << module_.error();
    callback_ = HostCallback::Create();
    liveHostObjects_ = LiveHostObjects();
  }
  void TearDown() override {
    if (callback_) callback_->ops->Release(callback_);
    if (module_.loaded()) {
      EXPECT_EQ(VX_OK, module_.exports().canUnloadNow());
    }
  }

  const PluginExports& x() const { return module_.exports(); }
  std::vector<const VxGuid*> Interfaces() const {
    std::vector<const VxGuid*> iids;
    for (size_t i = 1; i < GetParam().recordCount; ++i) iids.push_back(GetParam().records[i].iid);
    return iids;
  }

  PluginModule module_;
  HostCallback* callback_ = nullptr;
  int32_t liveHostObjects_ = 0;
};

TEST_P(Plugins, ClassInfoAsksForCountPlusOneRecordsAndMatchesTheTable) {
  HostAllocator allocator;
  VxClassInfoRecord* records = nullptr;
  ASSERT_EQ(VX_OK, x().getClassInfo(&allocator, &records));
  EXPECT_EQ(1, allocator.Allocations());
  EXPECT_EQ((GetParam().recordCount + 1) * 40, allocator.LastSize());
  for (size_t i = 0; i < GetParam().recordCount; ++i) {
    SCOPED_TRACE(i);
    const ExpectedRecord& e = GetParam().records[i];
    EXPECT_TRUE(VxGuidEqual(*e.clsid, records[i].clsid));
    EXPECT_EQ(e.classVersion, records[i].classVersion);
    EXPECT_TRUE(VxGuidEqual(*e.iid, records[i].iid));
    EXPECT_EQ(e.interfaceVersion, records[i].interfaceVersion);
  }
  const uint8_t* terminator = reinterpret_cast<const uint8_t*>(records + GetParam().recordCount);
  const uint8_t zeros[16] = {};
  EXPECT_EQ(0, std::memcmp(terminator, zeros, 16));
  EXPECT_EQ(0, std::memcmp(terminator + 20, zeros, 16));
  allocator.ops->Free(&allocator, records);  // the host owns the array
  EXPECT_EQ(0u, allocator.LiveBlocks());
}

TEST_P(Plugins, ClassInfoWithoutMemoryIsOutOfMemory) {
  HostAllocator allocator;
  allocator.FailAll(true);
  VxClassInfoRecord* records = reinterpret_cast<VxClassInfoRecord*>(0x1234);
  EXPECT_EQ(VX_E_OUTOFMEMORY, x().getClassInfo(&allocator, &records));
  EXPECT_EQ(reinterpret_cast<VxClassInfoRecord*>(0x1234), records);
}

TEST_P(Plugins, ClassObjectAlwaysFails) {
  void* out = nullptr;
  EXPECT_EQ(VX_E_NOCLASS, x().getClassObject(GetParam().clsid, &IID_IClassFactory, &out));
}

TEST_P(Plugins, ClassFormOfTheClassAndOfAnUnknownClass) {
  uint32_t size = 0;
  VxInitializer init = nullptr;
  VxFinalizer fini = nullptr;
  ASSERT_EQ(VX_OK, x().getClassForm(GetParam().clsid, &size, &init, &fini));
  EXPECT_EQ(GetParam().instanceSize, size);
  EXPECT_NE(nullptr, init);
  EXPECT_NE(nullptr, fini);

  const VxGuid unknown = {0xDEADBEEF, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  size = 0xAAAA;
  init = reinterpret_cast<VxInitializer>(0x10);
  fini = reinterpret_cast<VxFinalizer>(0x20);
  EXPECT_EQ(VX_E_NOCLASS, x().getClassForm(&unknown, &size, &init, &fini));
  EXPECT_EQ(0xAAAAu, size);
  EXPECT_EQ(reinterpret_cast<VxInitializer>(0x10), init);
  EXPECT_EQ(reinterpret_cast<VxFinalizer>(0x20), fini);
}

TEST_P(Plugins, UnknownInterfaceOrClassIsNoInterfaceWithOutUntouched) {
  HostAllocator allocator;
  HostInstance* instance = nullptr;
  ASSERT_EQ(VX_OK, HostInstance::Create(x(), *GetParam().clsid, &allocator, callback_, &instance));
  void* out = reinterpret_cast<void*>(0x5150);
  // The other module's interface is not in this table.
  const VxGuid& foreign = VxGuidEqual(*GetParam().clsid, CLSID_PalvexGifWriter)
                              ? IID_VxAssetOptions
                              : IID_VxExportOptions;
  EXPECT_EQ(VX_E_NOINTERFACE, instance->GetInterface(foreign, &out));
  const VxGuid otherClass = {0x1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(VX_E_NOINTERFACE,
            x().getInterface(instance->instance(), &otherClass, GetParam().records[1].iid, &out));
  EXPECT_EQ(reinterpret_cast<void*>(0x5150), out);
  EXPECT_EQ(VX_OK, instance->Destroy());
  EXPECT_EQ(0u, allocator.LiveBlocks());
}

TEST_P(Plugins, CreateAddRefReleaseReleaseOnEveryInterface) {
  HostAllocator allocator;
  HostInstance* instance = nullptr;
  ASSERT_EQ(VX_OK, HostInstance::Create(x(), *GetParam().clsid, &allocator, callback_, &instance));
  EXPECT_EQ(VX_OK, x().canUnloadNow());
  for (const VxGuid* iid : Interfaces()) {
    instance->addRefs = instance->releases = 0;
    void* object = nullptr;
    ASSERT_EQ(VX_OK, instance->GetInterface(*iid, &object));
    VxUnknown* u = static_cast<VxUnknown*>(object);
    const VxInterfaceObject* header = static_cast<const VxInterfaceObject*>(object);
    EXPECT_EQ(instance->instance(), header->owner);
    EXPECT_EQ(1u, header->refCount);
    EXPECT_EQ(2u, allocator.LiveBlocks());
    EXPECT_EQ(VX_E_LIVEOBJECTS, x().canUnloadNow());
    EXPECT_EQ(2u, u->ops->AddRef(u));
    EXPECT_EQ(1u, u->ops->Release(u));
    EXPECT_EQ(VX_E_LIVEOBJECTS, x().canUnloadNow());
    EXPECT_EQ(0u, u->ops->Release(u));
    EXPECT_EQ(3, instance->addRefs);
    EXPECT_EQ(3, instance->releases);
    EXPECT_EQ(1u, allocator.LiveBlocks());  // only the instance is left
    EXPECT_EQ(VX_OK, x().canUnloadNow());
  }
  EXPECT_EQ(VX_OK, instance->Destroy());
  EXPECT_EQ(0u, allocator.LiveBlocks());
  EXPECT_EQ(0, allocator.BadFrees());
}

TEST_P(Plugins, QueryInterfaceAnswersForTheWholeInstance) {
  HostAllocator allocator;
  HostInstance* instance = nullptr;
  ASSERT_EQ(VX_OK, HostInstance::Create(x(), *GetParam().clsid, &allocator, callback_, &instance));
  std::vector<const VxGuid*> iids = Interfaces();
  void* first = nullptr;
  ASSERT_EQ(VX_OK, instance->GetInterface(*iids.front(), &first));
  VxUnknown* u = static_cast<VxUnknown*>(first);
  void* last = nullptr;
  ASSERT_EQ(VX_OK, u->ops->QueryInterface(u, iids.back(), &last));
  EXPECT_EQ(1, instance->queries);
  VxUnknown* v = static_cast<VxUnknown*>(last);
  EXPECT_EQ(iids.size() == 1 ? first : static_cast<void*>(v), last);
  v->ops->Release(v);
  u->ops->Release(u);
  EXPECT_EQ(0, instance->Held());
  EXPECT_EQ(VX_OK, instance->Destroy());
}

// Every allocation the sequence makes fails once in turn; every operation
// then reports it and nothing is left behind.
TEST_P(Plugins, EachAllocationFailingInTurnLeaksNothing) {
  int failures = 0;
  for (int n = 1; n < 50; ++n) {
    SCOPED_TRACE(n);
    HostAllocator allocator;
    allocator.FailAllocation(n);
    bool failed = false;
    HostInstance* instance = nullptr;
    VxStatus status =
        HostInstance::Create(x(), *GetParam().clsid, &allocator, callback_, &instance);
    if (status != VX_OK) {
      EXPECT_EQ(VX_E_OUTOFMEMORY, status);
      failed = true;
    } else {
      std::vector<VxUnknown*> objects;
      for (const VxGuid* iid : Interfaces()) {
        void* object = reinterpret_cast<void*>(0x1);
        status = instance->GetInterface(*iid, &object);
        if (status == VX_OK) {
          objects.push_back(static_cast<VxUnknown*>(object));
        } else {
          EXPECT_EQ(VX_E_OUTOFMEMORY, status);
          failed = true;
        }
      }
      VxClassInfoRecord* records = nullptr;
      status = x().getClassInfo(&allocator, &records);
      if (status == VX_OK)
        allocator.ops->Free(&allocator, records);
      else {
        EXPECT_EQ(VX_E_OUTOFMEMORY, status);
        failed = true;
      }
      for (VxUnknown* u : objects) EXPECT_EQ(0u, u->ops->Release(u));
      EXPECT_EQ(0, instance->Held());
      EXPECT_EQ(VX_OK, instance->Destroy());
    }
    EXPECT_EQ(0u, allocator.LiveBlocks());
    EXPECT_EQ(0, allocator.BadFrees());
    EXPECT_EQ(VX_OK, x().canUnloadNow());
    EXPECT_EQ(liveHostObjects_, LiveHostObjects());
    if (!failed) break;  // n is past the last allocation
    ++failures;
  }
  // The instance, each interface object and the class information.
  EXPECT_EQ(static_cast<int>(GetParam().recordCount) + 1, failures);
}

INSTANTIATE_TEST_SUITE_P(BothModules, Plugins, testing::ValuesIn(kModules),
                         [](const testing::TestParamInfo<ModuleCase>& info) {
                           return std::string(info.index == 0 ? "Palvex" : "Kinetra");
                         });

// ---------------------------------------------------------------------------
// Palvex: instance initialisation and the export options.

class Palvex : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Load(PALVEX_PATH)) << module_.error();
    callback_ = HostCallback::Create();
    ASSERT_EQ(VX_OK, HostInstance::Create(module_.exports(), CLSID_PalvexGifWriter, &allocator_,
                                          callback_, &instance_));
  }
  void TearDown() override {
    if (instance_) {
      EXPECT_EQ(VX_OK, instance_->Destroy());
    }
    if (callback_) callback_->ops->Release(callback_);
    EXPECT_EQ(0u, allocator_.LiveBlocks());
  }
  GifWriterInstance* State() { return reinterpret_cast<GifWriterInstance*>(instance_->instance()); }
  VxExportOptions* Options() {
    void* object = nullptr;
    EXPECT_EQ(VX_OK, instance_->GetInterface(IID_VxExportOptions, &object));
    return static_cast<VxExportOptions*>(object);
  }

  PluginModule module_;
  HostAllocator allocator_;
  HostCallback* callback_ = nullptr;
  HostInstance* instance_ = nullptr;
};

TEST_F(Palvex, InitialiserClearsStateAndRegistersThePaletteDisplay) {
  EXPECT_EQ(5, State()->settings.options.framesPerSecond);
  EXPECT_EQ(32, State()->settings.currentTransparentIndex);
  EXPECT_FALSE(State()->settings.options.interlaced);
  EXPECT_EQ(0, State()->settings.options.paletteChoice);
  EXPECT_EQ(nullptr, State()->imageSource);
  // The module's resources were opened for the registration and closed again.
  EXPECT_EQ(1, callback_->resourceOpens);
  EXPECT_EQ(1, callback_->resourceCloses);
  HMODULE dll = static_cast<HMODULE>(module_.handle());
  WNDCLASSA wc;
  ASSERT_TRUE(GetClassInfoA(dll, "PaletteDisplay", &wc));
  EXPECT_EQ(static_cast<UINT>(CS_PARENTDC), wc.style);

  // A second instance shares the class; it goes with the last one.
  HostInstance* second = nullptr;
  ASSERT_EQ(VX_OK, HostInstance::Create(module_.exports(), CLSID_PalvexGifWriter, &allocator_,
                                        callback_, &second));
  EXPECT_EQ(VX_OK, second->Destroy());
  EXPECT_TRUE(GetClassInfoA(dll, "PaletteDisplay", &wc));
  EXPECT_EQ(VX_OK, instance_->Destroy());
  instance_ = nullptr;
  EXPECT_FALSE(GetClassInfoA(dll, "PaletteDisplay", &wc));
}

TEST_F(Palvex, InitialiserPassesUpAResourceFailureAndLeavesNothing) {
  HostCallback* refusing = HostCallback::Create();
  refusing->openResourcesStatus = VxCode(0x80040123u);
  HostAllocator allocator;
  HostInstance* none = nullptr;
  EXPECT_EQ(VxCode(0x80040123u), HostInstance::Create(module_.exports(), CLSID_PalvexGifWriter,
                                                      &allocator, refusing, &none));
  EXPECT_EQ(nullptr, none);
  EXPECT_EQ(0u, allocator.LiveBlocks());
  refusing->ops->Release(refusing);
  // The class is still held by the fixture's instance only.
  EXPECT_EQ(VX_OK, instance_->Destroy());
  instance_ = nullptr;
  WNDCLASSA wc;
  EXPECT_FALSE(GetClassInfoA(static_cast<HMODULE>(module_.handle()), "PaletteDisplay", &wc));
}

TEST_F(Palvex, SmallOperationsOfTheExportOptions) {
  VxExportOptions* o = Options();
  int32_t support = 0;
  EXPECT_EQ(VX_OK, o->ops->GetOptionsSupport(o, &support));
  EXPECT_EQ(1, support);
  VxGuid receptor{};
  EXPECT_EQ(VX_E_INVALIDARG, o->ops->GetReceptorId(o, 1, &receptor));
  EXPECT_EQ(VX_OK, o->ops->GetReceptorId(o, 0, &receptor));
  EXPECT_TRUE(VxGuidEqual(IID_VxPixelReceptor, receptor));
  int32_t reserved = 55;
  EXPECT_EQ(VX_OK, o->ops->GetReserved(o, &reserved));
  EXPECT_EQ(0, reserved);
  EXPECT_EQ(VX_OK, o->ops->GetReserved(o, nullptr));
  VxImageSource* source = reinterpret_cast<VxImageSource*>(0x4000);
  EXPECT_EQ(VX_OK, o->ops->SetImageSource(o, source));
  EXPECT_EQ(source, State()->imageSource);
  o->ops->Release(o);
}

TEST_F(Palvex, ReadingAnEmptyDictionaryGivesTheDefaults) {
  VxExportOptions* o = Options();
  EXPECT_EQ(VX_E_INVALIDARG, o->ops->ReadOptions(o, nullptr));
  HostDictionary* d = HostDictionary::Create();
  EXPECT_EQ(VX_OK, o->ops->ReadOptions(o, d));
  const gif::EncoderOptions& opt = State()->settings.options;
  EXPECT_FALSE(opt.interlaced);
  EXPECT_FALSE(opt.transparent);
  EXPECT_FALSE(opt.dither);
  EXPECT_EQ(0, opt.paletteChoice);
  EXPECT_FALSE(opt.animation);
  EXPECT_TRUE(opt.initialFrame);
  EXPECT_EQ(5, opt.framesPerSecond);
  EXPECT_EQ(0, opt.xOffset);
  EXPECT_EQ(0, opt.yOffset);
  d->ops->Release(d);
  o->ops->Release(o);
}

TEST_F(Palvex, WriteOptionsCreatesTheDictionaryWhenThePointerHoldsNull) {
  VxExportOptions* o = Options();
  HostDictionary* in = HostDictionary::Create();
  in->SetBool("PixelFormat_Interlaced", true);
  in->SetBool("PixelFormatRegKey_Dither", true);
  ASSERT_EQ(VX_OK, o->ops->ReadOptions(o, in));
  in->ops->Release(in);

  VxDictionary* out = nullptr;
  ASSERT_EQ(VX_OK, o->ops->WriteOptions(o, &out));
  ASSERT_NE(nullptr, out);
  HostDictionary* written = static_cast<HostDictionary*>(out);
  EXPECT_EQ((std::vector<std::string>{"PixelFormat_Interlaced", "PixelFormatRegKey_Transparent",
                                      "PixelFormatRegKey_Dither"}),
            written->putLog);
  EXPECT_EQ(std::vector<uint8_t>{1}, written->Find("PixelFormat_Interlaced")->bytes);
  EXPECT_EQ(std::vector<uint8_t>{0}, written->Find("PixelFormatRegKey_Transparent")->bytes);
  EXPECT_EQ(std::vector<uint8_t>{1}, written->Find("PixelFormatRegKey_Dither")->bytes);

  // Defaults into the same dictionary: no new one is made.
  const int creations = callback_->creations;
  ASSERT_EQ(VX_OK, o->ops->WriteDefaults(o, &out));
  EXPECT_EQ(creations, callback_->creations);
  EXPECT_EQ(std::vector<uint8_t>{0}, written->Find("PixelFormat_Interlaced")->bytes);
  EXPECT_EQ(std::vector<uint8_t>{1}, written->Find("PixelFormatRegKey_Dither")->bytes);
  EXPECT_EQ(6u, written->putLog.size());
  out->ops->Release(out);

  // A host that cannot make a dictionary: its status comes back as is.
  callback_->failCreateIn = 1;
  VxDictionary* none = nullptr;
  EXPECT_EQ(VX_E_OUTOFMEMORY, o->ops->WriteDefaults(o, &none));
  EXPECT_EQ(nullptr, none);
  EXPECT_EQ(VX_E_INVALIDARG, o->ops->WriteOptions(o, nullptr));
  o->ops->Release(o);
}

TEST_F(Palvex, RegistrationFillsTheRegistryCache) {
  void* object = nullptr;
  ASSERT_EQ(VX_OK, instance_->GetInterface(IID_VxRegistration, &object));
  VxRegistration* r = static_cast<VxRegistration*>(object);
  HostRegistryCache* cache = HostRegistryCache::Create();
  ASSERT_EQ(VX_OK, r->ops->Register(r, cache, nullptr));
  HostDictionary* format = cache->Find(CLSID_PalvexGifWriter, IID_VxFileFormat);
  HostDictionary* options = cache->Find(CLSID_PalvexGifWriter, IID_VxExportOptions);
  ASSERT_NE(nullptr, format);
  ASSERT_NE(nullptr, options);
  EXPECT_EQ(7u, format->putLog.size());
  EXPECT_EQ("kTavCfFormat_GIF", std::string(format->Find("Format")->bytes.begin(),
                                            format->Find("Format")->bytes.end()));
  EXPECT_EQ((std::vector<std::string>{"ProvidedReceptors", "HasUI", "Agent_Animation"}),
            options->putLog);
  cache->failGetIn = 1;
  EXPECT_EQ(VX_E_OUTOFMEMORY, r->ops->Register(r, cache, nullptr));
  EXPECT_EQ(VX_E_INVALIDARG, r->ops->Register(r, nullptr, nullptr));
  cache->ops->Release(cache);
  r->ops->Release(r);
}

// ---------------------------------------------------------------------------
// Kinetra's objects and Tesk32.

TEST(Kinetra, InterfaceObjectsClearTheirOwnLeadingFields) {
  PluginModule module;
  ASSERT_TRUE(module.Load(KINETRA_PATH)) << module.error();
  HostCallback* callback = HostCallback::Create();
  HostAllocator allocator;
  allocator.FillNewBlocks(0xCD);
  HostInstance* instance = nullptr;
  ASSERT_EQ(VX_OK, HostInstance::Create(module.exports(), CLSID_KinetraGifOptions, &allocator,
                                        callback, &instance));
  void* a = nullptr;
  void* d = nullptr;
  ASSERT_EQ(VX_OK, instance->GetInterface(IID_VxAssetOptions, &a));
  ASSERT_EQ(VX_OK, instance->GetInterface(IID_VxOptionsDialog, &d));
  AssetOptionsObject* asset = static_cast<AssetOptionsObject*>(a);
  OptionsDialogObject* dialog = static_cast<OptionsDialogObject*>(d);
  EXPECT_EQ(nullptr, asset->asset);
  EXPECT_EQ(nullptr, asset->builderWindow);
  EXPECT_EQ(nullptr, asset->optionsDialog);
  EXPECT_EQ(nullptr, dialog->assetOptions);
  EXPECT_EQ(nullptr, dialog->host);
  EXPECT_EQ(nullptr, asset->items);
  EXPECT_EQ(nullptr, asset->wrappers);
  EXPECT_EQ(0u, asset->ops->Release(reinterpret_cast<VxAssetOptions*>(asset)));
  EXPECT_EQ(0u, dialog->ops->Release(reinterpret_cast<VxOptionsDialog*>(dialog)));
  EXPECT_EQ(VX_OK, instance->Destroy());
  EXPECT_EQ(0u, allocator.LiveBlocks());
  callback->ops->Release(callback);
}

TEST(Tesk32, AnswersTheChosenLanguageByOrdinalOnly) {
  HMODULE tesk = LoadLibraryA(TESK32_PATH);
  ASSERT_NE(nullptr, tesk);
  VxGetUiLanguageFn language = reinterpret_cast<VxGetUiLanguageFn>(
      reinterpret_cast<void*>(GetProcAddress(tesk, MAKEINTRESOURCEA(1262))));
  ASSERT_NE(nullptr, language);
  EXPECT_EQ(nullptr, GetProcAddress(tesk, "TeskGetUiLanguage"));
  for (int answer : {2, 3, 1, 0}) {
    SetEnvironmentVariableA("VRIXHOST_LANGUAGE", std::to_string(answer).c_str());
    EXPECT_EQ(answer, language());
  }
  SetEnvironmentVariableA("VRIXHOST_LANGUAGE", nullptr);
  EXPECT_EQ(0, language());
  FreeLibrary(tesk);
}

}  // namespace
