// Replays saved fuzz inputs without libFuzzer, so that every target (the
// Windows builds too) runs the corpus and the kept crashers as a test.
// Arguments: files or folders. A BMP file (starting "BM") is fed through
// every option of the target's first byte.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
  std::vector<uint8_t> data;
  if (FILE* f = std::fopen(path.string().c_str(), "rb")) {
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
  }
  return data;
}

int Replay(const std::filesystem::path& path) {
  const std::vector<uint8_t> data = ReadAll(path);
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    for (uint8_t options = 0; options < 8; ++options) {
      std::vector<uint8_t> input(1, options);
      // Without the file header, the loader starts at the info header.
      input.insert(input.end(), data.begin() + ((options & 1) ? 14 : 0), data.end());
      LLVMFuzzerTestOneInput(input.data(), input.size());
    }
  } else {
    LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
        if (entry.is_regular_file()) inputs += Replay(entry.path());
    } else {
      inputs += Replay(arg);
    }
  }
  std::printf("replayed %d inputs\n", inputs);
  return inputs > 0 ? 0 : 1;
}
