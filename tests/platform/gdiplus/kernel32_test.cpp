#include "platform/kernel32/kernel32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kernel32 {
namespace {

TEST(GlobalMemory, BlocksLockResizeAndZeroFill) {
  HGLOBAL zeroed = GlobalAlloc(GHND, 64);
  ASSERT_NE(zeroed, nullptr);
  EXPECT_EQ(GlobalSize(zeroed), 64u);
  auto* p = static_cast<unsigned char*>(GlobalLock(zeroed));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::vector<unsigned char>(p, p + 64), std::vector<unsigned char>(64, 0));
  std::memset(p, 0xAB, 64);
  EXPECT_EQ(GlobalUnlock(zeroed), 0);  // no longer locked

  // Growth keeps the old bytes and zero-fills the new ones when asked.
  ASSERT_EQ(GlobalReAlloc(zeroed, 128, GMEM_MOVEABLE | GMEM_ZEROINIT), zeroed);
  p = static_cast<unsigned char*>(GlobalLock(zeroed));
  EXPECT_EQ(p[63], 0xAB);
  EXPECT_EQ(p[64], 0);
  EXPECT_EQ(p[127], 0);
  GlobalUnlock(zeroed);
  EXPECT_EQ(GlobalFree(zeroed), nullptr);

  // An empty block cannot be locked: its address is null.
  HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GlobalLock(empty), nullptr);
  EXPECT_EQ(GlobalSize(empty), 0u);
  GlobalFree(empty);

  EXPECT_EQ(GlobalLock(nullptr), nullptr);
  EXPECT_EQ(GlobalSize(nullptr), 0u);
  EXPECT_EQ(GlobalAlloc(GMEM_FIXED, kMaxGlobalBlock + 1), nullptr);
}

TEST(GlobalMemory, MoveMemoryHandlesOverlap) {
  char s[] = "abcdef";
  RtlMoveMemory(s + 1, s, 4);
  EXPECT_STREQ(s, "aabcdf");
}

std::vector<char16_t> Convert(UINT cp, const char* text, int bytes) {
  const int n = MultiByteToWideChar(cp, 0, text, bytes, nullptr, 0);
  std::vector<char16_t> out(static_cast<std::size_t>(n));
  if (n > 0) {
    EXPECT_EQ(MultiByteToWideChar(cp, 0, text, bytes, out.data(), n), n);
  }
  return out;
}

TEST(MultiByteToWideChar, ConvertsGbkAndUtf8) {
  // 中文 in GBK, with its NUL.
  EXPECT_EQ(Convert(CP_ACP, "\xD6\xD0\xCE\xC4", 5), (std::vector<char16_t>{0x4E2D, 0x6587, 0}));
  EXPECT_EQ(Convert(CP_ACP, "ab", -1), (std::vector<char16_t>{'a', 'b', 0}));
  EXPECT_EQ(Convert(CP_ACP, "ab", 2), (std::vector<char16_t>{'a', 'b'}));
  EXPECT_EQ(Convert(CP_ACP, "\x80", 1), (std::vector<char16_t>{0x20AC}));  // euro sign
  EXPECT_EQ(Convert(CP_UTF8, "\xE4\xB8\xAD", 3), (std::vector<char16_t>{0x4E2D}));
  // Bytes that are no character become U+FFFD (the one rule of the GBK
  // table every conversion shares), and conversion goes on.
  EXPECT_EQ(Convert(CP_ACP, "a\xFFz", 3), (std::vector<char16_t>{'a', 0xFFFD, 'z'}));
  EXPECT_EQ(Convert(CP_ACP, "a\xD6", 2), (std::vector<char16_t>{'a', 0xFFFD}));  // lead cut off
  EXPECT_EQ(Convert(CP_UTF8, "a\xC3", 2), (std::vector<char16_t>{'a', 0xFFFD}));
  // A character beyond the Basic Multilingual Plane is a surrogate pair.
  EXPECT_EQ(Convert(CP_UTF8, "\xF0\x9F\x98\x80", 4), (std::vector<char16_t>{0xD83D, 0xDE00}));
}

TEST(MultiByteToWideChar, RefusesBadArgumentsAndSmallBuffers) {
  char16_t out[2];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, out, 2), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 3, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -2, nullptr, 0), 0);
}

}  // namespace
}  // namespace kernel32
