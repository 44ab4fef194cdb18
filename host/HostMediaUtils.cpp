#include "host/HostMediaUtils.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vrixhost {
namespace {

std::vector<std::string>& Symbols() {
  static std::vector<std::string> symbols;
  return symbols;
}

int32_t g_liveValues = 0;

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

const char* TextOf(const VxValue& v) {
  return reinterpret_cast<const char*>(static_cast<uintptr_t>(v.data));
}

VxValue MakeFloat(double number) {
  VxValue v{kValueFloat, 0, 0};
  std::memcpy(&v.data, &number, sizeof number);
  return v;
}

double FloatOf(const VxValue& v) {
  double d;
  std::memcpy(&d, &v.data, sizeof d);
  return d;
}

VxValue MakeSymbol(VxSymbol s) {
  return VxValue{kValueSymbol, 0, s};
}

void CopyCut(const std::string& text, char* buffer, uint32_t size) {
  if (!size) return;
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

// Whole text as a decimal integer, spaces around allowed.
bool ParseInteger(const char* text, int32_t* out) {
  errno = 0;
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE || n < INT32_MIN || n > INT32_MAX) return false;
  while (*end == ' ') ++end;
  if (*end) return false;
  *out = static_cast<int32_t>(n);
  return true;
}

bool ParseFloat(const char* text, double* out) {
  char* end = nullptr;
  const double d = std::strtod(text, &end);
  if (end == text) return false;
  while (*end == ' ') ++end;
  if (*end) return false;
  *out = d;
  return true;
}

// --- media utilities
VxStatus VXAPI UtilsSymbolFromText(VxMediaUtils*, const char* text, VxSymbol* out) {
  if (!text || !out) return VX_E_INVALIDARG;
  *out = InternSymbol(text);
  return VX_OK;
}
VxStatus VXAPI UtilsTextFromSymbol(VxMediaUtils*, VxSymbol symbol, char* buffer, uint32_t size) {
  if (!buffer || !size) return VX_E_INVALIDARG;
  const std::string text = SymbolText(symbol);
  if (text.empty()) return VX_E_INVALIDARG;
  CopyCut(text, buffer, size);
  return VX_OK;
}
VxStatus VXAPI UtilsCreateList(VxMediaUtils*, VxMmList** out) {
  if (!out) return VX_E_INVALIDARG;
  *out = HostList::Create();
  return VX_OK;
}
VxStatus VXAPI UtilsShowMessage(VxMediaUtils* self, const char* text) {
  HostMediaUtils* u = static_cast<HostMediaUtils*>(self);
  if (!text) return VX_E_INVALIDARG;
  if (u->messages) u->messages->push_back(text);
  std::fprintf(stderr, "vrixhost: message: %s\n", text);
  return VX_OK;
}
const VxMediaUtilsOps kUtilsOps = {VRIXHOST_UNKNOWN(HostMediaUtils, VxMediaUtils, IID_VxMediaUtils),
                                   UtilsSymbolFromText, UtilsTextFromSymbol, UtilsCreateList,
                                   UtilsShowMessage};

// --- values
VxStatus VXAPI ValFromInteger(VxMmValue*, int32_t number, VxValue* out) {
  if (!out) return VX_E_INVALIDARG;
  *out = MakeInteger(number);
  return VX_OK;
}
VxStatus VXAPI ValToInteger(VxMmValue*, const VxValue* value, int32_t* out) {
  if (!value || !out) return VX_E_INVALIDARG;
  if (value->type != kValueInteger) return VX_E_MISMATCH;
  *out = static_cast<int32_t>(static_cast<uint32_t>(value->data));
  return VX_OK;
}
VxStatus VXAPI ValFromFloat(VxMmValue*, double number, VxValue* out) {
  if (!out) return VX_E_INVALIDARG;
  *out = MakeFloat(number);
  return VX_OK;
}
VxStatus VXAPI ValToFloat(VxMmValue*, const VxValue* value, double* out) {
  if (!value || !out) return VX_E_INVALIDARG;
  if (value->type == kValueFloat) {
    *out = FloatOf(*value);
  } else if (value->type == kValueInteger) {
    *out = static_cast<int32_t>(static_cast<uint32_t>(value->data));
  } else {
    return VX_E_MISMATCH;
  }
  return VX_OK;
}
VxStatus VXAPI ValFromText(VxMmValue*, const char* text, VxValue* out) {
  if (!text || !out) return VX_E_INVALIDARG;
  *out = MakeText(text);
  return VX_OK;
}
VxStatus VXAPI ValToText(VxMmValue*, const VxValue* value, char* buffer, uint32_t size) {
  if (!value || !buffer || !size) return VX_E_INVALIDARG;
  std::string text;
  if (!ValueText(*value, &text)) return VX_E_MISMATCH;
  CopyCut(text, buffer, size);
  return VX_OK;
}
VxStatus VXAPI ValFromSymbol(VxMmValue*, VxSymbol symbol, VxValue* out) {
  if (!out) return VX_E_INVALIDARG;
  *out = MakeSymbol(symbol);
  return VX_OK;
}
VxStatus VXAPI ValToSymbol(VxMmValue*, const VxValue* value, VxSymbol* out) {
  if (!value || !out) return VX_E_INVALIDARG;
  if (value->type != kValueSymbol) return VX_E_MISMATCH;
  *out = static_cast<VxSymbol>(value->data);
  return VX_OK;
}
VxStatus VXAPI ValRelease(VxMmValue*, VxValue* value) {
  if (!value) return VX_E_INVALIDARG;
  ReleaseHostValue(value);
  return VX_OK;
}
const VxMmValueOps kValueOps = {VRIXHOST_UNKNOWN(HostValues, VxMmValue, IID_VxMmValue),
                                ValFromInteger,
                                ValToInteger,
                                ValFromFloat,
                                ValToFloat,
                                ValFromText,
                                ValToText,
                                ValFromSymbol,
                                ValToSymbol,
                                ValRelease};

VxStatus VXAPI CoerceOp(VxMmValueCoercion*, const VxValue* value, VxSymbol kind, VxValue* out) {
  if (!value || !out) return VX_E_INVALIDARG;
  return CoerceHostValue(*value, kind, out);
}
const VxMmValueCoercionOps kCoercionOps = {
    VRIXHOST_UNKNOWN(HostCoercion, VxMmValueCoercion, IID_VxMmValueCoercion), CoerceOp};

// --- lists
bool ValuesEqual(const VxValue& a, const VxValue& b) {
  std::string ta, tb;
  if (ValueText(a, &ta) && ValueText(b, &tb)) return ta == tb;
  return a.type == b.type && a.data == b.data;
}

VxStatus ListQuery(HostList* list, const VxGuid* iid, void** out) {
  if (!out) return VX_E_INVALIDARG;
  *out = nullptr;
  if (!iid) return VX_E_INVALIDARG;
  if (VxGuidEqual(*iid, IID_VxMmList) || VxGuidEqual(*iid, IID_IUnknown)) {
    *out = static_cast<VxMmList*>(list);
  } else if (VxGuidEqual(*iid, IID_VxMmLinearList)) {
    *out = &list->linear;
  } else {
    return VX_E_NOINTERFACE;
  }
  ++list->refs;
  return VX_OK;
}
uint32_t ListRelease(HostList* list) {
  const uint32_t n = --list->refs;
  if (n == 0) delete list;
  return n;
}

VxStatus VXAPI ListQueryOp(VxMmList* self, const VxGuid* iid, void** out) {
  return ListQuery(static_cast<HostList*>(self), iid, out);
}
uint32_t VXAPI ListAddRefOp(VxMmList* self) {
  return ++static_cast<HostList*>(self)->refs;
}
uint32_t VXAPI ListReleaseOp(VxMmList* self) {
  return ListRelease(static_cast<HostList*>(self));
}

bool IntegerArgument(const VxValue* args, uint32_t count, int32_t* out) {
  if (count < 1 || args[0].type != kValueInteger) return false;
  *out = static_cast<int32_t>(static_cast<uint32_t>(args[0].data));
  return true;
}

VxStatus VXAPI ListCall(VxMmList* self, VxSymbol operation, const VxValue* args, uint32_t count,
                        VxValue* result) {
  HostList* list = static_cast<HostList*>(self);
  if (!result || (count && !args)) return VX_E_INVALIDARG;
  *result = VxValue{kValueVoid, 0, 0};
  const std::string op = SymbolText(operation);
  const int32_t size = static_cast<int32_t>(list->entries.size());
  int32_t position = 0;
  if (SameText(op, "count")) {
    *result = MakeInteger(size);
  } else if (SameText(op, "append")) {
    if (count < 1) return VX_E_INVALIDARG;
    list->entries.push_back(CopyHostValue(args[0]));
  } else if (SameText(op, "getAt")) {
    if (!IntegerArgument(args, count, &position)) return VX_E_MISMATCH;
    if (position < 1 || position > size) return VX_E_INVALIDARG;
    *result = CopyHostValue(list->entries[position - 1]);
  } else if (SameText(op, "deleteAt")) {
    if (!IntegerArgument(args, count, &position)) return VX_E_MISMATCH;
    if (position < 1 || position > size) return VX_E_INVALIDARG;
    ReleaseHostValue(&list->entries[position - 1]);
    list->entries.erase(list->entries.begin() + (position - 1));
  } else if (SameText(op, "getPos")) {
    if (count < 1) return VX_E_INVALIDARG;
    int32_t found = 0;
    for (int32_t i = 0; i < size && !found; ++i)
      if (ValuesEqual(list->entries[i], args[0])) found = i + 1;
    *result = MakeInteger(found);
  } else {
    return VX_E_NOCLASS;  // no such operation
  }
  return VX_OK;
}
const VxMmListOps kListOps = {ListQueryOp, ListAddRefOp, ListReleaseOp, ListCall};

HostList* Owner(VxMmLinearList* face) {
  return HostList::FromLinear(face);
}
VxStatus VXAPI LinQueryOp(VxMmLinearList* self, const VxGuid* iid, void** out) {
  return ListQuery(Owner(self), iid, out);
}
uint32_t VXAPI LinAddRefOp(VxMmLinearList* self) {
  return ++Owner(self)->refs;
}
uint32_t VXAPI LinReleaseOp(VxMmLinearList* self) {
  return ListRelease(Owner(self));
}
VxStatus VXAPI LinCount(VxMmLinearList* self, int32_t* count) {
  if (!count) return VX_E_INVALIDARG;
  *count = static_cast<int32_t>(Owner(self)->entries.size());
  return VX_OK;
}
VxStatus VXAPI LinGetAt(VxMmLinearList* self, int32_t position, VxValue* out) {
  HostList* list = Owner(self);
  if (!out) return VX_E_INVALIDARG;
  if (position < 1 || position > static_cast<int32_t>(list->entries.size())) return VX_E_INVALIDARG;
  *out = CopyHostValue(list->entries[position - 1]);
  return VX_OK;
}
VxStatus VXAPI LinAppend(VxMmLinearList* self, const VxValue* value) {
  if (!value) return VX_E_INVALIDARG;
  Owner(self)->entries.push_back(CopyHostValue(*value));
  return VX_OK;
}
const VxMmLinearListOps kLinearOps = {LinQueryOp, LinAddRefOp, LinReleaseOp,
                                      LinCount,   LinGetAt,    LinAppend};

// --- help
VxStatus VXAPI HelpShowTopic(VxHelpService* self, int32_t topic) {
  HostHelpService* h = static_cast<HostHelpService*>(self);
  if (h->topics) h->topics->push_back(topic);
  if (h->print) std::printf("help: topic %d\n", static_cast<int>(topic));
  return VX_OK;
}
const VxHelpServiceOps kHelpOps = {
    VRIXHOST_UNKNOWN(HostHelpService, VxHelpService, IID_VxHelpService), HelpShowTopic};

}  // namespace

