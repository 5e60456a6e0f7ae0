// FetchPool: the update run's page fetches, started ahead of use, at most
// `window` of them in flight at once, each distinct one run once.
//
// The run adds a fetch for each page it will read under a key naming what
// it reads (the kind of page and its address) and takes the results back in
// the order it reads them, which need not be the order it added them. A
// fetch added again under a key already added is not run again: its taker
// gets the first one's result (waiting for it when it is still running).
// Fetches start in the order they were added, on worker tasks of the
// runtime, so several requests to the one host are in flight together. A
// window of 1 starts nothing ahead: each fetch runs on the taking thread
// when taken, which is the one-after-another run.
//
// Only fetches that were added run, each at most once per key, so fetching
// ahead asks for no page the one-after-another run would not ask for. A
// fetch that no worker has started when it is taken, while no worker runs,
// runs on the taking thread (so the run goes on, one request at a time,
// when the program is ending and no task can start).
//
// Results are kept for later repeats up to kKeptResultBytes of text in all;
// past that, a result is let go once taken as often as it was added, and a
// later repeat of its key is fetched again.
//
// Threads: Add and Take belong to one thread, the owner; fetches run on
// worker tasks or on the owner. The destructor waits for the workers, which
// have nothing left to run once every added fetch was taken. A fetch is
// bounded by the network's own time-outs; it must not throw.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "base/text_ops.h"

namespace pixaroo {

// The most text the results kept for repeats may hold together.
inline constexpr std::size_t kKeptResultBytes = 16u << 20;

class FetchPool {
 public:
  // A fetch gives the texts it extracted from what it read.
  using Fetch = std::function<base::TextArray()>;
  using Handle = std::size_t;

  explicit FetchPool(int window, std::size_t keptBytes = kKeptResultBytes);
  ~FetchPool();
  FetchPool(const FetchPool&) = delete;
  FetchPool& operator=(const FetchPool&) = delete;

  // The fetch for `key`: the one added under it before, while its result is
  // still kept or not yet taken, else `fetch`, appended; it may start at once.
  Handle Add(const std::string& key, Fetch fetch);
  // Whether the result of `handle` is there (Take would not wait).
  bool Ready(Handle handle) const;
  // The result of `handle`; waits until it is done. Precondition: taken at
  // most as often as Add gave it.
  base::TextArray Take(Handle handle);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  int window_;
  int workers_ = 0;  // worker tasks started so far (owner only)
};

}  // namespace pixaroo
