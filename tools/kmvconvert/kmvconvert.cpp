// kmvconvert: turns a picture (a JPEG, or an 8-bit BMP) into a one-frame
// KMV movie, exactly as the saver does for the user's picture.
//
//   kmvconvert PICTURE [MOVIE] [--scale X Y]
//
// MOVIE defaults to PICTURE with the extension ".kmv". Look at the result
// with kmvinfo.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "clib/Path.h"
#include "moviewriter/convert/PictureToMovie.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: kmvconvert PICTURE [MOVIE] [--scale X Y]\n");
  return 2;
}

bool ParseScale(const char* text, float* out) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(v > 0.0) || v > 1000.0) return false;
  *out = static_cast<float>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* picture = nullptr;
  const char* movie = nullptr;
  float scaleX = 1.0f, scaleY = 1.0f;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--scale") == 0) {
      if (i + 2 >= argc || !ParseScale(argv[i + 1], &scaleX) || !ParseScale(argv[i + 2], &scaleY))
        return Usage();
      i += 2;
    } else if (!picture) {
      picture = argv[i];
    } else if (!movie) {
      movie = argv[i];
    } else {
      return Usage();
    }
  }
  if (!picture) return Usage();

  char moviePath[MAX_PATH];
  if (!movie) {
    if (std::strlen(picture) >= sizeof moviePath) return Usage();
    std::strcpy(moviePath, picture);
    if (!ReplaceExtension(moviePath, ".kmv")) {
      std::fprintf(stderr, "kmvconvert: the movie's name would be too long\n");
      return 1;
    }
    movie = moviePath;
  }
  try {
    ConvertPictureToMovie(picture, movie, scaleX, scaleY);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kmvconvert: %s\n", e.what());
    return 1;
  }
  std::printf("%s -> %s\n", picture, movie);
  return 0;
}
