#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "moviewriter/HVMovie.h"
#include "moviewriter/KmvReader.h"
#include "moviewriter/tests/ScratchDir.h"

namespace {

class Movie : public ::testing::Test {
 protected:
  void SetUp() override { ResetCharacterId(); }
  void TearDown() override { ResetCharacterId(); }
  ScratchDir dir;
};

// Tags of the given code, in file order.
std::vector<const kmv::Tag*> TagsOf(const kmv::Movie& m, uint16_t code) {
  std::vector<const kmv::Tag*> out;
  for (const kmv::Tag& t : m.tags) {
    if (t.code == code) out.push_back(&t);
  }
  return out;
}

std::vector<uint16_t> Codes(const kmv::Movie& m) {
  std::vector<uint16_t> codes;
  for (const kmv::Tag& t : m.tags) codes.push_back(t.code);
  return codes;
}

TEST_F(Movie, FrameSlotsGrowByEight) {
  HVMovie movie;
  HVFrame* first = movie.Frame(0);
  EXPECT_EQ(first, movie.frames.at(0));
  EXPECT_EQ(movie.frames.size(), 8u);
  EXPECT_EQ(movie.frameCount, 1);
  movie.Frame(9);
  EXPECT_EQ(movie.frames.size(), 17u);
  EXPECT_EQ(movie.frameCount, 10);
  movie.Frame(3);
  EXPECT_EQ(movie.frames.size(), 17u);
  EXPECT_EQ(movie.frameCount, 10);
  for (HVFrame* f : movie.frames) EXPECT_EQ(f->movie, &movie);

  std::string path = dir.File("empty-frames.kmv");
  ASSERT_TRUE(movie.WriteMovie(path.c_str()));
  EXPECT_TRUE(movie.frames.empty());
  EXPECT_EQ(movie.frameCount, 0);
  kmv::Movie m = kmv::ReadFile(path);
  EXPECT_EQ(m.frameCount, 10);
  EXPECT_EQ(Codes(m), std::vector<uint16_t>({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(m.frame.xmax, 11000);
  EXPECT_EQ(m.frame.ymax, 8000);
  EXPECT_EQ(m.frameRate, 12 << 8);
}

TEST_F(Movie, BitmapMovieBytesAndShape) {
  // A 100 x 50 pixel picture at scale 1.0.
  std::vector<U8> jpeg = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
  HVBitmap bitmap(0, 0, 2000, 1000, 100, 50, jpeg.data(), static_cast<U32>(jpeg.size()));
  HVMovie movie;
  movie.width = 2000;
  movie.height = 1000;
  movie.Frame(0)->AddObject(&bitmap);
  EXPECT_EQ(bitmap.characterId, 2);
  EXPECT_EQ(bitmap.bitmapTag, nullptr);  // now the frame's
  std::string path = dir.File("bitmap.kmv");
  ASSERT_TRUE(movie.WriteMovie(path.c_str()));

  std::vector<U8> b = ReadBytes(path);
  ASSERT_GE(b.size(), 11u);
  EXPECT_EQ(Hex(b.data() + b.size() - 11, 11), "85 06 02 00 00 02 00 40 00 00 00");

  kmv::Movie m = kmv::ReadFile(path);
  EXPECT_EQ(Codes(m), std::vector<uint16_t>({21, 32, 26, 1, 0}));
  EXPECT_EQ(m.frame.nBits, 15u);
  EXPECT_EQ(m.frame.xmax, 2000);
  EXPECT_EQ(m.frame.ymax, 1000);
  EXPECT_EQ(m.tags[0].jpeg.id, 1);
  EXPECT_EQ(m.tags[0].jpeg.dataSize, jpeg.size());

  const kmv::Tag& shapeTag = m.tags[1];
  EXPECT_EQ(shapeTag.headerSize, 2u);  // body under 63 bytes
  const kmv::Shape& s = shapeTag.shape;
  EXPECT_EQ(s.id, 2);
  EXPECT_EQ(s.bounds.xmin, 0);
  EXPECT_EQ(s.bounds.xmax, 2000);
  EXPECT_EQ(s.bounds.ymin, 0);
  EXPECT_EQ(s.bounds.ymax, 1000);
  ASSERT_EQ(s.fills.size(), 2u);
  EXPECT_EQ(s.fills[0].type, 0x41);
  EXPECT_EQ(s.fills[0].bitmapId, 0xFFFF);
  EXPECT_EQ(s.fills[0].matrix.scaleX, 0xA0000);
  EXPECT_EQ(s.fills[0].matrix.scaleY, 0xA0000);
  EXPECT_EQ(s.fills[1].type, 0x41);
  EXPECT_EQ(s.fills[1].bitmapId, 1);
  EXPECT_TRUE(s.fills[1].matrix.hasScale);
  EXPECT_FALSE(s.fills[1].matrix.hasRotate);
  EXPECT_EQ(s.fills[1].matrix.scaleX, (2001 << 16) / 100);  // a little above 20.0
  EXPECT_EQ(s.fills[1].matrix.scaleY, (1001 << 16) / 50);
  EXPECT_EQ(s.fills[1].matrix.translateX, 0);
  EXPECT_EQ(s.fills[1].matrix.translateY, 0);
  EXPECT_TRUE(s.lines.empty());
  EXPECT_EQ(s.nFillBits, 2u);
  EXPECT_EQ(s.nLineBits, 0u);
  ASSERT_EQ(s.records.size(), 6u);
  EXPECT_EQ(s.records[0].kind, kmv::ShapeRecord::kChange);
  EXPECT_TRUE(s.records[0].moveTo);
  EXPECT_EQ(s.records[0].fillStyle1, 2u);
  EXPECT_TRUE(s.records[0].hasLineStyle);
  EXPECT_EQ(s.records[0].lineStyle, 0u);  // no bits to hold it
  const int edges[4][2] = {{2001, 0}, {0, 1001}, {-2001, 0}, {0, -1001}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.records[1 + i].kind, kmv::ShapeRecord::kStraight);
    EXPECT_EQ(s.records[1 + i].dx, edges[i][0]);
    EXPECT_EQ(s.records[1 + i].dy, edges[i][1]);
  }
  EXPECT_EQ(s.records[5].kind, kmv::ShapeRecord::kEnd);

  const kmv::Place& p = m.tags[2].place;
  EXPECT_EQ(p.depth, 0);
  EXPECT_EQ(p.characterId, 2);
  EXPECT_FALSE(p.hasMatrix);
}

TEST_F(Movie, ObjectInTwoFramesIsDefinedOnce) {
  HVRectangle rect(0, 0, 200, 100);
  HVMovie movie;
  movie.Frame(0)->AddObject(&rect);
  movie.Frame(1)->AddObject(&rect);
  std::string path = dir.File("twice.kmv");
  ASSERT_TRUE(movie.WriteMovie(path.c_str()));
  kmv::Movie m = kmv::ReadFile(path);
  EXPECT_EQ(Codes(m), std::vector<uint16_t>({32, 26, 1, 26, 1, 0}));
  EXPECT_EQ(m.tags[1].place.characterId, 1);
  EXPECT_EQ(m.tags[3].place.characterId, 1);
  EXPECT_EQ(m.tags[1].place.depth, 0);
  EXPECT_EQ(m.tags[3].place.depth, 1);
  // A plain rectangle: white solid fill, 20-twip black outline.
  const kmv::Shape& s = m.tags[0].shape;
  ASSERT_EQ(s.fills.size(), 1u);
  EXPECT_EQ(s.fills[0].type, 0);
  EXPECT_EQ(s.fills[0].color.r, 255);
  EXPECT_EQ(s.fills[0].color.a, 255);
  ASSERT_EQ(s.lines.size(), 1u);
  EXPECT_EQ(s.lines[0].width, 20);
  EXPECT_EQ(s.lines[0].color.r, 0);
  EXPECT_EQ(s.lines[0].color.a, 255);
  EXPECT_EQ(s.records[0].fillStyle1, 1u);
  EXPECT_EQ(s.records[0].lineStyle, 1u);
}

TEST_F(Movie, DepthsAreRenumberedFromZero) {
  struct Placement {
    int object;  // which object, in definition order
    U16 depth;
  };
  struct {
    const char* name;
    std::vector<Placement> placements;
    std::vector<uint16_t> finalDepths;  // of the placements, in the same order
  } cases[] = {
      {"3 and 1", {{0, 3}, {1, 1}}, {1, 0}},
      {"equal depths: lower identifier first", {{0, 5}, {1, 5}}, {0, 1}},
      {"one object placed twice keeps placement order", {{0, 2}, {1, 1}, {0, 2}}, {1, 0, 2}},
  };
  for (const auto& c : cases) {
    ResetCharacterId();
    HVRectangle a(0, 0, 10, 10), b(0, 0, 20, 20);
    HVRectangle* objects[2] = {&a, &b};
    HVMovie movie;
    for (const Placement& p : c.placements) {
      objects[p.object]->depth = p.depth;
      movie.Frame(0)->AddObject(objects[p.object]);
    }
    std::string path = dir.File("depth.kmv");
    ASSERT_TRUE(movie.WriteMovie(path.c_str()));
    kmv::Movie m = kmv::ReadFile(path);
    std::vector<const kmv::Tag*> places = TagsOf(m, 26);
    ASSERT_EQ(places.size(), c.finalDepths.size()) << c.name;
    for (size_t i = 0; i < places.size(); ++i) {
      EXPECT_EQ(places[i]->place.depth, c.finalDepths[i]) << c.name << " #" << i;
    }
  }
}

TEST_F(Movie, RemovalTakesThePlacementsDepth) {
  HVRectangle a(0, 0, 10, 10), b(0, 0, 20, 20);
  a.depth = 7;
  b.depth = 2;
  HVMovie movie;
  movie.Frame(0)->AddObject(&a);
  movie.Frame(0)->AddObject(&b);
  a.RemoveFromFrame(movie.Frame(1), &movie);
  std::string path = dir.File("remove.kmv");
  ASSERT_TRUE(movie.WriteMovie(path.c_str()));
  kmv::Movie m = kmv::ReadFile(path);
  EXPECT_EQ(Codes(m), std::vector<uint16_t>({32, 26, 32, 26, 1, 5, 1, 0}));
  EXPECT_EQ(m.tags[5].remove.characterId, 1);
  EXPECT_EQ(m.tags[5].remove.depth, 1);
  EXPECT_EQ(m.tags[1].place.depth, 1);
  EXPECT_EQ(m.tags[3].place.depth, 0);
}

TEST(HVShape, Transforms) {
  HVRectangle r(0, 0, 200, 100);
  EXPECT_FALSE(r.HasTransform());
  r.rotation = 90 * 65536;
  EXPECT_TRUE(r.HasTransform());
  VMatrix* m = r.GetMatrix();
  EXPECT_EQ(m->hasScale, 1u);
  EXPECT_EQ(m->scaleX, 0);
  EXPECT_EQ(m->scaleY, 0);
  EXPECT_EQ(m->hasRotate, 1u);
  EXPECT_EQ(m->rotateSkew0, 65536);
  EXPECT_EQ(m->rotateSkew1, -65536);
  EXPECT_EQ(m->translateX, 150);
  EXPECT_EQ(m->translateY, -50);
  delete m;

  struct {
    S32 x, y, scaleX, scaleY;
    S32 mScaleX, mScaleY, tx, ty;
  } cases[] = {
      {30, -40, 0x10000, 0x10000, 0x10000, 0x10000, 30, -40},
      // Only the rotation is compensated about the centre: scales alone
      // leave the translation at (x, y).
      {0, 0, 0x20000, 0x20000, 0x20000, 0x20000, 0, 0},
      {5, 0, 0x8000, 0x10000, 0x8000, 0x10000, 5, 0},
  };
  for (const auto& c : cases) {
    HVRectangle s(0, 0, 200, 100);
    s.x = c.x;
    s.y = c.y;
    s.scaleX = c.scaleX;
    s.scaleY = c.scaleY;
    ASSERT_TRUE(s.HasTransform());
    VMatrix* t = s.GetMatrix();
    EXPECT_EQ(t->scaleX, c.mScaleX);
    EXPECT_EQ(t->scaleY, c.mScaleY);
    EXPECT_EQ(t->rotateSkew0, 0);
    EXPECT_EQ(t->rotateSkew1, 0);
    EXPECT_EQ(t->translateX, c.tx);
    EXPECT_EQ(t->translateY, c.ty);
    delete t;
  }
}

TEST(HVShape, RotationWithScaleAndOffset) {
  // 180 degrees at scale 2 about the centre (100, 50), then moved by (7, 9):
  // cos -1, sin ~0; tx = 7 - trunc(2 * (-100 - 100)) = 407,
  // ty = 9 - trunc(2 * (-50 - 50)) = 209.
  HVRectangle r(0, 0, 200, 100);
  r.rotation = 180 * 65536;
  r.scaleX = r.scaleY = 0x20000;
  r.x = 7;
  r.y = 9;
  VMatrix* m = r.GetMatrix();
  EXPECT_EQ(m->scaleX, -0x20000);
  EXPECT_EQ(m->scaleY, -0x20000);
  EXPECT_EQ(m->rotateSkew0, 0);
  EXPECT_EQ(m->rotateSkew1, 0);
  EXPECT_EQ(m->translateX, 407);
  EXPECT_EQ(m->translateY, 209);
  delete m;
}

TEST_F(Movie, PlacementCarriesTheTransform) {
  HVRectangle r(0, 0, 200, 100);
  r.rotation = 90 * 65536;
  HVMovie movie;
  movie.Frame(0)->AddObject(&r);
  std::string path = dir.File("rotated.kmv");
  ASSERT_TRUE(movie.WriteMovie(path.c_str()));
  kmv::Movie m = kmv::ReadFile(path);
  const kmv::Place& p = TagsOf(m, 26).at(0)->place;
  ASSERT_TRUE(p.hasMatrix);
  EXPECT_EQ(p.matrix.rotateSkew0, 65536);
  EXPECT_EQ(p.matrix.rotateSkew1, -65536);
  EXPECT_EQ(p.matrix.translateX, 150);
  EXPECT_EQ(p.matrix.translateY, -50);
}

// A picture thousands of pixels wide: 4000 x 3000 pixels, 80000 x 60000 twips.
TEST_F(Movie, LargeBitmapMovieReadsBack) {
  const S32 w = 4000, h = 3000;
  std::vector<U8> table(256 * 3);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<U8>(i * 5 + 1);
  std::vector<U8> pixels(size_t(w) * h);
  for (S32 y = 0; y < h; ++y) {
    for (S32 x = 0; x < w; ++x)
      pixels[size_t(y) * w + x] = static_cast<U8>(x * 7 + y * 3 + (x > y));
  }
  HVBitmap bitmap(0, 0, w * 20, h * 20, 3, w, h, 256, false, pixels.data(), table.data());
  HVMovie movie;
  movie.width = w * 20;
  movie.height = h * 20;
  movie.Frame(0)->AddObject(&bitmap);
  std::string path = dir.File("large.kmv");
  ASSERT_TRUE(movie.WriteMovie(path.c_str()));

  kmv::Movie m = kmv::ReadFile(path);
  EXPECT_EQ(m.frame.nBits, 18u);
  EXPECT_EQ(m.frame.xmax, 80000);
  EXPECT_EQ(m.frame.ymax, 60000);
  EXPECT_EQ(Codes(m), std::vector<uint16_t>({20, 32, 26, 1, 0}));

  const kmv::Bitmap& bm = m.tags[0].bitmap;
  EXPECT_EQ(bm.width, w);
  EXPECT_EQ(bm.height, h);
  EXPECT_EQ(bm.colorTableSize, 256u);
  std::vector<U8> expected = table;
  expected.insert(expected.end(), pixels.begin(), pixels.end());
  EXPECT_TRUE(bm.inflated == expected);

  const kmv::Shape& s = m.tags[1].shape;
  EXPECT_EQ(s.bounds.xmax, 80000);
  EXPECT_EQ(s.bounds.ymax, 60000);
  // (80001 << 16) / 4000 overflows 32 bits if computed there.
  EXPECT_EQ(s.fills[1].matrix.scaleX, static_cast<S32>((int64_t(80001) << 16) / 4000));
  EXPECT_EQ(s.fills[1].matrix.scaleY, static_cast<S32>((int64_t(60001) << 16) / 3000));
  // Sides longer than 65535 twips become collinear edges that each fit.
  std::vector<std::pair<int, int>> outline;
  for (const kmv::ShapeRecord& r : s.records) {
    if (r.kind == kmv::ShapeRecord::kStraight) outline.push_back({r.dx, r.dy});
  }
  std::vector<std::pair<int, int>> want = {{65535, 0},  {14466, 0},  {0, 60001},
                                           {-65535, 0}, {-14466, 0}, {0, -60001}};
  EXPECT_EQ(outline, want);
}

TEST_F(Movie, UnfitMoviesAreRefusedAndConsumed) {
  using Objects = std::vector<std::unique_ptr<HVObject>>;
  static std::vector<U8> pixels(70000, 0);
  static std::vector<U8> table(256 * 3, 0);
  struct {
    const char* name;
    void (*build)(HVMovie&, Objects&);
  } cases[] = {
      {"bitmap 70000 pixels wide",
       [](HVMovie& movie, Objects& keep) {
         keep.emplace_back(
             new HVBitmap(0, 0, 1000, 1000, 3, 70000, 1, 256, false, pixels.data(), table.data()));
         movie.Frame(0)->AddObject(keep.back().get());
       }},
      {"movie 2^30 twips wide",
       [](HVMovie& movie, Objects&) {
         movie.width = 1 << 30;
         movie.Frame(0);
       }},
      {"line 70000 twips wide",
       [](HVMovie& movie, Objects& keep) {
         auto* r = new HVRectangle(0, 0, 10, 10);
         keep.emplace_back(r);
         r->lineWidth = 70000;
         movie.Frame(0)->AddObject(r);
       }},
      {"65537 placements",
       [](HVMovie& movie, Objects& keep) {
         keep.emplace_back(new HVRectangle(0, 0, 10, 10));
         for (int i = 0; i < 65537; ++i) movie.Frame(0)->AddObject(keep.back().get());
       }},
      {"65536 frames", [](HVMovie& movie, Objects&) { movie.Frame(65535); }},
  };
  for (const auto& c : cases) {
    ResetCharacterId();
    Objects keep;
    HVMovie movie;
    c.build(movie, keep);
    std::string path = dir.File("unfit.kmv");
    EXPECT_THROW(movie.WriteMovie(path.c_str()), KmvWriteError) << c.name;
    EXPECT_TRUE(dir.List().empty()) << c.name;
    EXPECT_EQ(movie.frameCount, 0) << c.name;
    EXPECT_TRUE(movie.frames.empty()) << c.name;
    EXPECT_TRUE(movie.events.empty()) << c.name;
  }
}

TEST_F(Movie, BitmapWithoutSizeStillWritesAMovie) {
  // A picture whose header could not be read reports 0 x 0 pixels.
  std::vector<U8> data = {'B', 'M', 0, 0};
  HVBitmap bitmap(0, 0, 0, 0, 0, 0, data.data(), static_cast<U32>(data.size()));
  HVMovie movie;
  movie.width = 0;
  movie.height = 0;
  movie.Frame(0)->AddObject(&bitmap);
  std::string path = dir.File("nosize.kmv");
  ASSERT_TRUE(movie.WriteMovie(path.c_str()));
  kmv::Movie m = kmv::ReadFile(path);
  EXPECT_EQ(m.tags[1].shape.fills[1].matrix.scaleX, 0x10000);
  EXPECT_EQ(m.tags[0].jpeg.dataSize, 4u);
}

}  // namespace
