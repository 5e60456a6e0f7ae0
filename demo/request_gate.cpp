#include "demo/request_gate.h"

namespace pixaroo::demo {

void RequestGate::Hold(std::string_view path) {
  std::lock_guard lock(mutex_);
  if (!closed_) held_.emplace(path);
}

void RequestGate::Open(std::string_view path) {
  {
    std::lock_guard lock(mutex_);
    if (auto it = held_.find(path); it != held_.end()) held_.erase(it);
  }
  changed_.notify_all();
}

void RequestGate::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    held_.clear();
  }
  changed_.notify_all();
}

void RequestGate::Pass(const std::string& path) {
  std::unique_lock lock(mutex_);
  if (!held_.contains(path)) return;
  ++waiting_[path];
  changed_.notify_all();
  changed_.wait_for(lock, kMaxHold, [&] { return !held_.contains(path); });
  if (--waiting_[path] == 0) waiting_.erase(path);
  changed_.notify_all();
}

std::size_t RequestGate::Waiting(std::string_view path) const {
  std::lock_guard lock(mutex_);
  return WaitingLocked(path);
}

// A request let go by Open or Close stops counting at once, though its
// thread may not have woken yet: what a test reads is what is still held.
std::size_t RequestGate::WaitingLocked(std::string_view path) const {
  const auto it = waiting_.find(path);
  return it == waiting_.end() || !held_.contains(path) ? 0 : it->second;
}

bool RequestGate::WaitUntilWaiting(std::string_view path, std::size_t count,
                                   std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return WaitingLocked(path) >= count; });
}

bool RequestGate::WaitUntilWaitingInAll(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] {
    std::size_t all = 0;
    for (const auto& entry : waiting_) all += WaitingLocked(entry.first);
    return all >= count;
  });
}

}  // namespace pixaroo::demo
