// Replays the colour-reduction target's saved inputs (see tests/fuzzreplay).
// A BMP file (starting "BM") is fed behind several sets of option bytes:
// the saver's 256- and 236-colour displays, a 16-colour one, a palette
// display with 20 reserved colours, a depth-8 cube and a palette picture
// reduced like a photo.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzzreplay/FuzzReplay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

const uint8_t kOptions[][3] = {
    {255, 0x02, 0}, {235, 0x01, 0}, {15, 0x00, 0}, {255, 0x12, 20},
    {255, 0x48, 0}, {63, 0x22, 0},  {1, 0x21, 0},
};

void Feed(const std::vector<uint8_t>& data) {
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    for (const auto& options : kOptions) {
      std::vector<uint8_t> input(options, options + 3);
      input.insert(input.end(), data.begin(), data.end());
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
