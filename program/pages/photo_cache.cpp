#include "program/pages/photo_cache.h"

#include <algorithm>
#include <utility>

namespace pixaroo {

PhotoCache::PhotoCache(std::size_t maxPhotos, std::size_t maxBytes)
    : maxPhotos_(maxPhotos), maxBytes_(maxBytes) {}

PhotoCache::File PhotoCache::Find(const std::string& address) const {
  const auto it = files_.find(address);
  return it != files_.end() ? it->second : nullptr;
}

void PhotoCache::Put(const std::string& address, File file) {
  if (!file || file->empty() || file->size() > maxBytes_ || maxPhotos_ == 0) return;
  if (files_.count(address) != 0) return;
  while (!order_.empty() &&
         (files_.size() >= maxPhotos_ || bytes_ + file->size() > maxBytes_)) {
    DropOldest();
  }
  bytes_ += file->size();
  files_.emplace(address, std::move(file));
  order_.push_back(address);
}

void PhotoCache::Touch(const std::string& address) {
  if (files_.count(address) == 0) return;
  order_.erase(std::find(order_.begin(), order_.end(), address));
  order_.push_back(address);
}

void PhotoCache::PutUnavailable(const std::string& address) {
  if (maxPhotos_ == 0 || Unavailable(address)) return;
  if (unavailable_.size() >= maxPhotos_) unavailable_.pop_front();
  unavailable_.push_back(address);
}

bool PhotoCache::Unavailable(const std::string& address) const {
  return std::find(unavailable_.begin(), unavailable_.end(), address) != unavailable_.end();
}

void PhotoCache::Clear() {
  files_.clear();
  order_.clear();
  unavailable_.clear();
  bytes_ = 0;
}

void PhotoCache::DropOldest() {
  const auto it = files_.find(order_.front());
  bytes_ -= it->second->size();
  files_.erase(it);
  order_.pop_front();
}

}  // namespace pixaroo
