// The demo gallery as the program sees it: list pages and item pages carry
// the program's own markers, walking them yields the gallery's photo list,
// photos decode, and the executable stops on its signals.
#include "demo/demo_site.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "program/routines/program_texts.h"
#include "demo/gallery.h"

namespace pixaroo::demo {
namespace {

namespace t = pixaroo::texts;

std::string Between(const std::string& text, std::string_view start, std::string_view end,
                    bool keepStart) {
  const auto from = text.find(start);
  if (from == std::string::npos) return {};
  const auto to = text.find(end, from + start.size());
  if (to == std::string::npos) return {};
  const auto begin = keepStart ? from : from + start.size();
  return text.substr(begin, to - begin);
}

std::vector<std::string> AllBetween(const std::string& text, std::string_view left) {
  std::vector<std::string> out;
  for (auto at = text.find(left); at != std::string::npos; at = text.find(left, at)) {
    at += left.size();
    const auto quote = text.find('"', at);
    if (quote == std::string::npos) break;
    out.push_back(text.substr(at, quote - at));
    at = quote + 1;
  }
  return out;
}

class DemoSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site_ = DemoSite::Start();
    ASSERT_NE(site_, nullptr);
    client_ = std::make_unique<httplib::Client>(site_->BaseAddress());
  }

  // Body of a 200 answer; fails the test otherwise.
  std::string Get(const std::string& path, const char* type = nullptr) {
    auto res = client_->Get(path.c_str());
    if (!res) {
      ADD_FAILURE() << path << ": no answer";
      return {};
    }
    EXPECT_EQ(res->status, 200) << path;
    if (type != nullptr) {
      EXPECT_EQ(res->get_header_value("Content-Type"), type) << path;
    }
    return res->body;
  }

  int Status(const std::string& path) {
    auto res = client_->Get(path.c_str());
    return res ? res->status : -1;
  }