VxSymbol InternSymbol(const std::string& text) {
  std::vector<std::string>& s = Symbols();
  for (size_t i = 0; i < s.size(); ++i)
    if (SameText(s[i], text)) return static_cast<VxSymbol>(i + 1);
  s.push_back(text);
  return static_cast<VxSymbol>(s.size());
}

std::string SymbolText(VxSymbol symbol) {
  const std::vector<std::string>& s = Symbols();
  return symbol >= 1 && symbol <= s.size() ? s[symbol - 1] : std::string();
}

int32_t LiveHostValues() {
  return g_liveValues;
}

VxValue MakeInteger(int32_t number) {
  return VxValue{kValueInteger, 0, static_cast<uint32_t>(number)};
}

VxValue MakeText(const std::string& text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  ++g_liveValues;
  return VxValue{kValueText, 0, reinterpret_cast<uintptr_t>(copy)};
}

void ReleaseHostValue(VxValue* value) {
  if (value->type == kValueText) {
    delete[] reinterpret_cast<char*>(static_cast<uintptr_t>(value->data));
    --g_liveValues;
  } else if (value->type == kValueList) {
    VxMmList* list = reinterpret_cast<VxMmList*>(static_cast<uintptr_t>(value->data));
    list->ops->Release(list);
    --g_liveValues;
  }
  *value = VxValue{kValueVoid, 0, 0};
}

