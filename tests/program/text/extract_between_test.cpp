// Text-between extraction on list and item pages and on its failure cases.
#include "program/text/extract_between.h"

#include <gtest/gtest.h>

namespace pixaroo {
namespace {

// The markers the update run passes.
const Text kListStart = "<a class=\"img\" href=\"";
const Text kListEnd = "<div class=\"pagination\"><a>\xCA\xD7\xD2\xB3</a>";  // 首页
const Text kItemStart = "<div style=\"text-align: center\">";
const Text kItemEnd = "\t\t\t\t\t\t</div>";

TEST(ExtractBetween, ListAndItemPagesAsTheUpdateRunCutsThem) {
  ASSERT_EQ(kListStart.size(), 21u);
  ASSERT_EQ(kListEnd.size(), 35u);
  ASSERT_EQ(kItemStart.size(), 32u);
  const Text list = "<html>\xCD\xBC<A CLASS=\"img\" HREF=\"/a/1.html\">x</a>" + kListStart +
                    "/a/2.html\">" + kListEnd + "<a href=\"/next\">";
  int pos = 0;
  const Text region = ExtractBetween(list, pos, kListStart, std::nullopt, kListEnd);
  // Case is ignored, so the capitalised first link starts the region.
  EXPECT_EQ(pos, 9);
  EXPECT_EQ(region, list.substr(8, list.find(kListEnd) - 8));

  const Text item = "<p>" + kItemStart + "<img src=\"/p/1.jpg\">" + kItemEnd + "tail";
  pos = 0;
  EXPECT_EQ(ExtractBetween(item, pos, kItemStart, std::nullopt, kItemEnd, true, false),
            "<img src=\"/p/1.jpg\">");
  EXPECT_EQ(pos, 4 + 32);
}

TEST(ExtractBetween, MissingMarkers) {
  int pos = 0;
  EXPECT_EQ(ExtractBetween("abc", pos, "x", std::nullopt, "c"), "");
  EXPECT_EQ(pos, -1);
  // The second marker must occur from the first marker's position on.
  pos = 0;
  EXPECT_EQ(ExtractBetween("y..x..end", pos, "x", std::string_view("y"), "end"), "");
  EXPECT_EQ(pos, -1);
  // A missing end marker runs the region to the end of the text.
  pos = 0;
  EXPECT_EQ(ExtractBetween("..<b>rest", pos, "<b>", std::nullopt, "</b>", true, false), "rest");
  EXPECT_EQ(pos, 6);
  // An end marker right after the marker: an empty region at a valid position.
  pos = 0;
  EXPECT_EQ(ExtractBetween("ab<b></b>", pos, "<b>", std::nullopt, "</b>", true, false), "");
  EXPECT_EQ(pos, 6);
  // Empty markers are never found.
  pos = 0;
  EXPECT_EQ(ExtractBetween("abc", pos, "", std::nullopt, "c"), "");
  EXPECT_EQ(pos, -1);
}

TEST(ExtractBetween, SecondMarkerMayLieInsideTheFirstAndStartsTheEndSearch) {
  // The second marker is sought from the first marker's own position.
  int pos = 0;
  EXPECT_EQ(ExtractBetween("<a href=\"u\">", pos, "<a href", std::string_view("href=\""), "\"",
                           true, false),
            "u");
  EXPECT_EQ(pos, 10);
  // With the markers included the end is still sought after the second marker.
  pos = 0;
  EXPECT_EQ(ExtractBetween("[x;]y;", pos, "[", std::string_view("]"), ";"), "[x;]y");
  EXPECT_EQ(pos, 1);
  // Case may be kept: then a capitalised marker is not the marker.
  pos = 0;
  EXPECT_EQ(ExtractBetween("HREF=1 href=2;", pos, "href=", std::nullopt, ";", false, false), "2");
}

TEST(ExtractBetween, StartPositionAndDoubleByteCharacters) {
  int pos = 5;
  EXPECT_EQ(ExtractBetween("<b>1<b>2", pos, "<b>", std::nullopt, "<"), "<b>2");
  EXPECT_EQ(pos, 5);
  pos = 1;
  EXPECT_EQ(ExtractBetween("<b>1<b>2", pos, "<b>", std::nullopt, "<"), "<b>1");
  pos = 99;
  EXPECT_EQ(ExtractBetween("<b>1", pos, "<b>", std::nullopt, "<"), "");
  EXPECT_EQ(pos, -1);
  // 0x81 'h' is one character: "href" inside it is no marker, and its
  // 'H'-looking trail is not folded.
  const Text page = "\x81href=\"no\" \x81Href=\"no\" href=\"yes\"";
  pos = 0;
  EXPECT_EQ(ExtractBetween(page, pos, "href=\"", std::nullopt, "\"", true, false), "yes");
  // A first marker with a Chinese character; case folding leaves it alone.
  pos = 0;
  EXPECT_EQ(ExtractBetween("x\xCA\xD7\xD2\xB3:1;", pos, "\xCA\xD7\xD2\xB3:", std::nullopt, ";",
                           true, false),
            "1");
}

}  // namespace
}  // namespace pixaroo
