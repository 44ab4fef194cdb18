#include "plugin/gifwriter/encoder/GifLzw.h"

#include <cstring>

#include "clib/Assert.h"

namespace gif {

namespace {

constexpr uint32_t kMaxCodes = kLzwCodes;
constexpr uint32_t kPacketData = 255;

void ClearHash(LzwState* s) {
  std::memset(s->table, 0, sizeof *s->table);
}

// Sends packet[0..255] and moves what spilt past it to the front.
void SendFullPacket(LzwState* s) {
  s->packet[0] = kPacketData;
  if (!s->failed && !s->writer(s->writerContext, s->packet, kPacketData + 1)) s->failed = true;
  std::memcpy(s->packet + 1, s->packet + 1 + kPacketData, 4);
}

// Appends a code at the current width. The accumulator keeps fewer than 8
// bits between codes and a code has at most 12, so one 4-byte store carries
// every whole byte; the store is little-endian by construction.
inline void PutCode(LzwState* s, uint32_t code) {
  uint32_t acc = s->accumulator | code << s->bits;
  uint32_t bits = s->bits + s->width;
  uint8_t* out = s->packet + 1 + s->packetBytes;
  const uint8_t word[4] = {static_cast<uint8_t>(acc), static_cast<uint8_t>(acc >> 8),
                           static_cast<uint8_t>(acc >> 16), static_cast<uint8_t>(acc >> 24)};
  std::memcpy(out, word, 4);
  const uint32_t whole = bits >> 3;
  s->accumulator = acc >> (whole * 8);
  s->bits = bits & 7;
  s->packetBytes += whole;
  if (s->packetBytes >= kPacketData) {
    SendFullPacket(s);
    s->packetBytes -= kPacketData;
  }
}

inline void GrowIfFull(LzwState* s) {
  if (s->nextFree > s->maxCode) {
    ++s->width;
    // At 12 bits the table fills up to 4096 and is then cleared instead of
    // growing to 13 bits.
    s->maxCode = s->width == 12 ? kMaxCodes : (1u << s->width) - 1;
  }
}

// In the table a code is kept scrambled, as Scramble(code): a bijection of
// 12-bit values that keeps 0 at 0, so the strings of one picture area, which
// get consecutive codes, land on scattered slots instead of one run of them
// that every other probe would have to walk.
constexpr uint32_t kScramble = 2531;   // odd: a bijection modulo 4096
constexpr uint32_t kUnscramble = 971;  // its inverse: 2531 * 971 = 1 modulo 4096
inline uint32_t Scramble(uint32_t code) {
  return code * kScramble & (kMaxCodes - 1);
}
inline uint32_t Unscramble(uint32_t code) {
  return code * kUnscramble & (kMaxCodes - 1);
}

// First slot of a string's probe sequence, from its scrambled prefix: the
// pixel above the prefix's 12 bits, overlapping by 7, so one exclusive-or
// finds it (both are below 2^13, so the result is too).
inline uint32_t Home(uint32_t scrambledPrefix, uint32_t pixel) {
  return pixel << 5 ^ scrambledPrefix;
}

// Looks string (waiting, c) up, both scrambled: leaves i at its slot, or at
// the empty slot where it would go, and e at what that slot holds. Returns
// e ^ key: the string's scrambled code, 1..4095, when it is there (an empty
// slot gives the key itself, 0 or above 4095).
inline uint32_t Probe(const uint32_t* hash, uint32_t waiting, uint32_t c, uint32_t& i,
                      uint32_t& e) {
  const uint32_t key = (waiting << 8 | c) << 12;
  i = Home(waiting, c);
  e = hash[i];
  uint32_t x = e ^ key;
  if (e != 0 && x - 1 >= kMaxCodes - 1) {
    do {
      i = (i + 1) & (kHashSlots - 1);
      e = hash[i];
      x = e ^ key;
    } while (e != 0 && x - 1 >= kMaxCodes - 1);
  }
  return x;
}

inline bool Found(uint32_t x) {
  return x - 1 < kMaxCodes - 1;
}

// Whether the pixel before p and the seven from p on are all one pixel (the
// eight bytes equal their own rotation by one byte): a branch that a
// photograph's pixels seldom take. p - 1 and p + 6 must lie in the span.
inline bool RunOfEight(const uint8_t* p) {
  uint64_t eight;
  std::memcpy(&eight, p - 1, 8);
  return eight == (eight >> 8 | eight << 56);
}

// Appends a code to the local copy of the bit state (LzwCompress's).
inline void PutBits(LzwState* s, uint32_t& acc, uint32_t& bits, uint8_t*& out, uint32_t code,
                    uint32_t width) {
  uint8_t* const data = s->packet + 1;
  acc |= code << bits;
  bits += width;
  const uint8_t word[4] = {static_cast<uint8_t>(acc), static_cast<uint8_t>(acc >> 8),
                           static_cast<uint8_t>(acc >> 16), static_cast<uint8_t>(acc >> 24)};
  std::memcpy(out, word, 4);
  const uint32_t whole = bits >> 3;
  out += whole;
  acc >>= whole * 8;
  bits &= 7;
  if (out >= data + kPacketData) {
    SendFullPacket(s);
    out -= kPacketData;
  }
}

void OutputCode(LzwState* s, uint32_t code) {
  PutCode(s, code);
  GrowIfFull(s);
}

}  // namespace

void LzwStart(LzwState* s, int minCodeSize, LzwTable* table, PacketWriter writer,
              void* writerContext) {
  ASSERT(minCodeSize >= 2 && minCodeSize <= 8);
  s->initialWidth = static_cast<uint32_t>(minCodeSize + 1);
  s->width = s->initialWidth;
  s->maxCode = (1u << s->width) - 1;
  s->clearCode = 1u << minCodeSize;
  s->endCode = s->clearCode + 1;
  s->nextFree = s->clearCode + 2;
  s->accumulator = 0;
  s->bits = 0;
  s->waiting = 0;
  s->packetBytes = 0;
  s->firstByte = true;
  s->failed = false;
  s->table = table;
  s->writer = writer;
  s->writerContext = writerContext;
  ClearHash(s);
  OutputCode(s, s->clearCode);
}

void LzwCompress(LzwState* s, const uint8_t* pixels, size_t count) {
  const uint8_t* p = pixels;
  const uint8_t* const end = pixels + count;
  if (p != end && s->firstByte) {
    s->waiting = *p++;
    s->firstByte = false;
  }
  // The coder's state lives in locals for the whole span: a store through
  // the packet's byte pointer would otherwise make the compiler reload every
  // field after each code.
  uint32_t* const hash = s->table->hash;
  uint16_t* const sameChild = s->table->sameChild;
  uint32_t waiting = Scramble(s->waiting);  // scrambled, like the table's codes
  uint32_t nextFree = s->nextFree;
  uint32_t width = s->width;
  uint32_t maxCode = s->maxCode;
  uint32_t acc = s->accumulator;
  uint32_t bits = s->bits;
  uint8_t* const data = s->packet + 1;
  uint8_t* out = data + s->packetBytes;
  const uint32_t clearCode = s->clearCode;
  const uint32_t initialWidth = s->initialWidth;

  // Whether a pixel ends the string matched so far is as good as random in
  // a photograph, so it is not branched on: every pixel goes through the
  // same steps, each of which does nothing when the string goes on (no bits
  // added to the output, the slot rewritten with what it holds). Only the
  // rare events branch: a slot taken by another string, a full packet, a
  // wider code, a full table, and a run of one pixel.
  // Where RunOfEight may look: from the second pixel of the span to the
  // eighth from its end, one unsigned comparison for both bounds.
  const uint8_t* const runFrom = pixels + 1;
  const size_t runSpan = count >= 8 ? count - 7 : 0;
  for (; p != end; ++p) {
    if (static_cast<size_t>(p - runFrom) < runSpan && RunOfEight(p)) {
      // A run of the pixel just seen, the waiting string's last: while the
      // strings go on, each pixel costs one read of sameChild (the hash's
      // answer kept from an earlier run), without the key and its probe. A
      // string that ends, or a pixel that differs, goes the common way.
      const uint32_t run = p[-1];
      for (; p != end && *p == run; ++p) {
        uint32_t x = sameChild[waiting];
        if (x == 0) {
          uint32_t i, e;
          x = Probe(hash, waiting, run, i, e);
          if (!Found(x)) break;
          sameChild[waiting] = static_cast<uint16_t>(x);
        }
        waiting = x;
      }
      if (p == end) break;
    }
    const uint32_t c = *p;
    uint32_t i, e;
    const uint32_t x = Probe(hash, waiting, c, i, e);
    const uint32_t key = (waiting << 8 | c) << 12;
    const uint32_t ends = Found(x) ? 0u : 1u;  // the string ends here
    if ((ends & (nextFree >> 12)) != 0) {
      // The table is full: the waiting code goes out, then a clear code.
      PutBits(s, acc, bits, out, Unscramble(waiting), width);
      ClearHash(s);
      nextFree = clearCode + 2;
      PutBits(s, acc, bits, out, clearCode, width);
      width = initialWidth;
      maxCode = (1u << width) - 1;
      waiting = Scramble(c);
      continue;
    }
    // Where the string goes on, a code of no bits: nothing is added.
    const uint32_t mask = 0u - ends;
    PutBits(s, acc, bits, out, Unscramble(waiting) & mask, width & mask);
    if ((ends & (nextFree > maxCode ? 1u : 0u)) != 0) {
      ++width;
      maxCode = width == 12 ? kMaxCodes : (1u << width) - 1;
    }
    hash[i] = ends ? (key | Scramble(nextFree)) : e;
    nextFree += ends;
    waiting = ends ? Scramble(c) : x;
  }

  s->waiting = Unscramble(waiting);
  s->nextFree = nextFree;
  s->width = width;
  s->maxCode = maxCode;
  s->accumulator = acc;
  s->bits = bits;
  s->packetBytes = static_cast<uint32_t>(out - data);
}

void LzwFinish(LzwState* s) {
  if (!s->firstByte) OutputCode(s, s->waiting);
  OutputCode(s, s->endCode);
  if (s->bits > 0) {
    s->packet[1 + s->packetBytes] = static_cast<uint8_t>(s->accumulator);
    s->accumulator = 0;
    s->bits = 0;
    if (++s->packetBytes == kPacketData) {
      SendFullPacket(s);
      s->packetBytes = 0;
    }
  }
  if (s->packetBytes > 0) {
    s->packet[0] = static_cast<uint8_t>(s->packetBytes);
    if (!s->failed && !s->writer(s->writerContext, s->packet, s->packetBytes + 1u)) {
      s->failed = true;
    }
    s->packetBytes = 0;
  }
}

}  // namespace gif
