#include "saver/PayloadTrailer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void PutWord(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A file image: `lead` bytes of program, then a trailer written byte by byte
// at the documented offsets, independent of the struct.
std::vector<uint8_t> FileWithTrailer(size_t lead, uint32_t magic, uint32_t playerStart) {
  std::vector<uint8_t> bytes(lead + kTrailerSize, 0xAB);
  const size_t t = lead;
  std::memset(bytes.data() + t, 0, kTrailerSize);
  PutWord(bytes, t + 0, magic);
  PutWord(bytes, t + 4, kFlagRunPreview | kFlagThreeWaySound);
  PutWord(bytes, t + 8, 11);
  PutWord(bytes, t + 12, 22);
  PutWord(bytes, t + 16, playerStart);
  PutWord(bytes, t + 20, static_cast<uint32_t>(lead));
  PutWord(bytes, t + 24, kInteractiveOnKey);
  PutWord(bytes, t + 28, 86);            // interactiveKeys[0]
  PutWord(bytes, t + 28 + 19 * 4, 123);  // interactiveKeys[19]
  PutWord(bytes, t + 108, 112);          // executeKeys[0]
  PutWord(bytes, t + 108 + 3 * 4, 27);   // executeKeys[3]
  std::memcpy(bytes.data() + t + 124, "notepad.exe", 11);
  std::memcpy(bytes.data() + t + 124 + 3 * 300, "ini", 3);
  return bytes;
}

TEST(PayloadTrailerTest, FieldsComeFromTheirDocumentedOffsets) {
  auto bytes = FileWithTrailer(5000, kTrailerMagic, 4000);
  PayloadTrailer t = TrailerFromFileTail(bytes.data(), bytes.size());
  EXPECT_EQ(t.magic, kTrailerMagic);
  EXPECT_EQ(t.flags, kFlagRunPreview | kFlagThreeWaySound);
  EXPECT_EQ(t.settingsBoxImageOffset, 11u);
  EXPECT_EQ(t.previewImageOffset, 22u);
  EXPECT_EQ(t.playerStart, 4000u);
  EXPECT_EQ(t.playerEnd, 5000u);
  EXPECT_EQ(t.interactiveFlags, kInteractiveOnKey);
  EXPECT_EQ(t.interactiveKeys[0], 86u);
  EXPECT_EQ(t.interactiveKeys[1], 0u);
  EXPECT_EQ(t.interactiveKeys[19], 123u);
  EXPECT_EQ(t.executeKeys[0], 112u);
  EXPECT_EQ(t.executeKeys[3], 27u);
  EXPECT_EQ(TrailerCommand(t, 0), "notepad.exe");
  EXPECT_EQ(TrailerCommand(t, 1), "");
  EXPECT_EQ(TrailerCommand(t, 3), "ini");
}

TEST(PayloadTrailerTest, MagicIsTheBytesZYPS) {
  const uint8_t bytes[4] = {'Z', 'Y', 'P', 'S'};
  uint32_t word;
  std::memcpy(&word, bytes, 4);
  EXPECT_EQ(word, kTrailerMagic);
}

TEST(PayloadTrailerTest, PackagePresenceTable) {
  struct Case {
    const char* what;
    size_t size;
    uint32_t magic;
    uint32_t playerStart;
    bool present;
  } cases[] = {
      {"good package", 3000, kTrailerMagic, 100, true},
      {"playerStart 0 with the right magic", 3000, kTrailerMagic, 0, false},
      {"wrong magic", 3000, 0x5350595B, 100, false},
      {"magic in the wrong byte order", 3000, 0x5A595053, 100, false},
      {"trailer alone, no program before it", 0, kTrailerMagic, 100, true},
  };
  for (const Case& c : cases) {
    auto bytes = FileWithTrailer(c.size, c.magic, c.playerStart);
    EXPECT_EQ(TrailerHasPackage(TrailerFromFileTail(bytes.data(), bytes.size())), c.present)
        << c.what;
  }
}

TEST(PayloadTrailerTest, FileShorterThanTheTrailerHasNoPackage) {
  auto bytes = FileWithTrailer(0, kTrailerMagic, 100);
  PayloadTrailer t = TrailerFromFileTail(bytes.data(), kTrailerSize - 1);
  EXPECT_EQ(t.magic, 0u);
  EXPECT_FALSE(TrailerHasPackage(t));
}

