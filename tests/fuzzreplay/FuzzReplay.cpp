#include "tests/fuzzreplay/FuzzReplay.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

bool ReadAll(const std::filesystem::path& path, std::vector<uint8_t>* data) {
  std::FILE* f = std::fopen(path.string().c_str(), "rb");
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data->insert(data->end(), buf, buf + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace

int RunFuzzReplay(int argc, char** argv, void (*feed)(const std::vector<uint8_t>& data)) {
  int inputs = 0;
  int unreadable = 0;
  // A missing corpus must fail the test, not pass with nothing replayed.
  auto replay = [&](const std::filesystem::path& path) {
    std::vector<uint8_t> data;
    if (!ReadAll(path, &data)) {
      std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
      ++unreadable;
      return;
    }
    feed(data);
    ++inputs;
  };
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(arg)) {
        if (entry.is_regular_file() && entry.path().filename() != "README") replay(entry.path());
      }
    } else {
      replay(arg);
    }
  }
  std::printf("replayed %d inputs\n", inputs);
  if (unreadable > 0) std::printf("%d could not be read\n", unreadable);
  return inputs > 0 && unreadable == 0 ? 0 : 1;
}
