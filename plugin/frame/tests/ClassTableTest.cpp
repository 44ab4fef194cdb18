#include "plugin/frame/ClassTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/frame/tests/FakeOwner.h"

namespace {

constexpr VxGuid kClassA = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr VxGuid kClassB = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 9}};
constexpr VxGuid kClassUnknown = {0x11111111, 0x2222, 0x3334, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr VxGuid kIfaceX = {0xAAAA0001, 0x0001, 0x0002, {9, 9, 9, 9, 9, 9, 9, 1}};
constexpr VxGuid kIfaceY = {0xAAAA0002, 0x0001, 0x0002, {9, 9, 9, 9, 9, 9, 9, 2}};
constexpr VxGuid kIfaceZ = {0xAAAA0003, 0x0001, 0x0002, {9, 9, 9, 9, 9, 9, 9, 3}};

int g_created = 0;
void* g_createdOn = nullptr;
VxStatus CreateX(VxInstance* instance, void** out) {
  ++g_created;
  g_createdOn = instance;
  *out = reinterpret_cast<void*>(0x1234);
  return VX_OK;
}
VxStatus CreateYFails(VxInstance*, void**) {
  return VX_E_OUTOFMEMORY;
}
VxStatus CreateZ(VxInstance*, void** out) {
  *out = reinterpret_cast<void*>(0x5678);
  return VX_OK;
}
VxStatus VXAPI InitA(VxInstance*) {
  return 0;
}
VxStatus VXAPI FiniA(VxInstance*) {
  return 0;
}
VxStatus VXAPI InitB(VxInstance*) {
  return 0;
}
VxStatus VXAPI FiniB(VxInstance*) {
  return 0;
}

const VxInterfaceEntry kInterfacesA[] = {{kIfaceX, 7, CreateX}, {kIfaceY, 8, CreateYFails}};
const VxInterfaceEntry kInterfacesB[] = {{kIfaceZ, 0x02000002, CreateZ}, {kIfaceX, 3, CreateZ}};
const VxClassEntry kClasses[] = {
    {kClassA, 1, 100, InitA, FiniA, kInterfacesA, 2},
    {kClassB, 0x070002C0, 12, InitB, FiniB, kInterfacesB, 2},
};
const VxClassTable kTable = {kClasses, 2};

// Records every visit as text so that order and arguments show at once.
struct Trace {
  std::vector<std::string> visits;
  size_t stopAfter = SIZE_MAX;
};

VxStatus TraceClass(const VxGuid& clsid, uint32_t version, uint32_t size, VxInitializer init,
                    VxFinalizer, void* context) {
  Trace* t = static_cast<Trace*>(context);
  t->visits.push_back("class " + std::to_string(clsid.data4[7]) + " v" + std::to_string(version) +
                      " size " + std::to_string(size) + (init == InitA ? " initA" : ""));
  return t->visits.size() >= t->stopAfter ? 77 : 0;
}

VxStatus TraceInterface(const VxGuid& clsid, uint32_t classVersion, const VxGuid& iid,
                        uint32_t version, VxCreator, void* context) {
  Trace* t = static_cast<Trace*>(context);
  t->visits.push_back("iface " + std::to_string(clsid.data4[7]) + "/" +
                      std::to_string(classVersion) + " " + std::to_string(iid.data4[7]) + " v" +
                      std::to_string(version));
  return t->visits.size() >= t->stopAfter ? 99 : 0;
}

TEST(ClassTableWalk, VisitsClassesThenTheirInterfacesInOrder) {
  Trace t;
  EXPECT_EQ(0, VxWalkClassTable(kTable, nullptr, TraceClass, TraceInterface, &t));
  std::vector<std::string> expected = {"class 8 v1 size 100 initA",
                                       "iface 8/1 1 v7",
                                       "iface 8/1 2 v8",
                                       "class 9 v117441216 size 12",
                                       "iface 9/117441216 3 v33554434",
                                       "iface 9/117441216 1 v3"};
  EXPECT_EQ(expected, t.visits);
}

TEST(ClassTableWalk, FilterSkipsOtherClasses) {
  Trace t;
  EXPECT_EQ(0, VxWalkClassTable(kTable, &kClassB, TraceClass, TraceInterface, &t));
  ASSERT_EQ(3u, t.visits.size());
  EXPECT_EQ("class 9 v117441216 size 12", t.visits[0]);
  Trace none;
  EXPECT_EQ(0, VxWalkClassTable(kTable, &kClassUnknown, TraceClass, TraceInterface, &none));
  EXPECT_TRUE(none.visits.empty());
}

TEST(ClassTableWalk, NonZeroVisitorResultStopsTheWalk) {
  struct Case {
    size_t stopAfter;
    VxStatus result;
  } cases[] = {{1, 77}, {2, 99}, {4, 77}, {6, 99}};
  for (const Case& c : cases) {
    Trace t;
    t.stopAfter = c.stopAfter;
    EXPECT_EQ(c.result, VxWalkClassTable(kTable, nullptr, TraceClass, TraceInterface, &t));
    EXPECT_EQ(c.stopAfter, t.visits.size());
  }
}

TEST(ClassForm, StoresSizeAndEntryPointsOfTheClass) {
  uint32_t size = 0;
  VxInitializer init = nullptr;
  VxFinalizer fini = nullptr;
  EXPECT_EQ(VX_OK, VxFrameGetClassForm(kTable, &kClassB, &size, &init, &fini));
  EXPECT_EQ(12u, size);
  EXPECT_EQ(&InitB, init);
  EXPECT_EQ(&FiniB, fini);
}

TEST(ClassForm, UnknownClassLeavesOutputsUntouched) {
  uint32_t size = 0xDEAD;
  VxInitializer init = InitB;
  VxFinalizer fini = FiniB;
  EXPECT_EQ(VX_E_NOCLASS, VxFrameGetClassForm(kTable, &kClassUnknown, &size, &init, &fini));
  EXPECT_EQ(0xDEADu, size);
  EXPECT_EQ(&InitB, init);
  EXPECT_EQ(&FiniB, fini);
}

TEST(GetInterface, ReturnsWhatTheCreatorReturns) {
  FakeOwner owner;
  void* out = nullptr;
  g_created = 0;
  EXPECT_EQ(VX_OK, VxFrameGetInterface(kTable, &owner, &kClassA, &kIfaceX, &out));
  EXPECT_EQ(reinterpret_cast<void*>(0x1234), out);
  EXPECT_EQ(1, g_created);
  EXPECT_EQ(&owner, g_createdOn);
  EXPECT_EQ(VX_E_OUTOFMEMORY, VxFrameGetInterface(kTable, &owner, &kClassA, &kIfaceY, &out));
  // The same interface identifier in another class has that class's creator.
  EXPECT_EQ(VX_OK, VxFrameGetInterface(kTable, &owner, &kClassB, &kIfaceX, &out));
  EXPECT_EQ(reinterpret_cast<void*>(0x5678), out);
}

TEST(GetInterface, PairNotInTableIsNoInterfaceWithOutUntouched) {
  FakeOwner owner;
  void* out = reinterpret_cast<void*>(0x42);
  EXPECT_EQ(VX_E_NOINTERFACE, VxFrameGetInterface(kTable, &owner, &kClassA, &kIfaceZ, &out));
  EXPECT_EQ(VX_E_NOINTERFACE, VxFrameGetInterface(kTable, &owner, &kClassUnknown, &kIfaceX, &out));
  EXPECT_EQ(reinterpret_cast<void*>(0x42), out);
}

TEST(ClassInfo, AsksForCountPlusOneRecordsAndFillsThemInTableOrder) {
  FakeAllocator heap;
  VxClassInfoRecord* records = nullptr;
  ASSERT_EQ(VX_OK, VxFrameGetClassInfo(kTable, &heap, &records));
  EXPECT_EQ(1, heap.allocations);
  EXPECT_EQ(7u * 40u, heap.lastSize);  // 2 classes + 4 interfaces + terminator
  EXPECT_EQ(7u, VxClassInfoRecordCount(kTable));

  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(records);
  // First record: class A, version 1, the class-factory identifier, version 1.
  const uint8_t factory[16] = {1, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  EXPECT_EQ(0, std::memcmp(bytes + 0, &kClassA, 16));
  EXPECT_EQ(0, std::memcmp(bytes + 16, "\x01\0\0\0", 4));
  EXPECT_EQ(0, std::memcmp(bytes + 20, factory, 16));
  EXPECT_EQ(0, std::memcmp(bytes + 36, "\x01\0\0\0", 4));

  struct Expected {
    const VxGuid* clsid;
    uint32_t classVersion;
    const VxGuid* iid;
    uint32_t version;
  } expected[] = {
      {&kClassA, 1, &IID_IClassFactory, 1},
      {&kClassA, 1, &kIfaceX, 7},
      {&kClassA, 1, &kIfaceY, 8},
      {&kClassB, 0x070002C0, &IID_IClassFactory, 1},
      {&kClassB, 0x070002C0, &kIfaceZ, 0x02000002},
      {&kClassB, 0x070002C0, &kIfaceX, 3},
  };
  for (size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(VxGuidEqual(*expected[i].clsid, records[i].clsid));
    EXPECT_EQ(expected[i].classVersion, records[i].classVersion);
    EXPECT_TRUE(VxGuidEqual(*expected[i].iid, records[i].iid));
    EXPECT_EQ(expected[i].version, records[i].interfaceVersion);
  }
  const uint8_t zeros[40] = {};
  EXPECT_EQ(0, std::memcmp(bytes + 6 * 40, zeros, 40));
}

TEST(ClassInfo, AllocatorFailureIsOutOfMemoryWithOutUntouched) {
  FakeAllocator heap;
  heap.failNext = 1;
  VxClassInfoRecord* records = reinterpret_cast<VxClassInfoRecord*>(0x99);
  EXPECT_EQ(VX_E_OUTOFMEMORY, VxFrameGetClassInfo(kTable, &heap, &records));
  EXPECT_EQ(reinterpret_cast<VxClassInfoRecord*>(0x99), records);
}

TEST(Identifiers, EqualOnlyWhenAllFourWordsAreEqual) {
  VxGuid a = kClassA;
  EXPECT_TRUE(VxGuidEqual(a, kClassA));
  for (int byte = 0; byte < 16; ++byte) {
    VxGuid b = a;
    reinterpret_cast<uint8_t*>(&b)[byte] ^= 0x80;
    EXPECT_FALSE(VxGuidEqual(a, b)) << byte;
  }
}

}  // namespace
