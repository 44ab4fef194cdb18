// Replays the movie reader's saved inputs (see tests/fuzzreplay).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzzreplay/FuzzReplay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Feed(const std::vector<uint8_t>& data) {
  LLVMFuzzerTestOneInput(data.data(), data.size());
  // Every prefix too: truncation is the commonest damage.
  for (size_t cut = 0; cut < data.size() && cut < 4096; ++cut) {
    LLVMFuzzerTestOneInput(data.data(), cut);
  }
}

}  // namespace

int main(int argc, char** argv) {
  return RunFuzzReplay(argc, argv, Feed);
}
