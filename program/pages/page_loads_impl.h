// One page load and the pieces the page loads' two files share
// (program/pages/page_loads.cpp, page_reads_ahead.cpp). Not for other users:
// program/pages/page_loads.h is the interface.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "program/pages/page_loads.h"
#include "runtime/services/services.h"

namespace pixaroo {

// A read some box of a load has begun; other boxes of that load with the
// same address wait for its file instead of reading it again.
struct PageLoads::PendingRead {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  PhotoCache::File file;

  void Finish(PhotoCache::File read) {
    std::lock_guard lock(mutex);
    file = std::move(read);
    finished = true;
    done.notify_all();
  }
  PhotoCache::File Wait() {
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return finished; });
    return file;
  }
};

// Guarded by the owner's mutex, except `places`, `move` and `serial`, which
// never change once the load is begun.
struct PageLoads::Load {
  std::uint64_t serial = 0;
  PagePlaces places{};
  PageMove move = PageMove::Stay;
  bool taken = false;     // a thread runs it (or ran it)
  bool finished = false;  // every box written or skipped
  BoxStates states{};
  // The item each box took from the index, once taken.
  std::array<std::optional<std::string>, kPageBoxes> items;
  // The reads begun by its boxes, by address.
  std::map<std::string, std::shared_ptr<PendingRead>> reads;
  // The scope of its reads, only while it runs, so that no scope outlives
  // the runtime's services in a load left waiting when the program ends.
  rt::TransferScope scope;
};

// The file `body` as the store keeps it: exactly its bytes (a read's buffer
// grows in steps and may be up to twice its size).
inline PhotoCache::File StoredFile(base::Bytes&& body) {
  body.shrink_to_fit();
  return std::make_shared<const base::Bytes>(std::move(body));
}

// True when a read that failed so would fail the same way again within the
// run, so its address is remembered as giving no photo: an address that
// cannot be requested, or an answer refused for what it is (over a cap, a
// redirect off the site). A read stopped because its scope was cancelled
// says nothing of the photo; one the site did not answer in time, or broke
// off, may well succeed later: those are read again when next wanted.
inline bool FailsAgain(const korvex::ReadError& error) {
  using enum korvex::ReadFailure;
  switch (error.failure) {
    case kBadAddress:
    case kBodyOverCap:
    case kHeadersOverCap:
    case kRedirectOffSite:
      return true;
    default:
      return false;
  }
}

// Runs work(0) .. work(count - 1) together: work(1) on are handed to worker
// tasks (run here when none can start), work(0) runs on this thread;
// returns once all are done.
void RunTogether(int count, const std::function<void(int)>& work);

}  // namespace pixaroo
