#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/ole32/ole32.h"

namespace ole32 {
namespace {

HRESULT Parse(const std::u16string& text, CLSID* id) { return CLSIDFromString(text.c_str(), id); }

TEST(CLSIDFromString, ParsesIdentifiersAndRefusesEverythingElse) {
  CLSID id;
  ASSERT_EQ(Parse(u"{557CF401-1A04-11D3-9A73-0000F81EF32E}", &id), NOERROR);
  EXPECT_EQ(id, (CLSID{0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}}));
  CLSID lower;
  ASSERT_EQ(Parse(u"{557cf401-1a04-11d3-9a73-0000f81ef32e}", &lower), NOERROR);
  EXPECT_EQ(lower, id);

  const CLSID zero{};
  for (const char16_t* bad : {u"", u"557CF401-1A04-11D3-9A73-0000F81EF32E",
                              u"{557CF401-1A04-11D3-9A73-0000F81EF32E",
                              u"{557CF401-1A04-11D3-9A73-0000F81EF32E}x",
                              u"{557CF40G-1A04-11D3-9A73-0000F81EF32E}",
                              u"{557CF401+1A04-11D3-9A73-0000F81EF32E}", u"{"}) {
    CLSID out = id;
    EXPECT_EQ(CLSIDFromString(bad, &out), CO_E_CLASSSTRING) << std::string(bad, bad + 3);
    EXPECT_EQ(out, zero);
  }
  CLSID out = id;
  EXPECT_EQ(CLSIDFromString(nullptr, &out), NOERROR);
  EXPECT_EQ(out, zero);
}

struct StreamReleaser {
  void operator()(IStream* s) const { s->Release(); }
};
using Stream = std::unique_ptr<IStream, StreamReleaser>;

Stream NewStream(HGLOBAL block = nullptr) {
  IStream* s = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(block, 1, &s), S_OK);
  return Stream(s);
}

ULARGE_INTEGER SizeOf(IStream* s) {
  STATSTG stat;
  EXPECT_EQ(s->Stat(&stat, STATFLAG_NONAME), S_OK);
  return stat.cbSize;
}

TEST(HGlobalStream, ReadsWritesSeeksAndResizes) {
  Stream s = NewStream();
  ULONG n = 0;
  ASSERT_EQ(s->Write("hello", 5, &n), S_OK);
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(SizeOf(s.get()), 5u);

  // Writing past the end after a seek leaves a zero gap.
  ULARGE_INTEGER pos = 0;
  ASSERT_EQ(s->Seek(3, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos, 8u);
  ASSERT_EQ(s->Write("!", 1, nullptr), S_OK);
  char buf[16] = {};
  ASSERT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(s->Read(buf, sizeof buf, &n), S_OK);
  EXPECT_EQ(n, 9u);
  EXPECT_EQ(std::memcmp(buf, "hello\0\0\0!", 9), 0);

  // SetSize cuts (the block too, giving its memory back) and extends with
  // zeros; the bytes before the cut stay.
  ASSERT_EQ(s->SetSize(2), S_OK);
  HGLOBAL block = nullptr;
  ASSERT_EQ(GetHGlobalFromStream(s.get(), &block), S_OK);
  EXPECT_EQ(kernel32::GlobalSize(block), 2u);
  ASSERT_EQ(s->SetSize(6), S_OK);
  EXPECT_EQ(SizeOf(s.get()), 6u);
  ASSERT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(s->Read(buf, sizeof buf, &n), S_OK);
  EXPECT_EQ(n, 6u);
  EXPECT_EQ(std::memcmp(buf, "he\0\0\0\0", 6), 0);

  EXPECT_NE(s->Seek(-1, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_NE(s->Seek(0, 7, nullptr), S_OK);
}

TEST(HGlobalStream, BlockRunsAheadOfTheStream) {
  Stream s = NewStream();
  HGLOBAL block = nullptr;
  ASSERT_EQ(GetHGlobalFromStream(s.get(), &block), S_OK);
  EXPECT_EQ(kernel32::GlobalLock(block), nullptr);  // nothing written yet
  ASSERT_EQ(s->Write("abc", 3, nullptr), S_OK);
  // The block grew ahead of the data: its size is not the stream's size.
  EXPECT_GT(kernel32::GlobalSize(block), 3u);
  EXPECT_EQ(SizeOf(s.get()), 3u);
  void* p = kernel32::GlobalLock(block);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::memcmp(p, "abc", 3), 0);
  kernel32::GlobalUnlock(block);
}

TEST(HGlobalStream, WrapsAGivenBlockAndFreesItOnLastRelease) {
  HGLOBAL block = kernel32::GlobalAlloc(kernel32::GMEM_FIXED, 4);
  std::memcpy(kernel32::GlobalLock(block), "wxyz", 4);
  kernel32::GlobalUnlock(block);
  IStream* s = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(block, 1, &s), S_OK);
  EXPECT_EQ(SizeOf(s), 4u);
  EXPECT_EQ(s->AddRef(), 2u);
  EXPECT_EQ(s->Release(), 1u);
  char buf[4];
  ULONG n = 0;
  ASSERT_EQ(s->Read(buf, 4, &n), S_OK);
  EXPECT_EQ(std::memcmp(buf, "wxyz", 4), 0);
  EXPECT_EQ(s->Release(), 0u);  // frees the block too (the leak checker would see it)

  // Without delete-on-release the block outlives the stream.
  HGLOBAL kept = kernel32::GlobalAlloc(kernel32::GMEM_FIXED, 1);
  ASSERT_EQ(CreateStreamOnHGlobal(kept, 0, &s), S_OK);
  s->Release();
  EXPECT_EQ(kernel32::GlobalSize(kept), 1u);
  kernel32::GlobalFree(kept);
}

}  // namespace
}  // namespace ole32
