#include "demo/gallery.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "demo/gallery_texts.h"

namespace pixaroo::demo {

namespace {

// Item (0-based over the whole site) whose second photo is a PNG file, and
// the one whose second photo is a GIF file.
constexpr std::size_t kPngItem = 1;
constexpr std::size_t kGifItem = 3;
constexpr std::size_t kBmpItem = 4;
constexpr std::size_t kTiffItem = 5;
// Every kSharingPeriod-th item, from kSharingPhase on, shows the first photo
// of the item before it as its last photo.
constexpr std::size_t kSharingPeriod = 4;
constexpr std::size_t kSharingPhase = 2;
// Every kLandscapeEvery-th photo is wider than high.
constexpr int kLandscapeEvery = 9;
// Portrait sizes: kBaseWidth + 0..4 steps, kBaseHeight + 0..3 steps
// (800 x 1200 to 1200 x 1800); every kLargeEvery-th photo is kLargeWidth x
// kLargeHeight (JPEG files only, as sites serve their largest).
constexpr int kBaseWidth = 800;
constexpr int kWidthStep = 100;
constexpr int kBaseHeight = 1200;
constexpr int kHeightStep = 200;
constexpr int kLargeEvery = 16;
constexpr int kLargeWidth = 2000;
constexpr int kLargeHeight = 3000;
// List page 1 holds the newest items, dated kNewestDay of March 2019.
constexpr int kNewestDay = 28;
constexpr int kDaysPerPage = 3;

std::string ItemDate(int listPage) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "2019-03-%02d", kNewestDay - (listPage - 1) * kDaysPerPage);
  return buf;
}

// "2019-03-12" -> "190312".
std::string DateFolder(const std::string& date) {
  return date.substr(2, 2) + date.substr(5, 2) + date.substr(8, 2);
}

const char* Extension(PhotoFormat format) {
  switch (format) {
    case PhotoFormat::kPng:
      return "png";
    case PhotoFormat::kGif:
      return "gif";
    case PhotoFormat::kBmp:
      return "bmp";
    case PhotoFormat::kTiff:
      return "tif";
    case PhotoFormat::kJpeg:
      break;
  }
  return "jpg";
}

PhotoFormat FormatFor(std::size_t itemPos, int n) {
  if (n == 2 && itemPos == kPngItem) return PhotoFormat::kPng;
  if (n == 2 && itemPos == kGifItem) return PhotoFormat::kGif;
  if (n == 2 && itemPos == kBmpItem) return PhotoFormat::kBmp;
  if (n == 2 && itemPos == kTiffItem) return PhotoFormat::kTiff;
  return PhotoFormat::kJpeg;
}

Photo MakePhoto(const Item& item, std::size_t itemPos, int n, int number) {
  Photo photo;
  photo.format = FormatFor(itemPos, n);
  photo.number = number;
  photo.listPage = item.listPage;
  photo.width = kBaseWidth + (number * 37 % 5) * kWidthStep;
  photo.height = kBaseHeight + (number * 53 % 4) * kHeightStep;
  if (number % kLargeEvery == 0 && photo.format == PhotoFormat::kJpeg) {
    photo.width = kLargeWidth;
    photo.height = kLargeHeight;
  }
  if (number % kLandscapeEvery == 0) std::swap(photo.width, photo.height);
  photo.path = "/uploads/allimg/" + DateFolder(item.date) + "/" + std::to_string(item.id) + "-" +
               std::to_string(n) + "." + Extension(photo.format);
  return photo;
}

}  // namespace

Gallery::Gallery(int itemsPerPage) {
  for (int page = 1; page <= kListPageCount; ++page) {
    for (int k = 0; k < itemsPerPage; ++k) {
      const std::size_t pos = items_.size();
      Item item;
      item.id = kFirstItemId + static_cast<int>(pos);
      item.listPage = page;
      item.title = std::string(texts::kTitleAdjectives[pos % texts::kTitleAdjectives.size()]) +
                   std::string(texts::kGirl) +
                   std::string(texts::kTitleScenes[pos % texts::kTitleScenes.size()]);
      item.date = ItemDate(page);
      for (int n = 1; n <= kPhotosPerItem; ++n) {
        if (n == kPhotosPerItem && pos % kSharingPeriod == kSharingPhase) {
          item.photos.push_back(items_[pos - 1].photos.front());
          continue;
        }
        photos_.push_back(MakePhoto(item, pos, n, static_cast<int>(photos_.size()) + 1));
        item.photos.push_back(photos_.size() - 1);
      }
      items_.push_back(std::move(item));
    }
  }
}

std::string Gallery::ListPagePath(int page) {
  return "/nvshengzhenrenxiu/list_60_" + std::to_string(page) + ".html";
}

std::string Gallery::ItemPath(int id) {
  return "/nvshengzhenrenxiu/" + std::to_string(id) + ".html";
}

const Item* Gallery::FindItem(int id) const {
  const long pos = static_cast<long>(id) - kFirstItemId;
  if (pos < 0 || pos >= static_cast<long>(items_.size())) return nullptr;
  return &items_[static_cast<std::size_t>(pos)];
}

long Gallery::FindPhoto(std::string_view path) const {
  for (std::size_t i = 0; i < photos_.size(); ++i) {
    if (photos_[i].path == path) return static_cast<long>(i);
  }
  return -1;
}

std::vector<std::string> Gallery::CollectedSources() const {
  std::vector<std::string> sources;
  for (const Item& item : items_) {
    // The picture anchor and the title anchor both link the item.
    for (int link = 0; link < 2; ++link) {
      for (std::size_t photo : item.photos) sources.push_back(photos_[photo].path);
    }
  }
  return sources;
}

std::vector<std::string> Gallery::DistinctSources() const {
  std::vector<std::string> distinct;
  std::set<std::string> seen;
  for (std::string& source : CollectedSources()) {
    if (seen.insert(source).second) distinct.push_back(std::move(source));
  }
  return distinct;
}

}  // namespace pixaroo::demo
