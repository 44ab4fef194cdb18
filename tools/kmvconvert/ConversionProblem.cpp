#include "tools/kmvconvert/ConversionProblem.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "clib/Counted.h"
#include "tools/common/BmpProblem.h"
#include "tools/common/ToolCli.h"
#include "tools/kmvconvert/PictureCheck.h"
#include "xlib/mm/PictureInfo.h"

const char kKnownPictureExtensions[] = ".bmp (an 8-bit BMP), .jpg or .jpeg (a JPEG)";

namespace {

// The writer's texts for a movie it could not write.
bool IsWriteFailure(const std::string& text) {
  return text.rfind("Error writing file. ", 0) == 0 ||
         text.rfind("Error writing movie. ", 0) == 0 || text.rfind("Movie not written: ", 0) == 0;
}

// Up to size bytes from the start of path; the count read.
size_t ReadStart(const char* path, uint8_t* bytes, size_t size) {
  std::memset(bytes, 0, size);
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 0;
  const size_t got = std::fread(bytes, 1, size, file);
  std::fclose(file);
  return got;
}

// The text after the last dot of the file's own name, dot included, or "".
std::string ExtensionOf(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\' || *p == ':') name = p + 1;
  const char* dot = std::strrchr(name, '.');
  return dot ? dot : "";
}

std::string FolderOf(const char* path) {
  const char* end = nullptr;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') end = p;
  if (end == nullptr) return ".";
  if (end == path) return "/";
  return std::string(path, end);
}

std::string ExplainUnknownKind(const char* picturePath) {
  uint8_t start[8];
  const char* looks = PictureLooksLike(start, ReadStart(picturePath, start, sizeof start));
  const std::string extension = ExtensionOf(picturePath);
  std::string reason = "cannot be converted: the kind of picture is told from the file's extension";
  if (extension.empty())
    reason += ", and the file's name has none";
  else
    reason += ", and \"" + extension + "\" is not one that is known";
  reason += std::string("; known are ") + kKnownPictureExtensions;
  if (looks && std::strcmp(looks, "a BMP") == 0)
    reason += ". The file looks like a BMP: name it .bmp";
  else if (looks && std::strcmp(looks, "a JPEG") == 0)
    reason += ". The file looks like a JPEG: name it .jpg";
  else if (looks)
    reason += std::string(". The file looks like ") + looks + ", which cannot be converted";
  return reason;
}

std::string NotEnoughMemory(const BmpHeaderInfo& info) {
  return "cannot be converted: there is not enough memory to convert its " +
         std::to_string(info.width) + " x " + std::to_string(info.height) + " pixels";
}

std::string ExplainBmp(const char* picturePath) {
  std::vector<uint8_t> bytes;
  if (!ReadPictureBytes(picturePath, bytes)) return "cannot be converted: the file cannot be read";
  uint8_t headers[54] = {};
  std::memcpy(headers, bytes.data(), bytes.size() < sizeof headers ? bytes.size() : sizeof headers);
  BmpHeaderInfo info;
  if (bytes.size() < 2 || !ParseBmpHeaderInfo(headers, &info)) {
    const char* looks = PictureLooksLike(bytes.data(), bytes.size());
    std::string reason =
        "cannot be converted: its name says BMP, but it does not start with \"BM\" as a BMP does";
    if (looks) reason += std::string(" (it looks like ") + looks + ")";
    return reason;
  }
  const std::string header = BmpHeaderProblem(bytes.data(), bytes.size());
  if (!header.empty()) return "cannot be converted: " + header;
  if (info.bitCount != 8)
    return "cannot be converted: it has " + Counted(info.bitCount, "bit", "bits") +
           " a pixel, and only BMPs of 8 bits a pixel (256 colours) can be converted; "
           "save it with 256 colours";
  // The loader tells the rest, counting the colours as the conversion does.
  const std::string read = BmpReadProblem(bytes.data(), bytes.size(), true);
  if (!read.empty()) return "cannot be converted: " + read;
  // Read on its own the picture is sound: the conversion, which holds more
  // than one copy of the pixels, ran out of memory.
  return NotEnoughMemory(info);
}

}  // namespace

ConversionProblem ExplainConversionFailure(const char* picturePath, const char* moviePath,
                                           const std::string& conversionText, bool hidden) {
  if (IsWriteFailure(conversionText)) {
    struct stat info;
    const std::string folder = FolderOf(moviePath);
    if (stat(folder.c_str(), &info) != 0 || (info.st_mode & S_IFMT) != S_IFDIR)
      return {moviePath, "cannot be written: its folder " + folder + " does not exist"};
    if (conversionText.rfind("Movie not written: ", 0) == 0)
      return {moviePath, "cannot be written: the movie would break the format's limits"};
    return {moviePath,
            "cannot be written: the folder may not allow it, a folder may have that name, "
            "or the disk may be full"};
  }
  const std::string problem = toolcli::ReadProblem(picturePath);
  if (!problem.empty()) return {picturePath, "cannot be converted: the picture " + problem};
  if (conversionText == std::bad_alloc().what())
    return {picturePath, "cannot be converted: there is not enough memory to convert it"};
  if (hidden)
    return {picturePath,
            "cannot be converted: it is a hidden file, and hidden pictures are passed over"};
  switch (GetPictureKind(picturePath)) {
    case kPictureBmp:
      return {picturePath, ExplainBmp(picturePath)};
    case kPictureJpeg:
      return {picturePath, "cannot be converted: the JPEG cannot be read"};
    default:
      return {picturePath, ExplainUnknownKind(picturePath)};
  }
}

bool HasWords(const std::string& conversionText) {
  // The class library's text for a code it has no words for.
  if (conversionText.rfind("<unknown error: ", 0) == 0) return false;
  return !conversionText.empty() && conversionText != std::bad_alloc().what();
}
