// Page loads against a crafted site: a superseded load writes no box and
// stops its transfers; the next page read ahead shows without a request and
// exactly as a load from the site shows it; a badge host that does not
// answer holds up neither the usage notice nor paging.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "app/program_texts.h"
#include "app/runtime_link.h"
#include "app/units.h"
#include "imaging/convert_image_format.h"
#include "runtime/inet/http_read.h"
#include "tests/update/crafted_site.h"
#include "ui/page_loads.h"
#include "ui/photo_cache.h"
#include "update/update.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kPhotos = 21;
constexpr auto kStall = 10s;  // longer than any wait below

std::string PhotoPath(int i) { return "/p/" + std::to_string(i) + ".png"; }

// Polls until `condition` holds or `limit` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5000ms) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Photos 0 .. kPhotos-1, each its own picture, and their BMP files.
std::vector<base::Bytes> ServePhotos(CraftedSite& site, int slow, std::function<void()> slowSeen) {
  for (int i = 0; i < kPhotos; ++i) {
    site.Photo(PhotoPath(i), i + 1, i == slow ? slowSeen : std::function<void()>());
  }
  // A program run before this one may have unbound the services.
  BindRuntime(&korvex::ServiceTable());
  std::vector<base::Bytes> bmp(kPhotos);
  for (int i = 0; i < kPhotos; ++i) {
    if (i == slow) continue;
    ConvertImageFormat(korvex::HttpRead(SiteBase() + PhotoPath(i)), kFormatBmp, bmp[i]);
  }
  site.ResetCounts();
  return bmp;
}

TEST(PageLoad, ASupersededLoadWritesNoBoxAndStopsItsTransfers) {
  CraftedSite site;
  std::atomic<bool> slowAnswered{false};
  // Box 1 of the page 5 .. 10 is slow: it answers only when released.
  const std::vector<base::Bytes> bmp = ServePhotos(site, 5, [&] {
    site.server().Stall(kStall);
    slowAnswered = true;
  });
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
  bool newerShownWhileSlowPending = false;
  bool olderEndedBeforeRelease = false;
  ASSERT_EQ(program.Run([&] {
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    ShowNextPage(0, 0, 0);  // page 5 .. 10
    ASSERT_TRUE(WaitUntil([&] { return site.Requests(PhotoPath(5)) == 1; }));
    ShowNextPage(0, 0, 0);  // page 10 .. 15 supersedes it
    ASSERT_TRUE(WaitUntil([&] { return program.Picture(1) == bmp[10]; }));
    newerShownWhileSlowPending = !slowAnswered;
    // The older load's slow read was stopped: its loader ends although the
    // server has not answered.
    olderEndedBeforeRelease = WaitUntil([&] { return program.runtime->Workers().Running() == 0; });
    site.server().Release();
    ASSERT_TRUE(WaitUntil([&] { return slowAnswered.load(); }));
    ASSERT_TRUE(WaitUntil([&] { return program.runtime->Workers().Running() == 0; }));
  }),
            0);
  EXPECT_TRUE(newerShownWhileSlowPending);  // the race was reached
  EXPECT_TRUE(olderEndedBeforeRelease);
  for (int box = 1; box <= 6; ++box) EXPECT_EQ(program.Picture(box), bmp[9 + box]) << box;
  EXPECT_EQ(site.Requests(PhotoPath(5)), 1);
}

