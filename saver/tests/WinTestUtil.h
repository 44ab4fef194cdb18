// Helpers for the saver's Windows tests: scratch folders, whole-file reads
// and writes, child processes with a chosen environment, and their windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace wintest {

using Bytes = std::vector<uint8_t>;

// A build path as a Windows path: "/work/x" becomes "Z:\work\x" under Wine.
std::string WinPath(const std::string& path);

// A new empty folder under the temporary directory, removed with its
// contents when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return m_Path; }
  std::string operator/(const std::string& name) const { return m_Path + "\\" + name; }

 private:
  std::string m_Path;
};

bool WriteFileBytes(const std::string& path, const Bytes& bytes);
bool WriteFileText(const std::string& path, const std::string& text);
bool ReadFileBytes(const std::string& path, Bytes& bytes);
std::string ReadFileText(const std::string& path);
bool Exists(const std::string& path);
bool CopyTo(const std::string& from, const std::string& to);
void RemoveTree(const std::string& path);

// Asymmetric filler: no two neighbouring bytes alike, different for each seed.
Bytes Pattern(size_t size, uint8_t seed);

struct ChildResult {
  bool started = false;
  bool finished = false;  // ended within the time allowed (else it was killed)
  DWORD exitCode = 0;
};

// Runs a command line with the current environment changed by `env` (an
// empty value removes the variable) in `directory` (empty: the current one).
// With `outputPath`, the child's standard output and error go to that file.
ChildResult RunChild(const std::string& commandLine, const std::map<std::string, std::string>& env,
                     const std::string& directory = "", const std::string& outputPath = "",
                     DWORD timeoutMs = 30000);

// Sets environment variables of this process for the life of the object.
class EnvOverride {
 public:
  explicit EnvOverride(const std::map<std::string, std::string>& values);
  ~EnvOverride();
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  std::map<std::string, std::pair<bool, std::string>> m_Saved;
};

// How long the tests wait for something that should happen.
constexpr DWORD kPatienceMs = 20000;

// Dispatches the messages waiting for this thread.
void Pump();
// Pumps messages until condition() holds (true) or patienceMs have passed
// (false).
bool WaitFor(const std::function<bool()>& condition, DWORD patienceMs = kPatienceMs);
// Pumps messages for ms milliseconds.
void Settle(DWORD ms);
// The lines of a text whose lines end in CR LF.
std::vector<std::string> Lines(const std::string& text);
// Kills process pid if it still runs, and waits for it to end.
void EndProcess(DWORD pid);
// A key of a profile (.ini) file, "<missing>" when it has none.
std::string Profile(const std::string& file, const char* section, const char* key);

// A window's class name and its text.
std::string ClassOf(HWND window);
std::string TextOf(HWND window);

// The top-level windows of process `pid`, without the input-method window
// every GUI thread gets (it says nothing about the program).
std::vector<HWND> TopLevelWindows(DWORD pid);

// The first child window of `parent` (at any depth) of this class, or null.
HWND ChildOfClass(HWND parent, const std::string& className);

// A visible window of a plain class (default handling of every message,
// a white background) standing in for one the system would give a saver,
// such as the preview area; its outer rectangle is x, y, width, height.
HWND MakePlainWindow(const char* title, DWORD exStyle, DWORD style, int x, int y, int width,
                     int height);

// The saver's command line for a preview inside `host`: "/p HANDLE".
std::string PreviewArguments(HWND host);

}  // namespace wintest
