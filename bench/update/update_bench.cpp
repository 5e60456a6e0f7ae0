// The update run against curl's command-line tool fetching each distinct
// page address of the same run once, 8 at a time (curl -Z --parallel-max 8),
// and a page of six photos against one photo, over the demo gallery on
// loopback with every answer held back 50 or 200 ms. Each benchmark reports
// `ratio`: its time over the reference's, measured side by side in the same
// run (targets: the update no slower than curl, a ratio of at most 1, at
// either delay; six photos at most 1.5). The update benchmark fails unless
// the run gives the index, the status texts in their order and the index
// file of the one-after-another run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "program/routines/units.h"
#include "demo/demo_site.h"
#include "demo/gallery.h"
#include "tests/support/crafted_site.h"
#include "program/pages/page_loads.h"
#include "program/update/update.h"

namespace pixaroo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kResponseDelay{50};
// 7 list pages of 8 items, each linked twice: 112 item page requests, 56
// distinct item pages.
constexpr int kItemsPerPage = 8;

struct Site {
  std::unique_ptr<demo::DemoSite> site;
  explicit Site(std::chrono::milliseconds delay = kResponseDelay) {
    site = demo::DemoSite::Start(0, {delay, kItemsPerPage});
    OverrideSiteBase(site->BaseAddress());
  }
  ~Site() {
    OverrideSiteBase("");
    transfer::CloseIdleConnections();
  }
};

// Seconds curl's command-line tool takes to fetch each distinct page address
// of an update run once, 8 at a time; negative when it fails.
double TimeCurl(const demo::DemoSite& site) {
  std::set<std::string> seen;
  std::string command = "curl -s -Z --parallel-max 8";
  auto add = [&](const std::string& path) {
    if (seen.insert(path).second) command += " -o /dev/null " + site.BaseAddress() + path;
  };
  for (int page = kFirstListPage; page <= kLastListPage; ++page) {
    add(demo::Gallery::ListPagePath(page));
  }
  for (const demo::Item& item : site.gallery().items()) add(demo::Gallery::ItemPath(item.id));
  const auto t0 = Clock::now();
  command += " 2>/dev/null";
  const int status = std::system(command.c_str());
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  return status == 0 ? seconds : -1;
}

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

void BM_UpdateAgainstCurl(benchmark::State& state) {
  Site site(std::chrono::milliseconds(state.range(0)));
  // The one-after-another run once, for what every run must give.
  const UpdateOutcome one = TimeUpdate(1);
  if (one.items != site.site->gallery().CollectedSources()) {
    state.SkipWithError("the one-after-another run gives another index");
    return;
  }
  double curl = 0;
  double pixaroo = 0;
  for (auto _ : state) {
    const UpdateOutcome run = TimeUpdate(kMaxFetchesInFlight);
    const double reference = TimeCurl(*site.site);
    if (run.items != one.items || run.statusTexts != one.statusTexts ||
        IndexFileBytes(DistinctIndexItems(run.items)) !=
            IndexFileBytes(DistinctIndexItems(one.items))) {
      state.SkipWithError("the run differs from the one-after-another run");
      return;
    }
    if (reference < 0) {
      state.SkipWithError("curl failed");
      return;
    }
    curl += reference;
    pixaroo += run.seconds;
    state.SetIterationTime(run.seconds);
  }
  state.counters["ratio"] = pixaroo / curl;
  state.counters["curl_ms"] = 1000 * curl / static_cast<double>(state.iterations());
  state.counters["one_after_another_ms"] = 1000 * one.seconds;
}
BENCHMARK(BM_UpdateAgainstCurl)
    ->Arg(50)
    ->Arg(200)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_PageOfSixPhotos(benchmark::State& state) {
  Site site;
  const auto& photos = site.site->gallery().photos();
  Program program;
  double one = 0;
  double six = 0;
  program.Run([&] {
    for (int i = 0; i < 6; ++i) rt::ListAdd(units::kIndexList, photos[i].path);
    // The site paints each photo once.
    WindowPageLoads()->LoadPageHere(CurrentPlaces(), PhotoReads::Together);
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
