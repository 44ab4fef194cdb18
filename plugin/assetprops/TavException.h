// Kinetra's exceptions. Every operation the host calls catches them and
// turns them into a status or a message box; none crosses into the host.
#pragma once

#include <cstdint>

#include "plugin/frame/VrixHost.h"

class CTavException {
 public:
  static constexpr uint32_t kContextSize = 32;
  static constexpr uint32_t kTextSize = 256;

  // Texts are cut to their fields (the context to 31 characters, each text to
  // 255); null is the empty text.
  CTavException(VxStatus status, const char* context, const char* text = nullptr,
                const char* detail = nullptr, int32_t value1 = 0, int32_t value2 = 0);
  virtual ~CTavException();

  // The class's name, as the exception name pool knows it.
  virtual const char* KindName() const;

  VxStatus status() const { return status_; }
  const char* context() const { return context_; }
  const char* text() const { return text_; }
  const char* detail() const { return detail_; }
  int32_t value1() const { return value1_; }
  int32_t value2() const { return value2_; }
  // A suppressed exception still ends the operation but is not shown.
  bool suppressed() const { return suppress_; }
  void Suppress(bool on = true) { suppress_ = on; }

 private:
  VxStatus status_;
  char context_[kContextSize];
  char text_[kTextSize];
  char detail_[kTextSize];
  int32_t value1_;
  int32_t value2_;
  bool suppress_ = false;
};

#define TAV_EXCEPTION_KIND(Name)                                               \
  class Name : public CTavException {                                          \
   public:                                                                     \
    Name(VxStatus status, const char* context, const char* text = nullptr,     \
         const char* detail = nullptr, int32_t value1 = 0, int32_t value2 = 0) \
        : CTavException(status, context, text, detail, value1, value2) {}      \
    const char* KindName() const override { return #Name; }                    \
  }

TAV_EXCEPTION_KIND(CTavBadException);
TAV_EXCEPTION_KIND(CTavInvalidArgument);
TAV_EXCEPTION_KIND(CTavLogicError);
TAV_EXCEPTION_KIND(CTavMmValueMismatch);
TAV_EXCEPTION_KIND(CTavOutOfRange);
TAV_EXCEPTION_KIND(CTavRuntimeError);
TAV_EXCEPTION_KIND(CTavUnImplemented);

#undef TAV_EXCEPTION_KIND

// The texts of the two failures every host interface can meet.
constexpr const char kTavInterfaceMissing[] = "Interface Missing!";
constexpr const char kTavNotInitialized[] = "Not Initialized";

// CTavBadException, status VX_E_INTERFACEMISSING, context "Interface
// Missing!"; `what` names the interface in the first text.
[[noreturn]] void TavThrowInterfaceMissing(const char* what = nullptr);
// CTavBadException, status VX_E_INTERFACEMISSING, context "Not Initialized".
[[noreturn]] void TavThrowNotInitialized(const char* what = nullptr);
// Throws CTavRuntimeError with the status when it is not 0.
void TavCheck(VxStatus status, const char* context);
