// Turning a user's picture (a JPEG, or a BMP of 8 bits per pixel) into a
// one-frame KMV movie that shows it at its own size. Failures throw
// std::runtime_error; nothing is written then.
#pragma once

#include <cstdint>

#include "clib/WinTypes.h"

// pixels x 20.0 x scale, truncated toward zero. Results beyond the 32-bit
// range (absurd scales) are clamped to it, NaN gives 0.
int32_t PictureTwips(int32_t pixels, float scale);

// The BMP half of the conversion once the picture is in memory: colours
// (blue, green, red, reserved; numColors of them count), an 8-bit picture
// of width x height pixels in rows of rowBytes, bottom row first. The rows
// are turned top row first in place (padding stays put), then written as a
// lossless colour-mapped bitmap with a 256-entry table (entries past the
// picture's own are black). Throws "Bitmaps must be 8-bit." when bitCount
// is not 8.
void IndexedPictureToMovie(const RGBQUAD* colors, uint32_t numColors, int bitCount, uint8_t* pixels,
                           uint32_t rowBytes, int32_t width, int32_t height, const char* moviePath,
                           float scaleX, float scaleY);

// Embeds the JPEG file byte for byte (never decoded) as the movie's bitmap,
// with the given pixel size. Throws "Error opening file. " or
// "Error reading file. " followed by the path.
void JpegToMovie(const char* picturePath, int32_t width, int32_t height, const char* moviePath,
                 float scaleX, float scaleY);

#ifdef _WIN32
// Reads the BMP with cBitmap and converts it. The pixel work uses the size
// the loaded bitmap itself reports, which is width and height unless the
// file changed in between.
void BmpToMovie(const char* picturePath, int32_t width, int32_t height, const char* moviePath,
                float scaleX, float scaleY);

// Decides the kind from the picture's name and headers and converts it.
// Throws "Uknown file type. " followed by the path for anything but a BMP
// or JPEG that was found.
void ConvertPictureToMovie(const char* picturePath, const char* moviePath, float scaleX,
                           float scaleY);
#endif
