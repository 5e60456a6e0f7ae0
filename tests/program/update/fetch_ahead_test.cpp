// Fetching ahead against fetching one page after another: the same index,
// the same status texts and progress in the same order, the same requests,
// over crafted sites (repeats, script links, failures, a list page answered
// before the item pages ahead of it, item pages that answer last to first
// once the window is full) and over the demo gallery.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "program/routines/program_texts.h"
#include "demo/demo_site.h"
#include "demo/gallery.h"
#include "tests/support/crafted_site.h"
#include "program/update/update.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;

struct RunResult {
  std::vector<std::string> items;
  std::vector<std::string> statusTexts;
  std::vector<base::Bytes> pictures;
  std::vector<int> progress;  // the bar's values, in order
};

RunResult RunWithWindow(int window) {
  Program program;
  EXPECT_EQ(program.Run([&] {
    RunUpdate(window);
    // The first page, loaded beside the run, is written before the window closes.
    EXPECT_TRUE(program.WaitUntilIdle());
  }),
            0);
  RunResult r{program.Items(), program.StatusTexts(), {}};
  for (int box = 1; box <= 6; ++box) r.pictures.push_back(program.Picture(box));
  EXPECT_TRUE(program.CompletionStarted());
  // The progress bar: shown from the start, never going back, full once the
  // seventh list page is done.
  const auto progress = program.Progress();
  EXPECT_FALSE(progress.empty());
  for (std::size_t i = 0; i < progress.size(); ++i) {
    EXPECT_EQ(progress[i].maximum, kLastListPage * 100);
    if (i > 0) EXPECT_GE(progress[i].value, progress[i - 1].value);
  }
  if (!progress.empty()) {
    EXPECT_EQ(progress.front().value, 0);
    EXPECT_EQ(progress.back().value, progress.back().maximum);
  }
  for (const auto& p : progress) r.progress.push_back(p.value);
  return r;
}

std::string Link(const std::string& path) { return "<a href=\"" + path + "\">x</a>"; }
std::string ListPage(const std::vector<std::string>& links) {
  std::string body = "<a class=\"img\" href=\"" + links.front() + "\"><img></a>";
  for (std::size_t i = 1; i < links.size(); ++i) body += Link(links[i]);
  return body + kListEnd;
}
std::string ItemPage(const std::vector<std::string>& sources) {
  std::string body = kPictureStart;
  for (const auto& s : sources) body += "<img src=\"" + s + "\">";
  return body + kPictureEnd;
}

const std::string kListPage2 = kListPath + "2.html";
constexpr int kManyItemPages = 20;  // linked by list page 4

std::string ManyItemPage(int k) { return "/i/m" + std::to_string(k) + ".html"; }

void BuildCraftedSite(CraftedSite& site) {
  // List page 1: an item linked twice, a script link, a capitalised ".PHP"
  // (fetched), an item page that fails, an item with an empty source.
  site.Page(kListPath + "1.html", ListPage({"/i/1.html", "/i/1.html", "/plus/view.php?aid=1",
                                            "/i/2.PHP", "/i/gone.html", "/i/empty.html"}));
  site.Page("/i/1.html", ItemPage({"/p/missing.png", "/p/a.png"}));
  site.Page("/i/2.PHP", ItemPage({"/p/b.png", "/p/a.png"}));
  site.Missing("/i/gone.html");
  site.Page("/i/empty.html", ItemPage({"", "/p/c.png"}));
  // List page 3 fails; list page 4 links many pages.
  site.Page(kListPage2, ListPage({"/i/3.html"}));
  site.Page("/i/3.html", ItemPage({"/p/c.png", "/p/d.png"}));
  site.Missing(kListPath + "3.html");
  std::vector<std::string> many;
  for (int k = 0; k < kManyItemPages; ++k) {
    many.push_back(ManyItemPage(k));
    site.Page(many.back(), ItemPage({"/p/m" + std::to_string(k) + ".png", "/p/a.png"}));
  }
  site.Page(kListPath + "4.html", ListPage(many));
  for (int page = 5; page <= kLastListPage; ++page) {
    site.Page(kListPath + std::to_string(page) + ".html",
              ListPage({"/i/m1.html", "/i/gone.html", "/i/p" + std::to_string(page) + ".html"}));
    site.Page("/i/p" + std::to_string(page) + ".html", ItemPage({"/p/e.png"}));
  }
  site.Missing("/p/missing.png");  // box 1 stays empty after list page 1
  for (const char* p : {"/p/a.png", "/p/b.png", "/p/c.png", "/p/d.png", "/p/e.png"}) site.Photo(p);
  for (int k = 0; k < kManyItemPages; ++k) site.Photo("/p/m" + std::to_string(k) + ".png");
}

