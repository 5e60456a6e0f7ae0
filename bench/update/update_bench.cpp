// The update run fetching ahead against the one-after-another run, and a
// page of six photos against one photo, over the demo gallery on loopback
// with every answer held back 50 ms. Each benchmark reports `ratio`: its
// time over the reference's, measured side by side in the same run
// (targets: the update at most 0.25, i.e. 4 x faster; six photos at most
// 1.5). The update benchmark fails unless both runs give the same index and
// the same status texts in the same order.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "program/routines/units.h"
#include "demo/demo_site.h"
#include "demo/gallery.h"
#include "tests/program/update/crafted_site.h"
#include "program/pages/page_loads.h"
#include "program/update/update.h"

namespace pixaroo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kResponseDelay{50};
// 7 list pages of 8 items, each linked twice: 112 item page requests.
constexpr int kItemsPerPage = 8;

struct Site {
  std::unique_ptr<demo::DemoSite> site;
  Site() {
    site = demo::DemoSite::Start(0, {kResponseDelay, kItemsPerPage});
    OverrideSiteBase(site->BaseAddress());
  }
  ~Site() {
    OverrideSiteBase("");
    transfer::CloseIdleConnections();
  }
};

struct UpdateOutcome {
  double seconds = 0;
  std::vector<std::string> items;
  std::vector<std::string> statusTexts;
};

UpdateOutcome TimeUpdate(int window) {
  Program program;
  UpdateOutcome outcome;
  program.Run([&] {
    const auto t0 = Clock::now();
    RunUpdate(window);
    outcome.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  });
  outcome.items = program.Items();
  outcome.statusTexts = program.StatusTexts();
  return outcome;
}

void BM_UpdateFetchingAhead(benchmark::State& state) {
  Site site;
  double reference = 0;
  double ahead = 0;
  for (auto _ : state) {
    const UpdateOutcome one = TimeUpdate(1);
    const UpdateOutcome fast = TimeUpdate(kMaxFetchesInFlight);
    if (fast.items != one.items || fast.statusTexts != one.statusTexts ||
        one.items != site.site->gallery().CollectedSources()) {
      state.SkipWithError("the runs differ in their index or status texts");
      return;
    }
    reference += one.seconds;
    ahead += fast.seconds;
    state.SetIterationTime(fast.seconds);
  }
  state.counters["ratio"] = ahead / reference;
  state.counters["speedup"] = reference / ahead;
  state.counters["reference_ms"] = 1000 * reference / static_cast<double>(state.iterations());
}
BENCHMARK(BM_UpdateFetchingAhead)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_PageOfSixPhotos(benchmark::State& state) {
  Site site;
  const auto& photos = site.site->gallery().photos();
  Program program;
  double one = 0;
  double six = 0;
  program.Run([&] {
    for (int i = 0; i < 6; ++i) rt::ListAdd(units::kIndexList, photos[i].path);
    WindowPageLoads()->LoadPageHere(CurrentPlaces(), PhotoReads::Together);  // the site paints each photo once
    for (auto _ : state) {
      const auto t0 = Clock::now();
      benchmark::DoNotOptimize(LoadPhotoAsBmp(photos[0].path));
      const auto t1 = Clock::now();
      NewWindowPageLoads();  // every photo read from the site, none from the store
      WindowPageLoads()->LoadPageHere(CurrentPlaces(), PhotoReads::Together);
      const auto t2 = Clock::now();
      one += std::chrono::duration<double>(t1 - t0).count();
      six += std::chrono::duration<double>(t2 - t1).count();
      state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
    }
  });
  state.counters["ratio"] = six / one;
  state.counters["reference_ms"] = 1000 * one / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PageOfSixPhotos)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pixaroo

BENCHMARK_MAIN();
