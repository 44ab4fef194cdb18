// A fresh folder under the system's temporary directory, removed with all its
// files when the test ends.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class TempDir {
 public:
  TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    const unsigned first = GetTickCount();
    for (unsigned n = first; n < first + 1000; ++n) {
      path_ = std::string(base) + "somnel-a-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(n);
      if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    }
    std::fprintf(stderr, "cannot create a folder under %s\n", base);
    std::abort();
  }
  ~TempDir() { RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  // Writes bytes into a new file in the folder and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = *this / name;
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return file;
  }

  static std::string Read(const std::string& file) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string bytes;
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(h);
    return bytes;
  }

 private:
  static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string full = dir + "\\" + name;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(full);
        } else {
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryA(dir.c_str());
  }

  std::string path_;
};

// Bytes that differ from position to position, so a misplaced chunk shows.
inline std::string PatternBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}
