#include "tools/somnel-pack/TrailerText.h"

#include <cstdio>
#include <cstring>

#include "clib/Counted.h"
#include "saver/KeyNames.h"

namespace {

std::string Format(const char* format, unsigned long long a, unsigned long long b = 0,
                   unsigned long long c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

std::string KeyText(uint32_t code) {
  char buffer[2];
  if (const char* name = KeyNameFromCode(code, buffer)) return name;
  return Format("code %llu", code);
}

std::string FlagText(uint32_t flags, const char* (*nameOf)(uint32_t)) {
  std::string text = Format("0x%08llX", flags);
  if (!flags) return text + " (none)";
  for (uint32_t bit = 1; bit; bit <<= 1) {
    if (!(flags & bit)) continue;
    const char* name = nameOf(bit);
    text += " ";
    text += name ? name : Format("unknown-bit-%llu", bit).c_str();
  }
  return text;
}

std::string PictureText(const char* what, uint32_t offset, uint64_t trailerOffset,
                        const FileReader& read) {
  std::string text = std::string("  ") + what + ": ";
  if (!offset) return text + "none\n";
  text += Format("offset %llu", offset);
  unsigned char header[6];
  if (offset >= trailerOffset || !read(offset, header, sizeof header))
    return text + ", not inside the file\n";
  if (header[0] != 'B' || header[1] != 'M') return text + ", not a BMP\n";
  const uint32_t size =
      header[2] | header[3] << 8 | header[4] << 16 | static_cast<uint32_t>(header[5]) << 24;
  return text + ", size " + Counted(size, "byte", "bytes") + " (BMP)\n";
}

}  // namespace

std::string DescribeTrailer(const PayloadTrailer& t, uint64_t fileSize, const FileReader& read) {
  const uint64_t trailerOffset = fileSize >= kTrailerSize ? fileSize - kTrailerSize : 0;
  std::string out;
  out += "  file size: " + Counted(fileSize, "byte", "bytes") +
         Format(", trailer at offset %llu\n", trailerOffset);
  out += "  flags: " + FlagText(t.flags, TrailerFlagName) + "\n";
  out += PictureText("settings-box picture", t.settingsBoxImageOffset, trailerOffset, read);
  out += PictureText("preview picture", t.previewImageOffset, trailerOffset, read);

  out += Format("  player: offset %llu, end %llu", t.playerStart, t.playerEnd);
  if (t.playerEnd >= t.playerStart) {
    out += ", size " + Counted(t.playerEnd - t.playerStart, "byte", "bytes");
    unsigned char mz[2];
    if (t.playerEnd - t.playerStart >= 2 && read(t.playerStart, mz, 2))
      out += (mz[0] == 'M' && mz[1] == 'Z') ? " (Windows program)" : " (not a Windows program)";
  }
  out += "\n";
  const std::string problem = CheckTrailerOffsets(t, fileSize);
  if (!problem.empty()) out += "  warning: " + problem + "\n";

  out += "  interactive: " + FlagText(t.interactiveFlags, InteractiveFlagName) + "\n";
  std::string keys;
  for (int i = 0; i < kInteractiveKeyCount; ++i) {
    if (!t.interactiveKeys[i]) continue;
    keys += Format(" Key%llu=", i + 1) + KeyText(t.interactiveKeys[i]);
  }
  out += "  interactive keys:" + (keys.empty() ? std::string(" none") : keys) + "\n";

  for (int i = 0; i < kCommandCount; ++i) {
    out += Format("  command %llu: key ", i + 1);
    out += t.executeKeys[i] ? KeyText(t.executeKeys[i]) : std::string("none");
    out += ", \"" + TrailerCommand(t, i) + "\"";
    if (!TrailerCommandTerminated(t, i)) out += " (no NUL: cut at its 300 bytes)";
    out += "\n";
  }
  return out;
}
