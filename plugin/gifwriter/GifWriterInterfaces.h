// The operation tables of Palvex's five interfaces and the pieces of the
// export that live in files of their own.
#pragma once

#include "plugin/frame/VrixHost.h"
#include "plugin/gifwriter/GifWriterInstance.h"

extern const VxFileFormatOps kFileFormatOps;
extern const VxExportOptionsOps kExportOptionsOps;
extern const VxPixelReceptorOps kPixelReceptorOps;  // with the encoder
extern const VxPaletteSetterOps kPaletteSetterOps;  // with the encoder
extern const VxRegistrationOps kRegistrationOps;

// Export-options operations 9 and 10, defined with the encoder.
VxStatus GifWriterExportToFile(GifWriterInstance* self, const VxExportTarget* target);
VxStatus GifWriterExportToStream(GifWriterInstance* self, VxStream* stream);

// Finaliser work of the encoder: releases the output stream it still owns
// and frees the colour-lookup cache.
void GifWriterReleaseExportState(GifWriterInstance* self);
