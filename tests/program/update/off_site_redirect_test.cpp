// A site whose addresses answer with a redirect to another port of the same
// address, or to a host of another registrable domain: on every path the program fetches by (list pages, item pages,
// the contact badge, the first page's photos, a page load, the next page
// read ahead, the viewer) the redirect is refused before it is followed, counts as a failed
// fetch, and nothing reaches the other port.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "program/pages/page_loads.h"
#include "program/pages/viewer_photos.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "platform/transfer/transfer.h"
#include "program/routines/site_base.h"
#include "program/update/read_failures.h"
#include "program/update/update.h"
#include "tests/support/crafted_site.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + 60s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

std::string PhotoPath(int i) { return "/p/" + std::to_string(i) + ".png"; }

bool IsBmp(const base::Bytes& b) { return b.size() > 2 && b[0] == 'B' && b[1] == 'M'; }

// Where the site's moved addresses lead.
enum class Away { kAnotherPort, kAnotherDomain };

void RefusedOnEveryPath(Away away) {
  CraftedSite site;
  testing::LoopbackServer other;  // would answer everything, were it asked
  const std::string sitePort = std::to_string(site.server().port());
  // By name: the site gallery.example; other.example, another registrable
  // domain on the site's own port, is served by `other`.
  if (away == Away::kAnotherDomain) {
    transfer::RouteHostsForTesting({"gallery.example::127.0.0.1:", "other.example:" + sitePort +
                                                                       ":127.0.0.1:" +
                                                                       std::to_string(other.port())});
    OverrideSiteBase("http://gallery.example:" + sitePort);
  }
  auto awayFrom = [&](const std::string& path) {
    return away == Away::kAnotherPort ? other.Url(path)
                                      : "http://other.example:" + sitePort + path;
  };
  other.AddPage("/.*", kPictureStart + "<img src=\"/p/0.png\">" + kPictureEnd);
  // Photos 0 and 6 are the site's own; every other address moves away.
  site.Photo(PhotoPath(0));
  site.Photo(PhotoPath(6), 7);
  site.Page(kListPath + "1.html", "<a class=\"img\" href=\"/i/1.html\"><a href=\"/i/away.html\">" +
                                      kListEnd);
  std::string area;
  for (int i = 0; i < 3; ++i) area += "<img src=\"" + PhotoPath(i) + "\">";
  site.Page("/i/1.html", kPictureStart + area + kPictureEnd);
  // Photos 11 to 14 are asked for only by the read ahead of page 10 .. 15.
  std::atomic<int> readAheadAsked{0};
  std::atomic<int> badgeAsked{0};
  site.server().server().Get(R"(/(i/away\.html|p/\d+\.png|pa|nvshengzhenrenxiu/.*))",
                             [&](const httplib::Request& req, httplib::Response& res) {
                               if (req.path.size() == 9 && req.path.starts_with("/p/1") &&
                                   req.path[4] >= '1' && req.path[4] <= '4') {
                                 ++readAheadAsked;
                               }
                               if (req.path == "/pa") ++badgeAsked;
                               res.set_redirect(awayFrom(req.target));
                             });
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
  auto idle = [&] { return program.runtime->Workers().Running() == 0; };
  base::Bytes viewed;
  base::Bytes viewedOwn;
  std::string updateSaid;  // on stderr
  std::array<BoxState, kPageBoxes> pageLoad{};
  EXPECT_EQ(program.Run([&] {
    // The contact badge, fetched as the window opens.
    OnWindowCreated(0, 0, 0);
    ASSERT_TRUE(WaitUntil(idle));
    EXPECT_TRUE(program.runtime->Model()->PropertyEmpty(unit_id::kQqSupport1, korvex::kPropPicture));
    // The update: list pages 2 to 7 and one item page move away; the first
    // page's photos but the first too.
    ::testing::internal::CaptureStderr();
    RunUpdate(1);
    ASSERT_TRUE(WaitUntil(idle));
    updateSaid = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(program.Items(), (std::vector<std::string>{PhotoPath(0), PhotoPath(1), PhotoPath(2)}));
    EXPECT_TRUE(IsBmp(program.Picture(1)));
    EXPECT_TRUE(program.Picture(2).empty());
    // A page load and the next page read ahead after it.
    for (int i = 3; i < 21; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    WindowPageLoads()->IndexReplaced();  // as the completion does: reading ahead resumes
    ASSERT_TRUE(WaitUntil(idle));
    ShowNextPage(0, 0, 0);  // page 5 .. 10, then 10 .. 15 read ahead
    ASSERT_TRUE(WaitUntil(idle));
    pageLoad = WindowPageLoads()->States();
    // The viewer, on a worker as the runtime asks.
    std::thread worker([&] {
      viewed = ViewerPhotoAt(16);
      viewedOwn = ViewerPhotoAt(6);
    });
    worker.join();
  }),
            0);
  EXPECT_EQ(other.RequestCount(), 0u);
  using enum BoxState;
  EXPECT_EQ(pageLoad, (std::array<BoxState, kPageBoxes>{Failed, Shown, Failed, Failed, Failed,
                                                          Failed}));
  EXPECT_EQ(readAheadAsked, 4);
  EXPECT_EQ(badgeAsked, 1);  // the read ahead ran, each asked once
  // The one item page that moved away is the run's one failed read, said
  // once at its end with its reason.
  const std::string said =
      "pixaroo: 1 item page read failed; the first: a redirect leads off the site";
  EXPECT_NE(updateSaid.find(said), std::string::npos) << updateSaid;
  EXPECT_EQ(updateSaid.find("item page read"), updateSaid.rfind("item page read")) << updateSaid;
  EXPECT_TRUE(viewed.empty());
  EXPECT_TRUE(IsBmp(viewedOwn));
  transfer::RouteHostsForTesting({});
}

TEST(OffSiteRedirect, ToAnotherPortRefusedOnEveryPathAsAFailedFetch) {
  RefusedOnEveryPath(Away::kAnotherPort);
}

TEST(OffSiteRedirect, ToAnotherRegistrableDomainRefusedOnEveryPathAsAFailedFetch) {
  RefusedOnEveryPath(Away::kAnotherDomain);
}

// What the update says of its failed reads counts the site's failures only:
// reads stopped because the program closes are none of them.
TEST(ReadFailures, CountTheSitesFailuresWithTheFirstReasonButNoCancelledRead) {
  ReadFailures failures;
  failures.Note({korvex::ReadFailure::kCancelled, "cancelled"});
  EXPECT_EQ(failures.Count(), 0);
  EXPECT_EQ(failures.First(), "");
  failures.Note({korvex::ReadFailure::kBroken, "the connection broke"});
  failures.Note({korvex::ReadFailure::kCancelled, "cancelled"});
  failures.Note({korvex::ReadFailure::kBroken, "another"});
  EXPECT_EQ(failures.Count(), 2);
  EXPECT_EQ(failures.First(), "the connection broke");
}

}  // namespace
}  // namespace pixaroo
