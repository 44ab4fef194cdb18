#include "plugin/frame/InterfaceObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "plugin/frame/tests/FakeOwner.h"

namespace {

// An interface object with fields of its own after the header.
struct Widget;
struct WidgetOps {
  VX_UNKNOWN_OPS(Widget);
};
struct Widget {
  const WidgetOps* ops;
  VxInstance* owner;
  uint32_t refCount;
  uint32_t kept;    // not cleared
  uint32_t own[3];  // cleared at creation
};

extern const WidgetOps kWidgetOps;
const WidgetOps kWidgetOps = {VX_UNKNOWN_ENTRIES(Widget, kWidgetOps)};

VxStatus MakeWidget(FakeOwner& owner, Widget** out) {
  void* object = nullptr;
  VxStatus status = VxCreateInterfaceObject(&owner, sizeof(Widget), &kWidgetOps,
                                            offsetof(Widget, own), sizeof(Widget::own), &object);
  *out = static_cast<Widget*>(object);
  return status;
}

TEST(InterfaceObject, CreationSetsHeaderAddsTwoOwnerReferencesAndClearsOwnFields) {
  FakeOwner owner;
  const int32_t before = VxLiveObjectCount();
  Widget* w = nullptr;
  ASSERT_EQ(VX_OK, MakeWidget(owner, &w));
  ASSERT_NE(nullptr, w);
  EXPECT_EQ(sizeof(Widget), owner.heap.lastSize);
  EXPECT_EQ(&kWidgetOps, w->ops);
  EXPECT_EQ(&owner, w->owner);
  EXPECT_EQ(1u, w->refCount);
  EXPECT_EQ(0u, w->own[0] | w->own[1] | w->own[2]);
  EXPECT_EQ(2, owner.addRefs);
  EXPECT_EQ(0, owner.releases);
  EXPECT_EQ(before + 1, VxLiveObjectCount());
  EXPECT_EQ(VX_E_LIVEOBJECTS, VxFrameCanUnloadNow());
  EXPECT_EQ(0u, w->ops->Release(w));
  EXPECT_EQ(before, VxLiveObjectCount());
}

TEST(InterfaceObject, CreateAddRefReleaseReleaseBalancesTheOwner) {
  FakeOwner owner;
  Widget* w = nullptr;
  ASSERT_EQ(VX_OK, MakeWidget(owner, &w));
  EXPECT_EQ(2u, w->ops->AddRef(w));
  EXPECT_EQ(1u, w->ops->Release(w));
  EXPECT_EQ(1u, owner.heap.live.size());  // still alive
  EXPECT_EQ(0u, w->ops->Release(w));
  EXPECT_EQ(3, owner.addRefs);
  EXPECT_EQ(3, owner.releases);
  EXPECT_TRUE(owner.heap.live.empty());
  EXPECT_EQ(0, VxLiveObjectCount());
  EXPECT_EQ(VX_OK, VxFrameCanUnloadNow());
}

TEST(InterfaceObject, QueryInterfaceGoesToTheOwner) {
  FakeOwner owner;
  Widget* w = nullptr;
  ASSERT_EQ(VX_OK, MakeWidget(owner, &w));
  void* out = nullptr;
  EXPECT_EQ(VX_OK, w->ops->QueryInterface(w, &IID_VxDictionary, &out));
  EXPECT_EQ(1, owner.queries);
  EXPECT_EQ(static_cast<void*>(&owner), out);
  w->ops->Release(w);
}

int g_handlerCalls = 0;
FakeOwner* g_handlerOwner = nullptr;
void HandlerThatFreesMemory() {
  ++g_handlerCalls;
  // Pretend memory was found: the retry succeeds.
  g_handlerOwner->heap.failNext = 0;
}
void HandlerThatThrows() {
  ++g_handlerCalls;
  throw std::bad_alloc();
}

TEST(InterfaceObject, AllocationFailureRetriesOnceAfterTheNewHandler) {
  FakeOwner owner;
  g_handlerOwner = &owner;
  g_handlerCalls = 0;
  owner.heap.failNext = 1;
  std::new_handler previous = std::set_new_handler(HandlerThatFreesMemory);
  Widget* w = nullptr;
  EXPECT_EQ(VX_OK, MakeWidget(owner, &w));
  std::set_new_handler(previous);
  EXPECT_EQ(1, g_handlerCalls);
  EXPECT_EQ(2, owner.heap.allocations);
  ASSERT_NE(nullptr, w);
  w->ops->Release(w);
}

void HandlerThatFindsNothing() {
  ++g_handlerCalls;
}

TEST(InterfaceObject, AllocationFailureWithoutRescueTouchesNothing) {
  struct Case {
    std::new_handler handler;
    int handlerCalls;
    int allocations;
  } cases[] = {{nullptr, 0, 1}, {HandlerThatThrows, 1, 1}, {HandlerThatFindsNothing, 1, 2}};
  for (const Case& c : cases) {
    FakeOwner owner;
    g_handlerCalls = 0;
    owner.heap.failNext = 1000;
    std::new_handler previous = std::set_new_handler(c.handler);
    void* out = reinterpret_cast<void*>(0x77);
    const int32_t before = VxLiveObjectCount();
    VxStatus status = VxCreateInterfaceObject(&owner, sizeof(Widget), &kWidgetOps, 0, 0, &out);
    std::set_new_handler(previous);
    EXPECT_EQ(VX_E_OUTOFMEMORY, status);
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(c.handlerCalls, g_handlerCalls);
    EXPECT_EQ(c.allocations, owner.heap.allocations);
    EXPECT_EQ(0, owner.addRefs);
    EXPECT_EQ(before, VxLiveObjectCount());
    EXPECT_TRUE(owner.heap.live.empty());
  }
}

TEST(InterfaceObject, ObjectSmallerThanTheHeaderIsRefused) {
  FakeOwner owner;
  void* out = nullptr;
  EXPECT_EQ(VX_E_INVALIDARG, VxCreateInterfaceObject(&owner, 8, &kWidgetOps, 0, 0, &out));
  EXPECT_EQ(VX_E_INVALIDARG,
            VxCreateInterfaceObject(&owner, sizeof(Widget), &kWidgetOps, 20, 100, &out));
  EXPECT_EQ(0, owner.heap.allocations);
}

}  // namespace

