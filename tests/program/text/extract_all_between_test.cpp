// Batch extraction by pattern, its marker escaping and the replace helper.
#include "program/text/extract_all_between.h"

#include <gtest/gtest.h>

#include "platform/com/com.h"

namespace pixaroo {
namespace {

TextArray All(std::string_view text, std::string_view left, std::string_view right,
              int maxLength = 0, std::string_view prefix = {}, std::string_view suffix = {},
              bool includeLeft = false, bool includeRight = false) {
  TextArray out{"stale"};
  const int n = ExtractAllBetween(text, left, right, out, maxLength, prefix, suffix, includeLeft,
                                  includeRight);
  EXPECT_EQ(n, static_cast<int>(out.size()));
  return out;
}

using A = TextArray;

TEST(ExtractAllBetween, LinksAsTheUpdateRunCollectsThem) {
  EXPECT_EQ(All("<a href=\"a\"><a href=\"b\">", "href=\"", "\""), (A{"a", "b"}));
  EXPECT_EQ(All("<a href=\"\">x<a HREF=\"/up\">", "href=\"", "\""), (A{"", "/up"}));
  EXPECT_EQ(All("no links here", "href=\"", "\""), A{});
  EXPECT_EQ(All("href=\"open <a href=\"closed\"", "href=\"", "\""), (A{"open <a href="}));
  EXPECT_EQ(All("href=\"never closed", "href=\"", "\""), A{});
  // The lazy group stops at the first right marker; "." stops at a line feed.
  EXPECT_EQ(All("src=\"a\nb\" src=\"c\"", "src=\"", "\""), (A{"c"}));
  // A cap on the number kept stops the extraction there; texts too long
  // are skipped before they count.
  TextArray out{"stale"};
  EXPECT_EQ(ExtractAllBetween("[1][long][2][3][4]", "[", "]", out, 3, {}, {}, false, false, 2), 2);
  EXPECT_EQ(out, (A{"1", "2"}));
}

TEST(ExtractAllBetween, GbkPagesAreMatchedByCharacter) {
  // 0x81 's' and 0x81 'h' are characters whose trail bytes spell "s" and "h";
  // "src=" and "href=" across them are not markers.
  const Text page =
      "\x81src=\"x1\" \x81href=\"x2\" <img src=\"/\xCD\xBC\xC6\xAC.jpg\"> href=\"\xD6\xD0\"";
  EXPECT_EQ(All(page, "src=\"", "\""), (A{"/\xCD\xBC\xC6\xAC.jpg"}));
  EXPECT_EQ(All(page, "href=\"", "\""), (A{"\xD6\xD0"}));
  // Invalid bytes inside a value do not shift the values that follow.
  EXPECT_EQ(All("src=\"\xFF\" src=\"ok\"", "src=\"", "\"")[1], "ok");
}

TEST(ExtractAllBetween, ValuesAreThePagesOwnBytes) {
  // Bytes GBK cannot read, a lead byte with no trail before the closing
  // quote, and sequences shaped like four-byte characters of the wider
  // Chinese code page (lead, digit, lead, digit): each value comes back
  // byte for byte, at its full length, and does not move the next one.
  const Text undecodable = "\x80\xFF";
  const Text loneLead = "/p/\xCD\xBC\x81";
  const Text fourByte = "/\x81\x30\x81\x30/\x84\x31\xA4\x39.jpg";
  const Text page = "<a href=\"" + undecodable + "\"><a href=\"" + loneLead + "\">\xFF<a HREF=\"" +
                    fourByte + "\"><a href=\"ok\">";
  EXPECT_EQ(All(page, "href=\"", "\""), (A{undecodable, loneLead, fourByte, "ok"}));
  // Length limits, markers and the prefix and suffix keep the bytes too.
  EXPECT_EQ(All(page, "href=\"", "\"", 3, "[", "]", true, false),
            (A{"href=\"[" + undecodable + "]", "href=\"[ok]"}));
  EXPECT_EQ(All("src=\"\xFE\xFF\xFE\"", "src=\"", "\"", 0, {}, {}, false, true),
            (A{"\xFE\xFF\xFE\""}));
}

TEST(ExtractAllBetween, MarkerMetacharacters) {
  EXPECT_EQ(All("f(x)=1; f(y)=2;", "f(", ")"), (A{"x", "y"}));
  EXPECT_EQ(All("[a] [b]", "[", "]"), (A{"a", "b"}));
  EXPECT_EQ(All("?q=1&?q=2&", "?q=", "&"), (A{"1", "2"}));
  EXPECT_EQ(All("{a} {{b}}", "{", "}"), (A{"a", "{b"}));
  EXPECT_EQ(All("1+1=2 a*b*", "1+", "="), (A{"1"}));
  EXPECT_EQ(All("a*b*", "a*", "*"), (A{"b"}));
  // The full stop is not escaped: it stands for any character.
  EXPECT_EQ(All("a.b=1; axb=2;", "a.b=", ";"), (A{"1", "2"}));
}

TEST(ExtractAllBetween, LengthLimitCountsBytes) {
  EXPECT_EQ(All("<12345><123456>", "<", ">", 5), (A{"12345"}));
  EXPECT_EQ(All("<\xD6\xD0\xCE\xC4><\xD6\xD0\xCE\xC4x>", "<", ">", 4), (A{"\xD6\xD0\xCE\xC4"}));
  EXPECT_EQ(All("<123456>", "<", ">", 0), (A{"123456"}));
}

TEST(ExtractAllBetween, PrefixSuffixAndMarkersStandInOrder) {
  EXPECT_EQ(All("<v>", "<", ">", 0, "P", "S"), (A{"PvS"}));
  EXPECT_EQ(All("<v>", "<", ">", 0, "P", "S", true, true), (A{"<PvS>"}));
  EXPECT_EQ(All("<v>", "<", ">", 0, "", "", true, false), (A{"<v"}));
  EXPECT_EQ(All("<v>", "<", ">", 0, "", "", false, true), (A{"v>"}));
  // The right marker is kept when asked for, also with a length limit and
  // the left marker.
  EXPECT_EQ(All("<v><long>", "<", ">", 3, "P", "S", true, true), (A{"<PvS>"}));
}

TEST(ExtractAllBetween, LongSingleLinePage) {
  // 5 MB on one line with 5,000 links.
  Text page;
  for (int i = 0; i < 5000; ++i) {
    page += "<li><a href=\"/p/" + std::to_string(i) + ".html\">" + Text(1000, 'x') + "</a></li>";
  }
  TextArray out;
  ASSERT_EQ(ExtractAllBetween(page, "href=\"", "\"", out), 5000);
  EXPECT_EQ(out.front(), "/p/0.html");
  EXPECT_EQ(out.back(), "/p/4999.html");
}

TEST(ExtractAllBetween, LeavesComBalancedAndTheArrayEmptyWhenTheSearchCannotRun) {
  EXPECT_EQ(com::ComInitCountOnThisThread(), 0);
  const long objects = com::LiveObjectCount();
  EXPECT_EQ(All("a(b)c", "(", ")").size(), 1u);
  EXPECT_EQ(com::ComInitCountOnThisThread(), 0);
  EXPECT_EQ(com::LiveObjectCount(), objects);
  // An unbalanced pattern (the "\" is not escaped) fails to compile.
  EXPECT_EQ(All("a\\b", "\\", "b"), A{});
  // The caller's own COM use is left as it was.
  com::CoInitialize(nullptr);
  EXPECT_EQ(All("<a>", "<", ">").size(), 1u);
  EXPECT_EQ(com::ComInitCountOnThisThread(), 1);
  com::CoUninitialize();
}

TEST(EscapeMarker, EscapesExactlyTheTableOnce) {
  EXPECT_EQ(EscapeMarker("?*+[](){}"), "\\?\\*\\+\\[\\]\\(\\)\\{\\}");
  EXPECT_EQ(EscapeMarker(".^$|\\/"), ".^$|\\/");
  EXPECT_EQ(EscapeMarker("href=\""), "href=\"");
  // A double-byte character whose trail byte is "[" is not touched.
  EXPECT_EQ(EscapeMarker("\x81[["), "\x81[\\[");
}

TEST(ReplaceEach, AppliesPairsInTurnWithTheSameOptions) {
  const ReplacePair chain[] = {{"a", "b"}, {"b", "c"}, {"", "z"}};
  EXPECT_EQ(ReplaceEach("ab", -1, 0, false, chain), "cc");
  // Count, start and case flag reach every pair.
  const ReplacePair one[] = {{"A", "x"}, {"B", "y"}};
  EXPECT_EQ(ReplaceEach("aAbB aAbB", 1, 3, true, one), "aAyB xAbB");
}

}  // namespace
}  // namespace pixaroo
