// kmvconvert: turns a picture (a JPEG, or an 8-bit BMP) into a one-frame
// KMV movie. The Windows build goes through the saver's own conversion; the
// native build takes the same steps through the C library (PictureFile).
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "clib/Path.h"
#include "tools/common/SameFile.h"
#include "tools/common/ToolCli.h"
#include "tools/kmvconvert/ConversionProblem.h"
#include "tools/kmvconvert/PictureCheck.h"
#ifdef _WIN32
#include "moviewriter/convert/PictureToMovie.h"
#else
#include "tools/kmvconvert/PictureFile.h"
#endif

namespace {

const toolcli::Help kHelp = {
    "kmvconvert",
    "turns a picture (a JPEG, or a BMP of 8 bits a pixel) into a one-frame KMV movie that shows "
    "it at its own size, as the saver does with the user's picture",
    "[--scale X Y] PICTURE [MOVIE]",
    "  PICTURE         the picture; its kind is told from its extension:\n"
    "                  .bmp, .jpg or .jpeg\n"
    "  MOVIE           the movie to write (default: PICTURE with the extension\n"
    "                  .kmv); nothing is written when the conversion fails\n"
    "  --scale X Y     scale the picture by X across and Y down (numbers above 0,\n"
    "                  at most 1000)",
    "kmvconvert --scale 2 2 photo.jpg photo.kmv",
    "the picture cannot be converted or the movie cannot be written (the message says why)"};

bool ParseScale(const char* text, float* out) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(v > 0.0) || v > 1000.0) return false;
  *out = static_cast<float>(v);
  return true;
}

bool IsHidden(const char* path) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
#else
  (void)path;
  return false;
#endif
}

void Convert(const char* picture, const char* movie, float scaleX, float scaleY) {
#ifdef _WIN32
  ConvertPictureToMovie(picture, movie, scaleX, scaleY);
#else
  ConvertPictureFile(picture, movie, scaleX, scaleY);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  int code = 0;
  if (toolcli::AnswerHelpOrVersion(kHelp, argc, argv, 1, &code)) return code;
  const char* picture = nullptr;
  const char* movie = nullptr;
  float scaleX = 1.0f, scaleY = 1.0f;
  bool operandsOnly = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!operandsOnly && std::strcmp(arg, "--") == 0) {
      operandsOnly = true;
    } else if (!operandsOnly && std::strcmp(arg, "--scale") == 0) {
      if (i + 2 >= argc || !ParseScale(argv[i + 1], &scaleX) || !ParseScale(argv[i + 2], &scaleY))
        return toolcli::UsageError(
            kHelp, "--scale takes two numbers above 0 and at most 1000, such as --scale 2 1.5");
      i += 2;
    } else if (!operandsOnly && toolcli::LooksLikeOption(arg)) {
      return toolcli::UsageError(kHelp, std::string("unknown option ") + arg);
    } else if (!picture) {
      picture = arg;
    } else if (!movie) {
      movie = arg;
    } else {
      return toolcli::UsageError(
          kHelp, std::string("one picture and one movie at most; \"") + arg + "\" is one too many");
    }
  }
  if (!picture) return toolcli::UsageError(kHelp, "which picture? Name a PICTURE");

  char moviePath[kMaxPath];
  if (!movie) {
    if (std::strlen(picture) >= sizeof moviePath || (std::strcpy(moviePath, picture), false) ||
        !ReplaceExtension(moviePath, ".kmv"))
      return toolcli::FileFailure(kHelp, picture,
                                  "the movie's name, made from it, would be longer than " +
                                      std::to_string(kMaxPath - 1) + " characters; name the MOVIE");
    movie = moviePath;
  }
  // The writer replaces whatever has the movie's name: never the picture.
  const std::string same = toolcli::SameFileProblem(movie, {picture});
  if (!same.empty()) return toolcli::FileFailure(kHelp, movie, same);
  // The writer replaces whatever has the movie's name; a folder is not
  // something a user would want replaced.
  if (toolcli::ReadProblem(movie) == "is a folder, not a file")
    return toolcli::FileFailure(kHelp, movie, "is a folder; name the MOVIE file to write");
  // Pictures the conversion would take but turn into a movie nothing can
  // show are refused before anything is written.
  if (!IsHidden(picture)) {
    const ConversionProblem problem = CheckPictureBeforeConversion(picture, scaleX, scaleY);
    if (!problem.reason.empty()) return toolcli::FileFailure(kHelp, problem.file, problem.reason);
  }
  try {
    Convert(picture, movie, scaleX, scaleY);
  } catch (const std::exception& e) {
    // First which file and why, then the conversion's own words when it
    // has any.
    const ConversionProblem problem =
        ExplainConversionFailure(picture, movie, e.what(), IsHidden(picture));
    toolcli::FileFailure(kHelp, problem.file, problem.reason);
    if (!HasWords(e.what())) return toolcli::kExitFailed;
    return toolcli::Failure(kHelp, e.what());
  }
  std::printf("%s -> %s\n", picture, movie);
  return toolcli::kExitOk;
}