TEST(PayloadTrailerTest, CommandWithoutNulStopsAtItsField) {
  PayloadTrailer t;
  std::memset(&t, 0, sizeof t);
  std::memset(t.commands[1], 'x', kCommandFieldSize);  // runs straight into field 2
  std::memcpy(t.commands[2], "second", 6);
  EXPECT_FALSE(TrailerCommandTerminated(t, 1));
  EXPECT_TRUE(TrailerCommandTerminated(t, 2));
  EXPECT_EQ(TrailerCommand(t, 1), std::string(kCommandFieldSize, 'x'));
  EXPECT_EQ(TrailerCommand(t, 2), "second");

  // The last field borders the end of the record.
  std::memset(t.commands[3], 'y', kCommandFieldSize);
  EXPECT_EQ(TrailerCommand(t, 3).size(), kCommandFieldSize);

  EXPECT_EQ(TerminateTrailerCommands(t), 2);
  EXPECT_EQ(TrailerCommand(t, 1), std::string(kMaxCommandLength, 'x'));
  EXPECT_EQ(TrailerCommand(t, 2), "second");
  EXPECT_EQ(std::strlen(t.commands[3]), kMaxCommandLength);
  EXPECT_EQ(TerminateTrailerCommands(t), 0);
}

TEST(PayloadTrailerTest, SetCommandAcceptsUpTo299Characters) {
  PayloadTrailer t;
  std::memset(&t, 0x55, sizeof t);
  const std::string longest(kMaxCommandLength, 'c');
  EXPECT_TRUE(SetTrailerCommand(t, 0, longest.c_str()));
  EXPECT_EQ(TrailerCommand(t, 0), longest);
  EXPECT_TRUE(TrailerCommandTerminated(t, 0));

  const std::string tooLong(kCommandFieldSize, 'd');
  EXPECT_FALSE(SetTrailerCommand(t, 1, tooLong.c_str()));
  EXPECT_EQ(static_cast<unsigned char>(t.commands[1][0]), 0x55) << "refused text leaves the field";

  EXPECT_TRUE(SetTrailerCommand(t, 2, ""));
  EXPECT_EQ(TrailerCommand(t, 2), "");
  EXPECT_FALSE(SetTrailerCommand(t, 4, "x"));
}

TEST(PayloadTrailerTest, FlagNames) {
  EXPECT_STREQ(TrailerFlagName(kFlagExternal), "External");
  EXPECT_STREQ(TrailerFlagName(kFlagForceMaximize), "ForceMaximize");
  EXPECT_STREQ(TrailerFlagName(kFlagRunPreview), "RunPreview");
  EXPECT_STREQ(TrailerFlagName(kFlagTwoWaySound), "TwoWaySound");
  EXPECT_STREQ(TrailerFlagName(kFlagThreeWaySound), "ThreeWaySound");
  EXPECT_EQ(TrailerFlagName(32), nullptr);
  EXPECT_STREQ(InteractiveFlagName(kInteractiveOnMouse), "OnMouse");
  EXPECT_STREQ(InteractiveFlagName(kInteractiveOnKey), "OnKey");
  EXPECT_EQ(InteractiveFlagName(4), nullptr);
}

TEST(PayloadTrailerTest, OffsetChecks) {
  PayloadTrailer t;
  std::memset(&t, 0, sizeof t);
  const uint64_t size = 10000;  // trailer at 8676
  t.playerStart = 5000;
  t.playerEnd = 8676;
  t.settingsBoxImageOffset = 100;
  t.previewImageOffset = 0;
  EXPECT_EQ(CheckTrailerOffsets(t, size), "");
  t.playerEnd = 8677;
  EXPECT_NE(CheckTrailerOffsets(t, size), "");
  t.playerEnd = 4999;
  EXPECT_NE(CheckTrailerOffsets(t, size), "");
  t.playerEnd = 8000;
  t.previewImageOffset = 8676;
  EXPECT_NE(CheckTrailerOffsets(t, size), "");
  t.previewImageOffset = 0;
  EXPECT_NE(CheckTrailerOffsets(t, kTrailerSize - 1), "");
}

}  // namespace
