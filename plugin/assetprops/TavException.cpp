#include "plugin/assetprops/TavException.h"

#include <cstring>

namespace {
void CopyCut(char* field, uint32_t size, const char* text) {
  field[0] = '\0';
  if (!text) return;
  std::strncpy(field, text, size - 1);
  field[size - 1] = '\0';
}
}  // namespace

CTavException::CTavException(VxStatus status, const char* context, const char* text,
                             const char* detail, int32_t value1, int32_t value2)
    : status_(status), value1_(value1), value2_(value2) {
  CopyCut(context_, kContextSize, context);
  CopyCut(text_, kTextSize, text);
  CopyCut(detail_, kTextSize, detail);
}

CTavException::~CTavException() = default;

const char* CTavException::KindName() const {
  return "CTavException";
}

void TavThrowInterfaceMissing(const char* what) {
  throw CTavBadException(VX_E_INTERFACEMISSING, kTavInterfaceMissing, what);
}

void TavThrowNotInitialized(const char* what) {
  throw CTavBadException(VX_E_INTERFACEMISSING, kTavNotInitialized, what);
}

void TavCheck(VxStatus status, const char* context) {
  if (status != VX_OK) throw CTavRuntimeError(status, context);
}