VxValue CopyHostValue(const VxValue& value) {
  if (value.type == kValueText) return MakeText(TextOf(value));
  if (value.type == kValueList) {
    VxMmList* list = reinterpret_cast<VxMmList*>(static_cast<uintptr_t>(value.data));
    list->ops->AddRef(list);
    ++g_liveValues;
  }
  return value;
}

bool ValueText(const VxValue& value, std::string* text) {
  if (value.type != kValueText) return false;
  *text = TextOf(value);
  return true;
}

VxStatus CoerceHostValue(const VxValue& value, VxSymbol kind, VxValue* out) {
  const std::string k = SymbolText(kind);
  *out = VxValue{kValueVoid, 0, 0};
  if (SameText(k, "Value")) {
    *out = CopyHostValue(value);
    return VX_OK;
  }
  if (SameText(k, "Integer")) {
    int32_t n = 0;
    if (value.type == kValueInteger) {
      *out = value;
    } else if (value.type == kValueText && ParseInteger(TextOf(value), &n)) {
      *out = MakeInteger(n);
    } else {
      return VX_E_MISMATCH;
    }
    return VX_OK;
  }
  if (SameText(k, "Float")) {
    double d = 0;
    if (value.type == kValueFloat) {
      *out = value;
    } else if (value.type == kValueInteger) {
      *out = MakeFloat(static_cast<int32_t>(static_cast<uint32_t>(value.data)));
    } else if (value.type == kValueText && ParseFloat(TextOf(value), &d)) {
      *out = MakeFloat(d);
    } else {
      return VX_E_MISMATCH;
    }
    return VX_OK;
  }
  if (SameText(k, "String")) {
    char text[64];
    if (value.type == kValueText) {
      *out = CopyHostValue(value);
    } else if (value.type == kValueInteger) {
      std::snprintf(text, sizeof text, "%d",
                    static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(value.data))));
      *out = MakeText(text);
    } else if (value.type == kValueFloat) {
      std::snprintf(text, sizeof text, "%g", FloatOf(value));
      *out = MakeText(text);
    } else if (value.type == kValueSymbol) {
      *out = MakeText(SymbolText(static_cast<VxSymbol>(value.data)));
    } else {
      return VX_E_MISMATCH;
    }
    return VX_OK;
  }
  return VX_E_INVALIDARG;
}

