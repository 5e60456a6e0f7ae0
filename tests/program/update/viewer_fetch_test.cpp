// The viewer's photo fetches: moving on to another photo stops the fetch of
// the one before, whatever the site does with it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/transfer/transfer_limits.h"
#include "program/pages/viewer_photos.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "tests/support/crafted_site.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;

TEST(ViewerFetch, MovingOnStopsTheEarlierPhotosFetch) {
  CraftedSite site;
  site.Photo("/p/held.png", 1);
  site.Photo("/p/next.png", 2);
  // Only stopping the fetch can end it before the test opens the gate.
  site.Gate().Hold("/p/held.png");
  transfer::SetTransferLimitsForTesting({.noProgressTimeout = 1h});
  Program program;
  std::size_t heldWhenStopped = 0;
  base::Bytes earlier, later;
  ASSERT_EQ(program.Run([&] {
    rt::ListAdd(units::kIndexList, "/p/held.png");
    rt::ListAdd(units::kIndexList, "/p/next.png");
    std::atomic<bool> firstDone{false};
    std::thread first([&] {
      earlier = ViewerPhotoAt(0);
      firstDone = true;
    });
    ASSERT_TRUE(site.Gate().WaitUntilWaiting("/p/held.png"));
    std::thread second([&] { later = ViewerPhotoAt(1); });
    // The first fetch ends although the site has not answered (a generous
    // bound, only so that a fetch never stopped fails rather than hangs).
    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    while (!firstDone && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(2ms);
    heldWhenStopped = firstDone ? site.Gate().Waiting("/p/held.png") : 0;
    site.Gate().Open("/p/held.png");
    first.join();
    second.join();
  }),
            0);
  transfer::ResetTransferLimits();
  EXPECT_EQ(heldWhenStopped, 1u);  // still held: the race was reached
  EXPECT_TRUE(earlier.empty());
  EXPECT_TRUE(later.size() > 2 && later[0] == 'B' && later[1] == 'M');
}

}  // namespace
}  // namespace pixaroo
