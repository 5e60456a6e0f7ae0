// Batch extraction on several threads at once: each call makes and ends its
// own COM use, so every thread's count returns to zero and no component
// outlives its call.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/com.h"
#include "program/text/extract_all_between.h"

namespace pixaroo {
namespace {

constexpr int kThreads = 4;
constexpr int kCallsPerThread = 200;

TEST(ExtractAllBetweenThreads, ComCountsStayBalancedPerThread) {
  const long objects = com::LiveObjectCount();
  std::atomic<int> wrongResults{0};
  std::atomic<int> unbalanced{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const Text page = "<a href=\"" + std::to_string(t) + "\"><a HREF=\"x\">";
      TextArray out;
      for (int i = 0; i < kCallsPerThread; ++i) {
        if (ExtractAllBetween(page, "href=\"", "\"", out) != 2 || out[0] != std::to_string(t)) {
          ++wrongResults;
        }
        if (com::ComInitCountOnThisThread() != 0) ++unbalanced;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrongResults.load(), 0);
  EXPECT_EQ(unbalanced.load(), 0);
  EXPECT_EQ(com::LiveObjectCount(), objects);
}

}  // namespace
}  // namespace pixaroo
