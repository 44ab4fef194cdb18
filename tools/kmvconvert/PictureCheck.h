// What kmvconvert looks at before it converts: the picture's headers, read
// as the saver reads them, and the size of the movie the scale would make.
// It refuses what the conversion would take without complaint and turn into
// a movie that nothing can show: a JPEG whose header cannot be read (the
// conversion then goes on with a size of 0 x 0), a JPEG a movie player
// cannot draw, an empty file, a BMP whose pixels the file does not hold, a
// scale that leaves no twip. What the conversion itself refuses is left to
// it, so its own words still follow the explanation. OS-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/kmvconvert/ConversionProblem.h"

// The whole file; false when it cannot be read.
bool ReadPictureBytes(const char* path, std::vector<uint8_t>& bytes);

// What the first bytes say the file holds ("a BMP", "a PNG", "text", ...),
// or null.
const char* PictureLooksLike(const uint8_t* bytes, size_t size);

// Why the JPEG in bytes cannot be drawn, read from its markers, for when the
// JPEG library rejects it: cut short before its frame header, or a frame of
// a kind the library and the movie players do not read. Empty when the
// markers show no such thing.
std::string JpegMarkerProblem(const uint8_t* bytes, size_t size);

// The problem (file and a reason starting "cannot be converted: "), or an
// empty reason when the picture may be converted. Files that cannot be read,
// and kinds that are not known, are left to the conversion.
ConversionProblem CheckPictureBeforeConversion(const char* picturePath, float scaleX, float scaleY);
