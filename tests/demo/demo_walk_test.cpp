// The program's own request and extraction routines against the demo
// gallery: a list page fetched the way the update run fetches it yields the
// item links, and an item page yields the item's photos.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program/routines/program_texts.h"
#include "demo/demo_site.h"
#include "demo/gallery.h"
#include "program/net/web_request.h"
#include "program/text/extract_all_between.h"
#include "program/text/extract_between.h"

namespace pixaroo::demo {
namespace {

namespace t = pixaroo::texts;

Text Fetch(const std::string& url) {
  WebRequestParams params;
  params.url = url;
  const Bytes body = WebRequest(params);
  return Text(body.begin(), body.end());
}

TEST(DemoSiteWalk, ProgramRoutinesFindTheLinksAndPhotos) {
  auto site = DemoSite::Start();
  ASSERT_NE(site, nullptr);
  const Gallery& gallery = site->gallery();
  const Item& first = gallery.items().front();

  int position = 0;
  const Text area = ExtractBetween(Fetch(site->BaseAddress() + Gallery::ListPagePath(1)), position,
                                   t::kListAreaStart, std::nullopt, t::kListAreaEnd);
  TextArray links;
  ExtractAllBetween(area, t::kItemLinkLeft, t::kQuote, links);
  ASSERT_EQ(links.size(), 2u * kItemsPerPage + 1);
  EXPECT_EQ(links[0], Gallery::ItemPath(first.id));
  EXPECT_EQ(links[1], links[0]);
  EXPECT_EQ(std::count_if(links.begin(), links.end(),
                          [](const Text& l) { return l.find(t::kExcludedLink) != Text::npos; }),
            1);

  position = 0;
  const Text pictures =
      ExtractBetween(Fetch(site->BaseAddress() + links[0]), position, t::kPictureAreaStart,
                     std::nullopt, t::kPictureAreaEnd, true, false);
  TextArray sources;
  ExtractAllBetween(pictures, t::kPictureSourceLeft, t::kQuote, sources);
  std::vector<std::string> expected;
  for (std::size_t photo : first.photos) expected.push_back(gallery.photos()[photo].path);
  EXPECT_EQ(sources, expected);
  EXPECT_EQ(site->RequestCount(Gallery::ListPagePath(1)), 1u);
}

}  // namespace
}  // namespace pixaroo::demo
