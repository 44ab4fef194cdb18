// Fuzz target for the movie reader behind kmvinfo: any input must either
// parse or be rejected with ParseError, and a parsed movie must list.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "moviewriter/KmvReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  std::vector<uint8_t> bytes(data, data + size);
  try {
    kmv::Movie movie = kmv::Read(bytes, 16u << 20);
    kmv::Dump(movie);
  } catch (const kmv::ParseError&) {
  }
  return 0;
}
