#include "host/GifExportArgs.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace vrixhost {

namespace {

bool ParseInt(const char* text, int32_t low, int32_t high, int32_t* out) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *out = static_cast<int32_t>(v);
  return true;
}

// The names the options dialog shows, and a short name for each.
struct PaletteName {
  const char* shown;
  const char* shortName;
  int32_t choice;
};

const PaletteName kPalettes[] = {
    {"Exact Palette", "exact", 0},    {"Web", "web", 1},      {"64 Colors", "64", 2},
    {"32 Colors", "32", 3},           {"16 Colors", "16", 4}, {"Macintosh System", "mac", 5},
    {"Windows System", "windows", 6}, {"3-3-2", "3-3-2", 7},
};

// A name as compared: lower case, without blanks, '-' and '_', so that
// "64 colors", "64-Colors" and "64colors" are one name.
std::string Squeezed(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

// "--name=value" -> value when arg starts with "--name=", else null.
const char* ValueOf(const char* arg, const char* name) {
  const size_t n = std::strlen(name);
  if (std::strncmp(arg, name, n) == 0 && arg[n] == '=') return arg + n + 1;
  return nullptr;
}

}  // namespace

bool BuiltinPaletteChoice(const std::string& name, int32_t* choice) {
  const std::string wanted = Squeezed(name);
  for (const PaletteName& p : kPalettes) {
    if (wanted != Squeezed(p.shown) && wanted != Squeezed(p.shortName)) continue;
    *choice = p.choice;
    return true;
  }
  return false;
}

std::string BuiltinPaletteNames() {
  std::string out;
  for (const PaletteName& p : kPalettes) {
    if (!out.empty()) out += ", ";
    out += std::string("\"") + p.shown + "\"";
    if (Squeezed(p.shown) != Squeezed(p.shortName)) out += std::string(" (") + p.shortName + ")";
  }
  return out;
}

bool NamesAPaletteFile(const std::string& value) {
  return value.find_first_of(".\\/:") != std::string::npos;
}

bool ParseGifExportArgs(int argc, char** argv, GifExportRequest* r, std::string* error) {
  *r = GifExportRequest{};
  bool animate = false, append = false;
  bool dialogOption = false;  // one of the options that the dialog sets
  std::string files[2];
  int fileCount = 0;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const char* v = nullptr;
    if (std::strcmp(a, "--interlace") == 0) {
      r->interlaced = true;
      dialogOption = true;
    } else if (std::strcmp(a, "--dither") == 0) {
      r->dither = true;
      dialogOption = true;
    } else if (std::strcmp(a, "--adaptive") == 0) {
      r->adaptivePalette = true;
      dialogOption = true;
    } else if (std::strcmp(a, "--transparent") == 0) {
      r->transparent = true;
      dialogOption = true;
    } else if ((v = ValueOf(a, "--transparent")) != nullptr) {
      dialogOption = true;
      if (!ParseInt(v, 0, 255, &r->transparentIndex)) {
        *error = "--transparent takes a palette index from 0 to 255";
        return false;
      }
      r->transparent = true;
      r->hasTransparentIndex = true;
    } else if ((v = ValueOf(a, "--palette")) != nullptr) {
      if (*v == '\0') {
        *error = "--palette takes a palette name or a palette file";
        return false;
      }
      dialogOption = true;
      if (!BuiltinPaletteChoice(v, &r->paletteChoice)) {
        r->paletteChoice = kFirstPaletteFileChoice;
        r->paletteFile = v;
      }
    } else if ((v = ValueOf(a, "--options")) != nullptr) {
      if (*v == '\0') {
        *error = "--options takes the file that vrixhost gif-options wrote";
        return false;
      }
      r->optionsFile = v;
    } else if (std::strcmp(a, "--animate") == 0) {
      animate = true;
    } else if (std::strcmp(a, "--append") == 0) {
      append = true;
    } else if ((v = ValueOf(a, "--fps")) != nullptr) {
      if (!ParseInt(v, 1, 1000, &r->framesPerSecond)) {
        *error = "--fps takes a frame rate from 1 to 1000";
        return false;
      }
    } else if ((v = ValueOf(a, "--x")) != nullptr) {
      if (!ParseInt(v, 0, 65535, &r->xOffset)) {
        *error = "--x takes an offset from 0 to 65535";
        return false;
      }
    } else if ((v = ValueOf(a, "--y")) != nullptr) {
      if (!ParseInt(v, 0, 65535, &r->yOffset)) {
        *error = "--y takes an offset from 0 to 65535";
        return false;
      }
    } else if ((v = ValueOf(a, "--plugin")) != nullptr) {
      r->plugin = v;
    } else if (a[0] == '-' && a[1] != '\0') {
      *error = std::string("unknown option ") + a;
      return false;
    } else if (fileCount < 2) {
      files[fileCount++] = a;
    } else {
      *error = "more than one input and one output";
      return false;
    }
  }
  if (animate && append) {
    *error = "--animate starts an animation and --append continues one; give one of them";
    return false;
  }
  if (dialogOption && !r->optionsFile.empty()) {
    *error =
        "--options holds what --interlace, --transparent, --dither, --adaptive and --palette "
        "would set; give either";
    return false;
  }
  if (fileCount != 2) {
    *error = "an INPUT picture and an OUTPUT.gif are needed";
    return false;
  }
  r->input = files[0];
  r->output = files[1];
  r->animation = animate || append;
  r->initialFrame = !append;
  return true;
}

}  // namespace vrixhost
