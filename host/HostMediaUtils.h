// The stand-in's media utilities: symbols named by text, values (void,
// integer, float, text, symbol, list), conversions between their kinds, and
// lists driven by named operations. Also the help service, which only
// records the topics it was asked to show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostObject.h"

namespace vrixhost {

// Kinds of the stand-in's values (the first word of a VxValue).
enum : uint32_t {
  kValueVoid = 0,
  kValueInteger = 1,
  kValueFloat = 2,
  kValueText = 3,  // data: a new[] copy of the text, owned by the value
  kValueSymbol = 4,
  kValueList = 5,  // data: a VxMmList*, one reference owned by the value
};

// Symbols are shared by every object of the process; the same text (without
// regard to case) always gives the same symbol.
VxSymbol InternSymbol(const std::string& text);
std::string SymbolText(VxSymbol symbol);  // empty for an unknown symbol

// Values that hold memory (texts and lists) and have not been released.
int32_t LiveHostValues();

// Helpers over the same representation, for the builder and the tests.
VxValue MakeInteger(int32_t number);
VxValue MakeText(const std::string& text);
void ReleaseHostValue(VxValue* value);
VxValue CopyHostValue(const VxValue& value);
bool ValueText(const VxValue& value, std::string* text);  // false unless a text
// The value as the kind named: "Integer", "Float", "String" or "Value".
// VX_E_MISMATCH when it does not convert, VX_E_INVALIDARG for another kind.
VxStatus CoerceHostValue(const VxValue& value, VxSymbol kind, VxValue* out);

struct HostMediaUtils : VxMediaUtils {
  static HostMediaUtils* Create(std::vector<std::string>* messages);  // messages: not owned
  uint32_t refs = 1;
  std::vector<std::string>* messages;

 private:
  explicit HostMediaUtils(std::vector<std::string>* messages);
  ~HostMediaUtils();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

struct HostValues : VxMmValue {
  static HostValues* Create();
  uint32_t refs = 1;

 private:
  HostValues();
  ~HostValues();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

struct HostCoercion : VxMmValueCoercion {
  static HostCoercion* Create();
  uint32_t refs = 1;

 private:
  HostCoercion();
  ~HostCoercion();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

// A list of values. It answers IID_VxMmList and IID_VxMmLinearList; both
// faces share one reference count.
struct HostList : VxMmList {
  static HostList* Create();
  struct LinearFace : VxMmLinearList {
    HostList* owner;
  } linear;
  uint32_t refs = 1;
  std::vector<VxValue> entries;

  static HostList* FromLinear(VxMmLinearList* face);
  ~HostList();

 private:
  HostList();
};

struct HostHelpService : VxHelpService {
  // topics: where each asked-for topic is recorded (not owned); print: also
  // say so on standard output.
  static HostHelpService* Create(std::vector<int32_t>* topics, bool print);
  uint32_t refs = 1;
  std::vector<int32_t>* topics;
  bool print;

 private:
  HostHelpService(std::vector<int32_t>* topics, bool print);
  ~HostHelpService();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

}  // namespace vrixhost
