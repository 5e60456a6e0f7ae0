// The pixel budget: full-size pictures in flight, in conversions (an encode
// through the flat API) and in the view's decodes (ScaleToFit) alike, never
// hold more pixels together than the budget; one beyond it waits its turn.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/gdiplus/fit_scaler.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/gdiplus/pixel_budget.h"
#include "tests/platform/gdiplus/gdiplus_started.h"
#include "tests/platform/gdiplus/test_images.h"

namespace gdiplus {
namespace {

using imaging_test::Bytes;

constexpr std::uint32_t kWidth = 20;
constexpr std::uint32_t kHeight = 30;
constexpr std::uint64_t kPixels = std::uint64_t{kWidth} * kHeight;

// A PNG converted to BMP through the flat API; true when it converted.
bool ConvertToBmp(const Bytes& png) {
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  GdiplusStartup(&token, &input, nullptr);
  const bool ok = !SaveAsBmp(png).empty();
  GdiplusShutdown(token);
  return ok;
}

// Runs `work` on a thread while the test holds the whole budget but for
// less than the work's picture: the work must wait (the race reached: a
// lease waiting, the work not done), then finish once the test lets go.
void WaitsForTheBudget(const std::function<bool()>& work) {
  SetPixelBudgetForTesting(kPixels + kPixels / 2);
  auto held = std::make_unique<PixelLease>(kPixels);
  std::atomic<bool> done{false};
  std::atomic<bool> result{false};
  std::thread worker([&] {
    result = work();
    done = true;
  });
  // Until the worker either waits or (without a budget) finishes.
  while (PixelLeasesWaiting() == 0 && !done) std::this_thread::yield();
  EXPECT_FALSE(done) << "ran beside a lease that leaves too little of the budget";
  EXPECT_EQ(PixelsInFlight(), kPixels);
  held.reset();
  worker.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(PixelsInFlight(), 0u);  // given back with the picture
  SetPixelBudgetForTesting(0);
}

TEST(PixelBudget, ConversionsAndViewDecodesWaitUntilTheirPixelsFit) {
  const Bytes png = imaging_test::MakePngOf(imaging_test::MakePattern(kWidth, kHeight, false));
  WaitsForTheBudget([&] { return ConvertToBmp(png); });
  WaitsForTheBudget([&] { return ScaleToFit(png, 10, 10).width > 0; });
  // Within the budget, pictures go side by side.
  SetPixelBudgetForTesting(kPixels * 2);
  {
    const PixelLease one(kPixels);
    EXPECT_TRUE(ConvertToBmp(png));
  }
  SetPixelBudgetForTesting(0);
  EXPECT_EQ(kPixelBudget, std::uint64_t{64} << 20);
}

}  // namespace
}  // namespace gdiplus
