// Where the encoder's bytes go. The host stream is one implementation; tests
// and the fuzzer write to memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/gifwriter/encoder/GifStatus.h"

namespace gif {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Returns the number of bytes taken; fewer than count is a write failure.
  virtual size_t Write(const uint8_t* data, size_t count) = 0;
  virtual Status Flush() { return kOk; }
};

class MemorySink : public ByteSink {
 public:
  size_t Write(const uint8_t* data, size_t count) override {
    bytes.insert(bytes.end(), data, data + count);
    return count;
  }
  std::vector<uint8_t> bytes;
};

}  // namespace gif
