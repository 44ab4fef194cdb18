#include "tools/somnel-pack/ProjectCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "saver/KeyNames.h"
#include "saver/PayloadTrailer.h"

namespace {

enum class ValueType { kInteger, kKeyName, kCommand };

struct KnownKey {
  std::string name;
  ValueType type;
};

struct KnownSection {
  const char* name;
  std::vector<KnownKey> keys;
  const char* listing;  // the keys in words, for a name that is not among them
};

std::vector<KnownKey> NumberedKeys(const char* stem, int count, ValueType type) {
  std::vector<KnownKey> keys;
  for (int i = 1; i <= count; ++i) keys.push_back({stem + std::to_string(i), type});
  return keys;
}

std::vector<KnownSection> MakeKnownSections() {
  std::vector<KnownSection> sections;
  sections.push_back({"Settings",
                      {{"External", ValueType::kInteger},
                       {"ForceMaximize", ValueType::kInteger},
                       {"RunPreview", ValueType::kInteger},
                       {"TwoWaySound", ValueType::kInteger},
                       {"ThreeWaySound", ValueType::kInteger}},
                      "External, ForceMaximize, RunPreview, TwoWaySound, ThreeWaySound"});
  std::vector<KnownKey> interactive =
      NumberedKeys("Key", kInteractiveKeyCount, ValueType::kKeyName);
  interactive.push_back({"OnMouse", ValueType::kInteger});
  interactive.push_back({"OnKey", ValueType::kInteger});
  sections.push_back({"Interactive", interactive, "Key1 to Key20, OnMouse, OnKey"});
  std::vector<KnownKey> execute = NumberedKeys("Key", kExecuteKeyCount, ValueType::kKeyName);
  for (KnownKey& k : NumberedKeys("Command", kCommandCount, ValueType::kCommand))
    execute.push_back(k);
  sections.push_back({"Execute", execute, "Key1 to Key4, Command1 to Command4"});
  return sections;
}

const std::vector<KnownSection>& KnownSections() {
  static const std::vector<KnownSection> sections = MakeKnownSections();
  return sections;
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(const std::string& s) {
  std::string out = s;
  std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
  return out;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return Lower(a) == Lower(b);
}

// The profile functions' blanks, the end-of-file mark (Ctrl+Z) among them.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string Trim(const std::string& s) {
  size_t begin = 0, end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

// A value as the profile functions hand it over: one pair of matching
// quotes around it is dropped.
std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

// How the system's integer read turns text into a number: an optional sign,
// then decimal digits, or hexadecimal, octal or binary after 0x, 0o, 0b; it
// stops at the first character that is not a digit. `decimal` says whether
// the text was a plain decimal number and nothing else, the one form a
// project should use.
int64_t ProfileInteger(const std::string& text, bool* decimal) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i + 1 < text.size() && text[i] == '0') {
    const char prefix = LowerAscii(text[i + 1]);
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) i += 2;
  }
  const size_t digitsStart = i;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = LowerAscii(text[i]);
    const int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 99;
    if (digit >= base) break;
    value = value * base + digit;
    if (value > 0xFFFFFFFFll) value = 0xFFFFFFFFll;  // the word read is 32 bits
  }
  *decimal = base == 10 && i == text.size() && i > digitsStart;
  return negative ? -value : value;
}