// An object that lets go of what it holds at its last release: called once,
// while its memory is still there and before the owner's releases.
struct Holder;
struct HolderOps {
  VX_UNKNOWN_OPS(Holder);
};
struct Holder {
  const HolderOps* ops;
  VxInstance* owner;
  uint32_t refCount;
  int* held;  // set by the test; the last release clears what it points at
};

struct LastReleaseSeen {
  int calls = 0;
  int ownerReleasesBefore = -1;
  size_t liveBlocksBefore = 0;
};
LastReleaseSeen g_lastRelease;

void LetGo(VxInterfaceObject* object) {
  Holder* h = reinterpret_cast<Holder*>(object);
  FakeOwner* owner = static_cast<FakeOwner*>(h->owner);
  ++g_lastRelease.calls;
  g_lastRelease.ownerReleasesBefore = owner->releases;
  g_lastRelease.liveBlocksBefore = owner->heap.live.size();
  *h->held = 0;
}

extern const HolderOps kHolderOps;
const HolderOps kHolderOps = {VX_UNKNOWN_ENTRIES_FREEING(Holder, kHolderOps, LetGo)};

TEST(InterfaceObject, LastReleaseLetsTheObjectFreeWhatItHoldsFirst) {
  FakeOwner owner;
  g_lastRelease = LastReleaseSeen();
  void* object = nullptr;
  ASSERT_EQ(VX_OK, VxCreateInterfaceObject(&owner, sizeof(Holder), &kHolderOps,
                                           offsetof(Holder, held), sizeof(int*), &object));
  Holder* h = static_cast<Holder*>(object);
  int resource = 1;
  h->held = &resource;
  EXPECT_EQ(2u, h->ops->AddRef(h));
  EXPECT_EQ(1u, h->ops->Release(h));
  EXPECT_EQ(0, g_lastRelease.calls);  // not yet: a reference is left
  EXPECT_EQ(1, resource);
  EXPECT_EQ(0u, h->ops->Release(h));
  EXPECT_EQ(1, g_lastRelease.calls);
  EXPECT_EQ(0, resource);
  EXPECT_EQ(1, g_lastRelease.ownerReleasesBefore);  // only the first release's
  EXPECT_EQ(1u, g_lastRelease.liveBlocksBefore);    // the object was still there
  EXPECT_TRUE(owner.heap.live.empty());
  EXPECT_EQ(3, owner.releases);
  EXPECT_EQ(VX_OK, VxFrameCanUnloadNow());
}