// Conducts a fetching-ahead run at the site's gate: every item page is held
// until all seven list pages have been asked for; then list page 4's item
// pages fill the window and are let go only once it is full.
class AheadConductor {
 public:
  explicit AheadConductor(CraftedSite& site) : site_(site) {
    held_ = {"/i/1.html", "/i/2.PHP", "/i/gone.html", "/i/empty.html", "/i/3.html"};
    for (int page = 5; page <= kLastListPage; ++page) {
      held_.push_back("/i/p" + std::to_string(page) + ".html");
    }
    for (int k = 0; k < kManyItemPages; ++k) held_.push_back(ManyItemPage(k));
    for (const auto& path : held_) site_.Gate().Hold(path);
    thread_ = std::thread([this] { Conduct(); });
  }
  ~AheadConductor() { Finish(); }

  struct Seen {
    // All seven asked for while every item page waited.
    bool listPagesFirst = false;
    // Requests waiting for each of list page 4's item pages once the window was full.
    std::vector<std::size_t> window;
  };
  // Once the run is over.
  const Seen& Finish() {
    if (thread_.joinable()) thread_.join();
    return seen_;
  }

 private:
  bool AllListPagesAsked() {
    for (int page = 1; page <= kLastListPage; ++page) {
      if (site_.Requests(kListPath + std::to_string(page) + ".html") == 0) return false;
    }
    return true;
  }
  void Conduct() {
    demo::RequestGate& gate = site_.Gate();
    if (gate.WaitUntilWaiting("/i/1.html")) {
      const auto end = std::chrono::steady_clock::now() + 60s;
      while (!AllListPagesAsked() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(2ms);
      }
      seen_.listPagesFirst = AllListPagesAsked() && gate.Waiting("/i/1.html") == 1;
    }
    for (const auto& path : held_) {
      if (path.rfind("/i/m", 0) != 0) gate.Open(path);
    }
    if (gate.WaitUntilWaitingInAll(kMaxFetchesInFlight)) {
      for (int k = 0; k < kManyItemPages; ++k) {
        seen_.window.push_back(gate.Waiting(ManyItemPage(k)));
      }
    }
    for (const auto& path : held_) gate.Open(path);
  }

  CraftedSite& site_;
  std::vector<std::string> held_;
  Seen seen_;
  std::thread thread_;
};

// The requests for pages (not photos).
std::map<std::string, int> PageRequests(const std::map<std::string, int>& requests) {
  std::map<std::string, int> pages;
  for (const auto& [path, count] : requests) {
    if (path.rfind("/p/", 0) != 0) pages[path] = count;
  }
  return pages;
}

