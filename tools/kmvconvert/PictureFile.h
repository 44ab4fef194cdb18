// kmvconvert's conversion where the saver's own is not built (it reads the
// user's file with Windows calls): the same steps over the C library, so a
// Linux build makes the same movies. The kind is told from the name (.bmp,
// .jpg, .jpeg), a BMP is read by the imaging library's loader with the
// colour count the class library's bitmap holder uses, a JPEG is embedded
// byte for byte. Failures throw std::runtime_error with the conversion's
// own texts; nothing is written then.
#pragma once

void ConvertPictureFile(const char* picturePath, const char* moviePath, float scaleX, float scaleY);
