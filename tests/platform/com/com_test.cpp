// Per-thread COM initialisation, creation by ProgID, apartment rules and
// the GBK <-> wide conversion under the component.
#include "platform/com/com.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/gbk.h"
#include "base/gbk_unicode.h"
#include "tests/platform/com/com_test_util.h"

namespace com {

using namespace base;  // NOLINT(google-build-using-namespace)
namespace {

TEST(Com, InitialisationIsCountedPerThread) {
  ASSERT_EQ(ComInitCountOnThisThread(), 0);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(ComInitCountOnThisThread(), 2);
  int otherThreadCount = -1;
  HRESULT otherCreate = S_OK;
  std::thread([&] {
    otherThreadCount = ComInitCountOnThisThread();
    DispatchPtr obj;
    otherCreate = CreateObjectFromProgID(u"VBScript.RegExp", &obj);
  }).join();
  EXPECT_EQ(otherThreadCount, 0);
  EXPECT_EQ(otherCreate, CO_E_NOTINITIALIZED);
  CoUninitialize();
  CoUninitialize();
  CoUninitialize();  // unpaired: ignored, the count stays at zero
  EXPECT_EQ(ComInitCountOnThisThread(), 0);
  int dummy = 0;
  EXPECT_EQ(CoInitialize(&dummy), E_INVALIDARG);
  EXPECT_EQ(ComInitCountOnThisThread(), 0);
}

TEST(Com, CreationNeedsComAndAKnownProgId) {
  DispatchPtr obj;
  EXPECT_EQ(CreateObjectFromProgID(u"VBScript.RegExp", &obj), CO_E_NOTINITIALIZED);
  EXPECT_FALSE(obj);
  CoInitialize(nullptr);
  EXPECT_EQ(CreateObjectFromProgID(u"vbscript.regexp", &obj), S_OK);
  EXPECT_TRUE(obj);
  EXPECT_EQ(CreateObjectFromProgID(u"No.Such.Thing", &obj), CO_E_CLASSSTRING);
  EXPECT_FALSE(obj);
  EXPECT_EQ(CreateObjectFromProgID(u"VBScript.RegExp", nullptr), E_POINTER);
  CoUninitialize();
}

TEST(Com, ObjectsAnswerOnlyOnTheirOwnThreadAndAreFreedByTheLastRelease) {
  const long before = LiveObjectCount();
  CoInitialize(nullptr);
  DispatchPtr obj;
  ASSERT_EQ(CreateObjectFromProgID(u"VBScript.RegExp", &obj), S_OK);
  EXPECT_EQ(LiveObjectCount(), before + 1);
  HRESULT fromOther = S_OK;
  DispatchPtr copy = obj;
  std::thread([&] {
    fromOther =
        testing::Call(copy, u"Pattern", DISPATCH_PROPERTYPUT, {std::u16string(u"x")}, nullptr);
    copy.reset();  // releasing from another thread is allowed
  }).join();
  EXPECT_EQ(fromOther, RPC_E_WRONG_THREAD);
  EXPECT_EQ(std::get<std::u16string>(testing::Get(obj, u"Pattern")), u"");
  obj.reset();
  EXPECT_EQ(LiveObjectCount(), before);
  CoUninitialize();
}

TEST(GbkUnicode, EveryGbkCharacterIsOneWideUnit) {
  // 中文, a double-byte character whose trail byte is "[", an undefined
  // pair, a lone lead byte at the end.
  const std::string gbk =
      "a\xD6\xD0\xCE\xC4[\x81[x\xA2\xA0z\xFF"
      "b\x81";
  const std::u16string wide = GbkToWide(gbk);
  std::size_t chars = 0;
  for (std::size_t i = 0; i < gbk.size(); i += base::GbkCharLength(gbk, i)) ++chars;
  ASSERT_EQ(wide.size(), chars);
  EXPECT_EQ(wide.substr(0, 4), u"a中文[");
  EXPECT_EQ(wide[5], u'x');  // after the one unit of 0x81 '['
  EXPECT_EQ(wide[6], kUnknownWideChar);
  EXPECT_EQ(wide[8], kUnknownWideChar);  // 0xFF
  EXPECT_EQ(wide.back(), kUnknownWideChar);
  EXPECT_EQ(GbkByteOffsetOfChar(gbk, 3), 5u);
  EXPECT_EQ(GbkByteOffsetOfChar(gbk, 999), gbk.size());
}

TEST(GbkUnicode, ValidTextsRoundTripAndUnknownWideUnitsBecomeQuestionMarks) {
  const std::string gbk = "href=\"/\xCD\xBC\xC6\xAC/1.jpg\" \x81h \x80";  // 图片, 0x81 'h', euro
  EXPECT_EQ(WideToGbk(GbkToWide(gbk)), gbk);
  EXPECT_EQ(GbkToWide("\x80"), u"\u20AC");
  EXPECT_EQ(WideToGbk(u"a\U0001F600b\u0E01"), "a??b?");  // surrogates, Thai
}

}  // namespace
}  // namespace com
