// RegexMatcher over the platform component: searches, reads by number,
// positions in GBK subjects, and its COM use; its ten operations as the
// image's operation table names them.
#include "program/text/regex_matcher.h"

#include <gtest/gtest.h>

#include <new>

#include "platform/com/com.h"
#include "program/routines/program_memory.h"
#include "program/text/regex_operations.h"

namespace pixaroo {
namespace {

TEST(RegexMatcher, DefaultsIgnoreCaseAndCollectEveryMatch) {
  RegexMatcher m;
  EXPECT_EQ(m.MatchCount(), 0);  // before any search
  EXPECT_EQ(m.PatternText(), "");
  ASSERT_TRUE(m.Search("src=\"(.*?)\"", "SRC=\"a\" src=\"b\"\nSrc=\"c\""));
  EXPECT_EQ(m.PatternText(), "src=\"(.*?)\"");
  ASSERT_EQ(m.MatchCount(), 3);
  EXPECT_EQ(m.MatchText(1), "SRC=\"a\"");
  EXPECT_EQ(m.SubMatchText(1, 1), "a");
  EXPECT_EQ(m.SubMatchText(3, 1), "c");
  EXPECT_EQ(m.SubMatchCount(), 1);
  // Out-of-range numbers give empty texts, not faults.
  EXPECT_EQ(m.MatchText(0), "");
  EXPECT_EQ(m.MatchText(4), "");
  EXPECT_EQ(m.SubMatchText(1, 2), "");
}

TEST(RegexMatcher, OptionsReachTheComponent) {
  RegexMatcher m;
  ASSERT_TRUE(m.Search("^a", "A\na", true, true, true));
  EXPECT_EQ(m.MatchCount(), 1);  // case kept
  ASSERT_TRUE(m.Search("^a", "A\na", false, false, true));
  EXPECT_EQ(m.MatchCount(), 1);  // "^" only at the start
  ASSERT_TRUE(m.Search("a", "aaa", false, true, false));
  EXPECT_EQ(m.MatchCount(), 1);  // not global
}

TEST(RegexMatcher, ASecondSearchReplacesEverything) {
  RegexMatcher m;
  ASSERT_TRUE(m.Search("(x)", "x x x"));
  ASSERT_TRUE(m.Search("(y)(z)", "yz"));
  EXPECT_EQ(m.MatchCount(), 1);
  EXPECT_EQ(m.SubMatchCount(), 2);
  EXPECT_EQ(m.PatternText(), "(y)(z)");
  EXPECT_EQ(m.ReplaceMatches("$2$1"), "zy");
  // A failed search leaves no matches, though the component stays.
  EXPECT_FALSE(m.Search("(", "yz"));
  EXPECT_EQ(m.MatchCount(), 0);
  EXPECT_EQ(m.SubMatchText(1, 1), "");
  EXPECT_EQ(m.PatternText(), "(");
  EXPECT_EQ(m.ReplaceMatches("q"), "");
  // No match is a successful search.
  EXPECT_TRUE(m.Search("q", "yz"));
  EXPECT_EQ(m.MatchCount(), 0);
  EXPECT_EQ(m.SubMatchCount(), 0);
}

TEST(RegexMatcher, PositionsAreBytePositionsInTheGbkSubject) {
  RegexMatcher m;
  // 中文 then a value holding 图片; characters before each match are double-byte.
  const Text subject = "\xD6\xD0\xCE\xC4 src=\"\xCD\xBC\xC6\xAC\" \x81[src=\"\"";
  ASSERT_TRUE(m.Search("src=\"(.*?)\"", subject));
  ASSERT_EQ(m.MatchCount(), 2);
  int pos = -7;
  EXPECT_EQ(m.MatchText(1, &pos), "src=\"\xCD\xBC\xC6\xAC\"");
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(m.SubMatchText(1, 1, &pos), "\xCD\xBC\xC6\xAC");
  EXPECT_EQ(pos, 10);
  EXPECT_EQ(m.MatchText(2, &pos), "src=\"\"");
  EXPECT_EQ(pos, 18);
  EXPECT_EQ(m.SubMatchText(2, 1, &pos), "");  // an empty group is not a failure
  EXPECT_EQ(pos, 18);
  EXPECT_EQ(m.MatchText(3, &pos), "");
  EXPECT_EQ(pos, -1);
}

TEST(RegexMatcher, MatchesAndGroupsAreTheSubjectsOwnBytes) {
  RegexMatcher m;
  // \x80\xFF and the lone lead \x81 before the quote are no GBK characters
  // the component can read; 0x81 0x30 is a lead byte and a digit.
  const Text subject = "x\xFF src=\"\x80\xFF\x81\" src=\"\x81\x30\x81\x30\xFF\"";
  ASSERT_TRUE(m.Search("src=\"(.*?)\"", subject));
  ASSERT_EQ(m.MatchCount(), 2);
  int pos = -7;
  EXPECT_EQ(m.MatchText(1, &pos), "src=\"\x80\xFF\x81\"");
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(m.SubMatchText(1, 1, &pos), "\x80\xFF\x81");
  EXPECT_EQ(pos, 8);
  EXPECT_EQ(m.MatchText(2, &pos), "src=\"\x81\x30\x81\x30\xFF\"");
  EXPECT_EQ(pos, 13);
  EXPECT_EQ(m.SubMatchText(2, 1, &pos), "\x81\x30\x81\x30\xFF");
  EXPECT_EQ(pos, 18);
}

TEST(RegexMatcher, OwnsItsThreadsComUse) {
  const long objects = com::LiveObjectCount();
  {
    RegexMatcher outer;
    EXPECT_EQ(com::ComInitCountOnThisThread(), 1);
    {
      RegexMatcher inner;
      EXPECT_EQ(com::ComInitCountOnThisThread(), 2);
      ASSERT_TRUE(inner.Search("a", "a"));
    }
    EXPECT_EQ(com::ComInitCountOnThisThread(), 1);
    ASSERT_TRUE(outer.Search("a", "a"));
  }
  EXPECT_EQ(com::ComInitCountOnThisThread(), 0);
  EXPECT_EQ(com::LiveObjectCount(), objects);
}

// The operation the bound image's table names at `op`'s place.
RegexOperation Table(RegexOp op) {
  return reinterpret_cast<RegexOperation>(ImageOperation(static_cast<std::uint32_t>(op)));
}

// Runs `op` on `self` with `call` filled by `fill`; gives back the call.
RegexCall CallOp(RegexOp op, RegexMatcher* self, void (*fill)(RegexCall&) = nullptr) {
  RegexCall call;
  if (fill != nullptr) fill(call);
  Table(op)(self, &call);
  return call;
}

TEST(RegexOperations, TheImagesTableRunsTheTenOperationsInTheObjectsOrder) {
  const long objects = com::LiveObjectCount();
  alignas(RegexMatcher) unsigned char storage[sizeof(RegexMatcher)];
  alignas(RegexMatcher) unsigned char copyStorage[sizeof(RegexMatcher)];
  auto* m = new (storage) RegexMatcher;
  EXPECT_EQ(CallOp(RegexOp::PatternText, m).text, "");  // no component yet
  EXPECT_EQ(CallOp(RegexOp::MatchCount, m).number, 0);

  // Search with its options: case ignored by default, every match.
  RegexCall searched = CallOp(RegexOp::Search, m, [](RegexCall& c) {
    c.pattern = "([a-z])(\\d)";
    c.subject = "a1 \xD6\xD0 B2 c3";
  });
  EXPECT_TRUE(searched.flag);
  EXPECT_EQ(CallOp(RegexOp::PatternText, m).text, "([a-z])(\\d)");
  EXPECT_EQ(CallOp(RegexOp::MatchCount, m).number, 3);
  int position = -2;
  RegexCall read = CallOp(RegexOp::MatchText, m, [](RegexCall& c) { c.matchIndex = 2; });
  EXPECT_EQ(read.text, "B2");
  read = RegexCall{.matchIndex = 2, .subIndex = 2, .position = &position};
  Table(RegexOp::SubMatchText)(m, &read);
  EXPECT_EQ(read.text, "2");
  EXPECT_EQ(position, 7);  // bytes: "a1 ", the GBK character, " B"
  read = RegexCall{.matchIndex = 2, .position = &position};
  Table(RegexOp::MatchText)(m, &read);
  EXPECT_EQ(position, 6);
  EXPECT_EQ(CallOp(RegexOp::SubMatchCount, m).number, 2);
  EXPECT_EQ(CallOp(RegexOp::ReplaceMatches, m, [](RegexCall& c) { c.replacement = "$2$1"; }).text,
            "1a \xD6\xD0 2B 3c");
  // The operation without effect reads and writes nothing.
  RegexCall untouched{.flag = true, .number = 7, .text = "kept"};
  Table(RegexOp::NoOp)(m, &untouched);
  EXPECT_TRUE(untouched.flag);
  EXPECT_EQ(untouched.number, 7);
  EXPECT_EQ(untouched.text, "kept");
  EXPECT_EQ(CallOp(RegexOp::MatchCount, m).number, 3);

  // A copy holds its own references and subject: a new search on the
  // original, and its destruction, leave the copy's search as it was.
  RegexCall copy{.source = m};
  Table(RegexOp::Copy)(reinterpret_cast<RegexMatcher*>(copyStorage), &copy);
  auto* c = std::launder(reinterpret_cast<RegexMatcher*>(copyStorage));
  EXPECT_EQ(com::ComInitCountOnThisThread(), 2);  // the copy's own COM use
  CallOp(RegexOp::Search, m, [](RegexCall& call) {
    call.pattern = "x";
    call.subject = "xyz";
  });
  EXPECT_EQ(CallOp(RegexOp::MatchCount, m).number, 1);
  CallOp(RegexOp::Destroy, m);
  EXPECT_EQ(com::ComInitCountOnThisThread(), 1);
  EXPECT_EQ(CallOp(RegexOp::MatchCount, c).number, 3);
  EXPECT_EQ(CallOp(RegexOp::PatternText, c).text, "([a-z])(\\d)");
  EXPECT_EQ(CallOp(RegexOp::MatchText, c, [](RegexCall& call) { call.matchIndex = 1; }).text, "a1");
  CallOp(RegexOp::Destroy, c);
  EXPECT_EQ(com::ComInitCountOnThisThread(), 0);
  EXPECT_EQ(com::LiveObjectCount(), objects);
}

}  // namespace
}  // namespace pixaroo
