// The "VBScript.RegExp" component: its members and its ECMAScript-style
// dialect, driven by name as a scripting client would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/regexp_engine.h"
#include "tests/platform/com/com_test_util.h"

namespace com {

namespace {

using testing::Get;
using testing::GetObject;
using testing::Put;

class RegExpTest : public testing::ComTest {
 protected:
  void SetUp() override {
    ComTest::SetUp();
    ASSERT_EQ(CreateObjectFromProgID(u"VBScript.RegExp", &re_), S_OK);
  }
  void TearDown() override {
    re_.reset();
    ComTest::TearDown();
  }

  void Configure(std::u16string pattern, bool global, bool ignoreCase = false,
                 bool multiline = false) {
    ASSERT_EQ(Put(re_, u"Pattern", std::move(pattern)), S_OK);
    ASSERT_EQ(Put(re_, u"Global", global), S_OK);
    ASSERT_EQ(Put(re_, u"IgnoreCase", ignoreCase), S_OK);
    ASSERT_EQ(Put(re_, u"Multiline", multiline), S_OK);
  }

  HRESULT Execute(std::u16string subject, DispatchPtr* matches) {
    Variant v;
    const HRESULT hr = testing::Call(re_, u"Execute", DISPATCH_METHOD, {std::move(subject)}, &v);
    auto* p = std::get_if<DispatchPtr>(&v);
    *matches = p != nullptr ? *p : DispatchPtr();
    return hr;
  }

  // "value@firstIndex" for every match.
  std::vector<std::u16string> Matches(std::u16string subject) {
    DispatchPtr m;
    EXPECT_EQ(Execute(std::move(subject), &m), S_OK);
    std::vector<std::u16string> out;
    if (!m) return out;
    const auto n = std::get<std::int32_t>(Get(m, u"Count"));
    for (std::int32_t i = 0; i < n; ++i) {
      const DispatchPtr one = GetObject(m, u"Item", {i});
      out.push_back(std::get<std::u16string>(Get(one, u"Value")) + u"@" +
                    std::u16string(1, static_cast<char16_t>(
                                          u'0' + std::get<std::int32_t>(Get(one, u"FirstIndex")))));
    }
    return out;
  }

  std::u16string Replace(std::u16string subject, std::u16string replacement) {
    Variant v;
    EXPECT_EQ(testing::Call(re_, u"Replace", DISPATCH_METHOD,
                            {std::move(subject), std::move(replacement)}, &v),
              S_OK);
    auto* s = std::get_if<std::u16string>(&v);
    return s != nullptr ? *s : u"<failed>";
  }

