// The update run and its completion against a small crafted site, on the
// runtime with the headless front (every other routine is a recorder, so
// the completion's thread start is only logged). The index file has tests
// of its own (index_file_test.cpp).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "program/routines/event_routines.h"
#include "program/routines/globals.h"
#include "program/routines/guarded.h"
#include "program/routines/program_texts.h"
#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "program/routines/units.h"
#include "base/files.h"
#include "demo/photo_art.h"
#include "demo/photo_files.h"
#include "platform/transfer/transfer.h"
#include "runtime/core/headless_front.h"
#include "tests/runtime/core/test_program.h"
#include "tests/support/crafted_site.h"
#include "program/pages/main_window_form.h"
#include "program/update/update.h"

namespace pixaroo {
namespace {

using base::Bytes;
using testing::LoopbackServer;
using testing::TestProgram;

bool IsBmp(const Bytes& b) { return b.size() > 2 && b[0] == 'B' && b[1] == 'M'; }

TEST(UpdateRun, FollowsTheListAreaSkipsScriptLinksAndKeepsRepeatsForTheCompletion) {
  CraftedSite site;
  site.Page(kListPath + "1.html",
            "<a href=\"/i/before.html\">x</a><A CLASS=\"IMG\" HREF=\"/i/1.html\"><img></a>"
            "<a href=\"/i/1.html\">t</a><a href=\"/plus/view.php?aid=1\">s</a>"
            "<a href=\"/i/2.PHP\">c</a>" +
                kListEnd + "<a href=\"/i/after.html\">n</a>");
  site.Page(kListPath + "2.html", "<a href=\"/i/2.PHP\">no list area</a>");
  site.Page("/i/1.html", "<img src=\"/p/before.png\">" + kPictureStart +
                             "<img src=\"/p/a.png\"><img data-src=\"/p/gone.jpg\">" + kPictureEnd +
                             "<img src=\"/p/after.png\">");
  // No end marker: the area runs to the end of the page.
  site.Page("/i/2.PHP", "<DIV STYLE=\"TEXT-ALIGN: CENTER\"><img src=\"/p/b.png\"></div>");
  Program program;
  // List page 2 is answered only once the first photo is asked for: the
  // first page loads beside the run, which waits for list page 2 meanwhile.
  site.Gate().Hold(kListPath + "2.html");
  Guarded<std::string> statusAtFirstPhoto;  // written on the server's thread
  site.Photo("/p/a.png", [&] {
    statusAtFirstPhoto.With([&](std::string& s) {
      if (s.empty()) s = program.Status();
    });
    site.Gate().Open(kListPath + "2.html");
  });
  site.Photo("/p/b.png");
  site.Missing("/p/gone.jpg");
  for (const char* p : {"/i/before.html", "/i/after.html", "/plus/view.php", "/p/before.png"}) {
    site.Missing(p);
  }

  ASSERT_EQ(program.Run([&] {
    UpdateRun();
    EXPECT_TRUE(program.WaitUntilIdle());
  }),
            0);
  // The first page is shown once list page 1 is done; the count includes
  // the repeats.
  EXPECT_EQ(statusAtFirstPhoto.Get(), std::string(texts::kStatusProgressPrefix) + "5" +
                                          std::string(texts::kStatusCountSuffix));

  EXPECT_EQ(program.Items(), (std::vector<std::string>{"/p/a.png", "/p/gone.jpg", "/p/a.png",
                                                       "/p/gone.jpg", "/p/b.png"}));
  EXPECT_EQ(site.Requests("/i/1.html"), 1);  // picture anchor and title anchor: one fetch
  EXPECT_EQ(site.Requests("/i/2.PHP"), 1);   // ".php" is matched with its case
  for (const char* p : {"/i/before.html", "/i/after.html", "/plus/view.php", "/p/before.png"}) {
    EXPECT_EQ(site.Requests(p), 0) << p;
  }
  EXPECT_EQ(program.Status(), std::string(texts::kStatusCollected));
  EXPECT_TRUE(program.CompletionStarted());
  itemLinks.With([](const base::TextArray& links) { EXPECT_TRUE(links.empty()); });

  // The first page was shown after list page 1, each box its own photo or
  // none: a photo that fails never shows its neighbour's.
  EXPECT_TRUE(IsBmp(program.Picture(1)));
  EXPECT_TRUE(program.Picture(2).empty());
  EXPECT_TRUE(IsBmp(program.Picture(3)));
  EXPECT_TRUE(program.Picture(4).empty());
  EXPECT_TRUE(IsBmp(program.Picture(5)));
  EXPECT_TRUE(program.Picture(6).empty());  // past the last item
  EXPECT_EQ(site.Requests("/p/a.png"), 1);  // once for both its boxes, not again after page 2
}

TEST(UpdateRun, RetriesTheFirstPageAfterEveryListPageWhileTheFirstBoxIsEmpty) {
  CraftedSite site;
  for (int page = 1; page <= kLastListPage; ++page) {
    site.Page(kListPath + std::to_string(page) + ".html",
              "<a class=\"img\" href=\"/i/" + std::to_string(page) + ".html\">" + kListEnd);
  }
  site.Page("/i/1.html", kPictureStart + "<img src=\"/p/gone.jpg\">" + kPictureEnd);
  site.Page("/i/3.html", kPictureStart + "<img src=\"/p/a.png\">" + kPictureEnd);
  site.Missing("/p/gone.jpg");
  site.Photo("/p/a.png");
  site.Missing("/");

  // One after another, the first page loads on the run's thread after
  // every list page, so the retries can be counted.
  Program program;
  ASSERT_EQ(program.Run([] { RunUpdate(1); }), 0);
  EXPECT_EQ(program.Items(), (std::vector<std::string>{"/p/gone.jpg", "/p/a.png"}));
  EXPECT_EQ(site.Requests("/p/gone.jpg"), kLastListPage);
  // Boxes whose places lie past the end of the index make no request.
  EXPECT_EQ(site.Requests("/"), 0);
  EXPECT_TRUE(program.Picture(1).empty());
  EXPECT_TRUE(IsBmp(program.Picture(2)));
  for (int page = 1; page <= kLastListPage; ++page) {
    EXPECT_EQ(site.Requests("/i/" + std::to_string(page) + ".html"),
              page == 1 || page == 3 ? 1 : 0);
  }
}

TEST(UpdateRun, TheFirstPageLoadsBesideTheRunItsSixPhotosTogether) {
  CraftedSite site;
  site.Page(kListPath + "1.html", "<a class=\"img\" href=\"/i/1.html\">" + kListEnd);
  std::string area;
  for (int i = 0; i < 6; ++i) {
    area += "<img src=\"/p/" + std::to_string(i) + ".png\">";
    site.Photo("/p/" + std::to_string(i) + ".png", i + 1);
    site.Gate().Hold("/p/" + std::to_string(i) + ".png");
  }
  site.Page("/i/1.html", kPictureStart + area + kPictureEnd);
  Program program;
  bool sixAskedTogether = false;
  bool runEndedWhilePhotosHeld = false;
  ASSERT_EQ(program.Run([&] {
    // The run ends while the site holds every photo of the first page...
    UpdateRun();
    runEndedWhilePhotosHeld = program.Status() == texts::kStatusCollected;
    // ...which were all asked for before any was answered.
    sixAskedTogether = site.Gate().WaitUntilWaitingInAll(6);
    for (int i = 0; i < 6; ++i) {
      runEndedWhilePhotosHeld =
          runEndedWhilePhotosHeld && site.Requests("/p/" + std::to_string(i) + ".png") == 1;
      site.Gate().Open("/p/" + std::to_string(i) + ".png");
    }
    EXPECT_TRUE(program.WaitUntilIdle());
  }),
            0);
  EXPECT_TRUE(runEndedWhilePhotosHeld);
  EXPECT_TRUE(program.CompletionStarted());
  EXPECT_TRUE(sixAskedTogether);
  for (int box = 1; box <= 6; ++box) EXPECT_TRUE(IsBmp(program.Picture(box))) << box;
}

TEST(UpdateRun, AfterTheCompletionThePageShownLoadsAgainWithoutARequest) {
  CraftedSite site;
  site.Page(kListPath + "1.html", "<a class=\"img\" href=\"/i/1.html\">" + kListEnd);
  // a, b, a, c, d, e: the completion moves c, d, e one place on and leaves
  // the sixth place past the end of the index.
  std::string area;
  for (const char* name : {"a", "b", "a", "c", "d", "e"}) {
    area += std::string("<img src=\"/p/") + name + ".png\">";
  }
  site.Page("/i/1.html", kPictureStart + area + kPictureEnd);
  for (int i = 0; i < 5; ++i) site.Photo(std::string("/p/") + "abcde"[i] + ".png", i + 1);
  site.Missing("/");
  Program program;
  std::map<std::string, int> requestsOfTheReload;
  std::vector<Bytes> before;
  ASSERT_EQ(program.Run([&] {
    UpdateRun();
    EXPECT_TRUE(program.WaitUntilIdle());
    for (int box = 1; box <= 6; ++box) before.push_back(program.Picture(box));
    site.ResetCounts();
    program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
    UpdateCompletion();
    EXPECT_TRUE(program.WaitUntilIdle());
    requestsOfTheReload = site.AllRequests();
  }),
            0);
  EXPECT_EQ(program.Items(),
            (std::vector<std::string>{"/p/a.png", "/p/b.png", "/p/c.png", "/p/d.png", "/p/e.png"}));
  EXPECT_EQ(requestsOfTheReload, (std::map<std::string, int>{}));
  // The page was loaded again: each box the photo its place now holds.
  EXPECT_EQ(program.Picture(1), before[0]);
  EXPECT_EQ(program.Picture(2), before[1]);
  EXPECT_EQ(program.Picture(3), before[3]);
  EXPECT_EQ(program.Picture(4), before[4]);
  EXPECT_EQ(program.Picture(5), before[5]);
  EXPECT_TRUE(program.Picture(6).empty());
}

TEST(UpdateRun, AddressesThatLeaveTheSiteAreNeverFetchedButStayInTheIndex) {
  CraftedSite site;
  LoopbackServer other;  // any request here would be a fetch off the site
  other.AddPage("/i/.*", kPictureStart + "<img src=\"/p/a.png\">" + kPictureEnd);
  other.AddPage("/p/.*", demo::EncodePng(demo::PaintPhoto(20, 30, 1, 1)), "image/png");
  const std::string away = "@" + other.HostPort();
  const std::string self = "@" + site.server().HostPort();  // a user part on the site itself
  site.Page(kListPath + "1.html", "<a class=\"img\" href=\"/i/1.html\"><a href=\"" + away +
                                      "/i/off.html\"><a href=\"" + self +
                                      "/i/1.html\"><a href=\".evil.example/i/1.html\">" +
                                      kListEnd);
  const std::vector<std::string> sources = {away + "/p/off.png", "/p/a.png",
                                            ".evil.example/p/a.png", self + "/p/a.png"};
  std::string area;
  for (const std::string& src : sources) area += "<img src=\"" + src + "\">";
  site.Page("/i/1.html", kPictureStart + area + kPictureEnd);
  site.Photo("/p/a.png");

  Program program;
  ASSERT_EQ(program.Run([&] {
    UpdateRun();
    EXPECT_TRUE(program.WaitUntilIdle());
  }),
            0);
  EXPECT_EQ(other.RequestCount(), 0u);
  EXPECT_EQ(site.Requests("/i/1.html"), 1);
  // Every source as the page gave it, whether it could be fetched or not.
  EXPECT_EQ(program.Items(), sources);
  EXPECT_TRUE(program.Picture(1).empty());
  EXPECT_TRUE(IsBmp(program.Picture(2)));
  EXPECT_TRUE(program.Picture(3).empty());
  EXPECT_TRUE(program.Picture(4).empty());
}

TEST(UpdateRun, APageGivesNoMoreThanItsCapOfLinksAndNoItemPastTheAddressCap) {
  CraftedSite site;
  site.Page(kListPath + "1.html", "<a class=\"img\" href=\"/i/1.html\">" + kListEnd);
  // Too long to be fetched: never in the index, nor counted against the cap.
  const std::string longest = "/p/" + std::string(kMaxIndexItemBytes - 3, 'x');
  std::string area = "<img src=\"" + longest + "y\">";
  for (std::size_t i = 0; i < kMaxLinksPerPage + 3; ++i) {
    area += "<img src=\"" + (i == 1 ? longest : "/p/" + std::to_string(i) + ".png") + "\">";
  }
  site.Page("/i/1.html", kPictureStart + area + kPictureEnd);
  Program program;
  ASSERT_EQ(program.Run([] { UpdateRun(); }), 0);
  const auto items = program.Items();
  ASSERT_EQ(items.size(), kMaxLinksPerPage);
  EXPECT_EQ(items[1], longest);  // at the cap: taken
  EXPECT_EQ(items.back(), "/p/" + std::to_string(kMaxLinksPerPage - 1) + ".png");
  EXPECT_EQ(program.Status(), std::string(texts::kStatusCollected));  // the run went on
}

TEST(UpdateRun, ASiteThatGivesNoListPageEndsWithTheCompletionSayingSo) {
  {
    CraftedSite site;  // every page is a 404 without body
    Program program;
    Guarded<std::string> statusAtFirstList;
    for (int page = kFirstListPage; page <= kLastListPage; ++page) {
      site.Missing(kListPath + std::to_string(page) + ".html", [&, page] {
        if (page == 1) statusAtFirstList.Set(program.Status());
      });
    }
    ASSERT_EQ(program.Run([] { UpdateRun(); }), 0);
    EXPECT_EQ(statusAtFirstList.Get(), std::string(texts::kStatusUpdating));
    for (int page = kFirstListPage; page <= kLastListPage; ++page) {
      EXPECT_EQ(site.Requests(kListPath + std::to_string(page) + ".html"), 1) << page;
    }
    EXPECT_TRUE(program.Items().empty());
    EXPECT_EQ(program.Status(), std::string(texts::kStatusCollected));
    EXPECT_TRUE(program.CompletionStarted());
  }
  // The completion the run started names the site instead of a total of 0
  // and gives the button back; a completion with no such run before it
  // shows the total.
  for (const bool afterTheRun : {true, false}) {
    CraftedSite site;
    Program program;
    ASSERT_EQ(program.Run([] {
      rt::SetDisabled(units::kUpdateButton, true);
      UpdateCompletion();
    }),
              0);
    const bool disabled = std::get<bool>(
        program.runtime->Model()->ReadProperty(unit_id::kButton1, korvex::kPropDisabled));
    if (afterTheRun) {
      EXPECT_EQ(program.Status(), std::string(texts::kStatusUnreachablePrefix) + SiteBase() +
                                      std::string(texts::kStatusUnreachableSuffix));
      EXPECT_FALSE(disabled);
    } else {
      EXPECT_EQ(program.Status(), std::string(texts::kStatusDonePrefix) + "0" +
                                      std::string(texts::kStatusCountSuffix));
      EXPECT_TRUE(disabled);
    }
  }
}

}  // namespace
}  // namespace pixaroo
