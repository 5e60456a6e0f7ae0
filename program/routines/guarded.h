// Guarded<T>: a value shared between threads, reachable only under its lock.
#pragma once

#include <mutex>
#include <utility>

namespace pixaroo {

template <typename T>
class Guarded {
 public:
  Guarded() = default;
  Guarded(const Guarded&) = delete;
  Guarded& operator=(const Guarded&) = delete;

  // A copy of the value as it is now.
  T Get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void Set(T value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }
  // Runs fn(T&) under the lock and returns what it returns. fn must not call
  // back into this object.
  template <typename Fn>
  auto With(Fn&& fn) {
    std::lock_guard lock(mutex_);
    return std::forward<Fn>(fn)(value_);
  }

 private:
  mutable std::mutex mutex_;
  T value_{};
};

}  // namespace pixaroo
