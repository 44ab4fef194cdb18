#include "plugin/gifwriter/encoder/EncoderContext.h"

#include <cstring>

#include <jerror.h>

namespace gif {

namespace {

void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<EncoderErrorManager*>(cinfo->err);
  if (err->status == kOk) {
    err->status = cinfo->err->msg_code == JERR_OUT_OF_MEMORY ? kOutOfMemory : kEncoderFailure;
  }
  if (err->recovery != nullptr) {
    // Nothing of this operation is used again: give the image's memory back
    // now. Outside a recovery point the caller is still using that memory;
    // the context is destroyed when the operation returns.
    if (cinfo->mem != nullptr) jpeg_abort(cinfo);
    std::longjmp(*err->recovery, 1);
  }
}

void Silent(j_common_ptr, int) {}
void NoOutput(j_common_ptr) {}

struct CreateArgs {
  uint32_t width;
  uint32_t height;
  int colors;
};

void CreateBody(EncoderContext* ctx, void* arg) {
  const CreateArgs* a = static_cast<const CreateArgs*>(arg);
  jpeg_create_decompress(&ctx->cinfo);
  ctx->created = true;
  jpeg_decompress_struct& c = ctx->cinfo;
  c.image_width = a->width;
  c.image_height = a->height;
  c.scale_num = 1;
  c.scale_denom = 1;
  c.data_precision = 8;
  c.out_color_space = JCS_RGB;
  c.quantize_colors = TRUE;
  c.desired_number_of_colors = a->colors;
  c.actual_number_of_colors = a->colors;
  c.colormap = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE, 256, 3);
  // The state libjpeg has after reading a header; jpeg_calc_output_dimensions
  // accepts only that.
  c.global_state = 202;  // DSTATE_READY
}

}  // namespace

Status CreateContext(EncoderContext* ctx, uint32_t width, uint32_t height, int colors) {
  std::memset(ctx, 0, sizeof *ctx);
  ctx->cinfo.err = jpeg_std_error(&ctx->err.pub);
  ctx->err.pub.error_exit = OnError;
  ctx->err.pub.emit_message = Silent;
  ctx->err.pub.output_message = NoOutput;
  CreateArgs args{width, height, colors};
  const Status status = RunProtected(ctx, CreateBody, &args);
  if (status != kOk) DestroyContext(ctx);
  return status;
}

void DestroyContext(EncoderContext* ctx) {
  if (ctx->created) {
    jpeg_destroy_decompress(&ctx->cinfo);
    ctx->created = false;
  }
}

void RaiseError(EncoderContext* ctx, int code) {
  ctx->err.pub.msg_code = code;
  (*ctx->err.pub.error_exit)(reinterpret_cast<j_common_ptr>(&ctx->cinfo));
}

Status RunProtected(EncoderContext* ctx, void (*fn)(EncoderContext*, void*), void* arg) {
  std::jmp_buf recovery;
  std::jmp_buf* volatile previous = ctx->err.recovery;
  ctx->err.recovery = &recovery;
  if (setjmp(recovery) == 0) fn(ctx, arg);
  ctx->err.recovery = previous;
  return ctx->err.status;
}

}  // namespace gif