// Edit distance, for "did you mean" on short names.
size_t Distance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t change = diagonal + (LowerAscii(a[i - 1]) == LowerAscii(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, change});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The known name that `name` was probably meant to be (blanks or one or
// two letters off), or "".
std::string Likely(const std::string& name, const std::vector<std::string>& known) {
  std::string squeezed;
  for (char c : name)
    if (!IsBlank(c)) squeezed += c;
  std::string best;
  size_t bestDistance = 3;
  for (const std::string& k : known) {
    const size_t d = EqualNoCase(squeezed, k) ? 0 : Distance(name, k);
    if (d < bestDistance) best = k, bestDistance = d;
  }
  return bestDistance == 0 || name.size() > 4 ? best : "";
}

// "Key25" for a section that numbers its keys "Key1".."Key20": the stem.
std::string NumberedStem(const std::string& name) {
  size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  return digits < name.size() ? Lower(name.substr(0, digits)) : "";
}

// One key of a known section as read: its line and value.
struct ReadKey {
  int line = 0;
  std::string value;
};

class Checker {
 public:
  std::vector<ProjectNote> Run(const std::string& text);

 private:
  void Line(int number, const std::string& raw);
  void SectionHeader(int number, const std::string& line, size_t close);
  void KeyLine(int number, const std::string& line);
  void CheckValue(int number, const std::string& name, const KnownKey& key,
                  const std::string& value);
  void CheckSound();
  void CheckInteractive();
  void CheckExecute();
  void Note(int line, const std::string& text) { m_Notes.push_back({line, text}); }
  const ReadKey* Find(const char* section, const std::string& key) const;
  bool On(const char* section, const char* key) const;

  std::vector<ProjectNote> m_Notes;
  bool m_AnyContent = false;
  // The section the lines belong to: -1 before any, -2 one the saver does
  // not read (unknown, or a known one again).
  int m_Section = -1;
  std::map<std::string, int> m_SectionLines;  // lower-case name -> first line
  // Per known section, lower-case key -> what was read.
  std::map<std::string, ReadKey> m_Keys[3];
};

std::vector<ProjectNote> Checker::Run(const std::string& text) {
  if (text.size() >= 2 &&
      ((text[0] == '\xff' && text[1] == '\xfe') || (text[0] == '\xfe' && text[1] == '\xff'))) {
    Note(0, "is UTF-16 text; the project was not checked");
    return m_Notes;
  }
  size_t start = text.compare(0, 3, "\xef\xbb\xbf") == 0 ? 3 : 0;
  int number = 1;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    Line(number++, text.substr(start, end - start));
    start = end + 1;
  }
  if (!m_AnyContent) {
    Note(0,
         "the project is empty: the saver is made with every setting off, no keys and no "
         "commands");
  } else {
    CheckSound();
    CheckInteractive();
    CheckExecute();
  }
  std::stable_sort(m_Notes.begin(), m_Notes.end(), [](const ProjectNote& a, const ProjectNote& b) {
    return (a.line == 0 ? INT32_MAX : a.line) < (b.line == 0 ? INT32_MAX : b.line);
  });
  return m_Notes;
}

void Checker::Line(int number, const std::string& raw) {
  const std::string line = Trim(raw);
  if (line.empty() || line[0] == ';') return;  // blank or a comment
  m_AnyContent = true;
  if (line[0] == '[') {
    const size_t close = line.rfind(']');
    if (close != std::string::npos) return SectionHeader(number, line, close);
    Note(number, line + " has no closing ], so it starts no section; the line is ignored");
    return;
  }
  KeyLine(number, line);
}

void Checker::SectionHeader(int number, const std::string& line, size_t close) {
  const std::string name = line.substr(1, close - 1);
  const auto& sections = KnownSections();
  m_Section = -2;
  for (size_t i = 0; i < sections.size(); ++i) {
    if (!EqualNoCase(name, sections[i].name)) continue;
    const auto first = m_SectionLines.find(Lower(name));
    if (first != m_SectionLines.end()) {
      Note(number, "[" + name + "] again (first at line " + std::to_string(first->second) +
                       "): only the first [" + sections[i].name +
                       "] is read, so the keys below are ignored");
      return;
    }
    m_SectionLines[Lower(name)] = number;
    m_Section = static_cast<int>(i);
    return;
  }
  std::vector<std::string> names;
  for (const KnownSection& s : sections) names.push_back(s.name);
  const std::string likely = Likely(name, names);
  Note(number, "[" + name + "] is not a project section " +
                   (likely.empty() ? std::string("([Settings], [Interactive] or [Execute])")
                                   : "(did you mean [" + likely + "]?)") +
                   "; its keys are ignored");
}

void Checker::KeyLine(int number, const std::string& line) {
  const size_t equals = line.find('=');
  const std::string name = Trim(line.substr(0, equals));
  const std::string value =
      equals == std::string::npos ? "" : Unquote(Trim(line.substr(equals + 1)));
  if (m_Section == -1) {
    Note(number, line + " comes before any section; it is ignored");
    return;
  }
  if (m_Section < 0) return;  // the section was reported as not read
  const KnownSection& section = KnownSections()[static_cast<size_t>(m_Section)];
  const KnownKey* known = nullptr;
  std::vector<std::string> names;
  for (const KnownKey& k : section.keys) {
    names.push_back(k.name);
    if (EqualNoCase(k.name, name)) known = &k;
  }
  if (!known) {
    const std::string stem = NumberedStem(name);
    bool numbered = false;
    for (const KnownKey& k : section.keys)
      numbered = numbered || (!stem.empty() && NumberedStem(k.name) == stem);
    const std::string likely = numbered ? "" : Likely(name, names);
    Note(number, name + " is not a key of [" + section.name + "] (" +
                     (likely.empty() ? std::string("it has ") + section.listing
                                     : "did you mean " + likely + "?") +
                     "); it is ignored");
    return;
  }
  auto& keys = m_Keys[m_Section];
  const auto first = keys.find(Lower(known->name));
  if (first != keys.end()) {
    Note(number, name + " again (first at line " + std::to_string(first->second.line) +
                     "): only the first is read, so this one is ignored");
    return;
  }
  keys[Lower(known->name)] = {number, value};
  if (equals == std::string::npos) {
    Note(number, name + " has no \"=\"; it reads as an empty value");
    return;
  }
  CheckValue(number, name, *known, value);
}

