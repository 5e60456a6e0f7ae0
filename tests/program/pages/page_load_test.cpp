// Page loads against a crafted site: a superseded load writes no box and
// stops its transfers; the next page read ahead shows without a request and
// exactly as a load from the site shows it, also after an update; a read
// stopped with its load or read-ahead is read again when its page is next
// shown, a photo the site's answer refuses is not; a badge host that does not
// answer holds up neither the usage notice nor paging.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "program/routines/program_texts.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "program/imaging/convert_image_format.h"
#include "platform/transfer/transfer_limits.h"
#include "runtime/inet/http_read.h"
#include "tests/support/crafted_site.h"
#include "program/pages/page_loads.h"
#include "program/pages/photo_cache.h"
#include "program/update/update.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kPhotos = 21;

std::string PhotoPath(int i) { return "/p/" + std::to_string(i) + ".png"; }

// Polls until `condition` holds or `limit` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 60s) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Photos 0 .. kPhotos-1, each its own picture, and their BMP files.
std::vector<base::Bytes> ServePhotos(CraftedSite& site) {
  for (int i = 0; i < kPhotos; ++i) site.Photo(PhotoPath(i), i + 1);
  // A program run before this one may have unbound the services.
  BindRuntime(&korvex::ServiceTable());
  std::vector<base::Bytes> bmp(kPhotos);
  for (int i = 0; i < kPhotos; ++i) {
    ConvertImageFormat(korvex::HttpRead(SiteBase() + PhotoPath(i)), kFormatBmp, bmp[i]);
  }
  site.ResetCounts();
  return bmp;
}

TEST(PageLoad, ASupersededLoadWritesNoBoxAndStopsItsTransfers) {
  CraftedSite site;
  const std::vector<base::Bytes> bmp = ServePhotos(site);
  // Box 1 of the page 5 .. 10 is answered only once the test opens it, and
  // only stopping the read can end it before.
  site.Gate().Hold(PhotoPath(5));
  transfer::SetTransferLimitsForTesting({.noProgressTimeout = 1h});
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
  EXPECT_EQ(program.Run([&] {
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    ShowNextPage(0, 0, 0);  // page 5 .. 10
    ASSERT_TRUE(site.Gate().WaitUntilWaiting(PhotoPath(5)));
    ShowNextPage(0, 0, 0);  // page 10 .. 15 supersedes it
    EXPECT_TRUE(WaitUntil([&] { return program.Picture(1) == bmp[10]; }));
    // The older load's held read was stopped: its loader ends although the
    // site has not answered.
    EXPECT_TRUE(WaitUntil([&] { return program.runtime->Workers().Running() == 0; }));
    EXPECT_EQ(site.Gate().Waiting(PhotoPath(5)), 1u);  // still held: the race was reached
    site.Gate().Open(PhotoPath(5));
  }),
            0);
  transfer::ResetTransferLimits();
  for (int box = 1; box <= 6; ++box) EXPECT_EQ(program.Picture(box), bmp[9 + box]) << box;
  EXPECT_EQ(site.Requests(PhotoPath(5)), 1);
}

TEST(PageLoad, TheNextPageReadAheadShowsWithoutARequestAndTheStoreOutlivesAnUpdate) {
  CraftedSite site;
  std::vector<base::Bytes> bmp = ServePhotos(site);
  // Photo 17 is answered only once the test opens it; it is first asked
  // for when the page 10 .. 15 is shown and its next page is read ahead.
  const std::string held = PhotoPath(17);
  site.Gate().Hold(held);
  // Only stopping the read ahead can end the held read before the test
  // opens the gate (the no-progress limit would end it too).
  transfer::SetTransferLimitsForTesting({.noProgressTimeout = 1h});
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
  int requestsAfterUpdate = -1;
  bool readAheadTogether = false;
  int requestsFromSite = -1;
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
    ASSERT_TRUE(site.Gate().WaitUntilWaiting(held));
    // The page 15 .. 20 is read together: its other photos not yet stored
    // (16 .. 20; 15 came with the page 10 .. 15) are asked for while photo
    // 17 is held.
    readAheadTogether = WaitUntil([&] {
                          int asked = 0;
                          for (int i = 16; i <= 20; ++i) asked += site.Requests(item(i));
                          return asked == 5;
                        }) &&
                        site.Gate().Waiting(held) == 1;
    fromStore = WindowPageLoads()->States();
    requestsFromStore = pageRequests(10);
    expectPage(10, "from the store");

    // Paging back while page 15 .. 20 is being read ahead stops that read
    // at once, before the new page's loader has even started.
    holdLoaders = true;
    ShowPreviousPage(0, 0, 0);
    aheadStoppedBeforeRelease =
        WaitUntil([&] { return program.runtime->Workers().Running() == 1; }) &&
        site.Gate().Waiting(held) == 1;
    gate.set_value();
    ASSERT_TRUE(WaitUntil(idle));
    requestsOfPageBack = pageRequests(5);
    expectPage(5, "back");
    site.Gate().Open(held);

    // An update and its completion keep the store (an address names the
    // same photo for the whole run): the page comes without a request.
    // Its neighbours read ahead again after the completion come from the
    // store too.
    site.ResetCounts();
    RunUpdate(1);
    UpdateCompletion();
    ASSERT_TRUE(WaitUntil(idle));
    ShowNextPage(0, 0, 0);
    ASSERT_TRUE(WaitUntil(idle));
    requestsAfterUpdate = pageRequests(0) + pageRequests(5) + pageRequests(10);
    expectPage(10, "after the update");
    // A new window's page loads have nothing stored: the same page from the
    // site shows the same in every box.
    site.ResetCounts();
    NewWindowPageLoads();
    WindowPageLoads()->LoadPageHere(CurrentPlaces(), PhotoReads::Together);
    fromSite = WindowPageLoads()->States();
    requestsFromSite = pageRequests(10);
    expectPage(10, "from the site again");
  }),
            0);
  transfer::ResetTransferLimits();
  EXPECT_EQ(requestsFromStore, 0);
  EXPECT_TRUE(readAheadTogether);
  EXPECT_EQ(fromStore, page10States);
  EXPECT_TRUE(aheadStoppedBeforeRelease);
  EXPECT_EQ(requestsOfPageBack, 0);  // the page shown before is still stored
  EXPECT_EQ(requestsAfterUpdate, 0);
  EXPECT_EQ(requestsFromSite, 6);
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
  store.Put("f", file(10));
  store.Touch("d");          // "d" is now the last to go...
  store.Put("g", file(10));  // ...so the fourth photo drops "e"
  EXPECT_NE(store.Find("d"), nullptr);
  EXPECT_EQ(store.Find("e"), nullptr);
  // Addresses that give no photo: as many as photos, the oldest forgotten
  // first, apart from the files.
  for (const char* address : {"x", "y", "z", "x", "w"}) store.PutUnavailable(address);
  EXPECT_FALSE(store.Unavailable("x"));
  for (const char* address : {"y", "z", "w"}) EXPECT_TRUE(store.Unavailable(address)) << address;
  EXPECT_EQ(store.Photos(), 3u);
  const PhotoCache::File kept = store.Find("d");
  store.Clear();
  EXPECT_EQ(store.Photos(), 0u);
  EXPECT_FALSE(store.Unavailable("w"));
  EXPECT_EQ(kept->size(), 40u);  // a reader keeps its file
}

