// TaskQueue: the window thread's queue of work for the headless front.
// Post() from any thread; Run() on the window thread until Quit().
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace korvex {

class TaskQueue {
 public:
  void Post(std::function<void()> task);
  // Runs tasks in order until Quit() has been called and the queue is empty
  // (tasks posted after Quit() but before the queue drained still run).
  void Run();
  void Quit();

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
  bool quit_ = false;
};

}  // namespace korvex
