#include "host/HostValue.h"

#include <cstring>
#include <map>
#include <new>
#include <vector>

namespace vrixhost {
namespace {

struct SymbolTable {
  std::map<std::string, VxSymbol> byText;
  std::vector<std::string> texts;  // symbol n is texts[n - 1]
};

SymbolTable& Symbols() {
  static SymbolTable table;
  return table;
}

int32_t g_liveTexts = 0;

const char* TextOf(const VxValue& value) {
  return reinterpret_cast<const char*>(static_cast<uintptr_t>(value.data));
}

}  // namespace

VxSymbol InternSymbol(const std::string& text) {
  SymbolTable& t = Symbols();
  auto it = t.byText.find(text);
  if (it != t.byText.end()) return it->second;
  t.texts.push_back(text);
  const VxSymbol symbol = static_cast<VxSymbol>(t.texts.size());
  t.byText.emplace(text, symbol);
  return symbol;
}

std::string SymbolText(VxSymbol symbol) {
  const SymbolTable& t = Symbols();
  if (symbol == 0 || symbol > t.texts.size()) return std::string();
  return t.texts[symbol - 1];
}

void MakeIntegerValue(int32_t number, VxValue* out) {
  out->type = kValueInteger;
  out->reserved = 0;
  out->data = static_cast<uint32_t>(number);
}

void MakeSymbolValue(VxSymbol symbol, VxValue* out) {
  out->type = kValueSymbol;
  out->reserved = 0;
  out->data = symbol;
}

bool MakeTextValue(const std::string& text, VxValue* out) {
  out->type = kValueNone;
  out->reserved = 0;
  out->data = 0;
  char* copy = new (std::nothrow) char[text.size() + 1];
  if (!copy) return false;
  std::memcpy(copy, text.c_str(), text.size() + 1);
  out->type = kValueText;
  out->data = reinterpret_cast<uintptr_t>(copy);
  ++g_liveTexts;
  return true;
}

void ReleaseHostValue(VxValue* value) {
  if (value->type == kValueText && value->data) {
    delete[] TextOf(*value);
    --g_liveTexts;
  }
  value->type = kValueNone;
  value->data = 0;
}

bool ValueInteger(const VxValue& value, int32_t* out) {
  if (value.type != kValueInteger) return false;
  *out = static_cast<int32_t>(static_cast<uint32_t>(value.data));
  return true;
}

bool ValueSymbol(const VxValue& value, VxSymbol* out) {
  if (value.type != kValueSymbol) return false;
  *out = static_cast<VxSymbol>(value.data);
  return true;
}

bool ValueText(const VxValue& value, std::string* out) {
  if (value.type != kValueText || !value.data) return false;
  *out = TextOf(value);
  return true;
}

int32_t LiveTextValues() {
  return g_liveTexts;
}

}  // namespace vrixhost
