#include "host/DictionaryFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vrixhost {
namespace {

const char kHeader[] = "# vrixhost dictionary: KEY TYPE VALUE a line\n";

const char* TypeName(uint32_t type) {
  switch (type) {
    case VX_DICT_INT32:
      return "int";
    case VX_DICT_BOOL:
      return "bool";
    case VX_DICT_BYTES:
      return "bytes";
    case VX_DICT_TEXT:
      return "text";
    default:
      return nullptr;
  }
}

void AppendValue(const std::string& key, const DictionaryValue& v, std::string* out) {
  const char* type = TypeName(v.type);
  if (!type) return;  // SaveDictionaryFile refuses such values
  *out += key + " " + type;
  char hex[3];
  switch (v.type) {
    case VX_DICT_INT32: {
      int32_t value = 0;
      std::memcpy(&value, v.bytes.data(), 4);
      *out += " " + std::to_string(value);
      break;
    }
    case VX_DICT_BOOL:
      *out += v.bytes[0] ? " 1" : " 0";
      break;
    case VX_DICT_BYTES:
      *out += " ";
      for (uint8_t b : v.bytes) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        *out += hex;
      }
      break;
    default:
      *out += " " + std::string(v.bytes.begin(), v.bytes.end());
      break;
  }
  *out += "\n";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(const std::string& text, std::vector<uint8_t>* bytes) {
  if (text.size() % 2) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

bool ParseInt32(const std::string& text, int32_t* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<int32_t>(v);
  return true;
}

// One "KEY TYPE VALUE" line; an empty string on success, else the reason.
std::string ParseLine(const std::string& line, HostDictionary* d) {
  const size_t keyEnd = line.find(' ');
  if (keyEnd == 0 || keyEnd == std::string::npos) return "expected KEY TYPE VALUE";
  const std::string key = line.substr(0, keyEnd);
  const size_t typeEnd = line.find(' ', keyEnd + 1);
  const std::string type = line.substr(
      keyEnd + 1, typeEnd == std::string::npos ? std::string::npos : typeEnd - keyEnd - 1);
  const std::string value = typeEnd == std::string::npos ? "" : line.substr(typeEnd + 1);
  if (type == "int") {
    int32_t v = 0;
    if (!ParseInt32(value, &v)) return "\"" + value + "\" is not a 32-bit integer";
    d->SetInt(key, v);
  } else if (type == "bool") {
    if (value != "0" && value != "1") return "a bool is 0 or 1";
    d->SetBool(key, value == "1");
  } else if (type == "bytes") {
    std::vector<uint8_t> bytes;
    if (!ParseHex(value, &bytes)) return "bytes are written as pairs of hex digits";
    d->SetBytes(key, bytes.data(), bytes.size());
  } else if (type == "text") {
    d->SetText(key, value);
  } else {
    return "unknown type \"" + type + "\" (int, bool, bytes or text)";
  }
  return "";
}

// The first value that the line format cannot hold, as a message; empty when
// all can be written.
std::string Unwritable(const HostDictionary& d) {
  for (const auto& [key, value] : d.values) {
    if (key.empty() || key.find_first_of(" \t\r\n") != std::string::npos || key[0] == '#')
      return "the key \"" + key + "\" cannot be written on a line";
    if (!TypeName(value.type)) return "the key \"" + key + "\" has a type the file cannot hold";
    if (value.type == VX_DICT_TEXT &&
        std::string(value.bytes.begin(), value.bytes.end()).find_first_of("\r\n") !=
            std::string::npos)
      return "the text of \"" + key + "\" spans lines";
  }
  return "";
}

}  // namespace

std::string FormatDictionary(const HostDictionary& d) {
  std::string out = kHeader;
  std::set<std::string> written;
  for (const std::string& key : d.putLog) {
    const DictionaryValue* v = d.Find(key);
    if (v && written.insert(key).second) AppendValue(key, *v, &out);
  }
  for (const auto& [key, value] : d.values)
    if (written.insert(key).second) AppendValue(key, value, &out);
  return out;
}

bool ParseDictionary(const std::string& text, HostDictionary* d, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string problem = ParseLine(line, d);
    if (!problem.empty()) {
      *error = "line " + std::to_string(number) + ": " + problem;
      return false;
    }
  }
  return true;
}

bool LoadDictionaryFile(const std::string& path, HostDictionary* d, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot open \"" + path + "\"";
    return false;
  }
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (readError) {
    *error = "cannot read \"" + path + "\"";
    return false;
  }
  std::string problem;
  if (!ParseDictionary(text, d, &problem)) {
    *error = path + ": " + problem;
    return false;
  }
  return true;
}

bool SaveDictionaryFile(const std::string& path, const HostDictionary& d, std::string* error) {
  const std::string problem = Unwritable(d);
  if (!problem.empty()) {
    *error = "cannot write \"" + path + "\": " + problem;
    return false;
  }
  const std::string partial = path + ".partial";
  const std::string text = FormatDictionary(d);
  std::FILE* f = std::fopen(partial.c_str(), "wb");
  bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (f && std::fclose(f) != 0) ok = false;
#ifdef _WIN32
  ok = ok && MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
#else
  ok = ok && std::rename(partial.c_str(), path.c_str()) == 0;
#endif
  if (!ok) {
    std::remove(partial.c_str());
    *error = "cannot write \"" + path + "\"";
  }
  return ok;
}

}  // namespace vrixhost
