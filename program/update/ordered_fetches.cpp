#include "program/update/ordered_fetches.h"

#include <utility>

#include "program/routines/runtime_link.h"

namespace pixaroo {

struct OrderedFetches::Shared {
  struct Slot {
    Fetch fetch;
    bool done = false;
    base::TextArray result;
  };

  explicit Shared(std::size_t window) : window(window) {}

  // Invariants: every fetch before `nextToStart` has started; `slots` holds
  // the fetches from `firstUntaken` on; started and untaken ones number
  // nextToStart - firstUntaken <= window.
  const std::size_t window;
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Slot> slots;
  std::size_t firstUntaken = 0;
  std::size_t nextToStart = 0;
  bool stopping = false;
  int liveWorkers = 0;

  bool CanStartLocked() const {
    return nextToStart < firstUntaken + slots.size() && nextToStart - firstUntaken < window;
  }

  Slot& At(std::size_t index) { return slots[index - firstUntaken]; }

  // Marks the next fetch started and hands it out.
  std::pair<std::size_t, Fetch> StartNextLocked() {
    const std::size_t index = nextToStart++;
    return {index, std::move(At(index).fetch)};
  }

  void FinishLocked(std::size_t index, base::TextArray result) {
    Slot& slot = At(index);
    slot.result = std::move(result);
    slot.done = true;
    changed.notify_all();
  }

  // A worker task: runs fetches in order while the window allows.
  static void Work(const std::shared_ptr<Shared>& self) {
    std::unique_lock lock(self->mutex);
    for (;;) {
      self->changed.wait(lock, [&] { return self->stopping || self->CanStartLocked(); });
      if (!self->CanStartLocked()) break;  // stopping, nothing left to run
      auto [index, fetch] = self->StartNextLocked();
      lock.unlock();
      base::TextArray result = fetch();
      lock.lock();
      self->FinishLocked(index, std::move(result));
    }
    --self->liveWorkers;
    self->changed.notify_all();
  }
};

OrderedFetches::OrderedFetches(int window)
    : shared_(std::make_shared<Shared>(static_cast<std::size_t>(window > 1 ? window : 1))),
      window_(window > 1 ? window : 1) {}

OrderedFetches::~OrderedFetches() {
  std::unique_lock lock(shared_->mutex);
  shared_->stopping = true;
  shared_->changed.notify_all();
  shared_->changed.wait(lock, [&] { return shared_->liveWorkers == 0; });
}

void OrderedFetches::Add(Fetch fetch) {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->slots.push_back(Shared::Slot{std::move(fetch)});
    shared_->changed.notify_all();
  }
  // One more worker per fetch added, up to the window (none for a window of
  // 1: the owner runs each fetch as it takes it).
  if (window_ == 1 || workers_ >= window_) return;
  {
    std::lock_guard lock(shared_->mutex);
    ++shared_->liveWorkers;
  }
  if (rt::StartTask([shared = shared_] { Shared::Work(shared); })) {
    ++workers_;
    return;
  }
  std::lock_guard lock(shared_->mutex);
  --shared_->liveWorkers;
  shared_->changed.notify_all();
}

base::TextArray OrderedFetches::Take() {
  std::unique_lock lock(shared_->mutex);
  const std::size_t index = shared_->firstUntaken;
  base::TextArray result;
  if (shared_->nextToStart == index) {
    // No worker has started it: run it here.
    Fetch fetch = shared_->StartNextLocked().second;
    lock.unlock();
    result = fetch();
    lock.lock();
  } else {
    shared_->changed.wait(lock, [&] { return shared_->At(index).done; });
    result = std::move(shared_->At(index).result);
  }
  shared_->slots.pop_front();
  ++shared_->firstUntaken;
  shared_->changed.notify_all();  // the window has room for one more
  return result;
}

}  // namespace pixaroo
