#include "runtime/core/worker_threads.h"

#include <system_error>

namespace korvex {

WorkerThreads::~WorkerThreads() {
  std::lock_guard lock(mutex_);
  for (auto& w : workers_) {
    if (!w.thread.joinable()) continue;
    if (w.done) {
      w.thread.join();
    } else {
      w.thread.detach();
    }
  }
}

bool WorkerThreads::Start(std::function<void()> routine) {
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  ReapLocked();
  auto& w = workers_.emplace_back();
  ++running_;
  try {
    w.thread = std::thread([this, &w, routine = std::move(routine)] {
      routine();
      std::lock_guard done(mutex_);
      w.done = true;
      --running_;
      ended_.notify_all();
    });
  } catch (const std::system_error&) {
    workers_.pop_back();
    --running_;
    return false;
  }
  return true;
}

void WorkerThreads::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
}

bool WorkerThreads::JoinAll(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!ended_.wait_for(lock, timeout, [this] { return running_ == 0; })) return false;
  ReapLocked();
  return true;
}

int WorkerThreads::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

// Joins the threads that have finished their routine. The list keeps the
// address of each Worker stable for its thread.
void WorkerThreads::ReapLocked() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done) {
      it->thread.join();  // returns at once: the routine has ended
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace korvex
