// Writes one GIF image (with the file prefix when it starts a file) from rows
// of palette indices. Lives in the context's image pool.
#pragma once

#include <cstdint>

#include "plugin/gifwriter/encoder/ByteSink.h"
#include "plugin/gifwriter/encoder/EncoderContext.h"
#include "plugin/gifwriter/encoder/GifLzw.h"

namespace gif {

// The colours of the last global colour table written. Frames of one
// animation are separate exports, so this outlives every writer.
struct GlobalColorTable {
  uint8_t rgb[256][3];
  uint32_t count;
};

struct WriterOptions {
  bool interlaced;
  bool transparent;
  uint8_t transparentIndex;
  int32_t framesPerSecond;
  bool animation;
  bool initialFrame;
};

struct GifFrameWriter {
  ByteSink* out;        // not owned
  EncoderContext* ctx;  // not owned
  JSAMPARRAY rows;      // 1 row, or every row when interlaced
  uint32_t bufferRows;
  uint32_t width;
  uint32_t height;
  WriterOptions options;
  LzwState lzw;
};

// Checks the context, works out its output dimensions and allocates the
// writer, its pixel buffer and hash tables from the image pool, all under a
// recovery point. Returns null with the status recorded in the context.
GifFrameWriter* StartWriter(EncoderContext* ctx, ByteSink* out, const WriterOptions& options);

// Header, screen descriptor and global colour table (when the image starts a
// file), looping extension, graphic control extension, image descriptor,
// local colour table when needed, and the LZW minimum code size; then starts
// the LZW coder. Returns false after a recorded failure.
bool WritePrefix(GifFrameWriter* w, GlobalColorTable* global);

// The buffer row that takes source row n.
uint8_t* WriterRow(GifFrameWriter* w, uint32_t n);

// Compresses the buffered row at once (progressive writers only).
bool CompressRow(GifFrameWriter* w);

// Compresses a row of width indices straight from the caller's memory
// (progressive writers only), skipping the copy into the buffer.
bool CompressPixels(GifFrameWriter* w, const uint8_t* pixels);

// Compresses buffered rows in interlace order (interlaced writers), ends the
// image data, writes the block terminator and trailer, and flushes.
bool FinishWriter(GifFrameWriter* w);

}  // namespace gif
