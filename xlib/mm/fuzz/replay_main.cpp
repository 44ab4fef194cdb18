// Replays the loader's saved inputs (see tests/fuzzreplay). A BMP file
// (starting "BM") is fed through every value of the target's option byte.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzzreplay/FuzzReplay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Feed(const std::vector<uint8_t>& data) {
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
}

}  // namespace

int main(int argc, char** argv) {
  return RunFuzzReplay(argc, argv, Feed);
}