HostMediaUtils::HostMediaUtils(std::vector<std::string>* m) : messages(m) {
  ops = &kUtilsOps;
  CountHostObject(+1);
}
HostMediaUtils::~HostMediaUtils() {
  CountHostObject(-1);
}
HostMediaUtils* HostMediaUtils::Create(std::vector<std::string>* messages) {
  return new HostMediaUtils(messages);
}

HostValues::HostValues() {
  ops = &kValueOps;
  CountHostObject(+1);
}
HostValues::~HostValues() {
  CountHostObject(-1);
}
HostValues* HostValues::Create() {
  return new HostValues();
}

HostCoercion::HostCoercion() {
  ops = &kCoercionOps;
  CountHostObject(+1);
}
HostCoercion::~HostCoercion() {
  CountHostObject(-1);
}
HostCoercion* HostCoercion::Create() {
  return new HostCoercion();
}

HostList::HostList() {
  ops = &kListOps;
  linear.ops = &kLinearOps;
  linear.owner = this;
  CountHostObject(+1);
}
HostList::~HostList() {
  for (VxValue& v : entries) ReleaseHostValue(&v);
  CountHostObject(-1);
}
HostList* HostList::Create() {
  return new HostList();
}
HostList* HostList::FromLinear(VxMmLinearList* face) {
  return static_cast<LinearFace*>(face)->owner;
}

HostHelpService::HostHelpService(std::vector<int32_t>* t, bool p) : topics(t), print(p) {
  ops = &kHelpOps;
  CountHostObject(+1);
}
HostHelpService::~HostHelpService() {
  CountHostObject(-1);
}
HostHelpService* HostHelpService::Create(std::vector<int32_t>* topics, bool print) {
  return new HostHelpService(topics, print);
}

}  // namespace vrixhost
