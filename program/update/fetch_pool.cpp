#include "program/update/fetch_pool.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

#include "program/routines/runtime_link.h"

namespace pixaroo {
namespace {

std::size_t TextBytes(const base::TextArray& texts) {
  std::size_t bytes = 0;
  for (const base::Text& text : texts) bytes += text.size() + sizeof(base::Text);
  return bytes;
}

}  // namespace

struct FetchPool::Shared {
  enum class State { Queued, Running, Done, Released };
  struct Slot {
    std::string key;
    Fetch fetch;
    State state = State::Queued;
    int takesLeft = 0;  // how often Add gave it, less how often it was taken
    bool kept = false;  // its result counts in `kept`
    base::TextArray result;
  };

  Shared(std::size_t window, std::size_t keptBytes) : window(window), keptBytes(keptBytes) {}

  // Invariants: every slot before `nextToStart` has left Queued; `running`
  // slots are Running and number at most `window` while workers start them.
  const std::size_t window;
  const std::size_t keptBytes;
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Slot> slots;              // by handle
  std::map<std::string, Handle> keys;  // the slot each key names, while it may be reused
  std::size_t nextToStart = 0;
  std::size_t running = 0;
  std::size_t kept = 0;  // bytes of the results kept for repeats
  bool stopping = false;
  int liveWorkers = 0;

  void SkipStartedLocked() {
    while (nextToStart < slots.size() && slots[nextToStart].state != State::Queued) ++nextToStart;
  }
  bool CanStartLocked() {
    SkipStartedLocked();
    return nextToStart < slots.size() && running < window;
  }

  // Marks slot `index` running and hands its fetch out.
  Fetch StartLocked(Handle index) {
    Slot& slot = slots[index];
    slot.state = State::Running;
    ++running;
    return std::move(slot.fetch);
  }

  void FinishLocked(Handle index, base::TextArray result) {
    Slot& slot = slots[index];
    slot.result = std::move(result);
    slot.state = State::Done;
    --running;
    changed.notify_all();
  }

  // A worker task: starts fetches in the order added while the window allows.
  static void Work(const std::shared_ptr<Shared>& self) {
    std::unique_lock lock(self->mutex);
    for (;;) {
      self->changed.wait(lock, [&] { return self->stopping || self->CanStartLocked(); });
      if (!self->CanStartLocked()) break;  // stopping, nothing left to run
      const Handle index = self->nextToStart++;
      Fetch fetch = self->StartLocked(index);
      lock.unlock();
      base::TextArray result = fetch();
      lock.lock();
      self->FinishLocked(index, std::move(result));
    }
    --self->liveWorkers;
    self->changed.notify_all();
  }
};

FetchPool::FetchPool(int window, std::size_t keptBytes)
    : shared_(
          std::make_shared<Shared>(static_cast<std::size_t>(window > 1 ? window : 1), keptBytes)),
      window_(window > 1 ? window : 1) {}

FetchPool::~FetchPool() {
  std::unique_lock lock(shared_->mutex);
  shared_->stopping = true;
  shared_->changed.notify_all();
  shared_->changed.wait(lock, [&] { return shared_->liveWorkers == 0; });
}

FetchPool::Handle FetchPool::Add(const std::string& key, Fetch fetch) {
  {
    std::lock_guard lock(shared_->mutex);
    if (const auto it = shared_->keys.find(key); it != shared_->keys.end()) {
      ++shared_->slots[it->second].takesLeft;
      return it->second;
    }
  }
  Handle handle = 0;
  {
    std::lock_guard lock(shared_->mutex);
    handle = shared_->slots.size();
    shared_->slots.push_back(
        Shared::Slot{key, std::move(fetch), Shared::State::Queued, 1, false, {}});
    shared_->keys.emplace(key, handle);
    shared_->changed.notify_all();
  }
  // One more worker per fetch added, up to the window (none for a window of
  // 1: the owner runs each fetch as it takes it).
  if (window_ == 1 || workers_ >= window_) return handle;
  {
    std::lock_guard lock(shared_->mutex);
    ++shared_->liveWorkers;
  }
  if (rt::StartTask([shared = shared_] { Shared::Work(shared); })) {
    ++workers_;
    return handle;
  }
  std::lock_guard lock(shared_->mutex);
  --shared_->liveWorkers;
  shared_->changed.notify_all();
  return handle;
}

bool FetchPool::Ready(Handle handle) const {
  std::lock_guard lock(shared_->mutex);
  return shared_->slots[handle].state == Shared::State::Done;
}

base::TextArray FetchPool::Take(Handle handle) {
  std::unique_lock lock(shared_->mutex);
  Shared::Slot* slot = &shared_->slots[handle];
  if (slot->state == Shared::State::Queued && shared_->liveWorkers == 0) {
    // No worker will start it: run it here.
    Fetch fetch = shared_->StartLocked(handle);
    lock.unlock();
    base::TextArray result = fetch();
    lock.lock();
    shared_->FinishLocked(handle, std::move(result));
  } else {
    shared_->changed.wait(lock,
                          [&] { return shared_->slots[handle].state == Shared::State::Done; });
  }
  slot = &shared_->slots[handle];
  const bool lastTake = --slot->takesLeft == 0;
  const std::size_t bytes = TextBytes(slot->result);
  if (!lastTake || slot->kept) return slot->result;
  if (shared_->kept + bytes <= shared_->keptBytes) {
    // Kept for a repeat added later.
    shared_->kept += bytes;
    slot->kept = true;
    return slot->result;
  }
  // Over the bound: let it go; a later repeat fetches its key again.
  shared_->keys.erase(slot->key);
  slot->state = Shared::State::Released;
  return std::exchange(slot->result, {});
}

}  // namespace pixaroo
