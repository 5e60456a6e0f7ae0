#include "base/charset.h"

#include <gtest/gtest.h>

namespace base {
namespace {

TEST(Charset, GbkRoundTripsAndInvalidBytesAreReplaced) {
  const std::string gbk = "\xB8\xFC\xD0\xC2 ok";  // 更新 ok
  EXPECT_EQ(GbkToUtf8(gbk), "更新 ok");
  EXPECT_EQ(Utf8ToGbk("更新 ok"), gbk);
  EXPECT_EQ(GbkToUtf8("a\xFF"
                      "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(GbkToUtf8("a\x81"), "a\xEF\xBF\xBD");  // truncated double-byte character
  // A character GBK lacks is one "?"; a malformed byte is one "?" too.
  EXPECT_EQ(Utf8ToGbk("x\xF0\x9F\x98\x80y"), "x?y");
  EXPECT_EQ(Utf8ToGbk("\xC3\x96-\xEA\xB0\x80"), "?-?");  // Ö-가
  EXPECT_EQ(Utf8ToGbk("a\xC3"
                      "b\xE6\x9B"),
            "a?b??");
  EXPECT_EQ(GbkToUtf8(""), "");
}

TEST(Charset, EveryConversionKeepsTheOneRuleForWhatGbkCannotHold) {
  // A character GBK lacks is one "?", whether it needs two, three or four
  // UTF-8 bytes; each byte of ill-formed UTF-8 is one "?".
  EXPECT_EQ(Utf8ToGbk("\xC3\x96"), "?");              // Ö
  EXPECT_EQ(Utf8ToGbk("\xEA\xB0\x80"), "?");          // 가
  EXPECT_EQ(Utf8ToGbk("x\xF0\x9F\x98\x80y"), "x?y");  // beyond the BMP
  EXPECT_EQ(Utf8ToGbk("a\xC3"), "a?");                // cut off
  EXPECT_EQ(Utf8ToGbk("\xC0\xAF"), "??");             // overlong "/"
  EXPECT_EQ(Utf8ToGbk("\xED\xA0\x80"), "???");        // an encoded surrogate
  // GBK that is no character: one U+FFFD per character position the GBK
  // walk gives, the same as the conversion to UTF-16 gives.
  EXPECT_EQ(GbkToUtf8("\x81\x7F"), "\xEF\xBF\xBD\x7F");  // 0x7F is no trail byte
  EXPECT_EQ(Utf8ToWide("\xE4\xB8\xAD!"), u"\u4E2D!");
  EXPECT_EQ(Utf8ToWide("\xFF"), u"\uFFFD");
}

}  // namespace
}  // namespace base
