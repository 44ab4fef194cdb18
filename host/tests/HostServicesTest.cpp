// The stand-in's own services: what the plug-in tests rely on must hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/HostAllocator.h"
#include "host/HostDictionary.h"
#include "host/HostFile.h"
#include "host/HostImageSource.h"

namespace {

using namespace vrixhost;

TEST(HostAllocator, FailsExactlyTheNthAllocationAndCountsLiveBlocks) {
  HostAllocator a;
  a.FailAllocation(3);
  void* p1 = a.ops->Alloc(&a, 10);
  void* p2 = a.ops->Alloc(&a, 20);
  void* p3 = a.ops->Alloc(&a, 30);
  void* p4 = a.ops->Alloc(&a, 40);
  EXPECT_NE(nullptr, p1);
  EXPECT_NE(nullptr, p2);
  EXPECT_EQ(nullptr, p3);
  EXPECT_NE(nullptr, p4);
  EXPECT_EQ(3u, a.LiveBlocks());
  a.ops->Free(&a, p2);
  a.ops->Free(&a, p2);  // twice: counted, not done
  EXPECT_EQ(1, a.BadFrees());
  a.ops->Free(&a, p1);
  a.ops->Free(&a, p4);
  EXPECT_EQ(0u, a.LiveBlocks());
  EXPECT_EQ(4, a.Allocations());
}

TEST(HostDictionary, ValuesKeepTheirTypeAndSize) {
  HostDictionary* d = HostDictionary::Create();
  int32_t i = 0x12345678;
  uint8_t b = 1;
  const uint8_t raw[5] = {9, 8, 7, 6, 5};
  ASSERT_EQ(VX_OK, d->ops->Put(d, VX_DICT_INT32, &i, 4, "i"));
  ASSERT_EQ(VX_OK, d->ops->Put(d, VX_DICT_BOOL, &b, 1, "b"));
  ASSERT_EQ(VX_OK, d->ops->Put(d, VX_DICT_BYTES, raw, 5, "raw"));
  ASSERT_EQ(VX_OK, d->ops->Put(d, VX_DICT_TEXT, "hello", 0, "t"));
  // Sizes that do not fit the type are refused.
  EXPECT_EQ(VX_E_INVALIDARG, d->ops->Put(d, VX_DICT_INT32, &i, 2, "bad"));
  EXPECT_EQ(VX_E_INVALIDARG, d->ops->Put(d, VX_DICT_TEXT, "x", 1, "bad"));
  EXPECT_EQ(VX_E_INVALIDARG, d->ops->Put(d, 5, &i, 4, "bad"));
  EXPECT_FALSE(d->Has("bad"));

  int32_t gotInt = 0;
  EXPECT_EQ(VX_OK, d->ops->Get(d, VX_DICT_INT32, &gotInt, 4, "i"));
  EXPECT_EQ(0x12345678, gotInt);
  // The wrong type fails and leaves the buffer alone.
  int32_t untouched = 77;
  EXPECT_NE(VX_OK, d->ops->Get(d, VX_DICT_INT32, &untouched, 4, "b"));
  EXPECT_NE(VX_OK, d->ops->Get(d, VX_DICT_BOOL, &untouched, 1, "i"));
  EXPECT_EQ(77, untouched);
  EXPECT_EQ(kHostNoSuchKey, d->ops->Get(d, VX_DICT_INT32, &untouched, 4, "missing"));

  uint8_t prefix[3] = {};
  EXPECT_EQ(VX_OK, d->ops->Get(d, VX_DICT_BYTES, prefix, 3, "raw"));
  EXPECT_EQ(7, prefix[2]);
  uint8_t more[6] = {};
  EXPECT_EQ(VX_E_INVALIDARG, d->ops->Get(d, VX_DICT_BYTES, more, 6, "raw"));

  char text[6];
  EXPECT_EQ(VX_OK, d->ops->Get(d, VX_DICT_TEXT, text, 6, "t"));
  EXPECT_STREQ("hello", text);
  char small[5];
  EXPECT_EQ(VX_E_INVALIDARG, d->ops->Get(d, VX_DICT_TEXT, small, 5, "t"));
  EXPECT_EQ((std::vector<std::string>{"i", "b", "raw", "t"}), d->putLog);
  d->ops->Release(d);
}

std::string TempPath(const char* name) {
  return (testing::TempDir() + "/vrixhost-") + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HostFileStream, CreateModeTruncatesUpdateModeKeepsAndSeeks) {
  const std::string path = TempPath("stream.bin");
  std::remove(path.c_str());
  {
    HostFileStream* s = HostFileStream::Create(path, 4096);
    ASSERT_EQ(VX_OK, s->ops->Open(s, VX_STREAM_OPEN_CREATE));
    EXPECT_EQ(6, s->ops->Write(s, "GIF89a", 6));
    EXPECT_EQ(VX_OK, s->ops->Flush(s));
    EXPECT_EQ(VX_OK, s->ops->Close(s));
    s->ops->Release(s);
  }
  EXPECT_EQ("GIF89a", ReadAll(path));
  {
    // Update: the size is the old one; overwrite the last byte and append.
    HostFileStream* s = HostFileStream::Create(path, 4096);
    ASSERT_EQ(VX_OK, s->ops->Open(s, VX_STREAM_OPEN_UPDATE));
    uint32_t size = 0;
    ASSERT_EQ(VX_OK, s->ops->GetSize(s, &size));
    EXPECT_EQ(6u, size);
    ASSERT_EQ(VX_OK, s->ops->Seek(s, size - 1));
    EXPECT_EQ(3, s->ops->Write(s, "b;!", 3));
    EXPECT_EQ(VX_OK, s->ops->Close(s));
    s->ops->Release(s);
  }
  EXPECT_EQ("GIF89b;!", ReadAll(path));
  {
    HostFileStream* s = HostFileStream::Create(path, 4096);
    ASSERT_EQ(VX_OK, s->ops->Open(s, VX_STREAM_OPEN_CREATE));
    uint32_t size = 99;
    ASSERT_EQ(VX_OK, s->ops->GetSize(s, &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(VX_E_INVALIDARG, s->ops->Open(s, VX_STREAM_OPEN_CREATE));  // already open
    s->ops->Release(s);  // closes what is still open
  }
  EXPECT_EQ("", ReadAll(path));
  {
    // Update mode creates a missing file; unknown modes are refused.
    std::remove(path.c_str());
    HostFileStream* s = HostFileStream::Create(path, 0);
    EXPECT_EQ(VX_E_INVALIDARG, s->ops->Open(s, 3));
    ASSERT_EQ(VX_OK, s->ops->Open(s, VX_STREAM_OPEN_UPDATE));
    EXPECT_EQ(1, s->ops->Write(s, "x", 1));
    s->ops->Release(s);
    EXPECT_EQ("x", ReadAll(path));
  }
  std::remove(path.c_str());
}

TEST(HostFileService, GivesTheTargetPathAndStreams) {
  HostFileService* fs = HostFileService::Create();
  FileTarget target(TempPath("target.gif"));
  char path[256];
  ASSERT_EQ(VX_OK, fs->ops->GetExportPath(fs, &target.target, path, sizeof path));
  EXPECT_EQ(target.path, path);
  VxExportTarget notAFile = {1, nullptr};
  EXPECT_EQ(VX_E_INVALIDARG, fs->ops->GetExportPath(fs, &notAFile, path, sizeof path));
  FileTarget tooLong(std::string(256, 'a'));
  EXPECT_EQ(VX_E_INVALIDARG, fs->ops->GetExportPath(fs, &tooLong.target, path, sizeof path));
  VxStream* stream = nullptr;
  ASSERT_EQ(VX_OK, fs->ops->CreateStream(fs, path, VX_STREAM_BUFFER_SIZE, &stream));
  EXPECT_EQ(target.path, static_cast<HostFileStream*>(stream)->path);
  EXPECT_EQ(4096u, static_cast<HostFileStream*>(stream)->bufferSize);
  stream->ops->Release(stream);
  fs->ops->Release(fs);
}

// A receptor that records the calls the source makes.
struct RecordingReceptor : VxPixelReceptor {
  std::vector<std::string> calls;
  std::vector<std::vector<uint8_t>> rows;
  int32_t choose = -1;  // -1: the first offered kind
  VxStatus failBegin = VX_OK;
  uint32_t width = 0, bpp = 0;

  RecordingReceptor() {
    static const VxPixelReceptorOps kOps = {nullptr,   nullptr, nullptr, nullptr, nullptr,
                                            Negotiate, Begin,   Row,     End};
    ops = &kOps;
  }

  static VxStatus VXAPI Negotiate(VxPixelReceptor* self, int32_t* kinds, uint32_t n,
                                  int32_t* second, uint32_t n2) {
    RecordingReceptor* r = static_cast<RecordingReceptor*>(self);
    r->calls.push_back("negotiate " + std::to_string(n) + " " + std::to_string(kinds[0]) + " " +
                       std::to_string(n2) + " " + std::to_string(second[0]));
    if (r->choose >= 0) kinds[0] = r->choose;
    return VX_OK;
  }
  static VxStatus VXAPI Begin(VxPixelReceptor* self, const VxImageDesc* d) {
    RecordingReceptor* r = static_cast<RecordingReceptor*>(self);
    r->calls.push_back("begin " + std::to_string(d->width) + "x" + std::to_string(d->height) +
                       " kind " + std::to_string(d->kind));
    r->width = d->width;
    r->bpp = BytesPerPixel(d->kind);
    return r->failBegin;
  }
  static VxStatus VXAPI Row(VxPixelReceptor* self, uint32_t row, const uint8_t* pixels) {
    RecordingReceptor* r = static_cast<RecordingReceptor*>(self);
    r->calls.push_back("row " + std::to_string(row));
    r->rows.emplace_back(pixels, pixels + r->width * r->bpp);
    return VX_OK;
  }
  static VxStatus VXAPI End(VxPixelReceptor* self) {
    static_cast<RecordingReceptor*>(self)->calls.push_back("end");
    return VX_OK;
  }
};

TEST(HostImageSource, PushesNegotiateBeginRowsInOrderEnd) {
  // 2x3 RGB, every pixel different so a swapped row or channel shows.
  std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  HostImageSource* src = HostImageSource::Create(2, 3, VX_PIXEL_RGB24, pixels);
  RecordingReceptor r;
  ASSERT_EQ(VX_OK, src->ops->SendImage(src, &r, &IID_VxPixelReceptor));
  EXPECT_EQ((std::vector<std::string>{"negotiate 1 0 1 0", "begin 2x3 kind 0", "row 0", "row 1",
                                      "row 2", "end"}),
            r.calls);
  ASSERT_EQ(3u, r.rows.size());
  EXPECT_EQ((std::vector<uint8_t>{7, 8, 9, 10, 11, 12}), r.rows[1]);
  EXPECT_EQ(1, src->sends);
  src->ops->Release(src);
}

TEST(HostImageSource, StopsAtTheFirstFailureAndRefusesUnofferedKinds) {
  HostImageSource* src = HostImageSource::Create(1, 2, VX_PIXEL_INDEX8, {0, 1});
  src->SetTransparentIndex(1);
  EXPECT_EQ(VX_IMAGE_HAS_TRANSPARENT_INDEX, src->desc.flags);
  RecordingReceptor failing;
  failing.failBegin = VxCode(0x800412C3u);
  EXPECT_EQ(VxCode(0x800412C3u), src->ops->SendImage(src, &failing, &IID_VxPixelReceptor));
  EXPECT_EQ(2u, failing.calls.size());
  RecordingReceptor other;
  other.choose = VX_PIXEL_RGB24;
  EXPECT_EQ(VX_E_INVALIDARG, src->ops->SendImage(src, &other, &IID_VxPixelReceptor));
  EXPECT_EQ(1u, other.calls.size());
  EXPECT_EQ(VX_E_NOINTERFACE, src->ops->SendImage(src, &other, &IID_VxStream));
  src->ops->Release(src);
}

TEST(HostImageSource, TooFewPixelsAreRefusedBeforeAnyCall) {
  HostImageSource* src = HostImageSource::Create(4, 4, VX_PIXEL_RGBA32, std::vector<uint8_t>(63));
  RecordingReceptor r;
  EXPECT_EQ(VX_E_INVALIDARG, src->ops->SendImage(src, &r, &IID_VxPixelReceptor));
  EXPECT_TRUE(r.calls.empty());
  src->ops->Release(src);
}

}  // namespace
