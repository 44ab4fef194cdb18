#include "plugin/gifwriter/encoder/GifLzw.h"

#include <cstring>

#include "clib/Assert.h"

namespace gif {

namespace {

constexpr uint16_t kMaxCodes = 4096;

void FlushPacket(LzwState* s) {
  const uint8_t count = s->packet[0];
  if (count == 0) return;
  if (!s->failed && !s->writer(s->writerContext, s->packet, count + 1u)) s->failed = true;
  s->packet[0] = 0;
}

inline void PutByte(LzwState* s, uint8_t byte) {
  s->packet[++s->packet[0]] = byte;
  if (s->packet[0] == 255) FlushPacket(s);
}

inline void ResetWidth(LzwState* s) {
  s->width = s->initialWidth;
  s->maxCode = static_cast<uint16_t>((1u << s->width) - 1);
}

void OutputCode(LzwState* s, uint16_t code) {
  // IN assertion: bits < 8 and code fits in width.
  s->accumulator |= static_cast<uint32_t>(code) << s->bits;
  s->bits = static_cast<uint16_t>(s->bits + s->width);
  while (s->bits >= 8) {
    PutByte(s, static_cast<uint8_t>(s->accumulator));
    s->accumulator >>= 8;
    s->bits = static_cast<uint16_t>(s->bits - 8);
  }
  if (s->nextFree > s->maxCode) {
    ++s->width;
    // At 12 bits the table fills up to 4096 and is then cleared instead of
    // growing to 13 bits.
    s->maxCode = s->width == 12 ? kMaxCodes : static_cast<uint16_t>((1u << s->width) - 1);
  }
}

void ClearHash(LzwState* s) {
  std::memset(s->hashCodes, 0, kHashSlots * sizeof(uint16_t));
}

}  // namespace

void LzwStart(LzwState* s, int minCodeSize, uint16_t* hashCodes, uint32_t* hashValues,
              PacketWriter writer, void* writerContext) {
  ASSERT(minCodeSize >= 2 && minCodeSize <= 8);
  s->initialWidth = static_cast<uint16_t>(minCodeSize + 1);
  ResetWidth(s);
  s->clearCode = static_cast<uint16_t>(1u << minCodeSize);
  s->endCode = static_cast<uint16_t>(s->clearCode + 1);
  s->nextFree = static_cast<uint16_t>(s->clearCode + 2);
  s->accumulator = 0;
  s->bits = 0;
  s->waiting = 0;
  s->firstByte = true;
  s->hashCodes = hashCodes;
  s->hashValues = hashValues;
  s->packet[0] = 0;
  s->failed = false;
  s->writer = writer;
  s->writerContext = writerContext;
  ClearHash(s);
  OutputCode(s, s->clearCode);
}

void LzwCompress(LzwState* s, const uint8_t* pixels, size_t count) {
  size_t k = 0;
  if (count > 0 && s->firstByte) {
    s->waiting = pixels[0];
    s->firstByte = false;
    k = 1;
  }
  // The hot loop keeps the coder's state in locals: the packet is written
  // through a byte pointer, which would otherwise force every field to be
  // reloaded after each byte.
  uint16_t* const codes = s->hashCodes;
  uint32_t* const values = s->hashValues;
  uint32_t waiting = s->waiting;
  uint32_t nextFree = s->nextFree;
  uint32_t width = s->width;
  uint32_t maxCode = s->maxCode;
  uint32_t accumulator = s->accumulator;
  uint32_t bits = s->bits;
  const uint32_t clearCode = s->clearCode;
  const uint32_t initialWidth = s->initialWidth;
  uint8_t* const packet = s->packet;

  auto output = [&](uint32_t code) {
    accumulator |= code << bits;
    bits += width;
    while (bits >= 8) {
      packet[++packet[0]] = static_cast<uint8_t>(accumulator);
      if (packet[0] == 255) FlushPacket(s);
      accumulator >>= 8;
      bits -= 8;
    }
    if (nextFree > maxCode) {
      ++width;
      maxCode = width == 12 ? kMaxCodes : (1u << width) - 1;
    }
  };

  for (; k < count; ++k) {
    const uint32_t c = pixels[k];
    int i = static_cast<int>(c * 16 + waiting);
    if (i >= kHashSlots) i -= kHashSlots;
    const uint32_t key = waiting << 8 | c;
    uint32_t code = codes[i];
    if (code != 0) {
      if (values[i] == key) {
        waiting = code;
        continue;
      }
      const int d = i == 0 ? 1 : kHashSlots - i;
      for (;;) {
        i -= d;
        if (i < 0) i += kHashSlots;
        code = codes[i];
        if (code == 0 || values[i] == key) break;
      }
      if (code != 0) {
        waiting = code;
        continue;
      }
    }
    output(waiting);
    if (nextFree < kMaxCodes) {
      codes[i] = static_cast<uint16_t>(nextFree++);
      values[i] = key;
    } else {
      ClearHash(s);
      nextFree = clearCode + 2;
      output(clearCode);
      width = initialWidth;
      maxCode = (1u << width) - 1;
    }
    waiting = c;
  }

  s->waiting = static_cast<uint16_t>(waiting);
  s->nextFree = static_cast<uint16_t>(nextFree);
  s->width = static_cast<uint16_t>(width);
  s->maxCode = static_cast<uint16_t>(maxCode);
  s->accumulator = accumulator;
  s->bits = static_cast<uint16_t>(bits);
}

void LzwFinish(LzwState* s) {
  if (!s->firstByte) OutputCode(s, s->waiting);
  OutputCode(s, s->endCode);
  if (s->bits > 0) {
    PutByte(s, static_cast<uint8_t>(s->accumulator));
    s->accumulator = 0;
    s->bits = 0;
  }
  FlushPacket(s);
}

}  // namespace gif
