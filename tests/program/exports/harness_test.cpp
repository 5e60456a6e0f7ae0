// The harness itself: the real program starts against the demo site, shows
// its window, and ends cleanly when the window closes.
#include <gtest/gtest.h>

#include "tests/program/exports/program_harness.h"
#include "program/pages/main_window_form.h"

namespace pixaroo::testing {
namespace {

TEST(ProgramHarness, TheRealProgramOpensAndClosesAgainstTheDemoSite) {
  ProgramHarness h;
  ASSERT_NE(&h.Site(), nullptr);
  bool scripted = false;
  EXPECT_EQ(h.Run([&](ProgramHarness& p) {
    scripted = true;
    EXPECT_TRUE(p.IndexItems().empty());
    p.Click(unit_id::kButton2);  // 上一页 on the first page
    p.Then([](ProgramHarness& q) {
      EXPECT_TRUE(q.WaitForWorkers(std::chrono::seconds(30)));
      q.Close();
    });
  }),
            0);
  EXPECT_TRUE(scripted);
  EXPECT_TRUE(h.WaitForWorkers(std::chrono::seconds(1)));
}

}  // namespace
}  // namespace pixaroo::testing
