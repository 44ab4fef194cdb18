// The stand-in's values and symbols, shared by its media utilities and its
// assets. A symbol is a small number standing for an interned text; a value
// holds an integer, a symbol or a text of its own. OS-free.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/frame/VrixHost.h"

namespace vrixhost {

enum : uint32_t {
  kValueNone = 0,
  kValueInteger = 1,  // data: the int32 (as uint32)
  kValueSymbol = 2,   // data: the symbol
  kValueText = 3,     // data: a char[] of the value's own, freed by ReleaseHostValue
};

// The symbol of `text` (the same text always gives the same symbol, never 0).
VxSymbol InternSymbol(const std::string& text);
// The text of a symbol, or "" for one never made.
std::string SymbolText(VxSymbol symbol);

void MakeIntegerValue(int32_t number, VxValue* out);
void MakeSymbolValue(VxSymbol symbol, VxValue* out);
// False when memory for the text cannot be had (the value is then none).
bool MakeTextValue(const std::string& text, VxValue* out);
// Frees a text value's text; the value becomes none.
void ReleaseHostValue(VxValue* value);

bool ValueInteger(const VxValue& value, int32_t* out);
bool ValueSymbol(const VxValue& value, VxSymbol* out);
bool ValueText(const VxValue& value, std::string* out);

// Live text values (leak checks in tests).
int32_t LiveTextValues();

}  // namespace vrixhost
