#include "tools/somnel-pack/TrailerText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tools/somnel-pack/PackLayout.h"

namespace {

// A package in memory: program, settings-box BMP, player, trailer.
struct Package {
  std::vector<uint8_t> bytes;
  PayloadTrailer trailer;

  FileReader Reader() const {
    return [this](uint64_t offset, void* buffer, size_t size) {
      if (offset > bytes.size() || size > bytes.size() - offset) return false;
      std::memcpy(buffer, bytes.data() + offset, size);
      return true;
    };
  }
};

Package MakePackage() {
  Package p;
  std::memset(&p.trailer, 0, sizeof p.trailer);
  std::vector<uint8_t> program(500, 0x90), bmp(70, 0), player(300, 0xCC);
  program[0] = 'M', program[1] = 'Z';
  bmp[0] = 'B', bmp[1] = 'M', bmp[2] = 70;  // bfSize 70
  player[0] = 'M', player[1] = 'Z';
  uint64_t total = 0;
  std::string error;
  EXPECT_TRUE(PlanPackage({500, 70, 0, 300}, p.trailer, total, error));
  p.trailer.flags = kFlagForceMaximize | kFlagThreeWaySound;
  p.trailer.interactiveFlags = kInteractiveOnMouse;
  p.trailer.interactiveKeys[0] = 27;
  p.trailer.interactiveKeys[4] = 86;
  p.trailer.executeKeys[1] = 113;
  SetTrailerCommand(p.trailer, 1, "http://example.invalid/");
  SetTrailerCommand(p.trailer, 3, "ini");
  for (auto* part : {&program, &bmp, &player})
    p.bytes.insert(p.bytes.end(), part->begin(), part->end());
  const auto* raw = reinterpret_cast<const uint8_t*>(&p.trailer);
  p.bytes.insert(p.bytes.end(), raw, raw + kTrailerSize);
  return p;
}

TEST(TrailerTextTest, DescribesEveryFieldInWords) {
  Package p = MakePackage();
  const std::string text = DescribeTrailer(p.trailer, p.bytes.size(), p.Reader());
  const char* expected =
      "  file size: 2194 bytes, trailer at offset 870\n"
      "  flags: 0x00000012 ForceMaximize ThreeWaySound\n"
      "  settings-box picture: offset 500, size 70 bytes (BMP)\n"
      "  preview picture: none\n"
      "  player: offset 570, end 870, size 300 bytes (Windows program)\n"
      "  interactive: 0x00000001 OnMouse\n"
      "  interactive keys: Key1=Escape Key5=V\n"
      "  command 1: key none, \"\"\n"
      "  command 2: key F2, \"http://example.invalid/\"\n"
      "  command 3: key none, \"\"\n"
      "  command 4: key none, \"ini\"\n";
  EXPECT_EQ(text, expected);
}

TEST(TrailerTextTest, NamesFaultsOfABadTrailer) {
  Package p = MakePackage();
  p.trailer.playerEnd = 5000;         // past the file
  p.trailer.previewImageOffset = 10;  // inside the program, not a BMP
  p.trailer.flags |= 0x40;            // a bit without a name
  std::memset(p.trailer.commands[0], 'z', kCommandFieldSize);
  const std::string text = DescribeTrailer(p.trailer, p.bytes.size(), p.Reader());
  EXPECT_NE(text.find("preview picture: offset 10, not a BMP"), std::string::npos) << text;
  EXPECT_NE(text.find("warning: the player runs into the trailer or past the file"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("unknown-bit-64"), std::string::npos) << text;
  EXPECT_NE(text.find("\"" + std::string(300, 'z') + "\" (no NUL: cut at its 300 bytes)"),
            std::string::npos)
      << text;
}

}  // namespace
