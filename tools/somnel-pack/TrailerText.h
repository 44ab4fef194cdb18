// A packaged saver's trailer in words, for somnel-pack --inspect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "saver/PayloadTrailer.h"

// Reads `size` bytes at `offset` of the saver file; false when they are not there.
using FileReader = std::function<bool(uint64_t offset, void* buffer, size_t size)>;

// The description of a file of `fileSize` bytes whose last kTrailerSize bytes
// are `trailer`. Pictures are sized from their BMP file headers, read through
// `read`. Inconsistent offsets and unterminated command fields are named.
std::string DescribeTrailer(const PayloadTrailer& trailer, uint64_t fileSize,
                            const FileReader& read);
