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
  EXPECT_EQ(GbkToUtf8("a\x81"), "a\xEF\xBF\xBD");           // truncated double-byte character
  EXPECT_EQ(Utf8ToGbk("x\xF0\x9F\x98\x80y").front(), 'x');  // no GBK form: replaced
  EXPECT_EQ(GbkToUtf8(""), "");
}

}  // namespace
}  // namespace base
