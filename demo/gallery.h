// The demo gallery's catalogue and the pages built from it.
//
// A fixed catalogue: kListPageCount list pages of kItemsPerPage items; each
// item page shows kPhotosPerItem photos, and now and then one of them is the
// first photo of the item before it, as happens on real galleries. Photos
// have the sizes photo sites serve (most 800 x 1200 to 1200 x 1800, now and
// then 2000 x 3000, every ninth one landscape). One photo each is a PNG, a
// GIF, a BMP and a TIFF file; the rest are JPEG files.
//
// A Gallery is built once and never changes afterwards, so any thread may
// read it. Page bodies are GBK HTML, built on each call; they hold the list
// area and picture area exactly where a reader of the site looks for them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pixaroo::demo {

inline constexpr int kListPageCount = 7;
inline constexpr int kItemsPerPage = 6;
inline constexpr int kPhotosPerItem = 3;
inline constexpr int kFirstItemId = 3101;
// Largest item id or page number a request path may name (digits, at most).
inline constexpr std::size_t kMaxNumberDigits = 6;

enum class PhotoFormat { kJpeg, kPng, kGif, kBmp, kTiff };

struct Photo {
  std::string path;  // site-relative: "/uploads/allimg/<yymmdd>/<item>-<n>.<ext>"
  PhotoFormat format = PhotoFormat::kJpeg;
  int width = 0;
  int height = 0;
  int number = 0;    // 1-based, drawn large on the picture
  int listPage = 0;  // list page of the item that shows it first
};

struct Item {
  int id = 0;                       // page "/nvshengzhenrenxiu/<id>.html"
  int listPage = 0;                 // 1 .. kListPageCount
  std::string title;                // GBK
  std::string date;                 // "2019-03-12"
  std::vector<std::size_t> photos;  // positions in Gallery::photos()
};

class Gallery {
 public:
  // kListPageCount list pages of `itemsPerPage` items each.
  explicit Gallery(int itemsPerPage = kItemsPerPage);

  const std::vector<Item>& items() const { return items_; }
  const std::vector<Photo>& photos() const { return photos_; }

  // "/nvshengzhenrenxiu/list_60_<page>.html".
  static std::string ListPagePath(int page);
  // "/nvshengzhenrenxiu/<id>.html".
  static std::string ItemPath(int id);

  // Body of list page `page`; empty when there is no such page.
  std::string ListPage(int page) const;
  // Body of the item page `id`; empty when there is no such item.
  std::string ItemPage(int id) const;
  // Body of the script page that every list page links once.
  std::string ScriptPage() const;
  // Body of the answer for an address the site does not have.
  std::string NotFoundPage() const;

  const Item* FindItem(int id) const;
  // Position in photos() of the photo at `path`, or -1.
  long FindPhoto(std::string_view path) const;

  // The picture sources that walking list pages 1 .. kListPageCount in
  // order yields: every item link of the list area in page order (each item
  // is linked twice), script links skipped, each item page's sources in
  // order. Duplicates kept.
  std::vector<std::string> CollectedSources() const;
  // CollectedSources() with later repeats removed, first occurrences in order.
  std::vector<std::string> DistinctSources() const;

 private:
  std::vector<Item> items_;
  std::vector<Photo> photos_;
};

}  // namespace pixaroo::demo
