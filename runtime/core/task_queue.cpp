#include "runtime/core/task_queue.h"

namespace korvex {

void TaskQueue::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  ready_.notify_one();
}

void TaskQueue::Run() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [this] { return quit_ || !tasks_.empty(); });
      if (tasks_.empty()) {
        quit_ = false;  // the loop may be run again
        return;
      }
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

void TaskQueue::Quit() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  ready_.notify_one();
}

}  // namespace korvex
