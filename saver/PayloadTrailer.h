// The payload trailer: the fixed 1324-byte index record at the very end of a
// packaged saver. The saver reads it; somnel-pack writes it. Both use this one
// definition so that they can never disagree about the layout.
//
// All integers are unsigned 32-bit little-endian. Every target we build for
// (x86, x86-64) is little-endian, so the record is read and written as is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t kTrailerMagic = 0x5350595A;  // the bytes "ZYPS"
constexpr size_t kTrailerSize = 1324;
constexpr int kInteractiveKeyCount = 20;
constexpr int kExecuteKeyCount = 4;
constexpr int kCommandCount = 4;
constexpr size_t kCommandFieldSize = 300;
constexpr size_t kMaxCommandLength = kCommandFieldSize - 1;  // room for the NUL

// flags
enum : uint32_t {
  kFlagExternal = 1,
  kFlagForceMaximize = 2,
  kFlagRunPreview = 4,
  kFlagTwoWaySound = 8,
  kFlagThreeWaySound = 16,
  kFlagAll = 31,
};

// interactiveFlags
enum : uint32_t {
  kInteractiveOnMouse = 1,
  kInteractiveOnKey = 2,
  kInteractiveAll = 3,
};

#pragma pack(push, 1)
struct PayloadTrailer {
  uint32_t magic;
  uint32_t flags;
  uint32_t settingsBoxImageOffset;  // complete BMP file; 0 = none
  uint32_t previewImageOffset;      // complete BMP file; 0 = none
  uint32_t playerStart;             // 0 = no package
  uint32_t playerEnd;               // one past the player's last byte
  uint32_t interactiveFlags;
  uint32_t interactiveKeys[kInteractiveKeyCount];   // virtual-key codes, 0 = empty
  uint32_t executeKeys[kExecuteKeyCount];           // keys that run commands 1..4
  char commands[kCommandCount][kCommandFieldSize];  // NUL-terminated, if the file is sound
};
#pragma pack(pop)

static_assert(sizeof(PayloadTrailer) == kTrailerSize, "the trailer is 1324 bytes");
static_assert(offsetof(PayloadTrailer, magic) == 0, "trailer layout");
static_assert(offsetof(PayloadTrailer, flags) == 4, "trailer layout");
static_assert(offsetof(PayloadTrailer, settingsBoxImageOffset) == 8, "trailer layout");
static_assert(offsetof(PayloadTrailer, previewImageOffset) == 12, "trailer layout");
static_assert(offsetof(PayloadTrailer, playerStart) == 16, "trailer layout");
static_assert(offsetof(PayloadTrailer, playerEnd) == 20, "trailer layout");
static_assert(offsetof(PayloadTrailer, interactiveFlags) == 24, "trailer layout");
static_assert(offsetof(PayloadTrailer, interactiveKeys) == 28, "trailer layout");
static_assert(offsetof(PayloadTrailer, executeKeys) == 108, "trailer layout");
static_assert(offsetof(PayloadTrailer, commands) == 124, "trailer layout");

// A package is present when the magic is right and a player is named.
bool TrailerHasPackage(const PayloadTrailer& trailer);

// The record from the last kTrailerSize bytes of `bytes`. A shorter input
// gives a record whose magic is 0, which counts as no package.
PayloadTrailer TrailerFromFileTail(const uint8_t* bytes, size_t size);

// Command `index` (0..3). The field comes from a file and may lack its NUL:
// the text never runs past the field's 300 bytes.
std::string TrailerCommand(const PayloadTrailer& trailer, int index);

// True when command `index` has a NUL inside its field.
bool TrailerCommandTerminated(const PayloadTrailer& trailer, int index);

// Cuts every command field at its last byte, so that code which reads the
// fields as C strings cannot run past them. Returns how many fields lacked
// their NUL.
int TerminateTrailerCommands(PayloadTrailer& trailer);

// Stores `text` as command `index`; false (field unchanged) when it is longer
// than kMaxCommandLength characters.
bool SetTrailerCommand(PayloadTrailer& trailer, int index, const char* text);

// Names of the flag bits, for listings: "External", "ForceMaximize", ...
const char* TrailerFlagName(uint32_t bit);
const char* InteractiveFlagName(uint32_t bit);

// Checks that the offsets of a trailer fit a file of `fileSize` bytes whose
// last kTrailerSize bytes are the trailer: the player range lies before the
// trailer and is not reversed, each picture offset lies before the trailer.
// Returns an empty text when they do, else what is wrong.
std::string CheckTrailerOffsets(const PayloadTrailer& trailer, uint64_t fileSize);
