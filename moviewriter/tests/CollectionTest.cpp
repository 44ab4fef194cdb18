#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "moviewriter/KmvReader.h"
#include "moviewriter/VCTags.h"
#include "moviewriter/VDTBits.h"
#include "moviewriter/VObjCollection.h"
#include "moviewriter/tests/ScratchDir.h"

#ifdef __linux__
#include <signal.h>
#include <sys/resource.h>
#endif

namespace {

class Collection : public ::testing::Test {
 protected:
  void SetUp() override { ResetCharacterId(); }
  void TearDown() override { ResetCharacterId(); }
  ScratchDir dir;
};

TEST_F(Collection, EmptyMovieIs23Bytes) {
  VObjCollection c;
  std::string path = dir.File("empty.kmv");
  EXPECT_TRUE(c.CreateMovie(path.c_str(), 11000, 8000, 12));
  EXPECT_EQ(Hex(ReadBytes(path)),
            "56 4D 4B 04 17 00 00 00 78 00 05 5F 00 00 0F A0 00 00 0C 00 00 00 00");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"empty.kmv"});  // no temporary left
}

TEST_F(Collection, HeaderRectangleAndFields) {
  struct {
    S32 width, height;
    U32 rate;
    const char* rect;
  } cases[] = {
      {0, 0, 12, "78 00 00 00 00 00 00 00 00"},
      {16383, 1, 300, "78 00 07 FF E0 00 00 00 80"},  // rate: low 8 bits of 300 = 0x2C
  };
  for (const auto& c : cases) {
    VObjCollection col;
    col.AddObject(new VCTShowFrame);
    col.AddObject(new VCTShowFrame);
    std::string path = dir.File("h.kmv");
    ASSERT_TRUE(col.CreateMovie(path.c_str(), c.width, c.height, c.rate));
    std::vector<U8> b = ReadBytes(path);
    ASSERT_EQ(b.size(), 21u + 2 + 2 + 2);
    EXPECT_EQ(Hex(b.data() + 8, 9), c.rect);
    EXPECT_EQ(b[17], 0);
    EXPECT_EQ(b[18], c.rate & 0xFF);
    EXPECT_EQ(Hex(b.data() + 19, 2), "02 00");  // frame count
    EXPECT_EQ(Hex(b.data() + 21, 6), "40 00 40 00 00 00");
  }
}

TEST_F(Collection, LargeSizesWidenTheHeaderInsteadOfCutting) {
  struct {
    S32 width, height;
    U32 bits, headerSize;
  } cases[] = {
      {16384, 100, 16, 21},  // 5 + 64 bits still fit 9 bytes
      {80000, 60000, 18, 22},
      {1 << 29, 5, 31, 29},
  };
  for (const auto& c : cases) {
    VObjCollection col;
    col.AddObject(new VCTShowFrame);
    std::string path = dir.File("wide.kmv");
    ASSERT_TRUE(col.CreateMovie(path.c_str(), c.width, c.height, 12));
    kmv::Movie m = kmv::ReadFile(path);
    EXPECT_EQ(m.frame.nBits, c.bits);
    EXPECT_EQ(m.frame.xmin, 0);
    EXPECT_EQ(m.frame.xmax, c.width);
    EXPECT_EQ(m.frame.ymin, 0);
    EXPECT_EQ(m.frame.ymax, c.height);
    EXPECT_EQ(m.headerSize, c.headerSize);
    EXPECT_EQ(m.fileLength, c.headerSize + 2 + 2);
    EXPECT_EQ(m.frameCount, 1);
  }
}

TEST_F(Collection, SizesBeyondTheFieldCountAreRefused) {
  VObjCollection col;
  std::string path = dir.File("huge.kmv");
  EXPECT_THROW(col.CreateMovie(path.c_str(), 1 << 30, 5, 12), KmvWriteError);
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(dir.List().empty());
}

TEST_F(Collection, IdentifiersRestartPerMovieAndContinueAfterFailedOpen) {
  static const U8 data[2] = {1, 2};
  {
    VObjCollection col;
    auto* a = new VDTDefineBitsJPEG2(data, 2);
    auto* b = new VDTDefineBitsJPEG2(data, 2);
    EXPECT_EQ(a->CharacterId(), 1);
    EXPECT_EQ(b->CharacterId(), 2);
    col.AddObject(a);
    col.AddObject(b);
    ASSERT_TRUE(col.CreateMovie(dir.File("one.kmv").c_str(), 100, 100, 12));
  }
  {
    VObjCollection col;
    auto* a = new VDTDefineBitsJPEG2(data, 2);
    EXPECT_EQ(a->CharacterId(), 1);
    col.AddObject(a);
    std::string missing = dir.File("no-such-folder") + "/x.kmv";
    EXPECT_FALSE(col.CreateMovie(missing.c_str(), 100, 100, 12));
    EXPECT_FALSE(FileExists(missing));
  }
  VDTDefineBitsJPEG2 next(data, 2);
  EXPECT_EQ(next.CharacterId(), 2);
}

TEST_F(Collection, MoreThan65535DefinitionsAreRefused) {
  std::string path = dir.File("ids.kmv");
  {
    // An earlier movie of the same name stays as it was.
    VObjCollection col;
    ASSERT_TRUE(col.CreateMovie(path.c_str(), 100, 100, 12));
  }
  std::vector<U8> before = ReadBytes(path);
  static const U8 data[2] = {1, 2};
  for (int i = 0; i < 65535; ++i) NextCharacterId();
  VObjCollection col;
  col.AddObject(new VDTDefineBitsJPEG2(data, 2));  // would be 65536
  EXPECT_THROW(col.CreateMovie(path.c_str(), 100, 100, 12), KmvWriteError);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(dir.List(), std::vector<std::string>{"ids.kmv"});
  // The failed movie is finished with: the next starts at 1 again.
  VDTDefineBitsJPEG2 next(data, 2);
  EXPECT_EQ(next.CharacterId(), 1);
}

TEST_F(Collection, FrameCountAbove65535IsRefused) {
  VObjCollection col;
  for (int i = 0; i < 65536; ++i) col.AddObject(new VCTShowFrame);
  std::string path = dir.File("frames.kmv");
  try {
    col.CreateMovie(path.c_str(), 100, 100, 12);
    ADD_FAILURE() << "no error";
  } catch (const KmvWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("frame count 65536"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(FileExists(path));
}

TEST_F(Collection, FailedRenameLeavesNothingBehind) {
  // The target name is taken by a folder that cannot be replaced.
  std::string path = dir.File("taken.kmv");
  std::filesystem::create_directory(path);
  std::filesystem::create_directory(path + "/inside");
  VObjCollection col;
  EXPECT_THROW(col.CreateMovie(path.c_str(), 100, 100, 12), KmvWriteError);
  EXPECT_EQ(dir.List(), std::vector<std::string>{"taken.kmv"});
}

#ifdef __linux__
// A disk that fills up part-way: the file size limit makes writes fail.
TEST_F(Collection, WriteFailingPartWayLeavesNoTruncatedMovie) {
  std::vector<U8> jpeg(200000, 0x5A);
  std::string path = dir.File("full.kmv");
  rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 50000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool threw = false;
  {
    VObjCollection col;
    col.AddObject(new VDTDefineBitsJPEG2(jpeg.data(), static_cast<U32>(jpeg.size())));
    try {
      col.CreateMovie(path.c_str(), 100, 100, 12);
    } catch (const KmvWriteError&) {
      threw = true;
    }
  }
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(threw);
  EXPECT_TRUE(dir.List().empty());
}
#endif

}  // namespace
