// Where the encoder's bytes go. The host stream is one implementation; tests
// and the fuzzer write to memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
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
  // Memory it cannot get is a failed write, as the interface reports one,
  // not an exception through the encoder.
  size_t Write(const uint8_t* data, size_t count) override {
    try {
      bytes.insert(bytes.end(), data, data + count);
    } catch (const std::bad_alloc&) {
      return 0;
    }
    return count;
  }
  std::vector<uint8_t> bytes;
};

}  // namespace gif
