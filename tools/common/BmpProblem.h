// What the saver's BMP reader makes of a file, in words a user understands:
// the tools ask this before they pack or convert a picture, so that a
// picture the saver could not show is refused with the reason instead of
// being taken. OS-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Why the information header of the BMP in bytes[0..size) cannot be read:
// the file ends inside its headers, an OS/2 header, or a header size no
// Windows version defines. Empty when the headers can be read. The caller
// has checked the "BM" signature.
std::string BmpHeaderProblem(const uint8_t* bytes, size_t size);

// Why the saver's reader refuses the BMP in bytes[0..size), or why it would
// show pixels the file does not hold: the depth and compression, the colour
// table, damaged run-length data, pixels that end before the picture does,
// or a pixel offset past the file's end. Empty when the picture can be read.
// importantColorsCount: count the colour table as the class library's
// bitmap holder does (the picture conversion) rather than as the preview's
// reader does. Meaningful after BmpHeaderProblem gave no problem.
std::string BmpReadProblem(const uint8_t* bytes, size_t size, bool importantColorsCount);

// The last part of BmpReadProblem, for a picture the reader takes: the
// reader takes the pixels to follow the colour table, and reads a short
// file without complaint, so the file must hold every pixel there; and its
// own pixel offset must not point past its end, which a damaged or cut file
// shows.
std::string BmpPixelPlaceProblem(const uint8_t* bytes, size_t size, bool importantColorsCount);