TEST(PageLoad, AStoppedReadIsReadAgainWhenNextShownAndARefusedPhotoIsNot) {
  CraftedSite site;
  const std::vector<base::Bytes> bmp = ServePhotos(site);
  // Item 11 leads off the site: refused, and so it would be every time.
  const std::string away = "/p/away.png";
  std::atomic<int> awayReads{0};
  site.server().server().Get(away, [&](const httplib::Request&, httplib::Response& res) {
    ++awayReads;
    res.set_redirect("http://elsewhere.example/p/11.png");
  });
  auto item = [&](int i) { return i == 11 ? away : PhotoPath(i); };
  // Photos 12 and 17 are answered only once the test opens them; only
  // stopping their reads can end them before.
  site.Gate().Hold(PhotoPath(12));
  site.Gate().Hold(PhotoPath(17));
  transfer::SetTransferLimitsForTesting({.noProgressTimeout = 1h});
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
  auto idle = [&] { return program.runtime->Workers().Running() == 0; };
  bool aheadStopped = false;
  bool loadStopped = false;
  int refusedReads = -1;
  int refusedReadsAgain = -1;
  std::array<base::Bytes, 2> held;  // photos 12 and 17 as their boxes showed them
  ASSERT_EQ(program.Run([&] {
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, item(i));
    ShowNextPage(0, 0, 0);  // page 5 .. 10; page 10 .. 15 is read ahead, photo 12 held
    ASSERT_TRUE(site.Gate().WaitUntilWaiting(PhotoPath(12)));
    WindowPageLoads()->UpdateBegins();  // stops the read-ahead; no other starts
    ASSERT_TRUE(WaitUntil(idle));
    aheadStopped = site.Gate().Waiting(PhotoPath(12)) == 1;
    site.Gate().Open(PhotoPath(12));

    ShowNextPage(0, 0, 0);  // page 10 .. 15: photo 12 read again
    ASSERT_TRUE(WaitUntil(idle));
    held[0] = program.Picture(3);
    EXPECT_TRUE(program.Picture(2).empty());
    refusedReads = awayReads;

    ShowNextPage(0, 0, 0);  // page 15 .. 20, photo 17 held...
    ASSERT_TRUE(site.Gate().WaitUntilWaiting(PhotoPath(17)));
    ShowPreviousPage(0, 0, 0);  // ...and superseded by page 10 .. 15 again
    ASSERT_TRUE(WaitUntil(idle));
    loadStopped = site.Gate().Waiting(PhotoPath(17)) == 1;
    refusedReadsAgain = awayReads;
    site.Gate().Open(PhotoPath(17));
    ShowNextPage(0, 0, 0);  // page 15 .. 20: photo 17 read again
    ASSERT_TRUE(WaitUntil(idle));
    held[1] = program.Picture(3);
  }),
            0);
  transfer::ResetTransferLimits();
  EXPECT_TRUE(aheadStopped);
  EXPECT_TRUE(loadStopped);
  EXPECT_EQ(held[0], bmp[12]);
  EXPECT_EQ(site.Requests(PhotoPath(12)), 2);
  EXPECT_EQ(held[1], bmp[17]);
  EXPECT_EQ(site.Requests(PhotoPath(17)), 2);
  // Read once (ahead, or when its page was first shown), never again.
  EXPECT_GE(refusedReads, 1);
  EXPECT_EQ(refusedReadsAgain, refusedReads);
}

TEST(PageLoad, ABadgeHostThatStallsHoldsUpNeitherTheNoticeNorPaging) {
  CraftedSite site;
  site.Page("/pa", "GIF89a", "image/gif");
  const std::vector<base::Bytes> bmp = ServePhotos(site);
  site.Gate().Hold("/pa");  // the badge is answered only once the test opens it
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
    ASSERT_TRUE(site.Gate().WaitUntilWaiting("/pa"));
    noticeBeforeBadge = program.front->MessageBoxes().size() == 1;
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    ShowNextPage(0, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.Picture(6) == bmp[10]; }));
    pageBeforeBadge = site.Gate().Waiting("/pa") == 1 && badge().empty();
    site.Gate().Open("/pa");
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