TEST(FetchingAhead, GivesTheIndexStatusTextsAndRequestsOfTheOneAfterAnotherRun) {
  CraftedSite site;
  BuildCraftedSite(site);

  const RunResult one = RunWithWindow(1);
  const auto oneRequests = site.AllRequests();
  EXPECT_EQ(site.MostPagesInFlight(), 1);  // the reference really is one after another
  site.ResetCounts();
  AheadConductor conductor(site);
  const RunResult ahead = RunWithWindow(kMaxFetchesInFlight);
  const auto aheadRequests = site.AllRequests();
  // Every list page was asked for before any item page answered; while list
  // page 4's first item pages were held, the window was full (its first
  // eight item pages in flight, each once) and never went beyond it.
  const AheadConductor::Seen& seen = conductor.Finish();
  EXPECT_TRUE(seen.listPagesFirst);
  std::vector<std::size_t> fullWindow(kManyItemPages, 0);
  std::fill_n(fullWindow.begin(), kMaxFetchesInFlight, 1);
  EXPECT_EQ(seen.window, fullWindow);
  EXPECT_EQ(site.MostPagesInFlight(), kMaxFetchesInFlight);

  EXPECT_EQ(ahead.items, one.items);
  EXPECT_EQ(ahead.statusTexts, one.statusTexts);
  EXPECT_EQ(PageRequests(aheadRequests), PageRequests(oneRequests));
  EXPECT_EQ(ahead.pictures, one.pictures);
  EXPECT_EQ(ahead.progress, one.progress);

  // And both are the run the definition describes: every item page in page
  // order, repeats and the empty source kept, a progress text per source.
  std::vector<std::string> expected = {
      "/p/missing.png", "/p/a.png", "/p/missing.png", "/p/a.png", "/p/b.png",
      "/p/a.png",       "",         "/p/c.png",       "/p/c.png", "/p/d.png"};
  for (int k = 0; k < 20; ++k) {
    expected.push_back("/p/m" + std::to_string(k) + ".png");
    expected.push_back("/p/a.png");
  }
  for (int page = 5; page <= kLastListPage; ++page) {
    for (const char* s : {"/p/m1.png", "/p/a.png", "/p/e.png"}) expected.push_back(s);
  }
  EXPECT_EQ(one.items, expected);
  ASSERT_EQ(one.statusTexts.size(), expected.size() + 2);
  EXPECT_EQ(one.statusTexts.front(), texts::kStatusUpdating);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(one.statusTexts[i + 1], std::string(texts::kStatusProgressPrefix) +
                                          std::to_string(i + 1) +
                                          std::string(texts::kStatusCountSuffix));
  }
  EXPECT_EQ(one.statusTexts.back(), texts::kStatusCollected);
  // The bar: list pages done out of seven, list page 5's step refined by its
  // three item pages done (a third of a step each, counted down to a whole
  // bar step).
  std::vector<int> fifth;
  for (int value : one.progress) {
    if (value >= 400 && value <= 500 && (fifth.empty() || fifth.back() != value)) {
      fifth.push_back(value);
    }
  }
  EXPECT_EQ(fifth, (std::vector<int>{400, 433, 466, 500}));
  EXPECT_EQ(oneRequests.count("/plus/view.php"), 0u);
  // Each distinct address once per run, however often it is linked: item
  // page 1 twice on list page 1, m1 and the failing page on four list pages.
  for (const auto& [path, count] : PageRequests(aheadRequests)) EXPECT_EQ(count, 1) << path;
  EXPECT_EQ(PageRequests(oneRequests).size(), 7u + 5u + kManyItemPages + 3u);
  // Box 1's photo (item 0) always fails, so the first page is loaded again
  // after every list page; item 2 is that photo too, read once per load.
  EXPECT_EQ(oneRequests.at("/p/missing.png"), kLastListPage);
  EXPECT_GE(aheadRequests.at("/p/missing.png"), 1);
  EXPECT_LE(aheadRequests.at("/p/missing.png"), kLastListPage);
  EXPECT_TRUE(one.pictures[0].empty());
  EXPECT_FALSE(one.pictures[1].empty());
}

TEST(FetchingAhead, OverTheDemoGalleryMatchesTheOneAfterAnotherRun) {
  auto demo = demo::DemoSite::Start();
  ASSERT_NE(demo, nullptr);
  OverrideSiteBase(demo->BaseAddress());
  const RunResult one = RunWithWindow(1);
  const RunResult ahead = RunWithWindow(kMaxFetchesInFlight);
  OverrideSiteBase("");
  transfer::CloseIdleConnections();

  const std::vector<std::string> collected = demo->gallery().CollectedSources();
  EXPECT_EQ(one.items, collected);
  EXPECT_EQ(ahead.items, collected);
  EXPECT_EQ(ahead.statusTexts, one.statusTexts);
  EXPECT_EQ(one.statusTexts.size(), collected.size() + 2);
  EXPECT_EQ(ahead.pictures, one.pictures);
  for (const auto& picture : ahead.pictures) EXPECT_FALSE(picture.empty());
}

}  // namespace
}  // namespace pixaroo