void Checker::CheckValue(int number, const std::string& name, const KnownKey& key,
                         const std::string& value) {
  if (key.type != ValueType::kInteger) return;  // key names and commands: somnel-pack refuses
  if (value.empty()) {
    Note(number, name + " has no value; it reads as 0, off");
    return;
  }
  bool decimal = false;
  const int64_t read = ProfileInteger(value, &decimal);
  if (decimal) return;
  Note(number, name + "=" + value +
                   " is not a decimal number (0 is off, any other number on); it reads as " +
                   std::to_string(read) + ", " + (read ? "on" : "off"));
}

const ReadKey* Checker::Find(const char* section, const std::string& key) const {
  const auto& sections = KnownSections();
  for (size_t i = 0; i < sections.size(); ++i) {
    if (std::strcmp(sections[i].name, section) != 0) continue;
    const auto it = m_Keys[i].find(Lower(key));
    return it == m_Keys[i].end() ? nullptr : &it->second;
  }
  return nullptr;
}

bool Checker::On(const char* section, const char* key) const {
  const ReadKey* k = Find(section, key);
  bool decimal = false;
  return k && ProfileInteger(k->value, &decimal) != 0;
}

// The settings dialog looks at TwoWaySound first.
void Checker::CheckSound() {
  if (!On("Settings", "TwoWaySound") || !On("Settings", "ThreeWaySound")) return;
  const ReadKey* two = Find("Settings", "TwoWaySound");
  const ReadKey* three = Find("Settings", "ThreeWaySound");
  Note(std::max(two->line, three->line),
       "TwoWaySound (line " + std::to_string(two->line) + ") and ThreeWaySound (line " +
           std::to_string(three->line) +
           ") are both on: TwoWaySound wins, and the settings dialog offers only \"Mute "
           "Sound\"");
}

// An empty Key1 means "every key" to the saver, which then looks at no other
// key of the list; and the list counts only with OnKey.
void Checker::CheckInteractive() {
  const ReadKey* firstGiven = nullptr;
  std::string firstName;
  for (int i = 1; i <= kInteractiveKeyCount && !firstGiven; ++i) {
    const ReadKey* k = Find("Interactive", "Key" + std::to_string(i));
    if (k && !k->value.empty()) firstGiven = k, firstName = "Key" + std::to_string(i);
  }
  if (!firstGiven) return;
  if (!On("Interactive", "OnKey")) {
    Note(firstGiven->line, "[Interactive] " + firstName +
                               " and the other keys of the list count only with OnKey=1, and "
                               "OnKey is off");
  } else if (firstName != "Key1") {
    Note(firstGiven->line,
         "[Interactive] Key1 is empty, so with OnKey every key hands the movie "
         "over; " +
             firstName + " and the keys after it are not looked at");
  }
}

// A command runs from the first of the keys [Execute] gives its key code,
// and only when both its key and its text are given.
void Checker::CheckExecute() {
  std::map<uint32_t, std::string> earlier;  // key code -> "Key1 (line 9)"
  for (int i = 1; i <= kExecuteKeyCount; ++i) {
    const std::string keyName = "Key" + std::to_string(i);
    const std::string commandName = "Command" + std::to_string(i);
    const ReadKey* key = Find("Execute", keyName);
    const ReadKey* command = Find("Execute", commandName);
    const bool hasKey = key && !key->value.empty();
    const bool hasCommand = command && !command->value.empty();
    if (hasKey && !hasCommand) {
      Note(key->line, "[Execute] " + keyName + "=" + key->value + " has no " + commandName +
                          ", so the key runs nothing");
    } else if (hasCommand && !hasKey) {
      Note(command->line, "[Execute] " + commandName + " has no " + keyName + ", so it never runs");
    } else if (hasKey && hasCommand) {
      const uint32_t code = KeyCodeFromName(key->value.c_str());
      const auto same = earlier.find(code);
      if (same != earlier.end()) {
        Note(key->line, "[Execute] " + keyName + "=" + key->value + " is the same key as " +
                            same->second + ": that one's command runs, " + commandName +
                            " never does");
      } else {
        earlier[code] = keyName + " (line " + std::to_string(key->line) + ")";
      }
    }
  }
}

}  // namespace

std::vector<ProjectNote> CheckProjectText(const std::string& text) {
  return Checker().Run(text);
}

std::string FormatProjectNote(const std::string& file, const ProjectNote& note) {
  if (note.line == 0) return file + ": " + note.text;
  return file + ":" + std::to_string(note.line) + ": " + note.text;
}
