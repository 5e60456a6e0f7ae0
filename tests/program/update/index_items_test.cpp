// The index's distinct items: what going through the joined text does.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace pixaroo
