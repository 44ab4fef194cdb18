#include "plugin/gifwriter/encoder/GifFrameWriter.h"

#include <cstring>

#include <jerror.h>

#include "clib/Assert.h"
#include "plugin/gifwriter/encoder/Interlace.h"

namespace gif {

namespace {

bool WriteAll(GifFrameWriter* w, const uint8_t* data, size_t count) {
  if (w->ctx->err.status != kOk) return false;
  if (w->out->Write(data, count) != count) {
    RaiseError(w->ctx, JERR_FILE_WRITE);
    return false;
  }
  return true;
}

bool WritePacket(void* context, const uint8_t* data, size_t count) {
  return WriteAll(static_cast<GifFrameWriter*>(context), data, count);
}

struct StartArgs {
  ByteSink* out;
  const WriterOptions* options;
  GifFrameWriter* writer;
};

void StartBody(EncoderContext* ctx, void* arg) {
  StartArgs* a = static_cast<StartArgs*>(arg);
  jpeg_decompress_struct& c = ctx->cinfo;
  j_common_ptr common = reinterpret_cast<j_common_ptr>(&c);
  if (c.out_color_space != JCS_GRAYSCALE && c.out_color_space != JCS_RGB) {
    RaiseError(ctx, kErrWrongColorSpace);
  }
  c.quantize_colors = TRUE;
  if (c.desired_number_of_colors > 256) c.desired_number_of_colors = 256;
  jpeg_calc_output_dimensions(&c);
  if (c.output_components != 1) RaiseError(ctx, kErrWrongComponents);

  auto* w = static_cast<GifFrameWriter*>(
      (*c.mem->alloc_small)(common, JPOOL_IMAGE, sizeof(GifFrameWriter)));
  std::memset(w, 0, sizeof *w);
  w->out = a->out;
  w->ctx = ctx;
  w->options = *a->options;
  w->width = c.output_width;
  w->height = c.output_height;
  w->bufferRows = a->options->interlaced ? c.output_height : 1;
  w->rows = (*c.mem->alloc_sarray)(common, JPOOL_IMAGE, c.output_width, w->bufferRows);
  w->lzw.table =
      static_cast<LzwTable*>((*c.mem->alloc_large)(common, JPOOL_IMAGE, sizeof(LzwTable)));
  a->writer = w;
}

void Put8(uint8_t*& p, unsigned v) {
  *p++ = static_cast<uint8_t>(v);
}
void Put16(uint8_t*& p, unsigned v) {
  *p++ = static_cast<uint8_t>(v);
  *p++ = static_cast<uint8_t>(v >> 8);
}

// Offsets outside what a GIF can hold are pinned to its range.
unsigned ClampOffset(int32_t v) {
  return v < 0 ? 0u : (v > 0xFFFF ? 0xFFFFu : unsigned(v));
}

}  // namespace

GifFrameWriter* StartWriter(EncoderContext* ctx, ByteSink* out, const WriterOptions& options) {
  StartArgs args{out, &options, nullptr};
  if (RunProtected(ctx, StartBody, &args) != kOk) return nullptr;
  return args.writer;
}

bool WritePrefix(GifFrameWriter* w, GlobalColorTable* global) {
  EncoderContext* ctx = w->ctx;
  const jpeg_decompress_struct& c = ctx->cinfo;
  const int n = c.actual_number_of_colors;
  if (n > 256 || n < 1) {
    RaiseError(ctx, kErrTooManyColors);
    return false;
  }
  int b = 1;
  if (n > 2) {
    b = 2;
    while ((1 << b) < n) ++b;
  }
  const int tableSize = 1 << b;
  const int minCodeSize = b < 2 ? 2 : b;

  // Largest prefix: 13 + 768 + 19 + 8 + 10 + 768 + 1 bytes.
  uint8_t buffer[1600];
  uint8_t* p = buffer;
  auto putTable = [&]() {
    for (int i = 0; i < tableSize; ++i) {
      for (int k = 0; k < 3; ++k) Put8(p, i < n ? c.colormap[k][i] : 0);
    }
  };

  const WriterOptions& o = w->options;
  if (!o.animation || o.initialFrame) {
    std::memcpy(p, "GIF89a", 6);
    p += 6;
    Put16(p, w->width);
    Put16(p, w->height);
    Put8(p, 0x80 | (b - 1) << 4 | (b - 1));
    Put8(p, 0);  // background index
    Put8(p, 0);  // aspect
    putTable();
    for (int i = 0; i < n; ++i) {
      for (int k = 0; k < 3; ++k) global->rgb[i][k] = c.colormap[k][i];
    }
    global->count = static_cast<uint32_t>(n);
    if (o.animation) {
      static const uint8_t kLoop[19] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                                        'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
      std::memcpy(p, kLoop, sizeof kLoop);
      p += sizeof kLoop;
    }
  }

  // The delay counts sixtieths of the frame time rounded up; a frame rate
  // below 1 would divide by zero and is taken as 1.
  const int64_t fps = o.framesPerSecond < 1 ? 1 : o.framesPerSecond;
  const unsigned delay = static_cast<unsigned>((fps + 59) / fps);
  Put8(p, 0x21);
  Put8(p, 0xF9);
  Put8(p, 0x04);
  Put8(p, o.transparent ? 0x09 : 0x00);
  Put16(p, delay);
  Put8(p, o.transparent ? o.transparentIndex : 0xFF);
  Put8(p, 0x00);

  bool local = static_cast<uint32_t>(n) != global->count;
  for (int i = 0; i < n && !local; ++i) {
    for (int k = 0; k < 3; ++k) {
      if (global->rgb[i][k] != c.colormap[k][i]) local = true;
    }
  }
  Put8(p, 0x2C);
  Put16(p, ClampOffset(ctx->left));
  Put16(p, ClampOffset(ctx->top));
  Put16(p, w->width);
  Put16(p, w->height);
  Put8(p, (o.interlaced ? 0x40 : 0x00) | (local ? 0x80 | (b - 1) : 0x00));
  if (local) putTable();
  Put8(p, minCodeSize);
  ASSERT(p - buffer <= static_cast<ptrdiff_t>(sizeof buffer));

  if (!WriteAll(w, buffer, static_cast<size_t>(p - buffer))) return false;
  LzwStart(&w->lzw, minCodeSize, w->lzw.table, WritePacket, w);
  return ctx->err.status == kOk;
}

uint8_t* WriterRow(GifFrameWriter* w, uint32_t n) {
  ASSERT(n < w->height);
  return w->rows[w->options.interlaced ? n : 0];
}

bool CompressRow(GifFrameWriter* w) {
  return CompressPixels(w, w->rows[0]);
}

bool CompressPixels(GifFrameWriter* w, const uint8_t* pixels) {
  ASSERT(!w->options.interlaced);
  LzwCompress(&w->lzw, pixels, w->width);
  return w->ctx->err.status == kOk;
}

bool FinishWriter(GifFrameWriter* w) {
  if (w->options.interlaced) {
    for (uint32_t i = 0; i < w->height && w->ctx->err.status == kOk; ++i) {
      LzwCompress(&w->lzw, w->rows[InterlacedRow(i, w->height)], w->width);
    }
  }
  LzwFinish(&w->lzw);
  static const uint8_t kEnd[2] = {0x00, 0x3B};
  if (!WriteAll(w, kEnd, sizeof kEnd)) return false;
  const Status flushed = w->out->Flush();
  if (flushed != kOk && w->ctx->err.status == kOk) w->ctx->err.status = flushed;
  return w->ctx->err.status == kOk;
}

}  // namespace gif
