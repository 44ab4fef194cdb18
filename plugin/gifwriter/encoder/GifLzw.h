// GIF-variant LZW: variable-width codes from m + 1 up to 12 bits, packed
// least-significant bit first into packets of up to 255 bytes, each written
// as a count byte followed by the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gif {

constexpr int kHashSlots = 5003;  // prime, a little above 4096 codes

// Called with a whole packet (count byte first). Returns false when the bytes
// could not all be written; the encoder then stops writing.
using PacketWriter = bool (*)(void* context, const uint8_t* data, size_t count);

struct LzwState {
  uint16_t width;         // current code width in bits
  uint16_t maxCode;       // largest code the current width can carry
  uint16_t initialWidth;  // m + 1
  uint32_t accumulator;   // bits not yet moved to the packet, lowest first
  uint16_t bits;          // valid bits in accumulator; always below 8 between codes
  uint16_t waiting;       // code of the string matched so far
  bool firstByte;         // no pixel seen since start
  uint16_t clearCode;
  uint16_t endCode;
  uint16_t nextFree;
  uint16_t* hashCodes;   // kHashSlots codes, 0 = empty (not owned)
  uint32_t* hashValues;  // kHashSlots keys: waiting << 8 | pixel (not owned)
  uint8_t packet[256];   // packet[0] = count, then the data bytes
  bool failed;           // a packet write failed; nothing more is written
  PacketWriter writer;
  void* writerContext;
};

// Resets the table and emits the clear code. minCodeSize is 2..8; the hash
// tables must hold kHashSlots entries each.
void LzwStart(LzwState* s, int minCodeSize, uint16_t* hashCodes, uint32_t* hashValues,
              PacketWriter writer, void* writerContext);

// Feeds pixels, each below 2^minCodeSize.
void LzwCompress(LzwState* s, const uint8_t* pixels, size_t count);

// Emits the last string and the end code and flushes the final packet.
void LzwFinish(LzwState* s);

}  // namespace gif
