// The index's de-duplication and file bytes, as pure functions.
#include <gtest/gtest.h>

#include <string>

#include "update/update.h"

namespace pixaroo {
namespace {

using korvex::TextArray;

std::string AsText(const korvex::Bytes& b) { return std::string(b.begin(), b.end()); }

TEST(DistinctIndexItems, KeepsFirstOccurrencesInOrderAndComparesWholeBytes) {
  EXPECT_EQ(DistinctIndexItems({"a", "b", "a", "c", "b"}), (TextArray{"a", "b", "c"}));
  EXPECT_EQ(DistinctIndexItems({"/x/1.jpg", "/x/2.jpg"}), (TextArray{"/x/1.jpg", "/x/2.jpg"}));
  // Letter case and a trailing space make different items.
  EXPECT_EQ(DistinctIndexItems({"A", "a", "a ", "a"}), (TextArray{"A", "a", "a "}));
  EXPECT_EQ(DistinctIndexItems({"/\xCD\xBC.jpg", "/\xCD\xBC.jpg", "/\xCF\xF1.jpg"}),
            (TextArray{"/\xCD\xBC.jpg", "/\xCF\xF1.jpg"}));
  EXPECT_TRUE(DistinctIndexItems({}).empty());
}

TEST(DistinctIndexItems, TheJoinedTextDropsEmptyItemsAndSplitsItemsHoldingTheSeparator) {
  // 分割符 in GBK, between two #.
  const std::string separator = "#\xB7\xD6\xB8\xEE\xB7\xFB#";
  EXPECT_EQ(DistinctIndexItems({"", "a", "", "b", ""}), (TextArray{"a", "b"}));
  EXPECT_EQ(DistinctIndexItems({"a" + separator + "b", "b", "c"}), (TextArray{"a", "b", "c"}));
  // The separator's Chinese bytes inside other characters are no separator:
  // "\xB7\xB7" + "\xD6\xB8" ... keeps its pairs.
  const std::string shifted = "#\xB7\xB7\xD6\xB8\xEE\xB7\xFB#";
  EXPECT_EQ(DistinctIndexItems({shifted, shifted}), (TextArray{shifted}));
}

TEST(IndexFileBytes, EveryItemEndsWithCrLfAndNothingElseIsWritten) {
  EXPECT_EQ(AsText(IndexFileBytes({"/a.jpg", "/b.jpg"})), "/a.jpg\r\n/b.jpg\r\n");
  EXPECT_EQ(IndexFileBytes({"/a.jpg", "/b.jpg"}).size(), 16u);
  EXPECT_EQ(AsText(IndexFileBytes({"", "/\xCD\xBC"})), "\r\n/\xCD\xBC\r\n");
  EXPECT_TRUE(IndexFileBytes({}).empty());
  const std::string path = IndexFilePath();
  ASSERT_GE(path.size(), 10u);
  EXPECT_EQ(path.substr(path.size() - 10), "/confi.ini");
}

}  // namespace
}  // namespace pixaroo
