// Fetching ahead against fetching one page after another: the same index,
// the same status texts in the same order, the same requests, over crafted
// sites (repeats, script links, failures, a list page that stalls, item
// pages that answer out of order) and over the demo gallery.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/program_texts.h"
#include "demo/demo_site.h"
#include "demo/gallery.h"
#include "tests/update/crafted_site.h"
#include "update/update.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;

struct RunResult {
  std::vector<std::string> items;
  std::vector<std::string> statusTexts;
  std::vector<base::Bytes> pictures;
};

RunResult RunWithWindow(int window) {
  Program program;
  EXPECT_EQ(program.Run([window] { RunUpdate(window); }), 0);
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

// Answers after a pause that differs from page to page, so that pages
// fetched together finish out of their order.
std::function<void()> Pause(int ms) {
  return [ms] { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

void BuildCraftedSite(CraftedSite& site) {
  // List page 1: an item linked twice, a script link, a capitalised ".PHP"
  // (fetched), an item page that fails, an item with an empty source.
  site.Page(kListPath + "1.html", ListPage({"/i/1.html", "/i/1.html", "/plus/view.php?aid=1",
                                            "/i/2.PHP", "/i/gone.html", "/i/empty.html"}));
  site.Page("/i/1.html", ItemPage({"/p/missing.png", "/p/a.png"}), "text/html", Pause(40));
  site.Page("/i/2.PHP", ItemPage({"/p/b.png", "/p/a.png"}), "text/html", Pause(5));
  site.Missing("/i/gone.html");
  site.Page("/i/empty.html", ItemPage({"", "/p/c.png"}), "text/html", Pause(20));
  // List page 2 stalls; list page 3 fails; list page 4 links many pages.
  site.Page(kListPath + "2.html", ListPage({"/i/3.html"}), "text/html", Pause(300));
  site.Page("/i/3.html", ItemPage({"/p/c.png", "/p/d.png"}));
  site.Missing(kListPath + "3.html");
  std::vector<std::string> many;
  for (int k = 0; k < 20; ++k) {
    const std::string path = "/i/m" + std::to_string(k) + ".html";
    many.push_back(path);
    site.Page(path, ItemPage({"/p/m" + std::to_string(k) + ".png", "/p/a.png"}), "text/html",
              Pause((k * 37) % 60));
  }
  site.Page(kListPath + "4.html", ListPage(many));
  for (int page = 5; page <= kLastListPage; ++page) {
    site.Page(kListPath + std::to_string(page) + ".html",
              ListPage({"/i/m1.html", "/i/gone.html", "/i/p" + std::to_string(page) + ".html"}));
    site.Page("/i/p" + std::to_string(page) + ".html", ItemPage({"/p/e.png"}), "text/html",
              Pause(page * 10));
  }
  site.Missing("/p/missing.png");  // box 1 stays empty after list page 1
  for (const char* p : {"/p/a.png", "/p/b.png", "/p/c.png", "/p/d.png", "/p/e.png"}) site.Photo(p);
  for (int k = 0; k < 20; ++k) site.Photo("/p/m" + std::to_string(k) + ".png");
}

TEST(FetchingAhead, GivesTheIndexStatusTextsAndRequestsOfTheOneAfterAnotherRun) {
  CraftedSite site;
  BuildCraftedSite(site);

  const RunResult one = RunWithWindow(1);
  const auto oneRequests = site.AllRequests();
  EXPECT_EQ(site.MostInFlight(), 1);  // the reference really is one after another
  site.ResetCounts();
  const RunResult ahead = RunWithWindow(kMaxFetchesInFlight);
  const auto aheadRequests = site.AllRequests();
  // Several pages were in flight together (the run did fetch ahead), never
  // more than the window plus the first page's six photos.
  EXPECT_GT(site.MostInFlight(), 1);
  EXPECT_LE(site.MostInFlight(), kMaxFetchesInFlight + 6);

  EXPECT_EQ(ahead.items, one.items);
  EXPECT_EQ(ahead.statusTexts, one.statusTexts);
  EXPECT_EQ(aheadRequests, oneRequests);
  EXPECT_EQ(ahead.pictures, one.pictures);

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
  EXPECT_EQ(oneRequests.count("/plus/view.php"), 0u);
  EXPECT_EQ(oneRequests.at("/i/1.html"), 2);
  EXPECT_EQ(oneRequests.at("/i/m1.html"), 4);
  EXPECT_EQ(oneRequests.at("/i/gone.html"), 4);
  // Box 1's photo (item 0) always fails, so the first page is loaded again
  // after every list page; item 2 is that photo too.
  EXPECT_EQ(oneRequests.at("/p/missing.png"), 2 * kLastListPage);
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
