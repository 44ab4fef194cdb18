#include "saver/PayloadTrailer.h"

#include <cstring>

bool TrailerHasPackage(const PayloadTrailer& trailer) {
  return trailer.magic == kTrailerMagic && trailer.playerStart != 0;
}

PayloadTrailer TrailerFromFileTail(const uint8_t* bytes, size_t size) {
  PayloadTrailer trailer;
  std::memset(&trailer, 0, sizeof trailer);
  if (size >= kTrailerSize) std::memcpy(&trailer, bytes + (size - kTrailerSize), kTrailerSize);
  return trailer;
}

bool TrailerCommandTerminated(const PayloadTrailer& trailer, int index) {
  if (index < 0 || index >= kCommandCount) return false;
  return std::memchr(trailer.commands[index], 0, kCommandFieldSize) != nullptr;
}

std::string TrailerCommand(const PayloadTrailer& trailer, int index) {
  if (index < 0 || index >= kCommandCount) return std::string();
  const char* field = trailer.commands[index];
  const void* end = std::memchr(field, 0, kCommandFieldSize);
  size_t length =
      end ? static_cast<size_t>(static_cast<const char*>(end) - field) : kCommandFieldSize;
  return std::string(field, length);
}

int TerminateTrailerCommands(PayloadTrailer& trailer) {
  int unterminated = 0;
  for (int i = 0; i < kCommandCount; ++i) {
    if (!TrailerCommandTerminated(trailer, i)) ++unterminated;
    trailer.commands[i][kCommandFieldSize - 1] = '\0';
  }
  return unterminated;
}

bool SetTrailerCommand(PayloadTrailer& trailer, int index, const char* text) {
  if (index < 0 || index >= kCommandCount) return false;
  size_t length = text ? std::strlen(text) : 0;
  if (length > kMaxCommandLength) return false;
  std::memset(trailer.commands[index], 0, kCommandFieldSize);
  if (length) std::memcpy(trailer.commands[index], text, length);
  return true;
}

const char* TrailerFlagName(uint32_t bit) {
  switch (bit) {
    case kFlagExternal:
      return "External";
    case kFlagForceMaximize:
      return "ForceMaximize";
    case kFlagRunPreview:
      return "RunPreview";
    case kFlagTwoWaySound:
      return "TwoWaySound";
    case kFlagThreeWaySound:
      return "ThreeWaySound";
    default:
      return nullptr;
  }
}

const char* InteractiveFlagName(uint32_t bit) {
  switch (bit) {
    case kInteractiveOnMouse:
      return "OnMouse";
    case kInteractiveOnKey:
      return "OnKey";
    default:
      return nullptr;
  }
}

std::string CheckTrailerOffsets(const PayloadTrailer& trailer, uint64_t fileSize) {
  if (fileSize < kTrailerSize) return "the file is shorter than a trailer";
  const uint64_t trailerOffset = fileSize - kTrailerSize;
  if (trailer.playerEnd < trailer.playerStart) return "the player ends before it starts";
  if (trailer.playerEnd > trailerOffset) return "the player runs into the trailer or past the file";
  if (trailer.settingsBoxImageOffset >= trailerOffset && trailer.settingsBoxImageOffset != 0)
    return "the settings-box picture lies at or after the trailer";
  if (trailer.previewImageOffset >= trailerOffset && trailer.previewImageOffset != 0)
    return "the preview picture lies at or after the trailer";
  return std::string();
}
