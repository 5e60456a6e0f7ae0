#include <gtest/gtest.h>

#include "runtime/text/charset.h"

namespace korvex {
namespace {

TEST(Charset, GbkRoundTripsAndInvalidBytesAreReplaced) {
  const std::string gbk = "\xB8\xFC\xD0\xC2 ok";  // 更新 ok
  EXPECT_EQ(GbkToUtf8(gbk), "更新 ok");
  EXPECT_EQ(Utf8ToGbk("更新 ok"), gbk);
  EXPECT_EQ(GbkToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(GbkToUtf8("a\x81"), "a\xEF\xBF\xBD");  // truncated double-byte character
  // A character GBK lacks is one "?"; a malformed byte is one "?" too.
  EXPECT_EQ(Utf8ToGbk("x\xF0\x9F\x98\x80y"), "x?y");
  EXPECT_EQ(Utf8ToGbk("\xC3\x96-\xEA\xB0\x80"), "?-?");  // Ö-가
  EXPECT_EQ(Utf8ToGbk("a\xC3"
                      "b\xE6\x9B"),
            "a?b??");
  EXPECT_EQ(GbkToUtf8(""), "");
}

}  // namespace
}  // namespace korvex
