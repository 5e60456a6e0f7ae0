// OrderedFetches: work that waits on the network, started ahead of use and
// handed back strictly in the order it was added.
//
// The update run adds a fetch for each page it will read (a list page, then
// the item pages it links), in the order the run reads them, and takes the
// results back in that same order. Up to `window` fetches are started and
// not yet taken at any moment; they run on worker tasks of the runtime, so
// several requests to the one host are in flight together. A window of 1
// starts nothing ahead: each fetch runs on the taking thread when taken,
// which is the one-after-another run.
//
// Only fetches that were added run, each exactly once, so ahead-fetching
// asks for no page the one-after-another run would not ask for. A fetch that
// no worker has started when it is taken runs on the taking thread (so the
// run goes on, one request at a time, when the program is ending and no task
// can start).
//
// Threads: Add and Take belong to one thread, the owner; fetches run on
// worker tasks or on the owner. The destructor waits for the workers, which
// have nothing left to run once every added fetch was taken. A fetch is
// bounded by the network's own time-outs; it must not throw.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "base/text_ops.h"

namespace pixaroo {

class OrderedFetches {
 public:
  // A fetch gives the texts it extracted from what it read.
  using Fetch = std::function<base::TextArray()>;

  explicit OrderedFetches(int window);
  ~OrderedFetches();
  OrderedFetches(const OrderedFetches&) = delete;
  OrderedFetches& operator=(const OrderedFetches&) = delete;

  // Appends a fetch; it may start at once.
  void Add(Fetch fetch);
  // The result of the oldest fetch not yet taken; waits until it is done.
  // Precondition: one was added and not yet taken.
  base::TextArray Take();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  int window_;
  int workers_ = 0;  // worker tasks started so far (owner only)
};

}  // namespace pixaroo