  DispatchPtr re_;
};

using V = std::vector<std::u16string>;

TEST_F(RegExpTest, DotStopsOnlyAtLineFeedAndAnchorsFollowMultiline) {
  Configure(u"a.b", true);
  EXPECT_EQ(Matches(u"a\nb a\rb"), (V{u"a\rb@4"}));
  Configure(u"^b", true);
  EXPECT_EQ(Matches(u"a\nb"), V{});
  Configure(u"x$", true);
  EXPECT_EQ(Matches(u"x\n"), V{});  // "$" is the very end without multiline
  Configure(u"^b|x$", true, false, true);
  EXPECT_EQ(Matches(u"a\nb\nx\n"), (V{u"b@2", u"x@4"}));
}

TEST_F(RegExpTest, GlobalAndIgnoreCaseDecideWhatIsCollected) {
  Configure(u"ab", false, true);
  EXPECT_EQ(Matches(u"xAB ab"), (V{u"AB@1"}));
  Configure(u"ab", true, false);
  EXPECT_EQ(Matches(u"xAB ab"), (V{u"ab@4"}));
  // Empty matches step one character on; they are collected, not looped on.
  Configure(u"x*", true);
  EXPECT_EQ(Matches(u"axb"), (V{u"@0", u"x@1", u"@2", u"@3"}));
  // Changing the pattern or the options after a search takes effect.
  Configure(u"a", true);
  EXPECT_EQ(Matches(u"Aa").size(), 1u);
  ASSERT_EQ(Put(re_, u"IgnoreCase", true), S_OK);
  EXPECT_EQ(Matches(u"Aa").size(), 2u);
}

TEST_F(RegExpTest, FirstIndexAndLengthCountCharacters) {
  Configure(u"(b)(x)?", true);
  DispatchPtr m;
  ASSERT_EQ(Execute(u"中文b", &m), S_OK);
  const DispatchPtr one = GetObject(m, u"Item", {0});
  EXPECT_EQ(std::get<std::int32_t>(Get(one, u"FirstIndex")), 2);
  EXPECT_EQ(std::get<std::int32_t>(Get(one, u"Length")), 1);
  const DispatchPtr subs = GetObject(one, u"SubMatches");
  EXPECT_EQ(std::get<std::int32_t>(Get(subs, u"Count")), 2);
  EXPECT_EQ(std::get<std::u16string>(Get(subs, u"Item", {0})), u"b");
  // The group that did not take part is empty, not a failure.
  EXPECT_TRUE(std::holds_alternative<std::monostate>(Get(subs, u"Item", {1})));
  Variant v;
  EXPECT_EQ(testing::Call(subs, u"Item", DISPATCH_PROPERTYGET, {2}, &v), DISP_E_BADINDEX);
  EXPECT_EQ(testing::Call(m, u"Item", DISPATCH_PROPERTYGET, {-1}, &v), DISP_E_BADINDEX);
  EXPECT_EQ(testing::Call(m, u"Item", DISPATCH_PROPERTYGET, {1}, &v), DISP_E_BADINDEX);
}

TEST_F(RegExpTest, BadPatternsAndUnknownMembersFailWithoutSideEffects) {
  Configure(u"a(b", true);
  DispatchPtr m;
  EXPECT_EQ(Execute(u"ab", &m), kRegExpSyntaxError);
  EXPECT_FALSE(m);
  // There is no "Singleline": the write is refused and "." still stops at LF.
  EXPECT_EQ(Put(re_, u"Singleline", true), DISP_E_UNKNOWNNAME);
  Configure(u"a.b", true);
  EXPECT_EQ(Matches(u"a\nb"), V{});
  EXPECT_EQ(Put(re_, u"Execute", true), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Put(re_, u"Pattern", 5), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(std::get<std::u16string>(Get(re_, u"Pattern")), u"a.b");
  // Metacharacters escaped the way batch extraction does are literal; an
  // unknown escape is the letter itself, as in script engines.
  Configure(u"\\(\\[\\?\\}(.*?)\\q", true);
  EXPECT_EQ(Matches(u"([?}zq"), (V{u"([?}zq@0"}));
}

TEST_F(RegExpTest, ReplaceExpandsDollarEscapes) {
  Configure(u"(a)(b)?", true);
  EXPECT_EQ(Replace(u"xaby", u"[$1|$2|$&|$`|$'|$$|$3|$0|$]"), u"x[a|b|ab|x|y|$|$3|$0|$]y");
  EXPECT_EQ(Replace(u"a", u"<$2>"), u"<>");  // an unset group is empty
  EXPECT_EQ(Replace(u"ab", u"$10"), u"a0");  // no group 10: $1 then "0"
  Configure(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", false);
  EXPECT_EQ(Replace(u"abcdefghij!", u"$10$01"), u"ja!");
  Configure(u"o", false);
  EXPECT_EQ(Replace(u"foo", u"0"), u"f0o");  // not global: the first only
  Configure(u"(", true);
  Variant v;
  EXPECT_EQ(
      testing::Call(re_, u"Replace", DISPATCH_METHOD, {std::u16string(u"a"), std::u16string()}, &v),
      kRegExpSyntaxError);
}

TEST_F(RegExpTest, LongSingleLineSubjectsNeitherOverflowNorStall) {
  // 5 M characters on one line: lazy groups over long stretches and a
  // backtracking-heavy group must both finish.
  std::u16string subject(5u << 20, u'x');
  subject.replace(10, 6, u"src=\"a");
  subject.back() = u'"';
  Configure(u"src=\"(.*?)\"", true, true, true);
  const auto found = Matches(subject);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].size(), subject.size() - 10 + 2);
  // A group repeated over millions of characters that then fails: deep
  // backtracking either finishes or hits the engine's limits; it never
  // overflows a stack.
  subject.back() = u' ';
  subject += u'z';
  Configure(u"(x|y)*z", true);
  DispatchPtr m;
  const HRESULT hr = Execute(subject, &m);
  if (Succeeded(hr)) {
    EXPECT_EQ(std::get<std::int32_t>(Get(m, u"Count")), 1);
  }
}

}  // namespace
}  // namespace com
