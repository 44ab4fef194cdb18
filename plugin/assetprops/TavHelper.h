// Holders of host interfaces: a holder acquires its interface when it is
// made and releases it when it goes, and throws CTavBadException
// ("Interface Missing!") when the host has no such interface.
#pragma once

#include <utility>

#include "plugin/assetprops/TavException.h"
#include "plugin/frame/VrixHost.h"

// Which host class and interface identifier each holder asks for.
template <class I>
struct TavInterfaceOf;

#define TAV_INTERFACE_OF(Iface, clsid, iid)            \
  template <>                                          \
  struct TavInterfaceOf<Iface> {                       \
    static const VxGuid& ClassId() { return clsid; }   \
    static const VxGuid& InterfaceId() { return iid; } \
    static const char* Name() { return #Iface; }       \
  }

TAV_INTERFACE_OF(VxMediaUtils, CLSID_VxMediaUtils, IID_VxMediaUtils);
TAV_INTERFACE_OF(VxMmValue, CLSID_VxMediaUtils, IID_VxMmValue);
TAV_INTERFACE_OF(VxMmValueCoercion, CLSID_VxMediaUtils, IID_VxMmValueCoercion);
// Lists are made by the media utilities (CreateList); a linear list is the
// same list asked for IID_VxMmLinearList.
TAV_INTERFACE_OF(VxMmList, CLSID_VxMediaUtils, IID_VxMmList);
TAV_INTERFACE_OF(VxMmLinearList, CLSID_VxMediaUtils, IID_VxMmLinearList);
// The asset hands out its player (VxAsset::GetPlayer).
TAV_INTERFACE_OF(VxPlayer, IID_VxPlayer, IID_VxPlayer);
TAV_INTERFACE_OF(VxHelpService, CLSID_VxHelpService, IID_VxHelpService);
TAV_INTERFACE_OF(ZepDialogBuilder, CLSID_ZepDialogBuilder, IID_ZepDialogBuilder);
TAV_INTERFACE_OF(ZepCommonFile, CLSID_ZepCommonFile, IID_ZepCommonFile);

#undef TAV_INTERFACE_OF

template <class I>
class ITavHelper {
 public:
  // A new object of the interface's host class, made by the host callback.
  // A null host throws "Not Initialized"; a refusal throws "Interface
  // Missing!".
  explicit ITavHelper(VxHostCallback* host) {
    if (!host) TavThrowNotInitialized(TavInterfaceOf<I>::Name());
    void* out = nullptr;
    if (host->ops->CreateObject(host, &TavInterfaceOf<I>::ClassId(),
                                &TavInterfaceOf<I>::InterfaceId(), &out) != VX_OK ||
        !out)
      TavThrowInterfaceMissing(TavInterfaceOf<I>::Name());
    iface_ = static_cast<I*>(out);
  }

  // The interface asked of another interface through query-interface.
  template <class Other>
  static ITavHelper From(Other* other) {
    if (!other) TavThrowNotInitialized(TavInterfaceOf<I>::Name());
    void* out = nullptr;
    if (other->ops->QueryInterface(other, &TavInterfaceOf<I>::InterfaceId(), &out) != VX_OK || !out)
      TavThrowInterfaceMissing(TavInterfaceOf<I>::Name());
    return Adopt(static_cast<I*>(out));
  }

  // Takes over a reference the caller already holds; null throws "Interface
  // Missing!".
  static ITavHelper Adopt(I* iface) {
    if (!iface) TavThrowInterfaceMissing(TavInterfaceOf<I>::Name());
    ITavHelper h;
    h.iface_ = iface;
    return h;
  }

  ~ITavHelper() { Reset(); }
  ITavHelper(ITavHelper&& other) noexcept : iface_(std::exchange(other.iface_, nullptr)) {}
  ITavHelper& operator=(ITavHelper&& other) noexcept {
    if (this != &other) {
      Reset();
      iface_ = std::exchange(other.iface_, nullptr);
    }
    return *this;
  }
  ITavHelper(const ITavHelper&) = delete;
  ITavHelper& operator=(const ITavHelper&) = delete;

  I* operator->() const { return Checked(); }
  I* get() const { return iface_; }
  explicit operator bool() const { return iface_ != nullptr; }
  // Hands the reference to the caller.
  I* Detach() { return std::exchange(iface_, nullptr); }

  void Reset() {
    if (iface_) iface_->ops->Release(iface_);
    iface_ = nullptr;
  }

 private:
  ITavHelper() = default;
  I* Checked() const {
    if (!iface_) TavThrowNotInitialized(TavInterfaceOf<I>::Name());
    return iface_;
  }
  I* iface_ = nullptr;
};

typedef ITavHelper<VxMediaUtils> ITavMmUtils;
typedef ITavHelper<VxMmValue> ITavMmValue;
typedef ITavHelper<VxMmValueCoercion> ITavMmValueCoercion;
typedef ITavHelper<VxMmList> ITavMmList;
typedef ITavHelper<VxMmLinearList> ITavMmLinearList;
typedef ITavHelper<VxPlayer> ITavVxPlayer;
