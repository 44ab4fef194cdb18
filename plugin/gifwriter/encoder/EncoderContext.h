// The encoder's context: a libjpeg decompression object that never sees JPEG
// data. It owns the encoder's memory pools and carries the image geometry and
// the colour map; its error manager turns libjpeg's errors into statuses.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "plugin/gifwriter/encoder/GifStatus.h"

namespace gif {

struct EncoderErrorManager {
  jpeg_error_mgr pub;
  Status status;           // first failure recorded, 0 while all is well
  std::jmp_buf* recovery;  // armed recovery point, or null
};

struct EncoderContext {
  jpeg_decompress_struct cinfo;
  EncoderErrorManager err;
  int32_t left;  // image position in the logical screen
  int32_t top;
  bool created;
};

// Makes the decompression object for an image of width x height pixels with
// a colour map of `colors` entries allocated from its image pool. Returns 0
// or the failure status (the context is then destroyed again).
Status CreateContext(EncoderContext* ctx, uint32_t width, uint32_t height, int colors);

// Frees the pools and the object. Safe on a context never created.
void DestroyContext(EncoderContext* ctx);

// Reports an encoder error with one of the kErr* message codes (or a libjpeg
// code). Inside a recovery point it does not return.
void RaiseError(EncoderContext* ctx, int code);

// Runs fn(arg) under a recovery point: a libjpeg error raised inside returns
// here. fn and everything it calls must hold only trivially destructible
// objects, since a longjmp skips their frames. Returns the recorded status.
Status RunProtected(EncoderContext* ctx, void (*fn)(EncoderContext*, void*), void* arg);

}  // namespace gif
