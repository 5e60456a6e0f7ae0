// The index's distinct items: what going through the joined text does.
#include <gtest/gtest.h>

#include <string>

#include "program/update/index_budget.h"
#include "program/update/update.h"

namespace pixaroo {
namespace {

using base::TextArray;

TEST(DistinctIndexItems, KeepsFirstOccurrencesWholeAndLosesWhatTheJoinedTextCannotHold) {
  EXPECT_EQ(DistinctIndexItems({"a", "b", "a", "c", "b"}), (TextArray{"a", "b", "c"}));
  // Letter case, a trailing space and double-byte characters all count.
  EXPECT_EQ(DistinctIndexItems({"A", "a", "a ", "a", "/\xCD\xBC", "/\xCF\xF1", "/\xCD\xBC"}),
            (TextArray{"A", "a", "a ", "/\xCD\xBC", "/\xCF\xF1"}));
  EXPECT_TRUE(DistinctIndexItems({}).empty());
  // Empty items vanish; an item holding the separator (#分割符#) splits.
  EXPECT_EQ(DistinctIndexItems({"", "a", "", "b", ""}), (TextArray{"a", "b"}));
  EXPECT_EQ(DistinctIndexItems({"a#\xB7\xD6\xB8\xEE\xB7\xFB#b", "b", "c"}),
            (TextArray{"a", "b", "c"}));
}

TEST(IndexBudget, TakesNoItemPastTheAddressCapAndKeepsTheIndexTextWithinItsCap) {
  IndexBudget budget;
  EXPECT_TRUE(budget.Admit(std::string(kMaxIndexItemBytes, 'a')));
  EXPECT_FALSE(budget.Admit(std::string(kMaxIndexItemBytes + 1, 'a')));
  EXPECT_TRUE(budget.Admit(""));
  // The whole text, each item with its CR LF: fill it to the last byte.
  std::size_t used = kMaxIndexItemBytes + 2 + 2;
  const std::string item(kMaxIndexItemBytes - 2, 'b');
  while (used + item.size() + 2 <= kMaxIndexTextBytes) {
    ASSERT_TRUE(budget.Admit(item));
    used += item.size() + 2;
  }
  const std::string last(kMaxIndexTextBytes - used - 2, 'c');
  EXPECT_TRUE(budget.Admit(last));
  EXPECT_FALSE(budget.Admit(""));  // its CR LF alone would pass the cap
  EXPECT_LE(kMaxIndexTextBytes, 16u << 20);
  EXPECT_LE(kMaxIndexItemBytes, 8u << 10);

  IndexBudget many;
  for (std::size_t i = 0; i < kMaxIndexItems; ++i) ASSERT_TRUE(many.Admit("/p.jpg"));
  EXPECT_FALSE(many.Admit("/p.jpg"));
}

}  // namespace
}  // namespace pixaroo
