// GIF-variant LZW: variable-width codes from m + 1 up to 12 bits, packed
// least-significant bit first into packets of up to 255 bytes, each written
// as a count byte followed by the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gif {

constexpr int kHashSlots = 8192;  // twice the codes, and 32 KB: held in the first-level cache
constexpr uint32_t kLzwCodes = 4096;

// The coder's tables (not owned by the state; the encoder takes them from
// its image pool).
struct LzwTable {
  // Each entry the string's key (scrambled waiting code << 8 | pixel)
  // shifted left by 12 over its scrambled code; 0 = empty, as no string gets
  // code 0.
  uint32_t hash[kHashSlots];
  // Per scrambled code: the scrambled code of its string followed by that
  // string's own last pixel, or 0 while not looked up in a run of one pixel
  // (what a run finds in the hash is kept here for its next time).
  uint16_t sameChild[kLzwCodes];
};

// Called with a whole packet (count byte first). Returns false when the bytes
// could not all be written; the encoder then stops writing.
using PacketWriter = bool (*)(void* context, const uint8_t* data, size_t count);

struct LzwState {
  uint32_t width;         // current code width in bits
  uint32_t maxCode;       // largest code the current width can carry
  uint32_t initialWidth;  // m + 1
  uint32_t accumulator;   // bits not yet moved to the packet, lowest first
  uint32_t bits;          // valid bits in accumulator; always below 8 between codes
  uint32_t waiting;       // code of the string matched so far
  uint32_t clearCode;
  uint32_t endCode;
  uint32_t nextFree;
  uint32_t packetBytes;  // data bytes in packet, below 255 between calls
  bool firstByte;        // no pixel seen since start
  bool failed;           // a packet write failed; nothing more is written
  LzwTable* table;
  PacketWriter writer;
  void* writerContext;
  // packet[0] = count, then the data bytes; the tail takes the spill of a
  // whole-word store past the 255th byte.
  uint8_t packet[256 + 8];
};

// Resets the table and emits the clear code. minCodeSize is 2..8.
void LzwStart(LzwState* s, int minCodeSize, LzwTable* table, PacketWriter writer,
              void* writerContext);

// Feeds pixels, each below 2^minCodeSize.
void LzwCompress(LzwState* s, const uint8_t* pixels, size_t count);

// Emits the last string and the end code and flushes the final packet.
void LzwFinish(LzwState* s);

}  // namespace gif
