// Export operations 9 (to a file) and 10 (to a host stream): the export
// sequence with its optional gathering pass.
#include "plugin/gifwriter/GifExport.h"

#include "plugin/frame/InterfaceObject.h"
#include "plugin/gifwriter/GifWriterInterfaces.h"
#include "plugin/gifwriter/Palettes.h"

namespace gif {

size_t HostStreamSink::Write(const uint8_t* data, size_t count) {
  if (stream == nullptr) return 0;
  const int32_t written = stream->ops->Write(stream, data, static_cast<uint32_t>(count));
  return written < 0 ? 0 : static_cast<size_t>(written);
}

Status HostStreamSink::Flush() {
  return stream == nullptr ? kOk : static_cast<Status>(stream->ops->Flush(stream));
}

EncoderModuleState& PalvexEncoderModule() {
  static EncoderModuleState module;
  return module;
}

const PaletteSpec& PalvexOverflowPalette() {
  static const PaletteSpec web = [] {
    PaletteSpec p{};
    BuildBuiltinPalette(kChoiceWeb, &p);
    return p;
  }();
  return web;
}

}  // namespace gif

namespace {

// Hands the stream back: closed and released when this module opened it.
void ReleaseStream(gif::GifExportState& state) {
  if (state.stream != nullptr) {
    if (state.ownsStream) state.stream->ops->Close(state.stream);
    state.stream->ops->Release(state.stream);
  }
  state.stream = nullptr;
  state.ownsStream = false;
  state.sink.stream = nullptr;
  state.encoder.SetOutput(nullptr);
}

// Asks the image source to push the image to a fresh pixel-receiving object
// on this instance.
VxStatus PushImage(GifWriterInstance* self) {
  void* receptor = nullptr;
  VxStatus status = VxCreateInterfaceObject(&self->host, sizeof(VxInterfaceObject),
                                            &kPixelReceptorOps, 0, 0, &receptor);
  if (status != VX_OK) return status;
  status = self->imageSource->ops->SendImage(self->imageSource, receptor, &IID_VxPixelReceptor);
  VxPixelReceptor* object = static_cast<VxPixelReceptor*>(receptor);
  object->ops->Release(object);
  return status;
}

// Steps 1 (positioning) to 4 of the export, on a stream already obtained.
VxStatus RunExport(GifWriterInstance* self) {
  gif::GifExportState& state = self->exportState;
  gif::GifEncoder& encoder = state.encoder;
  encoder.options = self->settings.options;
  encoder.working = self->settings.working;
  encoder.currentTransparentIndex = self->settings.currentTransparentIndex;

  VxStatus status = VX_OK;
  if (encoder.options.animation) {
    // A later frame overwrites the previous trailer byte.
    uint32_t size = 0;
    status = state.stream->ops->GetSize(state.stream, &size);
    if (status == VX_OK && size != 0) status = state.stream->ops->Seek(state.stream, size - 1);
  }
  if (status == VX_OK && encoder.options.paletteChoice == 0) {
    encoder.SetGathering(true);
    status = PushImage(self);
    encoder.SetGathering(false);
  }
  if (status == VX_OK) {
    state.sink.stream = state.stream;
    encoder.SetOutput(&state.sink);
    status = PushImage(self);
  }
  self->settings.working = encoder.working;
  self->settings.currentTransparentIndex = encoder.currentTransparentIndex;
  return status;
}

}  // namespace

VxStatus GifWriterExportToFile(GifWriterInstance* self, const VxExportTarget* target) {
  if (target == nullptr || target->kind != VX_EXPORT_TARGET_FILE) return VX_E_INVALIDARG;
  if (self->imageSource == nullptr || self->host.callback == nullptr) return VX_E_INVALIDARG;
  gif::GifExportState& state = self->exportState;
  ReleaseStream(state);

  VxHostCallback* callback = self->host.callback;
  VxFileService* files = nullptr;
  VxStatus status = callback->ops->CreateObject(callback, &CLSID_VxFileService, &IID_VxFileService,
                                                reinterpret_cast<void**>(&files));
  if (status != VX_OK) return status;
  char path[VX_MAX_PATH_CHARS + 1] = {};
  status = files->ops->GetExportPath(files, target, path, sizeof path);
  path[VX_MAX_PATH_CHARS] = '\0';
  VxStream* stream = nullptr;
  if (status == VX_OK)
    status = files->ops->CreateStream(files, path, VX_STREAM_BUFFER_SIZE, &stream);
  files->ops->Release(files);
  if (status != VX_OK) return status;

  state.stream = stream;
  state.ownsStream = true;
  status = stream->ops->Open(
      stream, self->settings.options.animation ? VX_STREAM_OPEN_UPDATE : VX_STREAM_OPEN_CREATE);
  if (status != VX_OK) {
    // Never opened, so nothing to close.
    state.ownsStream = false;
    ReleaseStream(state);
    return status;
  }
  status = RunExport(self);
  ReleaseStream(state);
  return status;
}

VxStatus GifWriterExportToStream(GifWriterInstance* self, VxStream* stream) {
  if (stream == nullptr || self->imageSource == nullptr) return VX_E_INVALIDARG;
  gif::GifExportState& state = self->exportState;
  ReleaseStream(state);
  // The host owns the stream: held for the export, never closed here.
  stream->ops->AddRef(stream);
  state.stream = stream;
  state.ownsStream = false;
  const VxStatus status = RunExport(self);
  ReleaseStream(state);
  return status;
}

void GifWriterReleaseExportState(GifWriterInstance* self) {
  ReleaseStream(self->exportState);
}
