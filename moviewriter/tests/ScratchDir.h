// A fresh folder for the movies a test writes, removed with its files when
// the test ends; plus small helpers to read bytes back and show them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

class ScratchDir {
 public:
  ScratchDir() {
    std::random_device rd;
    for (;;) {
      m_Path = std::filesystem::temp_directory_path() /
               ("kmv-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
      if (std::filesystem::create_directory(m_Path)) break;
    }
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_Path, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(const std::string& name) const { return (m_Path / name).string(); }
  // Names of the files in the folder.
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_Path)) {
      names.push_back(e.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path m_Path;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  return bytes;
}

inline bool FileExists(const std::string& path) {
  return std::filesystem::exists(path);
}

inline std::string Hex(const uint8_t* p, size_t n) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
    s += b;
  }
  return s;
}
inline std::string Hex(const std::vector<uint8_t>& v) {
  return Hex(v.data(), v.size());
}
