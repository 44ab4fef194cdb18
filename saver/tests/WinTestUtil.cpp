#include "saver/tests/WinTestUtil.h"

#include <algorithm>
#include <cstring>

namespace wintest {

std::string WinPath(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '/', '\\');
  if (!path.empty() && path[0] == '/') out = "Z:" + out;
  return out;
}

ScratchDir::ScratchDir() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  static unsigned counter = 0;
  for (;;) {
    m_Path = std::string(temp) + "somnel-g-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++counter);
    if (CreateDirectoryA(m_Path.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

ScratchDir::~ScratchDir() {
  RemoveTree(m_Path);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr) &&
                                    written == bytes.size());
  return CloseHandle(file) && ok;
}

bool WriteFileText(const std::string& path, const std::string& text) {
  return WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

bool ReadFileBytes(const std::string& path, Bytes& bytes) {
  bytes.clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  uint8_t buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  CloseHandle(file);
  return true;
}

std::string ReadFileText(const std::string& path) {
  Bytes bytes;
  ReadFileBytes(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyTo(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

Bytes Pattern(size_t size, uint8_t seed) {
  Bytes bytes(size);
  uint32_t state = 0x9E3779B9u * (seed + 1u);
  for (size_t i = 0; i < size; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<uint8_t>(state >> 24);
    if (i > 0 && bytes[i] == bytes[i - 1]) bytes[i] ^= 0x5A;
  }
  return bytes;
}

namespace {

std::string CurrentEnvironmentBlock(const std::map<std::string, std::string>& env) {
  // Keep the existing variables, case-insensitively replaced by `env`.
  std::map<std::string, std::string> vars;
  std::map<std::string, std::string> upperToName;
  char* block = GetEnvironmentStringsA();
  for (const char* p = block; *p; p += std::strlen(p) + 1) {
    const std::string entry = p;
    const size_t eq = entry.find('=', 1);  // "=C:=C:\x" entries start with '='
    if (eq == std::string::npos) continue;
    std::string name = entry.substr(0, eq);
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    upperToName[upper] = name;
    vars[name] = entry.substr(eq + 1);
  }
  FreeEnvironmentStringsA(block);
  for (const auto& [name, value] : env) {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    auto old = upperToName.find(upper);
    if (old != upperToName.end()) vars.erase(old->second);
    if (!value.empty()) vars[name] = value;
  }
  std::string out;
  for (const auto& [name, value] : vars) out += name + "=" + value + '\0';
  out += '\0';
  return out;
}

}  // namespace

ChildResult RunChild(const std::string& commandLine, const std::map<std::string, std::string>& env,
                     const std::string& directory, const std::string& outputPath, DWORD timeoutMs) {
  ChildResult result;
  std::string block = CurrentEnvironmentBlock(env);
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  HANDLE output = INVALID_HANDLE_VALUE;
  if (!outputPath.empty()) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return result;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  const BOOL created = CreateProcessA(
      nullptr, line.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE, 0, &block[0],
      directory.empty() ? nullptr : directory.c_str(), &startup, &process);
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  if (!created) return result;
  result.started = true;
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    result.finished = true;
  } else {
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
  }
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

EnvOverride::EnvOverride(const std::map<std::string, std::string>& values) {
  for (const auto& [name, value] : values) {
    char old[32768];
    DWORD length = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
    m_Saved[name] = length > 0 && length < sizeof old ? std::make_pair(true, std::string(old))
                                                      : std::make_pair(false, std::string());
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
  }
}

EnvOverride::~EnvOverride() {
  for (const auto& [name, saved] : m_Saved)
    SetEnvironmentVariableA(name.c_str(), saved.first ? saved.second.c_str() : nullptr);
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool WaitFor(const std::function<bool()>& condition, DWORD patienceMs) {
  const DWORD deadline = GetTickCount() + patienceMs;
  for (;;) {
    Pump();
    if (condition()) return true;
    if (static_cast<LONG>(GetTickCount() - deadline) > 0) return false;
    Sleep(20);
  }
}

void Settle(DWORD ms) {
  WaitFor([] { return false; }, ms);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void EndProcess(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return;
  if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, kPatienceMs);
  }
  CloseHandle(process);
}

std::string Profile(const std::string& file, const char* section, const char* key) {
  char text[1024] = "";
  GetPrivateProfileStringA(section, key, "<missing>", text, sizeof text, file.c_str());
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

namespace {

struct WindowSearch {
  DWORD pid;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->pid && ClassOf(window) != "IME") search->windows.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid) {
  WindowSearch search{pid, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

namespace {

struct ChildSearch {
  const std::string& className;
  HWND found;
};

BOOL CALLBACK FindChildOfClass(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (ClassOf(child) != search->className) return TRUE;
  search->found = child;
  return FALSE;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND ChildOfClass(HWND parent, const std::string& className) {
  ChildSearch search{className, nullptr};
  EnumChildWindows(parent, FindChildOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND MakePlainWindow(const char* title, DWORD exStyle, DWORD style, int x, int y, int width,
                     int height) {
  static ATOM atom = 0;
  if (!atom) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "WinTestPlainWindow";
    atom = RegisterClassA(&wc);
  }
  return CreateWindowExA(exStyle, "WinTestPlainWindow", title, style | WS_VISIBLE, x, y, width,
                         height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::string PreviewArguments(HWND host) {
  return "/p " + std::to_string(static_cast<long long>(reinterpret_cast<intptr_t>(host)));
}

}  // namespace wintest