  std::unique_ptr<DemoSite> site_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(DemoSiteTest, AddressesAndConstantsAgree) {
  EXPECT_TRUE(std::regex_match(site_->BaseAddress(), std::regex(R"(http://127\.0\.0\.1:\d+)")));
  EXPECT_EQ(site_->BaseAddress(), "http://127.0.0.1:" + std::to_string(site_->port()));
  EXPECT_EQ(kDemoSiteBase, "http://127.0.0.1:" + std::to_string(kDemoSitePort));
  EXPECT_EQ(kStatusImagePath, "/pa?p=2:" + std::string(kSupportAccount) + ":41");
  EXPECT_EQ(kStatusImageAddress, std::string(kDemoSiteBase) + std::string(kStatusImagePath));
}

TEST_F(DemoSiteTest, ListPagesHoldTheListAreaWithEachItemLinkedTwice) {
  ASSERT_EQ(t::kListAreaStart.size(), 21u);
  ASSERT_EQ(t::kListAreaEnd.size(), 35u);
  for (int page = 1; page <= kListPageCount; ++page) {
    SCOPED_TRACE(page);
    const std::string body = Get(Gallery::ListPagePath(page), "text/html; charset=gbk");
    const std::string area = Between(body, t::kListAreaStart, t::kListAreaEnd, true);
    ASSERT_FALSE(area.empty());
    const std::vector<std::string> links = AllBetween(area, t::kItemLinkLeft);
    const auto scripts = std::count_if(links.begin(), links.end(), [](const std::string& l) {
      return l.find(t::kExcludedLink) != std::string::npos;
    });
    EXPECT_EQ(scripts, 1);
    EXPECT_EQ(links.size(), 2u * kItemsPerPage + 1);
    for (const std::string& link : links) {
      if (link.find(t::kExcludedLink) != std::string::npos) continue;
      EXPECT_EQ(std::count(links.begin(), links.end(), link), 2) << link;
    }
  }
  EXPECT_EQ(Status(Gallery::ListPagePath(0)), 404);
  EXPECT_EQ(Status(Gallery::ListPagePath(kListPageCount + 1)), 404);
  EXPECT_EQ(Status("/nvshengzhenrenxiu/list_60_99999999999999999999.html"), 404);
}

TEST_F(DemoSiteTest, WalkingTheSiteYieldsTheGallerysPhotosWithDuplicates) {
  ASSERT_EQ(t::kPictureAreaStart.size(), 32u);
  ASSERT_EQ(t::kPictureAreaEnd.size(), 12u);
  std::vector<std::string> sources;
  for (int page = 1; page <= kListPageCount; ++page) {
    const std::string list = Get(Gallery::ListPagePath(page));
    for (const std::string& link :
         AllBetween(Between(list, t::kListAreaStart, t::kListAreaEnd, true), t::kItemLinkLeft)) {
      if (link.find(t::kExcludedLink) != std::string::npos) continue;
      const std::string area = Between(Get(link), t::kPictureAreaStart, t::kPictureAreaEnd, false);
      ASSERT_FALSE(area.empty()) << link;
      for (std::string& src : AllBetween(area, t::kPictureSourceLeft)) sources.push_back(src);
    }
  }
  EXPECT_EQ(sources, site_->gallery().CollectedSources());
  const auto distinct = site_->gallery().DistinctSources();
  EXPECT_EQ(distinct.size(), site_->gallery().photos().size());
  EXPECT_LT(distinct.size() * 2, sources.size());  // shared photos as well as double links
  EXPECT_EQ(site_->RequestCount(site_->gallery().ItemPath(kFirstItemId)), 2u);
  EXPECT_EQ(site_->RequestCount("/plus/view.php"), 0u);
}

TEST_F(DemoSiteTest, PhotosAndTheStatusBadgeDecodeAtTheirSizes) {
  const Photo& first = site_->gallery().photos().front();
  const std::string jpeg = Get(first.path, "image/jpeg");
  auto tj = std::unique_ptr<void, int (*)(tjhandle)>(tjInitDecompress(), tjDestroy);
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  ASSERT_EQ(tjDecompressHeader3(tj.get(), reinterpret_cast<const unsigned char*>(jpeg.data()),
                                jpeg.size(), &width, &height, &subsampling, &colorspace),
            0);
  EXPECT_EQ(width, first.width);
  EXPECT_EQ(height, first.height);
  EXPECT_GT(height, width);
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
  EXPECT_EQ(tjDecompress2(tj.get(), reinterpret_cast<const unsigned char*>(jpeg.data()),
                          jpeg.size(), rgb.data(), width, 0, height, TJPF_RGB, 0),
            0);
  EXPECT_EQ(Get(first.path), jpeg);  // served again from the cache, unchanged

  auto be32 = [](const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return static_cast<int>(v);
  };
  auto le16 = [](const std::string& s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
  };
  std::set<PhotoFormat> formats;
  int large = 0;
  for (const Photo& photo : site_->gallery().photos()) {
    if (photo.format == PhotoFormat::kPng) {
      const std::string png = Get(photo.path, "image/png");
      ASSERT_GT(png.size(), 24u);
      EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
      EXPECT_EQ(be32(png, 16), photo.width);
      EXPECT_EQ(be32(png, 20), photo.height);
    } else if (photo.format == PhotoFormat::kGif) {
      const std::string gif = Get(photo.path, "image/gif");
      ASSERT_GT(gif.size(), 10u);
      EXPECT_EQ(gif.substr(0, 6), "GIF89a");
      EXPECT_EQ(le16(gif, 6), photo.width);
      EXPECT_EQ(le16(gif, 8), photo.height);
      EXPECT_EQ(static_cast<unsigned char>(gif.back()), 0x3B);  // trailer
    } else if (photo.format == PhotoFormat::kBmp) {
      const std::string bmp = Get(photo.path, "image/bmp");
      const std::size_t stride = (static_cast<std::size_t>(photo.width) * 3 + 3) / 4 * 4;
      ASSERT_EQ(bmp.size(), 54 + stride * static_cast<std::size_t>(photo.height));
      EXPECT_EQ(bmp.substr(0, 2), "BM");
      EXPECT_EQ(le16(bmp, 18) | le16(bmp, 20) << 16, photo.width);
      EXPECT_EQ(le16(bmp, 22) | le16(bmp, 24) << 16, photo.height);
      EXPECT_EQ(le16(bmp, 28), 24);
    } else if (photo.format == PhotoFormat::kTiff) {
      const std::string tiff = Get(photo.path, "image/tiff");
      ASSERT_GT(tiff.size(), static_cast<std::size_t>(photo.width) * photo.height * 3);
      EXPECT_EQ(tiff.substr(0, 4), std::string("II*\0", 4));
    }
    formats.insert(photo.format);
    // The sizes photo sites serve: up to 1200 x 1800, now and then 2000 x 3000.
    const int longSide = std::max(photo.width, photo.height);
    EXPECT_TRUE((longSide >= 1200 && longSide <= 1800) || longSide == 3000) << photo.path;
    large += longSide == 3000 ? 1 : 0;
  }
  EXPECT_EQ(formats.size(), 5u);
  EXPECT_GT(large, 0);
  EXPECT_LT(large, static_cast<int>(site_->gallery().photos().size()) / 10);

  const std::string badge = Get(std::string(kStatusImagePath), "image/png");
  ASSERT_GT(badge.size(), 24u);
  EXPECT_EQ(be32(badge, 16), 74);
  EXPECT_EQ(be32(badge, 20), 22);
  EXPECT_EQ(Status("/pa?p=2:1:41"), 404);
  EXPECT_EQ(Status("/uploads/allimg/190328/9999-1.jpg"), 404);
}

TEST(DemoSiteStart, RefusesATakenPortAndNonPorts) {
  auto site = DemoSite::Start();
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(DemoSite::Start(site->port()), nullptr);
  EXPECT_EQ(DemoSite::Start(-1), nullptr);
  EXPECT_EQ(DemoSite::Start(65536), nullptr);
  site->Stop();
  site->Stop();  // idempotent
}

}  // namespace
}  // namespace pixaroo::demo
