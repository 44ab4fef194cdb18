// Nothing of comdlg32.h is imported here: this file is the library.
#define WINCOMMDLGAPI
#define STUB_COMDLG_API __declspec(dllexport)
#include "plugin/assetprops/tests/ComdlgStub.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_answers;
size_t g_next = 0;
std::vector<StubOpenCall> g_calls;
DWORD g_error = 0;
void (*g_during)() = nullptr;

void CopyCut(char* to, size_t size, const char* from) {
  to[0] = '\0';
  if (from) {
    std::strncpy(to, from, size - 1);
    to[size - 1] = '\0';
  }
}

}  // namespace

void StubComdlgScript(const char* answers) {
  g_answers.clear();
  g_next = 0;
  g_calls.clear();
  std::string all = answers ? answers : "";
  size_t start = 0;
  while (start <= all.size() && !all.empty()) {
    const size_t end = all.find('\n', start);
    g_answers.push_back(
        all.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

int StubComdlgCallCount() {
  return static_cast<int>(g_calls.size());
}

const StubOpenCall* StubComdlgCall(int index) {
  return index >= 0 && index < static_cast<int>(g_calls.size()) ? &g_calls[index] : nullptr;
}

void StubComdlgDuring(void (*during)()) {
  g_during = during;
}

extern "C" __declspec(dllexport) BOOL WINAPI GetOpenFileNameA(OPENFILENAMEA* ofn) {
  StubOpenCall call{};
  CopyCut(call.file, sizeof call.file, ofn->lpstrFile);
  CopyCut(call.title, sizeof call.title, ofn->lpstrTitle);
  if (const char* f = ofn->lpstrFilter) {
    std::string shown;
    while (*f) {
      shown += f;
      shown += '|';
      f += std::strlen(f) + 1;
    }
    CopyCut(call.filter, sizeof call.filter, shown.c_str());
  }
  call.flags = ofn->Flags;
  call.filterIndex = ofn->nFilterIndex;
  call.maxFile = ofn->nMaxFile;
  call.owner = ofn->hwndOwner;
  g_calls.push_back(call);
  if (g_during) g_during();

  const std::string answer = g_next < g_answers.size() ? g_answers[g_next++] : "cancel";
  g_error = 0;
  if (answer == "cancel") return FALSE;
  if (answer == "invalid") {
    g_error = FNERR_INVALIDFILENAME;
    return FALSE;
  }
  if (answer.size() + 1 > ofn->nMaxFile) {
    g_error = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::memcpy(ofn->lpstrFile, answer.c_str(), answer.size() + 1);
  return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI CommDlgExtendedError() {
  return g_error;
}
