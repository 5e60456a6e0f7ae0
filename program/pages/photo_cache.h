// A small bounded store of photo files as the site sent them, keyed by the
// address they were read from, and of the addresses known to give none.
//
// It holds at most `maxPhotos` files and `maxBytes` bytes; storing past
// either bound drops the oldest stored file first, and a file larger than
// `maxBytes` is not stored at all. Stored bytes are shared, never copied,
// and never change: a reader keeps its file alive after the store drops it.
// Apart from the files it remembers at most `maxPhotos` addresses whose
// read failed in a way a later read would repeat, forgetting the oldest
// first.
//
// Not thread-safe: its owner (program/pages/page_loads.cpp) guards it.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "base/bytes.h"

namespace pixaroo {

class PhotoCache {
 public:
  using File = std::shared_ptr<const base::Bytes>;

  PhotoCache(std::size_t maxPhotos, std::size_t maxBytes);

  // The file read from `address`, or null.
  File Find(const std::string& address) const;
  // Stores `file` (not empty) for `address`; an address already held keeps
  // the file it has.
  void Put(const std::string& address, File file);
  // Makes the file of `address`, if held, the last one to be dropped.
  void Touch(const std::string& address);
  // Remembers that reading `address` fails, and would fail again the same
  // way, so that it is not read again while remembered.
  void PutUnavailable(const std::string& address);
  bool Unavailable(const std::string& address) const;
  void Clear();

  std::size_t Photos() const { return files_.size(); }
  std::size_t Bytes() const { return bytes_; }

 private:
  void DropOldest();

  std::size_t maxPhotos_;
  std::size_t maxBytes_;
  std::size_t bytes_ = 0;
  std::map<std::string, File> files_;
  std::deque<std::string> order_;        // stored addresses, oldest first
  std::deque<std::string> unavailable_;  // oldest first
};

}  // namespace pixaroo