TEST(PageLoad, TheNextPageReadAheadShowsWithoutARequestUntilSomethingNewerStopsOrEmptiesIt) {
  CraftedSite site;
  std::atomic<bool> aheadHeld{false};
  std::atomic<bool> aheadAnswered{false};
  // Photo 17 answers only when released; it is first asked for when the
  // page 10 .. 15 is shown and its next page is read ahead.
  std::vector<base::Bytes> bmp = ServePhotos(site, 17, [&] {
    aheadHeld = true;
    site.server().Stall(kStall);
    aheadAnswered = true;
  });
  // Item 12 is a file the site sends that is no photo: its box fails.
  constexpr int kBroken = 12;
  site.Page("/p/broken.png", "not a photo", "image/png");
  bmp[kBroken].clear();
  auto item = [](int i) { return i == kBroken ? std::string("/p/broken.png") : PhotoPath(i); };
  auto pageRequests = [&](int first) {
    int n = 0;
    for (int i = first; i < first + 6; ++i) n += site.Requests(item(i));
    return n;
  };
  using enum BoxState;
  const std::array<BoxState, kPageBoxes> page10States = {Shown, Shown, Failed, Shown, Shown, Shown};

  // A loader thread waits at this gate while `holdLoaders` is set.
  std::atomic<bool> holdLoaders{false};
  std::promise<void> gate;
  std::shared_future<void> gateOpen = gate.get_future().share();
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [&] {
    if (holdLoaders) gateOpen.wait();
    PageLoaderThread(0, 0, 0);
  });
  auto idle = [&] { return program.runtime->Workers().Running() == 0; };
  auto expectPage = [&](int first, const char* how) {
    for (int box = 1; box <= 6; ++box) {
      EXPECT_EQ(program.Picture(box), bmp[first + box - 1]) << how << ", box " << box;
    }
  };
  int requestsFromStore = -1;
  int requestsOfPageBack = -1;
  bool aheadStoppedBeforeRelease = false;
  std::array<BoxState, kPageBoxes> fromStore{};
  std::array<BoxState, kPageBoxes> fromSite{};
  ASSERT_EQ(program.Run([&] {
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, item(i));
    ShowNextPage(0, 0, 0);  // page 5 .. 10; page 10 .. 15 is read ahead
    ASSERT_TRUE(WaitUntil(idle));
    expectPage(5, "from the site");
    EXPECT_EQ(pageRequests(10), 6);
    site.ResetCounts();

    ShowNextPage(0, 0, 0);  // page 10 .. 15, from the store
    ASSERT_TRUE(WaitUntil([&] { return aheadHeld.load(); }));
    fromStore = PageBoxStates();
    requestsFromStore = pageRequests(10);
    expectPage(10, "from the store");

    // Paging back while page 15 .. 20 is being read ahead stops that read
    // at once, before the new page's loader has even started.
    holdLoaders = true;
    ShowPreviousPage(0, 0, 0);
    aheadStoppedBeforeRelease =
        WaitUntil([&] { return program.runtime->Workers().Running() == 1; }) && !aheadAnswered;
    gate.set_value();
    ASSERT_TRUE(WaitUntil(idle));
    requestsOfPageBack = pageRequests(5);
    expectPage(5, "back");
    site.server().Release();
    ASSERT_TRUE(WaitUntil([&] { return aheadAnswered.load(); }));

    // An update empties the store: the page comes from the site again, the
    // same in every box.
    RunUpdate(1);
    EXPECT_EQ(StoredPhotos(), 0u);
    site.ResetCounts();
    ShowNextPage(0, 0, 0);
    ASSERT_TRUE(WaitUntil(idle));
    fromSite = PageBoxStates();
    expectPage(10, "after the update");
  }),
            0);
  EXPECT_EQ(requestsFromStore, 0);
  EXPECT_EQ(fromStore, page10States);
  EXPECT_TRUE(aheadStoppedBeforeRelease);
  EXPECT_EQ(requestsOfPageBack, 0);  // the page shown before is still stored
  EXPECT_EQ(site.Requests(PhotoPath(10)), 1);
  EXPECT_EQ(site.Requests(item(kBroken)), 1);
  EXPECT_EQ(fromSite, page10States);
}

TEST(PageLoad, TheReadAheadStoreDropsItsOldestFilesPastEitherBound) {
  auto file = [](std::size_t size) { return std::make_shared<const base::Bytes>(size, 'x'); };
  PhotoCache store(3, 100);
  store.Put("a", file(10));
  store.Put("b", file(20));
  store.Put("c", file(30));
  store.Put("d", file(40));  // a fourth photo: "a" goes
  EXPECT_EQ(store.Find("a"), nullptr);
  EXPECT_EQ(store.Photos(), 3u);
  EXPECT_EQ(store.Bytes(), 90u);
  store.Put("e", file(50));  // 140 bytes: "b" and "c" go
  EXPECT_EQ(store.Find("b"), nullptr);
  EXPECT_EQ(store.Find("c"), nullptr);
  EXPECT_EQ(store.Find("e")->size(), 50u);
  EXPECT_EQ(store.Bytes(), 90u);
  store.Put("huge", file(101));  // larger than the store: not kept, nothing dropped
  store.Put("empty", file(0));
  EXPECT_EQ(store.Find("huge"), nullptr);
  EXPECT_EQ(store.Find("empty"), nullptr);
  EXPECT_EQ(store.Photos(), 2u);
  const PhotoCache::File kept = store.Find("d");
  store.Clear();
  EXPECT_EQ(store.Photos(), 0u);
  EXPECT_EQ(kept->size(), 40u);  // a reader keeps its file
}

TEST(PageLoad, ABadgeHostThatStallsHoldsUpNeitherTheNoticeNorPaging) {
  CraftedSite site;
  std::atomic<bool> badgeAsked{false};
  std::atomic<bool> badgeAnswered{false};
  site.Page("/pa", "GIF89a", "image/gif", [&] {
    badgeAsked = true;
    site.server().Stall(kStall);
    badgeAnswered = true;
  });
  const std::vector<base::Bytes> bmp = ServePhotos(site, -1, {});
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
  bool noticeBeforeBadge = false;
  bool pageBeforeBadge = false;
  auto badge = [&] {
    auto v = program.runtime->Model()->ReadProperty(unit_id::kQqSupport1, korvex::kPropPicture);
    auto* b = std::get_if<base::Bytes>(&v);
    return b != nullptr ? *b : base::Bytes();
  };
  ASSERT_EQ(program.Run([&] {
    OnWindowCreated(0, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return badgeAsked.load(); }));
    noticeBeforeBadge = program.front->MessageBoxes().size() == 1 && !badgeAnswered;
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    ShowNextPage(0, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.Picture(6) == bmp[10]; }));
    pageBeforeBadge = !badgeAnswered && badge().empty();
    site.server().Release();
    // The badge shows once it arrives.
    EXPECT_TRUE(WaitUntil([&] { return !badge().empty(); }));
  }),
            0);
  EXPECT_TRUE(noticeBeforeBadge);
  EXPECT_TRUE(pageBeforeBadge);
  ASSERT_EQ(program.front->MessageBoxes().size(), 1u);
  EXPECT_EQ(program.front->MessageBoxes()[0].text, texts::kUsageNotice);
  for (int box = 1; box <= 6; ++box) EXPECT_EQ(program.Picture(box), bmp[4 + box]) << box;
}

}  // namespace
}  // namespace pixaroo
